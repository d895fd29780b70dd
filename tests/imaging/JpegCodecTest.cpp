// Tests of JPEG decoding and encoding, against files written and read back with libjpeg itself.
#include "imaging/JpegCodec.h"
#include "imaging/Resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <jpeglib.h>

#if defined(__linux__)
#include <sys/resource.h>
#endif

namespace
{

// An error manager for the test's own libjpeg calls: longjmp, print nothing.
struct TestJpegError
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void TestErrorExit(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<TestJpegError *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void TestSilent(j_common_ptr, int)
{
}

// Raw samples in the colour space libjpeg is given.
struct Samples
{
    int width = 0;
    int height = 0;
    int components = 3;
    J_COLOR_SPACE space = JCS_RGB;
    std::vector<uint8_t> data;
};

struct WriteOptions
{
    int quality = 92;
    J_COLOR_SPACE fileSpace = JCS_UNKNOWN; // libjpeg's default for the input
    bool adobeMarker = true;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    int lumaH = 0, lumaV = 0; // luma sampling factors; 0: libjpeg's default (2 x 2)
};

struct WriteJob
{
    const Samples *samples;
    const WriteOptions *options;
    unsigned char *out;
    unsigned long size;
    TestJpegError err;
};

bool RunWrite(WriteJob &job)
{
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = TestErrorExit;
    job.err.pub.emit_message = TestSilent;
    if (setjmp(job.err.jump))
    {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.out, &job.size);
    const Samples &s = *job.samples;
    const WriteOptions &o = *job.options;
    cinfo.image_width = s.width;
    cinfo.image_height = s.height;
    cinfo.input_components = s.components;
    cinfo.in_color_space = s.space;
    jpeg_set_defaults(&cinfo);
    if (o.fileSpace != JCS_UNKNOWN)
        jpeg_set_colorspace(&cinfo, o.fileSpace);
    cinfo.write_Adobe_marker = o.adobeMarker && s.components == 4;
    jpeg_set_quality(&cinfo, o.quality, TRUE);
    cinfo.arith_code = o.arithmetic; // libjpeg's defaults: 4:2:0, standard Huffman tables
    cinfo.restart_in_rows = o.restartRows;
    if (o.lumaH != 0)
    {
        cinfo.comp_info[0].h_samp_factor = o.lumaH;
        cinfo.comp_info[0].v_samp_factor = o.lumaV;
    }
    if (o.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW row =
            const_cast<JSAMPROW>(s.data.data() + static_cast<size_t>(cinfo.next_scanline) * s.width * s.components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

std::vector<uint8_t> WriteJpeg(const Samples &samples, const WriteOptions &options = {})
{
    WriteJob job{&samples, &options, nullptr, 0, {}};
    const bool ok = RunWrite(job);
    std::vector<uint8_t> bytes;
    if (ok)
        bytes.assign(job.out, job.out + job.size);
    std::free(job.out);
    EXPECT_TRUE(ok) << "libjpeg could not write the fixture: " << job.err.message;
    return bytes;
}

// What libjpeg reads from a file's header.
struct JpegInfo
{
    bool ok = false;
    int components = 0;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    bool progressive = false, arithmetic = false;
    int hSamp[4] = {}, vSamp[4] = {};
    uint16_t quant[2][64] = {};
};

void RunReadInfo(const std::vector<uint8_t> &bytes, JpegInfo &info)
{
    jpeg_decompress_struct cinfo;
    TestJpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = TestErrorExit;
    err.pub.emit_message = TestSilent;
    if (setjmp(err.jump))
    {
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    info.components = cinfo.num_components;
    info.space = cinfo.jpeg_color_space;
    info.progressive = cinfo.progressive_mode;
    info.arithmetic = cinfo.arith_code;
    for (int c = 0; c < cinfo.num_components && c < 4; ++c)
    {
        info.hSamp[c] = cinfo.comp_info[c].h_samp_factor;
        info.vSamp[c] = cinfo.comp_info[c].v_samp_factor;
    }
    for (int t = 0; t < 2; ++t)
    {
        if (cinfo.quant_tbl_ptrs[t] != nullptr)
            std::copy(cinfo.quant_tbl_ptrs[t]->quantval, cinfo.quant_tbl_ptrs[t]->quantval + 64, info.quant[t]);
    }
    info.ok = true;
    jpeg_destroy_decompress(&cinfo);
}

JpegInfo ReadInfo(const std::vector<uint8_t> &bytes)
{
    JpegInfo info;
    RunReadInfo(bytes, info);
    return info;
}

// Offsets of the frame markers (SOFn) before the first scan.
std::vector<std::pair<size_t, uint8_t>> FrameMarkers(const std::vector<uint8_t> &bytes)
{
    std::vector<std::pair<size_t, uint8_t>> found;
    size_t i = 2;
    while (i + 4 <= bytes.size() && bytes[i] == 0xFF && bytes[i + 1] != 0xDA)
    {
        const uint8_t marker = bytes[i + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            found.push_back({i, marker});
        i += 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
    }
    return found;
}

size_t FindMarker(const std::vector<uint8_t> &bytes, uint8_t marker, size_t from = 0)
{
    for (size_t i = from; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    return bytes.size();
}

// A progressive file whose second scan is repeated: each copy is a valid scan (the decoder only warns
// about the repetition), so only a limit on scans stops the work.
std::vector<uint8_t> WithRepeatedScan(const std::vector<uint8_t> &bytes, int copies)
{
    const size_t start = FindMarker(bytes, 0xDA, FindMarker(bytes, 0xDA) + 2);
    size_t end = start + 2 + (bytes[start + 2] << 8 | bytes[start + 3]);
    while (end + 1 < bytes.size() && !(bytes[end] == 0xFF && bytes[end + 1] != 0 && (bytes[end + 1] & 0xF8) != 0xD0))
        ++end;
    std::vector<uint8_t> result(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(end));
    for (int i = 0; i < copies; ++i)
        result.insert(result.end(), bytes.begin() + static_cast<ptrdiff_t>(start),
                      bytes.begin() + static_cast<ptrdiff_t>(end));
    result.insert(result.end(), bytes.begin() + static_cast<ptrdiff_t>(end), bytes.end());
    return result;
}

Samples Smooth(int width, int height)
{
    Samples s{width, height, 3, JCS_RGB, {}};
    s.data.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t *p = &s.data[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(40 + 170 * x / std::max(1, width - 1));
            p[1] = static_cast<uint8_t>(30 + 190 * y / std::max(1, height - 1));
            p[2] = static_cast<uint8_t>(200 - 150 * (x + y) / std::max(1, width + height - 2));
        }
    return s;
}

// Smooth gradients, hard-edged shapes and per-pixel noise, like a photo at the pixel level.
Samples PhotoLike(int width, int height, unsigned seed)
{
    Samples s{width, height, 3, JCS_RGB, {}};
    s.data.resize(static_cast<size_t>(width) * height * 3);
    std::vector<double> waveX(width), waveY(height);
    for (int x = 0; x < width; ++x)
        waveX[x] = 60 * std::sin(x * 0.0031) + 25 * std::sin(x * 0.017);
    for (int y = 0; y < height; ++y)
        waveY[y] = 50 * std::cos(y * 0.0027) + 20 * std::sin(y * 0.021);
    std::minstd_rand random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const bool insideDisc = std::hypot(x - width * 0.6, y - height * 0.4) < height * 0.25;
            const bool insideBar = (x / (width / 7 + 1) + y / (height / 5 + 1)) % 4 == 0;
            uint8_t *p = &s.data[(static_cast<size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c)
            {
                double v = 120 + waveX[x] * (c == 0 ? 1 : 0.5) + waveY[y] * (c == 2 ? 1 : 0.6);
                if (insideDisc)
                    v = 230 - 40 * c;
                else if (insideBar)
                    v = 25 + 30 * c;
                v += static_cast<int>(random() % 25) - 12;
                p[c] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
    return s;
}

double Psnr(const Raster &a, const Raster &b)
{
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.bpp, b.bpp);
    if (a.width != b.width || a.height != b.height || a.bpp != b.bpp)
        return 0;
    const size_t rowBytes = static_cast<size_t>(a.width) * a.bpp / 8;
    double squared = 0;
    for (int y = 0; y < a.height; ++y)
        for (size_t i = 0; i < rowBytes; ++i)
        {
            const double d = a.Row(y)[i] - b.Row(y)[i];
            squared += d * d;
        }
    const double mse = squared / (rowBytes * a.height);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

Raster ToRaster(const Samples &s)
{
    Raster r;
    r.width = s.width;
    r.height = s.height;
    r.bpp = s.components == 1 ? 8 : 24;
    r.stride = static_cast<size_t>(s.width) * s.components;
    r.pixels = s.data;
    return r;
}

// The photo every scale and fast-path test decodes: 4000 x 3000 at quality 92.
const std::vector<uint8_t> &Photo4000x3000()
{
    static const std::vector<uint8_t> bytes = WriteJpeg(PhotoLike(4000, 3000, 1));
    return bytes;
}

const uint16_t kIjgLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const uint16_t kIjgChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                      24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

TEST(JpegCodecTest, EncodeWritesBaselineWithIjgTablesAnd420Sampling)
{
    const Raster picture = ToRaster(Smooth(64, 48));
    for (int quality : {90, 50, 100})
    {
        SCOPED_TRACE(testing::Message() << "quality " << quality);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(EncodeJpeg(picture, quality, bytes, error)) << error;
        const JpegInfo info = ReadInfo(bytes);
        ASSERT_TRUE(info.ok);
        const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
        for (int i = 0; i < 64; ++i)
        {
            ASSERT_EQ(info.quant[0][i], std::clamp((kIjgLuminance[i] * scale + 50) / 100, 1, 255)) << "entry " << i;
            ASSERT_EQ(info.quant[1][i], std::clamp((kIjgChrominance[i] * scale + 50) / 100, 1, 255)) << "entry " << i;
        }
        const auto frames = FrameMarkers(bytes);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].second, 0xC0) << "not a baseline (SOF0) frame";
        EXPECT_FALSE(info.progressive);
        EXPECT_FALSE(info.arithmetic);
        ASSERT_EQ(info.components, 3);
        EXPECT_EQ(info.space, JCS_YCbCr);
        EXPECT_EQ(info.hSamp[0], 2);
        EXPECT_EQ(info.vSamp[0], 2);
        for (int c = 1; c < 3; ++c)
        {
            EXPECT_EQ(info.hSamp[c], 1);
            EXPECT_EQ(info.vSamp[c], 1);
        }
    }
}

TEST(JpegCodecTest, OptimisedHuffmanTablesGiveASmallerFileWithTheSamePixels)
{
    const Samples samples = PhotoLike(203, 151, 4);
    // Rows padded beyond their width: the encoder must follow the stride.
    Raster picture = ToRaster(samples);
    picture.stride = 203 * 3 + 9;
    picture.pixels.assign(picture.stride * 151, 0);
    for (int y = 0; y < 151; ++y)
        std::memcpy(picture.Row(y), &samples.data[static_cast<size_t>(y) * 203 * 3], 203 * 3);

    std::vector<uint8_t> ours;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(picture, 90, ours, error)) << error;
    WriteOptions plain;
    plain.quality = 90;
    const std::vector<uint8_t> standard = WriteJpeg(samples, plain);
    EXPECT_LT(ours.size(), standard.size());

    Raster fromOurs, fromStandard;
    ASSERT_TRUE(DecodeJpeg(ours.data(), ours.size(), 0, 0, fromOurs, error)) << error;
    ASSERT_TRUE(DecodeJpeg(standard.data(), standard.size(), 0, 0, fromStandard, error)) << error;
    EXPECT_EQ(fromOurs.pixels, fromStandard.pixels);
}

// A 48 x 16 picture of three 16-pixel blocks; block centres are compared after a round trip.
Raster ThreeBlocks(int bpp, const std::vector<PaletteEntry> &palette, const int (&index)[3])
{
    Raster r;
    r.width = 48;
    r.height = 16;
    r.bpp = bpp;
    r.stride = (48 * static_cast<size_t>(bpp) + 7) / 8;
    r.pixels.assign(r.stride * 16, 0);
    r.palette = palette;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
        {
            const int value = index[x / 16];
            const int bit = x * bpp;
            r.Row(y)[bit / 8] |= static_cast<uint8_t>(value << (8 - bpp - bit % 8));
        }
    return r;
}

void ExpectBlockColours(const Raster &picture, const PaletteEntry (&expected)[3], int tolerance)
{
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(picture, 90, bytes, error)) << error;
    Raster decoded;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0, decoded, error)) << error;
    ASSERT_EQ(decoded.bpp, 24);
    for (int block = 0; block < 3; ++block)
    {
        const uint8_t *p = decoded.Row(8) + 3 * (16 * block + 8);
        EXPECT_NEAR(p[0], expected[block].r, tolerance) << "block " << block;
        EXPECT_NEAR(p[1], expected[block].g, tolerance) << "block " << block;
        EXPECT_NEAR(p[2], expected[block].b, tolerance) << "block " << block;
    }
}

TEST(JpegCodecTest, EncodeExpandsPalettePicturesThroughTheirPalette)
{
    std::vector<PaletteEntry> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7 % 256)};
    palette[1] = {200, 30, 30};
    struct Case
    {
        const char *name;
        int bpp;
        std::vector<PaletteEntry> palette;
        int index[3];
        PaletteEntry expected[3];
    };
    const Case cases[] = {
        {"1-bit", 1, {{20, 40, 220}, {200, 30, 30}}, {1, 0, 1}, {{200, 30, 30}, {20, 40, 220}, {200, 30, 30}}},
        {"4-bit", 4, palette, {1, 14, 7}, {{200, 30, 30}, palette[14], palette[7]}},
        {"8-bit", 8, palette, {1, 250, 100}, {{200, 30, 30}, palette[250], palette[100]}},
        {"8-bit grey without palette", 8, {}, {0, 60, 255}, {{0, 0, 0}, {60, 60, 60}, {255, 255, 255}}},
        {"4-bit grey without palette", 4, {}, {0, 3, 15}, {{0, 0, 0}, {51, 51, 51}, {255, 255, 255}}},
        {"index beyond the palette is black",
         8,
         {{250, 250, 250}, {10, 200, 10}},
         {0, 1, 200},
         {{250, 250, 250}, {10, 200, 10}, {0, 0, 0}}},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        ExpectBlockColours(ThreeBlocks(test.bpp, test.palette, test.index), test.expected, 10);
    }
}

TEST(JpegCodecTest, EncodeComposesAlphaOverWhite)
{
    // Black under every block: a transparent block that is not composed shows black.
    const int index[3] = {0, 0, 0};
    Raster picture = ThreeBlocks(8, {{0, 0, 0}}, index);
    picture.alpha.resize(48 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
            picture.alpha[y * 48 + x] = x < 16 ? 0 : x < 32 ? 128 : 255;
    ExpectBlockColours(picture, {{255, 255, 255}, {127, 127, 127}, {0, 0, 0}}, 4);

    // The same through the 24-bit path, with red under the transparent block.
    Raster rgb = ToRaster(Smooth(48, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
        {
            uint8_t *p = rgb.Row(y) + 3 * x;
            p[0] = x < 16 ? 255 : 0;
            p[1] = 0;
            p[2] = 0;
        }
    rgb.alpha = picture.alpha;
    ExpectBlockColours(rgb, {{255, 255, 255}, {127, 127, 127}, {0, 0, 0}}, 4);
}

TEST(JpegCodecTest, EncodeRefusesMalformedPictures)
{
    const Raster good = ToRaster(Smooth(8, 8));
    auto with = [&](auto change) {
        Raster r = good;
        change(r);
        return r;
    };
    struct Case
    {
        const char *name;
        Raster picture;
        int quality;
    };
    const Case cases[] = {
        {"empty picture", Raster{}, 90},
        {"16 bits per pixel", with([](Raster &r) { r.bpp = 16; }), 90},
        {"stride shorter than a row", with([](Raster &r) { r.stride = 8; }), 90},
        {"pixels shorter than the picture", with([](Raster &r) { r.pixels.resize(100); }), 90},
        {"alpha shorter than the picture", with([](Raster &r) { r.alpha.resize(10); }), 90},
        {"quality 0", good, 0},
        {"quality 101", good, 101},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        std::vector<uint8_t> out{1, 2, 3};
        std::string error;
        EXPECT_FALSE(EncodeJpeg(test.picture, test.quality, out, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
    }
}

TEST(JpegCodecTest, DecodesEveryColourModel)
{
    const int width = 48, height = 40;
    const Samples rgb = Smooth(width, height);
    Samples grey{width, height, 1, JCS_GRAYSCALE, {}};
    for (size_t i = 0; i < rgb.data.size(); i += 3)
        grey.data.push_back(rgb.data[i + 1]);
    // Four-channel samples and the colours they stand for, with the black channel varying.
    auto cmyk = [&](bool inverted, Raster &expected) {
        Samples s{width, height, 4, JCS_CMYK, {}};
        expected = ToRaster(rgb);
        for (size_t p = 0; p < rgb.data.size() / 3; ++p)
        {
            const int k = 150 + static_cast<int>(p % width) * 2; // stored value, 150..244
            for (int c = 0; c < 3; ++c)
            {
                const int stored = rgb.data[3 * p + c];
                s.data.push_back(static_cast<uint8_t>(inverted ? stored : 255 - stored));
                expected.pixels[3 * p + c] = static_cast<uint8_t>(std::lround(stored * k / 255.0));
            }
            s.data.push_back(static_cast<uint8_t>(inverted ? k : 255 - k));
        }
        return s;
    };
    Raster adobeExpected, plainExpected;
    const Samples adobe = cmyk(true, adobeExpected);
    const Samples plain = cmyk(false, plainExpected);

    struct Case
    {
        const char *name;
        const Samples &samples;
        WriteOptions options;
        Raster expected;
    };
    WriteOptions progressive, arithmetic, ycck, noAdobe, progressiveGrey;
    progressive.progressive = true;
    arithmetic.arithmetic = true;
    ycck.fileSpace = JCS_YCCK;
    noAdobe.adobeMarker = false;
    progressiveGrey.progressive = true;
    const Case cases[] = {
        {"YCbCr baseline", rgb, {}, ToRaster(rgb)},
        {"YCbCr progressive", rgb, progressive, ToRaster(rgb)},
        {"YCbCr arithmetic-coded", rgb, arithmetic, ToRaster(rgb)},
        {"grey", grey, {}, ToRaster(grey)},
        {"grey progressive", grey, progressiveGrey, ToRaster(grey)},
        {"Adobe CMYK (inverted)", adobe, {}, adobeExpected},
        {"Adobe YCCK (inverted)", adobe, ycck, adobeExpected},
        {"CMYK without Adobe marker", plain, noAdobe, plainExpected},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        const std::vector<uint8_t> bytes = WriteJpeg(test.samples, test.options);
        Raster decoded;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0, decoded, error)) << error;
        ASSERT_EQ(decoded.bpp, test.expected.bpp);
        if (decoded.bpp == 8)
        {
            ASSERT_EQ(decoded.palette.size(), 256u);
            EXPECT_EQ(decoded.palette[77].r, 77);
            EXPECT_EQ(decoded.palette[77].b, 77);
        }
        EXPECT_GT(Psnr(decoded, test.expected), 35);
    }
}

TEST(JpegCodecTest, ChoosesTheSmallestPowerOfTwoScaleThatKeepsTheTargetSize)
{
    static const std::vector<uint8_t> odd = WriteJpeg(Smooth(1001, 751));
    struct Case
    {
        const std::vector<uint8_t> &bytes;
        int minWidth, minHeight;
        int width, height;
    };
    const Case cases[] = {
        {Photo4000x3000(), 640, 480, 1000, 750},
        {Photo4000x3000(), 1000, 750, 1000, 750},
        {Photo4000x3000(), 1001, 750, 2000, 1500},
        {Photo4000x3000(), 1000, 751, 2000, 1500},
        {Photo4000x3000(), 500, 375, 500, 375},
        {Photo4000x3000(), 1, 1, 500, 375},
        {Photo4000x3000(), 0, 0, 4000, 3000},
        {Photo4000x3000(), 640, 0, 4000, 3000},
        {Photo4000x3000(), 2001, 1, 4000, 3000},
        {Photo4000x3000(), 5000, 4000, 4000, 3000},
        {odd, 126, 94, 126, 94},
        {odd, 127, 94, 251, 188},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(testing::Message() << "at least " << test.minWidth << " x " << test.minHeight);
        Raster decoded;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(test.bytes.data(), test.bytes.size(), test.minWidth, test.minHeight, decoded, error))
            << error;
        EXPECT_EQ(decoded.width, test.width);
        EXPECT_EQ(decoded.height, test.height);
        EXPECT_EQ(decoded.pixels.size(), static_cast<size_t>(test.width) * test.height * 3);
    }
}

TEST(JpegCodecTest, ScaledDecodePlusAreaAveragingStaysAbove40dB)
{
    const std::vector<uint8_t> &bytes = Photo4000x3000();
    std::string error;
    Raster full, scaled, reference, fast;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0, full, error)) << error;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 640, 480, scaled, error)) << error;
    ASSERT_EQ(scaled.width, 1000);
    ASSERT_TRUE(ResampleRaster(full, 640, 480, reference));
    ASSERT_TRUE(ResampleRaster(scaled, 640, 480, fast));
    const double psnr = Psnr(fast, reference);
    EXPECT_GT(psnr, 40);
    RecordProperty("psnr_centi_db", static_cast<int>(psnr * 100));
}

