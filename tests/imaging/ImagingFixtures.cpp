// Test pictures written with libpng, libtiff, giflib and libjpeg, BMP files by hand, and pixel access.
#include "ImagingFixtures.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

// jpeglib.h needs <cstdio> first.
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include "support/TempDir.h"

std::string ToString(const Rgba &c)
{
    char text[48];
    std::snprintf(text, sizeof text, "rgba(%d, %d, %d, %d)", c.r, c.g, c.b, c.a);
    return text;
}

Rgba PixelAt(const Raster &raster, int x, int y)
{
    Rgba c;
    const uint8_t *row = raster.pixels.data() + static_cast<size_t>(y) * raster.stride;
    if (raster.bpp == 24)
    {
        c.r = row[3 * x];
        c.g = row[3 * x + 1];
        c.b = row[3 * x + 2];
    }
    else
    {
        int bit = x * raster.bpp;
        int index = (row[bit / 8] >> (8 - raster.bpp - bit % 8)) & ((1 << raster.bpp) - 1);
        if (index < static_cast<int>(raster.palette.size()))
        {
            c.r = raster.palette[static_cast<size_t>(index)].r;
            c.g = raster.palette[static_cast<size_t>(index)].g;
            c.b = raster.palette[static_cast<size_t>(index)].b;
        }
        else
            c.r = c.g = c.b = 0x5A; // no colour: a value no test expects
    }
    if (!raster.alpha.empty())
        c.a = raster.alpha[static_cast<size_t>(y) * static_cast<size_t>(raster.width) + static_cast<size_t>(x)];
    return c;
}

Rgba PatternColour(int x, int y)
{
    return Rgba{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(y * 41 + 7),
                static_cast<uint8_t>((x * y * 13 + x * 3) ^ 0x55), 255};
}

// ---- PNG

namespace
{
void AppendPng(png_structp png, png_bytep data, size_t length)
{
    std::string *out = static_cast<std::string *>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char *>(data), length);
}

void FlushPng(png_structp)
{
}

