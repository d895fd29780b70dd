// Sample and benchmark pictures made on the spot: colour cards, photo-like pictures, an animated GIF.
#pragma once

#include "imaging/Raster.h"

#include <string>
#include <vector>

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);
// A 24-bit raster of one colour.
Raster MakeCard(int width, int height, uint8_t red, uint8_t green, uint8_t blue);
// Smooth light, a few soft shapes and sensor-like noise: compresses like a photograph.
Raster MakePhoto(int width, int height, unsigned seed);
// 24-bit bottom-up BMP.
bool WriteBmp(const std::string &path, const Raster &picture);
bool WriteJpeg(const std::string &path, const Raster &picture, int quality);
// `frames` frames (at most 3) of a ball moving across a 160 x 120 picture, 4 palette colours:
// white ground, then a red, green and blue ball in frames 0, 1 and 2.
bool WriteAnimatedGif(const std::string &path, int frames = 3);
// `frames` full-screen frames of diagonal colour bands that move 8 pixels a frame (16 colours), written
// frame by frame: a long animation for benchmarks.
bool WriteBandsGif(const std::string &path, int frames, int width, int height);
// A colour PNG of soft diagonal bands, written row by row: small files of large pictures.
bool WriteBandsPng(const std::string &path, int width, int height);
// A progressive JPEG of one grey: a small file whose decoding takes buffers for the whole picture.
bool WriteFlatProgressiveJpeg(const std::string &path, int width, int height);