long PeakResidentKb()
{
#if defined(__linux__)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

TEST(JpegCodecTest, HostileInputsFailWithAMessageWithoutPrintingOrAllocatingMuch)
{
    const std::vector<uint8_t> baseline = WriteJpeg(Smooth(64, 64));
    WriteOptions progressiveOptions;
    progressiveOptions.progressive = true;
    const std::vector<uint8_t> progressive = WriteJpeg(Smooth(64, 64), progressiveOptions);
    auto patched = [](std::vector<uint8_t> bytes, auto change) {
        change(bytes, FrameMarkers(bytes).at(0).first);
        return bytes;
    };
    auto huge = [](std::vector<uint8_t> &b, size_t sof) {
        b[sof + 5] = b[sof + 7] = 60000 >> 8;
        b[sof + 6] = b[sof + 8] = 60000 & 255;
    };
    auto cut = [](const std::vector<uint8_t> &b, size_t size) {
        return std::vector<uint8_t>(b.begin(), b.begin() + size);
    };
    struct Case
    {
        const char *name;
        std::vector<uint8_t> bytes;
        int minWidth, minHeight;
        const char *expected;
    };
    const Case cases[] = {
        {"zero bytes", {}, 0, 0, "empty"},
        {"PNG signature", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}, 0, 0, "not a JPEG"},
        {"start marker only", {0xFF, 0xD8}, 0, 0, "truncated"},
        {"cut inside the quantisation table", cut(baseline, FindMarker(baseline, 0xDB) + 12), 0, 0, "truncated"},
        {"baseline cut in half", cut(baseline, baseline.size() / 2), 0, 0, "truncated"},
        {"progressive cut in half", cut(progressive, progressive.size() / 2), 0, 0, "truncated"},
        {"12-bit precision", patched(baseline, [](auto &b, size_t sof) { b[sof + 4] = 12; }), 0, 0, "corrupt"},
        {"zero width", patched(baseline, [](auto &b, size_t sof) { b[sof + 7] = b[sof + 8] = 0; }), 0, 0, "corrupt"},
        {"60000 x 60000 at full size", patched(baseline, huge), 0, 0, "too large"},
        {"60000 x 60000 scaled into the budget", patched(baseline, huge), 640, 480, "truncated"},
        {"60000 x 60000 progressive, scaled", patched(progressive, huge), 640, 480, "memory"},
        {"a scan repeated 1100 times", WithRepeatedScan(progressive, 1100), 0, 0, "more than 1000 scans"},
    };
    const long peakBefore = PeakResidentKb();
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        Raster out;
        out.width = 3;
        out.pixels = {9, 9, 9};
        std::string error;
        testing::internal::CaptureStderr();
        const bool ok = DecodeJpeg(test.bytes.data(), test.bytes.size(), test.minWidth, test.minHeight, out, error);
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(test.expected), std::string::npos) << "message: " << error;
        EXPECT_EQ(printed, "");
        EXPECT_EQ(out.width, 3);
        EXPECT_EQ(out.pixels, (std::vector<uint8_t>{9, 9, 9}));
        EXPECT_LT(PeakResidentKb() - peakBefore, 64 * 1024) << "a lying header made the decoder allocate";
    }
}

