// Resampling of 24-bit rasters to an exact size: area averaging when shrinking, bilinear when enlarging.
#pragma once

#include "imaging/Raster.h"

// Resamples a 24-bit picture (and its alpha plane, when present) to exactly width x height pixels.
// Each axis is handled on its own: area averaging on an axis that shrinks, bilinear interpolation on
// one that grows, a copy on one that keeps its size; the same size on both is a plain copy. Weights
// are fixed point and sum exactly to one, so a solid colour stays exactly that colour.
// Returns false, leaving dst untouched, for sizes below 1 or beyond the pixel budget, or for a source
// that is not a well-formed 24-bit raster. src and dst may be the same object.
bool ResampleRaster(const Raster &src, int width, int height, Raster &dst);
