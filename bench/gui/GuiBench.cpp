// GUI benchmark: drives the real main dialog and prints how long its window went unanswered while adding
// and making, how soon thumbnails and pictures show, the Make time against brivelle-cli and peak memory.
#include "base/Utf8.h"
#include "bench/swf/PeakMemory.h"
#include "framework/WinApp.h"
#include "tests/win/AnsweringServices.h"
#include "ui/BrivelleDlg.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The dialog with the members the benchmark watches.
class CBenchDlg : public CBrivelleDlg
{
  public:
    using CBrivelleDlg::CBrivelleDlg;
    const AreaPicture *ShownPicture() const
    {
        return m_imageArea.Picture().get();
    }
    size_t Slides() const
    {
        return m_model.m_images.size();
    }
    int Current() const
    {
        return m_model.m_nCurSel;
    }
    bool ThumbnailsPending() const
    {
        return m_pPictures->ThumbnailsPending();
    }
};

// Answers the file dialogs with what the benchmark sets; message boxes are printed and answered Yes.
class CBenchServices : public CAnsweringServices
{
  public:
    int ShowMessageBox(HWND, const std::wstring &text, UINT) override
    {
        std::printf("  (message: %s)\n", Utf8FromWide(text).c_str());
        return IDYES;
    }
};

// The slowest message dispatched since the last Slowest(): what held the window up.
double g_fSlowestMs = 0;
UINT g_nSlowestMessage = 0;

void Pump()
{
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        const Clock::time_point start = Clock::now();
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        const double fMs = MillisecondsSince(start);
        if (fMs > g_fSlowestMs)
        {
            g_fSlowestMs = fMs;
            g_nSlowestMessage = msg.message;
        }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
}

template <typename TDone> bool PumpUntil(TDone done, double fTimeoutMs = 120000)
{
    const Clock::time_point start = Clock::now();
    while (!done())
    {
        if (MillisecondsSince(start) > fTimeoutMs)
            return false;
        Pump();
    }
    return true;
}

// A thread that posts a message to a window of the user-interface thread every few milliseconds and
// notes the longest time one waited to be handled.
constexpr UINT WM_PROBE = WM_APP + 100;
std::atomic<int64_t> g_nAnsweredAt{0};

LRESULT CALLBACK ProbeProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PROBE)
    {
        g_nAnsweredAt = Clock::now().time_since_epoch().count();
        return 0;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class CProbe
{
  public:
    explicit CProbe(HWND hWnd) : m_hWnd(hWnd)
    {
        m_thread = std::thread([this] { Run(); });
    }
    ~CProbe()
    {
        m_bQuit = true;
        m_thread.join();
    }
    double LongestMs() const
    {
        return m_fLongestMs.load();
    }

  private:
    void Run()
    {
        while (!m_bQuit)
        {
            const Clock::time_point sent = Clock::now();
            g_nAnsweredAt = 0;
            ::PostMessageW(m_hWnd, WM_PROBE, 0, 0);
            double fWaited = 0;
            while (g_nAnsweredAt.load() == 0 && !m_bQuit)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                fWaited = MillisecondsSince(sent);
                if (fWaited > m_fLongestMs)
                    m_fLongestMs = fWaited;
            }
            if (g_nAnsweredAt.load() != 0)
            {
                const double fAnswer = std::chrono::duration<double, std::milli>(
                                           Clock::time_point(Clock::duration(g_nAnsweredAt.load())) - sent)
                                           .count();
                if (fAnswer > m_fLongestMs)
                    m_fLongestMs = fAnswer;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    HWND m_hWnd;
    std::atomic<bool> m_bQuit{false};
    std::atomic<double> m_fLongestMs{0};
    std::thread m_thread;
};

void PrintSlowest(double fCommandMs)
{
    std::printf("  (the command itself %.1f ms; slowest message handled after it 0x%04X, %.1f ms)\n", fCommandMs,
                g_nSlowestMessage, g_fSlowestMs);
    g_fSlowestMs = 0;
}

void Report(const char *pszWhat, double fValue, const char *pszUnit, double fTarget)
{
    std::printf("  %-58s %9.1f %-3s target <= %-7g %s\n", pszWhat, fValue, pszUnit, fTarget,
                fValue <= fTarget ? "ok" : "MISSED");
}

struct Watched
{
    double fCommandMs = 0; // the command's handler itself
    double fDoneMs = 0;    // until done() held
    double fLongestMs = 0; // the longest a posted message waited meanwhile
};

// Runs the command with the probe watching and pumps messages until done(milliseconds since the start) holds.
template <typename TCommand, typename TDone> Watched Watch(HWND hProbe, TCommand command, TDone done)
{
    Watched watched;
    CProbe probe(hProbe);
    const Clock::time_point start = Clock::now();
    g_fSlowestMs = 0;
    command();
    watched.fCommandMs = MillisecondsSince(start);
    PumpUntil([&] { return done(MillisecondsSince(start)); });
    watched.fDoneMs = MillisecondsSince(start);
    watched.fLongestMs = probe.LongestMs();
    return watched;
}

void Click(CBrivelleDlg &dlg, int nId)
{
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.GetDlgItem(nId)));
}

std::vector<std::wstring> PicturesIn(const std::filesystem::path &folder, size_t uRepeat = 1)
{
    std::vector<std::wstring> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().extension() == ".jpg")
            files.push_back(entry.path().wstring());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < uRepeat; ++i)
        paths.insert(paths.end(), files.begin(), files.end());
    return paths;
}

