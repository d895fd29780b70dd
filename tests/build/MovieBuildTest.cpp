// Whole movies made by the build engine, read back tag by tag.
#include "build/BuildTestSupport.h"

#include "base/FileUtf8.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
const Rgb kRed = {220, 30, 30}, kGreen = {30, 180, 60}, kBlue = {30, 60, 220}, kWhite = {255, 255, 255};

// The tags of the movie without End, as (code, id or depth) pairs for readable comparison.
std::vector<std::string> TagOutline(const SwfMovie &movie)
{
    std::vector<std::string> outline;
    for (const SwfTag &tag : movie.tags)
    {
        switch (tag.code)
        {
        case kSwfSetBackgroundColor:
            outline.push_back("bg");
            break;
        case kSwfDefineBitsJpeg2: {
            SwfBitsJpeg2 bits;
            DecodeDefineBitsJpeg2(tag, bits);
            outline.push_back("bits" + std::to_string(bits.characterId));
            break;
        }
        case kSwfDefineShape3: {
            SwfShape shape;
            DecodeDefineShape3(tag, shape);
            outline.push_back("shape" + std::to_string(shape.shapeId));
            break;
        }
        case kSwfDefineButton2: {
            SwfButton button;
            DecodeDefineButton2(tag, button);
            outline.push_back("button" + std::to_string(button.buttonId));
            break;
        }
        case kSwfPlaceObject2: {
            SwfPlaceObject2 place;
            DecodePlaceObject2(tag, place);
            EXPECT_EQ(place.characterId, place.depth) << "every placement uses its character id as depth";
            outline.push_back("place" + std::to_string(place.depth));
            break;
        }
        case kSwfRemoveObject2:
            EXPECT_EQ(tag.body.size(), 2u);
            outline.push_back(
                "remove" + std::to_string(static_cast<uint8_t>(tag.body[0]) | static_cast<uint8_t>(tag.body[1]) << 8));
            break;
        case kSwfShowFrame:
            outline.push_back("frame");
            break;
        case kSwfEnd:
            break;
        default:
            outline.push_back("unexpected" + std::to_string(tag.code));
        }
    }
    return outline;
}

std::vector<std::string> Expected(std::initializer_list<const char *> names)
{
    return std::vector<std::string>(names.begin(), names.end());
}

std::vector<SwfButton> Buttons(const SwfMovie &movie)
{
    std::vector<SwfButton> buttons;
    for (const SwfTag &tag : movie.tags)
        if (tag.code == kSwfDefineButton2)
        {
            buttons.emplace_back();
            EXPECT_EQ(DecodeDefineButton2(tag, buttons.back()), "");
        }
    return buttons;
}

std::vector<const SwfTag *> Bitmaps(const SwfMovie &movie)
{
    std::vector<const SwfTag *> bitmaps;
    for (const SwfTag &tag : movie.tags)
        if (tag.code == kSwfDefineBitsJpeg2)
            bitmaps.push_back(&tag);
    return bitmaps;
}
} // namespace

