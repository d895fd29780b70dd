// brivelle_fuzz: long runs of damaged pictures through the image layer, or damaged movies through the
// player, input by input from a fixed seed, so any input can be made again alone. bench/fuzz drives it.
#include "bench/pictures/SamplePictures.h"
#include "imaging/ImagingFuzz.h"
#include "preview/MovieFuzz.h"
#include "support/TempDir.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

// With the sanitizers, their report of a fault ends with the input it happened on.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define BRIVELLE_FUZZ_DEATH_CALLBACK 1
#endif

#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// An input that takes longer than this is reported as a hang.
constexpr int kHangSeconds = 120;

struct Format
{
    const char *name;
    int type;
    const char *ext;
};
const Format kFormats[] = {
    {"bmp", 1, "bmp"}, {"gif", 2, "gif"}, {"jpeg", 3, "jpg"}, {"png", 4, "png"}, {"tiff", 6, "tif"},
};

// What the run has seen so far; read by the death callback and the watchdog, so plain atomics.
std::atomic<long> g_current{-1};
std::atomic<long> g_done{0};
std::atomic<long> g_passed{0};
std::atomic<long> g_refused{0};
std::atomic<long> g_findings{0};

// One line on standard error without allocating: the process may be dying.
void SayCounts(const char *what)
{
    char line[256];
    const int n = std::snprintf(line, sizeof line, "brivelle_fuzz: %s input %ld (counts %ld %ld %ld %ld)\n", what,
                                g_current.load(), g_done.load(), g_passed.load(), g_refused.load(), g_findings.load());
    if (n > 0)
        (void)!write(2, line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

#ifdef BRIVELLE_FUZZ_DEATH_CALLBACK
void OnDeath()
{
    SayCounts("died on");
}
#endif

void Watch()
{
    long last = -2;
    auto since = std::chrono::steady_clock::now();
    for (;;)
    {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long now = g_current.load();
        if (now != last)
        {
            last = now;
            since = std::chrono::steady_clock::now();
        }
        else if (now >= 0 && std::chrono::steady_clock::now() - since > std::chrono::seconds(kHangSeconds))
        {
            SayCounts("hung on");
            _exit(70);
        }
    }
}

bool Save(const fs::path &file, const std::string &bytes)
{
    return WriteWholeFile(file, bytes);
}

// A finding that did not end the process: the input and what broke are kept beside each other.
void Report(const fs::path &dir, const std::string &what, long index, const std::string &ext, const std::string &bytes,
            const std::string &broken)
{
    ++g_findings;
    const std::string stem = "finding-" + what + "-" + std::to_string(index);
    Save(dir / (stem + "." + ext), bytes);
    Save(dir / (stem + ".txt"), broken + "\n");
    std::printf("finding: %s input %ld: %s (saved as %s)\n", what.c_str(), index, broken.c_str(),
                (dir / (stem + "." + ext)).string().c_str());
    std::fflush(stdout);
}

// Pictures the project makes, besides the decoders' own seed files: a photo-like JPEG, a colour card BMP,
// the animated GIF of the samples.
void AddSamplePictures(const fs::path &dir, int type, std::vector<SeedFile> &seeds)
{
    const std::string path = (dir / "sample").string();
    bool written = false;
    if (type == 1)
        written = WriteBmp(path, MakeCard(24, 16, 200, 40, 90));
    else if (type == 2)
        written = WriteAnimatedGif(path, 3);
    else if (type == 3)
        written = WriteJpeg(path, MakePhoto(64, 48, 7), 85);
    if (written)
        seeds.push_back(SeedFile{"sample", type, ReadWholeFile(fs::u8path(path))});
    fs::remove(fs::u8path(path));
}

int RunImages(const Format &format, long first, long count, const fs::path &dir)
{
    std::vector<SeedFile> seeds;
    for (SeedFile &seed : SeedFiles())
        if (seed.type == format.type)
            seeds.push_back(seed);
    AddSamplePictures(dir, format.type, seeds);
    const std::string path = (dir / (std::string("current.") + format.ext)).string();
    const std::string jpegPath = (dir / "out.jpg").string(), gifPath = (dir / "out.gif").string();
    const std::string what = std::string("images-") + format.name;
    for (long i = first; i < first + count; ++i)
    {
        g_current = i;
        CFuzzRandom random(1000u + static_cast<uint32_t>(format.type), static_cast<uint32_t>(i));
        const std::string bytes = MutateImage(seeds[static_cast<size_t>(i) % seeds.size()], random);
        if (!WriteFresh(path, bytes))
        {
            std::fprintf(stderr, "brivelle_fuzz: cannot write %s\n", path.c_str());
            return 2;
        }
        bool loaded = false;
        const std::string broken = ExerciseImage(path, format.type, jpegPath, gifPath, random, loaded);
        ++(loaded ? g_passed : g_refused);
        if (!broken.empty())
            Report(dir, what, i, format.ext, bytes, broken);
        ++g_done;
    }
    return 0;
}

int RunMovies(long first, long count, const fs::path &dir)
{
    CPreviewFixture fixture;
    const std::vector<std::string> seeds = MovieFuzzSeeds(fixture);
    for (const std::string &seed : seeds)
        if (seed.empty())
        {
            std::fprintf(stderr, "brivelle_fuzz: a seed movie could not be made\n");
            return 2;
        }
    const fs::path path = dir / "current.swf";
    for (long i = first; i < first + count; ++i)
    {
        g_current = i;
        CFuzzRandom random(20250101u, static_cast<uint32_t>(i));
        const std::string bytes = MutatedMovie(seeds, random);
        // Kept on disk while it runs, for the sanitizer report that may follow.
        if (!Save(path, bytes))
        {
            std::fprintf(stderr, "brivelle_fuzz: cannot write %s\n", path.string().c_str());
            return 2;
        }
        bool accepted = false;
        const std::string broken = ExerciseMovie(bytes, accepted);
        ++(accepted ? g_passed : g_refused);
        if (!broken.empty())
            Report(dir, "movies", i, "swf", bytes, broken);
        ++g_done;
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: brivelle_fuzz images bmp|gif|jpeg|png|tiff FIRST COUNT DIR\n"
                         "       brivelle_fuzz movies FIRST COUNT DIR\n"
                         "Runs inputs FIRST .. FIRST+COUNT-1; the current input is kept in DIR (current.*),\n"
                         "findings are saved there as finding-*.\n");
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool images = !args.empty() && args[0] == "images";
    const size_t rest = images ? 2 : 1;
    if (args.size() != rest + 3 || (!images && args[0] != "movies"))
        return Usage();
    const Format *format = nullptr;
    if (images)
        for (const Format &f : kFormats)
            if (args[1] == f.name)
                format = &f;
    char *end = nullptr;
    const long first = std::strtol(args[rest].c_str(), &end, 10);
    const long count = std::strtol(args[rest + 1].c_str(), &end, 10);
    const fs::path dir = fs::u8path(args[rest + 2]);
    std::error_code error;
    fs::create_directories(dir, error);
    if ((images && !format) || first < 0 || count < 0 || !fs::is_directory(dir))
        return Usage();

#ifdef BRIVELLE_FUZZ_DEATH_CALLBACK
    __sanitizer_set_death_callback(OnDeath);
#endif
    std::thread(Watch).detach();
    const auto start = std::chrono::steady_clock::now();
    const int status = images ? RunImages(*format, first, count, dir) : RunMovies(first, count, dir);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    g_current = -1;
    std::printf("counts %s %ld %ld %ld %ld %.1f\n", images ? format->name : "movies", g_done.load(), g_passed.load(),
                g_refused.load(), g_findings.load(), seconds);
    return status;
}
