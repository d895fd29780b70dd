// Separable fixed-point resampler: per-axis weight tables, a horizontal pass into 8.8 rows, a vertical pass out.
#include "imaging/Resample.h"

#include <algorithm>
#include <new>

namespace
{

// Weights are 2.14 fixed point and every output sample's weights sum to exactly kWeightOne.
constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;
// Horizontal results keep 8 fractional bits (value * 256, at most 65280), so the vertical sums stay
// below 2^31 and rounding happens once per pass.
constexpr int kMidShift = kWeightBits - 8;
constexpr int kOutShift = kWeightBits + 8;

// Weights of one axis: output sample i reads the source samples first[i], first[i] + 1, ... with the
// weights weights[start[i]] .. weights[start[i + 1] - 1].
struct AxisFilter
{
    std::vector<int32_t> first;
    std::vector<int32_t> start;
    std::vector<int16_t> weights;

    int Taps(size_t i) const
    {
        return start[i + 1] - start[i];
    }
};

void AddTaps(AxisFilter &filter, int firstIndex, const int32_t *weights, int count)
{
    // Zero weights at the ends (slivers of coverage that round away) cost time and add nothing.
    int lo = 0;
    int hi = count;
    while (hi - lo > 1 && weights[lo] == 0)
        ++lo;
    while (hi - lo > 1 && weights[hi - 1] == 0)
        --hi;
    filter.first.push_back(firstIndex + lo);
    for (int i = lo; i < hi; ++i)
        filter.weights.push_back(static_cast<int16_t>(weights[i]));
    filter.start.push_back(static_cast<int32_t>(filter.weights.size()));
}

// Area averaging: output x covers [x * srcSize, (x + 1) * srcSize) and source i covers
// [i * dstSize, (i + 1) * dstSize), both in units of 1 / dstSize source pixels. Weights are rounded from
// the cumulative coverage, so they sum exactly to one and each is within one unit of its true value.
void MakeAreaFilter(int srcSize, int dstSize, AxisFilter &filter, std::vector<int32_t> &scratch)
{
    for (int x = 0; x < dstSize; ++x)
    {
        const int64_t lo = static_cast<int64_t>(x) * srcSize;
        const int64_t hi = lo + srcSize;
        const int first = static_cast<int>(lo / dstSize);
        const int last = static_cast<int>((hi - 1) / dstSize);
        scratch.clear();
        int32_t previous = 0;
        for (int i = first; i <= last; ++i)
        {
            const int64_t covered = std::min(static_cast<int64_t>(i + 1) * dstSize, hi) - lo;
            const auto cumulative = static_cast<int32_t>((covered * kWeightOne + srcSize / 2) / srcSize);
            scratch.push_back(cumulative - previous);
            previous = cumulative;
        }
        AddTaps(filter, first, scratch.data(), static_cast<int>(scratch.size()));
    }
}

// Bilinear interpolation with pixel centres aligned: output x samples the source at
// (x + 0.5) * srcSize / dstSize - 0.5, clamped to the outermost source samples.
void MakeBilinearFilter(int srcSize, int dstSize, AxisFilter &filter)
{
    const int64_t den = 2 * static_cast<int64_t>(dstSize);
    for (int x = 0; x < dstSize; ++x)
    {
        const int64_t num = (2 * static_cast<int64_t>(x) + 1) * srcSize - dstSize;
        const int32_t one = kWeightOne;
        if (num <= 0)
        {
            AddTaps(filter, 0, &one, 1);
            continue;
        }
        const auto index = static_cast<int>(num / den);
        if (index >= srcSize - 1)
        {
            AddTaps(filter, srcSize - 1, &one, 1);
            continue;
        }
        const auto next = static_cast<int32_t>(((num % den) * kWeightOne + den / 2) / den);
        const int32_t pair[2] = {kWeightOne - next, next};
        AddTaps(filter, index, pair, 2);
    }
}

void MakeFilter(int srcSize, int dstSize, AxisFilter &filter)
{
    filter.first.reserve(static_cast<size_t>(dstSize));
    filter.start.reserve(static_cast<size_t>(dstSize) + 1);
    filter.start.push_back(0);
    if (dstSize < srcSize)
    {
        std::vector<int32_t> scratch;
        MakeAreaFilter(srcSize, dstSize, filter, scratch);
    }
    else if (dstSize > srcSize)
    {
        MakeBilinearFilter(srcSize, dstSize, filter);
    }
    else
    {
        const int32_t one = kWeightOne;
        for (int x = 0; x < dstSize; ++x)
            AddTaps(filter, x, &one, 1);
    }
}

// The horizontal filter with the same number of taps for every output sample (zero weights added at the
// ends, the window moved back from the right edge), so the inner loop has a fixed length.
struct UniformFilter
{
    int taps = 1;
    std::vector<int32_t> first;
    std::vector<int16_t> weights; // taps per output sample
};

void MakeUniform(const AxisFilter &filter, int srcSize, UniformFilter &uniform)
{
    const size_t count = filter.first.size();
    for (size_t x = 0; x < count; ++x)
        uniform.taps = std::max(uniform.taps, filter.Taps(x));
    uniform.first.resize(count);
    uniform.weights.assign(count * static_cast<size_t>(uniform.taps), 0);
    for (size_t x = 0; x < count; ++x)
    {
        const int shift = std::max(0, filter.first[x] + uniform.taps - srcSize);
        uniform.first[x] = filter.first[x] - shift;
        std::copy(filter.weights.begin() + filter.start[x], filter.weights.begin() + filter.start[x + 1],
                  uniform.weights.begin() + static_cast<ptrdiff_t>(x * uniform.taps + shift));
    }
}

// One source row through the horizontal filter, into 8.8 fixed point. Taps 0: the count is read at run time.
template <int Channels, int Taps> void FilterRow(const uint8_t *src, const UniformFilter &filter, uint16_t *out)
{
    const int taps = Taps != 0 ? Taps : filter.taps;
    const size_t count = filter.first.size();
    const int16_t *w = filter.weights.data();
    for (size_t x = 0; x < count; ++x, w += taps, out += Channels)
    {
        const uint8_t *p = src + static_cast<size_t>(filter.first[x]) * Channels;
        uint32_t acc[Channels];
        for (int c = 0; c < Channels; ++c)
            acc[c] = 1u << (kMidShift - 1);
        for (int t = 0; t < taps; ++t, p += Channels)
        {
            const auto weight = static_cast<uint32_t>(w[t]);
            for (int c = 0; c < Channels; ++c)
                acc[c] += weight * p[c];
        }
        for (int c = 0; c < Channels; ++c)
            out[c] = static_cast<uint16_t>(acc[c] >> kMidShift);
    }
}

template <int Channels> void FilterRowAnyTaps(const uint8_t *src, const UniformFilter &filter, uint16_t *out)
{
    switch (filter.taps)
    {
    case 1:
        return FilterRow<Channels, 1>(src, filter, out);
    case 2:
        return FilterRow<Channels, 2>(src, filter, out);
    case 3:
        return FilterRow<Channels, 3>(src, filter, out);
    case 4:
        return FilterRow<Channels, 4>(src, filter, out);
    default:
        return FilterRow<Channels, 0>(src, filter, out);
    }
}

// Output rows with up to this many taps are blended straight from the cached rows; longer ones are summed
// tap by tap.
constexpr int kCachedRows = 4;

// Working rows of one plane: recently filtered source rows and the vertical sums.
struct PlaneBuffers
{
    std::vector<uint16_t> rows[kCachedRows];
    int rowIndex[kCachedRows];
    std::vector<uint32_t> acc;

