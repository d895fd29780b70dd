// CImageList: an image list, owned.
#pragma once

#include "framework/Handles.h"

// Owns one image list; empty until created.
class CImageList
{
  public:
    bool Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
    {
        m_imageList.Reset(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
        return static_cast<bool>(m_imageList);
    }
    void DeleteImageList()
    {
        m_imageList.Reset();
    }
    HIMAGELIST GetSafeHandle() const
    {
        return m_imageList.Get();
    }
    // Appends an image (the bitmap is copied); returns its index or -1.
    int Add(HBITMAP hBitmap, HBITMAP hMask)
    {
        return ::ImageList_Add(m_imageList.Get(), hBitmap, hMask);
    }
    bool Replace(int nImage, HBITMAP hBitmap, HBITMAP hMask)
    {
        return ::ImageList_Replace(m_imageList.Get(), nImage, hBitmap, hMask) != FALSE;
    }
    // Removes one image (later ones move down); -1 removes all.
    bool Remove(int nImage)
    {
        return ::ImageList_Remove(m_imageList.Get(), nImage) != FALSE;
    }
    int GetImageCount() const
    {
        return ::ImageList_GetImageCount(m_imageList.Get());
    }
    bool Draw(HDC hDC, int nImage, POINT pt, UINT nStyle) const
    {
        return ::ImageList_Draw(m_imageList.Get(), nImage, hDC, pt.x, pt.y, nStyle) != FALSE;
    }

  private:
    CImageListHandle m_imageList;
};
