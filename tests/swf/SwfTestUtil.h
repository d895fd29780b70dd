// Small helpers shared by the SWF writer tests.
#pragma once

#include "support/TempDir.h"

#include <string>

// Bytes of an encoded record or tag as a string, for comparison with HexBytes.
inline std::string AsBytes(const unsigned char *data, int length)
{
    return length > 0 && data ? std::string(reinterpret_cast<const char *>(data), static_cast<size_t>(length))
                              : std::string();
}

// The bytes GetData lays out (called before GetLength, whose count it sets).
template <class Encoder> std::string BytesOf(Encoder &encoder)
{
    const unsigned char *data = encoder.GetData();
    return AsBytes(data, encoder.GetLength());
}

// Hex of a byte string, for failure messages.
inline std::string Hex(const std::string &bytes)
{
    return ToHex(bytes.data(), bytes.size());
}

// Writes bytes to a file in the folder and returns its UTF-8 path.
inline std::string WriteTempFile(const TempDir &dir, const std::string &name, const std::string &bytes)
{
    std::string path = dir.File(name);
    WriteWholeFile(std::filesystem::u8path(path), bytes);
    return path;
}

#include "swf/SWFShape.h"

#include <memory>

// The slide rectangle a build makes: a width x height px shape at depth id, outlined by a transparent
// 1-px line and filled with the bitmap at one bitmap pixel per pixel.
inline std::unique_ptr<CSWFShape> MakeSlideShape(uint16_t id, float width, float height, uint16_t bitmapId)
{
    const SWFRectF stage = {0, 0, width, height};
    auto shape = std::make_unique<CSWFShape>(id, stage, id);
    shape->AddLineStyle(1, SWFRGBA{0, 0, 0, 0});
    shape->AddBitmapFill(bitmapId, 0x40, stage, stage);
    const float origin[2] = {0, 0};
    shape->ChangeStyle(1, 1, 0, origin);
    shape->AddStraightEdge(width, 0);
    shape->AddStraightEdge(0, height);
    shape->AddStraightEdge(-width, 0);
    shape->AddStraightEdge(0, -height);
    return shape;
}
