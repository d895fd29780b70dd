// BMP decoding: own header checks and palette decoding, stb_image for the direct-colour layouts.
#include "imaging/BmpCodec.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/PixelOps.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace
{
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

uint16_t Le16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

struct BmpHeader
{
    uint32_t dataOffset = 0;
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0; // positive; topDown says which row comes first
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
};

bool ParseHeader(const uint8_t *data, size_t size, BmpHeader &header, std::string &error)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
    {
        error = "BMP: not a BMP file";
        return false;
    }
    if (size < 18)
    {
        error = "BMP: the file is truncated (header)";
        return false;
    }
    header.dataOffset = Le32(data + 10);
    header.headerSize = Le32(data + 14);
    uint32_t hs = header.headerSize;
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
    {
        error = "BMP: unknown header size " + std::to_string(hs);
        return false;
    }
    if (size < 14 + static_cast<size_t>(hs))
    {
        error = "BMP: the file is truncated (header)";
        return false;
    }
    const uint8_t *h = data + 14;
    int planes;
    if (hs == 12)
    {
        header.width = Le16(h + 4);
        header.height = Le16(h + 6);
        planes = Le16(h + 8);
        header.bpp = Le16(h + 10);
    }
    else
    {
        header.width = static_cast<int32_t>(Le32(h + 4));
        int64_t height = static_cast<int32_t>(Le32(h + 8));
        header.topDown = height < 0;
        header.height = height < 0 ? -height : height;
        planes = Le16(h + 12);
        header.bpp = Le16(h + 14);
        header.compression = Le32(h + 16);
        header.coloursUsed = Le32(h + 32);
    }
    if (!CheckPixelBudget(header.width, header.height, "BMP header", error))
        return false;
    if (planes != 1)
    {
        error = "BMP: corrupt header (" + std::to_string(planes) + " planes)";
        return false;
    }
    bool supported = false;
    switch (header.compression)
    {
    case kBiRgb:
        supported = header.bpp == 1 || header.bpp == 4 || header.bpp == 8 || header.bpp == 16 || header.bpp == 24 ||
                    header.bpp == 32;
        break;
    case kBiRle8:
        supported = header.bpp == 8;
        break;
    case kBiRle4:
        supported = header.bpp == 4;
        break;
    case kBiBitfields:
        supported = header.bpp == 16 || header.bpp == 32;
        break;
    default:
        break;
    }
    if (!supported)
    {
        error = "BMP: unsupported layout (" + std::to_string(header.bpp) + " bits per pixel, compression " +
                std::to_string(header.compression) + ")";
        return false;
    }
    if (header.dataOffset < 14 + hs || header.dataOffset > size)
    {
        error = "BMP: corrupt header (pixel data offset " + std::to_string(header.dataOffset) + ")";
        return false;
    }
    return true;
}

bool ReadPalette(const uint8_t *data, const BmpHeader &header, Raster &out, std::string &error)
{
    size_t start = 14 + static_cast<size_t>(header.headerSize);
    size_t entrySize = header.headerSize == 12 ? 3 : 4;
    size_t count = static_cast<size_t>(1) << header.bpp;
    if (header.coloursUsed != 0 && header.coloursUsed < count)
        count = header.coloursUsed;
    // The palette ends where the pixel data starts.
    size_t room = (header.dataOffset - start) / entrySize;
    if (room < count)
        count = room;
    if (count == 0)
    {
        error = "BMP: the palette is missing";
        return false;
    }
    for (size_t i = 0; i < count; ++i)
    {
        const uint8_t *entry = data + start + i * entrySize;
        out.palette.push_back(PaletteEntry{entry[2], entry[1], entry[0]});
    }
    return true;
}

// Uncompressed 1, 4 or 8-bit rows, bottom-up unless the header says otherwise.
bool ReadIndexedRows(const uint8_t *data, size_t size, const BmpHeader &header, Raster &out, std::string &error)
{
    uint64_t fileStride = ((static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.bpp) + 31) / 32) * 4;
    uint64_t needed = static_cast<uint64_t>(header.dataOffset) + fileStride * static_cast<uint64_t>(header.height);
    if (needed > size)
    {
        error = "BMP: the file is truncated (" + std::to_string(size) + " of " + std::to_string(needed) + " bytes)";
        return false;
    }
    InitRaster(out, static_cast<int>(header.width), static_cast<int>(header.height), header.bpp);
    for (int y = 0; y < out.height; ++y)
    {
        int fileRow = header.topDown ? y : out.height - 1 - y;
        std::memcpy(out.Row(y), data + header.dataOffset + static_cast<size_t>(fileRow) * fileStride, out.stride);
    }
    return true;
}