int PngChannels(int colourType)
{
    switch (colourType)
    {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// Packs samples MSB first (bit depths below 8) or big-endian (16).
std::vector<uint8_t> PackRow(const uint16_t *samples, int count, int bitDepth)
{
    std::vector<uint8_t> row((static_cast<size_t>(count) * static_cast<size_t>(bitDepth) + 7) / 8, 0);
    for (int i = 0; i < count; ++i)
    {
        if (bitDepth == 16)
        {
            row[2 * static_cast<size_t>(i)] = static_cast<uint8_t>(samples[i] >> 8);
            row[2 * static_cast<size_t>(i) + 1] = static_cast<uint8_t>(samples[i]);
        }
        else if (bitDepth == 8)
            row[static_cast<size_t>(i)] = static_cast<uint8_t>(samples[i]);
        else
        {
            int bit = i * bitDepth;
            row[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(samples[i] << (8 - bitDepth - bit % 8));
        }
    }
    return row;
}

bool WritePng(png_structp png, png_infop info, const PngRecipe &recipe, std::vector<png_bytep> &rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(recipe.width), static_cast<png_uint_32>(recipe.height),
                 recipe.bitDepth, recipe.colourType, recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colours;
    std::vector<png_byte> alphas;
    for (const Rgba &c : recipe.palette)
    {
        colours.push_back(png_color{c.r, c.g, c.b});
        alphas.push_back(c.a);
    }
    if (!colours.empty())
        png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    bool paletteAlpha = std::any_of(alphas.begin(), alphas.end(), [](png_byte a) { return a != 255; });
    if (recipe.colourType == PNG_COLOR_TYPE_PALETTE && paletteAlpha)
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    png_color_16 trans{};
    if (recipe.transparentGrey >= 0)
    {
        trans.gray = static_cast<png_uint_16>(recipe.transparentGrey);
        png_set_tRNS(png, info, nullptr, 0, &trans);
    }
    if (recipe.transparentRgb[0] >= 0)
    {
        trans.red = static_cast<png_uint_16>(recipe.transparentRgb[0]);
        trans.green = static_cast<png_uint_16>(recipe.transparentRgb[1]);
        trans.blue = static_cast<png_uint_16>(recipe.transparentRgb[2]);
        png_set_tRNS(png, info, nullptr, 0, &trans);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}
} // namespace

std::string MakePng(const PngRecipe &recipe)
{
    int channels = PngChannels(recipe.colourType);
    std::vector<std::vector<uint8_t>> packed;
    std::vector<png_bytep> rows;
    for (int y = 0; y < recipe.height; ++y)
        packed.push_back(PackRow(recipe.samples.data() + static_cast<size_t>(y) * recipe.width * channels,
                                 recipe.width * channels, recipe.bitDepth));
    for (auto &row : packed)
        rows.push_back(row.data());
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, FlushPng);
    bool ok = WritePng(png, info, recipe, rows);
    png_destroy_write_struct(&png, &info);
    return ok ? out : std::string();
}

// ---- TIFF

namespace
{
struct MemoryFile
{
    std::string bytes;
    uint64_t position = 0;
};

tmsize_t ReadMemory(thandle_t handle, void *buffer, tmsize_t size)
{
    MemoryFile *file = static_cast<MemoryFile *>(handle);
    uint64_t available = file->position < file->bytes.size() ? file->bytes.size() - file->position : 0;
    uint64_t count = std::min<uint64_t>(available, static_cast<uint64_t>(size));
    std::memcpy(buffer, file->bytes.data() + file->position, static_cast<size_t>(count));
    file->position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t WriteMemory(thandle_t handle, void *buffer, tmsize_t size)
{
    MemoryFile *file = static_cast<MemoryFile *>(handle);
    size_t end = static_cast<size_t>(file->position) + static_cast<size_t>(size);
    if (file->bytes.size() < end)
        file->bytes.resize(end);
    std::memcpy(&file->bytes[static_cast<size_t>(file->position)], buffer, static_cast<size_t>(size));
    file->position = end;
    return size;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile *file = static_cast<MemoryFile *>(handle);
    uint64_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->bytes.size() : 0;
    file->position = base + offset;
    return file->position;
}

int CloseMemory(thandle_t)
{
    return 0;
}

toff_t SizeMemory(thandle_t handle)
{
    return static_cast<MemoryFile *>(handle)->bytes.size();
}

int MapNothing(thandle_t, void **, toff_t *)
{
    return 0;
}

void UnmapNothing(thandle_t, void *, toff_t)
{
}

void WriteTiffPage(TIFF *tiff, const TiffRecipe &recipe, const std::vector<uint16_t> &samples)
{
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(recipe.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(recipe.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, recipe.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, recipe.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, recipe.planes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, recipe.compression);
    bool jpegColour = recipe.compression == COMPRESSION_JPEG && recipe.photometric == PHOTOMETRIC_RGB;
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, jpegColour ? PHOTOMETRIC_YCBCR : recipe.photometric);
    if (recipe.compression == COMPRESSION_JPEG)
    {
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 95);
        if (jpegColour)
            TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (recipe.predictor != 1)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, recipe.predictor);
    if (recipe.inkSet)
        TIFFSetField(tiff, TIFFTAG_INKSET, recipe.inkSet);
    if (recipe.orientation)
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, recipe.orientation);
    if (recipe.sampleFormat != SAMPLEFORMAT_UINT)
        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, recipe.sampleFormat);
    if (recipe.alpha)
    {
        uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (!recipe.colourMap.empty())
    {
        size_t n = recipe.colourMap.size() / 3;
        TIFFSetField(tiff, TIFFTAG_COLORMAP, recipe.colourMap.data(), recipe.colourMap.data() + n,
                     recipe.colourMap.data() + 2 * n);
    }
    // A plane holds one sample of each pixel; without planes the one plane holds them all.
    const int planes = recipe.planes ? recipe.samplesPerPixel : 1;
    const int channels = recipe.planes ? 1 : recipe.samplesPerPixel;
    auto packedRow = [&](int y, int plane) {
        const uint16_t *row = samples.data() + static_cast<size_t>(y) * recipe.width * recipe.samplesPerPixel;
        std::vector<uint16_t> values;
        for (int x = 0; x < recipe.width; ++x)
            for (int c = 0; c < channels; ++c)
                values.push_back(row[x * recipe.samplesPerPixel + (recipe.planes ? plane : c)]);
        if (recipe.bitsPerSample == 32)
            return std::vector<uint8_t>(values.size() * 4, 0);
        if (recipe.bitsPerSample == 16)
        {
            std::vector<uint8_t> bytes(values.size() * 2);
            std::memcpy(bytes.data(), values.data(), bytes.size());
            return bytes;
        }
        return PackRow(values.data(), static_cast<int>(values.size()), recipe.bitsPerSample);
    };
    if (recipe.tileSize > 0)
    {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, static_cast<uint32_t>(recipe.tileSize));
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, static_cast<uint32_t>(recipe.tileSize));
        std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(tiff)));
        size_t tileRow = static_cast<size_t>(TIFFTileRowSize(tiff));
        for (int plane = 0; plane < planes; ++plane)
            for (int y0 = 0; y0 < recipe.height; y0 += recipe.tileSize)
                for (int x0 = 0; x0 < recipe.width; x0 += recipe.tileSize)
                {
                    std::fill(tile.begin(), tile.end(), 0);
                    for (int y = y0; y < std::min(recipe.height, y0 + recipe.tileSize); ++y)
                    {
                        std::vector<uint8_t> row = packedRow(y, plane);
                        size_t offset = static_cast<size_t>(x0) * channels * recipe.bitsPerSample / 8;
                        size_t count = std::min(tileRow, row.size() - offset);
                        uint8_t *target = tile.data() + static_cast<size_t>(y - y0) * tileRow;
                        std::memcpy(target, row.data() + offset, count);
                        // Past the right edge, repeat the last pixel as encoders do (keeps JPEG tiles smooth).
                        size_t pixelBytes = static_cast<size_t>(channels);
                        if (recipe.bitsPerSample == 8 && count >= pixelBytes)
                            for (size_t at = count; at + pixelBytes <= tileRow; at += pixelBytes)
                                std::memcpy(target + at, target + count - pixelBytes, pixelBytes);
                    }
                    int filled = std::min(recipe.height, y0 + recipe.tileSize) - y0;
                    for (int r = filled; r < recipe.tileSize; ++r)
                        std::memcpy(tile.data() + static_cast<size_t>(r) * tileRow,
                                    tile.data() + static_cast<size_t>(filled - 1) * tileRow, tileRow);
                    TIFFWriteTile(tiff, tile.data(), static_cast<uint32_t>(x0), static_cast<uint32_t>(y0), 0,
                                  static_cast<uint16_t>(plane));
                }
    }
    else
    {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                     static_cast<uint32_t>(recipe.rowsPerStrip > 0 ? recipe.rowsPerStrip : recipe.height));
        for (int plane = 0; plane < planes; ++plane)
            for (int y = 0; y < recipe.height; ++y)
            {
                std::vector<uint8_t> row = packedRow(y, plane);
                TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(plane));
            }
    }
    TIFFWriteDirectory(tiff);
}
} // namespace

