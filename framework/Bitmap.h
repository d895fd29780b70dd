// CBitmap: a bitmap loaded from the application's resources, owned.
#pragma once

#include "framework/Handles.h"
#include "framework/WinApp.h"

// The header of an uncompressed 32-bit device-independent bitmap whose rows run top to bottom, each
// pixel as blue, green, red and an unused byte.
inline BITMAPINFO TopDownDibInfo(int nWidth, int nHeight)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = -nHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// Owns one bitmap; empty until loaded.
class CBitmap
{
  public:
    // Loads bitmap resource nId as a device-independent section (exact pixel colours). False when
    // there is no such bitmap; the object is then empty.
    bool LoadBitmap(UINT nId)
    {
        m_bitmap.Reset(static_cast<HBITMAP>(
            ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        return static_cast<bool>(m_bitmap);
    }
    void DeleteObject()
    {
        m_bitmap.Reset();
    }
    HBITMAP GetSafeHandle() const
    {
        return m_bitmap.Get();
    }
    bool IsEmpty() const
    {
        return !m_bitmap;
    }

  private:
    CBitmapHandle m_bitmap;
};
