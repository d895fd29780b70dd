// CSWFRectangle: the RECT record (bit-packed bounds in twips).
#pragma once

#include <cstdint>
#include <vector>

// A RECT: Nbits (5 bits), then Xmin, Xmax, Ymin, Ymax as Nbits-wide signed twips. Values are held in
// 32 bits, so any frame size up to the 31-bit field limit encodes correctly.
class CSWFRectangle
{
  public:
    CSWFRectangle();
    virtual ~CSWFRectangle();

    // Pixels; each becomes twips (x 20, truncated toward zero), clamped to the 31-bit field.
    void SetRect(float xmin, float ymin, float xmax, float ymax);
    // Encodes the RECT afresh and returns its bytes.
    const unsigned char *GetData();
    // Byte count of the last GetData, 0 before the first.
    int GetLength() const;

  private:
    float m_fXmin = 0.0f;
    float m_fYmin = 0.0f;
    float m_fXmax = 5.0f;
    float m_fYmax = 5.0f;
    uint8_t m_uBits = 0;
    int32_t m_nXmin = 0;
    int32_t m_nXmax = 100;
    int32_t m_nYmin = 0;
    int32_t m_nYmax = 100;
    std::vector<unsigned char> m_data;
};
