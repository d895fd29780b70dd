// Plain records of the player: colours, matrices, colour transforms and the limits a movie must keep.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

struct SwfRgb
{
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
};

// Straight (not premultiplied) colour with alpha, 255 opaque.
struct SwfRgba
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
};

// A MATRIX record as stored: scale and skew 16.16, translation in twips.
// x' = x * scaleX + y * skew1 + translateX; y' = x * skew0 + y * scaleY + translateY.
struct SwfFixedMatrix
{
    int32_t scaleX = 65536;
    int32_t scaleY = 65536;
    int32_t skew0 = 0;
    int32_t skew1 = 0;
    int32_t translateX = 0;
    int32_t translateY = 0;
};

// An affine map in doubles: x' = a x + c y + tx, y' = b x + d y + ty.
struct SwfAffine
{
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static SwfAffine FromMatrix(const SwfFixedMatrix &m)
    {
        return {m.scaleX / 65536.0,
                m.skew0 / 65536.0,
                m.skew1 / 65536.0,
                m.scaleY / 65536.0,
                static_cast<double>(m.translateX),
                static_cast<double>(m.translateY)};
    }
    void Apply(double x, double y, double &outX, double &outY) const
    {
        outX = a * x + c * y + tx;
        outY = b * x + d * y + ty;
    }
    // This map applied after inner.
    SwfAffine After(const SwfAffine &inner) const
    {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b,        a * inner.c + c * inner.d,
                b * inner.c + d * inner.d, a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
    double Determinant() const
    {
        return a * d - b * c;
    }
    // False for a map that collapses the plane (or is not finite); out is then unchanged.
    bool Invert(SwfAffine &out) const
    {
        const double det = Determinant();
        if (!std::isfinite(det) || std::fabs(det) < 1e-12)
            return false;
        SwfAffine inv;
        inv.a = d / det;
        inv.b = -b / det;
        inv.c = -c / det;
        inv.d = a / det;
        inv.tx = -(inv.a * tx + inv.c * ty);
        inv.ty = -(inv.b * tx + inv.d * ty);
        if (!std::isfinite(inv.a) || !std::isfinite(inv.b) || !std::isfinite(inv.c) || !std::isfinite(inv.d) ||
            !std::isfinite(inv.tx) || !std::isfinite(inv.ty))
            return false;
        out = inv;
        return true;
    }
    bool IsAxisAligned() const
    {
        return b == 0 && c == 0;
    }
};

// A CXFORM/CXFORMWITHALPHA record as stored: multipliers 8.8 (256 is 1.0), additions in colour units;
// red, green, blue, alpha.
struct SwfCxform
{
    int16_t mult[4] = {256, 256, 256, 256};
    int16_t add[4] = {0, 0, 0, 0};
};

// A colour transform in doubles, composed along the character tree.
struct SwfColorMap
{
    double mult[4] = {1, 1, 1, 1};
    double add[4] = {0, 0, 0, 0};

    static SwfColorMap FromCxform(const SwfCxform &cx)
    {
        SwfColorMap map;
        for (int i = 0; i < 4; ++i)
        {
            map.mult[i] = cx.mult[i] / 256.0;
            map.add[i] = cx.add[i];
        }
        return map;
    }
    // This transform applied after inner.
    SwfColorMap After(const SwfColorMap &inner) const
    {
        SwfColorMap out;
        for (int i = 0; i < 4; ++i)
        {
            out.mult[i] = inner.mult[i] * mult[i];
            out.add[i] = inner.add[i] * mult[i] + add[i];
        }
        return out;
    }
    bool IsIdentity() const
    {
        for (int i = 0; i < 4; ++i)
            if (mult[i] != 1 || add[i] != 0)
                return false;
        return true;
    }
    // True when an opaque colour stays opaque.
    bool KeepsOpaque() const
    {
        return 255.0 * mult[3] + add[3] >= 255.0;
    }
    SwfRgba Apply(SwfRgba c) const
    {
        const double in[4] = {static_cast<double>(c.red), static_cast<double>(c.green), static_cast<double>(c.blue),
                              static_cast<double>(c.alpha)};
        uint8_t out[4];
        for (int i = 0; i < 4; ++i)
        {
            const double v = in[i] * mult[i] + add[i];
            out[i] = static_cast<uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v + 0.5));
        }
        return {out[0], out[1], out[2], out[3]};
    }
};

// What a movie may ask of the player before it is refused or a part of it is dropped. Every count and
// size is checked against these before memory is allocated for it.
struct SwfLimits
{
    size_t uMaxFileBytes = 512u << 20;        // the file, or what a compressed file inflates to
    size_t uMaxFrames = 1u << 20;             // ShowFrame tags
    size_t uMaxControlTags = 1u << 21;        // placements, removals and frame actions
    size_t uMaxEdges = 1u << 21;              // path edges over all shapes
    size_t uMaxButtonRecords = 1u << 18;      // over all buttons
    uint64_t uMaxBitmapPixels = 40000000;     // one decoded bitmap
    size_t uMaxBitmapCacheBytes = 192u << 20; // decoded bitmaps kept between frames
    size_t uMaxWarnings = 200;
};
