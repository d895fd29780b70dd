// BMP decoding from memory: palette files (1, 4, 8 bits, also RLE) keep their palette; 16, 24 and
// 32-bit files go through stb_image and become 24 bits, with the alpha channel of 32-bit files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Raster.h"

// The header is checked (size against the pixel budget, pixel data within the file) before any pixel
// memory is allocated. On failure returns false with a message.
bool DecodeBmp(const uint8_t *data, size_t size, Raster &out, std::string &error);
