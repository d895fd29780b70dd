// CSWFRectangle: the RECT record.
#include "swf/SWFRectangle.h"

#include "swf/BitWriter.h"
#include "swf/SWFTypes.h"

CSWFRectangle::CSWFRectangle() = default;

CSWFRectangle::~CSWFRectangle() = default;

void CSWFRectangle::SetRect(float xmin, float ymin, float xmax, float ymax)
{
    m_fXmin = xmin;
    m_fYmin = ymin;
    m_fXmax = xmax;
    m_fYmax = ymax;
    m_nXmin = SWFTwipsFromPixels(xmin);
    m_nYmin = SWFTwipsFromPixels(ymin);
    m_nXmax = SWFTwipsFromPixels(xmax);
    m_nYmax = SWFTwipsFromPixels(ymax);
}

const unsigned char *CSWFRectangle::GetData()
{
    // 5-bit width, then xmin, xmax, ymin, ymax in twips.
    const unsigned n = SignedBitsFor({m_nXmin, m_nXmax, m_nYmin, m_nYmax});
    m_uBits = static_cast<uint8_t>(n);
    CBitWriter bits;
    bits.WriteBits(n, 5);
    bits.WriteBits(m_nXmin, n);
    bits.WriteBits(m_nXmax, n);
    bits.WriteBits(m_nYmin, n);
    bits.WriteBits(m_nYmax, n);
    m_data = bits.GetBytes();
    return m_data.data();
}

int CSWFRectangle::GetLength() const
{
    return static_cast<int>(m_data.size());
}
