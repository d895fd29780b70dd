// Pictures decoded for the window on worker threads: the most urgent first, dropped ones never delivered.
#include "build/PictureLoader.h"
#include "build/FileAdder.h"
#include "build/GifSplitter.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace
{
// Collects results as the owner's thread would, waiting for each notification.
std::vector<PictureResult> TakeAll(CPictureLoader &loader, size_t uCount)
{
    std::vector<PictureResult> all;
    for (int nTries = 0; all.size() < uCount && nTries < 2000; ++nTries)
    {
        for (PictureResult &result : loader.TakeResults())
            all.push_back(std::move(result));
        if (all.size() < uCount)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return all;
}
} // namespace

TEST(PictureLoaderTest, UrgentRequestsGoFirstAndCancelledOnesNeverArrive)
{
    TempDir dir;
    // The first picture is large, so the others are all queued while the one worker decodes it.
    const std::string big = dir.File("big.bmp");
    ASSERT_TRUE(WriteBmp(big, MakeCard(3000, 2000, 200, 10, 10)));
    const std::string small = dir.File("small.jpg");
    ASSERT_TRUE(WriteJpeg(small, MakeCard(640, 480, 10, 200, 10), 90));

    std::atomic<int> nNotified{0};
    CPictureLoader loader(1, [&nNotified] { ++nNotified; });
    const struct
    {
        uint64_t uKey;
        int nPriority;
    } requests[] = {{1, 3}, {2, 0}, {3, 0}, {4, 2}, {5, 1}, {6, 0}};
    for (const auto &row : requests)
        loader.Request(PictureRequest{row.uKey, row.uKey == 1 ? big : small, 96, 72, row.nPriority});
    loader.Cancel([](uint64_t uKey) { return uKey == 3; });
    EXPECT_TRUE(loader.Reprioritise(6, 2));

    const std::vector<PictureResult> results = TakeAll(loader, 5);
    std::vector<uint64_t> order;
    for (const PictureResult &result : results)
    {
        SCOPED_TRACE(result.uKey);
        order.push_back(result.uKey);
        EXPECT_TRUE(result.bReadable) << result.strReason;
        EXPECT_EQ(96, result.raster.width);
        EXPECT_EQ(72, result.raster.height);
        EXPECT_EQ(24, result.raster.bpp);
    }
    // Equal priorities keep the order asked: 4 before 6, 2 last.
    EXPECT_EQ((std::vector<uint64_t>{1, 4, 6, 5, 2}), order);
    EXPECT_TRUE(loader.Idle());
    EXPECT_GE(nNotified, 1);
}

TEST(PictureLoaderTest, AddedBatchesComeBackInTheOrderGivenWithGifsSplit)
{
    TempDir dir;
    const std::string gif = dir.File("anim.gif");
    ASSERT_TRUE(WriteAnimatedGif(gif, 3));
    std::mutex mutex;
    std::condition_variable notified;
    size_t uNotified = 0;
    CFileAdder adder([&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++uNotified;
        notified.notify_all();
    });
    const std::wstring temp =
        WideFromUtf8(dir.Path().string()) + static_cast<wchar_t>(std::filesystem::path::preferred_separator);
    adder.Add(AddBatch{{WideFromUtf8(gif), WideFromUtf8(dir.File("a.bmp"))}, temp, {}, {}});
    adder.Add(AddBatch{{WideFromUtf8(dir.File("b.jpg"))}, temp, {}, {}});
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(notified.wait_for(lock, std::chrono::seconds(20), [&] { return uNotified >= 2; }));
    }
    const std::vector<AddBatch> done = adder.TakeDone();
    ASSERT_EQ(2u, done.size());
    std::vector<std::wstring> names;
    for (const AddBatch &batch : done)
        for (const ImageItem &slide : batch.slides)
            names.push_back(slide.strFileName);
    EXPECT_EQ(
        (std::vector<std::wstring>{L"anim_frame0.gif", L"anim_frame1.gif", L"anim_frame2.gif", L"a.bmp", L"b.jpg"}),
        names);
    EXPECT_EQ(3u, done[0].frameFiles.size());
    EXPECT_TRUE(adder.Idle());
    DeleteFrameFiles(done[0].frameFiles);
}
