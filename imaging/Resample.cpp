// Separable fixed-point resampler: per-axis weight tables, two passes through 16-bit rows, SSE2 where built.
// On 32-bit x86 this file is built twice, the second time with SSE2 and its public functions renamed;
// the first copy hands over to the second when the processor has SSE2.
#if defined(BRIVELLE_RESAMPLE_SSE2_COPY)
#define ResampleRaster ResampleRasterSse2
#define ResamplePlane ResamplePlaneSse2
#endif
#include "imaging/Resample.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

// Weights are 2.14 fixed point and every output sample's weights sum to exactly kWeightOne.
constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;
// Results of the first pass keep 7 fractional bits (value * 128, at most 32640), so they fit a signed
// 16-bit lane, a multiply-add of two of them never overflows, and the second pass sums stay below 2^31.
constexpr int kMidBits = 7;
constexpr int kFirstShift = kWeightBits - kMidBits;
constexpr int kSecondShift = kWeightBits + kMidBits;
constexpr int32_t kFirstRound = 1 << (kFirstShift - 1);
constexpr int32_t kSecondRound = 1 << (kSecondShift - 1);
// Intermediate rows are read 4 samples at a time from any pixel, so they carry spare samples at the end.
constexpr size_t kMidPadding = 8;

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
    const int16_t *Weights(size_t i) const
    {
        return weights.data() + start[i];
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

// Area averaging: output x covers [x * num, (x + 1) * num) and source i covers [i * den, (i + 1) * den), in
// units of 1 / den source samples, the output clipped to the source's extent. Weights are rounded from the
// cumulative coverage, so they sum exactly to one and each is within one unit of its true value.
void MakeAreaFilter(const ResampleAxis &axis, int srcCount, int dstCount, AxisFilter &filter,
                    std::vector<int32_t> &scratch)
{
    for (int x = 0; x < dstCount; ++x)
    {
        const int64_t lo = std::min(static_cast<int64_t>(x) * axis.num, axis.extent - 1);
        const int64_t hi = std::min(lo + axis.num, axis.extent);
        const int64_t total = hi - lo;
        const int first = static_cast<int>(lo / axis.den);
        const int last = std::min(static_cast<int>((hi - 1) / axis.den), srcCount - 1);
        scratch.clear();
        int32_t previous = 0;
        for (int i = first; i <= last; ++i)
        {
            const int64_t covered = std::min(static_cast<int64_t>(i + 1) * axis.den, hi) - lo;
            const auto cumulative = static_cast<int32_t>((covered * kWeightOne + total / 2) / total);
            scratch.push_back(cumulative - previous);
            previous = cumulative;
        }
        AddTaps(filter, first, scratch.data(), static_cast<int>(scratch.size()));
    }
}

// Bilinear interpolation with pixel centres aligned: output x samples the source at
// (x + 0.5) * num / den - 0.5, clamped to the outermost source samples.
void MakeBilinearFilter(const ResampleAxis &axis, int srcCount, int dstCount, AxisFilter &filter)
{
    const int64_t den = 2 * axis.den;
    for (int x = 0; x < dstCount; ++x)
    {
        const int64_t num = (2 * static_cast<int64_t>(x) + 1) * axis.num - axis.den;
        const int32_t one = kWeightOne;
        if (num <= 0)
        {
            AddTaps(filter, 0, &one, 1);
            continue;
        }
        const int64_t index = num / den;
        if (index >= srcCount - 1)
        {
            AddTaps(filter, srcCount - 1, &one, 1);
            continue;
        }
        const auto next = static_cast<int32_t>(((num % den) * kWeightOne + den / 2) / den);
        const int32_t pair[2] = {kWeightOne - next, next};
        AddTaps(filter, static_cast<int>(index), pair, 2);
    }
}

// Area averaging when an output sample spans more than one source sample, bilinear when less, else a copy.
void MakeFilter(const ResampleAxis &axis, int srcCount, int dstCount, AxisFilter &filter)
{
    // An output sample reads at most span + 1 source samples (rounded up), and at least one.
    const int64_t taps = std::min<int64_t>(axis.num / axis.den + 2, srcCount);
    filter.first.reserve(static_cast<size_t>(dstCount));
    filter.start.reserve(static_cast<size_t>(dstCount) + 1);
    filter.weights.reserve(static_cast<size_t>(dstCount) * static_cast<size_t>(taps));
    filter.start.push_back(0);
    if (axis.num > axis.den)
    {
        std::vector<int32_t> scratch;
        MakeAreaFilter(axis, srcCount, dstCount, filter, scratch);
    }
    else if (axis.num < axis.den)
    {
        MakeBilinearFilter(axis, srcCount, dstCount, filter);
    }
    else
    {
        const int32_t one = kWeightOne;
        for (int x = 0; x < dstCount; ++x)
            AddTaps(filter, std::min(x, srcCount - 1), &one, 1);
    }
}

// The axis of a whole picture of srcSize samples made dstSize samples.
ResampleAxis WholeAxis(int srcSize, int dstSize)
{
    return {srcSize, dstSize, static_cast<int64_t>(srcSize) * dstSize};
}

// The horizontal filter with the same number of taps for every output pixel (zero weights added at the
// ends, the window moved back from the right edge), so the inner loop has a fixed length. Each output
// pixel's weights are also kept in pairs, packed low then high into 32 bits, for 16-bit multiply-adds.
struct UniformFilter
{
    int taps = 1;
    int pairs = 1; // taps / 2 rounded up; an odd last tap is paired with a zero weight
    std::vector<int32_t> first;
    std::vector<int16_t> weights;     // taps per output pixel
    std::vector<int32_t> pairWeights; // pairs per output pixel
    std::vector<int32_t> quadWeights; // per group of 4 outputs and pair: the 4 outputs' weight pairs
};

void MakeUniform(const AxisFilter &filter, int srcSize, UniformFilter &uniform)
{
    const size_t count = filter.first.size();
    for (size_t x = 0; x < count; ++x)
        uniform.taps = std::max(uniform.taps, filter.Taps(x));
    uniform.pairs = (uniform.taps + 1) / 2;
    uniform.first.resize(count);
    uniform.weights.assign(count * static_cast<size_t>(uniform.taps), 0);
    for (size_t x = 0; x < count; ++x)
    {
        const int shift = std::max(0, filter.first[x] + uniform.taps - srcSize);
        uniform.first[x] = filter.first[x] - shift;
        std::copy(filter.weights.begin() + filter.start[x], filter.weights.begin() + filter.start[x + 1],
                  uniform.weights.begin() + static_cast<ptrdiff_t>(x * uniform.taps + shift));
    }
    uniform.pairWeights.assign(count * static_cast<size_t>(uniform.pairs), 0);
    for (size_t x = 0; x < count; ++x)
    {
        const int16_t *w = uniform.weights.data() + x * uniform.taps;
        for (int t = 0; t < uniform.taps; ++t)
        {
            const auto bits = static_cast<uint32_t>(static_cast<uint16_t>(w[t])) << (16 * (t & 1));
            uniform.pairWeights[x * uniform.pairs + t / 2] |= static_cast<int32_t>(bits);
        }
    }
    const size_t pairs = static_cast<size_t>(uniform.pairs);
    uniform.quadWeights.assign((count + 3) / 4 * pairs * 4, 0);
    for (size_t x = 0; x < count; ++x)
        for (size_t p = 0; p < pairs; ++p)
            uniform.quadWeights[(x / 4 * pairs + p) * 4 + x % 4] = uniform.pairWeights[x * pairs + p];
}

// ---- Vertical passes: output sample i from sample i of `taps` rows. Every sum is exact in 32 bits, so
// the SIMD and scalar code give the same results.

template <typename In> int32_t VerticalSum(const In *const *rows, const int16_t *w, int taps, size_t i, int32_t sum)
{
    for (int t = 0; t < taps; ++t)
        sum += w[t] * static_cast<int32_t>(rows[t][i]);
    return sum;
}

#if defined(__SSE2__)
__m128i PairVector(int16_t low, int16_t high)
{
    return _mm_set1_epi32(
        static_cast<int32_t>(static_cast<uint16_t>(low) | (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16)));
}

__m128i LoadBytes(const uint8_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
#endif

// 8-bit source rows to one 16-bit intermediate row.
void BlendToMid(const uint8_t *const *rows, const int16_t *w, int taps, size_t count, int16_t *mid)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(kFirstRound);
    for (; i + 16 <= count; i += 16)
    {
        __m128i acc[4] = {round, round, round, round};
        for (int t = 0; t < taps; t += 2)
        {
            // Bytes of two rows interleaved, widened to 16 bits: a0 b0 a1 b1 ... for multiply-adds by (wa, wb).
            const bool single = t + 1 == taps;
            const __m128i pair = PairVector(w[t], single ? 0 : w[t + 1]);
            const __m128i a = LoadBytes(rows[t] + i);
            const __m128i b = single ? zero : LoadBytes(rows[t + 1] + i);
            const __m128i lo = _mm_unpacklo_epi8(a, b);
            const __m128i hi = _mm_unpackhi_epi8(a, b);
            acc[0] = _mm_add_epi32(acc[0], _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), pair));
            acc[1] = _mm_add_epi32(acc[1], _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), pair));
            acc[2] = _mm_add_epi32(acc[2], _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), pair));
            acc[3] = _mm_add_epi32(acc[3], _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), pair));
        }
        for (int k = 0; k < 4; k += 2)
        {
            const __m128i packed =
                _mm_packs_epi32(_mm_srai_epi32(acc[k], kFirstShift), _mm_srai_epi32(acc[k + 1], kFirstShift));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(mid + i + 4 * k), packed);
        }
    }
