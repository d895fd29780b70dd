// CSwfPlayback: a loaded movie with its current frame; what the preview window draws and asks about.
#pragma once

#include "imaging/Raster.h"
#include "preview/SwfDisplayList.h"
#include "preview/SwfHitTester.h"
#include "preview/SwfMovieData.h"
#include "preview/SwfPlayerTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CSwfBitmapStore;
class CSwfRenderer;

// Plays a movie read once into memory. Frame numbers count from 0. Advance steps to the next frame and
// back to frame 0 after the last, as players loop, and runs the frame's actions (Stop, Play, frame
// jumps; GetURL addresses are queued for the window). GotoFrame only moves. Render and HitTest work
// in the pixels of a target of any size, with the stage fitted into it by FitStage.
class CSwfPlayback
{
  public:
    CSwfPlayback();
    ~CSwfPlayback();
    CSwfPlayback(const CSwfPlayback &) = delete;
    CSwfPlayback &operator=(const CSwfPlayback &) = delete;

    // Limits for the next Load.
    void SetLimits(const SwfLimits &limits)
    {
        m_limits = limits;
    }
    // Reads the file (UTF-8 path) and starts at frame 0, playing. On failure returns false with the
    // reason and keeps nothing of the file (any earlier movie is unloaded too).
    bool Load(const char *utf8Path, std::string &error);
    bool LoadMemory(std::vector<uint8_t> bytes, std::string &error);
    void Unload();
    bool IsLoaded() const
    {
        return m_pMovie != nullptr;
    }

    int FrameCount() const;
    // Frames per second, 8.8 fixed point as the header holds it.
    int FrameRate256() const;
    // Milliseconds per frame, rounded; 0 when the rate is 0 (the movie does not advance by itself).
    int FrameIntervalMs() const;
    int CurrentFrame() const
    {
        return m_nFrame;
    }
    // Moves to the frame (held within 0 .. FrameCount() - 1) without running its actions.
    void GotoFrame(int frame);
    void Advance();
    void Play()
    {
        m_bPlaying = true;
    }
    void Stop()
    {
        m_bPlaying = false;
    }
    bool IsPlaying() const
    {
        return m_pMovie != nullptr && m_bPlaying;
    }
    // GetURL actions of frames entered since the last call, oldest first.
    std::vector<SwfActionRecord> TakeFrameUrls();

    // The movie's background colour (white when it sets none).
    SwfRgb Background() const;
    int StageWidthPx() const;
    int StageHeightPx() const;
    // Colour around the fitted stage; by default the background colour.
    void SetMarginColor(SwfRgb colour)
    {
        m_margin = colour;
        m_bHasMargin = true;
    }
    void UseBackgroundAsMargin()
    {
        m_bHasMargin = false;
    }

    // Draws the current frame into target, made width x height at 24 bits. False when nothing is loaded
    // or the size is unusable.
    bool Render(Raster &target, int width, int height) const;
    // For a pixel of a width x height target: true, with the address and target window, when the
    // topmost button there opens an address on press.
    bool HitTest(int x, int y, int width, int height, std::string &url, std::string &target) const;
    // True when the topmost button at the pixel runs any action (the window shows a hand there).
    bool IsOverActionButton(int x, int y, int width, int height) const;
    SwfHitResult HitTestDetail(int x, int y, int width, int height) const;

    // What was skipped while reading and drawing, in the order found.
    const std::vector<std::string> &Warnings() const
    {
        return m_warnings;
    }
    const SwfMovieData *Movie() const
    {
        return m_pMovie.get();
    }
    const CSwfDisplayList &DisplayList() const
    {
        return m_list;
    }

  private:
    void Seek(int frame);
    void RunActions(int frame);
    void CollectStoreWarnings() const;

    SwfLimits m_limits;
    std::unique_ptr<SwfMovieData> m_pMovie;
    std::unique_ptr<CSwfBitmapStore> m_pStore;
    std::unique_ptr<CSwfRenderer> m_pRenderer;
    CSwfDisplayList m_list;
    int m_nFrame = 0;
    bool m_bPlaying = false;
    std::vector<SwfActionRecord> m_frameUrls;
    SwfRgb m_margin;
    bool m_bHasMargin = false;
    mutable std::vector<std::string> m_warnings;
    mutable size_t m_uStoreWarnings = 0;
};
