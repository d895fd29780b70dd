// Undo and redo of changes to the slide list.
#include "build/SlideHistory.h"

#include <utility>

void CSlideHistory::Record(SlideState before)
{
    m_undo.push_back(std::move(before));
    while (m_undo.size() > kMaxSteps)
        m_undo.pop_front();
    m_redo.clear();
}

namespace
{
// Puts the current state on `to` and takes the last of `from` in its place.
template <class From, class To> bool Step(From &from, To &to, SlideState &current)
{
    if (from.empty())
        return false;
    to.push_back(std::move(current));
    current = std::move(from.back());
    from.pop_back();
    return true;
}
} // namespace

bool CSlideHistory::Undo(SlideState &current)
{
    return Step(m_undo, m_redo, current);
}

bool CSlideHistory::Redo(SlideState &current)
{
    return Step(m_redo, m_undo, current);
}
