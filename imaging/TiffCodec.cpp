// TIFF decoding through libtiff's client interface on a memory buffer, with per-handle message capture.
#include "imaging/TiffCodec.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "imaging/PixelOps.h"

namespace
{
struct TiffSource
{
    const uint8_t *data;
    uint64_t size;
    uint64_t position;
    char message[256];
};

tmsize_t ReadTiff(thandle_t handle, void *buffer, tmsize_t length)
{
    TiffSource *source = static_cast<TiffSource *>(handle);
    if (length <= 0 || source->position >= source->size)
        return 0;
    uint64_t count = source->size - source->position;
    if (count > static_cast<uint64_t>(length))
        count = static_cast<uint64_t>(length);
    std::memcpy(buffer, source->data + source->position, static_cast<size_t>(count));
    source->position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t WriteTiff(thandle_t, void *, tmsize_t)
{
    return 0;
}

toff_t SeekTiff(thandle_t handle, toff_t offset, int whence)
{
    TiffSource *source = static_cast<TiffSource *>(handle);
    uint64_t base = whence == SEEK_CUR ? source->position : whence == SEEK_END ? source->size : 0;
    source->position = base + offset;
    return source->position;
}

int CloseTiff(thandle_t)
{
    return 0;
}

toff_t SizeTiff(thandle_t handle)
{
    return static_cast<TiffSource *>(handle)->size;
}

int MapTiff(thandle_t handle, void **base, toff_t *size)
{
    TiffSource *source = static_cast<TiffSource *>(handle);
    *base = const_cast<uint8_t *>(source->data);
    *size = source->size;
    return 1;
}

void UnmapTiff(thandle_t, void *, toff_t)
{
}

// Keeps the first error of the handle; warnings are dropped.
int OnTiffError(TIFF *, void *userData, const char *module, const char *format, va_list arguments)
{
    TiffSource *source = static_cast<TiffSource *>(userData);
    if (source && source->message[0] == '\0')
    {
        char text[200];
        std::vsnprintf(text, sizeof text, format, arguments);
        if (module && *module)
            std::snprintf(source->message, sizeof source->message, "%s: %s", module, text);
        else
            std::snprintf(source->message, sizeof source->message, "%s", text);
    }
    return 1;
}

int OnTiffWarning(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

// Messages raised outside any handle would go to stderr; libtiff prints nothing with no handler.
void SilenceGlobalHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

class TiffHandle
{
  public:
    explicit TiffHandle(TiffSource *source)
    {
        TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
        if (!options)
            return;
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, source);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, source);
        // No single allocation beyond an RGBA copy of the largest picture the budget admits.
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxImagePixels * 4));
        m_tiff = TIFFClientOpenExt("memory", "rm", source, ReadTiff, WriteTiff, SeekTiff, CloseTiff, SizeTiff, MapTiff,
                                   UnmapTiff, options);
        TIFFOpenOptionsFree(options);
    }
    ~TiffHandle()
    {
        if (m_tiff)
            TIFFClose(m_tiff);
    }
    TiffHandle(const TiffHandle &) = delete;
    TiffHandle &operator=(const TiffHandle &) = delete;

    TIFF *Get() const
    {
        return m_tiff;
    }

  private:
    TIFF *m_tiff = nullptr;
};

std::string TiffMessage(const TiffSource &source, const char *fallback)
{
    return std::string("TIFF: ") + (source.message[0] ? source.message : fallback);
}

