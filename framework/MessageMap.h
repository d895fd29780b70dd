// Message-map macros: one map per class, checked top to bottom, then the base class's map.
// Each entry cracks the raw message parameters and calls a handler with typed arguments.
#pragma once

#include <windows.h>

#include <type_traits>

// Private messages a parent sends to a child so that the child handles its own owner drawing.
constexpr UINT WM_REFLECT_BASE = 0xBC00;
constexpr UINT WM_REFLECT_DRAWITEM = WM_REFLECT_BASE + WM_DRAWITEM;

#define BEGIN_MSG_MAP(theClass, baseClass)                                                                             \
  protected:                                                                                                           \
    bool ProcessMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult) override                            \
    {                                                                                                                  \
        static_assert(std::is_base_of_v<baseClass, theClass>, "the map's base class");                                 \
        using MapBase = baseClass;                                                                                     \
        static_cast<void>(wParam);                                                                                     \
        static_cast<void>(lParam);

#define END_MSG_MAP()                                                                                                  \
    return MapBase::ProcessMessage(uMsg, wParam, lParam, lResult);                                                     \
    }

// Signed client or screen coordinates packed in an LPARAM.
#define MAP_CRACK_POINT(lp)                                                                                            \
    POINT                                                                                                              \
    {                                                                                                                  \
        static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))                                                 \
    }

// WM_COMMAND from a menu, an accelerator or a control's click (code 0): void fn()
#define ON_COMMAND(id, fn)                                                                                             \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && (HIWORD(wParam) == 0 || lParam == 0))                          \
    {                                                                                                                  \
        fn();                                                                                                          \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// Any WM_COMMAND left by the entries above: LRESULT fn(UINT nId, UINT nCode, HWND hControl)
#define ON_WM_COMMAND(fn)                                                                                              \
    if (uMsg == WM_COMMAND)                                                                                            \
    {                                                                                                                  \
        lResult = fn(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));                                  \
        return true;                                                                                                   \
    }

// WM_DRAWITEM for a child: LRESULT fn(UINT nId, const DRAWITEMSTRUCT &)
#define ON_WM_DRAWITEM(fn)                                                                                             \
    if (uMsg == WM_DRAWITEM)                                                                                           \
    {                                                                                                                  \
        lResult = fn(static_cast<UINT>(wParam), *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));                    \
        return true;                                                                                                   \
    }

// WM_COMMAND with a control's notification code: void fn()
#define ON_CONTROL(nCode, id, fn)                                                                                      \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (nCode))                                     \
    {                                                                                                                  \
        fn();                                                                                                          \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)

// WM_NOTIFY from control id with the given code: LRESULT fn(nmType &)
#define ON_NOTIFY(nCode, id, fn, nmType)                                                                               \
    if (uMsg == WM_NOTIFY && reinterpret_cast<const NMHDR *>(lParam)->idFrom == static_cast<UINT_PTR>(id) &&           \
        reinterpret_cast<const NMHDR *>(lParam)->code == static_cast<UINT>(nCode))                                     \
    {                                                                                                                  \
        lResult = fn(*reinterpret_cast<nmType *>(lParam));                                                             \
        return true;                                                                                                   \
    }

