// CSwfBitReader: bounds-checked reading of bytes and MSB-first bit fields from a span of a SWF file.
#pragma once

#include "preview/SwfPlayerTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads one span (a tag body, a header) and never past it. A read beyond the end yields 0 and marks the
// reader as overrun, remembering the file offset of the first missing byte, so a parser may read a whole
// record and check once. Byte reads start at the next whole byte, as the format wants after bit fields.
class CSwfBitReader
{
  public:
    // baseOffset is the file offset of data[0], used in messages.
    CSwfBitReader(const uint8_t *data, size_t size, size_t baseOffset);

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t S16();
    // n (0..32) bits, most significant first.
    uint32_t UBits(unsigned n);
    // n (0..32) bits, two's complement.
    int32_t SBits(unsigned n);
    bool Flag()
    {
        return UBits(1) != 0;
    }
    // Drops the rest of a partly read byte.
    void Align();
    // Advances n bytes; false (and overrun) when fewer remain.
    bool Skip(size_t n);
    // Bytes from a NUL-terminated string; overrun when no NUL is found (the reader then stands at the end).
    std::string CString();

    // Records of the format.
    SwfRgb Rgb();
    SwfRgba Rgba();
    SwfRgba RgbAsRgba();
    SwfFixedMatrix Matrix();
    // CXFORM (alpha false: three terms each, alpha untouched) or CXFORMWITHALPHA.
    SwfCxform Cxform(bool withAlpha);
    // RECT in twips: xmin, xmax, ymin, ymax.
    void Rect(int32_t &xmin, int32_t &xmax, int32_t &ymin, int32_t &ymax);

    // Byte position within the span (a partly read byte counts as read).
    size_t Position() const
    {
        return m_uPos + (m_uBit ? 1 : 0);
    }
    size_t Remaining() const
    {
        return m_uSize - Position();
    }
    const uint8_t *Data() const
    {
        return m_pData;
    }
    size_t FileOffset() const
    {
        return m_uBase + Position();
    }
    bool Overrun() const
    {
        return m_bOverrun;
    }
    // File offset of the first byte that was needed but missing.
    size_t OverrunOffset() const
    {
        return m_uOverrunOffset;
    }

  private:
    void MarkOverrun(size_t offsetInSpan);

    const uint8_t *m_pData;
    size_t m_uSize;
    size_t m_uBase;
    size_t m_uPos = 0;
    unsigned m_uBit = 0; // bits already taken from m_pData[m_uPos]
    bool m_bOverrun = false;
    size_t m_uOverrunOffset = 0;
};