TEST(MovieBuildTest, FpsModeGivesOneFramePerSlideAtTheChosenRate)
{
    BuildFixture f;
    BuildJob job = f.Job(
        {f.Card("red.bmp", kRed), f.Card("green.bmp", kGreen, L"http://example.com/g"), f.Card("blue.bmp", kBlue)});
    job.settings.nFps = 25;
    BuildReport report = BuildMovieFile(job);
    ASSERT_EQ(report.nResult, 1) << report.strError;
    EXPECT_TRUE(report.unreadable.empty());
    EXPECT_FALSE(report.bCopyFailed) << report.strCopyError;

    SwfMovie movie = ReadMovie(job.strOutput);
    EXPECT_EQ(movie.version, 3);
    EXPECT_EQ(movie.frameRate, 25 << 8);
    EXPECT_EQ(movie.frameCount, 3);
    EXPECT_EQ(movie.frameSize.xmax, 64 * 20);
    EXPECT_EQ(movie.frameSize.ymax, 48 * 20);
    EXPECT_EQ(TagOutline(movie),
              Expected({"bg",     "bits1",  "shape2",  "place2", "button3", "place3",  "frame", "bits4",
                        "shape5", "place5", "button6", "place6", "remove2", "remove3", "frame", "bits7",
                        "shape8", "place8", "button9", "place9", "remove5", "remove6", "frame"}));
    EXPECT_EQ(movie.tags[0].body, std::string("\xFF\xFF\xFF", 3)) << "white background";

    // Only the second slide links: GetURL with the address and an empty target, on mouse down.
    std::vector<SwfButton> buttons = Buttons(movie);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_TRUE(buttons[0].condActions.empty());
    ASSERT_EQ(buttons[1].condActions.size(), 1u);
    EXPECT_EQ(buttons[1].condActions[0].condition1, 0x04);
    EXPECT_EQ(buttons[1].condActions[0].condition2, 0x01);
    ASSERT_EQ(buttons[1].condActions[0].urls.size(), 1u);
    EXPECT_EQ(buttons[1].condActions[0].urls[0].url, "http://example.com/g");
    EXPECT_EQ(buttons[1].condActions[0].urls[0].target, "");
    EXPECT_TRUE(buttons[2].condActions.empty());
    for (const SwfButton &b : buttons)
    {
        ASSERT_EQ(b.records.size(), 1u);
        EXPECT_EQ(b.records[0].states, 0x08) << "hit-test state only: the button draws nothing";
        EXPECT_EQ(b.records[0].characterId, b.buttonId - 1);
    }

    // Each picture is the card resampled to the stage.
    std::vector<const SwfTag *> bitmaps = Bitmaps(movie);
    ASSERT_EQ(bitmaps.size(), 3u);
    int w = 0, h = 0;
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[0], &w, &h), kRed));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[1]), kGreen));
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[2]), kBlue));

    // The output is the temporary movie; the temporary folder keeps only the movie.
    EXPECT_EQ(ReadWholeFile(fs::u8path(job.strOutput)), ReadWholeFile(fs::u8path(job.strTempMovie)));
    EXPECT_EQ(f.TempEntries(), std::vector<std::string>{"ftmptest0.swf"});
}

TEST(MovieBuildTest, DelayModeHoldsEachSlideForItsSecondsAtOneFramePerSecond)
{
    BuildFixture f;
    BuildJob job =
        f.Job({f.Card("a.bmp", kRed, L"http://a"), f.Card("b.bmp", kGreen), f.Card("c.bmp", kBlue)}, 100, 50);
    job.settings.bFpsMode = false;
    job.settings.nFps = 30; // ignored in delay mode
    job.settings.nDelay = 5;
    BuildReport report = BuildMovieFile(job);
    ASSERT_EQ(report.nResult, 1) << report.strError;
    SwfMovie movie = ReadMovie(job.strOutput);
    EXPECT_EQ(movie.frameRate, 1 << 8);
    EXPECT_EQ(movie.frameCount, 15);
    EXPECT_EQ(CountSwfTags(movie, kSwfShowFrame), 15);

    std::vector<std::string> outline = TagOutline(movie);
    std::vector<std::string> expected = {"bg"};
    for (int n = 1; n <= 3; ++n)
    {
        std::string bits = std::to_string(3 * n - 2), shape = std::to_string(3 * n - 1), button = std::to_string(3 * n);
        expected.insert(expected.end(), {"bits" + bits, "shape" + shape, "place" + shape});
        for (int k = 0; k < 5; ++k)
        {
            expected.insert(expected.end(), {"button" + button, "place" + button});
            // The previous slide leaves once this one is placed, in its first frame only.
            if (k == 0 && n > 1)
                expected.insert(expected.end(),
                                {"remove" + std::to_string(3 * n - 4), "remove" + std::to_string(3 * n - 3)});
            expected.push_back("frame");
        }
    }
    EXPECT_EQ(outline, expected);
    // The first slide's button carries its link in every one of its five definitions.
    std::vector<SwfButton> buttons = Buttons(movie);
    ASSERT_EQ(buttons.size(), 15u);
    for (int k = 0; k < 5; ++k)
    {
        ASSERT_EQ(buttons[k].condActions.size(), 1u);
        EXPECT_EQ(buttons[k].condActions[0].urls[0].url, "http://a");
    }
    EXPECT_TRUE(buttons[5].condActions.empty());
}

