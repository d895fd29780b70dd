// The preview player window: creation, timed playback, painting, click-through addresses, the hand
// cursor, broken files and destruction, with movies made by the build engine.
#include "WinTestSupport.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"
#include "build/MovieBuilder.h"
#include "framework/Handles.h"
#include "preview/Shockwaveflash1.h"
#include "preview/SwfPlayback.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

constexpr UINT kPlayerId = 1023;
constexpr UINT WM_PROBE = WM_APP + 7;
const wchar_t kHostClass[] = L"BrivellePlayerTestHost";
const RECT kHostRect = {40, 40, 440, 340};

struct Card
{
    COLORREF clr;
    std::wstring strUrl;
    bool bJpeg = false;
};

// A top-level window standing in for the main dialog; counts the probe messages it receives.
class CHostWnd : public CWnd
{
    BEGIN_MSG_MAP(CHostWnd, CWnd)
    ON_MESSAGE_VOID(WM_PROBE, OnProbe)
    END_MSG_MAP()

  public:
    int m_nProbes = 0;

    bool Create()
    {
        CWnd::RegisterWindowClass(kHostClass, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return CreateEx(0, kHostClass, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kHostRect, nullptr, 0);
    }

  protected:
    LRESULT OnProbe()
    {
        ++m_nProbes;
        return 0;
    }
};

bool ColourNear(COLORREF actual, COLORREF expected, int tolerance = 10)
{
    return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
           std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
           std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

// Little-endian integer of nBytes bytes.
std::string Le(size_t nValue, int nBytes)
{
    std::string bytes;
    for (int i = 0; i < nBytes; ++i)
        bytes.push_back(static_cast<char>((nValue >> (8 * i)) & 0xFF));
    return bytes;
}

// A tag: code and length in 16 bits, or code and 0x3F followed by a 32-bit length for 63 bytes or more.
std::string Tag(int nCode, const std::string &body)
{
    const size_t nCodeBits = static_cast<size_t>(nCode) << 6;
    if (body.size() < 0x3F)
        return Le(nCodeBits | body.size(), 2) + body;
    return Le(nCodeBits | 0x3F, 2) + Le(body.size(), 4) + body;
}

// DoAction body: GetURL (0x83) with the address and an empty target, then the end of the actions.
std::string GetUrlAction(const std::string &url)
{
    const std::string payload = url + std::string(2, '\0');
    return "\x83" + Le(payload.size(), 2) + payload + std::string(1, '\0');
}

std::string Hex(COLORREF clr)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%02X %02X %02X", GetRValue(clr), GetGValue(clr), GetBValue(clr));
    return text;
}

class Shockwaveflash1Test : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fs::create_directory(m_dir.Path() / "tmp");
        ASSERT_TRUE(m_host.Create());
        CHangGuard guard(10000, "showing the host window");
        PumpMessages(20);
    }

    // Builds a movie of 64 x 48 cards with the engine; fps > 0 for FPS mode, else delay mode of delay s.
    std::wstring MakeMovie(const std::string &name, const std::vector<Card> &cards, int fps, int delay = 1)
    {
        BuildJob job;
        for (size_t i = 0; i < cards.size(); ++i)
        {
            const Card &card = cards[i];
            const std::string file = name + "-" + std::to_string(i) + (card.bJpeg ? ".jpg" : ".bmp");
            const Raster picture = MakeCard(64, 48, GetRValue(card.clr), GetGValue(card.clr), GetBValue(card.clr));
            const std::string path = m_dir.File(file);
            EXPECT_TRUE(card.bJpeg ? WriteJpeg(path, picture, 95) : WriteBmp(path, picture)) << path;
            const std::string folder = path.substr(0, path.size() - file.size());
            job.slides.push_back(ImageItem{WideFromUtf8(folder), WideFromUtf8(file), card.strUrl});
        }
        job.settings.nWidth = 64;
        job.settings.nHeight = 48;
        job.settings.bFpsMode = fps > 0;
        job.settings.nFps = fps > 0 ? fps : 1;
        job.settings.nDelay = delay;
        job.strTempMovie = m_dir.File(name + ".swf");
        job.nJobs = 1;
        const BuildReport report = BuildMovieFile(job);
        EXPECT_EQ(report.nResult, 1) << report.strError;
        return WideFromUtf8(job.strTempMovie);
    }

    std::wstring WriteFile(const std::string &name, const std::string &bytes)
    {
        EXPECT_TRUE(WriteWholeFile(fs::u8path(m_dir.File(name)), bytes));
        return WideFromUtf8(m_dir.File(name));
    }

    CShockwaveflash1 &CreatePlayer(const RECT &rc = RECT{0, 0, 256, 192})
    {
        m_pPlayer = std::make_unique<CShockwaveflash1>();
        EXPECT_TRUE(m_pPlayer->Create(L"myFlashPlay", WS_CHILD | WS_VISIBLE, rc, &m_host, kPlayerId));
        m_pPlayer->SetServices(&m_services);
        return *m_pPlayer;
    }

    // Moves a stopped player on to the given frame by playing it.
    void PlayUntilFrame(int nFrame)
    {
        CHangGuard guard(10000, "playing to a frame");
        m_pPlayer->Play();
        ASSERT_TRUE(PumpUntil([&] { return m_pPlayer->Playback()->CurrentFrame() == nFrame; }, 5000));
        m_pPlayer->Stop();
    }

    void Click(POINT pt)
    {
        const LPARAM lParam = MAKELPARAM(pt.x, pt.y);
        m_pPlayer->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        m_pPlayer->SendMessage(WM_LBUTTONUP, 0, lParam);
    }

    TempDir m_dir;
    CHostWnd m_host;
    CFakeSystemServices m_services;
    std::unique_ptr<CShockwaveflash1> m_pPlayer;
};