// Copies raw rows of a one-sample page (strips or tiles) into a raster of the file's bit depth.
bool ReadRawIndices(TIFF *tiff, const TiffSource &source, int bits, Raster &out, std::string &error)
{
    size_t rowBytes = RowBytes(out.width, bits);
    if (TIFFIsTiled(tiff))
    {
        uint32_t tileWidth = 0;
        uint32_t tileHeight = 0;
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
        tmsize_t tileSize = TIFFTileSize(tiff);
        tmsize_t tileRowBytes = TIFFTileRowSize(tiff);
        // Tile widths are multiples of 16, so every tile starts on a byte.
        if (tileWidth == 0 || tileHeight == 0 || tileWidth % 16 != 0 || tileSize <= 0 || tileRowBytes <= 0 ||
            static_cast<uint64_t>(tileRowBytes) * tileHeight > static_cast<uint64_t>(tileSize))
        {
            error = TiffMessage(source, "corrupt tile layout");
            return false;
        }
        std::vector<uint8_t> tile(static_cast<size_t>(tileSize));
        for (uint32_t y0 = 0; y0 < static_cast<uint32_t>(out.height); y0 += tileHeight)
        {
            for (uint32_t x0 = 0; x0 < static_cast<uint32_t>(out.width); x0 += tileWidth)
            {
                if (TIFFReadTile(tiff, tile.data(), x0, y0, 0, 0) < 0)
                {
                    error = TiffMessage(source, "cannot read a tile");
                    return false;
                }
                size_t offset = static_cast<size_t>(x0) * static_cast<size_t>(bits) / 8;
                size_t bytes = std::min(static_cast<size_t>(tileRowBytes), rowBytes - offset);
                for (uint32_t y = y0; y < y0 + tileHeight && y < static_cast<uint32_t>(out.height); ++y)
                    std::memcpy(out.Row(static_cast<int>(y)) + offset,
                                tile.data() + static_cast<size_t>(y - y0) * static_cast<size_t>(tileRowBytes), bytes);
            }
        }
        return true;
    }
    uint32_t rowsPerStrip = 0;
    if (!TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) || rowsPerStrip == 0)
        rowsPerStrip = static_cast<uint32_t>(out.height);
    tmsize_t stripSize = TIFFStripSize(tiff);
    tmsize_t scanline = TIFFScanlineSize(tiff);
    if (stripSize <= 0 || scanline <= 0 || static_cast<size_t>(scanline) < rowBytes)
    {
        error = TiffMessage(source, "corrupt strip layout");
        return false;
    }
    std::vector<uint8_t> strip(static_cast<size_t>(stripSize));
    uint32_t strips = TIFFNumberOfStrips(tiff);
    for (uint32_t s = 0; s < strips; ++s)
    {
        uint64_t first = static_cast<uint64_t>(s) * rowsPerStrip;
        if (first >= static_cast<uint64_t>(out.height))
            break;
        uint64_t rows = std::min<uint64_t>(rowsPerStrip, static_cast<uint64_t>(out.height) - first);
        tmsize_t got = TIFFReadEncodedStrip(tiff, s, strip.data(), stripSize);
        if (got < 0 || static_cast<uint64_t>(got) < rows * static_cast<uint64_t>(scanline))
        {
            error = TiffMessage(source, "the picture data is truncated");
            return false;
        }
        for (uint64_t r = 0; r < rows; ++r)
            std::memcpy(out.Row(static_cast<int>(first + r)), strip.data() + r * static_cast<uint64_t>(scanline),
                        rowBytes);
    }
    return true;
}

bool ReadIndexedPage(TIFF *tiff, const TiffSource &source, int photometric, int bits, Raster &out, std::string &error)
{
    int width = out.width;
    int height = out.height;
    if (!CheckDataPlausible(RowBytes(width, bits) * static_cast<uint64_t>(height), source.size, kLzwMaxRatio, width,
                            height, "TIFF", error))
        return false;
    Raster raw;
    InitRaster(raw, width, height, bits);
    if (!ReadRawIndices(tiff, source, bits, raw, error))
        return false;
    int bpp = bits == 2 ? 4 : bits;
    if (bits == 2)
    {
        InitRaster(out, width, height, 4);
        for (int y = 0; y < height; ++y)
            Widen2To4(raw.Row(y), out.Row(y), width);
    }
    else
        out = std::move(raw);
    int entries = 1 << bits;
    if (photometric == PHOTOMETRIC_PALETTE)
    {
        uint16_t *red = nullptr;
        uint16_t *green = nullptr;
        uint16_t *blue = nullptr;
        if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
        {
            error = "TIFF: the palette is missing";
            return false;
        }
        // Old writers store 8-bit values in the 16-bit colour map.
        bool eightBit = true;
        for (int i = 0; i < entries; ++i)
            eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        int shift = eightBit ? 0 : 8;
        for (int i = 0; i < entries; ++i)
            out.palette.push_back(PaletteEntry{static_cast<uint8_t>(red[i] >> shift),
                                               static_cast<uint8_t>(green[i] >> shift),
                                               static_cast<uint8_t>(blue[i] >> shift)});
    }
    else
    {
        out.palette = GreyPalette(entries);
        if (photometric == PHOTOMETRIC_MINISWHITE)
            std::reverse(out.palette.begin(), out.palette.end());
    }
    out.bpp = bpp;
    PadPalette(out);
    return true;
}