std::string MakeTiff(const TiffRecipe &recipe)
{
    MemoryFile file;
    TIFF *tiff = TIFFClientOpen("test.tif", "w", &file, ReadMemory, WriteMemory, SeekMemory, CloseMemory, SizeMemory,
                                MapNothing, UnmapNothing);
    if (!tiff)
        return std::string();
    WriteTiffPage(tiff, recipe, recipe.samples);
    for (int page = 0; page < recipe.extraPages; ++page)
    {
        std::vector<uint16_t> other(recipe.samples.size(), static_cast<uint16_t>(page + 1));
        WriteTiffPage(tiff, recipe, other);
    }
    TIFFClose(tiff);
    return file.bytes;
}

// ---- GIF

namespace
{
int AppendGif(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<std::string *>(gif->UserData)
        ->append(reinterpret_cast<const char *>(data), static_cast<size_t>(length));
    return length;
}

ColorMapObject *MakeMap(const std::vector<Rgba> &palette)
{
    if (palette.empty())
        return nullptr;
    int entries = 2;
    while (entries < static_cast<int>(palette.size()))
        entries *= 2;
    std::vector<GifColorType> colours(static_cast<size_t>(entries), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i)
        colours[i] = GifColorType{palette[i].r, palette[i].g, palette[i].b};
    return GifMakeMapObject(entries, colours.data());
}
} // namespace

