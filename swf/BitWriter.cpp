// MSB-first bit packing for SWF records.
#include "swf/BitWriter.h"

#include <cassert>

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

CBitWriter::CBitWriter(size_t nTotalBits) : m_bytes((nTotalBits + 7) / 8, 0), m_uTotalBits(nTotalBits)
{
}

void CBitWriter::WriteBits(int64_t value, unsigned nWidth)
{
    assert(nWidth <= 32);
    assert(m_uPosition + nWidth <= m_uTotalBits);
    if (nWidth > 32 || m_uPosition + nWidth > m_uTotalBits)
        return;
    const uint64_t bits = static_cast<uint64_t>(value) & ((uint64_t{1} << nWidth) - 1);
    for (unsigned i = nWidth; i-- > 0;)
    {
        if ((bits >> i) & 1)
            m_bytes[m_uPosition / 8] |= static_cast<unsigned char>(0x80u >> (m_uPosition % 8));
        ++m_uPosition;
    }
}

void CBitWriter::WriteFlag(bool bFlag)
{
    WriteBits(bFlag ? 1 : 0, 1);
}
