// Median cut over a 5-bit-per-channel histogram; palette colours are the means of their boxes.
#include "imaging/ColorQuantizer.h"

#include <algorithm>
#include <array>
#include <limits>

namespace
{
constexpr int kLevels = 32; // histogram cells per channel
constexpr int kCells = kLevels * kLevels * kLevels;

struct Cell
{
    uint64_t count = 0;
    uint64_t sum[3] = {0, 0, 0};
};

int CellOf(const uint8_t *rgb)
{
    return ((rgb[0] >> 3) * kLevels + (rgb[1] >> 3)) * kLevels + (rgb[2] >> 3);
}

int CellAt(int r, int g, int b)
{
    return (r * kLevels + g) * kLevels + b;
}

struct Box
{
    std::array<int, 3> lo;
    std::array<int, 3> hi;
    uint64_t count = 0;
};

// Recounts a box and shrinks it to the cells that hold pixels.
void Tighten(const std::vector<Cell> &cells, Box &box)
{
    std::array<int, 3> lo = {kLevels, kLevels, kLevels};
    std::array<int, 3> hi = {-1, -1, -1};
    uint64_t count = 0;
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
        for (int g = box.lo[1]; g <= box.hi[1]; ++g)
            for (int b = box.lo[2]; b <= box.hi[2]; ++b)
            {
                uint64_t n = cells[static_cast<size_t>(CellAt(r, g, b))].count;
                if (!n)
                    continue;
                count += n;
                int c[3] = {r, g, b};
                for (int k = 0; k < 3; ++k)
                {
                    lo[k] = std::min(lo[k], c[k]);
                    hi[k] = std::max(hi[k], c[k]);
                }
            }
    box.count = count;
    if (count)
    {
        box.lo = lo;
        box.hi = hi;
    }
}

// Splits a box at the median of its longest side; false when it is a single cell.
bool Split(const std::vector<Cell> &cells, Box &box, Box &upper)
{
    int axis = 0;
    for (int k = 1; k < 3; ++k)
    {
        if (box.hi[k] - box.lo[k] > box.hi[axis] - box.lo[axis])
            axis = k;
    }
    if (box.hi[axis] == box.lo[axis])
        return false;
    std::vector<uint64_t> slice(kLevels, 0);
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
        for (int g = box.lo[1]; g <= box.hi[1]; ++g)
            for (int b = box.lo[2]; b <= box.hi[2]; ++b)
            {
                int c[3] = {r, g, b};
                slice[static_cast<size_t>(c[axis])] += cells[static_cast<size_t>(CellAt(r, g, b))].count;
            }
    uint64_t half = box.count / 2;
    uint64_t running = 0;
    int cut = box.lo[axis];
    for (int v = box.lo[axis]; v < box.hi[axis]; ++v)
    {
        running += slice[static_cast<size_t>(v)];
        cut = v;
        if (running >= half)
            break;
    }
    upper = box;
    box.hi[axis] = cut;
    upper.lo[axis] = cut + 1;
    Tighten(cells, box);
    Tighten(cells, upper);
    return box.count > 0 && upper.count > 0;
}
} // namespace

void QuantizeMedianCut(const Raster &picture, const uint8_t *mask, int maxColours, std::vector<PaletteEntry> &palette,
                       std::vector<uint8_t> &indices)
{
    maxColours = std::max(1, std::min(256, maxColours));
    std::vector<Cell> cells(kCells);
    size_t width = static_cast<size_t>(picture.width);
    for (int y = 0; y < picture.height; ++y)
    {
        const uint8_t *row = picture.Row(y);
        const uint8_t *rowMask = mask ? mask + static_cast<size_t>(y) * width : nullptr;
        for (size_t x = 0; x < width; ++x)
        {
            if (rowMask && !rowMask[x])
                continue;
            Cell &cell = cells[static_cast<size_t>(CellOf(row + 3 * x))];
            ++cell.count;
            for (int k = 0; k < 3; ++k)
                cell.sum[k] += row[3 * x + static_cast<size_t>(k)];
        }
    }

    std::vector<Box> boxes(1);
    boxes[0].lo = {0, 0, 0};
    boxes[0].hi = {kLevels - 1, kLevels - 1, kLevels - 1};
    Tighten(cells, boxes[0]);
    std::vector<bool> splittable(1, boxes[0].count > 0);
    while (static_cast<int>(boxes.size()) < maxColours)
    {
        // The most populous box that can still be split.
        int best = -1;
        for (size_t i = 0; i < boxes.size(); ++i)
        {
            if (splittable[i] && (best < 0 || boxes[i].count > boxes[static_cast<size_t>(best)].count))
                best = static_cast<int>(i);
        }
        if (best < 0)
            break;
        Box upper;
        Box &box = boxes[static_cast<size_t>(best)];
        if (!Split(cells, box, upper))
        {
            splittable[static_cast<size_t>(best)] = false;
            continue;
        }
        boxes.push_back(upper);
        splittable.push_back(true);
    }

    palette.clear();
    for (const Box &box : boxes)
    {
        uint64_t sum[3] = {0, 0, 0};
        uint64_t count = 0;
        for (int r = box.lo[0]; r <= box.hi[0]; ++r)
            for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                for (int b = box.lo[2]; b <= box.hi[2]; ++b)
                {
                    const Cell &cell = cells[static_cast<size_t>(CellAt(r, g, b))];
                    count += cell.count;
                    for (int k = 0; k < 3; ++k)
                        sum[k] += cell.sum[k];
                }
        if (!count)
            continue;
        palette.push_back(PaletteEntry{static_cast<uint8_t>((sum[0] + count / 2) / count),
                                       static_cast<uint8_t>((sum[1] + count / 2) / count),
                                       static_cast<uint8_t>((sum[2] + count / 2) / count)});
    }
    if (palette.empty())
        palette.push_back(PaletteEntry{});

    // Every pixel of a cell takes the palette colour nearest to the cell's mean.
    std::vector<int16_t> nearest(kCells, -1);
    auto nearestIndex = [&](int cellIndex) {
        int16_t &slot = nearest[static_cast<size_t>(cellIndex)];
        if (slot >= 0)
            return static_cast<uint8_t>(slot);
        const Cell &cell = cells[static_cast<size_t>(cellIndex)];
        int mean[3];
        for (int k = 0; k < 3; ++k)
        {
            mean[k] = cell.count ? static_cast<int>((cell.sum[k] + cell.count / 2) / cell.count)
                                 : ((cellIndex >> (5 * (2 - k))) & 31) * 8 + 4;
        }
        int bestDistance = std::numeric_limits<int>::max();
        int best = 0;
        for (size_t i = 0; i < palette.size(); ++i)
        {
            int dr = mean[0] - palette[i].r;
            int dg = mean[1] - palette[i].g;
            int db = mean[2] - palette[i].b;
            int distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
            if (distance < bestDistance)
            {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        slot = static_cast<int16_t>(best);
        return static_cast<uint8_t>(best);
    };
    indices.assign(width * static_cast<size_t>(picture.height), 0);
    for (int y = 0; y < picture.height; ++y)
    {
        const uint8_t *row = picture.Row(y);
        uint8_t *target = indices.data() + static_cast<size_t>(y) * width;
        for (size_t x = 0; x < width; ++x)
            target[x] = nearestIndex(CellOf(row + 3 * x));
    }
}