// Adds the files and waits until every thumbnail and the image area's pictures are made. Prints the
// longest unanswered time and the time to all thumbnails against their targets.
void MeasureAdd(CBenchDlg &dlg, CBenchServices &services, HWND hProbe, const std::vector<std::wstring> &paths,
                const char *pszName, double fThumbnailTarget)
{
    services.m_openPaths = paths;
    Click(dlg, IDC_BTN_REMOVEALL);
    PumpUntil([&] { return !dlg.HasPendingWork(); });
    double fAllShown = 0;
    const Watched add = Watch(
        hProbe, [&] { Click(dlg, IDC_BTN_ADD); },
        [&](double fSinceStart) {
            if (fAllShown == 0 && !dlg.ThumbnailsPending())
                fAllShown = fSinceStart;
            return !dlg.HasPendingWork();
        });
    std::printf("== adding %s (%zu slides)\n", pszName, dlg.Slides());
    PrintSlowest(add.fCommandMs);
    Report("longest unanswered time while adding", add.fLongestMs, "ms", 100);
    Report("until every thumbnail is shown", fAllShown / 1000, "s", fThumbnailTarget);
}

void MeasureSteps(CBenchDlg &dlg)
{
    HWND hList = dlg.GetDlgItem(IDC_LIST_IMAGES);
    std::vector<double> cached;
    std::vector<double> uncached;
    for (int i = 0; i < 8; ++i)
    {
        // One step: its picture was decoded ahead while the window waited.
        PumpUntil([&] { return !dlg.HasPendingWork(); });
        const AreaPicture *pBefore = dlg.ShownPicture();
        const WPARAM nKey = dlg.Current() + 1 < static_cast<int>(dlg.Slides()) ? VK_RIGHT : VK_LEFT;
        Clock::time_point start = Clock::now();
        ::SendMessageW(hList, WM_KEYDOWN, nKey, 1);
        ::SendMessageW(hList, WM_KEYUP, nKey, 0xC0000001);
        PumpUntil([&] { return dlg.ShownPicture() != pBefore; }, 10000);
        cached.push_back(MillisecondsSince(start));

        // A jump far away: nothing of it is decoded yet.
        PumpUntil([&] { return !dlg.HasPendingWork(); });
        const int nTarget = (i % 2 == 0) ? static_cast<int>(dlg.Slides()) - 1 - i : i * 3 + 10;
        pBefore = dlg.ShownPicture();
        start = Clock::now();
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(nTarget), reinterpret_cast<LPARAM>(&item));
        PumpUntil([&] { return dlg.ShownPicture() != pBefore; }, 10000);
        uncached.push_back(MillisecondsSince(start));
    }
    std::sort(cached.begin(), cached.end());
    std::sort(uncached.begin(), uncached.end());
    std::printf("== stepping between 12 MP slides (8 steps each; median, worst)\n");
    Report("step to a slide decoded ahead, median", cached[cached.size() / 2], "ms", 50);
    Report("step to a slide decoded ahead, worst", cached.back(), "ms", 50);
    Report("jump to a slide not decoded yet, median", uncached[uncached.size() / 2], "ms", 250);
    Report("jump to a slide not decoded yet, worst", uncached.back(), "ms", 250);
}