#endif
    for (; i < count; ++i)
        mid[i] = static_cast<int16_t>(VerticalSum(rows, w, taps, i, kFirstRound) >> kFirstShift);
}

// 16-bit intermediate rows to one 8-bit output row.
void BlendFromMid(const int16_t *const *rows, const int16_t *w, int taps, size_t count, uint8_t *out)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(kSecondRound);
    for (; i + 16 <= count; i += 16)
    {
        __m128i acc[4] = {round, round, round, round};
        for (int t = 0; t < taps; t += 2)
        {
            const bool single = t + 1 == taps;
            const __m128i pair = PairVector(w[t], single ? 0 : w[t + 1]);
            for (int half = 0; half < 2; ++half)
            {
                const auto *pa = reinterpret_cast<const __m128i *>(rows[t] + i + 8 * half);
                const __m128i a = _mm_loadu_si128(pa);
                const __m128i b =
                    single ? zero : _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[t + 1] + i + 8 * half));
                acc[2 * half] = _mm_add_epi32(acc[2 * half], _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pair));
                acc[2 * half + 1] = _mm_add_epi32(acc[2 * half + 1], _mm_madd_epi16(_mm_unpackhi_epi16(a, b), pair));
            }
        }
        const __m128i low = _mm_packs_epi32(_mm_srai_epi32(acc[0], kSecondShift), _mm_srai_epi32(acc[1], kSecondShift));
        const __m128i high =
            _mm_packs_epi32(_mm_srai_epi32(acc[2], kSecondShift), _mm_srai_epi32(acc[3], kSecondShift));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(low, high));
    }