// void fn()
#define ON_WM_PAINT(fn)                                                                                                \
    if (uMsg == WM_PAINT)                                                                                              \
    {                                                                                                                  \
        fn();                                                                                                          \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn()
#define ON_WM_DESTROY(fn)                                                                                              \
    if (uMsg == WM_DESTROY)                                                                                            \
    {                                                                                                                  \
        fn();                                                                                                          \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(UINT nId, POINT ptScreen)
#define ON_WM_SYSCOMMAND(fn)                                                                                           \
    if (uMsg == WM_SYSCOMMAND)                                                                                         \
    {                                                                                                                  \
        fn(static_cast<UINT>(wParam), MAP_CRACK_POINT(lParam));                                                        \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// HICON fn()
#define ON_WM_QUERYDRAGICON(fn)                                                                                        \
    if (uMsg == WM_QUERYDRAGICON)                                                                                      \
    {                                                                                                                  \
        lResult = reinterpret_cast<LRESULT>(fn());                                                                     \
        return true;                                                                                                   \
    }

// BOOL fn(HDC)
#define ON_WM_ERASEBKGND(fn)                                                                                           \
    if (uMsg == WM_ERASEBKGND)                                                                                         \
    {                                                                                                                  \
        lResult = fn(reinterpret_cast<HDC>(wParam));                                                                   \
        return true;                                                                                                   \
    }

// Mouse messages: void fn(UINT nFlags, POINT ptClient)
#define MAP_ON_MOUSE(msg, fn)                                                                                          \
    if (uMsg == (msg))                                                                                                 \
    {                                                                                                                  \
        fn(static_cast<UINT>(wParam), MAP_CRACK_POINT(lParam));                                                        \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }
#define ON_WM_LBUTTONDOWN(fn) MAP_ON_MOUSE(WM_LBUTTONDOWN, fn)
#define ON_WM_LBUTTONUP(fn) MAP_ON_MOUSE(WM_LBUTTONUP, fn)
#define ON_WM_LBUTTONDBLCLK(fn) MAP_ON_MOUSE(WM_LBUTTONDBLCLK, fn)
#define ON_WM_MOUSEMOVE(fn) MAP_ON_MOUSE(WM_MOUSEMOVE, fn)

// void fn()
#define ON_WM_MOUSELEAVE(fn)                                                                                           \
    if (uMsg == WM_MOUSELEAVE)                                                                                         \
    {                                                                                                                  \
        fn();                                                                                                          \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(HWND hNewFocus)
#define ON_WM_KILLFOCUS(fn)                                                                                            \
    if (uMsg == WM_KILLFOCUS)                                                                                          \
    {                                                                                                                  \
        fn(reinterpret_cast<HWND>(wParam));                                                                            \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(UINT nChar, UINT nRepeatCount, UINT nFlags)
#define ON_WM_KEYDOWN(fn)                                                                                              \
    if (uMsg == WM_KEYDOWN)                                                                                            \
    {                                                                                                                  \
        fn(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));                                                 \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// UINT fn(const MSG *pMsg): the message the dialog manager asks about, or null
#define ON_WM_GETDLGCODE(fn)                                                                                           \
    if (uMsg == WM_GETDLGCODE)                                                                                         \
    {                                                                                                                  \
        lResult = fn(reinterpret_cast<const MSG *>(lParam));                                                           \
        return true;                                                                                                   \
    }

// BOOL fn(const HELPINFO &)
#define ON_WM_HELPINFO(fn)                                                                                             \
    if (uMsg == WM_HELP)                                                                                               \
    {                                                                                                                  \
        lResult = fn(*reinterpret_cast<const HELPINFO *>(lParam));                                                     \
        return true;                                                                                                   \
    }

// WM_DRAWITEM that the parent reflected to this control: void fn(const DRAWITEMSTRUCT &)
#define ON_WM_DRAWITEM_REFLECT(fn)                                                                                     \
    if (uMsg == WM_REFLECT_DRAWITEM)                                                                                   \
    {                                                                                                                  \
        fn(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));                                                         \
        lResult = TRUE;                                                                                                \
        return true;                                                                                                   \
    }

// A message without parameters: LRESULT fn()
#define ON_MESSAGE_VOID(msg, fn)                                                                                       \
    if (uMsg == (msg))                                                                                                 \
    {                                                                                                                  \
        lResult = fn();                                                                                                \
        return true;                                                                                                   \
    }

// LRESULT fn(int nCheck)
#define ON_BM_SETCHECK(fn)                                                                                             \
    if (uMsg == BM_SETCHECK)                                                                                           \
    {                                                                                                                  \
        lResult = fn(static_cast<int>(wParam));                                                                        \
        return true;                                                                                                   \
    }

// LRESULT fn()
#define ON_BM_GETCHECK(fn) ON_MESSAGE_VOID(BM_GETCHECK, fn)

// void fn(UINT_PTR nIdEvent)
#define ON_WM_TIMER(fn)                                                                                                \
    if (uMsg == WM_TIMER)                                                                                              \
    {                                                                                                                  \
        fn(static_cast<UINT_PTR>(wParam));                                                                             \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// BOOL fn(HWND hWnd, UINT nHitTest, UINT nMouseMessage)
#define ON_WM_SETCURSOR(fn)                                                                                            \
    if (uMsg == WM_SETCURSOR)                                                                                          \
    {                                                                                                                  \
        lResult = fn(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));                                  \
        return true;                                                                                                   \
    }

// void fn(UINT nType, int cx, int cy)
#define ON_WM_SIZE(fn)                                                                                                 \
    if (uMsg == WM_SIZE)                                                                                               \
    {                                                                                                                  \
        fn(static_cast<UINT>(wParam), static_cast<int>(LOWORD(lParam)), static_cast<int>(HIWORD(lParam)));             \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(HDC hDC, UINT nFlags)
#define ON_WM_PRINTCLIENT(fn)                                                                                          \
    if (uMsg == WM_PRINTCLIENT)                                                                                        \
    {                                                                                                                  \
        fn(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam));                                                  \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(HDROP hDrop)
#define ON_WM_DROPFILES(fn)                                                                                            \
    if (uMsg == WM_DROPFILES)                                                                                          \
    {                                                                                                                  \
        fn(reinterpret_cast<HDROP>(wParam));                                                                           \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(HWND hWnd, POINT ptScreen): ptScreen is (-1, -1) when the keyboard asked for the menu
#define ON_WM_CONTEXTMENU(fn)                                                                                          \
    if (uMsg == WM_CONTEXTMENU)                                                                                        \
    {                                                                                                                  \
        fn(reinterpret_cast<HWND>(wParam), MAP_CRACK_POINT(lParam));                                                   \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }

// void fn(HWND hNewCapture)
#define ON_WM_CAPTURECHANGED(fn)                                                                                       \
    if (uMsg == WM_CAPTURECHANGED)                                                                                     \
    {                                                                                                                  \
        fn(reinterpret_cast<HWND>(lParam));                                                                            \
        lResult = 0;                                                                                                   \
        return true;                                                                                                   \
    }
