// Colour reduction of 24-bit pixels to a palette of at most 256 colours by median cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Raster.h"

// Chooses at most maxColours (1..256) palette colours for the pixels of a 24-bit raster whose mask
// entry is non-zero (every pixel when mask is null; the mask has width bytes per row), then maps
// every pixel to the index of its nearest palette colour. indices receives width x height bytes.
void QuantizeMedianCut(const Raster &picture, const uint8_t *mask, int maxColours, std::vector<PaletteEntry> &palette,
                       std::vector<uint8_t> &indices);
