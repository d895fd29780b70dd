// Writes an N-slide movie of 60 KB JPEG files the way a build does and prints time and peak memory.
#include "bench/swf/PeakMemory.h"
#include "swf/SWFAction.h"
#include "swf/SWFBitmap.h"
#include "swf/SWFButton.h"
#include "swf/SWFMovie.h"
#include "swf/SWFShape.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kJpegBytes = 60 * 1024;

void Put(std::vector<unsigned char> &out, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        out.push_back(static_cast<unsigned char>(b));
}

// A valid baseline JPEG of an 8 x 8 grey square, padded with a comment segment to kJpegBytes. The
// writer copies JPEG files without parsing them; a decodable file keeps the movie playable all the same.
std::vector<unsigned char> MakeJpeg(int slide)
{
    std::vector<unsigned char> jpeg;
    Put(jpeg, {0xFF, 0xD8});
    Put(jpeg, {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00});
    // Quantisation table 0: all ones.
    Put(jpeg, {0xFF, 0xDB, 0x00, 0x43, 0x00});
    jpeg.insert(jpeg.end(), 64, 0x01);
    // Baseline frame: 8 bits, 8 x 8, one component (id 1, sampling 1x1, table 0).
    Put(jpeg, {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00});
    // DC and AC tables 0, each a single 1-bit code for symbol 0 (DC difference 0, end of block).
    for (int tableClass : {0x00, 0x10})
    {
        Put(jpeg, {0xFF, 0xC4, 0x00, 0x14, tableClass, 0x01});
        jpeg.insert(jpeg.end(), 15, 0x00);
        Put(jpeg, {0x00});
    }
    // Comment padding up to the target size: marker, length, text.
    const size_t fixedTail = 10 + 1 + 2;
    const size_t comment = kJpegBytes - jpeg.size() - 4 - fixedTail;
    Put(jpeg, {0xFF, 0xFE, static_cast<int>((comment + 2) >> 8), static_cast<int>((comment + 2) & 0xFF)});
    const std::string text = "slide " + std::to_string(slide) + " ";
    for (size_t i = 0; i < comment; ++i)
        jpeg.push_back(static_cast<unsigned char>(text[i % text.size()]));
    // Scan: one block coded as DC 0 and end of block (bits 00, padded with ones).
    Put(jpeg, {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    Put(jpeg, {0x3F});
    Put(jpeg, {0xFF, 0xD9});
    return jpeg;
}

bool WriteFile(const fs::path &path, const std::vector<unsigned char> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string Utf8(const fs::path &path)
{
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

// One slide as a build writes it: bitmap, placed rectangle filled with it, button with an address.
void AddSlide(CSWFMovie &movie, const std::string &jpegPath, uint16_t &id, int slide)
{
    const float width = kWidth, height = kHeight;
    const SWFRectF stage = {0, 0, width, height};
    CSWFBitmap bitmap(id, jpegPath.c_str());
    movie.AddObject(&bitmap, id, true);
    ++id;
    CSWFShape shape(id, stage, id);
    shape.AddLineStyle(1, SWFRGBA{0, 0, 0, 0});
    shape.AddBitmapFill(bitmap.GetCharacterId(), CSWFShape::kRepeatingBitmap, stage, stage);
    const float origin[2] = {0, 0};
    shape.ChangeStyle(1, 1, 0, origin);
    shape.AddStraightEdge(width, 0);
    shape.AddStraightEdge(0, height);
    shape.AddStraightEdge(-width, 0);
    shape.AddStraightEdge(0, -height);
    movie.AddObject(&shape, shape.GetDepth(), true);
    ++id;
    CSWFButton button(id, id, false);
    button.AddButtonRecord(CSWFButton::kStateHitTest, shape.GetCharacterId(), shape.GetDepth(), nullptr);
    CSWFAction action(true);
    const std::string url = "http://example.com/slides/" + std::to_string(slide) + ".htm";
    action.AddGetURL(url.c_str(), "");
    button.AddCondAction(0x04, 0x01, &action);
    movie.AddObject(&button, button.GetDepth(), true);
    movie.ShowFrame();
    ++id;
}
} // namespace

int main(int argc, char **argv)
{
    int slides = 2000;
    if (argc > 1)
        slides = std::atoi(argv[1]);
    if (slides < 1 || slides > 21845)
    {
        std::fprintf(stderr, "usage: swf_bench [slides 1..21845, default 2000]\n");
        return 2;
    }

    std::error_code ec;
    const fs::path folder =
        fs::temp_directory_path(ec) /
        ("brivelle-swf-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    if (ec || !fs::create_directory(folder, ec))
    {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const std::string moviePath = Utf8(folder / "bench.swf");

    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    uint64_t bytes = 0;
    {
        CSWFMovie movie;
        ok = movie.Open(moviePath.c_str(), kWidth, kHeight, 12) == 1;
        if (ok)
        {
            movie.SetBackgroundColor(SWFRGB{255, 255, 255});
            uint16_t id = 1;
            const fs::path jpegPath = folder / "slide.jpg";
            for (int n = 1; n <= slides && ok; ++n)
            {
                ok = WriteFile(jpegPath, MakeJpeg(n));
                AddSlide(movie, Utf8(jpegPath), id, n);
            }
            movie.Close();
            ok = ok && !movie.HasWriteError();
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ok)
        bytes = static_cast<uint64_t>(fs::file_size(moviePath, ec));
    fs::remove_all(folder, ec);
    if (!ok)
    {
        std::fprintf(stderr, "writing the movie failed\n");
        return 1;
    }
    std::printf("slides=%d bytes=%llu seconds=%.3f peak_kib=%llu\n", slides, static_cast<unsigned long long>(bytes),
                seconds, static_cast<unsigned long long>(PeakMemoryKiB()));
    return 0;
}
