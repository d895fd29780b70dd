// libFuzzer entry for the player: the input is read as a movie, then drawn, stepped and hit tested.
#include "preview/SwfPlayback.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SwfLimits limits;
    limits.uMaxBitmapPixels = 1 << 16;
    limits.uMaxBitmapCacheBytes = 1 << 20;
    limits.uMaxFileBytes = 1 << 20;
    CSwfPlayback playback;
    playback.SetLimits(limits);
    std::string error;
    if (!playback.LoadMemory(std::vector<uint8_t>(data, data + size), error))
        return 0;
    Raster frame;
    playback.Render(frame, 24, 16);
    playback.Advance();
    playback.Render(frame, 13, 29);
    std::string url, target;
    playback.HitTest(6, 6, 24, 16, url, target);
    playback.GotoFrame(playback.FrameCount() - 1);
    playback.Render(frame, 7, 5);
    return 0;
}
