// The one pixel buffer of the image layer: plain memory, no OS types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PaletteEntry
{
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

// Rows of pixels, top row first. 1, 4 and 8 bits per pixel are palette indices (grey pictures carry
// a grey ramp palette), most significant bits first within a byte; 24 bits per pixel are R, G, B.
// An alpha plane, when present, holds one byte per pixel (width bytes per row, 255 opaque).
struct Raster
{
    int width = 0;
    int height = 0;
    int bpp = 0;
    size_t stride = 0;
    std::vector<uint8_t> pixels;
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> alpha;

    bool Empty() const
    {
        return width <= 0 || height <= 0 || pixels.empty();
    }
    uint8_t *Row(int y)
    {
        return pixels.data() + static_cast<size_t>(y) * stride;
    }
    const uint8_t *Row(int y) const
    {
        return pixels.data() + static_cast<size_t>(y) * stride;
    }
    bool HasAlpha() const
    {
        return !alpha.empty();
    }
};

// Pixel budget checked against a file's header before any pixel memory is allocated: at most
// 100 million pixels and 65535 pixels a side (the JPEG limit), so a hostile header cannot
// exhaust memory. Returns false with a message when the size is outside it.
constexpr uint64_t kMaxImagePixels = 100000000;
constexpr int kMaxImageSide = 65535;
bool CheckPixelBudget(int64_t width, int64_t height, const char *what, std::string &error);

// A codec library's message, with "not enough memory: " in front when it tells of an allocation that
// failed, so such failures read like the image layer's own ("not enough memory ...").
std::string NoteMemoryFailure(const std::string &message);
