// A small SWF reader for tests: movie structure, records and the tags the writer produces.
#include "SwfTestReader.h"

namespace
{
// Reads bits most significant first, then whole bytes after Align.
class BitReader
{
  public:
    BitReader(const std::string &bytes, size_t start = 0) : m_bytes(bytes), m_bit(start * 8)
    {
    }
    uint32_t Unsigned(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
        {
            size_t byte = m_bit / 8;
            if (byte >= m_bytes.size())
            {
                m_overrun = true;
                return 0;
            }
            v = (v << 1) | ((static_cast<unsigned char>(m_bytes[byte]) >> (7 - m_bit % 8)) & 1u);
            ++m_bit;
        }
        return v;
    }
    int32_t Signed(int n)
    {
        uint32_t v = Unsigned(n);
        if (n > 0 && n < 32 && (v & (1u << (n - 1))))
            v |= ~((1u << n) - 1);
        return static_cast<int32_t>(v);
    }
    void Align()
    {
        m_bit = (m_bit + 7) / 8 * 8;
    }
    uint8_t U8()
    {
        Align();
        return static_cast<uint8_t>(Unsigned(8));
    }
    uint16_t U16()
    {
        uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    uint32_t U32()
    {
        uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    std::string Bytes(size_t n)
    {
        Align();
        size_t at = m_bit / 8;
        if (at + n > m_bytes.size())
        {
            m_overrun = true;
            return std::string();
        }
        m_bit += n * 8;
        return m_bytes.substr(at, n);
    }
    size_t BytePos() const
    {
        return (m_bit + 7) / 8;
    }
    size_t Remaining() const
    {
        return BytePos() < m_bytes.size() ? m_bytes.size() - BytePos() : 0;
    }
    bool Overrun() const
    {
        return m_overrun;
    }

  private:
    const std::string &m_bytes;
    size_t m_bit;
    bool m_overrun = false;
};

std::string ReadRect(BitReader &in, SwfRect &rect)
{
    size_t start = in.BytePos();
    rect.nbits = static_cast<int>(in.Unsigned(5));
    rect.xmin = in.Signed(rect.nbits);
    rect.xmax = in.Signed(rect.nbits);
    rect.ymin = in.Signed(rect.nbits);
    rect.ymax = in.Signed(rect.nbits);
    in.Align();
    rect.bytes = in.BytePos() - start;
    return in.Overrun() ? "RECT runs past the end" : "";
}

std::string ReadMatrix(BitReader &in, SwfMatrix &m)
{
    in.Align();
    size_t start = in.BytePos();
    m.hasScale = in.Unsigned(1) != 0;
    if (m.hasScale)
    {
        m.scaleBits = static_cast<int>(in.Unsigned(5));
        m.scaleX = in.Signed(m.scaleBits);
        m.scaleY = in.Signed(m.scaleBits);
    }
    m.hasRotate = in.Unsigned(1) != 0;
    if (m.hasRotate)
    {
        m.rotateBits = static_cast<int>(in.Unsigned(5));
        m.rotateSkew0 = in.Signed(m.rotateBits);
        m.rotateSkew1 = in.Signed(m.rotateBits);
    }
    m.translateBits = static_cast<int>(in.Unsigned(5));
    m.translateX = in.Signed(m.translateBits);
    m.translateY = in.Signed(m.translateBits);
    in.Align();
    m.bytes = in.BytePos() - start;
    return in.Overrun() ? "MATRIX runs past the end" : "";
}

std::string ReadColorTransform(BitReader &in, SwfColorTransform &c)
{
    in.Align();
    size_t start = in.BytePos();
    c.hasAdd = in.Unsigned(1) != 0;
    c.hasMult = in.Unsigned(1) != 0;
    c.nbits = static_cast<int>(in.Unsigned(4));
    if (c.hasMult)
        for (int32_t &t : c.mult)
            t = in.Signed(c.nbits);
    if (c.hasAdd)
        for (int32_t &t : c.add)
            t = in.Signed(c.nbits);
    in.Align();
    c.bytes = in.BytePos() - start;
    return in.Overrun() ? "CXFORMWITHALPHA runs past the end" : "";
}

std::string ExpectCode(const SwfTag &tag, int code, const char *name)
{
    if (tag.code != code)
        return std::string("not a ") + name + " tag: code " + std::to_string(tag.code);
    return "";
}

std::string AllUsed(const BitReader &in, const char *what)
{
    if (in.Overrun())
        return std::string(what) + " runs past its tag body";
    if (in.Remaining())
        return std::string(what) + " leaves " + std::to_string(in.Remaining()) + " bytes unread";
    return "";
}
} // namespace

std::string ParseSwfMovie(const std::string &bytes, SwfMovie &movie)
{
    movie = SwfMovie();
    if (bytes.size() < 8)
        return "shorter than the 8-byte file header";
    BitReader in(bytes);
    movie.signature = in.Bytes(3);
    if (movie.signature != "FWS")
        return "signature is not FWS";
    movie.version = in.U8();
    movie.fileLength = in.U32();
    if (movie.fileLength != bytes.size())
        return "FileLength " + std::to_string(movie.fileLength) + " but the file has " + std::to_string(bytes.size()) +
               " bytes";
    if (std::string error = ReadRect(in, movie.frameSize); !error.empty())
        return "frame size: " + error;
    movie.frameRate = in.U16();
    movie.frameCount = in.U16();
    if (in.Overrun())
        return "header runs past the end";
    for (;;)
    {
        if (in.Remaining() == 0)
            return "no End tag";
        SwfTag tag;
        tag.offset = in.BytePos();
        if (in.Remaining() < 2)
            return "tag header cut at offset " + std::to_string(tag.offset);
        uint16_t word = in.U16();
        tag.code = word >> 6;
        uint32_t length = word & 0x3F;
        if (length == 0x3F)
        {
            if (in.Remaining() < 4)
                return "long tag header cut at offset " + std::to_string(tag.offset);
            tag.longHeader = true;
            length = in.U32();
        }
        if (length > in.Remaining())
            return "tag " + std::to_string(tag.code) + " at offset " + std::to_string(tag.offset) + " claims " +
                   std::to_string(length) + " bytes, " + std::to_string(in.Remaining()) + " remain";
        tag.body = in.Bytes(length);
        movie.tags.push_back(tag);
        if (tag.code == kSwfEnd)
        {
            if (length != 0)
                return "End tag with a body";
            if (in.Remaining())
                return std::to_string(in.Remaining()) + " bytes after the End tag";
            return "";
        }
    }
}

std::string ParseSwfTag(const std::string &bytes, SwfTag &tag)
{
    tag = SwfTag();
    BitReader in(bytes);
    if (bytes.size() < 2)
        return "shorter than a tag header";
    uint16_t word = in.U16();
    tag.code = word >> 6;
    uint32_t length = word & 0x3F;
    if (length == 0x3F)
    {
        if (in.Remaining() < 4)
            return "long tag header cut";
        tag.longHeader = true;
        length = in.U32();
    }
    if (length != in.Remaining())
        return "tag length " + std::to_string(length) + " but " + std::to_string(in.Remaining()) + " body bytes";
    tag.body = in.Bytes(length);
    return "";
}

int CountSwfTags(const SwfMovie &movie, int code)
{
    int n = 0;
    for (const SwfTag &tag : movie.tags)
        n += tag.code == code;
    return n;
}

std::string DecodeSwfRect(const std::string &bytes, SwfRect &rect)
{
    BitReader in(bytes);
    return ReadRect(in, rect);
}

std::string DecodeSwfMatrix(const std::string &bytes, SwfMatrix &matrix)
{
    BitReader in(bytes);
    return ReadMatrix(in, matrix);
}

std::string DecodeSwfColorTransform(const std::string &bytes, SwfColorTransform &cxform)
{
    BitReader in(bytes);
    return ReadColorTransform(in, cxform);
}

std::string DecodePlaceObject2(const SwfTag &tag, SwfPlaceObject2 &place)
{
    place = SwfPlaceObject2();
    if (std::string error = ExpectCode(tag, kSwfPlaceObject2, "PlaceObject2"); !error.empty())
        return error;
    BitReader in(tag.body);
    place.flags = in.U8();
    if (place.flags & 0xF0)
        return "PlaceObject2 flags with clip actions, clip depth, name or ratio";
    place.depth = in.U16();
    place.hasCharacter = (place.flags & 0x02) != 0;
    if (place.hasCharacter)
        place.characterId = in.U16();
    if (place.flags & 0x04)
        if (std::string error = ReadMatrix(in, place.matrix); !error.empty())
            return error;
    place.hasColorTransform = (place.flags & 0x08) != 0;
    if (place.hasColorTransform)
        if (std::string error = ReadColorTransform(in, place.cxform); !error.empty())
            return error;
    return AllUsed(in, "PlaceObject2");
}

std::string DecodeDefineBitsJpeg2(const SwfTag &tag, SwfBitsJpeg2 &bits)
{
    bits = SwfBitsJpeg2();
    if (std::string error = ExpectCode(tag, kSwfDefineBitsJpeg2, "DefineBitsJPEG2"); !error.empty())
        return error;
    if (tag.body.size() < 2)
        return "DefineBitsJPEG2 without a character id";
    BitReader in(tag.body);
    bits.characterId = in.U16();
    bits.imageData = tag.body.substr(2);
    return "";
}

std::string DecodeDefineShape3(const SwfTag &tag, SwfShape &shape)
{
    shape = SwfShape();
    if (std::string error = ExpectCode(tag, kSwfDefineShape3, "DefineShape3"); !error.empty())
        return error;
    BitReader in(tag.body);
    shape.shapeId = in.U16();
    if (std::string error = ReadRect(in, shape.bounds); !error.empty())
        return "bounds: " + error;
    size_t fills = in.U8();
    if (fills == 0xFF)
        fills = in.U16();
    for (size_t i = 0; i < fills && !in.Overrun(); ++i)
    {
        SwfShape::Fill fill;
        fill.type = in.U8();
        if (fill.type == 0x00)
            for (uint8_t &c : fill.rgba)
                c = in.U8();
        else if (fill.type >= 0x40 && fill.type <= 0x43)
        {
            fill.bitmapId = in.U16();
            if (std::string error = ReadMatrix(in, fill.matrix); !error.empty())
                return "fill matrix: " + error;
        }
        else
            return "fill type " + std::to_string(fill.type) + " not read here";
        shape.fills.push_back(fill);
    }
    size_t lines = in.U8();
    if (lines == 0xFF)
        lines = in.U16();
    for (size_t i = 0; i < lines && !in.Overrun(); ++i)
    {
        SwfShape::Line line;
        line.width = in.U16();
        for (uint8_t &c : line.rgba)
            c = in.U8();
        shape.lines.push_back(line);
    }
    uint8_t counts = in.U8();
    shape.fillBits = counts >> 4;
    shape.lineBits = counts & 15;
    for (;;)
    {
        if (in.Overrun())
            return "shape records run past the tag body";
        SwfShape::Record r;
        r.edge = in.Unsigned(1) != 0;
        if (!r.edge)
        {
            uint32_t states = in.Unsigned(5);
            if (states == 0)
                break; // end record
            if (states & 0x10)
                return "StateNewStyles not read here";
            r.hasLine = (states & 0x08) != 0;
            r.hasFill1 = (states & 0x04) != 0;
            r.hasFill0 = (states & 0x02) != 0;
            r.hasMoveTo = (states & 0x01) != 0;
            if (r.hasMoveTo)
            {
                r.moveBits = static_cast<int>(in.Unsigned(5));
                r.moveX = in.Signed(r.moveBits);
                r.moveY = in.Signed(r.moveBits);
            }
            if (r.hasFill0)
                r.fill0 = in.Unsigned(shape.fillBits);
            if (r.hasFill1)
                r.fill1 = in.Unsigned(shape.fillBits);
            if (r.hasLine)
                r.line = in.Unsigned(shape.lineBits);
        }
        else
        {
            if (in.Unsigned(1) == 0)
                return "curved edge not read here";
            r.edgeBits = static_cast<int>(in.Unsigned(4)) + 2;
            r.general = in.Unsigned(1) != 0;
            if (r.general)
            {
                r.dx = in.Signed(r.edgeBits);
                r.dy = in.Signed(r.edgeBits);
            }
            else if (in.Unsigned(1))
                r.dy = in.Signed(r.edgeBits);
            else
                r.dx = in.Signed(r.edgeBits);
        }
        shape.records.push_back(r);
    }
    in.Align();
    return AllUsed(in, "DefineShape3");
}

std::string DecodeSwfActions(const std::string &bytes, std::vector<SwfAction> &actions, std::vector<SwfGetUrl> &urls,
                             size_t &used)
{
    actions.clear();
    urls.clear();
    used = 0;
    BitReader in(bytes);
    for (;;)
    {
        if (in.Remaining() == 0)
            return "actions without an end flag";
        SwfAction action;
        action.code = in.U8();
        if (action.code == 0)
            break;
        if (action.code >= 0x80)
        {
            if (in.Remaining() < 2)
                return "action length cut";
            uint16_t length = in.U16();
            if (length > in.Remaining())
                return "action payload runs past the end";
            action.payload = in.Bytes(length);
        }
        if (action.code == 0x83)
        {
            size_t nul1 = action.payload.find('\0');
            size_t nul2 = nul1 == std::string::npos ? nul1 : action.payload.find('\0', nul1 + 1);
            if (nul2 == std::string::npos || nul2 + 1 != action.payload.size())
                return "GetURL payload is not two NUL-terminated strings";
            urls.push_back({action.payload.substr(0, nul1), action.payload.substr(nul1 + 1, nul2 - nul1 - 1)});
        }
        actions.push_back(action);
    }
    used = in.BytePos();
    return "";
}

std::string DecodeDefineButton2(const SwfTag &tag, SwfButton &button)
{
    button = SwfButton();
    if (std::string error = ExpectCode(tag, kSwfDefineButton2, "DefineButton2"); !error.empty())
        return error;
    BitReader in(tag.body);
    button.buttonId = in.U16();
    button.flags = in.U8();
    size_t offsetField = in.BytePos();
    button.actionOffset = in.U16();
    for (;;)
    {
        if (in.Remaining() == 0)
            return "button records without CharacterEndFlag";
        SwfButton::Record r;
        r.states = in.U8();
        if (r.states == 0)
            break;
        if (r.states & 0x30)
            return "button record with filters or blend mode";
        r.characterId = in.U16();
        r.depth = in.U16();
        if (std::string error = ReadMatrix(in, r.matrix); !error.empty())
            return error;
        if (std::string error = ReadColorTransform(in, r.cxform); !error.empty())
            return error;
        button.records.push_back(r);
    }
    if (button.actionOffset == 0)
        return AllUsed(in, "DefineButton2");
    if (in.BytePos() - offsetField != button.actionOffset)
        return "ActionOffset " + std::to_string(button.actionOffset) + " but the first entry is " +
               std::to_string(in.BytePos() - offsetField) + " bytes on";
    for (;;)
    {
        if (in.Remaining() < 4)
            return "condition/action entry cut";
        size_t start = in.BytePos();
        SwfButton::CondAction entry;
        entry.size = in.U16();
        entry.condition1 = in.U8();
        entry.condition2 = in.U8();
        std::string rest = tag.body.substr(in.BytePos());
        size_t used = 0;
        if (std::string error = DecodeSwfActions(rest, entry.actions, entry.urls, used); !error.empty())
            return error;
        entry.actionBytes = rest.substr(0, used);
        in.Bytes(used);
        button.condActions.push_back(entry);
        if (entry.size == 0)
            break;
        if (entry.size != in.BytePos() - start)
            return "CondActionSize " + std::to_string(entry.size) + " but the entry has " +
                   std::to_string(in.BytePos() - start) + " bytes";
    }
    button.trailing = tag.body.substr(in.BytePos());
    return "";
}
