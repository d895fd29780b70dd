// MSB-first bit packing for SWF records, and the width rule for signed bit fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Width of a signed field that holds every value given: 1 + k, where 2^k is the first power of two
// above the largest magnitude (0 gives 1 bit, 4000 gives 13, 4096 gives 14).
unsigned SignedBitsFor(std::initializer_list<int64_t> values);

// Smallest k of 0 or more with 2^k greater than magnitude.
unsigned BitsAbove(uint64_t magnitude);

// Packs fields into a zero-filled buffer sized up front, most significant bit first. Each value is
// masked to its field width, so a value too wide for its field never disturbs neighbouring bits.
class CBitWriter
{
  public:
    explicit CBitWriter(size_t nTotalBits);

    // Writes the low nWidth bits of value (two's complement for negatives), nWidth 0 to 32.
    void WriteBits(int64_t value, unsigned nWidth);
    void WriteFlag(bool bFlag);

    size_t GetBitPosition() const
    {
        return m_uPosition;
    }
    // The bytes; bits after the last one written stay 0.
    const std::vector<unsigned char> &GetBytes() const
    {
        return m_bytes;
    }

  private:
    std::vector<unsigned char> m_bytes;
    size_t m_uTotalBits;
    size_t m_uPosition = 0;
};
