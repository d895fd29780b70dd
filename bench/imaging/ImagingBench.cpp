// Times a slide's picture step (a JPEG resized in its colour space; for comparison the general way: scaled
// decode, resample, encode) against libjpeg-turbo's own floor.
#include "imaging/JpegCodec.h"
#include "imaging/Resample.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace
{

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kPhotoQuality = 92;
constexpr int kSlideWidth = 640;
constexpr int kSlideHeight = 480;
constexpr int kSlideQuality = 90;
constexpr double kTargetRatio = 1.3;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// libjpeg's default error handling (message and exit) is enough here: every input is made by this program.
std::vector<uint8_t> CompressRgb(const uint8_t *rgb, int width, int height, size_t stride, int quality, bool optimize)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = optimize;
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// A noisy photo: smooth colour waves, hard-edged shapes and per-pixel noise, encoded at quality 92.
std::vector<uint8_t> MakePhoto(unsigned seed)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(kPhotoWidth) * kPhotoHeight * 3);
    std::minstd_rand random(seed);
    const double phase = seed * 0.7;
    std::vector<double> waveX(kPhotoWidth), waveY(kPhotoHeight);
    for (int x = 0; x < kPhotoWidth; ++x)
        waveX[x] = 60 * std::sin(x * 0.0031 + phase) + 25 * std::sin(x * 0.017);
    for (int y = 0; y < kPhotoHeight; ++y)
        waveY[y] = 50 * std::cos(y * 0.0027 - phase) + 20 * std::sin(y * 0.021);
    const double discX = kPhotoWidth * (0.3 + 0.1 * (seed % 4)), discY = kPhotoHeight * 0.45;
    for (int y = 0; y < kPhotoHeight; ++y)
    {
        uint8_t *p = &rgb[static_cast<size_t>(y) * kPhotoWidth * 3];
        for (int x = 0; x < kPhotoWidth; ++x, p += 3)
        {
            const bool disc = std::hypot(x - discX, y - discY) < kPhotoHeight * 0.22;
            const bool bar = (x / 571 + y / 601) % 4 == 0;
            for (int c = 0; c < 3; ++c)
            {
                double v = 120 + waveX[x] * (c == 0 ? 1 : 0.5) + waveY[y] * (c == 2 ? 1 : 0.6);
                if (disc)
                    v = 220 - 35 * c + 20 * std::sin(x * 0.05);
                else if (bar)
                    v = 30 + 30 * c;
                v += static_cast<int>(random() % 29) - 14;
                p[c] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
    return CompressRgb(rgb.data(), kPhotoWidth, kPhotoHeight, static_cast<size_t>(kPhotoWidth) * 3, kPhotoQuality,
                       false);
}

// The power-of-two DCT scale that leaves at least the slide size, by libjpeg's own output sizes.
unsigned ChooseDenominator(j_decompress_ptr cinfo)
{
    for (unsigned denom = 8; denom >= 2; denom /= 2)
    {
        cinfo->scale_num = 1;
        cinfo->scale_denom = denom;
        jpeg_calc_output_dimensions(cinfo);
        if (cinfo->output_width >= static_cast<JDIMENSION>(kSlideWidth) &&
            cinfo->output_height >= static_cast<JDIMENSION>(kSlideHeight))
            return denom;
    }
    return 1;
}

struct FloorResult
{
    int width = 0;
    int height = 0;
    unsigned denom = 1;
    size_t slideBytes = 0;
};

// libjpeg-turbo alone: decode at the scale, then encode a 640 x 480 crop of it with the slide settings.
FloorResult RunFloor(const std::vector<uint8_t> &photo, std::vector<uint8_t> &pixels)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, photo.data(), static_cast<unsigned long>(photo.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    FloorResult result;
    result.denom = ChooseDenominator(&cinfo);
    cinfo.scale_num = 1;
    cinfo.scale_denom = result.denom;
    jpeg_start_decompress(&cinfo);
    result.width = static_cast<int>(cinfo.output_width);
    result.height = static_cast<int>(cinfo.output_height);
    const size_t stride = static_cast<size_t>(result.width) * 3;
    pixels.resize(stride * result.height);
    while (cinfo.output_scanline < cinfo.output_height)
    {
        JSAMPROW row = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    result.slideBytes = CompressRgb(pixels.data(), kSlideWidth, kSlideHeight, stride, kSlideQuality, true).size();
    return result;
}

struct OursResult
{
    bool ok = false;
    int decodedWidth = 0;
    int decodedHeight = 0;
    size_t slideBytes = 0;
    double stageMs[3] = {}; // the general way: decode, resample, encode
    std::string error;
};

// The picture step of a slide: the JPEG resized in its colour space, with buffers kept between calls as a
// worker thread keeps them.
bool RunResize(const std::vector<uint8_t> &photo, std::vector<uint8_t> &jpeg, std::vector<uint8_t> &work,
               std::string &error)
{
    return ResizeJpeg(photo.data(), photo.size(), kSlideWidth, kSlideHeight, kSlideQuality, jpeg, work, error);
}

// The general way of a slide's picture: scaled decode, resample to the slide size, encode.
OursResult RunOurs(const std::vector<uint8_t> &photo)
{
    OursResult result;
    Raster decoded;
    Raster slide;
    std::vector<uint8_t> jpeg;
    auto start = Clock::now();
    if (!DecodeJpeg(photo.data(), photo.size(), kSlideWidth, kSlideHeight, decoded, result.error))
        return result;
    result.stageMs[0] = MillisecondsSince(start);
    result.decodedWidth = decoded.width;
    result.decodedHeight = decoded.height;
    start = Clock::now();
    if (!ResampleRaster(decoded, kSlideWidth, kSlideHeight, slide))
    {
        result.error = "resampling failed";
        return result;
    }
    result.stageMs[1] = MillisecondsSince(start);
    start = Clock::now();
    if (!EncodeJpeg(slide, kSlideQuality, jpeg, result.error))
        return result;
    result.stageMs[2] = MillisecondsSince(start);
    result.slideBytes = jpeg.size();
    result.ok = true;
    return result;
}

int ParseCount(const char *text, int fallback)
{
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return (end != text && *end == '\0' && value > 0 && value <= 1000) ? static_cast<int>(value) : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 3 || (argc > 1 && argv[1][0] == '-'))
    {
        std::printf("usage: imaging_bench [photos (5)] [repeats per photo (3)]\n");
        return 2;
    }
    const int photos = argc > 1 ? ParseCount(argv[1], 5) : 5;
    const int repeats = argc > 2 ? ParseCount(argv[2], 3) : 3;

    std::printf("imaging_bench: %d photos %d x %d (JPEG quality %d) to %d x %d at quality %d, best of %d runs\n",
                photos, kPhotoWidth, kPhotoHeight, kPhotoQuality, kSlideWidth, kSlideHeight, kSlideQuality, repeats);
    std::vector<std::vector<uint8_t>> inputs;
    const auto generating = Clock::now();
    for (int i = 0; i < photos; ++i)
        inputs.push_back(MakePhoto(static_cast<unsigned>(i + 1)));
    std::printf("generated in %.0f ms\n\n", MillisecondsSince(generating));

    std::vector<uint8_t> floorPixels;
    std::vector<uint8_t> resized;
    std::vector<uint8_t> work;
    std::string error;
    RunFloor(inputs[0], floorPixels); // warm caches and the allocator before timing
    RunOurs(inputs[0]);
    RunResize(inputs[0], resized, work, error);

    std::printf("%-6s %8s %6s %9s %9s %7s   %s\n", "photo", "size KB", "scale", "ours ms", "floor ms", "ratio",
                "general way ms = decode + resample + encode");
    double oursTotal = 0;
    double floorTotal = 0;
    double generalTotal = 0;
    for (int i = 0; i < photos; ++i)
    {
        double oursBest = 1e30;
        double floorBest = 1e30;
        double generalBest = 1e30;
        FloorResult floor;
        OursResult general;
        OursResult generalFastest;
        for (int r = 0; r < repeats; ++r)
        {
            // Rotate the order so that no side always runs on a warm cache.
            for (int side = 0; side < 3; ++side)
            {
                const auto start = Clock::now();
                switch ((side + r) % 3)
                {
                case 0:
                    if (!RunResize(inputs[i], resized, work, error))
                    {
                        std::printf("photo %d: %s\n", i + 1, error.c_str());
                        return 1;
                    }
                    oursBest = std::min(oursBest, MillisecondsSince(start));
                    break;
                case 1:
                    floor = RunFloor(inputs[i], floorPixels);
                    floorBest = std::min(floorBest, MillisecondsSince(start));
                    break;
                default:
                    general = RunOurs(inputs[i]);
                    if (MillisecondsSince(start) < generalBest)
                    {
                        generalBest = MillisecondsSince(start);
                        generalFastest = general;
                    }
                    break;
                }
            }
        }
        if (!general.ok)
        {
            std::printf("photo %d: %s\n", i + 1, general.error.c_str());
            return 1;
        }
        if (general.decodedWidth != floor.width || general.decodedHeight != floor.height)
        {
            std::printf("photo %d: decoded at %d x %d, libjpeg's scale gives %d x %d\n", i + 1, general.decodedWidth,
                        general.decodedHeight, floor.width, floor.height);
            return 1;
        }
        oursTotal += oursBest;
        floorTotal += floorBest;
        generalTotal += generalBest;
        std::printf("%-6d %8zu %6s %9.2f %9.2f %7.3f   %.2f = %.2f + %.2f + %.2f\n", i + 1, inputs[i].size() / 1024,
                    ("1/" + std::to_string(floor.denom)).c_str(), oursBest, floorBest, oursBest / floorBest,
                    generalBest, generalFastest.stageMs[0], generalFastest.stageMs[1], generalFastest.stageMs[2]);
    }
    const double ratio = oursTotal / floorTotal;
    std::printf("\nper photo: ours %.2f ms, floor %.2f ms, ratio %.3f (target <= %.1f: %s); general way %.2f ms\n",
                oursTotal / photos, floorTotal / photos, ratio, kTargetRatio, ratio <= kTargetRatio ? "met" : "NOT met",
                generalTotal / photos);
    return 0;
}
