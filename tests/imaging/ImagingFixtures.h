// Test pictures written with the codec libraries (PNG, TIFF, GIF, JPEG) or by hand (BMP), and pixel access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Raster.h"

struct Rgba
{
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
};

inline bool operator==(const Rgba &x, const Rgba &y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}
inline bool operator!=(const Rgba &x, const Rgba &y)
{
    return !(x == y);
}
std::string ToString(const Rgba &c);

// Colour of pixel (x, y) of any raster, through its palette and alpha plane.
Rgba PixelAt(const Raster &raster, int x, int y);
// First pixel whose colour differs from expected(x, y), as "(x, y): got ..., want ..."; empty when all match.
// Two fully transparent pixels match whatever their colours.
template <typename Expected> std::string FirstMismatch(const Raster &raster, Expected expected, int tolerance = 0);

// A deterministic test colour per position, distinct for small pictures.
Rgba PatternColour(int x, int y);
// The colours of a width x height picture as 8-bit R, G, B samples, row by row.
std::vector<uint16_t> RgbSamples(int width, int height, Rgba (*colour)(int, int) = PatternColour);

struct PngRecipe
{
    int width = 0;
    int height = 0;
    int colourType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint16_t> samples; // width x height x channels, row by row
    std::vector<Rgba> palette;     // PLTE; alpha values below 255 go into tRNS
    int transparentGrey = -1;      // tRNS of a grey picture
    int transparentRgb[3] = {-1, -1, -1};
};
std::string MakePng(const PngRecipe &recipe);

struct TiffRecipe
{
    int width = 0;
    int height = 0;
    uint16_t photometric = 2; // PHOTOMETRIC_RGB
    uint16_t bitsPerSample = 8;
    uint16_t samplesPerPixel = 3;
    uint16_t compression = 1; // COMPRESSION_NONE
    uint16_t predictor = 1;
    bool alpha = false;              // the last sample is unassociated alpha
    bool planes = false;             // each sample in a plane of its own
    uint16_t inkSet = 0;             // written when not 0
    uint16_t orientation = 0;        // written when not 0
    uint16_t sampleFormat = 1;       // SAMPLEFORMAT_UINT; 32-bit samples of other formats are written as zeros
    int tileSize = 0;                // 0: strips; else square tiles of this size (a multiple of 16)
    int rowsPerStrip = 0;            // 0: one strip
    std::vector<uint16_t> samples;   // width x height x samplesPerPixel
    std::vector<uint16_t> colourMap; // red, green, blue tables of 1 << bitsPerSample entries each
    int extraPages = 0;              // further pages of a different colour after the first
};
std::string MakeTiff(const TiffRecipe &recipe);

struct GifFrameRecipe
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices; // width x height
    std::vector<Rgba> localPalette;
    int transparent = -1;
    int disposal = 0;
    bool interlaced = false;
};
struct GifRecipe
{
    int width = 0;
    int height = 0;
    std::vector<Rgba> globalPalette;
    std::vector<GifFrameRecipe> frames;
};
std::string MakeGif(const GifRecipe &recipe);

struct JpegRecipe
{
    int width = 0;
    int height = 0;
    int components = 3;           // 1 grey, 3 RGB, 4 CMYK (stored inverted, as Adobe writes it)
    std::vector<uint8_t> samples; // width x height x components
    bool progressive = false;
    int quality = 95;
};
std::string MakeJpeg(const JpegRecipe &recipe);

struct BmpRecipe
{
    int width = 0;
    int height = 0;
    int bpp = 24;        // 1, 4, 8 (indices), 16 (5-5-5), 24, 32
    int compression = 0; // 0, 1 (RLE8), 2 (RLE4), 3 (bit fields, with 32 bits: alpha mask)
    int headerSize = 40; // 12, 40 or 124
    bool topDown = false;
    std::vector<Rgba> palette;
    std::vector<uint8_t> indices; // width x height, for bpp <= 8
    std::vector<Rgba> colours;    // width x height, for bpp > 8
};
std::string MakeBmp(const BmpRecipe &recipe);

// The first image of a GIF as giflib reads it, raw: colour table, indices, transparent index.
struct WrittenGif
{
    int width = 0;
    int height = 0;
    int imageCount = 0;
    std::vector<Rgba> colours;
    std::vector<uint8_t> indices;
    int transparent = -1;
};
bool ReadGifImage(const std::vector<uint8_t> &bytes, WrittenGif &out);

// Small pictures whose colours are PatternColour (GIF: the first 256 positions' colours).
std::string PatternPng(int width, int height);
std::string PatternBmp(int width, int height);
std::string PatternTiff(int width, int height);
std::string PatternGif(int width, int height);
// A JPEG of one colour; sample holds one pixel's components.
std::string SolidJpeg(int width, int height, int components, std::vector<uint8_t> sample, bool progressive = false);

// One valid file of each format and layout the decoders must survive damage to.
struct SeedFile
{
    const char *name;
    int type;
    std::string bytes;
};
std::vector<SeedFile> SeedFiles();

// The file with its header claiming width x height (BMP, GIF, JPEG, PNG, little-endian TIFF by type
// code); PNG chunk CRCs are recomputed so the lie passes the CRC check.
std::string WithDeclaredSize(const std::string &file, int type, uint32_t width, uint32_t height);
// Recomputes every chunk CRC of a PNG file.
void FixPngCrcs(std::string &png);

// Writes bytes to a file that is first removed: rewriting a file in place makes some file systems
// flush it on close, which costs milliseconds per write in loops over thousands of files.
bool WriteFresh(const std::string &pathUtf8, const std::string &bytes);

// A noisy, smooth-and-edged 24-bit picture like a photo.
std::vector<uint8_t> PhotoLikeRgb(int width, int height, uint32_t seed);

template <typename Expected> std::string FirstMismatch(const Raster &raster, Expected expected, int tolerance)
{
    for (int y = 0; y < raster.height; ++y)
        for (int x = 0; x < raster.width; ++x)
        {
            Rgba got = PixelAt(raster, x, y);
            Rgba want = expected(x, y);
            if (got.a == 0 && want.a == 0)
                continue; // the colour of a fully transparent pixel does not show
            auto off = [&](int a, int b) { return a - b > tolerance || b - a > tolerance; };
            if (off(got.r, want.r) || off(got.g, want.g) || off(got.b, want.b) || off(got.a, want.a))
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): got " + ToString(got) + ", want " +
                       ToString(want);
        }
    return std::string();
}