    explicit PlaneBuffers(size_t samples) : acc(samples)
    {
        for (int slot = 0; slot < kCachedRows; ++slot)
        {
            rows[slot].resize(samples);
            rowIndex[slot] = -1;
        }
    }
};

struct Plane
{
    const uint8_t *src;
    size_t srcStride;
    uint8_t *dst;
    size_t dstStride;
};

// Output rows read source rows in non-decreasing order, so evicting the lowest row never drops one that
// the current output row still needs, and every source row is filtered once.
template <int Channels>
const uint16_t *FilteredRow(const Plane &plane, const UniformFilter &fx, int row, PlaneBuffers &buffers)
{
    int lowest = 0;
    for (int slot = 0; slot < kCachedRows; ++slot)
    {
        if (buffers.rowIndex[slot] == row)
            return buffers.rows[slot].data();
        if (buffers.rowIndex[slot] < buffers.rowIndex[lowest])
            lowest = slot;
    }
    FilterRowAnyTaps<Channels>(plane.src + static_cast<size_t>(row) * plane.srcStride, fx, buffers.rows[lowest].data());
    buffers.rowIndex[lowest] = row;
    return buffers.rows[lowest].data();
}

template <int Taps> void BlendRows(const uint16_t *const *rows, const int16_t *weights, size_t samples, uint8_t *out)
{
    uint32_t w[Taps];
    for (int t = 0; t < Taps; ++t)
        w[t] = static_cast<uint32_t>(weights[t]);
    for (size_t i = 0; i < samples; ++i)
    {
        uint32_t sum = 1u << (kOutShift - 1);
        for (int t = 0; t < Taps; ++t)
            sum += w[t] * rows[t][i];
        out[i] = static_cast<uint8_t>(sum >> kOutShift);
    }
}

template <int Channels>
void ResamplePlane(const Plane &plane, const UniformFilter &fx, const AxisFilter &fy, PlaneBuffers &buffers)
{
    const size_t samples = fx.first.size() * Channels;
    const size_t outRows = fy.first.size();
    for (size_t y = 0; y < outRows; ++y)
    {
        const int16_t *w = fy.weights.data() + fy.start[y];
        const int taps = fy.Taps(y);
        uint8_t *out = plane.dst + y * plane.dstStride;
        if (taps <= kCachedRows)
        {
            const uint16_t *rows[kCachedRows];
            for (int t = 0; t < taps; ++t)
                rows[t] = FilteredRow<Channels>(plane, fx, fy.first[y] + t, buffers);
            switch (taps)
            {
            case 1:
                BlendRows<1>(rows, w, samples, out);
                break;
            case 2:
                BlendRows<2>(rows, w, samples, out);
                break;
            case 3:
                BlendRows<3>(rows, w, samples, out);
                break;
            default:
                BlendRows<4>(rows, w, samples, out);
                break;
            }
            continue;
        }
        uint32_t *acc = buffers.acc.data();
        std::fill(acc, acc + samples, 1u << (kOutShift - 1));
        for (int t = 0; t < taps; ++t)
        {
            const uint16_t *row = FilteredRow<Channels>(plane, fx, fy.first[y] + t, buffers);
            const auto weight = static_cast<uint32_t>(w[t]);
            for (size_t i = 0; i < samples; ++i)
                acc[i] += weight * row[i];
        }
        for (size_t i = 0; i < samples; ++i)
            out[i] = static_cast<uint8_t>(acc[i] >> kOutShift);
    }
}

bool IsWellFormed24(const Raster &src)
{
    if (src.bpp != 24 || src.width <= 0 || src.height <= 0)
        return false;
    const size_t rowBytes = static_cast<size_t>(src.width) * 3;
    if (src.stride < rowBytes || src.pixels.size() < src.stride * static_cast<size_t>(src.height - 1) + rowBytes)
        return false;
    return src.alpha.empty() || src.alpha.size() >= static_cast<size_t>(src.width) * static_cast<size_t>(src.height);
}

void Resample(const Raster &src, int width, int height, Raster &result)
{
    UniformFilter fx;
    {
        AxisFilter filter;
        MakeFilter(src.width, width, filter);
        MakeUniform(filter, src.width, fx);
    }
    AxisFilter fy;
    MakeFilter(src.height, height, fy);

    result.width = width;
    result.height = height;
    result.bpp = 24;
    result.stride = static_cast<size_t>(width) * 3;
    result.pixels.resize(result.stride * static_cast<size_t>(height));
    {
        PlaneBuffers buffers(result.stride);
        const Plane plane{src.pixels.data(), src.stride, result.pixels.data(), result.stride};
        ResamplePlane<3>(plane, fx, fy, buffers);
    }
    if (src.HasAlpha())
    {
        result.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        PlaneBuffers buffers(static_cast<size_t>(width));
        const Plane plane{src.alpha.data(), static_cast<size_t>(src.width), result.alpha.data(),
                          static_cast<size_t>(width)};
        ResamplePlane<1>(plane, fx, fy, buffers);
    }
}

} // namespace

bool ResampleRaster(const Raster &src, int width, int height, Raster &dst)
{
    std::string error;
    if (!IsWellFormed24(src) || !CheckPixelBudget(width, height, "resample", error))
        return false;
    try
    {
        Raster result;
        if (width == src.width && height == src.height)
            result = src;
        else
            Resample(src, width, height, result);
        dst = std::move(result);
        return true;
    }
    catch (const std::bad_alloc &)
    {
        return false;
    }
}
