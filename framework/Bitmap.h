// CBitmap: a bitmap loaded from the application's resources, owned.
#pragma once

#include "framework/Handles.h"
#include "framework/WinApp.h"

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