#endif
    for (; i < count; ++i)
        out[i] = static_cast<uint8_t>(VerticalSum(rows, w, taps, i, kSecondRound) >> kSecondShift);
}

// ---- Horizontal passes: output pixel x from pixels first[x] .. first[x] + taps - 1 of one row.

template <int Channels, typename In, typename Out, int Shift>
void FilterRowScalar(const In *src, const UniformFilter &filter, Out *out)
{
    const int taps = filter.taps;
    const size_t count = filter.first.size();
    const int16_t *w = filter.weights.data();
    for (size_t x = 0; x < count; ++x, w += taps, out += Channels)
    {
        const In *p = src + static_cast<size_t>(filter.first[x]) * Channels;
        int32_t acc[Channels];
        for (int c = 0; c < Channels; ++c)
            acc[c] = 1 << (Shift - 1);
        for (int t = 0; t < taps; ++t, p += Channels)
            for (int c = 0; c < Channels; ++c)
                acc[c] += w[t] * static_cast<int32_t>(p[c]);
        for (int c = 0; c < Channels; ++c)
            out[c] = static_cast<Out>(acc[c] >> Shift);
    }
}

#if defined(__SSE2__)
// One pixel of 16-bit samples, R G B and the next sample (ignored), from an intermediate row.
__m128i LoadMidPixel(const int16_t *p)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
}