TEST(JpegCodecTest, AFileMissingOnlyItsEndMarkerStillDecodes)
{
    WriteOptions progressive;
    progressive.progressive = true;
    for (const WriteOptions &options : {WriteOptions{}, progressive})
    {
        SCOPED_TRACE(options.progressive ? "progressive" : "baseline");
        const std::vector<uint8_t> whole = WriteJpeg(PhotoLike(120, 90, 3), options);
        ASSERT_EQ(whole[whole.size() - 2], 0xFF);
        ASSERT_EQ(whole[whole.size() - 1], 0xD9);
        const std::vector<uint8_t> noEnd(whole.begin(), whole.end() - 2);
        Raster a, b;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(whole.data(), whole.size(), 0, 0, a, error)) << error;
        ASSERT_TRUE(DecodeJpeg(noEnd.data(), noEnd.size(), 0, 0, b, error)) << error;
        EXPECT_EQ(a.pixels, b.pixels);
    }
}

// A damaged stretch inside the data, with restart markers to resynchronise on, still gives the picture,
// as a viewer shows it; only data that ends early is refused.
TEST(JpegCodecTest, DamageInsideTheDataStillDecodes)
{
    WriteOptions options;
    options.restartRows = 1;
    std::vector<uint8_t> bytes = WriteJpeg(PhotoLike(160, 120, 5), options);
    Raster clean;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0, clean, error)) << error;
    const size_t damage = FindMarker(bytes, 0xDA) + (bytes.size() - FindMarker(bytes, 0xDA)) / 3;
    ASSERT_NE(bytes[damage - 1], 0xFF);
    std::fill(bytes.begin() + static_cast<ptrdiff_t>(damage), bytes.begin() + static_cast<ptrdiff_t>(damage) + 24,
              0x00);
    Raster damaged;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0, damaged, error)) << error;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(damaged.width, 160);
    EXPECT_EQ(damaged.height, 120);
    EXPECT_NE(damaged.pixels, clean.pixels);
    EXPECT_GT(Psnr(damaged, clean), 15) << "the damage spread beyond its restart interval";
}

