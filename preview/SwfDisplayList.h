// CSwfDisplayList: the characters on the stage by depth, changed by a frame's placements and removals.
#pragma once

#include "preview/SwfMovieData.h"

#include <cstdint>
#include <map>

struct SwfPlacement
{
    uint16_t characterId = 0;
    SwfFixedMatrix matrix;
    SwfCxform cxform;
    bool bClipLayer = false;
};

// Depth-ordered placements. A new character on an occupied depth without the move flag is ignored, as
// players do; a move changes the matrix and colour transform given (and the character, when one is
// given); removal frees the depth.
class CSwfDisplayList
{
  public:
    void Clear()
    {
        m_entries.clear();
    }
    // Applies one control tag; actions are not the display list's concern.
    void Apply(const SwfControlTag &tag);
    // Applies the control tags of frame `frame` of the movie.
    void ApplyFrame(const SwfMovieData &movie, int frame);

    const std::map<uint16_t, SwfPlacement> &Entries() const
    {
        return m_entries;
    }
    const SwfPlacement *At(uint16_t depth) const
    {
        auto it = m_entries.find(depth);
        return it == m_entries.end() ? nullptr : &it->second;
    }

  private:
    // Puts the tag's character on its (free) depth.
    void PlaceNew(const SwfControlTag &tag);

    std::map<uint16_t, SwfPlacement> m_entries;
};
