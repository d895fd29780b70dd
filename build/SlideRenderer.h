// One slide of the movie: its picture as a JPEG, then its definitions, placements and frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CSWFMovie;
struct Raster;

// Working memory one thread keeps from slide to slide, so that preparing a slide does not allocate (and
// have the system clear) its large blocks anew.
struct SlideBuffers
{
    std::vector<uint8_t> file;   // the image file's bytes
    std::vector<uint8_t> planes; // a JPEG's planes while it is resized
    std::vector<uint8_t> jpeg;   // the slide's JPEG
};

// Decodes the file as `type` (content detection as fallback; a JPEG at the smallest DCT scale that still
// covers width x height), widens it to 24 bits when it has fewer than 16, composes it over white and
// resamples it to exactly width x height. False with the reason.
bool DecodePictureAtSize(const std::string &path, int type, int width, int height, Raster &raster, std::string &reason);

// Decodes the slide's image (type from the extension of its name, the text after the last dot; content
// detection as fallback), makes it 24-bit when it has fewer than 16 bits per pixel, resamples it to exactly
// width x height and encodes it as JPEG at quality 90 into buffers.jpeg. A colour JPEG is resized without
// leaving its colour space (ResizeJpeg). False with the reason when any step fails.
bool PrepareSlidePicture(const std::string &imagePath, const std::wstring &fileName, int width, int height,
                         SlideBuffers &buffers, std::string &reason);

// Adds slide n (ids 3n-2, 3n-1, 3n from `id`, which advances by 3): the bitmap of the JPEG bytes, a
// width x height rectangle filled with it, an invisible button over it carrying a GetURL of
// `address` (already encoded; empty: no link), and one frame (FPS mode) or `delay` frames, the
// button placed afresh in each. In its first frame, once its shape and button are placed, the previous
// slide's two (depths 3n-4 and 3n-3) are removed. The objects are released once their tags are written.
void RenderSlide(CSWFMovie &movie, const std::vector<uint8_t> &jpeg, const std::string &address, int width, int height,
                 bool fpsMode, int delay, uint16_t &id);
