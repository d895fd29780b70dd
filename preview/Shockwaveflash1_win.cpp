// CShockwaveflash1: window class, timed playback, painting, the hand cursor and click-through addresses.
#include "preview/Shockwaveflash1.h"

#include "base/Utf8.h"
#include "framework/Bitmap.h"
#include "framework/Handles.h"
#include "framework/Win32SystemServices.h"
#include "preview/SwfPlayback.h"

#include <algorithm>
#include <new>

namespace
{

const wchar_t kPlayerClassName[] = L"BrivelleFlashPlayer";
constexpr UINT_PTR kPlayTimerId = 1;
// A movie with a rate of 0 steps one frame per tick of this length: as fast as it can be shown while
// the queue's input and paint messages, which come before WM_TIMER, keep their turn.
constexpr UINT kFreeRunMs = 10;
// Frames made up on one tick after a stall; the rest of the backlog is dropped.
constexpr int kMaxCatchUpFrames = 4;

int64_t CounterNow()
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t CounterFrequency()
{
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? frequency.QuadPart : 1000;
}

// FSCommand addresses are commands to a hosting page, never documents to open.
bool IsOpenableAddress(const std::string &strUrl)
{
    static const char kHostCommand[] = "fscommand:";
    if (strUrl.empty())
        return false;
    const size_t nPrefix = sizeof(kHostCommand) - 1;
    if (strUrl.size() < nPrefix)
        return true;
    for (size_t i = 0; i < nPrefix; ++i)
    {
        const char c = strUrl[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kHostCommand[i])
            return true;
    }
    return false;
}

} // namespace

CShockwaveflash1::CShockwaveflash1() = default;