// RLE8 and RLE4: runs and literal groups, with end-of-line, end-of-picture and delta escapes.
// Pixels the stream skips stay at index 0.
bool ReadRleRows(const uint8_t *data, size_t size, const BmpHeader &header, Raster &out, std::string &error)
{
    if (header.topDown)
    {
        error = "BMP: corrupt header (a compressed picture cannot be top-down)";
        return false;
    }
    int width = static_cast<int>(header.width);
    int height = static_cast<int>(header.height);
    // Runs give at most 255 pixels per 2 bytes, but deltas skip further: allow what LZW would.
    if (!CheckDataPlausible(static_cast<uint64_t>(width) * static_cast<uint64_t>(height), size, kLzwMaxRatio, width,
                            height, "BMP", error))
        return false;
    bool four = header.compression == kBiRle4;
    InitRaster(out, width, height, header.bpp);
    size_t p = header.dataOffset;
    int x = 0;
    int line = 0; // counted from the bottom
    auto put = [&](uint8_t index) {
        if (x < width && line < height)
            SetIndex(out.Row(height - 1 - line), x, header.bpp, index);
        ++x;
    };
    for (;;)
    {
        if (size - p < 2)
        {
            error = "BMP: the file is truncated (compressed data ends early)";
            return false;
        }
        uint8_t count = data[p];
        uint8_t value = data[p + 1];
        p += 2;
        if (count > 0)
        {
            for (int i = 0; i < count; ++i)
                put(four ? static_cast<uint8_t>((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0)
        {
            x = 0;
            ++line;
        }
        else if (value == 1)
            return true;
        else if (value == 2)
        {
            if (size - p < 2)
            {
                error = "BMP: the file is truncated (compressed data ends early)";
                return false;
            }
            x += data[p];
            line += data[p + 1];
            p += 2;
        }
        else
        {
            size_t bytes = four ? (value + 1u) / 2u : value;
            size_t padded = (bytes + 1u) & ~static_cast<size_t>(1);
            if (size - p < padded)
            {
                error = "BMP: the file is truncated (compressed data ends early)";
                return false;
            }
            for (int i = 0; i < value; ++i)
            {
                uint8_t byte = data[p + (four ? static_cast<size_t>(i / 2) : static_cast<size_t>(i))];
                put(four ? static_cast<uint8_t>((i & 1) ? byte & 15 : byte >> 4) : byte);
            }
            p += padded;
        }
        // A stream that runs far past the picture is corrupt; stop instead of spinning through it.
        if (line > height)
        {
            error = "BMP: corrupt compressed data (runs past the last row)";
            return false;
        }
    }
}

struct StbFree
{
    void operator()(stbi_uc *p) const
    {
        stbi_image_free(p);
    }
};

bool ReadDirectColour(const uint8_t *data, size_t size, const BmpHeader &header, Raster &out, std::string &error)
{
    uint64_t fileStride = ((static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.bpp) + 31) / 32) * 4;
    uint64_t needed = static_cast<uint64_t>(header.dataOffset) + fileStride * static_cast<uint64_t>(header.height);
    if (needed > size)
    {
        error = "BMP: the file is truncated (" + std::to_string(size) + " of " + std::to_string(needed) + " bytes)";
        return false;
    }
    if (size > static_cast<size_t>(INT32_MAX))
    {
        error = "BMP: the file is too large";
        return false;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 0));
    if (!pixels)
    {
        const char *reason = stbi_failure_reason();
        error = NoteMemoryFailure(std::string("BMP: cannot decode the pixels (") +
                                  (reason ? reason : "unknown reason") + ")");
        return false;
    }
    if (width != header.width || height != header.height || (channels != 3 && channels != 4))
    {
        error = "BMP: corrupt header";
        return false;
    }
    InitRaster(out, width, height, 24);
    if (channels == 4)
        out.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const stbi_uc *source = pixels.get();
    for (int y = 0; y < height; ++y)
    {
        uint8_t *target = out.Row(y);
        for (int x = 0; x < width; ++x, source += channels)
        {
            target[3 * x] = source[0];
            target[3 * x + 1] = source[1];
            target[3 * x + 2] = source[2];
            if (channels == 4)
                out.alpha[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = source[3];
        }
    }
    DropOpaqueAlpha(out);
    return true;
}
} // namespace

bool DecodeBmp(const uint8_t *data, size_t size, Raster &out, std::string &error)
{
    BmpHeader header;
    if (!data || !ParseHeader(data, size, header, error))
        return false;
    if (header.bpp > 8)
        return ReadDirectColour(data, size, header, out, error);
    Raster picture;
    if (!ReadPalette(data, header, picture, error))
        return false;
    std::vector<PaletteEntry> palette = std::move(picture.palette);
    bool ok = header.compression == kBiRgb ? ReadIndexedRows(data, size, header, picture, error)
                                           : ReadRleRows(data, size, header, picture, error);
    if (!ok)
        return false;
    picture.palette = std::move(palette);
    PadPalette(picture);
    out = std::move(picture);
    return true;
}
