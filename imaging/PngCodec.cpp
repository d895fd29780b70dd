// PNG decoding from memory with libpng; errors come back through longjmp, warnings are dropped.
#include "imaging/PngCodec.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/PixelOps.h"

namespace
{
// Reader state shared with libpng's callbacks; plain data only, as it lives across longjmp.
struct PngSource
{
    const uint8_t *data;
    size_t size;
    size_t position;
    char message[256];
};

void OnPngError(png_structp png, png_const_charp message)
{
    PngSource *source = static_cast<PngSource *>(png_get_error_ptr(png));
    if (source && source->message[0] == '\0')
        std::snprintf(source->message, sizeof source->message, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp)
{
}

void ReadPngBytes(png_structp png, png_bytep target, size_t length)
{
    PngSource *source = static_cast<PngSource *>(png_get_io_ptr(png));
    if (length > source->size - source->position)
        png_error(png, "the file is truncated");
    std::memcpy(target, source->data + source->position, length);
    source->position += length;
}

// What the header says, and the row layout after the transformations chosen for it.
struct PngLayout
{
    png_uint_32 width;
    png_uint_32 height;
    int colourType;     // after transformations
    int bitDepth;       // after transformations
    int fileColourType; // as stored
    int fileBitDepth;   // as stored
    size_t rowBytes;
};

// Reads the header. No C++ object with a destructor lives in this frame: libpng leaves it by longjmp.
bool ReadPngHeader(png_structp png, png_infop info, PngLayout *layout)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    layout->width = png_get_image_width(png, info);
    layout->height = png_get_image_height(png, info);
    layout->fileColourType = png_get_color_type(png, info);
    layout->fileBitDepth = png_get_bit_depth(png, info);
    return true;
}

// Sets up the transformations; libpng allocates its row buffers here, so the size has been checked.
bool StartPngRows(png_structp png, png_infop info, PngLayout *layout)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (layout->fileBitDepth == 16)
    {
        // tRNS of 16-bit pictures is matched at 16 bits, before the samples are scaled.
        if (hasTrns)
            png_set_tRNS_to_alpha(png);
        png_set_scale_16(png);
    }
    else if (layout->fileColourType == PNG_COLOR_TYPE_RGB && hasTrns)
        png_set_tRNS_to_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    layout->colourType = png_get_color_type(png, info);
    layout->bitDepth = png_get_bit_depth(png, info);
    layout->rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool ReadPngRows(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

// Owns libpng's structures for one decode.
class PngReader
{
  public:
    explicit PngReader(PngSource *source)
    {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, source, OnPngError, OnPngWarning);
        if (m_png)
            m_info = png_create_info_struct(m_png);
        if (m_info)
        {
            png_set_read_fn(m_png, source, ReadPngBytes);
            // Sizes beyond the pixel budget are refused by the caller; libpng's own limit must not say
            // it first with a less clear message.
            png_set_user_limits(m_png, 0x7fffffff, 0x7fffffff);
        }
    }
    ~PngReader()
    {
        if (m_png)
            png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
    }
    PngReader(const PngReader &) = delete;
    PngReader &operator=(const PngReader &) = delete;

    bool Ready() const
    {
        return m_png && m_info;
    }
    png_structp Png() const
    {
        return m_png;
    }
    png_infop Info() const
    {
        return m_info;
    }

  private:
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

std::string PngMessage(const PngSource &source)
{
    return NoteMemoryFailure(std::string("PNG: ") + (source.message[0] ? source.message : "the data is corrupt"));
}

// Converts the decoded rows into the raster, per colour type.
void FillRaster(png_structp png, png_infop info, const PngLayout &layout, const std::vector<uint8_t> &decoded,
                Raster &out)
{
    int width = static_cast<int>(layout.width);
    int height = static_cast<int>(layout.height);
    auto row = [&](int y) { return decoded.data() + static_cast<size_t>(y) * layout.rowBytes; };

    if (layout.colourType == PNG_COLOR_TYPE_PALETTE || layout.colourType == PNG_COLOR_TYPE_GRAY)
    {
        int fileBits = layout.bitDepth;
        int bpp = fileBits == 2 ? 4 : fileBits;
        InitRaster(out, width, height, bpp);
        for (int y = 0; y < height; ++y)
        {
            if (fileBits == 2)
                Widen2To4(row(y), out.Row(y), width);
            else
                std::memcpy(out.Row(y), row(y), out.stride);
        }
        png_bytep transAlpha = nullptr;
        int transCount = 0;
        png_color_16p transColour = nullptr;
        bool hasTrns = png_get_tRNS(png, info, &transAlpha, &transCount, &transColour) != 0;
        if (layout.colourType == PNG_COLOR_TYPE_PALETTE)
        {
            png_colorp colours = nullptr;
            int count = 0;
            png_get_PLTE(png, info, &colours, &count);
            for (int i = 0; i < count; ++i)
                out.palette.push_back(PaletteEntry{colours[i].red, colours[i].green, colours[i].blue});
        }
        else
            out.palette = GreyPalette(1 << fileBits);
        PadPalette(out);
        if (hasTrns)
        {
            out.alpha.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 255);
            for (int y = 0; y < height; ++y)
            {
                uint8_t *alpha = out.alpha.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
                for (int x = 0; x < width; ++x)
                {
                    uint8_t index = GetIndex(row(y), x, fileBits);
                    if (layout.colourType == PNG_COLOR_TYPE_PALETTE)
                        alpha[x] = (transAlpha && index < transCount) ? transAlpha[index] : 255;
                    else if (transColour && index == transColour->gray)
                        alpha[x] = 0;
                }
            }
            DropOpaqueAlpha(out);
        }
        return;
    }

    bool hasAlpha = (layout.colourType & PNG_COLOR_MASK_ALPHA) != 0;
    bool colour = (layout.colourType & PNG_COLOR_MASK_COLOR) != 0;
    int channels = (colour ? 3 : 1) + (hasAlpha ? 1 : 0);
    InitRaster(out, width, height, colour ? 24 : 8);
    if (!colour)
        out.palette = GreyPalette(256);
    if (hasAlpha)
        out.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
    {
        const uint8_t *source = row(y);
        uint8_t *target = out.Row(y);
        uint8_t *alpha = hasAlpha ? out.alpha.data() + static_cast<size_t>(y) * static_cast<size_t>(width) : nullptr;
        for (int x = 0; x < width; ++x)
        {
            const uint8_t *pixel = source + static_cast<size_t>(x) * static_cast<size_t>(channels);
            if (colour)
            {
                target[3 * x] = pixel[0];
                target[3 * x + 1] = pixel[1];
                target[3 * x + 2] = pixel[2];
            }
            else
                target[x] = pixel[0];
            if (alpha)
                alpha[x] = pixel[channels - 1];
        }
    }
    DropOpaqueAlpha(out);
}
} // namespace

