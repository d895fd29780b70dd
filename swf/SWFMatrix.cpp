// CSWFMatrix: the MATRIX record.
#include "swf/SWFMatrix.h"

#include "swf/BitWriter.h"
#include "swf/SWFTypes.h"

#include <cstdlib>

namespace
{
// 16.16 fixed point, truncated; clamped so the integer part stays below 16384 and the field fits 31 bits.
int32_t Fixed16(float value)
{
    return SWFTruncClamp(static_cast<double>(value) * 65536.0, -kSWFMaxField31, kSWFMaxField31);
}

// 16 fraction bits, a sign bit and k integer bits, where 2^k is above the larger integer part.
uint8_t FixedPairBits(int32_t a, int32_t b)
{
    // Integer parts, truncated toward zero like the floats they come from.
    const uint64_t ia = static_cast<uint64_t>(std::abs(a / 65536));
    const uint64_t ib = static_cast<uint64_t>(std::abs(b / 65536));
    return static_cast<uint8_t>(17 + BitsAbove(ia > ib ? ia : ib));
}
} // namespace

CSWFMatrix::CSWFMatrix() = default;

CSWFMatrix::~CSWFMatrix() = default;

void CSWFMatrix::SetMatrix(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, float translateX,
                           float translateY)
{
    m_fScaleX = scaleX;
    m_fScaleY = scaleY;
    m_fRotateSkew0 = rotateSkew0;
    m_fRotateSkew1 = rotateSkew1;
    m_fTranslateX = translateX;
    m_fTranslateY = translateY;
    // A pair whose two terms are both exactly 0 is absent; a scale of (0, 0) therefore means factor 1.
    if (scaleX != 0.0f || scaleY != 0.0f)
    {
        m_uFlags |= kHasScale;
        m_nScaleX = Fixed16(scaleX);
        m_nScaleY = Fixed16(scaleY);
        m_uScaleBits = FixedPairBits(m_nScaleX, m_nScaleY);
    }
    if (rotateSkew0 != 0.0f || rotateSkew1 != 0.0f)
    {
        m_uFlags |= kHasRotate;
        m_nRotateSkew0 = Fixed16(rotateSkew0);
        m_nRotateSkew1 = Fixed16(rotateSkew1);
        m_uRotateBits = FixedPairBits(m_nRotateSkew0, m_nRotateSkew1);
    }
    if (translateX != 0.0f || translateY != 0.0f)
    {
        m_uFlags |= kHasTranslate;
        m_nTranslateX = SWFTwipsFromPixels(translateX);
        m_nTranslateY = SWFTwipsFromPixels(translateY);
        m_uTranslateBits = static_cast<uint8_t>(SignedBitsFor({m_nTranslateX, m_nTranslateY}));
    }
}

const unsigned char *CSWFMatrix::GetData()
{
    const bool bScale = (m_uFlags & kHasScale) != 0;
    const bool bRotate = (m_uFlags & kHasRotate) != 0;
    const unsigned translateBits = (m_uFlags & kHasTranslate) ? m_uTranslateBits : 0;

    CBitWriter bits;
    bits.WriteFlag(bScale);
    if (bScale)
    {
        bits.WriteBits(m_uScaleBits, 5);
        bits.WriteBits(m_nScaleX, m_uScaleBits);
        bits.WriteBits(m_nScaleY, m_uScaleBits);
    }
    bits.WriteFlag(bRotate);
    if (bRotate)
    {
        bits.WriteBits(m_uRotateBits, 5);
        bits.WriteBits(m_nRotateSkew0, m_uRotateBits);
        bits.WriteBits(m_nRotateSkew1, m_uRotateBits);
    }
    bits.WriteBits(translateBits, 5);
    if (translateBits)
    {
        bits.WriteBits(m_nTranslateX, translateBits);
        bits.WriteBits(m_nTranslateY, translateBits);
    }
    m_data = bits.GetBytes();
    return m_data.data();
}

int CSWFMatrix::GetLength() const
{
    return static_cast<int>(m_data.size());
}
