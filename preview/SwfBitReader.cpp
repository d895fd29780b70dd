// Bounds-checked byte and bit reading.
#include "preview/SwfBitReader.h"

#include <cstring>

CSwfBitReader::CSwfBitReader(const uint8_t *data, size_t size, size_t baseOffset)
    : m_pData(data), m_uSize(data ? size : 0), m_uBase(baseOffset)
{
}

void CSwfBitReader::MarkOverrun(size_t offsetInSpan)
{
    if (!m_bOverrun)
    {
        m_bOverrun = true;
        m_uOverrunOffset = m_uBase + offsetInSpan;
    }
    m_uPos = m_uSize;
    m_uBit = 0;
}

void CSwfBitReader::Align()
{
    if (m_uBit)
    {
        ++m_uPos;
        m_uBit = 0;
    }
}

uint8_t CSwfBitReader::U8()
{
    Align();
    if (m_uPos >= m_uSize)
    {
        MarkOverrun(m_uSize);
        return 0;
    }
    return m_pData[m_uPos++];
}

uint16_t CSwfBitReader::U16()
{
    Align();
    if (m_uSize - m_uPos < 2)
    {
        MarkOverrun(m_uSize);
        return 0;
    }
    const uint16_t value = static_cast<uint16_t>(m_pData[m_uPos] | (m_pData[m_uPos + 1] << 8));
    m_uPos += 2;
    return value;
}

int16_t CSwfBitReader::S16()
{
    const uint16_t raw = U16();
    return static_cast<int16_t>(raw >= 0x8000 ? static_cast<int>(raw) - 0x10000 : static_cast<int>(raw));
}

uint32_t CSwfBitReader::U32()
{
    Align();
    if (m_uSize - m_uPos < 4)
    {
        MarkOverrun(m_uSize);
        return 0;
    }
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | m_pData[m_uPos + i];
    m_uPos += 4;
    return value;
}

uint32_t CSwfBitReader::UBits(unsigned n)
{
    if (n == 0)
        return 0;
    if (n > 32)
        n = 32;
    // Whole bits left in the span.
    const uint64_t available = static_cast<uint64_t>(m_uSize - m_uPos) * 8 - m_uBit;
    if (m_uPos >= m_uSize || available < n)
    {
        MarkOverrun(m_uSize);
        return 0;
    }
    uint64_t value = 0;
    for (unsigned left = n; left > 0;)
    {
        const unsigned inByte = 8 - m_uBit;
        const unsigned take = left < inByte ? left : inByte;
        const unsigned shift = inByte - take;
        const unsigned bits = (m_pData[m_uPos] >> shift) & ((1u << take) - 1);
        value = (value << take) | bits;
        left -= take;
        m_uBit += take;
        if (m_uBit == 8)
        {
            m_uBit = 0;
            ++m_uPos;
        }
    }
    return static_cast<uint32_t>(value);
}

int32_t CSwfBitReader::SBits(unsigned n)
{
    if (n == 0)
        return 0;
    if (n > 32)
        n = 32;
    const uint32_t raw = UBits(n);
    if (n == 32)
        return static_cast<int32_t>(static_cast<int64_t>(raw) - ((raw & 0x80000000u) ? (int64_t(1) << 32) : 0));
    const uint32_t sign = 1u << (n - 1);
    if (raw & sign)
        return static_cast<int32_t>(static_cast<int64_t>(raw) - (int64_t(1) << n));
    return static_cast<int32_t>(raw);
}

bool CSwfBitReader::Skip(size_t n)
{
    Align();
    if (m_uSize - m_uPos < n)
    {
        MarkOverrun(m_uSize);
        return false;
    }
    m_uPos += n;
    return true;
}

std::string CSwfBitReader::CString()
{
    Align();
    if (m_uPos >= m_uSize)
    {
        MarkOverrun(m_uSize);
        return std::string();
    }
    const void *nul = std::memchr(m_pData + m_uPos, 0, m_uSize - m_uPos);
    if (!nul)
    {
        MarkOverrun(m_uSize);
        return std::string();
    }
    const size_t length = static_cast<const uint8_t *>(nul) - (m_pData + m_uPos);
    std::string text(reinterpret_cast<const char *>(m_pData + m_uPos), length);
    m_uPos += length + 1;
    return text;
}

SwfRgb CSwfBitReader::Rgb()
{
    SwfRgb c;
    c.red = U8();
    c.green = U8();
    c.blue = U8();
    return c;
}

SwfRgba CSwfBitReader::Rgba()
{
    SwfRgba c = RgbAsRgba();
    c.alpha = U8();
    return c;
}

SwfRgba CSwfBitReader::RgbAsRgba()
{
    const SwfRgb rgb = Rgb();
    SwfRgba c;
    c.red = rgb.red;
    c.green = rgb.green;
    c.blue = rgb.blue;
    c.alpha = 255;
    return c;
}

SwfFixedMatrix CSwfBitReader::Matrix()
{
    Align();
    SwfFixedMatrix m;
    if (Flag())
    {
        const unsigned bits = UBits(5);
        m.scaleX = SBits(bits);
        m.scaleY = SBits(bits);
    }
    if (Flag())
    {
        const unsigned bits = UBits(5);
        m.skew0 = SBits(bits);
        m.skew1 = SBits(bits);
    }
    const unsigned bits = UBits(5);
    m.translateX = SBits(bits);
    m.translateY = SBits(bits);
    Align();
    return m;
}

SwfCxform CSwfBitReader::Cxform(bool withAlpha)
{
    Align();
    SwfCxform cx;
    const bool hasAdd = Flag();
    const bool hasMult = Flag();
    const unsigned bits = UBits(4);
    const int terms = withAlpha ? 4 : 3;
    // Terms are clamped to 16 bits: a 15-bit field cannot exceed them, wider garbage is held in range.
    auto term = [&]() {
        const int32_t v = SBits(bits);
        return static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
    };
    if (hasMult)
        for (int i = 0; i < terms; ++i)
            cx.mult[i] = term();
    if (hasAdd)
        for (int i = 0; i < terms; ++i)
            cx.add[i] = term();
    Align();
    return cx;
}

void CSwfBitReader::Rect(int32_t &xmin, int32_t &xmax, int32_t &ymin, int32_t &ymax)
{
    Align();
    const unsigned bits = UBits(5);
    xmin = SBits(bits);
    xmax = SBits(bits);
    ymin = SBits(bits);
    ymax = SBits(bits);
    Align();
}
