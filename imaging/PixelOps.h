// Pixel helpers shared by the codecs and the picture object: rows, palettes, depth changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Raster.h"

// Bytes in one tightly packed row.
size_t RowBytes(int width, int bpp);

// Sets the size and a zero-filled pixel buffer with tightly packed rows; palette and alpha are
// cleared. The caller has checked the pixel budget. Throws std::bad_alloc when memory runs out.
void InitRaster(Raster &raster, int width, int height, int bpp);

// A ramp of `levels` greys from black to white.
std::vector<PaletteEntry> GreyPalette(int levels);

// Fills the palette up to 1 << bpp entries with black, so that every index a row can hold has a colour.
void PadPalette(Raster &raster);

// Palette index of pixel x in a row of 1, 2, 4 or 8 bits per pixel, most significant bits first.
inline uint8_t GetIndex(const uint8_t *row, int x, int bpp)
{
    switch (bpp)
    {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default:
        return row[x];
    }
}

inline void SetIndex(uint8_t *row, int x, int bpp, uint8_t value)
{
    switch (bpp)
    {
    case 1: {
        int shift = 7 - (x & 7);
        row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << shift)) | ((value & 1) << shift));
        break;
    }
    case 4: {
        int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15 << shift)) | ((value & 15) << shift));
        break;
    }
    default:
        row[x] = value;
        break;
    }
}

// Converts rows of 2 bits per pixel (as some files store them) into rows of 4 bits per pixel.
void Widen2To4(const uint8_t *source, uint8_t *target, int width);

// Palette picture (1, 4 or 8 bits) to 24 bits through its palette; the alpha plane is kept.
// A 24-bit picture is left as it is.
void ExpandTo24(Raster &raster);

// Palette picture to a wider index size (1 to 4 or 8, 4 to 8), same colours.
void WidenIndices(Raster &raster, int bpp);

// A header is believed only as far as the file's bytes could hold the picture it declares: a
// compressed stream yields at most maxRatio decoded units per byte (units are what the format
// decodes to: bytes for deflate, pixels for LZW and RLE), plus a small allowance that no small
// picture reaches. Returns false with "<what>: the file is too small for a W x H picture".
constexpr uint64_t kDeflateMaxRatio = 1040; // deflate expands at most 1032 : 1
constexpr uint64_t kLzwMaxRatio = 2800;     // a 12-bit code yields at most 4096 pixels
bool CheckDataPlausible(uint64_t decodedUnits, size_t fileSize, uint64_t maxRatio, int64_t width, int64_t height,
                        const char *what, std::string &error);

// CMYK samples (4 bytes a pixel) to R, G, B. Adobe's JPEG files store CMYK inverted (255 is no ink);
// other writers, TIFF among them, store the ink itself.
void CmykToRgb(const uint8_t *cmyk, uint8_t *rgb, size_t width, bool inverted);

// Removes an alpha plane in which every pixel is opaque.
void DropOpaqueAlpha(Raster &raster);
// Composes a 24-bit picture with an alpha plane over white and drops the plane; other pictures are left alone.
void ComposeOverWhite(Raster &raster);