TEST(MovieBuildTest, SlidesSharingAJpegNameAndSourcesInTheTemporaryFolderStayApart)
{
    BuildFixture f;
    // Same name, other extension: one temporary JPEG name; and a source picture that lies in the
    // temporary folder under exactly that name.
    ImageItem redBmp = f.Card("same.bmp", kRed);
    ImageItem greenJpg = f.Card("same.jpg", kGreen);
    ImageItem blueInTemp = f.Card("tmp/same.jpg", kBlue);
    std::string sourceBefore = ReadWholeFile(fs::u8path(f.Path("tmp/same.jpg")));
    BuildJob job = f.Job({redBmp, greenJpg, blueInTemp, redBmp});
    BuildReport report = BuildMovieFile(job);
    ASSERT_EQ(report.nResult, 1) << report.strError;

    SwfMovie movie = ReadMovie(job.strOutput);
    std::vector<const SwfTag *> bitmaps = Bitmaps(movie);
    ASSERT_EQ(bitmaps.size(), 4u);
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[0]), kRed));
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[1]), kGreen));
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[2]), kBlue));
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[3]), kRed));
    EXPECT_EQ(ReadWholeFile(fs::u8path(f.Path("tmp/same.jpg"))), sourceBefore) << "a source image was overwritten";
    std::vector<std::string> entries = f.TempEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"ftmptest0.swf", "same.jpg"}));
}

TEST(MovieBuildTest, AnUnreadableSlideShowsWhiteKeepsItsFramesAndLinkAndIsReported)
{
    BuildFixture f;
    ImageItem missing{WideFromUtf8(f.Path("")), L"missing.png", L""};
    // A frame split from a GIF lives in a temporary file; messages name the GIF and the frame instead.
    ImageItem frame = f.Garbage("tmp/anim_frame3.gif");
    frame.strOrigin = WideFromUtf8(f.Path("anim.gif")) + L", frame 3";
    BuildJob job = f.Job({f.Card("red.bmp", kRed), f.Garbage("broken.png"), missing, frame});
    job.slides[1].strUrl = L"http://still-linked";
    job.settings.bFpsMode = false;
    job.settings.nDelay = 2;
    BuildReport report = BuildMovieFile(job);
    ASSERT_EQ(report.nResult, 1) << report.strError;
    ASSERT_EQ(report.unreadable.size(), 3u);
    EXPECT_EQ(report.unreadable[0].uIndex, 1u);
    EXPECT_NE(report.unreadable[0].strReason.find("broken.png"), std::string::npos) << report.unreadable[0].strReason;
    EXPECT_EQ(report.unreadable[1].uIndex, 2u);
    EXPECT_NE(report.unreadable[1].strReason.find("missing.png"), std::string::npos) << report.unreadable[1].strReason;
    const std::string origin = Utf8FromWide(frame.strOrigin);
    EXPECT_EQ(report.unreadable[2].strPath, origin);
    EXPECT_EQ(report.unreadable[2].strReason.find(origin + ": "), 0u) << report.unreadable[2].strReason;
    EXPECT_EQ(report.unreadable[2].strReason.find("anim_frame3"), std::string::npos) << report.unreadable[2].strReason;

    SwfMovie movie = ReadMovie(job.strOutput);
    EXPECT_EQ(movie.frameCount, 8);
    std::vector<const SwfTag *> bitmaps = Bitmaps(movie);
    ASSERT_EQ(bitmaps.size(), 4u);
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[1]), kWhite, 2));
    EXPECT_TRUE(ColourNear(MeanColourOfBitmap(*bitmaps[2]), kWhite, 2));
    std::vector<SwfButton> buttons = Buttons(movie);
    ASSERT_EQ(buttons.size(), 8u);
    ASSERT_EQ(buttons[2].condActions.size(), 1u);
    EXPECT_EQ(buttons[2].condActions[0].urls[0].url, "http://still-linked");
}

