// Decoding and caching of the movie's bitmaps.
#include "preview/SwfBitmapStore.h"

#include "imaging/JpegCodec.h"
#include "preview/SwfInflate.h"
#include "preview/SwfJpegData.h"

#include <algorithm>
#include <new>

namespace
{

size_t ImageBytes(const SwfImage &image)
{
    return image.pixels.size() * sizeof(uint32_t);
}

uint32_t Premultiply(unsigned r, unsigned g, unsigned b, unsigned a)
{
    if (a == 255)
        return SwfPackPixel(r, g, b, 255);
    return SwfPackPixel((r * a + 127) / 255, (g * a + 127) / 255, (b * a + 127) / 255, a);
}

// Rows of lossless data are padded to whole 32-bit words.
size_t PaddedRow(size_t bytes)
{
    return (bytes + 3) & ~size_t(3);
}

// The next level: each pixel the mean of up to four (edge pixels of odd sizes average with themselves).
SwfImage Halve(const SwfImage &src)
{
    SwfImage dst;
    dst.width = (src.width + 1) / 2;
    dst.height = (src.height + 1) / 2;
    dst.pixels.resize(static_cast<size_t>(dst.width) * dst.height);
    for (int y = 0; y < dst.height; ++y)
    {
        const int y0 = 2 * y, y1 = std::min(2 * y + 1, src.height - 1);
        const uint32_t *row0 = src.pixels.data() + static_cast<size_t>(y0) * src.width;
        const uint32_t *row1 = src.pixels.data() + static_cast<size_t>(y1) * src.width;
        uint32_t *out = dst.pixels.data() + static_cast<size_t>(y) * dst.width;
        for (int x = 0; x < dst.width; ++x)
        {
            const int x0 = 2 * x, x1 = std::min(2 * x + 1, src.width - 1);
            const uint32_t p[4] = {row0[x0], row0[x1], row1[x0], row1[x1]};
            uint32_t packed = 0;
            for (int c = 0; c < 4; ++c)
            {
                unsigned sum = 2;
                for (uint32_t v : p)
                    sum += (v >> (8 * c)) & 0xFF;
                packed |= (sum / 4) << (8 * c);
            }
            out[x] = packed;
        }
    }
    return dst;
}

} // namespace

CSwfBitmapStore::CSwfBitmapStore(const SwfMovieData &movie, const SwfLimits &limits) : m_movie(movie), m_limits(limits)
{
}

void CSwfBitmapStore::BeginFrame()
{
    ++m_uTick;
    Evict();
}

void CSwfBitmapStore::Warn(const std::string &text)
{
    if (m_warnings.size() < m_limits.uMaxWarnings)
        m_warnings.push_back(text);
}

void CSwfBitmapStore::Evict()
{
    while (m_uBytes > m_limits.uMaxBitmapCacheBytes)
    {
        auto oldest = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (it->second.uLastUse < m_uTick &&
                (oldest == m_entries.end() || it->second.uLastUse < oldest->second.uLastUse))
                oldest = it;
        if (oldest == m_entries.end())
            return;
        m_uBytes -= oldest->second.uBytes;
        m_entries.erase(oldest);
    }
}