// The file's coefficients written again with libjpeg's standard Huffman tables (or optimised ones).
struct RewriteJob
{
    const std::vector<uint8_t> *bytes;
    bool optimise;
    unsigned char *out;
    unsigned long size;
    TestJpegError err;
};

bool RunRewrite(RewriteJob &job)
{
    jpeg_decompress_struct in;
    jpeg_compress_struct out;
    in.err = jpeg_std_error(&job.err.pub);
    out.err = &job.err.pub;
    job.err.pub.error_exit = TestErrorExit;
    job.err.pub.emit_message = TestSilent;
    if (setjmp(job.err.jump))
    {
        jpeg_destroy_compress(&out);
        jpeg_destroy_decompress(&in);
        return false;
    }
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    jpeg_mem_src(&in, job.bytes->data(), static_cast<unsigned long>(job.bytes->size()));
    jpeg_read_header(&in, TRUE);
    jvirt_barray_ptr *coefficients = jpeg_read_coefficients(&in);
    jpeg_copy_critical_parameters(&in, &out);
    out.optimize_coding = job.optimise;
    jpeg_mem_dest(&out, &job.out, &job.size);
    jpeg_write_coefficients(&out, coefficients);
    jpeg_finish_compress(&out);
    jpeg_finish_decompress(&in);
    jpeg_destroy_compress(&out);
    jpeg_destroy_decompress(&in);
    return true;
}