CShockwaveflash1::~CShockwaveflash1()
{
    // While this object is whole, so that its own WM_DESTROY handler releases what it holds.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

bool CShockwaveflash1::Create(const wchar_t *pszWindowName, DWORD dwStyle, const RECT &rc, CWnd *pParent, UINT nId)
{
    return Create(pszWindowName, dwStyle, rc, pParent != nullptr ? pParent->GetSafeHwnd() : nullptr, nId);
}

bool CShockwaveflash1::Create(const wchar_t *pszWindowName, DWORD dwStyle, const RECT &rc, HWND hParent, UINT nId)
{
    // The whole client area changes when the size does: the stage is fitted and centred.
    if (!CWnd::RegisterWindowClass(kPlayerClassName, CS_HREDRAW | CS_VREDRAW, nullptr))
        return false;
    if (!CreateEx(0, kPlayerClassName, pszWindowName, dwStyle, rc, hParent, nId))
        return false;
    if (m_pPlayback && m_pPlayback->IsPlaying())
        StartTimer();
    return true;
}

void CShockwaveflash1::SetMovie(const std::wstring &path)
{
    StopTimer();
    m_pPlayback.reset();
    m_strLoadError.clear();
    m_nFramesAdvanced = 0;
    m_openedFrameUrls.clear();
    m_bFrameStale = true;

    std::string error;
    if (path.empty())
        error = "no movie file was given";
    else if (path.find(L'\0') != std::wstring::npos)
        error = "the movie's path holds a NUL character";
    else
    {
        auto pPlayback = std::make_unique<CSwfPlayback>();
        if (pPlayback->Load(Utf8FromWide(path).c_str(), error))
            m_pPlayback = std::move(pPlayback);
        else if (error.empty())
            error = "the movie could not be read";
    }

    if (m_pPlayback)
    {
        OpenFrameUrls();
        if (m_pPlayback && m_pPlayback->IsPlaying())
            StartTimer();
    }
    else
    {
        m_strLoadError = error;
        ReleaseFrame();
    }
    if (m_hWnd != nullptr)
        Invalidate(false);
}

void CShockwaveflash1::Play()
{
    if (!m_pPlayback || m_hWnd == nullptr || IsPlaying())
        return;
    m_pPlayback->Play();
    StartTimer();
}

void CShockwaveflash1::Stop()
{
    if (m_pPlayback)
        m_pPlayback->Stop();
    StopTimer();
}

bool CShockwaveflash1::IsPlaying() const
{
    return m_bTimerRunning && m_pPlayback && m_pPlayback->IsPlaying();
}

void CShockwaveflash1::SetServices(ISystemServices *pServices)
{
    m_pServices = pServices;
}

ISystemServices &CShockwaveflash1::Services()
{
    if (m_pServices != nullptr)
        return *m_pServices;
    if (!m_pDefaultServices)
        m_pDefaultServices = std::make_unique<CWin32SystemServices>();
    return *m_pDefaultServices;
}

void CShockwaveflash1::StartTimer()
{
    if (m_hWnd == nullptr || !m_pPlayback)
        return;
    const int nRate256 = m_pPlayback->FrameRate256();
    // Frames per second are 8.8 fixed point: a frame lasts 256 / rate seconds.
    m_nPeriodTicks = nRate256 > 0 ? CounterFrequency() * 256 / nRate256 : 0;
    const int64_t nNow = CounterNow();
    m_nNextDueTicks = nNow + m_nPeriodTicks;
    m_bTimerRunning = ScheduleNextTick(nNow);
}

void CShockwaveflash1::StopTimer()
{
    if (m_bTimerRunning && m_hWnd != nullptr)
        ::KillTimer(m_hWnd, kPlayTimerId);
    m_bTimerRunning = false;
}

bool CShockwaveflash1::ScheduleNextTick(int64_t nNowTicks)
{
    UINT nDelayMs = kFreeRunMs;
    if (m_nPeriodTicks > 0)
    {
        const int64_t nFrequency = CounterFrequency();
        const int64_t nRemaining = std::max<int64_t>(m_nNextDueTicks - nNowTicks, 0);
        const int64_t nMs = (nRemaining * 1000 + nFrequency - 1) / nFrequency;
        nDelayMs = static_cast<UINT>(std::clamp<int64_t>(nMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM));
    }
    // Setting the timer again replaces its period: each tick asks for the time left to the next frame.
    return ::SetTimer(m_hWnd, kPlayTimerId, nDelayMs, nullptr) != 0;
}

bool CShockwaveflash1::AdvanceOneFrame()
{
    const int nBefore = m_pPlayback->CurrentFrame();
    m_pPlayback->Advance();
    ++m_nFramesAdvanced;
    return m_pPlayback->CurrentFrame() != nBefore;
}

void CShockwaveflash1::OpenFrameUrls()
{
    if (!m_pPlayback)
        return;
    for (const SwfActionRecord &action : m_pPlayback->TakeFrameUrls())
    {
        // A looping movie enters the same frame again and again; its address opens once.
        if (IsOpenableAddress(action.strUrl) && m_openedFrameUrls.insert(action.strUrl).second)
            OpenAddress(action.strUrl);
    }
}

void CShockwaveflash1::OpenAddress(const std::string &strUrl)
{
    if (IsOpenableAddress(strUrl))
        Services().ShellOpen(WideFromUtf8(strUrl));
}

bool CShockwaveflash1::PrepareFrame(int nWidth, int nHeight)
{
    if (!m_pPlayback)
        return false;
    if (!m_bFrameStale && nWidth == m_nBitsWidth && nHeight == m_nBitsHeight)
        return true;
    m_nBitsWidth = 0;
    m_nBitsHeight = 0;
    if (!m_pPlayback->Render(m_frame, nWidth, nHeight) || m_frame.bpp != 24 || m_frame.width != nWidth ||
        m_frame.height != nHeight)
        return false;
    const size_t nWidthPx = static_cast<size_t>(nWidth);
    try
    {
        m_bits.resize(nWidthPx * static_cast<size_t>(nHeight));
    }
    catch (const std::bad_alloc &)
    {
        std::vector<uint32_t>().swap(m_bits);
        return false;
    }
    // R, G, B bytes to 32-bit 0x00RRGGBB, which a 32-bit DIB holds as B, G, R, 0: no row padding needed.
    for (int y = 0; y < nHeight; ++y)
    {
        const uint8_t *pSource = m_frame.Row(y);
        uint32_t *pTarget = m_bits.data() + static_cast<size_t>(y) * nWidthPx;
        for (size_t x = 0; x < nWidthPx; ++x, pSource += 3)
            pTarget[x] =
                (static_cast<uint32_t>(pSource[0]) << 16) | (static_cast<uint32_t>(pSource[1]) << 8) | pSource[2];
    }
    m_nBitsWidth = nWidth;
    m_nBitsHeight = nHeight;
    m_bFrameStale = false;
    return true;
}

void CShockwaveflash1::Draw(HDC hDC, const RECT &rc)
{
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    if (hDC == nullptr || nWidth <= 0 || nHeight <= 0)
        return;
    if (!PrepareFrame(nWidth, nHeight))
    {
        ::FillRect(hDC, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return;
    }
    BITMAPINFO bi = TopDownDibInfo(nWidth, nHeight);
    ::SetDIBitsToDevice(hDC, rc.left, rc.top, static_cast<DWORD>(nWidth), static_cast<DWORD>(nHeight), 0, 0, 0,
                        static_cast<UINT>(nHeight), m_bits.data(), &bi, DIB_RGB_COLORS);
}

void CShockwaveflash1::OnPaint()
{
    CPaintDC dc(m_hWnd);
    Draw(dc.Get(), GetClientRect());
}

void CShockwaveflash1::OnPrintClient(HDC hDC, UINT nFlags)
{
    static_cast<void>(nFlags);
    Draw(hDC, GetClientRect());
}

BOOL CShockwaveflash1::OnEraseBkgnd(HDC hDC)
{
    // WM_PAINT covers every pixel; erasing first would only flicker.
    static_cast<void>(hDC);
    return TRUE;
}

void CShockwaveflash1::OnSize(UINT nType, int cx, int cy)
{
    static_cast<void>(nType);
    static_cast<void>(cx);
    static_cast<void>(cy);
    m_bFrameStale = true;
    Invalidate(false);
}

void CShockwaveflash1::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != kPlayTimerId)
        return;
    if (!IsPlaying())
    {
        StopTimer();
        return;
    }
    const int64_t nNow = CounterNow();
    int nDue = 1;
    if (m_nPeriodTicks > 0)
    {
        // WM_TIMER comes late or early: the clock says how many frames are due.
        nDue = 0;
        while (nDue < kMaxCatchUpFrames && nNow >= m_nNextDueTicks)
        {
            ++nDue;
            m_nNextDueTicks += m_nPeriodTicks;
        }
        if (nNow >= m_nNextDueTicks)
            m_nNextDueTicks = nNow + m_nPeriodTicks;
    }
    bool bChanged = false;
    for (int i = 0; i < nDue && m_pPlayback->IsPlaying(); ++i)
        bChanged = AdvanceOneFrame() || bChanged;
    if (bChanged)
    {
        m_bFrameStale = true;
        Invalidate(false);
    }
    // Opening an address may pump messages, and the window may be gone when it returns.
    OpenFrameUrls();
    if (!m_bTimerRunning || m_hWnd == nullptr)
        return;
    if (!m_pPlayback || !m_pPlayback->IsPlaying())
        StopTimer();
    else if (!ScheduleNextTick(nNow))
        StopTimer();
}

