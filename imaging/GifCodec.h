// GIF decoding (frames composed as a viewer shows them) and encoding of one picture (giflib).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Raster.h"

// Every composed frame together may hold at most this many pixels.
constexpr uint64_t kMaxAnimationPixels = kMaxImagePixels;

struct GifFrames
{
    std::vector<Raster> frames; // composed frames, each the size of the logical screen
    int frameCount = 0;         // frames in the file, also those not composed
};

// Composes the frames on the logical screen (grown to hold the first frame when the screen is smaller)
// with their offsets, transparent index and disposal methods 0 to 3; parts of the screen no frame has
// covered are transparent. With allFrames false only the first frame is composed, but every frame is
// counted. A frame whose colours all come from its own colour table keeps that table and its indices
// (1, 4 or 8 bits); other frames become a palette of their colours when there are at most 256, else
// 24 bits. Transparency becomes the alpha plane (0 or 255). On failure returns false with a message.
bool DecodeGif(const uint8_t *data, size_t size, bool allFrames, GifFrames &result, std::string &error);

// Writes the picture as a one-frame GIF. A palette picture keeps its palette and indices; a 24-bit
// picture with at most 256 colours keeps them exactly; more colours are reduced by median cut. Pixels
// with alpha below 128 become the transparent index. On failure returns false with a message.
bool EncodeGif(const Raster &picture, std::vector<uint8_t> &out, std::string &error);
