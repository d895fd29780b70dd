// The JPEG data of the DefineBits tag family rebuilt into one plain JPEG stream for the decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SwfJpegInfo
{
    int width = 0;
    int height = 0;
};

// Walks the marker segments of `tables` (JPEGTables, may be empty) and then `data`, dropping every
// start and end marker between segments: the FF D9 FF D8 that some writers put first, and the
// boundary between a tables block and an image block. The segments are joined under one start and one
// end marker; whatever follows the end of the first complete picture is ignored. With out null only
// the structure is checked. Returns false with a reason when a segment runs past the data or the data
// holds no frame header or no scan.
bool RebuildJpegStream(const uint8_t *tables, size_t tablesSize, const uint8_t *data, size_t size,
                       std::vector<uint8_t> *out, SwfJpegInfo &info, std::string &error);
