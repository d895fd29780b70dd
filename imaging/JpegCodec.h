// JPEG decoding (with DCT scaling) and encoding in memory, over libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Raster.h"

// Decodes a JPEG file held in memory. With minWidth and minHeight both above 0 the picture is decoded
// at the smallest power-of-two DCT scale (1/2, 1/4 or 1/8) that still leaves at least
// minWidth x minHeight pixels; otherwise, or when no scale does, at full size. Grey pictures give
// bpp 8 with a grey palette; YCbCr, RGB, CMYK and YCCK pictures (Adobe's inverted CMYK included) give
// bpp 24 R, G, B. The decoded size is checked against the pixel budget before pixel memory is
// allocated. Returns false with a message (not a JPEG file, truncated, too large, the library's
// complaint), leaving out untouched; nothing is printed.
bool DecodeJpeg(const uint8_t *data, size_t size, int minWidth, int minHeight, Raster &out, std::string &error);

// Encodes a picture as a baseline JPEG: the IJG tables scaled for quality (1 to 100), optimised
// Huffman tables, Y at full resolution and Cb, Cr at half in both directions (4:2:0). Accepts bpp 24
// and palette pictures of bpp 1, 4 and 8 (expanded through their palette, or a grey ramp when they
// have none); an alpha plane is composed over white first. Returns false with a message, leaving
// out untouched, when the picture is malformed or the library fails.
bool EncodeJpeg(const Raster &picture, int quality, std::vector<uint8_t> &out, std::string &error);

// Re-encodes a JPEG file held in memory at exactly width x height with EncodeJpeg's settings, without
// leaving its colour space: it is decoded at the scale DecodeJpeg(width, height) chooses into its Y, Cb
// and Cr planes at their own resolutions, and each plane is resampled straight to its size in the new
// picture (Cb and Cr at half width and height) with the filters of ResampleRaster. This skips the
// conversions to and from R, G, B and the chroma upsampling and downsampling that DecodeJpeg,
// ResampleRaster and EncodeJpeg go through, whose result it matches to within their rounding. `work`
// holds the planes and is reused when large enough. Only for 3-component YCbCr files; any other file,
// and one DecodeJpeg would refuse, fails with a message, leaving out untouched.
bool ResizeJpeg(const uint8_t *data, size_t size, int width, int height, int quality, std::vector<uint8_t> &out,
                std::vector<uint8_t> &work, std::string &error);
