// brivelle-make-pictures: writes sample and benchmark pictures (colour cards, photo-like JPEGs,
// animated GIFs) so demonstrations and benchmarks need no files from elsewhere.
#include "bench/pictures/SamplePictures.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
int Usage()
{
    std::fprintf(stderr, "usage: brivelle-make-pictures samples DIR\n"
                         "       brivelle-make-pictures photos DIR COUNT WIDTH HEIGHT QUALITY\n"
                         "       brivelle-make-pictures gif DIR FRAMES WIDTH HEIGHT\n"
                         "       brivelle-make-pictures large DIR WIDTH HEIGHT\n");
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return Usage();
    const std::string mode = argv[1];
    std::string dir = argv[2];
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir.push_back('/');
    bool ok = true;
    if (mode == "samples" && argc == 3)
    {
        ok = WriteBmp(dir + "red.bmp", MakeCard(320, 240, 220, 30, 30)) &&
             WriteBmp(dir + "green.bmp", MakeCard(320, 240, 30, 180, 60)) &&
             WriteBmp(dir + "blue.bmp", MakeCard(320, 240, 30, 60, 220)) &&
             WriteJpeg(dir + "photo.jpg", MakePhoto(1600, 1200, 7), 92) && WriteAnimatedGif(dir + "anim.gif");
    }
    else if (mode == "photos" && argc == 7)
    {
        int count = std::atoi(argv[3]), width = std::atoi(argv[4]), height = std::atoi(argv[5]);
        int quality = std::atoi(argv[6]);
        if (count < 1 || width < 1 || height < 1 || quality < 1 || quality > 100)
            return Usage();
        for (int i = 0; ok && i < count; ++i)
        {
            char name[32];
            std::snprintf(name, sizeof name, "photo%04d.jpg", i);
            ok = WriteJpeg(dir + name, MakePhoto(width, height, 1000u + static_cast<unsigned>(i)), quality);
        }
    }
    else if (mode == "gif" && argc == 6)
    {
        int frames = std::atoi(argv[3]), width = std::atoi(argv[4]), height = std::atoi(argv[5]);
        if (frames < 1 || width < 1 || height < 1 || width > 65535 || height > 65535)
            return Usage();
        ok = WriteBandsGif(dir + "bands" + std::to_string(frames) + ".gif", frames, width, height);
    }
    else if (mode == "large" && argc == 5)
    {
        int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
        if (width < 1 || height < 1 || width > 65500 || height > 65500)
            return Usage();
        ok = WriteBandsPng(dir + "bands.png", width, height) &&
             WriteFlatProgressiveJpeg(dir + "flat-progressive.jpg", width, height);
    }
    else
        return Usage();
    if (!ok)
    {
        std::fprintf(stderr, "brivelle-make-pictures: cannot write pictures in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