// One pixel of 8-bit samples widened to 16 bits, R G B and a zero; reads exactly three bytes.
__m128i LoadSourcePixel(const uint8_t *p)
{
    const uint32_t rgb = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(rgb)), _mm_setzero_si128());
}

// R, G, B and a spare sum in four 32-bit lanes: pixels are interleaved in pairs for multiply-adds.
// Taps 0: the count is read at run time.
template <int Taps, typename In, __m128i (*Load)(const In *)>
__m128i PixelSums(const In *p, const int32_t *pairs, int runTaps, int32_t round)
{
    const int taps = Taps != 0 ? Taps : runTaps;
    __m128i acc = _mm_set1_epi32(round);
    int t = 0;
    for (; t + 1 < taps; t += 2, ++pairs)
    {
        const __m128i ab = _mm_unpacklo_epi16(Load(p + 3 * t), Load(p + 3 * (t + 1)));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(ab, _mm_set1_epi32(*pairs)));
    }
    if (t < taps)
    {
        const __m128i a0 = _mm_unpacklo_epi16(Load(p + 3 * t), _mm_setzero_si128());
        acc = _mm_add_epi32(acc, _mm_madd_epi16(a0, _mm_set1_epi32(*pairs)));
    }
    return acc;
}

template <int Taps> void FilterFromMidSimd(const int16_t *src, const UniformFilter &filter, uint8_t *out)
{
    const size_t count = filter.first.size();
    const int32_t *first = filter.first.data();
    const int32_t *pairs = filter.pairWeights.data();
    const int taps = filter.taps;
    const int pairCount = filter.pairs;
    auto sums = [&](size_t x) {
        const __m128i acc = PixelSums<Taps, int16_t, LoadMidPixel>(src + 3 * static_cast<size_t>(first[x]),
                                                                   pairs + x * pairCount, taps, kSecondRound);
        return _mm_srai_epi32(acc, kSecondShift);
    };
    // Two pixels a step: their R G B moved together (the spare lane squeezed out), eight bytes stored of
    // which the next step overwrites two.
    const __m128i firstThree = _mm_setr_epi16(-1, -1, -1, 0, 0, 0, 0, 0);
    size_t x = 0;
    for (; x + 2 < count; x += 2)
    {
        const __m128i words = _mm_packs_epi32(sums(x), sums(x + 1));
        const __m128i packed =
            _mm_or_si128(_mm_and_si128(words, firstThree), _mm_andnot_si128(firstThree, _mm_srli_si128(words, 2)));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 3 * x), _mm_packus_epi16(packed, packed));
    }
    // The last one or two pixels write exactly their own bytes.
    for (; x < count; ++x)
    {
        const __m128i words = _mm_packs_epi32(sums(x), sums(x));
        const auto bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
        std::memcpy(out + 3 * x, &bytes, 3);
    }
}

