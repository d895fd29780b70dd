// CSWFColorTransform: the CXFORMWITHALPHA record.
#include "swf/SWFColorTransform.h"

#include "swf/BitWriter.h"
#include "swf/SWFTypes.h"

#include <cstdlib>

CSWFColorTransform::CSWFColorTransform(const float *terms)
{
    if (!terms)
        return;
    for (int i = 0; i < 4; ++i)
    {
        m_nMult[i] = static_cast<int16_t>(SWFTruncClamp(static_cast<double>(terms[i]) * 256.0, -kMaxTerm, kMaxTerm));
        m_nAdd[i] = static_cast<int16_t>(SWFTruncClamp(static_cast<double>(terms[4 + i]), -kMaxTerm, kMaxTerm));
    }
}

CSWFColorTransform::~CSWFColorTransform() = default;

const unsigned char *CSWFColorTransform::GetData()
{
    // Width 10 + i, where 2^i is at least the largest term magnitude shifted right by 8.
    unsigned h = 0;
    for (int i = 0; i < 4; ++i)
    {
        unsigned mult = static_cast<unsigned>(std::abs(m_nMult[i])) >> 8;
        unsigned add = static_cast<unsigned>(std::abs(m_nAdd[i])) >> 8;
        h = mult > h ? mult : h;
        h = add > h ? add : h;
    }
    unsigned extra = 0;
    while ((1u << extra) < h)
        ++extra;
    const unsigned n = 10 + extra;
    // HasAddTerms 1, HasMultTerms 1, Nbits (4 bits).
    m_uFlagsAndBits = static_cast<uint8_t>(0x30 | n);

    CBitWriter bits;
    bits.WriteBits(m_uFlagsAndBits, 6);
    for (int16_t term : m_nMult)
        bits.WriteBits(term, n);
    for (int16_t term : m_nAdd)
        bits.WriteBits(term, n);
    m_data = bits.GetBytes();
    return m_data.data();
}

int CSWFColorTransform::GetLength() const
{
    return static_cast<int>(m_data.size());
}
