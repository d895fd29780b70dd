// Where the stage lies in a target of a given size: fitted with its aspect kept, centred, on whole pixels.
#pragma once

#include "preview/SwfMovieData.h"
#include "preview/SwfPlayerTypes.h"

#include <algorithm>
#include <cmath>

struct SwfStageFit
{
    bool bValid = false;
    // The stage's pixels in the target: [left, left + width) x [top, top + height).
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // Stage twips to target pixels.
    SwfAffine twipsToPixels;
};

// The stage scaled by the largest factor that fits both sides, rounded to whole pixels (so the aspect
// is kept to within half a pixel and the edges fall on pixel boundaries) and centred, the odd pixel of
// the margin going right or down.
inline SwfStageFit FitStage(const SwfRectTwips &stage, int width, int height)
{
    SwfStageFit fit;
    const double stageW = static_cast<double>(stage.xmax) - stage.xmin;
    const double stageH = static_cast<double>(stage.ymax) - stage.ymin;
    if (width <= 0 || height <= 0 || stageW <= 0 || stageH <= 0)
        return fit;
    const double scale = std::min(width / stageW, height / stageH);
    fit.width = std::clamp(static_cast<int>(std::lround(stageW * scale)), 1, width);
    fit.height = std::clamp(static_cast<int>(std::lround(stageH * scale)), 1, height);
    fit.left = (width - fit.width) / 2;
    fit.top = (height - fit.height) / 2;
    const double sx = fit.width / stageW;
    const double sy = fit.height / stageH;
    fit.twipsToPixels = {sx, 0, 0, sy, fit.left - stage.xmin * sx, fit.top - stage.ymin * sy};
    fit.bValid = true;
    return fit;
}
