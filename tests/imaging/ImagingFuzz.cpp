// Damaged image files and the checks each one goes through.
#include "ImagingFuzz.h"

#include "imaging/Picture.h"

#include <algorithm>
#include <filesystem>

std::string MutateImage(const SeedFile &seed, CFuzzRandom &random)
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
        uint32_t width = random.Below(2) ? sizes[random.Below(12)] : 1 + random.Below(3000);
        uint32_t height = random.Below(2) ? sizes[random.Below(12)] : 1 + random.Below(3000);
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

namespace
{
// A failure must begin with the name of the file it concerns.
std::string UnnamedFailure(const CPicture &picture, const std::string &path, const char *step)
{
    if (picture.GetLastError().find(path) == 0)
        return std::string();
    return std::string(step) + " failed without naming the file: " + picture.GetLastError();
}

std::string WholeRaster(const CPicture &picture)
{
    const Raster &raster = picture.GetRaster();
    if (!picture.IsValid() || picture.GetWidth() <= 0 || picture.GetHeight() <= 0)
        return "a loaded picture is empty";
    if (raster.bpp != 1 && raster.bpp != 4 && raster.bpp != 8 && raster.bpp != 24)
        return "a loaded picture has " + std::to_string(raster.bpp) + " bits per pixel";
    if (raster.pixels.size() < raster.stride * static_cast<size_t>(raster.height))
        return "a loaded picture has fewer pixel bytes than its rows";
    if (raster.bpp != 24 && raster.palette.size() != (size_t{1} << raster.bpp))
        return "a loaded palette picture's palette has " + std::to_string(raster.palette.size()) + " entries";
    if (!raster.alpha.empty() &&
        raster.alpha.size() != static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height))
        return "a loaded picture's alpha plane does not match its size";
    return std::string();
}
} // namespace

std::string ExerciseImage(const std::string &path, int type, const std::string &jpegPath, const std::string &gifPath,
                          CFuzzRandom &random, bool &loaded)
{
    loaded = false;
    CPicture picture;
    const bool allFrames = type == 2 && random.Below(2);
    picture.SetRetreiveAllFrames(allFrames);
    // Mostly the right type; sometimes none or a wrong one, which goes through content detection.
    const int asType = random.Below(4) ? type : static_cast<int>(random.Below(7));
    if (!picture.Load(path.c_str(), asType))
    {
        if (picture.IsValid())
            return "a failed load left a picture";
        return UnnamedFailure(picture, path, "load");
    }
    loaded = true;
    if (std::string broken = WholeRaster(picture); !broken.empty())
        return broken;
    std::error_code ignored;
    if (allFrames)
    {
        // Loading checks the frames' layout; damage inside a later frame's pixels shows when it is read.
        CPicture *last = nullptr;
        for (int f = 0; f < picture.GetNumFrames(); ++f)
        {
            last = picture.GetFrame(f);
            if (!last)
            {
                if (std::string broken = UnnamedFailure(picture, path, "reading a frame"); !broken.empty())
                    return broken;
                break;
            }
            if (last->GetWidth() != picture.GetWidth())
                return "frame " + std::to_string(f) + " is not as wide as the picture";
        }
        std::filesystem::remove(std::filesystem::u8path(gifPath), ignored);
        if (last && !last->Save(gifPath.c_str(), 2))
            if (std::string broken = UnnamedFailure(*last, gifPath, "saving a frame"); !broken.empty())
                return broken;
    }
    if (picture.GetBpp() < 16 && !picture.IncreaseBpp(24))
        return "conversion to 24 bits failed: " + picture.GetLastError();
    const int width = 1 + static_cast<int>(random.Below(40));
    const int height = 1 + static_cast<int>(random.Below(40));
    if (!picture.Resample(width, height) || picture.GetWidth() != width || picture.GetHeight() != height)
        return "resampling to " + std::to_string(width) + " x " + std::to_string(height) +
               " failed: " + picture.GetLastError();
    std::filesystem::remove(std::filesystem::u8path(jpegPath), ignored);
    std::filesystem::remove(std::filesystem::u8path(gifPath), ignored);
    if (!picture.Save(jpegPath.c_str(), 3))
        return "saving as JPEG failed: " + picture.GetLastError();
    if (!picture.Save(gifPath.c_str(), 2))
        return "saving as GIF failed: " + picture.GetLastError();
    return std::string();
}