// The client area drawn through WM_PRINTCLIENT onto a magenta canvas, so unpainted pixels show.
struct Capture
{
    explicit Capture(CShockwaveflash1 &player)
        : rc(player.GetClientRect()), canvas(rc.right, rc.bottom, RGB(255, 0, 255))
    {
        player.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    }
    RECT rc;
    CCanvas canvas;
};

TEST_F(Shockwaveflash1Test, CreatesTheChildWindowTheDialogAsksFor)
{
    const RECT rc = {30, 20, 286, 212};
    CShockwaveflash1 &player = CreatePlayer(rc);
    HWND hPlayer = player.GetSafeHwnd();
    ASSERT_NE(hPlayer, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(hPlayer), static_cast<int>(kPlayerId));
    EXPECT_EQ(WindowText(hPlayer), L"myFlashPlay");
    EXPECT_EQ(::GetParent(hPlayer), m_host.GetSafeHwnd());
    EXPECT_EQ(m_host.GetDlgItem(kPlayerId), hPlayer);
    EXPECT_EQ(player.GetStyle() & (WS_CHILD | WS_VISIBLE | WS_POPUP), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    RECT placed = player.GetWindowRect();
    ::MapWindowPoints(nullptr, m_host.GetSafeHwnd(), reinterpret_cast<POINT *>(&placed), 2);
    EXPECT_TRUE(::EqualRect(&placed, &rc))
        << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;

    // The window class is registered once and serves a second player; the HWND overload makes the same.
    CShockwaveflash1 second;
    EXPECT_TRUE(second.Create(L"second", WS_CHILD, RECT{0, 0, 10, 10}, m_host.GetSafeHwnd(), 1024));
    // One window per object.
    EXPECT_FALSE(player.Create(L"again", WS_CHILD, rc, &m_host, kPlayerId));

    // Without a parent no child window can be made; the object stays usable and plays nothing.
    CShockwaveflash1 orphan;
    EXPECT_FALSE(orphan.Create(L"myFlashPlay", WS_CHILD | WS_VISIBLE, rc, static_cast<CWnd *>(nullptr), kPlayerId));
    EXPECT_EQ(orphan.GetSafeHwnd(), nullptr);
    orphan.SetMovie(MakeMovie("orphan", {{RGB(200, 0, 0), L""}}, 10));
    orphan.Play();
    EXPECT_FALSE(orphan.IsPlaying());
}

TEST_F(Shockwaveflash1Test, PlayAndStopDriveTheFrames)
{
    CShockwaveflash1 &player = CreatePlayer();
    const std::wstring movie =
        MakeMovie("abc", {{RGB(255, 0, 0), L""}, {RGB(0, 255, 0), L""}, {RGB(0, 0, 255), L""}}, 20);
    player.SetMovie(movie);
    ASSERT_NE(player.Playback(), nullptr) << player.LoadError();
    EXPECT_TRUE(player.LoadError().empty());
    // A movie that is put starts playing, as the control does.
    EXPECT_TRUE(player.IsPlaying());

    CHangGuard guard(20000, "play and stop");
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    PumpMessages(200);
    EXPECT_EQ(player.FramesAdvanced(), 0);

    player.Play();
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(PumpUntil([&] { return player.FramesAdvanced() >= 4; }, 3000));
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    const long long nStopped = player.FramesAdvanced();
    const int nFrame = player.Playback()->CurrentFrame();
    PumpMessages(300);
    EXPECT_EQ(player.FramesAdvanced(), nStopped) << "frames advanced after Stop";

    // Play goes on from the frame where Stop left the movie, looping at its end.
    player.Play();
    ASSERT_TRUE(PumpUntil([&] { return player.FramesAdvanced() > nStopped; }, 3000));
    player.Stop();
    const long long nSteps = player.FramesAdvanced() - nStopped;
    EXPECT_EQ(player.Playback()->CurrentFrame(), static_cast<int>((nFrame + nSteps) % 3));

    // Putting another movie replaces the first and starts it from its first frame.
    const std::wstring other = MakeMovie("five", std::vector<Card>(5, Card{RGB(9, 9, 9), L""}), 20);
    player.SetMovie(other);
    ASSERT_NE(player.Playback(), nullptr);
    EXPECT_EQ(player.Playback()->FrameCount(), 5);
    EXPECT_EQ(player.Playback()->CurrentFrame(), 0);
    EXPECT_EQ(player.FramesAdvanced(), 0);
    EXPECT_TRUE(player.IsPlaying());
}

TEST_F(Shockwaveflash1Test, FramesFollowTheMovieRate)
{
    struct Row
    {
        const char *pszWhat;
        int nFps;
        int nDelay;
        DWORD nPumpMs;
        long long nMin;
        long long nMax;
    };
    // Frame k is due k periods after Play; the bounds leave room for a late timer and a slow machine.
    const Row rows[] = {
        {"10 fps", 10, 1, 1550, 12, 17},
        {"25 fps", 25, 1, 1020, 20, 27},
        {"1 fps", 1, 1, 1550, 1, 2},
        {"delay mode, 2 s a slide (1 fps)", 0, 2, 1550, 1, 2},
    };
    CShockwaveflash1 &player = CreatePlayer();
    CHangGuard guard(30000, "playing at the movie's rate");
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        std::vector<Card> cards = {{RGB(255, 0, 0), L""}, {RGB(0, 255, 0), L""}, {RGB(0, 0, 255), L""}};
        player.SetMovie(MakeMovie("rate" + std::to_string(row.nFps), cards, row.nFps, row.nDelay));
        ASSERT_NE(player.Playback(), nullptr) << player.LoadError();
        const int nFrames = player.Playback()->FrameCount();
        const DWORD nStart = ::GetTickCount();
        PumpMessages(row.nPumpMs);
        const long long nAdvanced = player.FramesAdvanced();
        std::printf("[ timing   ] %s: %lld frames in %lu ms\n", row.pszWhat, nAdvanced,
                    static_cast<unsigned long>(::GetTickCount() - nStart));
        EXPECT_GE(nAdvanced, row.nMin);
        EXPECT_LE(nAdvanced, row.nMax);
        EXPECT_EQ(player.Playback()->CurrentFrame(), static_cast<int>(nAdvanced % nFrames)) << "loops at its end";
    }
}