std::string MakeGif(const GifRecipe &recipe)
{
    std::string out;
    int error = 0;
    GifFileType *gif = EGifOpen(&out, AppendGif, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject *global = MakeMap(recipe.globalPalette);
    EGifPutScreenDesc(gif, recipe.width, recipe.height, 8, 0, global);
    for (const GifFrameRecipe &frame : recipe.frames)
    {
        GraphicsControlBlock control{frame.disposal, false, 10, frame.transparent};
        GifByteType extension[4];
        size_t length = EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
        ColorMapObject *local = MakeMap(frame.localPalette);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local);
        std::vector<int> order;
        if (frame.interlaced)
        {
            const int start[4] = {0, 4, 2, 1};
            const int step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < frame.height; y += step[pass])
                    order.push_back(y);
        }
        else
            for (int y = 0; y < frame.height; ++y)
                order.push_back(y);
        for (int y : order)
        {
            std::vector<GifPixelType> line(frame.indices.begin() + static_cast<long>(y) * frame.width,
                                           frame.indices.begin() + static_cast<long>(y + 1) * frame.width);
            EGifPutLine(gif, line.data(), frame.width);
        }
        if (local)
            GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    if (global)
        GifFreeMapObject(global);
    return out;
}

namespace
{
int ReadGifBytes(GifFileType *gif, GifByteType *target, int length)
{
    auto *source = static_cast<std::pair<const std::vector<uint8_t> *, size_t> *>(gif->UserData);
    size_t count = std::min(static_cast<size_t>(length), source->first->size() - source->second);
    std::memcpy(target, source->first->data() + source->second, count);
    source->second += count;
    return static_cast<int>(count);
}
} // namespace

bool ReadGifImage(const std::vector<uint8_t> &bytes, WrittenGif &out)
{
    std::pair<const std::vector<uint8_t> *, size_t> source(&bytes, 0);
    int error = 0;
    GifFileType *gif = DGifOpen(&source, ReadGifBytes, &error);
    if (!gif)
        return false;
    bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1;
    if (ok)
    {
        const SavedImage &image = gif->SavedImages[0];
        const ColorMapObject *map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        out.width = image.ImageDesc.Width;
        out.height = image.ImageDesc.Height;
        out.imageCount = gif->ImageCount;
        for (int i = 0; map && i < map->ColorCount; ++i)
            out.colours.push_back(Rgba{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 255});
        out.indices.assign(image.RasterBits, image.RasterBits + out.width * out.height);
        GraphicsControlBlock control;
        if (DGifSavedExtensionToGCB(gif, 0, &control) == GIF_OK)
            out.transparent = control.TransparentColor;
    }
    DGifCloseFile(gif, &error);
    return ok;
}

// ---- JPEG

