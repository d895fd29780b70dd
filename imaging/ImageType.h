// Picture type codes, their file extensions, and recognition of a file's format by its first bytes.
#pragma once

#include <cstddef>
#include <cstdint>

enum ImageType
{
    kImageTypeUnknown = 0,
    kImageTypeBmp = 1,
    kImageTypeGif = 2,
    kImageTypeJpg = 3,
    kImageTypePng = 4,
    kImageTypeTif = 6,
};

// Type code from an extension, with or without its dot, in any letter case ("jpg", ".JPG",
// "photo.jpg"); 0 when unknown.
int ImageTypeFromExtension(const char *extension);

// Type code from the file's leading bytes (its signature); 0 when none matches.
int DetectImageType(const uint8_t *data, size_t size);

// Short name of a type for messages ("JPEG"); "unknown" for anything else.
const char *ImageTypeName(int type);