size_t RewrittenSize(const std::vector<uint8_t> &bytes, bool optimise)
{
    RewriteJob job{&bytes, optimise, nullptr, 0, {}};
    const bool ok = RunRewrite(job);
    std::free(job.out);
    EXPECT_TRUE(ok) << job.err.message;
    return ok ? job.size : 0;
}

// ResizeJpeg is held to what decoding, resampling and encoding, the way of every other picture, give.
TEST(JpegCodecTest, ResizeWritesWhatDecodeResampleEncodeWouldInTheSameFormat)
{
    std::vector<uint8_t> encoded;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(ToRaster(Smooth(16, 16)), 90, encoded, error)) << error;
    const JpegInfo expectedInfo = ReadInfo(encoded);

    WriteOptions s444, s422, progressive, restarts;
    s444.lumaH = s444.lumaV = 1;
    s422.lumaH = 2;
    s422.lumaV = 1;
    progressive.progressive = true;
    restarts.restartRows = 1;
    struct Case
    {
        const char *name;
        Samples samples;
        WriteOptions options;
        int width, height;
    };
    const Case cases[] = {
        {"4:2:0 decoded at a quarter scale", PhotoLike(1280, 960, 7), {}, 300, 220},
        {"4:4:4 to odd sizes", PhotoLike(401, 303, 8), s444, 250, 171},
        {"4:2:2 from and to odd sizes", PhotoLike(333, 251, 9), s422, 211, 157},
        {"progressive, enlarged", PhotoLike(120, 90, 10), progressive, 301, 227},
        {"restart markers, same size", PhotoLike(160, 120, 11), restarts, 160, 120},
        {"to one pixel", PhotoLike(64, 48, 12), {}, 1, 1},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        const std::vector<uint8_t> bytes = WriteJpeg(test.samples, test.options);
        std::vector<uint8_t> resized, work;
        ASSERT_TRUE(ResizeJpeg(bytes.data(), bytes.size(), test.width, test.height, 90, resized, work, error)) << error;

        const JpegInfo info = ReadInfo(resized);
        ASSERT_TRUE(info.ok);
        const auto frames = FrameMarkers(resized);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].second, 0xC0) << "not a baseline (SOF0) frame";
        ASSERT_EQ(info.components, 3);
        EXPECT_EQ(info.space, JCS_YCbCr);
        EXPECT_EQ(std::vector<int>(info.hSamp, info.hSamp + 3), (std::vector<int>{2, 1, 1}));
        EXPECT_EQ(std::vector<int>(info.vSamp, info.vSamp + 3), (std::vector<int>{2, 1, 1}));
        EXPECT_TRUE(std::equal(info.quant[0], info.quant[0] + 64, expectedInfo.quant[0]));
        EXPECT_TRUE(std::equal(info.quant[1], info.quant[1] + 64, expectedInfo.quant[1]));
        EXPECT_LE(resized.size(), RewrittenSize(resized, false)) << "the Huffman tables are not optimised";

        // Against the picture resampled from a full decode, never encoded: no worse than the general way.
        Raster full, ideal, scaled, general, generalDecoded, ours;
        ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), 0, 0, full, error)) << error;
        ASSERT_TRUE(ResampleRaster(full, test.width, test.height, ideal));
        ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), test.width, test.height, scaled, error)) << error;
        ASSERT_TRUE(ResampleRaster(scaled, test.width, test.height, general));
        ASSERT_TRUE(EncodeJpeg(general, 90, encoded, error)) << error;
        ASSERT_TRUE(DecodeJpeg(encoded.data(), encoded.size(), 0, 0, generalDecoded, error)) << error;
        ASSERT_TRUE(DecodeJpeg(resized.data(), resized.size(), 0, 0, ours, error)) << error;
        EXPECT_GT(Psnr(ours, ideal), Psnr(generalDecoded, ideal) - 0.5);
        EXPECT_GT(Psnr(ours, generalDecoded), 38);
    }
}

