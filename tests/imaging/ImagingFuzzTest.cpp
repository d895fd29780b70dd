// Mutated files of every format through load, conversion, resampling and saving: never a crash, never
// a success without a picture, never a failure without the file's name.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ImagingFixtures.h"
#include "imaging/Picture.h"
#include "support/TempDir.h"

namespace
{
constexpr int kMutationsPerFormat = 2000;

// A small deterministic generator, so every run tries the same files.
class Random
{
  public:
    explicit Random(uint32_t seed) : m_uState(seed * 2654435761u + 12345u)
    {
    }
    uint32_t Next()
    {
        m_uState ^= m_uState << 13;
        m_uState ^= m_uState >> 17;
        m_uState ^= m_uState << 5;
        return m_uState;
    }
    // 0 .. limit - 1
    size_t Below(size_t limit)
    {
        return limit ? Next() % limit : 0;
    }

  private:
    uint32_t m_uState;
};

std::string Mutate(const SeedFile &seed, Random &random)
{
    std::string bytes = seed.bytes;
    switch (random.Below(7))
    {
    case 0: { // a few bit flips
        size_t flips = 1 + random.Below(8);
        for (size_t i = 0; i < flips; ++i)
            bytes[random.Below(bytes.size())] ^= static_cast<char>(1 << random.Below(8));
        break;
    }
    case 1: // flips confined to the header, where sizes and offsets live
        for (int i = 0; i < 3; ++i)
            bytes[random.Below(std::min<size_t>(bytes.size(), 64))] ^= static_cast<char>(1 << random.Below(8));
        break;
    case 2: // cut short
        bytes.resize(random.Below(bytes.size()));
        break;
    case 3: { // a header that lies about the size
        static const uint32_t sizes[] = {0, 1, 2, 255, 256, 4097, 32767, 65535, 60000, 65536, 0x7FFFFFFF, 0xFFFFFFFF};
        uint32_t width = random.Below(2) ? sizes[random.Below(12)] : static_cast<uint32_t>(1 + random.Below(3000));
        uint32_t height = random.Below(2) ? sizes[random.Below(12)] : static_cast<uint32_t>(1 + random.Below(3000));
        bytes = WithDeclaredSize(bytes, seed.type, width, height);
        break;
    }
    case 4: { // a run of bytes overwritten with one value
        size_t at = random.Below(bytes.size());
        size_t length = 1 + random.Below(16);
        char value = static_cast<char>(random.Below(2) ? 0xFF : random.Below(256));
        for (size_t i = at; i < bytes.size() && i < at + length; ++i)
            bytes[i] = value;
        break;
    }
    case 5: { // a slice copied elsewhere, as when blocks are duplicated or shifted
        size_t from = random.Below(bytes.size());
        size_t length = 1 + random.Below(64);
        std::string slice = bytes.substr(from, length);
        bytes.insert(random.Below(bytes.size()), slice);
        break;
    }
    default: { // random bytes inserted or removed
        size_t at = random.Below(bytes.size());
        if (random.Below(2))
            bytes.erase(at, 1 + random.Below(8));
        else
            bytes.insert(at, std::string(1 + random.Below(8), static_cast<char>(random.Below(256))));
        break;
    }
    }
    // Half the damaged PNG files get correct CRCs, so the damage reaches zlib and the row filters.
    if (seed.type == 4 && random.Below(2))
        FixPngCrcs(bytes);
    return bytes;
}

void CheckFailure(const CPicture &picture, const std::string &path, const char *step)
{
    ASSERT_EQ(0u, picture.GetLastError().find(path)) << step << ": " << picture.GetLastError();
}

void RunFuzz(int type, uint32_t seedValue)
{
    TempDir dir;
    std::vector<SeedFile> seeds;
    for (SeedFile &seed : SeedFiles())
        if (seed.type == type)
            seeds.push_back(seed);
    ASSERT_FALSE(seeds.empty());
    Random random(seedValue);
    std::string path = dir.File("fuzz.img");
    std::string jpegPath = dir.File("out.jpg");
    std::string gifPath = dir.File("out.gif");
    int loaded = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMutationsPerFormat; ++i)
    {
        const SeedFile &seed = seeds[static_cast<size_t>(i) % seeds.size()];
        std::string bytes = Mutate(seed, random);
        ASSERT_TRUE(WriteFresh(path, bytes));
        SCOPED_TRACE("mutation " + std::to_string(i) + " of " + seed.name + ": " +
                     ToHex(bytes.data(), std::min<size_t>(bytes.size(), 48)));
        CPicture picture;
        bool allFrames = type == 2 && random.Below(2);
        picture.SetRetreiveAllFrames(allFrames);
        // Mostly the right type; sometimes none or a wrong one, which goes through content detection.
        int asType = random.Below(4) ? type : static_cast<int>(random.Below(7));
        if (!picture.Load(path.c_str(), asType))
        {
            CheckFailure(picture, path, "load");
            ASSERT_FALSE(picture.IsValid());
            continue;
        }
        ++loaded;
        const Raster &raster = picture.GetRaster();
        ASSERT_TRUE(picture.IsValid());
        ASSERT_GT(picture.GetWidth(), 0);
        ASSERT_GT(picture.GetHeight(), 0);
        ASSERT_TRUE(raster.bpp == 1 || raster.bpp == 4 || raster.bpp == 8 || raster.bpp == 24);
        ASSERT_GE(raster.pixels.size(), raster.stride * static_cast<size_t>(raster.height));
        ASSERT_TRUE(raster.bpp == 24 || raster.palette.size() == (static_cast<size_t>(1) << raster.bpp));
        ASSERT_TRUE(raster.alpha.empty() ||
                    raster.alpha.size() == static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height));
        if (allFrames)
        {
            // Loading checks the frames' layout; damage inside a later frame's pixels shows when it is read.
            CPicture *last = nullptr;
            for (int f = 0; f < picture.GetNumFrames(); ++f)
            {
                last = picture.GetFrame(f);
                if (!last)
                {
                    CheckFailure(picture, path, "frame");
                    break;
                }
                ASSERT_EQ(picture.GetWidth(), last->GetWidth());
            }
            std::filesystem::remove(std::filesystem::u8path(gifPath));
            if (last && !last->Save(gifPath.c_str(), 2))
            {
                CheckFailure(*last, gifPath, "save frame");
            }
        }
        if (picture.GetBpp() < 16)
        {
            ASSERT_TRUE(picture.IncreaseBpp(24)) << picture.GetLastError();
        }
        int width = 1 + static_cast<int>(random.Below(40));
        int height = 1 + static_cast<int>(random.Below(40));
        ASSERT_TRUE(picture.Resample(width, height)) << picture.GetLastError();
        ASSERT_EQ(width, picture.GetWidth());
        std::filesystem::remove(std::filesystem::u8path(jpegPath));
        std::filesystem::remove(std::filesystem::u8path(gifPath));
        ASSERT_TRUE(picture.Save(jpegPath.c_str(), 3)) << picture.GetLastError();
        ASSERT_TRUE(picture.Save(gifPath.c_str(), 2)) << picture.GetLastError();
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
