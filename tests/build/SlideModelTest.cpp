// Address rules between the URL box and the slides, and the checks that guard a version-3 movie.
#include "build/SlideModel.h"
#include "build/MovieBuilder.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace
{
CSlideModel ModelWithSlides(int count)
{
    CSlideModel model;
    for (int i = 0; i < count; ++i)
        model.m_images.push_back({L"C:\\pics\\", L"p" + std::to_wstring(i) + L".bmp", L""});
    return model;
}
} // namespace

TEST(SlideModelTest, DefaultsAreTheDesignsStartingValues)
{
    CSlideModel model;
    EXPECT_EQ(model.m_nWidth, 256);
    EXPECT_EQ(model.m_nHeight, 192);
    EXPECT_EQ(model.m_nFps, 1);
    EXPECT_EQ(model.m_nDelay, 1);
    EXPECT_EQ(model.m_nCurSel, 0);
    EXPECT_TRUE(model.m_images.empty());
}

TEST(SlideModelTest, OnlyAnEditedBoxChangesTheAddressOfTheSlideItShowed)
{
    struct Case
    {
        const wchar_t *typed;
        bool bEdited;
        int nSlide;
        const wchar_t *expected;
    } cases[] = {
        {L"", true, 1, L""},            // an emptied box removes the address
        {L"http://", true, 1, L""},     // so does the bare scheme
        {L"hTtP://", true, 1, L""},     // in any letter case
        {L"", false, 1, L"http://old"}, // a box the user did not touch changes nothing
        {L"http://new", false, 1, L"http://old"},
        {L"x", true, 1, L"x"},                     // one character is stored
        {L"example.com", true, 1, L"example.com"}, // no scheme: stored as typed
        {L"http:// ", true, 1, L"http:// "},       // not the bare scheme
        {L"http://new", true, -1, L"http://old"},  // the box showed no slide
        {L"http://new", true, 3, L"http://old"},   // nor one past the end
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << "typed '" << std::string(c.typed, c.typed + wcslen(c.typed)) << "' edited "
                                        << c.bEdited << " slide " << c.nSlide);
        CSlideModel model = ModelWithSlides(3);
        model.m_nCurSel = 2;
        model.m_images[1].strUrl = L"http://old";
        model.CommitUrlEdit(c.nSlide, c.typed, c.bEdited);
        EXPECT_EQ(model.m_images[1].strUrl, c.expected);
        EXPECT_TRUE(model.m_images[0].strUrl.empty());
        EXPECT_TRUE(model.m_images[2].strUrl.empty()) << "the current slide is not the one the box showed";
    }
}

TEST(SlideModelTest, TheBoxShowsTheSchemeForAddressesUnderTwoCharactersAndForNoSlide)
{
    struct Case
    {
        const wchar_t *stored;
        const wchar_t *shown;
    } cases[] = {{L"", L"http://"}, {L"x", L"http://"}, {L"ab", L"ab"}, {L"http://a.b/c", L"http://a.b/c"}};
    for (const Case &c : cases)
    {
        CSlideModel model = ModelWithSlides(1);
        model.m_images[0].strUrl = c.stored;
        EXPECT_EQ(model.UrlEditText(), c.shown);
    }
    CSlideModel stale = ModelWithSlides(2);
    stale.m_images[1].strUrl = L"http://b";
    stale.m_nCurSel = 5;
    EXPECT_EQ(stale.UrlEditText(), L"http://");
    EXPECT_EQ(CSlideModel().UrlEditText(), L"http://");
}

