// Sample and benchmark pictures made on the spot.
#include "bench/pictures/SamplePictures.h"

#include "base/FileUtf8.h"
#include "imaging/JpegCodec.h"
#include "imaging/PixelOps.h"

#include <gif_lib.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <random>

// After <cstdio>, which it needs.
#include <jpeglib.h>

namespace
{
Raster MakeRgb(int width, int height)
{
    Raster r;
    InitRaster(r, width, height, 24);
    return r;
}
} // namespace

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = OpenFileUtf8(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteBmp(const std::string &path, const Raster &r)
{
    const uint32_t rowBytes = (static_cast<uint32_t>(r.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(r.height);
    std::vector<uint8_t> out(54 + imageBytes, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        out[at] = static_cast<uint8_t>(v);
        out[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(r.width));
    put32(22, static_cast<uint32_t>(r.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, imageBytes);
    for (int y = 0; y < r.height; ++y)
    {
        const uint8_t *src = r.Row(r.height - 1 - y);
        uint8_t *dst = out.data() + 54 + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < r.width; ++x)
        {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return WriteFileBytes(path, out);
}

bool WriteJpeg(const std::string &path, const Raster &r, int quality)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!EncodeJpeg(r, quality, bytes, error))
    {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return WriteFileBytes(path, bytes);
}

Raster MakePhoto(int width, int height, unsigned seed)
{
    Raster r = MakeRgb(width, height);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    struct Blob
    {
        float x, y, radius, red, green, blue;
    };
    std::vector<Blob> blobs(12);
    for (Blob &b : blobs)
        b = {unit(random) * width, unit(random) * height, (0.05f + 0.25f * unit(random)) * width,
             unit(random) * 255,   unit(random) * 255,    unit(random) * 255};
    std::normal_distribution<float> noise(0.0f, 9.0f);
    const float skyRed = 40 + 120 * unit(random), skyGreen = 60 + 120 * unit(random), skyBlue = 90 + 150 * unit(random);
    for (int y = 0; y < height; ++y)
    {
        uint8_t *row = r.Row(y);
        const float fy = static_cast<float>(y) / height;
        for (int x = 0; x < width; ++x)
        {
            const float fx = static_cast<float>(x) / width;
            float red = skyRed * (1 - fy) + 90 * fy + 30 * std::sin(7 * fx);
            float green = skyGreen * (1 - fy) + 110 * fy;
            float blue = skyBlue * (1 - fy) + 60 * fy + 20 * std::cos(5 * fy + 3 * fx);
            for (const Blob &b : blobs)
            {
                float dx = x - b.x, dy = y - b.y;
                float d2 = (dx * dx + dy * dy) / (b.radius * b.radius);
                if (d2 < 1.0f)
                {
                    float w = (1.0f - d2) * (1.0f - d2);
                    red += (b.red - red) * w;
                    green += (b.green - green) * w;
                    blue += (b.blue - blue) * w;
                }
            }
            float n = noise(random);
            auto clamp = [](float v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            row[3 * x] = clamp(red + n);
            row[3 * x + 1] = clamp(green + n);
            row[3 * x + 2] = clamp(blue + n);
        }
    }
    return r;
}

Raster MakeCard(int width, int height, uint8_t red, uint8_t green, uint8_t blue)
{
    Raster r = MakeRgb(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t *p = r.Row(y) + 3 * x;
            p[0] = red;
            p[1] = green;
            p[2] = blue;
        }
    return r;
}

namespace
{
// Writes a looping animation line by line, so a long one never needs memory for more than a row:
// `frames` full-screen frames of 0.5 s, line(frame, y, row) giving each row's indices into `colours`.
template <typename Line>
bool WriteGifFrames(const std::string &path, int width, int height, std::vector<GifColorType> colours, int frames,
                    Line line)
{
    int error = 0;
    FILE *file = OpenFileUtf8(path.c_str(), "wb");
    if (!file)
        return false;
    GifFileType *gif = EGifOpen(
        file,
        [](GifFileType *g, const GifByteType *data, int n) {
            return static_cast<int>(std::fwrite(data, 1, static_cast<size_t>(n), static_cast<FILE *>(g->UserData)));
        },
        &error);
    if (!gif)
    {
        std::fclose(file);
        return false;
    }
    ColorMapObject *map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    bool ok = map && EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    unsigned char loop[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    unsigned char loopData[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK &&
         EGifPutExtensionBlock(gif, sizeof loopData, loopData) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int f = 0; ok && f < frames; ++f)
    {
        GraphicsControlBlock gcb = {};
        gcb.DelayTime = 50;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType ext[4];
        size_t n = EGifGCBToExtension(&gcb, ext);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < height; ++y)
        {
            line(f, y, row.data());
            ok = EGifPutLine(gif, row.data(), width) == GIF_OK;
        }
    }
    if (map)
        GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return std::fclose(file) == 0 && ok;
}
} // namespace

bool WriteAnimatedGif(const std::string &path, int frames)
{
    const int width = 160, height = 120;
    frames = frames < 1 ? 1 : frames > 3 ? 3 : frames;
    return WriteGifFrames(path, width, height, {{255, 255, 255}, {220, 40, 40}, {40, 160, 60}, {30, 60, 200}}, frames,
                          [&](int f, int y, GifPixelType *row) {
                              const int cx = 30 + f * 50, cy = 60;
                              for (int x = 0; x < width; ++x)
                              {
                                  int dx = x - cx, dy = y - cy;
                                  row[x] = dx * dx + dy * dy < 400 ? static_cast<GifPixelType>(1 + f) : 0;
                              }
                          });
}

bool WriteBandsGif(const std::string &path, int frames, int width, int height)
{
    std::vector<GifColorType> colours;
    for (int i = 0; i < 16; ++i)
        colours.push_back({static_cast<GifByteType>(16 * i), static_cast<GifByteType>(255 - 12 * i),
                           static_cast<GifByteType>(i % 2 ? 200 : 40)});
    return WriteGifFrames(path, width, height, colours, frames, [&](int f, int y, GifPixelType *row) {
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<GifPixelType>(((x + 8 * f) / 32 + y / 48) % 16);
    });
}

bool WriteBandsPng(const std::string &path, int width, int height)
{
    FILE *file = OpenFileUtf8(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!file || !info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        if (file)
            std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(3 * static_cast<size_t>(width));
    for (int y = 0; y < height; ++y)
    {
        for (size_t x = 0; x < row.size(); ++x)
            row[x] = static_cast<png_byte>((x / 3 + static_cast<size_t>(y)) / 40);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

bool WriteFlatProgressiveJpeg(const std::string &path, int width, int height)
{
    FILE *file = OpenFileUtf8(path.c_str(), "wb");
    if (!file)
        return false;
    // libjpeg's default error handling (message and exit) is enough here: the input is made by this program.
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 75, TRUE);
    cinfo.optimize_coding = TRUE;
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(3 * static_cast<size_t>(width), 128);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}