TEST_F(Shockwaveflash1Test, AStalledInterfaceDoesNotMakeThePlayerRace)
{
    CShockwaveflash1 &player = CreatePlayer();
    player.SetMovie(MakeMovie("stall", {{RGB(255, 0, 0), L""}, {RGB(0, 0, 255), L""}}, 10));
    ASSERT_TRUE(player.IsPlaying());
    CHangGuard guard(20000, "stalled interface");
    // One second without messages: ten frames fall due, a few are made up, the rest are dropped.
    ::Sleep(1000);
    PumpMessages(40);
    const long long nAfterStall = player.FramesAdvanced();
    EXPECT_GE(nAfterStall, 1);
    EXPECT_LE(nAfterStall, 4);
    // Then the movie keeps its rate from the stall on.
    PumpMessages(1000);
    const long long nLater = player.FramesAdvanced() - nAfterStall;
    EXPECT_GE(nLater, 8);
    EXPECT_LE(nLater, 12);
}

TEST_F(Shockwaveflash1Test, RateZeroPlaysFastAndKeepsTheQueueResponsive)
{
    const std::wstring built = MakeMovie("zero", {{RGB(255, 0, 0), L""}, {RGB(0, 0, 255), L""}}, 12);
    std::string bytes = ReadWholeFile(fs::path(built));
    ASSERT_GT(bytes.size(), 20u);
    // The rate (8.8, little-endian) follows the RECT: 5 bits of field width, then four fields.
    const int nBits = static_cast<unsigned char>(bytes[8]) >> 3;
    const size_t nRate = 8 + static_cast<size_t>((5 + 4 * nBits + 7) / 8);
    bytes[nRate] = 0;
    bytes[nRate + 1] = 0;
    CShockwaveflash1 &player = CreatePlayer();
    player.SetMovie(WriteFile("zero-rate.swf", bytes));
    ASSERT_NE(player.Playback(), nullptr) << player.LoadError();
    ASSERT_EQ(player.Playback()->FrameRate256(), 0);
    ASSERT_TRUE(player.IsPlaying());

    CHangGuard guard(20000, "rate 0");
    DWORD nWorstMs = 0;
    const DWORD nStart = ::GetTickCount();
    for (int i = 0; i < 10; ++i)
    {
        const int nProbes = m_host.m_nProbes;
        const DWORD nPosted = ::GetTickCount();
        m_host.PostMessage(WM_PROBE);
        ASSERT_TRUE(PumpUntil([&] { return m_host.m_nProbes > nProbes; }, 1000));
        nWorstMs = std::max<DWORD>(nWorstMs, ::GetTickCount() - nPosted);
        PumpMessages(50);
    }
    const DWORD nElapsed = ::GetTickCount() - nStart;
    const long long nAdvanced = player.FramesAdvanced();
    std::printf("[ timing   ] rate 0: %lld frames in %lu ms, probe answered within %lu ms\n", nAdvanced,
                static_cast<unsigned long>(nElapsed), static_cast<unsigned long>(nWorstMs));
    EXPECT_GE(nAdvanced, 10) << "a movie with rate 0 must still advance";
    // One frame per short timer tick, not a loop that takes the thread.
    EXPECT_LE(nAdvanced, static_cast<long long>(nElapsed / 10 + 10));
    EXPECT_LE(nWorstMs, 100u);
}

