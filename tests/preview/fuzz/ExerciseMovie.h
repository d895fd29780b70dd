// One damaged movie through the player: read with small limits, drawn at a few sizes, stepped and hit tested.
#pragma once

#include "preview/SwfPlayback.h"

#include <string>
#include <vector>

// Returns what broke ("" when all held: a refusal gives a reason). `accepted` says whether it was read.
inline std::string ExerciseMovie(const uint8_t *data, size_t size, bool &accepted)
{
    SwfLimits limits;
    limits.uMaxBitmapPixels = 1 << 16;
    limits.uMaxBitmapCacheBytes = 1 << 20;
    limits.uMaxFileBytes = 1 << 20;
    CSwfPlayback playback;
    playback.SetLimits(limits);
    std::string error;
    accepted = playback.LoadMemory(std::vector<uint8_t>(data, data + size), error);
    if (!accepted)
        return error.empty() ? "refused without a reason" : std::string();
    Raster frame;
    playback.Render(frame, 24, 16);
    playback.Advance();
    playback.Render(frame, 13, 29);
    std::string url, target;
    playback.HitTest(6, 6, 24, 16, url, target);
    playback.IsOverActionButton(20, 3, 24, 16);
    playback.GotoFrame(playback.FrameCount() - 1);
    playback.Render(frame, 7, 5);
    playback.Advance();
    return std::string();
}
