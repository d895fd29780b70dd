// A slide's picture prepared within the memory budget of its build, and named as the user knows it.
#pragma once

#include "build/ImageItem.h"
#include "build/MemoryBudget.h"
#include "build/SlideRenderer.h"

#include <cstdint>
#include <string>

// The most memory preparing the picture in `imagePath` for a width x height slide takes at once, judged
// from its file's header before anything is decoded, and the size the header declares (0 when unknown).
struct SlideMemory
{
    uint64_t uBytes = 0;
    int64_t nWidth = 0;
    int64_t nHeight = 0;
};
SlideMemory EstimateSlideMemory(const std::string &imagePath, int width, int height);

// PrepareSlidePicture, once the budget has room for what the picture takes. A failure's reason names the
// slide by its origin (a GIF frame by the GIF and the frame), never by a temporary file; one for want of
// memory is "not enough memory to decode IMAGE (W×H)", with outOfMemory set.
bool PrepareSlideInBudget(CMemoryBudget &budget, const ImageItem &slide, int width, int height, SlideBuffers &buffers,
                          std::string &reason, bool &outOfMemory);
