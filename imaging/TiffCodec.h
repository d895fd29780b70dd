// TIFF decoding from memory (libtiff): the first page, strips or tiles, any compression libtiff holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Raster.h"

// Palette and grey pages of 1, 2, 4 or 8 bits keep a palette (2 bits become 4); everything else goes
// through libtiff's RGBA reader and becomes 24 bits, with an alpha plane when the page has alpha.
// The size is checked against the pixel budget before pixel memory is allocated. On failure returns
// false with a message; libtiff prints nothing.
bool DecodeTiff(const uint8_t *data, size_t size, Raster &out, std::string &error);
