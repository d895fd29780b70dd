// CSWFMatrix: the MATRIX record (scale, rotate/skew and translate, bit-packed).
#pragma once

#include <cstdint>
#include <vector>

// A MATRIX. A new matrix is the identity; SetMatrix adds the pairs that are not both 0.
class CSWFMatrix
{
  public:
    static constexpr uint8_t kHasScale = 4;
    static constexpr uint8_t kHasRotate = 2;
    static constexpr uint8_t kHasTranslate = 1;

    CSWFMatrix();
    virtual ~CSWFMatrix();

    // Scale and skew terms become 16.16 fixed point, translations twips (pixels x 20). Flags are only
    // set, never cleared: meant for a fresh matrix.
    void SetMatrix(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, float translateX,
                   float translateY);
    // Encodes the MATRIX afresh and returns its bytes.
    const unsigned char *GetData();
    // Byte count of the last GetData, 0 before the first.
    int GetLength() const;

  private:
    float m_fScaleX = 0.0f;
    float m_fScaleY = 0.0f;
    float m_fRotateSkew0 = 0.0f;
    float m_fRotateSkew1 = 0.0f;
    float m_fTranslateX = 0.0f;
    float m_fTranslateY = 0.0f;
    uint8_t m_uFlags = 0;
    uint8_t m_uScaleBits = 0;
    int32_t m_nScaleX = 0;
    int32_t m_nScaleY = 0;
    uint8_t m_uRotateBits = 0;
    int32_t m_nRotateSkew0 = 0;
    int32_t m_nRotateSkew1 = 0;
    uint8_t m_uTranslateBits = 0;
    int32_t m_nTranslateX = 0;
    int32_t m_nTranslateY = 0;
    std::vector<unsigned char> m_data;
};
