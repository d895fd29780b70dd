// CSWFColorTransform: the CXFORMWITHALPHA record (colour multiply and add terms, bit-packed).
#pragma once

#include <cstdint>
#include <vector>

// A CXFORMWITHALPHA with both term groups always written.
class CSWFColorTransform
{
  public:
    // Largest term magnitude the 4-bit width field can hold: multipliers below 33.0, additions below 8448.
    static constexpr int kMaxTerm = 8447;

    // terms: multiply red, green, blue, alpha, then add red, green, blue, alpha; null gives all 0.
    // Multipliers become 8.8 fixed point, additions integers, both truncated toward zero and clamped.
    explicit CSWFColorTransform(const float *terms);
    virtual ~CSWFColorTransform();

    // Encodes the record afresh and returns its bytes.
    const unsigned char *GetData();
    // Byte count of the last GetData, 0 before the first.
    int GetLength() const;

  private:
    uint8_t m_uFlagsAndBits = 0;
    int16_t m_nMult[4] = {0, 0, 0, 0};
    int16_t m_nAdd[4] = {0, 0, 0, 0};
    std::vector<unsigned char> m_data;
};