std::string MakeJpeg(const JpegRecipe &recipe)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
    cinfo.input_components = recipe.components;
    cinfo.in_color_space = recipe.components == 1 ? JCS_GRAYSCALE : recipe.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, recipe.quality, TRUE);
    if (recipe.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    size_t rowBytes = static_cast<size_t>(recipe.width) * static_cast<size_t>(recipe.components);
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(recipe.samples.data() + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char *>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

// ---- BMP, by hand

namespace
{
void Put16(std::string &s, size_t at, uint32_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string &s, size_t at, uint32_t v)
{
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, v >> 16);
}

// RLE8 or RLE4 rows: encoded runs of equal indices, each row closed by an end-of-line escape.
std::string EncodeRle(const BmpRecipe &recipe)
{
    std::string out;
    bool four = recipe.compression == 2;
    for (int line = 0; line < recipe.height; ++line)
    {
        int y = recipe.height - 1 - line;
        const uint8_t *row = recipe.indices.data() + static_cast<size_t>(y) * recipe.width;
        int x = 0;
        while (x < recipe.width)
        {
            int run = 1;
            while (x + run < recipe.width && run < 255 && row[x + run] == row[x])
                ++run;
            if (run >= 3 || recipe.width - x < 3)
            {
                out.push_back(static_cast<char>(run));
                out.push_back(static_cast<char>(four ? (row[x] << 4) | row[x] : row[x]));
                x += run;
                continue;
            }
            // A literal group of up to 8 differing pixels.
            int count = std::min(8, recipe.width - x);
            if (count < 3)
                count = recipe.width - x;
            out.push_back(0);
            out.push_back(static_cast<char>(count));
            std::string bytes;
            for (int i = 0; i < count; ++i)
            {
                if (!four)
                    bytes.push_back(static_cast<char>(row[x + i]));
                else if (i % 2 == 0)
                    bytes.push_back(static_cast<char>(row[x + i] << 4));
                else
                    bytes.back() = static_cast<char>(bytes.back() | row[x + i]);
            }
            if (bytes.size() % 2)
                bytes.push_back(0);
            out += bytes;
            x += count;
        }
        out.push_back(0);
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(1);
    return out;
}
} // namespace

std::string MakeBmp(const BmpRecipe &recipe)
{
    size_t paletteEntry = recipe.headerSize == 12 ? 3 : 4;
    size_t masks = (recipe.compression == 3 && recipe.headerSize == 40) ? 12 : 0;
    size_t paletteBytes = recipe.palette.size() * paletteEntry;
    size_t offset = 14 + static_cast<size_t>(recipe.headerSize) + masks + paletteBytes;
    std::string pixels;
    if (recipe.compression == 1 || recipe.compression == 2)
        pixels = EncodeRle(recipe);
    else
    {
        size_t stride = ((static_cast<size_t>(recipe.width) * recipe.bpp + 31) / 32) * 4;
        pixels.assign(stride * static_cast<size_t>(recipe.height), '\0');
        for (int y = 0; y < recipe.height; ++y)
        {
            int fileRow = recipe.topDown ? y : recipe.height - 1 - y;
            char *row = &pixels[static_cast<size_t>(fileRow) * stride];
            for (int x = 0; x < recipe.width; ++x)
            {
                size_t i = static_cast<size_t>(y) * recipe.width + static_cast<size_t>(x);
                if (recipe.bpp <= 8)
                {
                    int bit = x * recipe.bpp;
                    row[bit / 8] = static_cast<char>(row[bit / 8] | (recipe.indices[i] << (8 - recipe.bpp - bit % 8)));
                    continue;
                }
                const Rgba &c = recipe.colours[i];
                if (recipe.bpp == 16)
                {
                    uint32_t v = static_cast<uint32_t>(((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
                    row[2 * x] = static_cast<char>(v & 0xFF);
                    row[2 * x + 1] = static_cast<char>(v >> 8);
                    continue;
                }
                int bytes = recipe.bpp / 8;
                row[bytes * x] = static_cast<char>(c.b);
                row[bytes * x + 1] = static_cast<char>(c.g);
                row[bytes * x + 2] = static_cast<char>(c.r);
                if (bytes == 4)
                    row[bytes * x + 3] = static_cast<char>(c.a);
            }
        }
    }
    std::string file(offset, '\0');
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<uint32_t>(offset + pixels.size()));
    Put32(file, 10, static_cast<uint32_t>(offset));
    Put32(file, 14, static_cast<uint32_t>(recipe.headerSize));
    if (recipe.headerSize == 12)
    {
        Put16(file, 18, static_cast<uint32_t>(recipe.width));
        Put16(file, 20, static_cast<uint32_t>(recipe.height));
        Put16(file, 22, 1);
        Put16(file, 24, static_cast<uint32_t>(recipe.bpp));
    }
    else
    {
        Put32(file, 18, static_cast<uint32_t>(recipe.width));
        Put32(file, 22, static_cast<uint32_t>(recipe.topDown ? -recipe.height : recipe.height));
        Put16(file, 26, 1);
        Put16(file, 28, static_cast<uint32_t>(recipe.bpp));
        Put32(file, 30, static_cast<uint32_t>(recipe.compression));
        Put32(file, 34, static_cast<uint32_t>(pixels.size()));
        Put32(file, 46, static_cast<uint32_t>(recipe.palette.size()));
        if (recipe.compression == 3)
        {
            // Red, green, blue and (in the larger headers) alpha masks follow the 40-byte part.
            Put32(file, 54, 0x00FF0000);
            Put32(file, 58, 0x0000FF00);
            Put32(file, 62, 0x000000FF);
            if (recipe.headerSize >= 108)
                Put32(file, 66, 0xFF000000);
        }
        if (recipe.headerSize >= 108)
            Put32(file, 70, 0x73524742); // 'sRGB'
    }
    size_t at = 14 + static_cast<size_t>(recipe.headerSize) + masks;
    for (const Rgba &c : recipe.palette)
    {
        file[at] = static_cast<char>(c.b);
        file[at + 1] = static_cast<char>(c.g);
        file[at + 2] = static_cast<char>(c.r);
        at += paletteEntry;
    }
    return file + pixels;
}

bool WriteFresh(const std::string &pathUtf8, const std::string &bytes)
{
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(pathUtf8), ignored);
    return WriteWholeFile(std::filesystem::u8path(pathUtf8), bytes);
}

std::vector<uint8_t> PhotoLikeRgb(int width, int height, uint32_t seed)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            state = state * 1664525u + 1013904223u;
            int noise = static_cast<int>((state >> 24) % 17) - 8;
            bool edge = (x * 3 + y * 2) % (width + 7) < width / 3;
            int base[3] = {x * 200 / std::max(1, width - 1) + 20, y * 180 / std::max(1, height - 1) + 30,
                           edge ? 200 : 60};
            for (int k = 0; k < 3; ++k)
            {
                int v = std::min(255, std::max(0, base[k] + noise));
                rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3 +
                    static_cast<size_t>(k)] = static_cast<uint8_t>(v);
            }
        }
    return rgb;
}

