// MSB-first bit packing for SWF records.
#include "swf/BitWriter.h"

unsigned BitsAbove(uint64_t magnitude)
{
    unsigned k = 0;
    while (k < 64 && (uint64_t{1} << k) <= magnitude)
        ++k;
    return k;
}

unsigned SignedBitsFor(std::initializer_list<int64_t> values)
{
    uint64_t largest = 0;
    for (int64_t v : values)
    {
        // Magnitude without negating INT64_MIN.
        uint64_t magnitude = v < 0 ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        if (magnitude > largest)
            largest = magnitude;
    }
    return 1 + BitsAbove(largest);
}

void CBitWriter::WriteBits(int64_t value, unsigned nWidth)
{
    const uint64_t bits = static_cast<uint64_t>(value);
    for (unsigned i = nWidth; i-- > 0;)
    {
        if (m_uPosition % 8 == 0)
            m_bytes.push_back(0);
        const bool bSet = i < 64 ? ((bits >> i) & 1) != 0 : value < 0;
        if (bSet)
            m_bytes.back() |= static_cast<unsigned char>(0x80u >> (m_uPosition % 8));
        ++m_uPosition;
    }
}

void CBitWriter::WriteFlag(bool bFlag)
{
    WriteBits(bFlag ? 1 : 0, 1);
}