TEST(MovieBuildTest, TheMovieDoesNotDependOnTheNumberOfThreads)
{
    BuildFixture f;
    std::vector<ImageItem> slides;
    for (int i = 0; i < 12; ++i)
        slides.push_back(
            f.Card("c" + std::to_string(i) + ".bmp", {20 * i, 255 - 20 * i, 100}, i % 3 ? L"" : L"http://x"));
    slides.push_back(f.Garbage("bad.gif"));
    std::string first;
    for (int jobs : {1, 2, 5})
    {
        SCOPED_TRACE(jobs);
        BuildJob job = f.Job(slides, 80, 60);
        job.nJobs = jobs;
        size_t calls = 0;
        job.progress = [&](size_t done, size_t total) {
            EXPECT_EQ(done, ++calls);
            EXPECT_EQ(total, slides.size());
        };
        ASSERT_EQ(BuildMovieFile(job).nResult, 1);
        EXPECT_EQ(calls, slides.size());
        std::string bytes = ReadWholeFile(fs::u8path(job.strOutput));
        if (first.empty())
            first = bytes;
        else
            EXPECT_TRUE(bytes == first) << "the movie differs with " << jobs << " threads";
    }
}

TEST(MovieBuildTest, FailuresAreReportedAndLeaveNothingBehind)
{
    BuildFixture f;
    ImageItem red = f.Card("red.bmp", kRed);

    // A copy that fails is reported; the temporary movie stays for the preview.
    BuildJob job = f.Job({red});
    job.strOutput = f.Path("no-such-folder/out.swf");
    BuildReport report = BuildMovieFile(job);
    EXPECT_EQ(report.nResult, 1);
    EXPECT_TRUE(report.bCopyFailed);
    EXPECT_NE(report.strCopyError.find("out.swf"), std::string::npos) << report.strCopyError;
    EXPECT_TRUE(PathExistsUtf8(job.strTempMovie.c_str()));

    // An existing output is replaced.
    job = f.Job({red});
    WriteWholeFile(fs::u8path(job.strOutput), "old movie");
    ASSERT_EQ(BuildMovieFile(job).nResult, 1);
    EXPECT_EQ(ReadWholeFile(fs::u8path(job.strOutput)), ReadWholeFile(fs::u8path(job.strTempMovie)));

    // A movie that cannot be created ends the run with nothing left in the temporary folder.
    fs::remove(fs::u8path(job.strTempMovie));
    job.strTempMovie = f.Path("tmp/missing-folder/ftmptest0.swf");
    report = BuildMovieFile(job);
    EXPECT_EQ(report.nResult, 0);
    EXPECT_NE(report.strError.find("ftmptest0.swf"), std::string::npos) << report.strError;
    EXPECT_TRUE(f.TempEntries().empty());

    // Refused settings write nothing at all.
    job = f.Job({red});
    job.settings.nFps = 300;
    WriteWholeFile(fs::u8path(job.strOutput), "keep me");
    report = BuildMovieFile(job);
    EXPECT_EQ(report.nResult, 0);
    EXPECT_NE(report.strError.find("300"), std::string::npos) << report.strError;
    EXPECT_TRUE(f.TempEntries().empty());
    EXPECT_EQ(ReadWholeFile(fs::u8path(job.strOutput)), "keep me");
}

TEST(MovieBuildTest, AddressesOutsideAsciiAreEncodedInTheMovie)
{
    BuildFixture f;
    BuildJob job = f.Job({f.Card("a.bmp", kRed, L"http://caf\u00e9.example/\u56fe")});
    ASSERT_EQ(BuildMovieFile(job).nResult, 1);
    std::vector<SwfButton> buttons = Buttons(ReadMovie(job.strOutput));
    ASSERT_EQ(buttons.size(), 1u);
    ASSERT_EQ(buttons[0].condActions.size(), 1u);
    EXPECT_EQ(buttons[0].condActions[0].urls[0].url, "http://xn--caf-dma.example/%E5%9B%BE");
}
