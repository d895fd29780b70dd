// The memory budget of a build's picture workers: shares wait for room instead of passing the budget.
#include "build/MemoryBudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

TEST(MemoryBudgetTest, SharesNeverPassTheBudgetAndOneLargerWaitsToBeAlone)
{
    struct Case
    {
        const char *name;
        std::vector<uint64_t> shares;
    };
    const Case cases[] = {
        {"shares that fit three at a time", {30, 30, 30, 30, 30, 30, 30, 30}},
        {"a share larger than the budget among others", {60, 150, 60, 10, 40, 150}},
    };
    const uint64_t kBudget = 100;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CMemoryBudget budget(kBudget);
        std::atomic<uint64_t> held{0};
        std::atomic<int> inside{0};
        std::atomic<bool> passed{false};
        std::vector<std::thread> threads;
        for (uint64_t share : c.shares)
            threads.emplace_back([&, share] {
                CMemoryShare taken(budget, share);
                const uint64_t now = held += share;
                const int together = ++inside;
                if (share > kBudget ? together > 1 : now > kBudget)
                    passed = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                held -= share;
                --inside;
            });
        for (std::thread &t : threads)
            t.join();
        EXPECT_FALSE(passed);
    }
    EXPECT_GE(DefaultMemoryBudget(), uint64_t(64) << 20);
    EXPECT_LE(DefaultMemoryBudget(), uint64_t(1) << 30);
}
