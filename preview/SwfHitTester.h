// CSwfHitTester: which button lies under a point of the target, and what pressing it opens.
#pragma once

#include "preview/SwfDisplayList.h"
#include "preview/SwfMovieData.h"
#include "preview/SwfStageFit.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct SwfHitResult
{
    bool bButton = false; // a button's hit area contains the point
    uint16_t buttonId = 0;
    uint16_t depth = 0;
    bool bHasActions = false;  // the button runs actions on some transition
    bool bHasPressUrl = false; // it opens an address when the mouse button goes down over it
    std::string strUrl;
    std::string strTarget;
};

// Finds the topmost placed button whose hit-test state contains the point; shapes do not catch the
// mouse, so a button shows through what is drawn over it. The press address is the first GetURL of the
// first condition entry with OverUpToOverDown. Lines count with their width whatever their colour: a
// hit area is never drawn.
class CSwfHitTester
{
  public:
    explicit CSwfHitTester(const SwfMovieData &movie);

    // x, y: a pixel of a target of width x height in which the stage is fitted as FitStage places it.
    SwfHitResult HitTest(const CSwfDisplayList &list, int x, int y, int width, int height) const;

  private:
    bool CharacterContains(uint16_t id, const SwfAffine &toPixels, double px, double py, int nesting,
                           size_t &budget) const;
    bool ShapeContains(const SwfShapeDef &shape, const SwfAffine &toPixels, double px, double py, size_t &budget) const;

    const SwfMovieData &m_movie;
};