TEST_F(Shockwaveflash1Test, PaintsTheCurrentFrameFittedIntoTheWindow)
{
    // 201 x 101: the 64 x 48 stage becomes 135 x 101 at x = 33, white margins left and right.
    CShockwaveflash1 &player = CreatePlayer(RECT{0, 0, 201, 101});
    const COLORREF kWhite = RGB(255, 255, 255);
    struct Row
    {
        const char *pszWhat;
        Card first;
        Card second;
    };
    const Row rows[] = {
        {"BMP cards", {RGB(220, 30, 40), L""}, {RGB(20, 200, 60), L""}},
        {"JPEG cards", {RGB(30, 60, 210), L"", true}, {RGB(240, 200, 20), L"", true}},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        player.SetMovie(MakeMovie(row.first.bJpeg ? "jpeg" : "bmp", {row.first, row.second}, 20));
        ASSERT_NE(player.Playback(), nullptr) << player.LoadError();
        player.Stop();
        {
            Capture shot(player);
            EXPECT_TRUE(ColourNear(shot.canvas.At(100, 50), row.first.clr)) << Hex(shot.canvas.At(100, 50));
            EXPECT_TRUE(ColourNear(shot.canvas.At(36, 3), row.first.clr)) << Hex(shot.canvas.At(36, 3));
            EXPECT_TRUE(ColourNear(shot.canvas.At(164, 97), row.first.clr)) << Hex(shot.canvas.At(164, 97));
            EXPECT_EQ(shot.canvas.At(5, 50), kWhite) << Hex(shot.canvas.At(5, 50));
            EXPECT_EQ(shot.canvas.At(196, 50), kWhite) << Hex(shot.canvas.At(196, 50));
        }
        // The next frame is drawn, not the one rendered before.
        PlayUntilFrame(1);
        {
            Capture shot(player);
            EXPECT_TRUE(ColourNear(shot.canvas.At(100, 50), row.second.clr)) << Hex(shot.canvas.At(100, 50));
        }
    }

    // Erasing draws nothing: WM_PAINT covers every pixel, so the frame does not flicker.
    {
        CCanvas untouched(201, 101, RGB(255, 0, 255));
        EXPECT_NE(player.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(untouched.DC())), 0);
        EXPECT_EQ(untouched.At(100, 50), RGB(255, 0, 255));
    }
    // WM_PAINT puts the same pixels on the screen.
    ::RedrawWindow(player.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    {
        CCanvas screen(201, 101, RGB(255, 0, 255));
        CWindowDC dc(player.GetSafeHwnd());
        ::BitBlt(screen.DC(), 0, 0, 201, 101, dc.Get(), 0, 0, SRCCOPY);
        EXPECT_TRUE(ColourNear(screen.At(100, 50), rows[1].second.clr)) << Hex(screen.At(100, 50));
        EXPECT_EQ(screen.At(5, 50), kWhite) << Hex(screen.At(5, 50));
    }

    // A new size fits the stage again: 100 x 200 puts it at y = 63 .. 137.
    ::MoveWindow(player.GetSafeHwnd(), 0, 0, 100, 200, TRUE);
    Capture shot(player);
    EXPECT_TRUE(ColourNear(shot.canvas.At(50, 100), rows[1].second.clr)) << Hex(shot.canvas.At(50, 100));
    EXPECT_EQ(shot.canvas.At(50, 10), kWhite) << Hex(shot.canvas.At(50, 10));
    EXPECT_EQ(shot.canvas.At(50, 190), kWhite) << Hex(shot.canvas.At(50, 190));
}

