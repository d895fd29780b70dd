// Memory estimates of slide pictures from their headers, and the budgeted preparation of a slide.
#include "build/SlideMemory.h"

#include "base/Utf8.h"
#include "imaging/ImageHeader.h"
#include "imaging/ImageType.h"
#include "imaging/Raster.h"

#include <algorithm>
#include <new>

namespace
{
// Bytes a decoded pixel costs at the peak, beside the file's bytes: the decoder's own buffers, the raster,
// and its widened or resampled copies (measured, with room to spare). A JPEG is counted at the scale it
// is decoded at, and its file twice: colour JPEGs are first tried without leaving their colour space.
constexpr uint64_t kBytesPerPixel[] = {
    0,  // unknown: refused before decoding
    8,  // BMP
    14, // GIF: the screen, the saved screen, the frame's indices and the composed frame
    6,  // JPEG
    10, // PNG
    0,  // (no type 5)
    10, // TIFF: the RGBA copy libtiff fills beside the raster
};
// The resampled picture and its JPEG, per pixel of the slide.
constexpr uint64_t kBytesPerSlidePixel = 4;

// The power-of-two DCT scale at which a JPEG is decoded for a slide of width x height: the pixels it gives.
uint64_t ScaledPixels(int64_t fullWidth, int64_t fullHeight, int width, int height)
{
    for (int64_t denom = 8; denom >= 2; denom /= 2)
    {
        const int64_t w = (fullWidth + denom - 1) / denom;
        const int64_t h = (fullHeight + denom - 1) / denom;
        if (w >= width && h >= height)
            return static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    }
    return static_cast<uint64_t>(fullWidth) * static_cast<uint64_t>(fullHeight);
}

bool IsOutOfMemory(const std::string &reason)
{
    return reason.find("not enough memory") != std::string::npos;
}

// The reason with the file it names (by path or by name) replaced by the slide's origin.
std::string NamedByOrigin(const std::string &reason, const std::string &origin, const std::string &imagePath,
                          const std::string &fileName)
{
    for (const std::string *file : {&imagePath, &fileName})
    {
        const std::string prefix = *file + ": ";
        if (!file->empty() && reason.compare(0, prefix.size(), prefix) == 0)
            return origin + reason.substr(file->size());
    }
    return origin + ": " + reason;
}
} // namespace

SlideMemory EstimateSlideMemory(const std::string &imagePath, int width, int height)
{
    SlideMemory need;
    ImageHeader header;
    if (!ReadImageHeader(imagePath.c_str(), header))
        return need;
    const uint64_t slide = static_cast<uint64_t>(std::max(width, 0)) * static_cast<uint64_t>(std::max(height, 0));
    need.uBytes = header.fileBytes + kBytesPerSlidePixel * slide;
    if (header.width <= 0 || header.height <= 0 || header.type < 0 || header.type > kImageTypeTif)
        return need;
    need.nWidth = header.width;
    need.nHeight = header.height;
    // A header beyond the pixel budget is refused before decoding.
    const uint64_t pixels =
        std::min<uint64_t>(static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height), kMaxImagePixels);
    if (header.type == kImageTypeJpg)
        need.uBytes += header.fileBytes + header.coefficientBytes +
                       ScaledPixels(header.width, header.height, width, height) * kBytesPerPixel[kImageTypeJpg];
    else
        need.uBytes += pixels * kBytesPerPixel[header.type];
    return need;
}

bool PrepareSlideInBudget(CMemoryBudget &budget, const ImageItem &slide, int width, int height, SlideBuffers &buffers,
                          std::string &reason, bool &outOfMemory)
{
    const std::string imagePath = Utf8FromWide(slide.FullPath());
    const std::string origin = Utf8FromWide(slide.Origin());
    const SlideMemory need = EstimateSlideMemory(imagePath, width, height);
    outOfMemory = false;
    bool ok = false;
    reason.clear();
    {
        CMemoryShare share(budget, need.uBytes);
        try
        {
            ok = PrepareSlidePicture(imagePath, slide.strFileName, width, height, buffers, reason);
        }
        catch (const std::bad_alloc &)
        {
            reason = "not enough memory";
        }
        // Large buffers kept for the next slide would hold memory outside the budget.
        if (buffers.file.capacity() + buffers.planes.capacity() > (size_t(32) << 20))
        {
            std::vector<uint8_t>().swap(buffers.file);
            std::vector<uint8_t>().swap(buffers.planes);
        }
    }
    if (ok)
        return true;
    outOfMemory = IsOutOfMemory(reason);
    if (outOfMemory)
    {
        reason = "not enough memory to decode " + origin;
        if (need.nWidth > 0)
            reason += " (" + std::to_string(need.nWidth) + "\u00D7" + std::to_string(need.nHeight) + ")";
    }
    else
        reason = NamedByOrigin(reason, origin, imagePath, Utf8FromWide(slide.strFileName));
    return false;
}