// ---- Ready-made pictures

std::vector<uint16_t> RgbSamples(int width, int height, Rgba (*colour)(int, int))
{
    std::vector<uint16_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            Rgba c = colour(x, y);
            samples.insert(samples.end(), {c.r, c.g, c.b});
        }
    return samples;
}

std::string PatternPng(int width, int height)
{
    PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colourType = PNG_COLOR_TYPE_RGB;
    recipe.samples = RgbSamples(width, height);
    return MakePng(recipe);
}

std::string PatternBmp(int width, int height)
{
    BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            recipe.colours.push_back(PatternColour(x, y));
    return MakeBmp(recipe);
}

std::string PatternTiff(int width, int height)
{
    TiffRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.compression = COMPRESSION_LZW;
    recipe.samples = RgbSamples(width, height);
    return MakeTiff(recipe);
}

std::string PatternGif(int width, int height)
{
    GifRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    GifFrameRecipe frame;
    frame.width = width;
    frame.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            frame.indices.push_back(static_cast<uint8_t>((y * width + x) % 256));
            if (recipe.globalPalette.size() < 256)
                recipe.globalPalette.push_back(PatternColour(x, y));
        }
    recipe.frames = {frame};
    return MakeGif(recipe);
}

std::string SolidJpeg(int width, int height, int components, std::vector<uint8_t> sample, bool progressive)
{
    JpegRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.components = components;
    recipe.progressive = progressive;
    for (int i = 0; i < width * height; ++i)
        recipe.samples.insert(recipe.samples.end(), sample.begin(), sample.end());
    return MakeJpeg(recipe);
}

namespace
{
uint32_t Be32(const std::string &s, size_t at)
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(s[at])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 8) | static_cast<uint8_t>(s[at + 3]);
}

void PutBe16(std::string &s, size_t at, uint32_t v)
{
    s[at] = static_cast<char>((v >> 8) & 0xFF);
    s[at + 1] = static_cast<char>(v & 0xFF);
}

