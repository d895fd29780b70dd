// What a picture file's header declares, read without decoding it.
#pragma once

#include <cstdint>

// The format (by content), the declared size, and for JPEG what decoding it takes beyond its pixels.
struct ImageHeader
{
    int type = 0;      // ImageType code; 0 when no known format
    int64_t width = 0; // as declared; 0 when unknown
    int64_t height = 0;
    int components = 0;            // JPEG: 1 grey, 3 colour, 4 CMYK
    uint64_t coefficientBytes = 0; // JPEG of several scans: its whole-picture coefficient buffers
    uint64_t fileBytes = 0;
};

// Reads the header of the file by UTF-8 path: the first bytes, and for JPEG and TIFF the markers or the
// first directory. Returns false when the file cannot be opened; a file of no known format, or whose
// header is damaged, gives a header without a size.
bool ReadImageHeader(const char *pathUtf8, ImageHeader &header);