template <int Taps> void FilterToMidSimd(const uint8_t *src, const UniformFilter &filter, int16_t *out)
{
    const size_t count = filter.first.size();
    const int32_t *first = filter.first.data();
    const int32_t *pairs = filter.pairWeights.data();
    const int taps = filter.taps;
    const int pairCount = filter.pairs;
    for (size_t x = 0; x < count; ++x)
    {
        const __m128i acc = PixelSums<Taps, uint8_t, LoadSourcePixel>(src + 3 * static_cast<size_t>(first[x]),
                                                                      pairs + x * pairCount, taps, kFirstRound);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 3 * x),
                         _mm_packs_epi32(_mm_srai_epi32(acc, kFirstShift), acc));
    }
}

// One sample per pixel, four outputs a step: each tap pair of an output is one 32-bit load of two
// neighbouring samples (an odd last tap reads a spare sample with a zero weight).
template <int Taps> void FilterPlaneFromMidSimd(const int16_t *src, const UniformFilter &filter, uint8_t *out)
{
    const size_t count = filter.first.size();
    const int32_t *first = filter.first.data();
    const int pairCount = (Taps != 0 ? Taps + 1 : filter.taps + 1) / 2;
    auto load = [src](int32_t index) {
        int32_t both;
        std::memcpy(&both, src + index, 4);
        return both;
    };
    auto sums = [&](size_t x) {
        const __m128i *weights = reinterpret_cast<const __m128i *>(filter.quadWeights.data() + x * pairCount);
        __m128i acc = _mm_set1_epi32(kSecondRound);
        for (int p = 0; p < pairCount; ++p)
        {
            const __m128i samples = _mm_setr_epi32(load(first[x] + 2 * p), load(first[x + 1] + 2 * p),
                                                   load(first[x + 2] + 2 * p), load(first[x + 3] + 2 * p));
            acc = _mm_add_epi32(acc, _mm_madd_epi16(samples, _mm_loadu_si128(weights + p)));
        }
        return _mm_srai_epi32(acc, kSecondShift);
    };
    size_t x = 0;
    for (; x + 8 <= count; x += 8)
    {
        const __m128i words = _mm_packs_epi32(sums(x), sums(x + 4));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + x), _mm_packus_epi16(words, words));
    }
    for (; x < count; ++x)
    {
        int32_t acc = kSecondRound;
        const int16_t *p = src + first[x];
        const int16_t *w = filter.weights.data() + x * static_cast<size_t>(filter.taps);
        for (int t = 0; t < filter.taps; ++t)
            acc += w[t] * static_cast<int32_t>(p[t]);
        out[x] = static_cast<uint8_t>(acc >> kSecondShift);
    }
}
#endif

// 16-bit intermediate row to an 8-bit output row.
template <int Channels> void FilterFromMid(const int16_t *src, const UniformFilter &filter, uint8_t *out)
{
#if defined(__SSE2__)
    if constexpr (Channels == 3)
    {
        switch (filter.taps)
        {
        case 1:
            return FilterFromMidSimd<1>(src, filter, out);
        case 2:
            return FilterFromMidSimd<2>(src, filter, out);
        case 3:
            return FilterFromMidSimd<3>(src, filter, out);
        case 4:
            return FilterFromMidSimd<4>(src, filter, out);
        default:
            return FilterFromMidSimd<0>(src, filter, out);
        }
    }
    else
    {
        switch (filter.taps)
        {
        case 2:
            return FilterPlaneFromMidSimd<2>(src, filter, out);
        case 3:
            return FilterPlaneFromMidSimd<3>(src, filter, out);
        case 4:
            return FilterPlaneFromMidSimd<4>(src, filter, out);
        default:
            return FilterPlaneFromMidSimd<0>(src, filter, out);
        }
    }
#endif
    FilterRowScalar<Channels, int16_t, uint8_t, kSecondShift>(src, filter, out);
}

// 8-bit source row to a 16-bit intermediate row (which has room for a spare sample after its last pixel).
template <int Channels> void FilterToMid(const uint8_t *src, const UniformFilter &filter, int16_t *out)
{
#if defined(__SSE2__)
    if constexpr (Channels == 3)
    {
        switch (filter.taps)
        {
        case 1:
            return FilterToMidSimd<1>(src, filter, out);
        case 2:
            return FilterToMidSimd<2>(src, filter, out);
        default:
            return FilterToMidSimd<0>(src, filter, out);
        }
    }
#endif
    FilterRowScalar<Channels, uint8_t, int16_t, kFirstShift>(src, filter, out);
}

