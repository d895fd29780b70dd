// PNG decoding from memory (libpng): palette, grey, colour and alpha, all bit depths, interlaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Raster.h"

// Palette pictures keep their palette (1, 2 or 4-bit indices become 1 or 4 bits per pixel, 8 stays 8);
// grey pictures become palette pictures with a grey ramp; colour becomes 24 bits; 16-bit samples are
// scaled to 8 bits; transparency (alpha channel or tRNS) becomes the alpha plane. The size is checked
// against the pixel budget before pixel memory is allocated. On failure returns false with a message.
bool DecodePng(const uint8_t *data, size_t size, Raster &out, std::string &error);
