// CSwfBitmapStore: the movie's bitmaps decoded on demand, with their halvings, kept within a memory budget.
#pragma once

#include "preview/SwfMovieData.h"
#include "preview/SwfPlayerTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Packed premultiplied RGBA: red in the low byte, alpha in the high byte.
inline uint32_t SwfPackPixel(unsigned r, unsigned g, unsigned b, unsigned a)
{
    return r | (g << 8) | (b << 16) | (a << 24);
}

// One picture level: premultiplied RGBA pixels, rows top first, no padding.
struct SwfImage
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// A decoded bitmap: level 0 is the picture, level k + 1 halves level k (rounding up).
struct SwfDecodedBitmap
{
    uint16_t id = 0;
    std::vector<SwfImage> levels;
    bool bOpaque = true;
};

// Decodes bitmaps when they are first drawn and keeps them for later frames. Bitmaps used since the last
// BeginFrame stay; older ones are released, least recently used first, once the budget is exceeded.
class CSwfBitmapStore
{
  public:
    // movie must outlive the store.
    CSwfBitmapStore(const SwfMovieData &movie, const SwfLimits &limits);

    // Starts a frame: bitmaps used before may be released from here on.
    void BeginFrame();
    // The decoded bitmap, or null when the id names no bitmap or its data cannot be decoded (the reason
    // for a bitmap that does not decode is recorded once in the warnings). Valid until the next
    // BeginFrame.
    SwfDecodedBitmap *Get(uint16_t id);
    // Level k of a decoded bitmap of this store, made from the levels above it when first asked for;
    // the smallest level when k goes beyond it.
    const SwfImage &Level(SwfDecodedBitmap &bitmap, int level);
    // Reasons why bitmaps could not be drawn, in the order found.
    const std::vector<std::string> &Warnings() const
    {
        return m_warnings;
    }
    size_t CachedBytes() const
    {
        return m_uBytes;
    }

  private:
    struct Entry
    {
        std::unique_ptr<SwfDecodedBitmap> bitmap;
        uint64_t uLastUse = 0;
        size_t uBytes = 0;
    };

    bool Decode(const SwfBitmapDef &def, SwfDecodedBitmap &out, std::string &error) const;
    bool DecodeJpegKind(const SwfBitmapDef &def, SwfImage &image, bool &opaque, std::string &error) const;
    bool DecodeLossless(const SwfBitmapDef &def, SwfImage &image, bool &opaque, std::string &error) const;
    void Evict();
    void Warn(const std::string &text);

    const SwfMovieData &m_movie;
    SwfLimits m_limits;
    std::unordered_map<uint16_t, Entry> m_entries;
    std::unordered_map<uint16_t, bool> m_failed;
    uint64_t m_uTick = 1;
    size_t m_uBytes = 0;
    std::vector<std::string> m_warnings;
};