// The same table runs in the Linux build (libidn2) and the Windows build (IdnToAscii): both must write
// these bytes.
TEST(MovieBuilderTest, AddressesGiveTheirHostInIdnaFormKeepAsciiAndPercentEncodeTheRest)
{
    const struct
    {
        const wchar_t *address;
        const char *bytes;
    } cases[] = {
        {L"http://a.b/c?d=1&e=%41 x", "http://a.b/c?d=1&e=%41 x"},
        {L"HTTP://Example.COM:80/A", "HTTP://Example.COM:80/A"},
        {L"https://münchen.de/", "https://xn--mnchen-3ya.de/"},
        {L"https://MÜNCHEN.DE/", "https://xn--mnchen-3ya.de/"},
        {L"http://café.fr", "http://xn--caf-dma.fr"},
        {L"http://user:pw@bücher.example:8080/ü?q=é#f", "http://user:pw@xn--bcher-kva.example:8080/"
                                                        "%C3%BC?q=%C3%A9#f"},
        {L"http://faß.de/", "http://fass.de/"},
        {L"http://例子.测试/图", "http://xn--fsqu00a.xn--0zwm56d/%E5%9B%BE"},
        {L"http://x/中文", "http://x/%E4%B8%AD%E6%96%87"},
        {L"münchen.de/x", "m%C3%BCnchen.de/x"},
        {L"mailto:a?u=http://ü.de", "mailto:a?u=http://%C3%BC.de"},
        {L"", ""},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(EncodeAddress(c.address), c.bytes);
    }
    EXPECT_EQ(EncodeAddress(std::wstring(L"http://x/") + static_cast<wchar_t>(0xD83D) + static_cast<wchar_t>(0xDE00)),
              sizeof(wchar_t) == 2 ? "http://x/%F0%9F%98%80" : "http://x/%EF%BF%BD%EF%BF%BD");
}

TEST(MovieBuilderTest, SettingsAMovieCannotHoldAreRefusedBeforeAnythingIsWritten)
{
    std::vector<ImageItem> three(3, ImageItem{L"/", L"a.bmp", L""});
    BuildSettings ok;
    EXPECT_EQ(CheckBuild(three, ok), "");

    struct Case
    {
        const char *what;
        int width, height;
        bool fps;
        int rate, delay;
        size_t slides;
        bool refused;
    } cases[] = {
        {"rate 255", 256, 192, true, 255, 1, 3, false},
        {"rate 256 would wrap to 0", 256, 192, true, 256, 1, 3, true},
        {"rate 1000 would wrap to 232", 256, 192, true, 1000, 1, 3, true},
        {"a high rate is irrelevant in delay mode", 256, 192, false, 1000, 1, 3, false},
        {"65535 frames", 256, 192, false, 1, 21845, 3, false},
        {"65536 frames", 256, 192, false, 1, 32768, 2, true},
        {"21845 slides", 256, 192, true, 1, 1, 21845, false},
        {"21846 slides need id 65536", 256, 192, true, 1, 1, 21846, true},
        {"3000 x 2000 stage", 3000, 2000, true, 1, 1, 3, false},
        {"65500 wide", 65500, 8, true, 1, 1, 3, false},
        {"65501 wide is beyond libjpeg", 65501, 8, true, 1, 1, 3, true},
        {"7 high", 256, 7, true, 1, 1, 3, true},
        {"beyond the pixel budget", 20000, 20000, true, 1, 1, 3, true},
        {"empty list", 256, 192, true, 1, 1, 0, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        BuildSettings s;
        s.nWidth = c.width;
        s.nHeight = c.height;
        s.bFpsMode = c.fps;
        s.nFps = c.rate;
        s.nDelay = c.delay;
        std::vector<ImageItem> slides(c.slides, ImageItem{L"/", L"a.bmp", L""});
        std::string message = CheckBuild(slides, s);
        EXPECT_EQ(!message.empty(), c.refused) << message;
    }

    std::vector<ImageItem> longUrl = three;
    longUrl[1].strUrl = L"http://x/" + std::wstring(kMaxAddressBytes, L'a');
    std::string message = CheckBuild(longUrl, ok);
    EXPECT_NE(message.find("slide 2"), std::string::npos) << message;
    longUrl[1].strUrl.resize(kMaxAddressBytes);
    EXPECT_EQ(CheckBuild(longUrl, ok), "");
}
