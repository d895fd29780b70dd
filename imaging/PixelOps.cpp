// Pixel helpers shared by the codecs and the picture object.
#include "imaging/PixelOps.h"

#include <algorithm>

size_t RowBytes(int width, int bpp)
{
    return (static_cast<size_t>(width) * static_cast<size_t>(bpp) + 7) / 8;
}

void InitRaster(Raster &raster, int width, int height, int bpp)
{
    raster.width = width;
    raster.height = height;
    raster.bpp = bpp;
    raster.stride = RowBytes(width, bpp);
    raster.palette.clear();
    raster.alpha.clear();
    raster.pixels.assign(raster.stride * static_cast<size_t>(height), 0);
}

std::vector<PaletteEntry> GreyPalette(int levels)
{
    std::vector<PaletteEntry> palette(static_cast<size_t>(std::max(levels, 1)));
    for (int i = 0; i < levels; ++i)
    {
        uint8_t v = levels > 1 ? static_cast<uint8_t>((i * 255 + (levels - 1) / 2) / (levels - 1)) : 0;
        palette[static_cast<size_t>(i)] = PaletteEntry{v, v, v};
    }
    return palette;
}

void PadPalette(Raster &raster)
{
    if (raster.bpp > 8)
        return;
    size_t entries = static_cast<size_t>(1) << raster.bpp;
    if (raster.palette.size() > entries)
        raster.palette.resize(entries);
    while (raster.palette.size() < entries)
        raster.palette.push_back(PaletteEntry{});
}

void Widen2To4(const uint8_t *source, uint8_t *target, int width)
{
    for (int x = 0; x < width; x += 2)
    {
        uint8_t high = GetIndex(source, x, 2);
        uint8_t low = x + 1 < width ? GetIndex(source, x + 1, 2) : 0;
        target[x >> 1] = static_cast<uint8_t>((high << 4) | low);
    }
}

void ExpandTo24(Raster &raster)
{
    if (raster.bpp == 24 || raster.Empty())
        return;
    PadPalette(raster);
    Raster result;
    InitRaster(result, raster.width, raster.height, 24);
    for (int y = 0; y < raster.height; ++y)
    {
        const uint8_t *source = raster.Row(y);
        uint8_t *target = result.Row(y);
        for (int x = 0; x < raster.width; ++x)
        {
            const PaletteEntry &colour = raster.palette[GetIndex(source, x, raster.bpp)];
            target[3 * x] = colour.r;
            target[3 * x + 1] = colour.g;
            target[3 * x + 2] = colour.b;
        }
    }
    result.alpha = std::move(raster.alpha);
    raster = std::move(result);
}

void WidenIndices(Raster &raster, int bpp)
{
    if (raster.bpp >= bpp || raster.bpp > 8 || bpp > 8 || raster.Empty())
        return;
    PadPalette(raster);
    Raster result;
    InitRaster(result, raster.width, raster.height, bpp);
    for (int y = 0; y < raster.height; ++y)
    {
        const uint8_t *source = raster.Row(y);
        uint8_t *target = result.Row(y);
        for (int x = 0; x < raster.width; ++x)
            SetIndex(target, x, bpp, GetIndex(source, x, raster.bpp));
    }
    result.palette = std::move(raster.palette);
    result.alpha = std::move(raster.alpha);
    raster = std::move(result);
    PadPalette(raster);
}

bool CheckDataPlausible(uint64_t decodedUnits, size_t fileSize, uint64_t maxRatio, int64_t width, int64_t height,
                        const char *what, std::string &error)
{
    const uint64_t allowance = 1 << 20;
    if (decodedUnits <= allowance || decodedUnits / maxRatio <= fileSize)
        return true;
    error = std::string(what) + ": the file is too small for a " + std::to_string(width) + " x " +
            std::to_string(height) + " picture (" + std::to_string(fileSize) + " bytes)";
    return false;
}

void CmykToRgb(const uint8_t *cmyk, uint8_t *rgb, size_t width, bool inverted)
{
    for (size_t x = 0; x < width; ++x, cmyk += 4, rgb += 3)
    {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted)
        {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        rgb[0] = static_cast<uint8_t>((c * k + 127) / 255);
        rgb[1] = static_cast<uint8_t>((m * k + 127) / 255);
        rgb[2] = static_cast<uint8_t>((y * k + 127) / 255);
    }
}

void DropOpaqueAlpha(Raster &raster)
{
    if (std::all_of(raster.alpha.begin(), raster.alpha.end(), [](uint8_t a) { return a == 255; }))
        raster.alpha.clear();
}

void ComposeOverWhite(Raster &raster)
{
    if (raster.bpp != 24 || !raster.HasAlpha() ||
        raster.alpha.size() < static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height))
        return;
    for (int y = 0; y < raster.height; ++y)
    {
        uint8_t *row = raster.Row(y);
        const uint8_t *alpha = raster.alpha.data() + static_cast<size_t>(y) * static_cast<size_t>(raster.width);
        for (int x = 0; x < raster.width; ++x)
        {
            const unsigned a = alpha[x];
            for (int c = 0; c < 3; ++c)
            {
                uint8_t &v = row[3 * x + c];
                v = static_cast<uint8_t>((v * a + 255 * (255 - a) + 127) / 255);
            }
        }
    }
    raster.alpha.clear();
}
