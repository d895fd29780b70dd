// Shared set-up of the engine tests.
#include "build/BuildTestSupport.h"

#include "base/Utf8.h"
#include "imaging/JpegCodec.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

BuildFixture::BuildFixture()
{
    fs::create_directory(m_dir.Path() / "tmp");
}

ImageItem BuildFixture::Card(const std::string &name, Rgb colour, const std::wstring &url)
{
    Raster card = MakeCard(64, 48, static_cast<uint8_t>(colour.r), static_cast<uint8_t>(colour.g),
                           static_cast<uint8_t>(colour.b));
    std::string path = m_dir.File(name);
    bool jpeg = name.size() > 4 && name.substr(name.size() - 4) == ".jpg";
    EXPECT_TRUE(jpeg ? WriteJpeg(path, card, 95) : WriteBmp(path, card)) << path;
    size_t cut = path.find_last_of("/\\");
    return {WideFromUtf8(path.substr(0, cut + 1)), WideFromUtf8(path.substr(cut + 1)), url};
}

ImageItem BuildFixture::Garbage(const std::string &name)
{
    std::string path = m_dir.File(name);
    WriteWholeFile(fs::u8path(path), "this is not a picture at all, just some text");
    size_t cut = path.find_last_of("/\\");
    return {WideFromUtf8(path.substr(0, cut + 1)), WideFromUtf8(path.substr(cut + 1)), L""};
}

BuildJob BuildFixture::Job(const std::vector<ImageItem> &slides, int width, int height) const
{
    BuildJob job;
    job.slides = slides;
    job.settings.nWidth = width;
    job.settings.nHeight = height;
    job.strTempMovie = m_dir.File("tmp/ftmptest0.swf");
    job.strOutput = m_dir.File("out.swf");
    return job;
}

std::vector<std::string> BuildFixture::TempEntries() const
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(m_dir.Path() / "tmp"))
    {
        auto u8 = entry.path().filename().u8string();
        names.emplace_back(u8.begin(), u8.end());
    }
    return names;
}

SwfMovie ReadMovie(const std::string &path)
{
    SwfMovie movie;
    std::string bytes = ReadWholeFile(fs::u8path(path));
    std::string problem = ParseSwfMovie(bytes, movie);
    EXPECT_EQ(problem, "") << path;
    EXPECT_EQ(movie.fileLength, bytes.size());
    return movie;
}

Rgb MeanColourOfBitmap(const SwfTag &tag, int *width, int *height)
{
    SwfBitsJpeg2 bits;
    EXPECT_EQ(DecodeDefineBitsJpeg2(tag, bits), "");
    // The data starts with an end-of-image and a start-of-image marker before the file itself.
    std::string jpeg = bits.imageData.size() > 4 ? bits.imageData.substr(4) : std::string();
    Raster picture;
    std::string error;
    EXPECT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t *>(jpeg.data()), jpeg.size(), 0, 0, picture, error))
        << error;
    if (width)
        *width = picture.width;
    if (height)
        *height = picture.height;
    if (picture.bpp != 24 || picture.Empty())
        return {-1, -1, -1};
    long sum[3] = {0, 0, 0};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            for (int c = 0; c < 3; ++c)
                sum[c] += picture.Row(y)[3 * x + c];
    long n = static_cast<long>(picture.width) * picture.height;
    return {static_cast<int>(sum[0] / n), static_cast<int>(sum[1] / n), static_cast<int>(sum[2] / n)};
}

::testing::AssertionResult ColourNear(Rgb actual, Rgb expected, int tolerance)
{
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << ") is not near (" << expected.r << ", " << expected.g << ", "
                                         << expected.b << ")";
}
