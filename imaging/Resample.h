// Resampling of 24-bit rasters and 8-bit planes to an exact size: area averaging to shrink, bilinear to enlarge.
#pragma once

#include <cstdint>

#include "imaging/Raster.h"

// Resamples a 24-bit picture (and its alpha plane, when present) to exactly width x height pixels.
// Each axis is handled on its own: area averaging on an axis that shrinks, bilinear interpolation on
// one that grows, a copy on one that keeps its size; the same size on both is a plain copy. Weights
// are fixed point and sum exactly to one, so a solid colour stays exactly that colour.
// Returns false, leaving dst untouched, for sizes below 1 or beyond the pixel budget, or for a source
// that is not a well-formed 24-bit raster. src and dst may be the same object.
bool ResampleRaster(const Raster &src, int width, int height, Raster &dst);

// How one axis of a resampled plane lies over its source: an output sample spans num / den source samples,
// and the source's samples reach extent / den, which may end inside its last sample (a chroma plane of a
// picture of odd size does). A whole picture of n samples made m has {n, m, n * m}.
struct ResampleAxis
{
    int64_t num;
    int64_t den;
    int64_t extent;
};

// Resamples one plane of 8-bit samples, srcWidth x srcHeight with rows srcStride bytes apart, to width x
// height into dst, rows dstStride bytes apart, with the filters of ResampleRaster laid out by the axes:
// area averaging along an axis whose output samples span more than one source sample, bilinear along one
// whose span less. Returns false, writing nothing, for sizes below 1 or beyond the pixel budget, strides
// shorter than a row, or axes that do not fit the source.
bool ResamplePlane(const uint8_t *src, size_t srcStride, int srcWidth, int srcHeight, int width, int height,
                   uint8_t *dst, size_t dstStride, const ResampleAxis &axisX, const ResampleAxis &axisY);

// For tests: false makes the resampler use its portable code where it would choose a SIMD copy at run
// time (32-bit x86 with SSE2). Returns false when there is no such choice in this build.
bool AllowResampleSimd(bool bAllow);
