// Display list changes of placements and removals.
#include "preview/SwfDisplayList.h"

void CSwfDisplayList::PlaceNew(const SwfControlTag &tag)
{
    SwfPlacement placement;
    placement.characterId = tag.characterId;
    if (tag.bHasMatrix)
        placement.matrix = tag.matrix;
    if (tag.bHasCxform)
        placement.cxform = tag.cxform;
    placement.bClipLayer = tag.bClipLayer;
    m_entries[tag.depth] = placement;
}

void CSwfDisplayList::Apply(const SwfControlTag &tag)
{
    if (tag.kind == SwfControlKind::Remove)
    {
        m_entries.erase(tag.depth);
        return;
    }
    if (tag.kind != SwfControlKind::Place)
        return;
    auto it = m_entries.find(tag.depth);
    if (!tag.bMove)
    {
        // A new character on a free depth; on an occupied one the tag is ignored.
        if (!tag.bHasCharacter || it != m_entries.end())
            return;
        PlaceNew(tag);
        return;
    }
    if (it == m_entries.end())
    {
        // Moving an empty depth places the character when one is given.
        if (!tag.bHasCharacter)
            return;
        PlaceNew(tag);
        return;
    }
    SwfPlacement &placement = it->second;
    if (tag.bHasCharacter)
        placement.characterId = tag.characterId;
    if (tag.bHasMatrix)
        placement.matrix = tag.matrix;
    if (tag.bHasCxform)
        placement.cxform = tag.cxform;
    if (tag.bClipLayer)
        placement.bClipLayer = true;
}

void CSwfDisplayList::ApplyFrame(const SwfMovieData &movie, int frame)
{
    if (frame < 0 || frame >= movie.FrameCount())
        return;
    const uint32_t end = movie.frameStarts[static_cast<size_t>(frame) + 1];
    for (uint32_t i = movie.frameStarts[static_cast<size_t>(frame)]; i < end; ++i)
        Apply(movie.controlTags[i]);
}
