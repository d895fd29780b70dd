// Undo and redo of changes to the slide list.
#pragma once

#include "build/ImageItem.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// The slides as one command found or left them: the slides with their addresses, in order, and the
// current one.
struct SlideState
{
    std::vector<ImageItem> images;
    int nCurSel = 0;
    // Set when the step from or to this state opened a list file: the list file the slides belonged to
    // (empty: none) and its slides as last saved, which come back with the slides.
    bool bListFile = false;
    std::wstring strListPath{};
    std::vector<ImageItem> savedImages{};
};

// The states before the last changes (undo) and those undone since (redo). Keeps at most kMaxSteps
// undo steps, dropping the oldest.
class CSlideHistory
{
  public:
    static constexpr size_t kMaxSteps = 100;

    // Notes the state a change started from; the changes undone before can no longer be redone.
    void Record(SlideState before);
    // Gives the state before the last change in exchange for the current one, which redo brings back.
    // False, with current untouched, when there is nothing to undo.
    bool Undo(SlideState &current);
    bool Redo(SlideState &current);
    // The state Undo or Redo would give; null when there is none.
    const SlideState *NextUndo() const
    {
        return m_undo.empty() ? nullptr : &m_undo.back();
    }
    const SlideState *NextRedo() const
    {
        return m_redo.empty() ? nullptr : &m_redo.back();
    }

  private:
    std::deque<SlideState> m_undo;
    std::vector<SlideState> m_redo;
};