void PutBe32(std::string &s, size_t at, uint32_t v)
{
    PutBe16(s, at, v >> 16);
    PutBe16(s, at + 2, v & 0xFFFF);
}

uint16_t Le16At(const std::string &s, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}

uint32_t Le32At(const std::string &s, size_t at)
{
    return Le16At(s, at) | (static_cast<uint32_t>(Le16At(s, at + 2)) << 16);
}

// Offset of the first image descriptor's fields (after its 0x2C), or 0.
size_t GifImageDescriptor(const std::string &s)
{
    if (s.size() < 13)
        return 0;
    size_t p = 13;
    uint8_t flags = static_cast<uint8_t>(s[10]);
    if (flags & 0x80)
        p += 3u * (2u << (flags & 7));
    while (p < s.size())
    {
        uint8_t record = static_cast<uint8_t>(s[p]);
        if (record == 0x2C)
            return p + 1;
        if (record != 0x21 || p + 2 >= s.size())
            return 0;
        p += 2;
        while (p < s.size() && s[p] != 0)
            p += 1 + static_cast<uint8_t>(s[p]);
        ++p;
    }
    return 0;
}
} // namespace

void FixPngCrcs(std::string &png)
{
    size_t p = 8;
    while (p + 12 <= png.size())
    {
        uint32_t length = Be32(png, p);
        if (length > png.size() - p - 12)
            break;
        uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(png.data() + p + 4), length + 4));
        PutBe32(png, p + 8 + length, crc);
        p += 12 + length;
    }
}

std::string WithDeclaredSize(const std::string &file, int type, uint32_t width, uint32_t height)
{
    std::string s = file;
    switch (type)
    {
    case 1: // BMP: 32-bit fields of the 40-byte header
        Put32(s, 18, width);
        Put32(s, 22, height);
        break;
    case 2: { // GIF: the logical screen and the first frame
        Put16(s, 6, width);
        Put16(s, 8, height);
        size_t desc = GifImageDescriptor(s);
        if (desc)
        {
            Put16(s, desc + 4, width);
            Put16(s, desc + 6, height);
        }
        break;
    }
    case 3: // JPEG: the first start-of-frame marker
        for (size_t p = 2; p + 9 < s.size(); ++p)
        {
            uint8_t marker = static_cast<uint8_t>(s[p + 1]);
            if (static_cast<uint8_t>(s[p]) == 0xFF && marker >= 0xC0 && marker <= 0xC2)
            {
                PutBe16(s, p + 5, height);
                PutBe16(s, p + 7, width);
                break;
            }
        }
        break;
    case 4: // PNG: IHDR, with its CRC made right again
        PutBe32(s, 16, width);
        PutBe32(s, 20, height);
        FixPngCrcs(s);
        break;
    case 6: { // TIFF (little-endian): the ImageWidth and ImageLength entries of the first directory
        uint32_t ifd = Le32At(s, 4);
        uint16_t count = Le16At(s, ifd);
        for (uint16_t i = 0; i < count; ++i)
        {
            size_t entry = ifd + 2 + 12u * i;
            uint16_t tag = Le16At(s, entry);
            if (tag == 256 || tag == 257)
            {
                Put16(s, entry + 2, 4); // LONG
                Put32(s, entry + 4, 1);
                Put32(s, entry + 8, tag == 256 ? width : height);
            }
        }
        break;
    }
    default:
        break;
    }
    return s;
}