TEST_F(Shockwaveflash1Test, PressOnALinkedSlideOpensItsAddressAndShowsTheHand)
{
    // 300 x 192: the 64 x 48 stage becomes 256 x 192 at x = 22.
    CShockwaveflash1 &player = CreatePlayer(RECT{0, 0, 300, 192});
    const std::wstring linked = MakeMovie("linked", {{RGB(255, 0, 0), L"http://example.com/a b?q=1&r=straße"}}, 10);
    const std::wstring plain = MakeMovie("plain", {{RGB(0, 255, 0), L""}}, 10);
    struct Row
    {
        const char *pszWhat;
        const std::wstring &movie;
        POINT pt;
        const wchar_t *pszOpened; // null: nothing opens, the arrow shows
    };
    const Row rows[] = {
        {"linked slide, centre", linked, {150, 96}, L"http://example.com/a b?q=1&r=stra%C3%9Fe"},
        {"linked slide, near its corner", linked, {24, 2}, L"http://example.com/a b?q=1&r=stra%C3%9Fe"},
        {"margin beside the linked slide", linked, {10, 96}, nullptr},
        {"slide without an address", plain, {150, 96}, nullptr},
    };
    RECT rcScreen = player.GetWindowRect();
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        player.SetMovie(row.movie);
        ASSERT_NE(player.Playback(), nullptr) << player.LoadError();
        m_services.m_shellOpened.clear();
        Click(row.pt);
        if (row.pszOpened != nullptr)
        {
            EXPECT_EQ(m_services.m_shellOpened, std::vector<std::wstring>{row.pszOpened});
        }
        else
        {
            EXPECT_TRUE(m_services.m_shellOpened.empty());
        }

        ::SetCursor(nullptr);
        ASSERT_TRUE(::SetCursorPos(rcScreen.left + row.pt.x, rcScreen.top + row.pt.y));
        player.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(player.GetSafeHwnd()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, row.pszOpened != nullptr ? IDC_HAND : IDC_ARROW));
    }
    // Every press opens the address again: the user asked for it each time.
    player.SetMovie(linked);
    m_services.m_shellOpened.clear();
    Click(POINT{150, 96});
    Click(POINT{150, 96});
    EXPECT_EQ(m_services.m_shellOpened.size(), 2u);
}

TEST_F(Shockwaveflash1Test, FrameAddressesOpenOncePerLoadedMovie)
{
    // Two frames at 20 fps; frame 0 opens an address, frame 1 sends a command to a hosting page.
    std::string tags = Tag(9, HexBytes("FF FF FF"));
    tags += Tag(12, GetUrlAction("http://example.com/frame")) + Tag(1, "");
    tags += Tag(12, GetUrlAction("FSCommand:quit")) + Tag(1, "") + Tag(0, "");
    // RECT 0..1280 x 0..960 twips in 12-bit fields, 20 frames per second, 2 frames.
    const std::string body = HexBytes("60 00 28 00 00 1E 00 | 00 14 | 02 00") + tags;
    const std::string bytes = "FWS" + std::string(1, '\x03') + Le(8 + body.size(), 4) + body;
    const std::wstring movie = WriteFile("frame-url.swf", bytes);

    CShockwaveflash1 &player = CreatePlayer();
    player.SetMovie(movie);
    ASSERT_NE(player.Playback(), nullptr) << player.LoadError();
    ASSERT_EQ(player.Playback()->FrameCount(), 2);
    CHangGuard guard(20000, "frame addresses");
    ASSERT_TRUE(PumpUntil([&] { return player.FramesAdvanced() >= 10; }, 5000));
    EXPECT_EQ(m_services.m_shellOpened, std::vector<std::wstring>{L"http://example.com/frame"});
    player.SetMovie(movie);
    PumpMessages(100);
    EXPECT_EQ(m_services.m_shellOpened.size(), 2u);
}

