// The pixel budget of the image layer.
#include "imaging/Raster.h"

bool CheckPixelBudget(int64_t width, int64_t height, const char *what, std::string &error)
{
    if (width <= 0 || height <= 0)
    {
        error = std::string(what) + ": the picture has no pixels (" + std::to_string(width) + " x " +
                std::to_string(height) + ")";
        return false;
    }
    if (width > kMaxImageSide || height > kMaxImageSide ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxImagePixels)
    {
        error = std::string(what) + ": the picture is too large (" + std::to_string(width) + " x " +
                std::to_string(height) + " pixels; the limit is 100 million pixels and 65535 a side)";
        return false;
    }
    return true;
}

std::string NoteMemoryFailure(const std::string &message)
{
    // libtiff, libpng and stb_image word a failed allocation in these ways.
    for (const char *sign :
         {"Out of memory", "Insufficient memory", "Not enough memory", "No space for", "Cannot allocate", "outofmem"})
    {
        if (message.find(sign) != std::string::npos)
            return "not enough memory: " + message;
    }
    return message;
}