SwfDecodedBitmap *CSwfBitmapStore::Get(uint16_t id)
{
    auto found = m_entries.find(id);
    if (found != m_entries.end())
    {
        found->second.uLastUse = m_uTick;
        return found->second.bitmap.get();
    }
    if (m_failed.count(id))
        return nullptr;
    const SwfCharacter *character = m_movie.Find(id);
    if (!character || character->kind != SwfCharacterKind::Bitmap)
    {
        // The reader has noted the shape that asks for it.
        m_failed[id] = true;
        return nullptr;
    }
    const SwfBitmapDef &def = m_movie.bitmaps[character->index];
    if (def.bBroken)
    {
        m_failed[id] = true;
        return nullptr;
    }
    auto bitmap = std::make_unique<SwfDecodedBitmap>();
    std::string error;
    bool decoded = false;
    try
    {
        decoded = Decode(def, *bitmap, error);
    }
    catch (const std::bad_alloc &)
    {
        error = "not enough memory";
    }
    if (!decoded)
    {
        m_failed[id] = true;
        Warn("bitmap " + std::to_string(id) + " cannot be decoded (" + error + "); it draws nothing");
        return nullptr;
    }
    Entry entry;
    entry.uBytes = ImageBytes(bitmap->levels[0]);
    entry.uLastUse = m_uTick;
    entry.bitmap = std::move(bitmap);
    m_uBytes += entry.uBytes;
    entry.bitmap->id = id;
    SwfDecodedBitmap *result = entry.bitmap.get();
    m_entries[id] = std::move(entry);
    return result;
}

const SwfImage &CSwfBitmapStore::Level(SwfDecodedBitmap &bitmap, int level)
{
    auto &levels = bitmap.levels;
    while (static_cast<int>(levels.size()) <= level)
    {
        const SwfImage &last = levels.back();
        if (last.width <= 1 && last.height <= 1)
            return last;
        levels.push_back(Halve(last));
        const size_t added = ImageBytes(levels.back());
        m_uBytes += added;
        auto entry = m_entries.find(bitmap.id);
        if (entry != m_entries.end())
            entry->second.uBytes += added;
    }
    return levels[static_cast<size_t>(level)];
}

bool CSwfBitmapStore::Decode(const SwfBitmapDef &def, SwfDecodedBitmap &out, std::string &error) const
{
    SwfImage image;
    bool opaque = true;
    const bool ok = (def.kind == SwfBitmapKind::Lossless || def.kind == SwfBitmapKind::Lossless2)
                        ? DecodeLossless(def, image, opaque, error)
                        : DecodeJpegKind(def, image, opaque, error);
    if (!ok)
        return false;
    out.levels.clear();
    out.levels.push_back(std::move(image));
    out.bOpaque = opaque;
    return true;
}

bool CSwfBitmapStore::DecodeJpegKind(const SwfBitmapDef &def, SwfImage &image, bool &opaque, std::string &error) const
{
    const uint8_t *bytes = m_movie.bytes.data();
    const uint8_t *tables = nullptr;
    size_t tablesSize = 0;
    if (def.kind == SwfBitmapKind::Jpeg && m_movie.jpegTablesSize > 0)
    {
        tables = bytes + m_movie.jpegTablesOffset;
        tablesSize = m_movie.jpegTablesSize;
    }
    std::vector<uint8_t> stream;
    SwfJpegInfo info;
    if (!RebuildJpegStream(tables, tablesSize, bytes + def.dataOffset, def.dataSize, &stream, info, error))
        return false;
    if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > m_limits.uMaxBitmapPixels)
    {
        error = "the picture is " + std::to_string(info.width) + " x " + std::to_string(info.height) +
                " pixels, more than the player's limit";
        return false;
    }
    Raster raster;
    if (!DecodeJpeg(stream.data(), stream.size(), 0, 0, raster, error))
        return false;
    stream.clear();
    stream.shrink_to_fit();
    if (raster.Empty() || (raster.bpp != 24 && raster.bpp != 8))
    {
        error = "the decoder gave no usable picture";
        return false;
    }
    std::vector<uint8_t> alpha;
    if (def.kind == SwfBitmapKind::Jpeg3 && def.alphaSize > 0)
    {
        std::string alphaError;
        const size_t expected = static_cast<size_t>(raster.width) * raster.height;
        if (!InflateExactly(bytes + def.alphaOffset, def.alphaSize, expected, alpha, alphaError))
            alpha.clear(); // drawn opaque: the colours are intact
    }
    image.width = raster.width;
    image.height = raster.height;
    image.pixels.resize(static_cast<size_t>(raster.width) * raster.height);
    opaque = true;
    for (int y = 0; y < raster.height; ++y)
    {
        const uint8_t *row = raster.Row(y);
        uint32_t *out = image.pixels.data() + static_cast<size_t>(y) * raster.width;
        for (int x = 0; x < raster.width; ++x)
        {
            unsigned r, g, b;
            if (raster.bpp == 24)
            {
                r = row[3 * x];
                g = row[3 * x + 1];
                b = row[3 * x + 2];
            }
            else
            {
                const PaletteEntry &p = raster.palette[row[x]];
                r = p.r;
                g = p.g;
                b = p.b;
            }
            const unsigned a = alpha.empty() ? 255 : alpha[static_cast<size_t>(y) * raster.width + x];
            if (a != 255)
                opaque = false;
            out[x] = Premultiply(r, g, b, a);
        }
    }
    return true;
}