TEST_F(Shockwaveflash1Test, BrokenMoviesLeaveAWindowThatPaints)
{
    const std::wstring good = MakeMovie("good", {{RGB(255, 0, 0), L""}, {RGB(0, 0, 255), L""}}, 20);
    const std::string goodBytes = ReadWholeFile(fs::path(good));
    fs::create_directory(m_dir.Path() / "folder.swf");
    struct Row
    {
        const char *pszWhat;
        std::wstring path;
    };
    const Row rows[] = {
        {"missing file", WideFromUtf8(m_dir.File("missing.swf"))},
        {"movie cut short", WriteFile("cut.swf", goodBytes.substr(0, goodBytes.size() / 2))},
        {"text file", WriteFile("text.swf", "this is not a movie at all")},
        {"empty file", WriteFile("empty.swf", "")},
        {"folder", WideFromUtf8(m_dir.File("folder.swf"))},
        {"empty path", L""},
        {"path with a NUL", good + std::wstring(1, L'\0') + L"x"},
    };
    CShockwaveflash1 &player = CreatePlayer();
    CHangGuard guard(20000, "broken movies");
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        player.SetMovie(good);
        ASSERT_NE(player.Playback(), nullptr);
        player.SetMovie(row.path);
        EXPECT_EQ(player.Playback(), nullptr) << "the earlier movie is replaced";
        EXPECT_FALSE(player.LoadError().empty());
        player.Play();
        EXPECT_FALSE(player.IsPlaying());
        PumpMessages(80);
        EXPECT_EQ(player.FramesAdvanced(), 0);
        Capture shot(player);
        EXPECT_EQ(shot.canvas.At(128, 96), RGB(255, 255, 255)) << Hex(shot.canvas.At(128, 96));
        EXPECT_EQ(shot.canvas.At(0, 0), RGB(255, 255, 255)) << Hex(shot.canvas.At(0, 0));
        Click(POINT{128, 96});
        EXPECT_TRUE(m_services.m_shellOpened.empty());
    }
}

TEST_F(Shockwaveflash1Test, DestroyingReleasesEverything)
{
    const std::wstring movie = MakeMovie("destroy", {{RGB(255, 0, 0), L""}, {RGB(0, 0, 255), L""}}, 25);
    CHangGuard guard(20000, "destroying the player");
    const DWORD nGdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    {
        CShockwaveflash1 &player = CreatePlayer();
        player.SetMovie(movie);
        ASSERT_TRUE(PumpUntil([&] { return player.FramesAdvanced() >= 3; }, 3000));
        HWND hPlayer = player.GetSafeHwnd();
        EXPECT_TRUE(player.DestroyWindow());
        EXPECT_FALSE(::IsWindow(hPlayer));
        EXPECT_EQ(player.GetSafeHwnd(), nullptr);
        EXPECT_EQ(player.Playback(), nullptr);
        EXPECT_FALSE(player.IsPlaying());
        const long long nFrames = player.FramesAdvanced();
        PumpMessages(200);
        EXPECT_EQ(player.FramesAdvanced(), nFrames) << "the timer outlived the window";
        player.Play();
        EXPECT_FALSE(player.IsPlaying());
        m_pPlayer.reset();
    }
    // Deleting an object whose window still plays takes the window with it.
    for (int i = 0; i < 5; ++i)
    {
        CShockwaveflash1 &player = CreatePlayer();
        player.SetMovie(movie);
        PumpMessages(60);
        HWND hPlayer = player.GetSafeHwnd();
        m_pPlayer.reset();
        EXPECT_FALSE(::IsWindow(hPlayer));
        EXPECT_EQ(m_host.GetDlgItem(kPlayerId), nullptr);
    }
    PumpMessages(100);
    // Wine counts no GDI objects (always 0); Windows does.
    if (nGdiBefore != 0)
    {
        EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), nGdiBefore) << "GDI objects leaked";
    }
}

} // namespace