// Wall time of a program run to its end, in milliseconds; negative when it could not start or failed.
double RunProgram(const std::wstring &commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    const Clock::time_point start = Clock::now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &process))
        return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    const double fMs = MillisecondsSince(start);
    DWORD nExit = 1;
    ::GetExitCodeProcess(process.hProcess, &nExit);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return nExit == 0 ? fMs : -1;
}

void MeasureMake(CBenchDlg &dlg, CBenchServices &services, HWND hProbe, const std::vector<std::wstring> &photos,
                 const std::wstring &cli, const std::filesystem::path &work)
{
    dlg.SetDlgItemText(IDC_EDIT_WIDTH, L"640");
    dlg.SetDlgItemText(IDC_EDIT_HEIGHT, L"480");
    services.m_strSavePath = (work / "gui.swf").wstring();
    const Watched make = Watch(
        hProbe, [&] { Click(dlg, IDC_BTN_MAKE); }, [&](double) { return !dlg.IsBuilding(); });
    const double fGui = make.fDoneMs;
    std::wstring line =
        L"\"" + cli + L"\" --quiet -o \"" + (work / "cli.swf").wstring() + L"\" --width 640 --height 480";
    for (const std::wstring &photo : photos)
        line += L" \"" + photo + L"\"";
    const double fCli = RunProgram(line);
    std::printf("== making the 50-photo movie at 640 x 480\n");
    PrintSlowest(make.fCommandMs);
    Report("longest unanswered time while making", make.fLongestMs, "ms", 100);
    std::printf("  Make in the dialog %.2f s, brivelle-cli %.2f s\n", fGui / 1000, fCli / 1000);
    if (fCli > 0)
        Report("Make, dialog / brivelle-cli", fGui / fCli, "x", 1.2);
    else
        std::printf("  brivelle-cli failed: %s\n", Utf8FromWide(line).c_str());
    PumpUntil([&] { return !dlg.HasPendingWork(); });
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 5 && !(argc == 3 && std::strcmp(argv[1], "memory") == 0))
    {
        std::fprintf(stderr, "usage: brivelle-gui-bench memory SMALL-FOLDER\n"
                             "       brivelle-gui-bench PHOTO-FOLDER SMALL-FOLDER BRIVELLE-CLI.EXE WORK-FOLDER\n");
        return 2;
    }
    CWinApp app;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CBenchServices services;
    WNDCLASSW probeClass{};
    probeClass.lpfnWndProc = ProbeProc;
    probeClass.hInstance = ::GetModuleHandleW(nullptr);
    probeClass.lpszClassName = L"BrivelleBenchProbe";
    ::RegisterClassW(&probeClass);
    HWND hProbe = ::CreateWindowW(L"BrivelleBenchProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  probeClass.hInstance, nullptr);

    CBenchDlg dlg(services);
    if (!dlg.Create())
    {
        std::fprintf(stderr, "brivelle-gui-bench: the main dialog could not be created\n");
        return 1;
    }
    app.m_pMainWnd = &dlg;
    ::SetForegroundWindow(dlg.m_hWnd);
    PumpUntil([] { return false; }, 300);

    if (std::strcmp(argv[1], "memory") == 0)
    {
        // 200 pictures of 800 x 600, ten times over.
        services.m_openPaths = PicturesIn(WideFromUtf8(argv[2]), 10);
        Click(dlg, IDC_BTN_ADD);
        PumpUntil([&] { return !dlg.HasPendingWork(); });
        std::printf("== peak memory with %zu slides in the list\n", dlg.Slides());
        Report("peak memory (working set)", static_cast<double>(PeakMemoryKiB()) / 1024, "MB", 250);
    }
    else
    {
        const std::vector<std::wstring> photos = PicturesIn(WideFromUtf8(argv[1]));
        const std::vector<std::wstring> small = PicturesIn(WideFromUtf8(argv[2]));
        const std::filesystem::path work = WideFromUtf8(argv[4]);
        MeasureAdd(dlg, services, hProbe, small, "200 pictures of 800 x 600", 1.5);
        MeasureAdd(dlg, services, hProbe, photos, "50 photos of 4000 x 3000", 2);
        MeasureSteps(dlg);
        MeasureMake(dlg, services, hProbe, photos, WideFromUtf8(argv[3]), work);
    }
    app.m_pMainWnd = nullptr;
    // The list is not kept: no question when the window goes.
    dlg.DestroyWindow();
    ::DestroyWindow(hProbe);
    return 0;
}