TEST(JpegCodecTest, ResizeRefusesWhatItCannotResizeAndLeavesTheOutputAlone)
{
    const Samples rgb = Smooth(48, 40);
    Samples grey{48, 40, 1, JCS_GRAYSCALE, {}};
    Samples cmyk{48, 40, 4, JCS_CMYK, {}};
    for (size_t i = 0; i < rgb.data.size(); i += 3)
    {
        grey.data.push_back(rgb.data[i]);
        cmyk.data.insert(cmyk.data.end(), {rgb.data[i], rgb.data[i + 1], rgb.data[i + 2], 200});
    }
    const std::vector<uint8_t> baseline = WriteJpeg(rgb);
    WriteOptions progressiveOptions;
    progressiveOptions.progressive = true;
    std::vector<uint8_t> hugeProgressive = WriteJpeg(Smooth(64, 64), progressiveOptions);
    const size_t sof = FrameMarkers(hugeProgressive).at(0).first;
    hugeProgressive[sof + 5] = hugeProgressive[sof + 7] = 60000 >> 8;
    hugeProgressive[sof + 6] = hugeProgressive[sof + 8] = 60000 & 255;
    struct Case
    {
        const char *name;
        std::vector<uint8_t> bytes;
        int width, height, quality;
        const char *expected;
    };
    const Case cases[] = {
        {"grey", WriteJpeg(grey), 20, 20, 90, "YCbCr"},
        {"CMYK", WriteJpeg(cmyk), 20, 20, 90, "YCbCr"},
        {"zero bytes", {}, 20, 20, 90, "not a JPEG"},
        {"PNG signature", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}, 20, 20, 90, "not a JPEG"},
        {"cut in half", std::vector<uint8_t>(baseline.begin(), baseline.begin() + baseline.size() / 2), 20, 20, 90,
         "truncated"},
        {"60000 x 60000 progressive", hugeProgressive, 640, 480, 90, "memory"},
        {"no pixels", baseline, 0, 20, 90, "no pixels"},
        {"quality 0", baseline, 20, 20, 0, "quality"},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        std::vector<uint8_t> out{1, 2, 3}, work;
        std::string error;
        testing::internal::CaptureStderr();
        const bool ok =
            ResizeJpeg(test.bytes.data(), test.bytes.size(), test.width, test.height, test.quality, out, work, error);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(test.expected), std::string::npos) << "message: " << error;
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
    }
}

} // namespace
