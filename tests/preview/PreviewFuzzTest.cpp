// A deterministic mutation loop over several movies, through the reader, the renderer and hit testing.
// bench/fuzz runs the same on a larger scale.
#include "preview/MovieFuzz.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifndef PREVIEW_FUZZ_INPUTS
#define PREVIEW_FUZZ_INPUTS 20000
#endif

// Catches crashes, hangs, huge allocations and undefined behaviour on hostile input (run under the
// sanitizers): mutated movies are refused with a reason or read, drawn at a few sizes, stepped through
// and hit tested.
TEST(PreviewFuzzTest, MutatedMoviesAreRefusedOrPlayedNeverCrash)
{
    CPreviewFixture fixture;
    const std::vector<std::string> seeds = MovieFuzzSeeds(fixture);
    for (const std::string &seed : seeds)
    {
        bool accepted = false;
        ASSERT_EQ(ExerciseMovie(seed, accepted), "");
        ASSERT_TRUE(accepted);
    }
    int accepted = 0, refused = 0;
    const int inputs = PREVIEW_FUZZ_INPUTS;
    for (int i = 0; i < inputs; ++i)
    {
        CFuzzRandom random(20240611, static_cast<uint32_t>(i));
        bool read = false;
        EXPECT_EQ(ExerciseMovie(MutatedMovie(seeds, random), read), "") << "input " << i;
        ++(read ? accepted : refused);
    }
    std::printf("[ preview  ] fuzz: %d inputs, %d read and played, %d refused\n", inputs, accepted, refused);
    EXPECT_GT(accepted, inputs / 20) << "too few mutations got past the reader to exercise the renderer";
    EXPECT_GT(refused, inputs / 20);
}