BOOL CShockwaveflash1::OnSetCursor(HWND hWnd, UINT nHitTest, UINT nMouseMessage)
{
    static_cast<void>(nMouseMessage);
    if (hWnd != m_hWnd || nHitTest != HTCLIENT)
        return static_cast<BOOL>(Default());
    bool bHand = false;
    POINT pt{};
    if (m_pPlayback && ::GetCursorPos(&pt) && ::ScreenToClient(m_hWnd, &pt))
    {
        const RECT rc = GetClientRect();
        bHand = pt.x >= 0 && pt.y >= 0 && pt.x < rc.right && pt.y < rc.bottom &&
                m_pPlayback->IsOverActionButton(pt.x, pt.y, rc.right, rc.bottom);
    }
    ::SetCursor(::LoadCursorW(nullptr, bHand ? IDC_HAND : IDC_ARROW));
    return TRUE;
}

void CShockwaveflash1::OnLButtonDown(UINT nFlags, POINT ptClient)
{
    static_cast<void>(nFlags);
    if (!m_pPlayback)
        return;
    const RECT rc = GetClientRect();
    std::string strUrl;
    std::string strTarget;
    if (m_pPlayback->HitTest(ptClient.x, ptClient.y, rc.right, rc.bottom, strUrl, strTarget))
        OpenAddress(strUrl);
}

void CShockwaveflash1::OnDestroy()
{
    StopTimer();
    m_pPlayback.reset();
    ReleaseFrame();
}

void CShockwaveflash1::ReleaseFrame()
{
    m_frame = Raster();
    std::vector<uint32_t>().swap(m_bits);
    m_nBitsWidth = 0;
    m_nBitsHeight = 0;
    m_bFrameStale = true;
}
