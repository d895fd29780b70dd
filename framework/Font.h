// CFont: a GDI font, owned.
#pragma once

#include "framework/Handles.h"

// Owns one font; empty until created.
class CFont
{
  public:
    bool CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE bStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, const wchar_t *faceName)
    {
        m_font.Reset(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, bStrikeOut,
                                   nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, faceName));
        return static_cast<bool>(m_font);
    }
    HFONT GetSafeHandle() const
    {
        return m_font.Get();
    }

  private:
    CFontHandle m_font;
};