std::vector<SeedFile> SeedFiles()
{
    BmpRecipe bmp8;
    bmp8.width = 9;
    bmp8.height = 7;
    bmp8.bpp = 8;
    for (int i = 0; i < 20; ++i)
        bmp8.palette.push_back(PatternColour(i, 2));
    for (int i = 0; i < 63; ++i)
        bmp8.indices.push_back(static_cast<uint8_t>((i * 7 + i / 9) % 20));
    BmpRecipe rle = bmp8;
    rle.compression = 1;
    BmpRecipe bmp32;
    bmp32.width = 9;
    bmp32.height = 7;
    bmp32.bpp = 32;
    bmp32.compression = 3;
    bmp32.headerSize = 124;
    for (int i = 0; i < 63; ++i)
    {
        Rgba c = PatternColour(i % 9, i / 9);
        c.a = static_cast<uint8_t>(i * 4);
        bmp32.colours.push_back(c);
    }

    PngRecipe palette;
    palette.width = 9;
    palette.height = 7;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 4;
    palette.interlaced = true;
    for (int i = 0; i < 16; ++i)
        palette.palette.push_back(
            Rgba{static_cast<uint8_t>(i * 16), 40, 90, static_cast<uint8_t>(i < 3 ? i * 60 : 255)});
    for (int i = 0; i < 63; ++i)
        palette.samples.push_back(static_cast<uint16_t>((i * 5) % 16));

    GifRecipe gif;
    gif.width = 9;
    gif.height = 7;
    gif.globalPalette = {Rgba{255, 0, 0, 255}, Rgba{0, 255, 0, 255}, Rgba{0, 0, 255, 255}, Rgba{9, 9, 9, 255}};
    GifFrameRecipe first;
    first.width = 9;
    first.height = 7;
    for (int i = 0; i < 63; ++i)
        first.indices.push_back(static_cast<uint8_t>(i % 3));
    first.disposal = 1;
    GifFrameRecipe second;
    second.left = 2;
    second.top = 1;
    second.width = 4;
    second.height = 5;
    second.indices.assign(20, 3);
    second.indices[5] = 0;
    second.transparent = 0;
    second.disposal = 3;
    second.interlaced = true;
    GifFrameRecipe third = second;
    third.left = 4;
    third.disposal = 2;
    third.localPalette = {Rgba{1, 2, 3, 255}, Rgba{4, 5, 6, 255}, Rgba{7, 8, 9, 255}, Rgba{10, 11, 12, 255}};
    gif.frames = {first, second, third};

    TiffRecipe jpegTiff;
    jpegTiff.width = 24;
    jpegTiff.height = 16;
    jpegTiff.compression = COMPRESSION_JPEG;
    jpegTiff.rowsPerStrip = 16;
    for (int i = 0; i < 24 * 16; ++i)
        jpegTiff.samples.insert(jpegTiff.samples.end(),
                                {static_cast<uint16_t>(i % 24 * 9), 100, static_cast<uint16_t>(i / 24 * 15)});
    TiffRecipe paletteTiff;
    paletteTiff.width = 20;
    paletteTiff.height = 9;
    paletteTiff.photometric = PHOTOMETRIC_PALETTE;
    paletteTiff.samplesPerPixel = 1;
    paletteTiff.bitsPerSample = 4;
    paletteTiff.compression = COMPRESSION_ADOBE_DEFLATE;
    paletteTiff.tileSize = 16;
    for (int i = 0; i < 180; ++i)
        paletteTiff.samples.push_back(static_cast<uint16_t>(i % 16));
    for (int i = 0; i < 48; ++i)
        paletteTiff.colourMap.push_back(static_cast<uint16_t>(i * 1300));

    JpegRecipe photo;
    photo.width = 24;
    photo.height = 64;
    photo.samples = PhotoLikeRgb(24, 64, 3);
    JpegRecipe progressive = photo;
    progressive.progressive = true;

    return {
        {"palette.bmp", 1, MakeBmp(bmp8)},
        {"rle.bmp", 1, MakeBmp(rle)},
        {"alpha.bmp", 1, MakeBmp(bmp32)},
        {"colour.png", 4, PatternPng(9, 7)},
        {"interlaced.png", 4, MakePng(palette)},
        {"anim.gif", 2, MakeGif(gif)},
        {"lzw.tif", 6, PatternTiff(9, 7)},
        {"jpeg.tif", 6, MakeTiff(jpegTiff)},
        {"tiles.tif", 6, MakeTiff(paletteTiff)},
        {"photo.jpg", 3, MakeJpeg(photo)},
        {"progressive.jpg", 3, MakeJpeg(progressive)},
    };
}