// One plane (colour samples or the alpha plane) resampled. When it shrinks vertically, each output row is
// blended from its source rows first and then filtered horizontally, so the horizontal filter runs on the
// fewer rows; otherwise each source row is filtered horizontally once and output rows are blended from
// the last two of those (vertical taps are at most two then: bilinear or a copy).
void ResampleSamples(const uint8_t *src, size_t srcStride, int srcWidth, int srcHeight, int channels, int width,
                     int height, uint8_t *dst, size_t dstStride, const ResampleAxis &axisX, const ResampleAxis &axisY)
{
    const size_t srcSamples = static_cast<size_t>(srcWidth) * channels;
    const size_t samples = static_cast<size_t>(width) * channels;
    auto sourceRow = [&](int y) { return src + static_cast<size_t>(y) * srcStride; };
    auto outputRow = [&](size_t y) { return dst + y * dstStride; };
    if (width == srcWidth && height == srcHeight && axisX.num == axisX.den && axisY.num == axisY.den)
    {
        for (int y = 0; y < height; ++y)
            std::memcpy(outputRow(static_cast<size_t>(y)), sourceRow(y), samples);
        return;
    }
    UniformFilter fx;
    {
        AxisFilter filter;
        MakeFilter(axisX, srcWidth, width, filter);
        MakeUniform(filter, srcWidth, fx);
    }
    AxisFilter fy;
    MakeFilter(axisY, srcHeight, height, fy);
    const bool rowsFirst = height < srcHeight || axisY.num > axisY.den;
    const size_t midSamples = (rowsFirst ? srcSamples : samples) + kMidPadding;
    std::vector<int16_t> mid(midSamples * (rowsFirst ? 1 : 2), 0);
    const size_t outputRows = fy.first.size();
    if (rowsFirst)
    {
        std::vector<const uint8_t *> rows(static_cast<size_t>(srcHeight));
        for (int y = 0; y < srcHeight; ++y)
            rows[static_cast<size_t>(y)] = sourceRow(y);
        for (size_t y = 0; y < outputRows; ++y)
        {
            BlendToMid(rows.data() + fy.first[y], fy.Weights(y), fy.Taps(y), srcSamples, mid.data());
            if (channels == 3)
                FilterFromMid<3>(mid.data(), fx, outputRow(y));
            else
                FilterFromMid<1>(mid.data(), fx, outputRow(y));
        }
        return;
    }
    // Source row i is filtered into mid row i % 2; an output row is made once its last source row is in.
    auto midRow = [&](int y) { return mid.data() + static_cast<size_t>(y & 1) * midSamples; };
    size_t y = 0;
    for (int filtered = 0; filtered < srcHeight && y < outputRows; ++filtered)
    {
        if (channels == 3)
            FilterToMid<3>(sourceRow(filtered), fx, midRow(filtered));
        else
            FilterToMid<1>(sourceRow(filtered), fx, midRow(filtered));
        for (; y < outputRows && fy.first[y] + fy.Taps(y) <= filtered + 1; ++y)
        {
            const int16_t *blend[2] = {midRow(fy.first[y]), midRow(fy.first[y] + fy.Taps(y) - 1)};
            BlendFromMid(blend, fy.Weights(y), fy.Taps(y), samples, outputRow(y));
        }
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

void InitResult(Raster &result, int width, int height, bool alpha)
{
    result.width = width;
    result.height = height;
    result.bpp = 24;
    result.stride = static_cast<size_t>(width) * 3;
    result.pixels.resize(result.stride * static_cast<size_t>(height));
    if (alpha)
        result.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
}

// Sound axes: positive spans, and an extent that ends inside the source's last sample, within the 64-bit
// sums the filters make.
bool IsSoundAxis(const ResampleAxis &axis, int srcCount)
{
    constexpr int64_t kLimit = int64_t{1} << 40;
    return axis.num > 0 && axis.den > 0 && axis.num < kLimit && axis.den < kLimit &&
           axis.extent > static_cast<int64_t>(srcCount - 1) * axis.den &&
           axis.extent <= static_cast<int64_t>(srcCount) * axis.den;
}

} // namespace

#if defined(BRIVELLE_RESAMPLE_DISPATCH) && !defined(BRIVELLE_RESAMPLE_SSE2_COPY)
bool ResampleRasterSse2(const Raster &src, int width, int height, Raster &dst);
bool ResamplePlaneSse2(const uint8_t *src, size_t srcStride, int srcWidth, int srcHeight, int width, int height,
                       uint8_t *dst, size_t dstStride, const ResampleAxis &axisX, const ResampleAxis &axisY);

namespace
{
bool g_bSimdAllowed = true;

bool UseSse2()
{
    static const bool bHasSse2 = __builtin_cpu_supports("sse2") != 0;
    return bHasSse2 && g_bSimdAllowed;
}
} // namespace

bool AllowResampleSimd(bool bAllow)
{
    g_bSimdAllowed = bAllow;
    return true;
}
#elif !defined(BRIVELLE_RESAMPLE_SSE2_COPY)
bool AllowResampleSimd(bool bAllow)
{
    static_cast<void>(bAllow);
    return false;
}
#endif

bool ResampleRaster(const Raster &src, int width, int height, Raster &dst)
{
#if defined(BRIVELLE_RESAMPLE_DISPATCH) && !defined(BRIVELLE_RESAMPLE_SSE2_COPY)
    if (UseSse2())
        return ResampleRasterSse2(src, width, height, dst);
#endif
    std::string error;
    if (!IsWellFormed24(src) || !CheckPixelBudget(width, height, "resample", error))
        return false;
    try
    {
        Raster result;
        if (width == src.width && height == src.height)
        {
            result = src;
        }
        else
        {
            InitResult(result, width, height, src.HasAlpha());
            const ResampleAxis axisX = WholeAxis(src.width, width);
            const ResampleAxis axisY = WholeAxis(src.height, height);
            ResampleSamples(src.pixels.data(), src.stride, src.width, src.height, 3, width, height,
                            result.pixels.data(), result.stride, axisX, axisY);
            if (src.HasAlpha())
                ResampleSamples(src.alpha.data(), static_cast<size_t>(src.width), src.width, src.height, 1, width,
                                height, result.alpha.data(), static_cast<size_t>(width), axisX, axisY);
        }
        dst = std::move(result);
        return true;
    }
    catch (const std::bad_alloc &)
    {
        return false;
    }
}

bool ResamplePlane(const uint8_t *src, size_t srcStride, int srcWidth, int srcHeight, int width, int height,
                   uint8_t *dst, size_t dstStride, const ResampleAxis &axisX, const ResampleAxis &axisY)
{
#if defined(BRIVELLE_RESAMPLE_DISPATCH) && !defined(BRIVELLE_RESAMPLE_SSE2_COPY)
    if (UseSse2())
        return ResamplePlaneSse2(src, srcStride, srcWidth, srcHeight, width, height, dst, dstStride, axisX, axisY);
#endif
    std::string error;
    if (!src || !dst || !CheckPixelBudget(srcWidth, srcHeight, "resample", error) ||
        !CheckPixelBudget(width, height, "resample", error) || srcStride < static_cast<size_t>(srcWidth) ||
        dstStride < static_cast<size_t>(width) || !IsSoundAxis(axisX, srcWidth) || !IsSoundAxis(axisY, srcHeight))
        return false;
    try
    {
        ResampleSamples(src, srcStride, srcWidth, srcHeight, 1, width, height, dst, dstStride, axisX, axisY);
        return true;
    }
    catch (const std::bad_alloc &)
    {
        return false;
    }
}
