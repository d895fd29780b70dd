// Undo history: 100 steps kept, the oldest dropped, redo lost once a new change is made.
#include "build/SlideHistory.h"

#include <gtest/gtest.h>

namespace
{
SlideState StateOf(int n)
{
    return SlideState{{ImageItem{L"f\\", std::to_wstring(n) + L".jpg", L"", L""}}, n};
}
} // namespace

TEST(SlideHistoryTest, KeepsTheLastHundredStepsAndForgetsRedoOnANewChange)
{
    CSlideHistory history;
    for (int i = 0; i < 105; ++i)
        history.Record(StateOf(i));
    SlideState current = StateOf(105);
    int nUndone = 0;
    while (history.Undo(current))
        ++nUndone;
    EXPECT_EQ(100, nUndone);
    EXPECT_EQ(5, current.nCurSel);
    EXPECT_EQ(L"5.jpg", current.images[0].strFileName);
    for (int i = 6; i <= 105; ++i)
    {
        ASSERT_TRUE(history.Redo(current));
        EXPECT_EQ(i, current.nCurSel);
    }
    EXPECT_FALSE(history.Redo(current));

    ASSERT_TRUE(history.Undo(current));
    history.Record(current);
    current = StateOf(200);
    EXPECT_FALSE(history.Redo(current));
    EXPECT_EQ(200, current.nCurSel);
    ASSERT_TRUE(history.Undo(current));
    EXPECT_EQ(104, current.nCurSel);
}
