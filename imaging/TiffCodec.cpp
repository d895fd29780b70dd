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
    return NoteMemoryFailure(std::string("TIFF: ") + (source.message[0] ? source.message : fallback));
}

// A page libtiff cannot decode, or we do not: the reason as libtiff words it, without its apology.
std::string Unsupported(const std::string &reason)
{
    std::string text = reason.compare(0, 7, "Sorry, ") == 0 ? reason.substr(7) : reason;
    return "this kind of TIFF is not supported (" + text + ")";
}

// How a page stores its samples.
struct SampleLayout
{
    int width = 0;
    int height = 0;
    int samples = 1;     // per pixel
    int bits = 8;        // per sample; planes need whole bytes
    bool planes = false; // each sample in a plane of its own, not all of a pixel's samples together
};

// Reads a page band by band (a strip, or a row of tiles) and hands each band to onRows(first row, rows,
// data, row stride), its rows holding a pixel's samples together, whether the file keeps them together
// or in planes.
template <typename OnRows>
bool ReadSampleBands(TIFF *tiff, const TiffSource &source, const SampleLayout &layout, OnRows onRows,
                     std::string &error)
{
    const int planes = layout.planes ? layout.samples : 1;
    const int planeBits = layout.planes ? layout.bits : layout.samples * layout.bits;
    const size_t sampleBytes = static_cast<size_t>(layout.bits / 8);
    const size_t rowBytes = RowBytes(layout.width, layout.samples * layout.bits);
    const size_t planeRowBytes = RowBytes(layout.width, planeBits);
    // Copies `count` pixels of one plane's row into a row of the band.
    auto place = [&](uint8_t *target, const uint8_t *from, size_t firstPixel, size_t count, int plane) {
        if (!layout.planes)
        {
            size_t offset = firstPixel * static_cast<size_t>(planeBits) / 8;
            std::memcpy(target + offset, from,
                        std::min(RowBytes(static_cast<int>(count), planeBits), rowBytes - offset));
            return;
        }
        uint8_t *pixel =
            target + (firstPixel * static_cast<size_t>(layout.samples) + static_cast<size_t>(plane)) * sampleBytes;
        for (size_t i = 0; i < count; ++i, pixel += layout.samples * sampleBytes, from += sampleBytes)
            std::memcpy(pixel, from, sampleBytes);
    };
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
            static_cast<uint64_t>(tileRowBytes) < RowBytes(static_cast<int>(tileWidth), planeBits) ||
            static_cast<uint64_t>(tileRowBytes) * tileHeight > static_cast<uint64_t>(tileSize))
        {
            error = TiffMessage(source, "corrupt tile layout");
            return false;
        }
        std::vector<uint8_t> tile(static_cast<size_t>(tileSize));
        std::vector<uint8_t> band(rowBytes * tileHeight);
        for (uint32_t y0 = 0; y0 < static_cast<uint32_t>(layout.height); y0 += tileHeight)
        {
            uint32_t rows = std::min<uint32_t>(tileHeight, static_cast<uint32_t>(layout.height) - y0);
            for (uint32_t x0 = 0; x0 < static_cast<uint32_t>(layout.width); x0 += tileWidth)
            {
                uint32_t columns = std::min<uint32_t>(tileWidth, static_cast<uint32_t>(layout.width) - x0);
                for (int plane = 0; plane < planes; ++plane)
                {
                    if (TIFFReadTile(tiff, tile.data(), x0, y0, 0, static_cast<uint16_t>(plane)) < 0)
                    {
                        error = TiffMessage(source, "cannot read a tile");
                        return false;
                    }
                    for (uint32_t r = 0; r < rows; ++r)
                        place(band.data() + r * rowBytes, tile.data() + r * static_cast<size_t>(tileRowBytes), x0,
                              columns, plane);
                }
            }
            if (!onRows(y0, rows, band.data(), rowBytes))
                return false;
        }
        return true;
    }
    uint32_t rowsPerStrip = 0;
    if (!TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) || rowsPerStrip == 0 ||
        rowsPerStrip > static_cast<uint32_t>(layout.height))
        rowsPerStrip = static_cast<uint32_t>(layout.height);
    tmsize_t stripSize = TIFFStripSize(tiff);
    tmsize_t scanline = TIFFScanlineSize(tiff);
    uint32_t stripsPerPlane = (static_cast<uint32_t>(layout.height) + rowsPerStrip - 1) / rowsPerStrip;
    if (stripSize <= 0 || scanline <= 0 || static_cast<size_t>(scanline) < planeRowBytes ||
        TIFFNumberOfStrips(tiff) < stripsPerPlane * static_cast<uint32_t>(planes))
    {
        error = TiffMessage(source, "corrupt strip layout");
        return false;
    }
    std::vector<uint8_t> strip(static_cast<size_t>(stripSize));
    std::vector<uint8_t> band(layout.planes ? rowBytes * rowsPerStrip : 0);
    for (uint32_t s = 0; s < stripsPerPlane; ++s)
    {
        uint32_t first = s * rowsPerStrip;
        uint32_t rows = std::min<uint32_t>(rowsPerStrip, static_cast<uint32_t>(layout.height) - first);
        for (int plane = 0; plane < planes; ++plane)
        {
            tmsize_t got =
                TIFFReadEncodedStrip(tiff, static_cast<uint32_t>(plane) * stripsPerPlane + s, strip.data(), stripSize);
            if (got < 0 || static_cast<uint64_t>(got) < rows * static_cast<uint64_t>(scanline))
            {
                error = TiffMessage(source, "the picture data is truncated");
                return false;
            }
            for (uint32_t r = 0; layout.planes && r < rows; ++r)
                place(band.data() + r * rowBytes, strip.data() + r * static_cast<size_t>(scanline), 0,
                      static_cast<size_t>(layout.width), plane);
        }
        // Samples kept together are handed on from the strip itself.
        bool ok = layout.planes ? onRows(first, rows, band.data(), rowBytes)
                                : onRows(first, rows, strip.data(), static_cast<size_t>(scanline));
        if (!ok)
            return false;
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
    SampleLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = bits;
    const size_t rowBytes = RowBytes(width, bits);
    auto copyRows = [&](uint32_t first, uint32_t rows, const uint8_t *data, size_t stride) {
        for (uint32_t r = 0; r < rows; ++r)
            std::memcpy(raw.Row(static_cast<int>(first + r)), data + r * stride, rowBytes);
        return true;
    };
    if (!ReadSampleBands(tiff, source, layout, copyRows, error))
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
        error = Unsupported(reason);
        return false;
    }
    int width = out.width;
    int height = out.height;
    // JPEG and deflate pages stay far below this many pixels per byte.
    if (!CheckDataPlausible(static_cast<uint64_t>(width) * static_cast<uint64_t>(height), source.size, kLzwMaxRatio,
                            width, height, "TIFF", error))
        return false;
    std::vector<uint32_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height));
    TIFFRGBAImage image;
    if (!TIFFRGBAImageBegin(&image, tiff, 1, reason))
    {
        error = Unsupported(reason);
        return false;
    }
    image.req_orientation = ORIENTATION_TOPLEFT;
    bool ok = TIFFRGBAImageGet(&image, rgba.data(), static_cast<uint32_t>(width), static_cast<uint32_t>(height)) != 0;
    TIFFRGBAImageEnd(&image);
    if (!ok)
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
// A separated page of four inks (cyan, magenta, yellow, black; 8 or 16 bits, samples together or in
// planes, with or without alpha) becomes R, G, B the way CMYK JPEG files do. Rows are flipped as the
// file's orientation asks, as libtiff's RGBA reader does.
bool ReadCmykPage(TIFF *tiff, const TiffSource &source, const SampleLayout &layout, int alphaType, uint16_t orientation,
                  Raster &out, std::string &error)
{
    const int width = layout.width;
    const int height = layout.height;
    if (!CheckDataPlausible(static_cast<uint64_t>(width) * static_cast<uint64_t>(height), source.size, kLzwMaxRatio,
                            width, height, "TIFF", error))
        return false;
    const bool flipX = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT ||
                       orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
    const bool flipY = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
                       orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
    const bool hasAlpha = alphaType == EXTRASAMPLE_ASSOCALPHA || alphaType == EXTRASAMPLE_UNASSALPHA;
    const size_t samples = static_cast<size_t>(layout.samples);
    InitRaster(out, width, height, 24);
    if (hasAlpha)
        out.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::vector<uint8_t> inks(static_cast<size_t>(width) * 4);
    auto convert = [&](uint32_t first, uint32_t rows, const uint8_t *data, size_t stride) {
        for (uint32_t r = 0; r < rows; ++r)
        {
            const uint8_t *row = data + r * stride;
            int y = static_cast<int>(first + r);
            if (flipY)
                y = height - 1 - y;
            uint8_t *alpha =
                hasAlpha ? out.alpha.data() + static_cast<size_t>(y) * static_cast<size_t>(width) : nullptr;
            for (size_t x = 0; x < static_cast<size_t>(width); ++x)
            {
                size_t target = flipX ? static_cast<size_t>(width) - 1 - x : x;
                unsigned value[5] = {0, 0, 0, 0, 255};
                for (size_t c = 0; c < (hasAlpha ? 5u : 4u); ++c)
                {
                    const size_t at = x * samples + c;
                    if (layout.bits == 16)
                    {
                        uint16_t wide;
                        std::memcpy(&wide, row + 2 * at, 2);
                        value[c] = (wide + 128u) / 257u;
                    }
                    else
                        value[c] = row[at];
                }
                // Premultiplied inks are divided by alpha again.
                for (size_t c = 0; c < 4 && alphaType == EXTRASAMPLE_ASSOCALPHA && value[4] > 0; ++c)
                    value[c] = std::min(255u, (value[c] * 255 + value[4] / 2) / value[4]);
                for (size_t c = 0; c < 4; ++c)
                    inks[4 * target + c] = static_cast<uint8_t>(value[c]);
                if (alpha)
                    alpha[target] = static_cast<uint8_t>(value[4]);
            }
            CmykToRgb(inks.data(), out.Row(y), static_cast<size_t>(width), false);
        }
        return true;
    };
    if (!ReadSampleBands(tiff, source, layout, convert, error))
        return false;
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
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFIsCODECConfigured(compression))
    {
        const TIFFCodec *codec = TIFFFindCODEC(compression);
        error = Unsupported(std::string("compression ") + (codec ? codec->name : std::to_string(compression)) +
                            " is not available");
        return false;
    }

    Raster picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    bool oneSample = samples == 1 && extraCount == 0;
    bool greyOrPalette =
        hasPhotometric && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE ||
                           photometric == PHOTOMETRIC_PALETTE);
    bool ok;
    if (hasPhotometric && photometric == PHOTOMETRIC_SEPARATED)
    {
        uint16_t inkSet = INKSET_CMYK;
        uint16_t format = SAMPLEFORMAT_UINT;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
        if (inkSet != INKSET_CMYK || samples < 4 || samples - extraCount != 4)
        {
            error = Unsupported("separated inks other than cyan, magenta, yellow and black");
            return false;
        }
        if ((bits != 8 && bits != 16) || format != SAMPLEFORMAT_UINT)
        {
            error = Unsupported("CMYK of " + std::to_string(bits) + "-bit " +
                                (format == SAMPLEFORMAT_UINT ? "" : "non-integer ") + "samples");
            return false;
        }
        SampleLayout layout;
        layout.width = picture.width;
        layout.height = picture.height;
        layout.samples = samples;
        layout.bits = bits;
        layout.planes = planar == PLANARCONFIG_SEPARATE;
        ok = ReadCmykPage(tiff, source, layout, extraCount > 0 && extraTypes ? extraTypes[0] : EXTRASAMPLE_UNSPECIFIED,
                          orientation, picture, error);
    }
    else if (greyOrPalette && oneSample && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
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
