// Inflating zlib streams of a movie (compressed files, lossless bitmaps, alpha planes) with a size cap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Inflates a zlib stream that should give exactly `expected` bytes. Memory grows with the output that
// actually arrives, never beyond `expected`, so a size field that lies cannot make it allocate. Returns
// false with a reason when the stream is damaged, ends short or holds more; out is then unchanged.
bool InflateExactly(const uint8_t *data, size_t size, size_t expected, std::vector<uint8_t> &out, std::string &error);
