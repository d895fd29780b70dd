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

bool CSlideHistory::Undo(SlideState &current)
{
    if (m_undo.empty())
        return false;
    m_redo.push_back(std::move(current));
    current = std::move(m_undo.back());
    m_undo.pop_back();
    return true;
}

bool CSlideHistory::Redo(SlideState &current)
{
    if (m_redo.empty())
        return false;
    m_undo.push_back(std::move(current));
    current = std::move(m_redo.back());
    m_redo.pop_back();
    return true;
}
