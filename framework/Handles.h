// Owning and borrowing wrappers of Win32 handles: an owner releases what it holds and cannot be copied.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Owns one handle and closes it with TTraits::Close. Movable, not copyable.
template <typename THandle, typename TTraits> class CScopedHandle
{
  public:
    CScopedHandle() = default;
    explicit CScopedHandle(THandle h) : m_h(h)
    {
    }
    ~CScopedHandle()
    {
        Reset();
    }
    CScopedHandle(const CScopedHandle &) = delete;
    CScopedHandle &operator=(const CScopedHandle &) = delete;
    CScopedHandle(CScopedHandle &&other) noexcept : m_h(other.Detach())
    {
    }
    CScopedHandle &operator=(CScopedHandle &&other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    THandle Get() const
    {
        return m_h;
    }
    explicit operator bool() const
    {
        return m_h != nullptr;
    }
    // Releases the handle held so far and takes h.
    void Reset(THandle h = nullptr)
    {
        if (m_h != nullptr && m_h != h)
            TTraits::Close(m_h);
        m_h = h;
    }
    // Gives the handle away (to the system or another owner) without releasing it.
    [[nodiscard]] THandle Detach()
    {
        THandle h = m_h;
        m_h = nullptr;
        return h;
    }

  private:
    THandle m_h = nullptr;
};

struct GdiObjectTraits
{
    static void Close(HGDIOBJ h)
    {
        ::DeleteObject(h);
    }
};
struct MemoryDcTraits
{
    static void Close(HDC h)
    {
        ::DeleteDC(h);
    }
};
struct IconTraits
{
    static void Close(HICON h)
    {
        ::DestroyIcon(h);
    }
};
struct ImageListTraits
{
    static void Close(HIMAGELIST h)
    {
        ::ImageList_Destroy(h);
    }
};
struct MenuTraits
{
    static void Close(HMENU h)
    {
        ::DestroyMenu(h);
    }
};

using CBitmapHandle = CScopedHandle<HBITMAP, GdiObjectTraits>;
using CFontHandle = CScopedHandle<HFONT, GdiObjectTraits>;
using CRegionHandle = CScopedHandle<HRGN, GdiObjectTraits>;
using CBrushHandle = CScopedHandle<HBRUSH, GdiObjectTraits>;
using CMemoryDC = CScopedHandle<HDC, MemoryDcTraits>;
using CIconHandle = CScopedHandle<HICON, IconTraits>;
using CImageListHandle = CScopedHandle<HIMAGELIST, ImageListTraits>;
using CMenuHandle = CScopedHandle<HMENU, MenuTraits>;

// Borrows a window's device context (GetDC) and gives it back (ReleaseDC).
class CWindowDC
{
  public:
    explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd))
    {
    }
    ~CWindowDC()
    {
        if (m_hDC != nullptr)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CWindowDC(const CWindowDC &) = delete;
    CWindowDC &operator=(const CWindowDC &) = delete;

    HDC Get() const
    {
        return m_hDC;
    }
    explicit operator bool() const
    {
        return m_hDC != nullptr;
    }

  private:
    HWND m_hWnd;
    HDC m_hDC;
};

// Painting of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC
{
  public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_ps{}, m_hDC(::BeginPaint(hWnd, &m_ps))
    {
    }
    ~CPaintDC()
    {
        ::EndPaint(m_hWnd, &m_ps);
    }
    CPaintDC(const CPaintDC &) = delete;
    CPaintDC &operator=(const CPaintDC &) = delete;

    HDC Get() const
    {
        return m_hDC;
    }

  private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps;
    HDC m_hDC;
};

// Selects an object into a device context and restores the previous one when it goes.
class CSelectObject
{
  public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject))
    {
    }
    ~CSelectObject()
    {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject &) = delete;
    CSelectObject &operator=(const CSelectObject &) = delete;

  private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