bool DecodePng(const uint8_t *data, size_t size, Raster &out, std::string &error)
{
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0)
    {
        error = size < 8 && data && size > 0 && png_sig_cmp(data, 0, size) == 0 ? "PNG: the file is truncated"
                                                                                : "PNG: not a PNG file";
        return false;
    }
    PngSource source{data, size, 0, {0}};
    PngReader reader(&source);
    if (!reader.Ready())
    {
        error = "PNG: cannot set up the decoder";
        return false;
    }
    PngLayout layout{};
    if (!ReadPngHeader(reader.Png(), reader.Info(), &layout))
    {
        error = PngMessage(source);
        return false;
    }
    if (!CheckPixelBudget(layout.width, layout.height, "PNG header", error))
        return false;
    int fileChannels = layout.fileColourType == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                       : layout.fileColourType == PNG_COLOR_TYPE_RGB        ? 3
                       : layout.fileColourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                            : 1;
    uint64_t fileRowBytes = (static_cast<uint64_t>(layout.width) * fileChannels * layout.fileBitDepth + 7) / 8 + 1;
    if (!CheckDataPlausible(fileRowBytes * layout.height, size, kDeflateMaxRatio, layout.width, layout.height, "PNG",
                            error))
        return false;
    if (!StartPngRows(reader.Png(), reader.Info(), &layout))
    {
        error = PngMessage(source);
        return false;
    }
    bool knownLayout = layout.bitDepth <= 8 && (layout.colourType == PNG_COLOR_TYPE_PALETTE ||
                                                layout.colourType == PNG_COLOR_TYPE_GRAY || layout.bitDepth == 8);
    if (!knownLayout)
    {
        error = "PNG: unsupported layout (colour type " + std::to_string(layout.colourType) + ", " +
                std::to_string(layout.bitDepth) + " bits)";
        return false;
    }
    std::vector<uint8_t> decoded(layout.rowBytes * layout.height);
    std::vector<png_bytep> rows(layout.height);
    for (png_uint_32 y = 0; y < layout.height; ++y)
        rows[y] = decoded.data() + static_cast<size_t>(y) * layout.rowBytes;
    if (!ReadPngRows(reader.Png(), reader.Info(), rows.data()))
    {
        error = PngMessage(source);
        return false;
    }
    FillRaster(reader.Png(), reader.Info(), layout, decoded, out);
    return true;
}
