// Mutated files of every format through load, conversion, resampling and saving: never a crash, never
// a success without a picture, never a failure without the file's name. bench/fuzz runs the same on a
// larger scale.
#include <gtest/gtest.h>

#include <chrono>

#include "ImagingFuzz.h"
#include "support/TempDir.h"

namespace
{
constexpr int kMutationsPerFormat = 2000;

void RunFuzz(int type, uint32_t seedValue)
{
    TempDir dir;
    std::vector<SeedFile> seeds;
    for (SeedFile &seed : SeedFiles())
        if (seed.type == type)
            seeds.push_back(seed);
    ASSERT_FALSE(seeds.empty());
    const std::string path = dir.File("fuzz.img");
    const std::string jpegPath = dir.File("out.jpg");
    const std::string gifPath = dir.File("out.gif");
    int loaded = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMutationsPerFormat; ++i)
    {
        CFuzzRandom random(seedValue, static_cast<uint32_t>(i));
        const SeedFile &seed = seeds[static_cast<size_t>(i) % seeds.size()];
        const std::string bytes = MutateImage(seed, random);
        ASSERT_TRUE(WriteFresh(path, bytes));
        bool decoded = false;
        ASSERT_EQ(ExerciseImage(path, type, jpegPath, gifPath, random, decoded), "")
            << "mutation " << i << " of " << seed.name << ": "
            << ToHex(bytes.data(), std::min<size_t>(bytes.size(), 48));
        loaded += decoded ? 1 : 0;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("    %d mutated %s files, %d loaded, %.2f s\n", kMutationsPerFormat, seeds[0].name, loaded, seconds);
    // Some damage (flipped pixel bits) leaves a readable picture; the loop must have reached the
    // conversion and saving steps, not only the decoders' first checks.
    EXPECT_GT(loaded, kMutationsPerFormat / 50);
}
} // namespace

TEST(ImagingFuzzTest, Bmp)
{
    RunFuzz(1, 101);
}

TEST(ImagingFuzzTest, Gif)
{
    RunFuzz(2, 202);
}

TEST(ImagingFuzzTest, Jpeg)
{
    RunFuzz(3, 303);
}

TEST(ImagingFuzzTest, Png)
{
    RunFuzz(4, 404);
}

TEST(ImagingFuzzTest, Tiff)
{
    RunFuzz(6, 606);
}
