// Plain types shared by the SWF writer: rectangles, colours, tag headers, unit conversions and byte output.
#pragma once

#include "base/SWFTag.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// A rectangle in pixels, passed by value.
struct SWFRectF
{
    float xmin;
    float ymin;
    float xmax;
    float ymax;
};

// Background colour: red, green, blue.
struct SWFRGB
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// Line colour: red, green, blue, alpha (0 transparent, 255 opaque).
struct SWFRGBA
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;
};

// Largest magnitude of a signed field whose width is held in 5 bits (31 bits, sign included).
constexpr int32_t kSWFMaxField31 = (1 << 30) - 1;

// Truncates toward zero and clamps to [lo, hi]; NaN gives 0. Never undefined, whatever the input.
inline int32_t SWFTruncClamp(double value, int32_t lo, int32_t hi)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(lo))
        return lo;
    if (value >= static_cast<double>(hi))
        return hi;
    return static_cast<int32_t>(value);
}

// Pixels to twips (x 20, truncated toward zero), within a 31-bit field. The product of a float and 20
// is exact in double, so the result is the same on every platform.
inline int32_t SWFTwipsFromPixels(float fPixels)
{
    return SWFTruncClamp(static_cast<double>(fPixels) * 20.0, -kSWFMaxField31, kSWFMaxField31);
}

// Little-endian output of multi-byte integers.
inline void SWFPutU8(std::vector<unsigned char> &out, uint8_t value)
{
    out.push_back(value);
}

inline void SWFPutU16(std::vector<unsigned char> &out, uint16_t value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

inline void SWFPutU32(std::vector<unsigned char> &out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
}

inline void SWFPutBytes(std::vector<unsigned char> &out, const unsigned char *bytes, size_t count)
{
    if (count)
        out.insert(out.end(), bytes, bytes + count);
}

// Appends a record's fresh encoding (CSWFRectangle, CSWFMatrix, CSWFColorTransform).
template <class Record> void SWFPutRecord(std::vector<unsigned char> &out, Record &record)
{
    const unsigned char *bytes = record.GetData();
    SWFPutBytes(out, bytes, static_cast<size_t>(record.GetLength()));
}

// Bytes of the longest tag header: the code with length 0x3F, then the body length as u32.
constexpr size_t kSWFLongHeaderBytes = 6;

// True for the tags the writer always gives the long header, whatever their body length.
inline bool SWFTagTakesLongHeader(SWFTag code)
{
    switch (code)
    {
    case SWFTag::DoAction:
    case SWFTag::DefineBitsJPEG2:
    case SWFTag::PlaceObject2:
    case SWFTag::DefineShape3:
    case SWFTag::DefineButton2:
        return true;
    default:
        return false;
    }
}

// Starts a tag in `tag`: room for its header, which SWFEndTag writes once the body that follows is complete.
inline void SWFBeginTag(std::vector<unsigned char> &tag)
{
    tag.assign(kSWFLongHeaderBytes, 0);
}

// Ends the tag begun in `tag`: its header, sized from the body actually written, goes in front of it.
// The short header (code in the upper 10 bits, length in the lower 6) serves a tag that does not take
// the long one and whose body is below 63 bytes; otherwise the long header: length 0x3F, then the u32
// length.
inline void SWFEndTag(std::vector<unsigned char> &tag, SWFTag code)
{
    const size_t body = tag.size() - kSWFLongHeaderBytes;
    const unsigned codeBits = static_cast<unsigned>(code) << 6;
    std::vector<unsigned char> header;
    if (!SWFTagTakesLongHeader(code) && body < 0x3F)
    {
        SWFPutU16(header, static_cast<uint16_t>(codeBits | static_cast<unsigned>(body)));
        tag.erase(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(kSWFLongHeaderBytes - header.size()));
    }
    else
    {
        SWFPutU16(header, static_cast<uint16_t>(codeBits | 0x3F));
        SWFPutU32(header, static_cast<uint32_t>(body));
    }
    std::copy(header.begin(), header.end(), tag.begin());
}
