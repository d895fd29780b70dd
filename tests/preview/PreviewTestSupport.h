// Shared set-up of the player tests: hand-made SWF bytes, movies made by the build engine, picture comparison.
#pragma once

#include "build/MovieBuilder.h"
#include "imaging/Raster.h"
#include "support/TempDir.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// MSB-first bit output and little-endian bytes, written apart from the project's SWF writer.
class CTestBits
{
  public:
    void Bits(uint32_t value, unsigned count);
    void SBits(int32_t value, unsigned count)
    {
        Bits(static_cast<uint32_t>(value), count);
    }
    void Align();
    void U8(unsigned v);
    void U16(unsigned v);
    void U32(uint32_t v);
    void Bytes(const std::string &bytes);
    const std::string &Data()
    {
        Align();
        return m_data;
    }

  private:
    std::string m_data;
    unsigned m_uUsed = 0; // bits used in the last byte
};

// Width of a signed field holding every value.
unsigned TestSignedBits(std::initializer_list<int32_t> values);
// MATRIX: scale factors (1.0 is none), skew factors, translation in twips.
std::string TestMatrix(double scaleX = 1, double scaleY = 1, int32_t tx = 0, int32_t ty = 0, double skew0 = 0,
                       double skew1 = 0);
// A tag: short header when the body is short enough and long is not asked for.
std::string TestTag(unsigned code, const std::string &body, bool forceLong = false);
// A whole FWS file of version 3: stage in pixels, the tags given, then End; the frame count is the
// number of ShowFrame tags unless given.
std::string TestMovie(int widthPx, int heightPx, const std::string &tags, int frameRate = 12, int frameCount = -1);
// The same file compressed (CWS).
std::string TestCompress(const std::string &fws);

// A DefineShape body (version 1 to 3) built from styles and path records, coordinates in twips.
class CTestShape
{
  public:
    CTestShape(int version, uint16_t id, int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax);
    int Solid(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
    int BitmapFill(uint16_t bitmapId, uint8_t type, const std::string &matrix);
    int LinearGradient(const std::string &matrix, std::initializer_list<std::pair<uint8_t, uint32_t>> stops);
    int Line(uint16_t widthTwips, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
    // A style change record with new style arrays (DefineShape2 and 3): styles added from here on go
    // into them and are counted from 1 again.
    void NewStyleGroup();
    // Style change; -1 leaves a style as it is.
    void Style(int fill0, int fill1, int line);
    void MoveTo(int32_t x, int32_t y);
    void LineBy(int32_t dx, int32_t dy);
    void CurveBy(int32_t cdx, int32_t cdy, int32_t adx, int32_t ady);
    // A closed axis-aligned rectangle from the pen, clockwise on screen.
    void Rectangle(int32_t x, int32_t y, int32_t w, int32_t h);
    std::string Body() const;
    std::string Tag() const;

  private:
    struct Op
    {
        int kind; // 0 style, 1 move, 2 line, 3 curve, 4 new styles (group a)
        int32_t a, b, c, d;
    };
    int m_nVersion;
    uint16_t m_uId;
    int32_t m_bounds[4];
    // Style arrays per group, the first in the shape's header.
    std::vector<std::vector<std::string>> m_fills;
    std::vector<std::vector<std::string>> m_lines;
    std::vector<Op> m_ops;
};

struct TestButtonRecord
{
    uint8_t states;
    uint16_t characterId;
    uint16_t depth;
};
// DefineButton2 with the records and, when url is not null, one entry (condition 0x04, 0x01) with a GetURL.
std::string TestButton2(uint16_t id, std::initializer_list<TestButtonRecord> records, const char *url,
                        const char *target = "");
// PlaceObject2 of a new character (with a matrix when one is given).
std::string TestPlace(uint16_t depth, uint16_t id, const std::string &matrix = std::string());
// PlaceObject2 with the move flag, a new matrix and optionally a new character (id 0: none).
std::string TestMove(uint16_t depth, const std::string &matrix, uint16_t id = 0);
std::string TestPlace1(uint16_t depth, uint16_t id, const std::string &matrix);
// PlaceObject2 of a new character with a colour transform: multipliers 8.8, then additions; red,
// green, blue, alpha.
std::string TestPlaceCx(uint16_t depth, uint16_t id, std::initializer_list<int> mult, std::initializer_list<int> add);
std::string TestRemove(uint16_t depth, uint16_t id);
std::string TestRemove2(uint16_t depth);
std::string TestShowFrame();
std::string TestBackground(uint8_t r, uint8_t g, uint8_t b);
std::string TestDoGetUrl(const char *url, const char *target);
std::string TestDoStop();
// DefineBitsLossless of 32-bit pixels (format 5), rows of R, G, B.
std::string TestLossless(uint16_t id, const Raster &picture);
// DefineBitsLossless2 of 32-bit pixels (format 5), rows of A, R, G, B with the colours premultiplied.
std::string TestLossless2(uint16_t id, int width, int height, const std::string &argb);
// DefineBitsJPEG2 holding data as given.
std::string TestJpeg2(uint16_t id, const std::string &jpegData);
// DefineBitsJPEG3: JPEG data and an alpha plane (one byte a pixel), compressed here.
std::string TestJpeg3(uint16_t id, const std::string &jpegData, const std::string &alpha);

// Pictures and movies for the player tests, in a private folder.
class CPreviewFixture
{
  public:
    CPreviewFixture();
    // Writes the picture as a BMP and returns its slide.
    ImageItem Slide(const std::string &name, const Raster &picture, const std::wstring &url = L"");
    // Builds a movie with the engine; fpsMode with `rate` frames per second, else `delay` frames per slide.
    // Fails the test when the build fails.
    std::string Build(const std::vector<ImageItem> &slides, int width, int height, bool fpsMode = true, int rate = 1,
                      int delay = 1);
    std::string Path(const std::string &name) const
    {
        return m_dir.File(name);
    }

  private:
    TempDir m_dir;
    int m_nMovies = 0;
};

std::vector<uint8_t> ToBytes(const std::string &bytes);
// Peak signal-to-noise ratio over the picture, or of a's window at (left, top) against all of b.
double PsnrOf(const Raster &a, const Raster &b, int left = 0, int top = 0);
// The colour of a pixel of a 24-bit raster.
uint32_t PixelRgb(const Raster &r, int x, int y);
constexpr uint32_t Rgb24(unsigned r, unsigned g, unsigned b)
{
    return (r << 16) | (g << 8) | b;
}
// The picture resampled to a size, as the reference a rendering is compared with.
Raster Resampled(const Raster &picture, int width, int height);
