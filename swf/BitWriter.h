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

// Packs fields most significant bit first into a buffer that grows as they come, so a record never
// has to know its size before it is written. Each value is masked to its field width, so a value too
// wide for its field never disturbs neighbouring bits.
class CBitWriter
{
  public:
    // Writes value in an nWidth-bit field as two's complement: its low nWidth bits, sign-extended when
    // the field is wider than 64 bits.
    void WriteBits(int64_t value, unsigned nWidth);
    void WriteFlag(bool bFlag);

    size_t GetBitPosition() const
    {
        return m_uPosition;
    }
    // The bytes holding every bit written; the low bits of the last byte after the last field are 0.
    const std::vector<unsigned char> &GetBytes() const
    {
        return m_bytes;
    }

  private:
    std::vector<unsigned char> m_bytes;
    size_t m_uPosition = 0;
};