bool CSwfBitmapStore::DecodeLossless(const SwfBitmapDef &def, SwfImage &image, bool &opaque, std::string &error) const
{
    const bool withAlpha = def.kind == SwfBitmapKind::Lossless2;
    const size_t w = static_cast<size_t>(def.width), h = static_cast<size_t>(def.height);
    size_t expected = 0;
    size_t paletteBytes = 0;
    if (def.format == 3)
    {
        paletteBytes = static_cast<size_t>(def.colorCount) * (withAlpha ? 4 : 3);
        expected = paletteBytes + PaddedRow(w) * h;
    }
    else if (def.format == 4)
        expected = PaddedRow(2 * w) * h;
    else
        expected = 4 * w * h;
    std::vector<uint8_t> data;
    if (!InflateExactly(m_movie.bytes.data() + def.dataOffset, def.dataSize, expected, data, error))
        return false;
    image.width = def.width;
    image.height = def.height;
    image.pixels.resize(w * h);
    opaque = true;
    std::vector<uint32_t> palette;
    if (def.format == 3)
    {
        // Indices beyond the table draw transparent.
        palette.assign(256, 0);
        for (size_t i = 0; i < def.colorCount; ++i)
        {
            const uint8_t *p = data.data() + i * (withAlpha ? 4 : 3);
            // Lossless2 colours are stored premultiplied; a colour above its alpha is held to it.
            const unsigned a = withAlpha ? p[3] : 255;
            palette[i] = withAlpha ? SwfPackPixel(std::min<unsigned>(p[0], a), std::min<unsigned>(p[1], a),
                                                  std::min<unsigned>(p[2], a), a)
                                   : SwfPackPixel(p[0], p[1], p[2], 255);
        }
    }
    for (size_t y = 0; y < h; ++y)
    {
        uint32_t *out = image.pixels.data() + y * w;
        if (def.format == 3)
        {
            const uint8_t *row = data.data() + paletteBytes + y * PaddedRow(w);
            for (size_t x = 0; x < w; ++x)
                out[x] = palette[row[x]];
        }
        else if (def.format == 4)
        {
            const uint8_t *row = data.data() + y * PaddedRow(2 * w);
            for (size_t x = 0; x < w; ++x)
            {
                const unsigned v = (row[2 * x] << 8) | row[2 * x + 1];
                const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                out[x] = SwfPackPixel((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2), 255);
            }
        }
        else
        {
            const uint8_t *row = data.data() + y * 4 * w;
            for (size_t x = 0; x < w; ++x)
            {
                const uint8_t *p = row + 4 * x;
                const unsigned a = withAlpha ? p[0] : 255;
                out[x] = SwfPackPixel(std::min<unsigned>(p[1], a), std::min<unsigned>(p[2], a),
                                      std::min<unsigned>(p[3], a), a);
            }
        }
        for (size_t x = 0; x < w && opaque; ++x)
            if ((out[x] >> 24) != 255)
                opaque = false;
    }
    return true;
}