bool ReadRgbaPage(TIFF *tiff, const TiffSource &source, bool grey, Raster &out, std::string &error)
{
    char reason[1024] = {0};
    if (!TIFFRGBAImageOK(tiff, reason))
    {
        error = std::string("TIFF: unsupported layout (") + reason + ")";
        return false;
    }
    int width = out.width;
    int height = out.height;
    // JPEG and deflate pages stay far below this many pixels per byte.
    if (!CheckDataPlausible(static_cast<uint64_t>(width) * static_cast<uint64_t>(height), source.size, kLzwMaxRatio,
                            width, height, "TIFF", error))
        return false;
    std::vector<uint32_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!TIFFReadRGBAImageOriented(tiff, static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgba.data(),
                                   ORIENTATION_TOPLEFT, 1))
    {
        error = TiffMessage(source, "cannot read the picture data");
        return false;
    }
    uint16_t extraCount = 0;
    uint16_t *extraTypes = nullptr;
    bool hasAlpha = TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0;
    InitRaster(out, width, height, grey ? 8 : 24);
    if (grey)
        out.palette = GreyPalette(256);
    if (hasAlpha)
        out.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const uint32_t *pixel = rgba.data();
    for (int y = 0; y < height; ++y)
    {
        uint8_t *target = out.Row(y);
        for (int x = 0; x < width; ++x, ++pixel)
        {
            uint32_t r = TIFFGetR(*pixel);
            uint32_t g = TIFFGetG(*pixel);
            uint32_t b = TIFFGetB(*pixel);
            uint32_t a = TIFFGetA(*pixel);
            // The RGBA reader premultiplies by alpha; the raster holds straight colour.
            if (hasAlpha && a > 0 && a < 255)
            {
                r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
                g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
                b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
            }
            if (grey)
                target[x] = static_cast<uint8_t>(r);
            else
            {
                target[3 * x] = static_cast<uint8_t>(r);
                target[3 * x + 1] = static_cast<uint8_t>(g);
                target[3 * x + 2] = static_cast<uint8_t>(b);
            }
            if (hasAlpha)
                out.alpha[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    static_cast<uint8_t>(a);
        }
    }
    DropOpaqueAlpha(out);
    return true;
}
} // namespace

bool DecodeTiff(const uint8_t *data, size_t size, Raster &out, std::string &error)
{
    if (!data || size < 8)
    {
        error = "TIFF: the file is truncated";
        return false;
    }
    SilenceGlobalHandlers();
    TiffSource source{data, size, 0, {0}};
    TiffHandle handle(&source);
    TIFF *tiff = handle.Get();
    if (!tiff)
    {
        error = TiffMessage(source, "not a TIFF file");
        return false;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height))
    {
        error = "TIFF: the picture size is missing";
        return false;
    }
    if (!CheckPixelBudget(width, height, "TIFF header", error))
        return false;
    uint16_t photometric = 0;
    uint16_t bits = 1;
    uint16_t samples = 1;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t extraCount = 0;
    uint16_t *extraTypes = nullptr;
    bool hasPhotometric = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);

    Raster picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    bool oneSample = samples == 1 && extraCount == 0;
    bool greyOrPalette =
        hasPhotometric && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ||
                           photometric == PHOTOMETRIC_PALETTE);
    bool ok;
    if (greyOrPalette && oneSample && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
        (bits == 1 || bits == 2 || bits == 4 || bits == 8))
        ok = ReadIndexedPage(tiff, source, photometric, bits, picture, error);
    else
    {
        bool grey = hasPhotometric && samples - extraCount == 1 &&
                    (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
        ok = ReadRgbaPage(tiff, source, grey, picture, error);
    }
    if (!ok)
        return false;
    out = std::move(picture);
    return true;
}
