// Picture type codes: extension table and signature detection.
#include "imaging/ImageType.h"

#include <cstring>

namespace
{
struct ExtensionType
{
    const char *extension;
    int type;
};

const ExtensionType kExtensions[] = {
    {"bmp", kImageTypeBmp},  {"dib", kImageTypeBmp},  {"gif", kImageTypeGif},  {"jpg", kImageTypeJpg},
    {"jpeg", kImageTypeJpg}, {"jpe", kImageTypeJpg},  {"jfif", kImageTypeJpg}, {"png", kImageTypePng},
    {"tif", kImageTypeTif},  {"tiff", kImageTypeTif},
};

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b)
    {
        if (AsciiLower(*a) != AsciiLower(*b))
            return false;
    }
    return *a == *b;
}

bool StartsWith(const uint8_t *data, size_t size, const char *signature, size_t length)
{
    return size >= length && std::memcmp(data, signature, length) == 0;
}
} // namespace

int ImageTypeFromExtension(const char *extension)
{
    if (!extension)
        return kImageTypeUnknown;
    const char *dot = std::strrchr(extension, '.');
    const char *name = dot ? dot + 1 : extension;
    for (const ExtensionType &entry : kExtensions)
    {
        if (EqualsIgnoringCase(name, entry.extension))
            return entry.type;
    }
    return kImageTypeUnknown;
}

int DetectImageType(const uint8_t *data, size_t size)
{
    if (!data)
        return kImageTypeUnknown;
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8))
        return kImageTypePng;
    if (StartsWith(data, size, "\xff\xd8\xff", 3))
        return kImageTypeJpg;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6))
        return kImageTypeGif;
    // Classic TIFF (42) and BigTIFF (43), either byte order.
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
        StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4))
        return kImageTypeTif;
    if (StartsWith(data, size, "BM", 2))
        return kImageTypeBmp;
    return kImageTypeUnknown;
}

const char *ImageTypeName(int type)
{
    switch (type)
    {
    case kImageTypeBmp:
        return "BMP";
    case kImageTypeGif:
        return "GIF";
    case kImageTypeJpg:
        return "JPEG";
    case kImageTypePng:
        return "PNG";
    case kImageTypeTif:
        return "TIFF";
    default:
        return "unknown";
    }
}
