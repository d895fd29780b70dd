// Tests of the resampler: exact sizes, exact solid colours and means, weights against a reference.
#include "imaging/Resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <utility>

namespace
{

Raster MakeRgb(int width, int height, const std::function<uint8_t(int x, int y, int c)> &sample, size_t stride = 0)
{
    Raster raster;
    raster.width = width;
    raster.height = height;
    raster.bpp = 24;
    raster.stride = stride != 0 ? stride : static_cast<size_t>(width) * 3;
    raster.pixels.assign(raster.stride * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                raster.Row(y)[3 * x + c] = sample(x, y, c);
    return raster;
}

Raster MakeRandom(int width, int height, unsigned seed, bool withAlpha)
{
    std::mt19937 random(seed);
    Raster raster = MakeRgb(width, height, [&](int, int, int) { return static_cast<uint8_t>(random() & 255); });
    if (withAlpha)
    {
        raster.alpha.resize(static_cast<size_t>(width) * height);
        for (uint8_t &a : raster.alpha)
            a = static_cast<uint8_t>(random() & 255);
    }
    return raster;
}

// Weights of one axis in double precision, written from the definitions: area coverage when
// shrinking, centre-aligned linear interpolation clamped at the edges when enlarging.
std::vector<std::vector<std::pair<int, double>>> ReferenceWeights(int src, int dst)
{
    std::vector<std::vector<std::pair<int, double>>> weights(dst);
    const double scale = static_cast<double>(src) / dst;
    for (int x = 0; x < dst; ++x)
    {
        if (dst < src)
        {
            const double lo = x * scale;
            const double hi = (x + 1) * scale;
            for (int i = static_cast<int>(std::floor(lo)); i < src && i < hi; ++i)
            {
                const double covered = std::min<double>(i + 1, hi) - std::max<double>(i, lo);
                if (covered > 0)
                    weights[x].push_back({i, covered / scale});
            }
        }
        else
        {
            const double pos = std::clamp((x + 0.5) * scale - 0.5, 0.0, src - 1.0);
            const int i = std::min(static_cast<int>(pos), src - 1);
            const double frac = pos - i;
            weights[x].push_back({i, 1 - frac});
            if (frac > 0)
                weights[x].push_back({i + 1, frac});
        }
    }
    return weights;
}

// Largest difference between a resampled plane and the reference built from the same source.
int MaxReferenceError(const Raster &src, const Raster &dst, bool alpha)
{
    const auto wx = ReferenceWeights(src.width, dst.width);
    const auto wy = ReferenceWeights(src.height, dst.height);
    const int channels = alpha ? 1 : 3;
    int worst = 0;
    for (int y = 0; y < dst.height; ++y)
        for (int x = 0; x < dst.width; ++x)
            for (int c = 0; c < channels; ++c)
            {
                double sum = 0;
                for (const auto &[sy, fy] : wy[y])
                    for (const auto &[sx, fx] : wx[x])
                    {
                        const uint8_t v =
                            alpha ? src.alpha[static_cast<size_t>(sy) * src.width + sx] : src.Row(sy)[3 * sx + c];
                        sum += fx * fy * v;
                    }
                const int got = alpha ? dst.alpha[static_cast<size_t>(y) * dst.width + x] : dst.Row(y)[3 * x + c];
                worst = std::max(worst, static_cast<int>(std::lround(std::fabs(got - sum) + 0.49)));
            }
    return worst;
}

struct SizeCase
{
    const char *name;
    int srcWidth, srcHeight, dstWidth, dstHeight;
};

const SizeCase kSizeCases[] = {
    {"shrink both, engine size", 1000, 750, 640, 480},
    {"enlarge both", 3, 2, 7, 5},
    {"odd shrink", 7, 7, 3, 3},
    {"odd enlarge", 3, 3, 7, 7},
    {"shrink x, enlarge y", 9, 2, 4, 5},
    {"enlarge x, shrink y", 2, 9, 5, 4},
    {"shrink x only", 10, 5, 3, 5},
    {"enlarge y only", 6, 3, 6, 11},
    {"to one pixel", 37, 23, 1, 1},
    {"from one pixel", 1, 1, 13, 7},
    {"prime ratios", 101, 67, 53, 97},
    {"extreme ratio", 20000, 2, 3, 1},
};

TEST(ResampleTest, GivesExactSizeAndKeepsSolidColoursExact)
{
    const uint8_t colours[][3] = {{0, 0, 0}, {255, 255, 255}, {17, 200, 93}};
    for (const SizeCase &size : kSizeCases)
        for (const auto &colour : colours)
        {
            SCOPED_TRACE(testing::Message() << size.name << ", colour " << int(colour[0]) << "," << int(colour[1])
                                            << "," << int(colour[2]));
            Raster src = MakeRgb(size.srcWidth, size.srcHeight, [&](int, int, int c) { return colour[c]; });
            src.alpha.assign(static_cast<size_t>(size.srcWidth) * size.srcHeight, 128);
            Raster dst;
            ASSERT_TRUE(ResampleRaster(src, size.dstWidth, size.dstHeight, dst));
            ASSERT_EQ(dst.width, size.dstWidth);
            ASSERT_EQ(dst.height, size.dstHeight);
            ASSERT_EQ(dst.bpp, 24);
            ASSERT_GE(dst.stride, static_cast<size_t>(size.dstWidth) * 3);
            ASSERT_GE(dst.pixels.size(), dst.stride * size.dstHeight);
            ASSERT_EQ(dst.alpha.size(), static_cast<size_t>(size.dstWidth) * size.dstHeight);
            int wrong = 0;
            for (int y = 0; y < dst.height; ++y)
                for (int x = 0; x < dst.width; ++x)
                    for (int c = 0; c < 3; ++c)
                        wrong += dst.Row(y)[3 * x + c] != colour[c];
            for (uint8_t a : dst.alpha)
                wrong += a != 128;
            EXPECT_EQ(wrong, 0) << "samples that moved off the solid colour";
        }
}

TEST(ResampleTest, TwoByTwoToOnePixelIsTheRoundedMean)
{
    struct Case
    {
        uint8_t quad[4]; // top-left, top-right, bottom-left, bottom-right
        uint8_t mean;
    };
    const Case cases[] = {
        {{0, 255, 255, 0}, 128}, {{10, 11, 11, 10}, 11}, {{0, 0, 0, 1}, 0},           {{0, 0, 1, 1}, 1},
        {{0, 1, 1, 1}, 1},       {{1, 2, 3, 4}, 3},      {{255, 254, 254, 254}, 254}, {{200, 0, 0, 0}, 50},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(testing::Message() << int(test.quad[0]) << " " << int(test.quad[1]) << " " << int(test.quad[2])
                                        << " " << int(test.quad[3]));
        const Raster src = MakeRgb(2, 2, [&](int x, int y, int c) {
            const uint8_t v = test.quad[2 * y + x];
            return static_cast<uint8_t>(c == 1 ? 255 - v : v);
        });
        Raster dst;
        ASSERT_TRUE(ResampleRaster(src, 1, 1, dst));
        EXPECT_EQ(dst.Row(0)[0], test.mean);
        // The inverted channel rounds its exact halves up as well, which is one more than 255 - mean.
        const bool half = (test.quad[0] + test.quad[1] + test.quad[2] + test.quad[3]) % 4 == 2;
        EXPECT_EQ(dst.Row(0)[1], 255 - test.mean + (half ? 1 : 0));
        EXPECT_EQ(dst.Row(0)[2], test.mean);
    }
}

TEST(ResampleTest, SameSizeIsAPlainCopy)
{
    const Raster random = MakeRandom(31, 17, 7, false);
    Raster src = MakeRgb(
        31, 17, [&](int x, int y, int c) { return random.Row(y)[3 * x + c]; }, 100); // padded rows
    src.alpha.assign(31 * 17, 77);
    Raster dst;
    ASSERT_TRUE(ResampleRaster(src, 31, 17, dst));
    EXPECT_EQ(dst.stride, src.stride);
    EXPECT_EQ(dst.pixels, src.pixels);
    EXPECT_EQ(dst.alpha, src.alpha);

    Raster same = src;
    ASSERT_TRUE(ResampleRaster(same, 31, 17, same));
    EXPECT_EQ(same.pixels, src.pixels);
}

// Catches misaligned centres, wrong coverage at fractional edges and taps off by one.
TEST(ResampleTest, MatchesReferenceWeightsWithinOneStep)
{
    for (const SizeCase &size : kSizeCases)
    {
        if (size.srcWidth * size.srcHeight > 40000 || size.dstWidth * size.dstHeight > 40000)
            continue;
        SCOPED_TRACE(size.name);
        const Raster src = MakeRandom(size.srcWidth, size.srcHeight, 11, true);
        Raster dst;
        ASSERT_TRUE(ResampleRaster(src, size.dstWidth, size.dstHeight, dst));
        EXPECT_LE(MaxReferenceError(src, dst, false), 1);
        EXPECT_LE(MaxReferenceError(src, dst, true), 1);
    }
    // The source is read through its stride, not its width.
    const Raster tight = MakeRandom(45, 30, 5, false);
    const Raster padded = MakeRgb(
        45, 30, [&](int x, int y, int c) { return tight.Row(y)[3 * x + c]; }, 45 * 3 + 7);
    Raster fromTight;
    Raster fromPadded;
    ASSERT_TRUE(ResampleRaster(tight, 20, 50, fromTight));
    ASSERT_TRUE(ResampleRaster(padded, 20, 50, fromPadded));
    EXPECT_EQ(fromTight.pixels, fromPadded.pixels);
    EXPECT_TRUE(fromTight.alpha.empty()) << "an alpha plane appeared from nowhere";
}

TEST(ResampleTest, BilinearEnlargementOfAGradientIsMonotone)
{
    struct Case
    {
        const char *name;
        bool horizontal;
    };
    for (const Case &test : {Case{"horizontal", true}, Case{"vertical", false}})
    {
        SCOPED_TRACE(test.name);
        const int steps = 16;
        const Raster src = MakeRgb(test.horizontal ? steps : 2, test.horizontal ? 2 : steps, [&](int x, int y, int c) {
            const int i = test.horizontal ? x : y;
            return static_cast<uint8_t>(c == 2 ? 255 - 17 * i : 17 * i);
        });
        Raster dst;
        const int longSide = 301;
        ASSERT_TRUE(ResampleRaster(src, test.horizontal ? longSide : 3, test.horizontal ? 3 : longSide, dst));
        auto at = [&](int i, int across, int c) {
            return test.horizontal ? dst.Row(across)[3 * i + c] : dst.Row(i)[3 * across + c];
        };
        for (int across = 0; across < 3; ++across)
        {
            EXPECT_EQ(at(0, across, 0), 0);
            EXPECT_EQ(at(longSide - 1, across, 0), 255);
            for (int i = 1; i < longSide; ++i)
            {
                ASSERT_GE(at(i, across, 0), at(i - 1, across, 0)) << "at " << i;
                ASSERT_LE(at(i, across, 2), at(i - 1, across, 2)) << "at " << i;
            }
        }
    }
}

TEST(ResampleTest, AlphaPlaneIsAveragedLikeThePixels)
{
    Raster src = MakeRgb(8, 4, [](int, int, int) { return 50; });
    src.alpha.resize(32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            src.alpha[y * 8 + x] = x < 4 ? 0 : 255;
    Raster half;
    ASSERT_TRUE(ResampleRaster(src, 4, 2, half));
    EXPECT_EQ(half.alpha, (std::vector<uint8_t>{0, 0, 255, 255, 0, 0, 255, 255}));
    Raster two;
    ASSERT_TRUE(ResampleRaster(src, 2, 1, two));
    EXPECT_EQ(two.alpha, (std::vector<uint8_t>{0, 255}));
    Raster one;
    ASSERT_TRUE(ResampleRaster(src, 1, 1, one));
    EXPECT_EQ(one.alpha, (std::vector<uint8_t>{128}));
}

TEST(ResampleTest, RefusesBadArgumentsAndLeavesTheTargetAlone)
{
    const Raster good = MakeRandom(4, 3, 1, false);
    Raster grey = good;
    grey.bpp = 8;
    Raster shortPixels = good;
    shortPixels.pixels.resize(20);
    const Raster empty;
    Raster shortAlpha = good;
    shortAlpha.alpha.resize(5);
    struct Case
    {
        const char *name;
        const Raster &src;
        int width, height;
    };
    const Case cases[] = {
        {"zero width", good, 0, 5},
        {"zero height", good, 5, 0},
        {"negative size", good, -4, -3},
        {"side beyond the budget", good, 70000, 1},
        {"area beyond the budget", good, 20000, 20000},
        {"not 24-bit", grey, 2, 2},
        {"pixels shorter than the size", shortPixels, 2, 2},
        {"alpha shorter than the size", shortAlpha, 2, 2},
        {"empty source", empty, 2, 2},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        Raster dst = MakeRandom(2, 2, 3, false);
        const Raster before = dst;
        EXPECT_FALSE(ResampleRaster(test.src, test.width, test.height, dst));
        EXPECT_EQ(dst.width, before.width);
        EXPECT_EQ(dst.pixels, before.pixels);
    }
}

} // namespace

namespace
{

// Weights of one axis laid out by a ResampleAxis, in double precision from the definitions: coverage of
// [x * num, (x + 1) * num) / den clipped to the source's extent when an output sample spans more than one
// source sample, else centre-aligned linear interpolation clamped to the outermost samples.
std::vector<std::vector<std::pair<int, double>>> ReferenceAxisWeights(const ResampleAxis &axis, int src, int dst)
{
    std::vector<std::vector<std::pair<int, double>>> weights(dst);
    const double span = static_cast<double>(axis.num) / axis.den;
    const double extent = static_cast<double>(axis.extent) / axis.den;
    for (int x = 0; x < dst; ++x)
    {
        if (span > 1)
        {
            const double lo = std::min(x * span, extent - 1.0 / axis.den);
            const double hi = std::min(lo + span, extent);
            for (int i = static_cast<int>(std::floor(lo)); i < src && i < hi; ++i)
            {
                const double covered = std::min<double>(i + 1, hi) - std::max<double>(i, lo);
                if (covered > 0)
                    weights[x].push_back({i, covered / (hi - lo)});
            }
        }
        else
        {
            const double pos = std::clamp((x + 0.5) * span - 0.5, 0.0, src - 1.0);
            const int i = std::min(static_cast<int>(pos), src - 1);
            weights[x].push_back({i, 1 - (pos - i)});
            if (pos > i)
                weights[x].push_back({i + 1, pos - i});
        }
    }
    return weights;
}

std::vector<uint8_t> RandomPlane(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> plane(static_cast<size_t>(width) * height);
    for (uint8_t &v : plane)
        v = static_cast<uint8_t>(random() & 255);
    return plane;
}

// The planes of a picture resampled as a whole use the raster's filters: the alpha plane goes through them.
TEST(ResampleTest, PlaneOfAWholePictureMatchesTheRasterFilters)
{
    for (const SizeCase &size : kSizeCases)
    {
        SCOPED_TRACE(size.name);
        Raster src = MakeRandom(size.srcWidth, size.srcHeight, 21, true);
        Raster dst;
        ASSERT_TRUE(ResampleRaster(src, size.dstWidth, size.dstHeight, dst));
        // The plane read through a stride wider than its rows, written into rows wider than the output.
        const size_t srcStride = static_cast<size_t>(size.srcWidth) + 5;
        const size_t dstStride = static_cast<size_t>(size.dstWidth) + 3;
        std::vector<uint8_t> plane(srcStride * size.srcHeight, 0xEE);
        for (int y = 0; y < size.srcHeight; ++y)
            std::copy_n(src.alpha.begin() + static_cast<ptrdiff_t>(y) * size.srcWidth, size.srcWidth,
                        plane.begin() + static_cast<ptrdiff_t>(y * srcStride));
        std::vector<uint8_t> out(dstStride * size.dstHeight, 0xEE);
        const ResampleAxis axisX{size.srcWidth, size.dstWidth, int64_t{size.srcWidth} * size.dstWidth};
        const ResampleAxis axisY{size.srcHeight, size.dstHeight, int64_t{size.srcHeight} * size.dstHeight};
        ASSERT_TRUE(ResamplePlane(plane.data(), srcStride, size.srcWidth, size.srcHeight, size.dstWidth, size.dstHeight,
                                  out.data(), dstStride, axisX, axisY));
        int wrong = 0;
        for (int y = 0; y < size.dstHeight; ++y)
            for (int x = 0; x < size.dstWidth; ++x)
                wrong += out[y * dstStride + x] != dst.alpha[static_cast<size_t>(y) * size.dstWidth + x];
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(out[dstStride - 1], 0xEE) << "wrote beyond the row";
    }
}

// A chroma plane of a picture of odd size ends inside its last sample; its samples are weighted by what
// they cover of the picture, and a solid plane stays solid.
TEST(ResampleTest, PlaneWhoseExtentEndsInsideItsLastSample)
{
    struct Case
    {
        const char *name;
        int pictureWidth, pictureHeight; // the picture the half-size planes belong to
        int width, height;               // the picture they are made for
    };
    const Case cases[] = {
        {"odd to even, shrinking", 801, 601, 640, 480}, {"even to odd, shrinking", 800, 600, 641, 479},
        {"odd to odd, enlarging", 101, 67, 213, 141},   {"to one sample", 37, 23, 1, 1},
        {"odd to odd, same size", 99, 77, 99, 77},      {"shrinking x, enlarging y", 95, 9, 31, 40},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        const int srcWidth = (test.pictureWidth + 1) / 2, srcHeight = (test.pictureHeight + 1) / 2;
        const int width = (test.width + 1) / 2, height = (test.height + 1) / 2;
        // A target sample spans two target pixels; a source sample two source pixels.
        const ResampleAxis axisX{2 * int64_t{test.pictureWidth}, 2 * int64_t{test.width},
                                 int64_t{test.pictureWidth} * test.width};
        const ResampleAxis axisY{2 * int64_t{test.pictureHeight}, 2 * int64_t{test.height},
                                 int64_t{test.pictureHeight} * test.height};
        const std::vector<uint8_t> src = RandomPlane(srcWidth, srcHeight, 31);
        std::vector<uint8_t> out(static_cast<size_t>(width) * height);
        ASSERT_TRUE(
            ResamplePlane(src.data(), srcWidth, srcWidth, srcHeight, width, height, out.data(), width, axisX, axisY));
        const auto wx = ReferenceAxisWeights(axisX, srcWidth, width);
        const auto wy = ReferenceAxisWeights(axisY, srcHeight, height);
        int worst = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                double sum = 0;
                for (const auto &[sy, fy] : wy[y])
                    for (const auto &[sx, fx] : wx[x])
                        sum += fx * fy * src[static_cast<size_t>(sy) * srcWidth + sx];
                const int got = out[static_cast<size_t>(y) * width + x];
                worst = std::max(worst, static_cast<int>(std::lround(std::fabs(got - sum) + 0.49)));
            }
        EXPECT_LE(worst, 1);

        const std::vector<uint8_t> solid(src.size(), 201);
        ASSERT_TRUE(
            ResamplePlane(solid.data(), srcWidth, srcWidth, srcHeight, width, height, out.data(), width, axisX, axisY));
        EXPECT_EQ(std::count(out.begin(), out.end(), 201), static_cast<ptrdiff_t>(out.size()));
    }
}

TEST(ResampleTest, PlaneRefusesBadArgumentsAndWritesNothing)
{
    const std::vector<uint8_t> src = RandomPlane(10, 8, 41);
    const ResampleAxis goodX{10, 4, 40}, goodY{8, 3, 24};
    struct Case
    {
        const char *name;
        const uint8_t *src;
        size_t srcStride;
        int width, height;
        size_t dstStride;
        ResampleAxis axisX, axisY;
    };
    const Case cases[] = {
        {"no source", nullptr, 10, 4, 3, 4, goodX, goodY},
        {"source stride shorter than a row", src.data(), 9, 4, 3, 4, goodX, goodY},
        {"target stride shorter than a row", src.data(), 10, 4, 3, 3, goodX, goodY},
        {"zero width", src.data(), 10, 0, 3, 4, goodX, goodY},
        {"beyond the budget", src.data(), 10, 70000, 3, 70000, goodX, goodY},
        {"zero span", src.data(), 10, 4, 3, 4, {0, 4, 40}, goodY},
        {"extent beyond the last sample", src.data(), 10, 4, 3, 4, {10, 4, 41}, goodY},
        {"extent short of the last sample", src.data(), 10, 4, 3, 4, goodX, {8, 3, 21}},
    };
    for (const Case &test : cases)
    {
        SCOPED_TRACE(test.name);
        std::vector<uint8_t> out(16, 0x5A);
        EXPECT_FALSE(ResamplePlane(test.src, test.srcStride, 10, 8, test.width, test.height, out.data(), test.dstStride,
                                   test.axisX, test.axisY));
        EXPECT_EQ(std::count(out.begin(), out.end(), 0x5A), 16);
    }
}

} // namespace

TEST(ResampleTest, PortableAndSimdCopiesGiveTheSameBytes)
{
    if (!AllowResampleSimd(true))
        GTEST_SKIP() << "this build has one copy of the resampler";
    const Raster src = MakeRandom(301, 203, 11, true);
    const std::pair<int, int> sizes[] = {{97, 61}, {640, 480}, {301, 100}, {17, 203}, {1, 1}};
    for (const auto &[width, height] : sizes)
    {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        Raster simd;
        Raster portable;
        ASSERT_TRUE(ResampleRaster(src, width, height, simd));
        AllowResampleSimd(false);
        const bool bPortable = ResampleRaster(src, width, height, portable);
        std::vector<uint8_t> planeSimd(static_cast<size_t>(width) * static_cast<size_t>(height));
        std::vector<uint8_t> planePortable(planeSimd.size());
        const ResampleAxis axisX{src.width, width, static_cast<int64_t>(src.width) * width};
        const ResampleAxis axisY{src.height, height, static_cast<int64_t>(src.height) * height};
        const bool bPlanePortable =
            ResamplePlane(src.alpha.data(), static_cast<size_t>(src.width), src.width, src.height, width, height,
                          planePortable.data(), static_cast<size_t>(width), axisX, axisY);
        AllowResampleSimd(true);
        ASSERT_TRUE(bPortable);
        ASSERT_TRUE(bPlanePortable);
        ASSERT_TRUE(ResamplePlane(src.alpha.data(), static_cast<size_t>(src.width), src.width, src.height, width,
                                  height, planeSimd.data(), static_cast<size_t>(width), axisX, axisY));
        EXPECT_EQ(simd.pixels, portable.pixels);
        EXPECT_EQ(simd.alpha, portable.alpha);
        EXPECT_EQ(planeSimd, planePortable);
    }
}
