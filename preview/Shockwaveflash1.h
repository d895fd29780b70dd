// CShockwaveflash1: the preview player window that the main dialog shows after a build.
#pragma once

#include "framework/SystemServices.h"
#include "framework/Wnd.h"
#include "imaging/Raster.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CSwfPlayback;

// A child window that plays one movie file: frames advance from a window timer at the movie's rate,
// the current frame is drawn fitted into the client area, and a press on a button with an address
// opens it through the system services. Destroying the window releases the movie, the timer and
// the frame buffers; the object itself belongs to its creator.
class CShockwaveflash1 : public CWnd
{
    BEGIN_MSG_MAP(CShockwaveflash1, CWnd)
    ON_WM_PAINT(OnPaint)
    ON_WM_PRINTCLIENT(OnPrintClient)
    ON_WM_ERASEBKGND(OnEraseBkgnd)
    ON_WM_SIZE(OnSize)
    ON_WM_TIMER(OnTimer)
    ON_WM_SETCURSOR(OnSetCursor)
    ON_WM_LBUTTONDOWN(OnLButtonDown)
    ON_WM_DESTROY(OnDestroy)
    END_MSG_MAP()

  public:
    CShockwaveflash1();
    // Destroys the window first when it still exists.
    ~CShockwaveflash1() override;

    // Creates the child window at rc (parent's client coordinates). False when it could not be made.
    bool Create(const wchar_t *pszWindowName, DWORD dwStyle, const RECT &rc, CWnd *pParent, UINT nId);
    bool Create(const wchar_t *pszWindowName, DWORD dwStyle, const RECT &rc, HWND hParent, UINT nId);

    // Loads the movie, replacing the one before, and starts it as the control does; Play keeps it
    // going. On failure nothing is loaded, the window shows a plain background and LoadError says why.
    void SetMovie(const std::wstring &path);
    // Plays from the current frame; does nothing without a movie or a window.
    void Play();
    void Stop();
    // True only while a loaded movie plays in the window.
    bool IsPlaying() const;

    // Where addresses are opened; null goes back to the real shell. The services must outlive the window.
    void SetServices(ISystemServices *pServices);

    // The loaded movie, or null when none is loaded (also after the window is gone).
    const CSwfPlayback *Playback() const
    {
        return m_pPlayback.get();
    }
    // Why the last SetMovie loaded nothing; empty after a successful one.
    const std::string &LoadError() const
    {
        return m_strLoadError;
    }
    // Frames stepped by playback since the movie was put.
    long long FramesAdvanced() const
    {
        return m_nFramesAdvanced;
    }

    // Draws the current frame, or the plain background, into rc of a device context: rc is the client
    // area's size.
    void Draw(HDC hDC, const RECT &rc);

  protected:
    void OnPaint();
    void OnPrintClient(HDC hDC, UINT nFlags);
    BOOL OnEraseBkgnd(HDC hDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIdEvent);
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT nMouseMessage);
    void OnLButtonDown(UINT nFlags, POINT ptClient);
    void OnDestroy();

  private:
    void StartTimer();
    void StopTimer();
    // Sets the timer for the next frame that is due; false when the system refuses the timer.
    bool ScheduleNextTick(int64_t nNowTicks);
    // Steps one frame; true when the frame shown changed.
    bool AdvanceOneFrame();
    // Opens the addresses of frame actions, each distinct one once per loaded movie.
    void OpenFrameUrls();
    void OpenAddress(const std::string &strUrl);
    // Renders the current frame into the cached pixels when it or the size changed. False when there
    // is nothing to show.
    bool PrepareFrame(int nWidth, int nHeight);
    void ReleaseFrame();
    ISystemServices &Services();

    std::unique_ptr<CSwfPlayback> m_pPlayback;
    std::string m_strLoadError;
    long long m_nFramesAdvanced = 0;
    std::set<std::string> m_openedFrameUrls;

    ISystemServices *m_pServices = nullptr;
    std::unique_ptr<ISystemServices> m_pDefaultServices;

    // Playback clock in performance-counter ticks; a period of 0 advances one frame per short tick.
    bool m_bTimerRunning = false;
    int64_t m_nPeriodTicks = 0;
    int64_t m_nNextDueTicks = 0;

    // The last rendered frame: the renderer's RGB rows, then 32-bit BGRX rows for the blit.
    Raster m_frame;
    std::vector<uint32_t> m_bits;
    int m_nBitsWidth = 0;
    int m_nBitsHeight = 0;
    bool m_bFrameStale = true;
};
