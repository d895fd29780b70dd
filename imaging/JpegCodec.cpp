// JPEG decoding and encoding over libjpeg, with an error manager that longjmps and prints nothing.
#include "imaging/JpegCodec.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imaging/PixelOps.h"
#include "imaging/Resample.h"

#include <jpeglib.h>

// After jpeglib.h, which it depends on.
#include <jerror.h>

namespace
{

// Rows handed to libjpeg per call.
constexpr int kBandRows = 16;
// Progressive files with more scans than this are hostile: each scan costs a pass over the picture.
constexpr int kMaxScans = 1000;
// Memory libjpeg may take for whole-picture coefficient buffers (multi-scan files): enough for a
// full-size 4:4:4 picture of the pixel budget, so a hostile header fails instead of exhausting memory.
constexpr long kMaxDecoderMemory = static_cast<long>(6 * kMaxImagePixels);
// Pixel memory reserved before the first row is decoded; beyond it the buffer grows as rows arrive, so
// a header that promises more than the data holds cannot make us allocate the whole picture.
constexpr size_t kInitialReserveBytes = 4u << 20;
constexpr size_t kReserveBytesPerInputByte = 64;
// msg_code of failures raised by this file rather than by libjpeg.
constexpr int kOwnMessage = -1;

// libjpeg's error manager, extended. libjpeg holds a pointer to pub, the first member.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool reading;   // scanlines are being read: output_scanline shows how far the data reached
    bool eofSeen;   // the data ended and libjpeg went on with an inserted end marker
    bool truncated; // the data ended before the picture was complete
    int code;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr cinfo, int code, const char *text)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    err->code = code;
    std::snprintf(err->message, sizeof err->message, "%s", text);
    std::longjmp(err->jump, 1);
}

void OnError(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    err->code = err->pub.msg_code;
    (*err->pub.format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// True while more than the last two iMCU rows are still to be output: rows of those may legitimately be
// pending when the data ends.
bool BeforeLastRows(j_decompress_ptr cinfo)
{
#if JPEG_LIB_VERSION >= 70
    const unsigned imcuRows = cinfo->max_v_samp_factor * cinfo->min_DCT_v_scaled_size;
#else
    const unsigned imcuRows = cinfo->max_v_samp_factor * cinfo->min_DCT_scaled_size;
#endif
    return cinfo->output_scanline + 2 * imcuRows < cinfo->output_height;
}

// Warnings never print. Data that ends before the picture is complete is fatal: libjpeg would go on
// with grey rows for as many as the header promises. A file that lacks only its end marker still
// decodes. Damage inside the data (bad codes, a marker within a restart interval) stays a warning.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    ++err->pub.num_warnings;
    if (!cinfo->is_decompressor)
        return;
    auto *dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    const int code = err->pub.msg_code;
    if (code == JWRN_JPEG_EOF)
    {
        // Outside the scanline loop this may be only the missing end marker after the last scan; a
        // header cut short fails in libjpeg right after.
        err->eofSeen = true;
        err->truncated = err->reading && BeforeLastRows(dinfo);
    }
    else if (code == JWRN_HIT_MARKER && (err->eofSeen || dinfo->unread_marker == JPEG_EOI))
    {
        // The Huffman decoder needed bits beyond the end of the data.
        err->truncated = !err->reading || BeforeLastRows(dinfo);
    }
    if (err->truncated)
        Fail(cinfo, JWRN_JPEG_EOF, "the data ends before the picture is complete");
}

void OnOutput(j_common_ptr)
{
}

void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        Fail(cinfo, kOwnMessage, "corrupt JPEG file: more than 1000 scans");
}

// Resets the error manager and returns what a libjpeg object's `err` points to.
jpeg_error_mgr *InitErrorManager(ErrorManager &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.pub.output_message = OnOutput;
    err.reading = false;
    err.eofSeen = false;
    err.truncated = false;
    err.code = 0;
    err.message[0] = '\0';
    return &err.pub;
}

std::string DescribeDecodeFailure(const ErrorManager &err)
{
    if (err.code == kOwnMessage)
        return err.message;
    if (err.truncated || err.eofSeen)
        return "truncated JPEG file: the data ends before the picture is complete";
    // The decoder's own limit on its buffers is met as a want of backing store; a failed allocation as
    // running out of memory.
    if (err.code == JERR_NO_BACKING_STORE)
        return "the JPEG picture needs more memory than the decoder allows";
    if (err.code == JERR_OUT_OF_MEMORY)
        return "not enough memory for the JPEG decoder";
    return std::string("corrupt JPEG file: ") + err.message;
}

// What DecodeJpeg works on. The objects it points to live in DecodeJpeg's frame, outside the setjmp
// frame, so a longjmp skips no destructor.
struct DecodeJob
{
    const uint8_t *data;
    size_t size;
    int minWidth;
    int minHeight;
    Raster *raster;
    std::vector<uint8_t> *scratch; // CMYK rows before conversion
    std::string *detail;           // message of a failure found outside libjpeg
    size_t fullBytes;
};

// The smallest power-of-two scale that still leaves at least minWidth x minHeight, or full size.
void ChooseScale(j_decompress_ptr cinfo, int minWidth, int minHeight)
{
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    if (minWidth > 0 && minHeight > 0)
    {
        for (unsigned denom = 8; denom >= 2; denom /= 2)
        {
            cinfo->scale_denom = denom;
            jpeg_calc_output_dimensions(cinfo);
            if (cinfo->output_width >= static_cast<JDIMENSION>(minWidth) &&
                cinfo->output_height >= static_cast<JDIMENSION>(minHeight))
                break;
            cinfo->scale_denom = 1;
        }
    }
    jpeg_calc_output_dimensions(cinfo);
}

bool PrepareRaster(DecodeJob &job, int width, int height, bool grey, bool cmyk)
{
    Raster &raster = *job.raster;
    raster.width = width;
    raster.height = height;
    raster.bpp = grey ? 8 : 24;
    raster.stride = static_cast<size_t>(width) * (grey ? 1 : 3);
    job.fullBytes = raster.stride * static_cast<size_t>(height);
    try
    {
        if (grey)
        {
            raster.palette.resize(256);
            for (int i = 0; i < 256; ++i)
                raster.palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
        }
        const size_t plausible = std::max(kInitialReserveBytes, job.size * kReserveBytesPerInputByte);
        raster.pixels.reserve(std::min(job.fullBytes, plausible));
        if (cmyk)
            job.scratch->resize(static_cast<size_t>(width) * 4 * kBandRows);
    }
    catch (const std::bad_alloc &)
    {
        *job.detail = "not enough memory for a JPEG picture of " + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels";
        return false;
    }
    return true;
}

// Makes room for the first `rows` rows; the buffer grows geometrically up to the full picture.
bool GrowRows(DecodeJob &job, size_t rows)
{
    std::vector<uint8_t> &pixels = job.raster->pixels;
    const size_t needed = rows * job.raster->stride;
    if (needed <= pixels.size())
        return true;
    try
    {
        if (needed > pixels.capacity())
            pixels.reserve(std::min(job.fullBytes, std::max(needed, pixels.capacity() * 2)));
        pixels.resize(needed);
    }
    catch (const std::bad_alloc &)
    {
        *job.detail = "not enough memory for a JPEG picture of " + std::to_string(job.raster->width) + " x " +
                      std::to_string(job.raster->height) + " pixels";
        return false;
    }
    return true;
}

// A file of several scans is decoded through coefficient buffers for the whole picture at full size,
// whatever the output scale. Refuses, before libjpeg allocates them, buffers beyond kMaxDecoderMemory
// (computed here in 64 bits: libjpeg's own sum can wrap in a 32-bit process).
void CheckCoefficientMemory(j_decompress_ptr cinfo)
{
    uint64_t bytes = 0;
    for (int c = 0; c < cinfo->num_components; ++c)
    {
        const jpeg_component_info &component = cinfo->comp_info[c];
        const uint64_t h = static_cast<unsigned>(component.h_samp_factor);
        const uint64_t v = static_cast<unsigned>(component.v_samp_factor);
        const uint64_t blocksWide = (component.width_in_blocks + h - 1) / h * h;
        const uint64_t blocksHigh = (component.height_in_blocks + v - 1) / v * v;
        bytes += blocksWide * blocksHigh * sizeof(JBLOCK);
    }
    if (bytes > static_cast<uint64_t>(kMaxDecoderMemory))
    {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the JPEG picture needs more memory than the decoder allows (%u x %u pixels in several scans "
                      "need %llu MB; the limit is %ld MB)",
                      cinfo->image_width, cinfo->image_height, static_cast<unsigned long long>(bytes >> 20),
                      kMaxDecoderMemory >> 20);
        Fail(reinterpret_cast<j_common_ptr>(cinfo), kOwnMessage, text);
    }
}

// Creates the decompressor over the bytes, with the memory limit and the progress watch, and reads the
// header. Called after setjmp: a failure jumps there.
void StartDecoder(j_decompress_ptr cinfo, jpeg_progress_mgr *progress, const uint8_t *data, size_t size)
{
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kMaxDecoderMemory;
    std::memset(progress, 0, sizeof *progress);
    progress->progress_monitor = OnProgress;
    cinfo->progress = progress;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
}

// Holds only trivially destructible objects between setjmp and the last libjpeg call.
bool RunDecode(DecodeJob &job, ErrorManager &err)
{
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    cinfo.err = InitErrorManager(err);
    if (setjmp(err.jump))
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    StartDecoder(&cinfo, &progress, job.data, job.size);

    bool grey = false;
    bool cmyk = false;
    switch (cinfo.jpeg_color_space)
    {
    case JCS_GRAYSCALE:
        grey = true;
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cmyk = true;
        cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        Fail(reinterpret_cast<j_common_ptr>(&cinfo), kOwnMessage,
             "unsupported JPEG colour space (neither grey, RGB nor CMYK)");
    }
    ChooseScale(&cinfo, job.minWidth, job.minHeight);
    if (jpeg_has_multiple_scans(&cinfo))
        CheckCoefficientMemory(&cinfo);
    const auto width = static_cast<int>(cinfo.output_width);
    const auto height = static_cast<int>(cinfo.output_height);
    if (!CheckPixelBudget(cinfo.output_width, cinfo.output_height, "JPEG", *job.detail) ||
        !PrepareRaster(job, width, height, grey, cmyk))
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool inverted = cinfo.saw_Adobe_marker;

    jpeg_start_decompress(&cinfo);
    err.reading = true;
    while (cinfo.output_scanline < cinfo.output_height)
    {
        const JDIMENSION first = cinfo.output_scanline;
        const auto rows = static_cast<int>(std::min<JDIMENSION>(kBandRows, cinfo.output_height - first));
        if (!GrowRows(job, first + static_cast<size_t>(rows)))
        {
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        JSAMPROW rowPointers[kBandRows];
        for (int r = 0; r < rows; ++r)
            rowPointers[r] = cmyk ? job.scratch->data() + static_cast<size_t>(r) * width * 4
                                  : job.raster->Row(static_cast<int>(first) + r);
        const JDIMENSION read = jpeg_read_scanlines(&cinfo, rowPointers, static_cast<JDIMENSION>(rows));
        if (read == 0)
            Fail(reinterpret_cast<j_common_ptr>(&cinfo), kOwnMessage, "the JPEG decoder made no progress");
        if (cmyk)
        {
            for (JDIMENSION r = 0; r < read; ++r)
                CmykToRgb(rowPointers[r], job.raster->Row(static_cast<int>(first + r)), static_cast<size_t>(width),
                          inverted);
        }
    }
    // The picture is complete: whatever follows it (end marker, trailing bytes) is not read.
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// What EncodeJpeg works on; see DecodeJob.
struct EncodeJob
{
    const Raster *picture;
    int quality;
    const PaletteEntry *palette; // 256 entries for palette pictures
    uint8_t *rows;               // kBandRows converted rows
    unsigned char *output;       // libjpeg's buffer, malloc'ed; the caller frees it
    unsigned long outputSize;
};

// One row as R, G, B: palette indices expanded, alpha composed over white.
void ConvertRow(const EncodeJob &job, int y, uint8_t *rgb)
{
    const Raster &picture = *job.picture;
    const uint8_t *src = picture.Row(y);
    const size_t width = static_cast<size_t>(picture.width);
    if (picture.bpp == 24)
    {
        std::memcpy(rgb, src, width * 3);
    }
    else
    {
        const int bpp = picture.bpp;
        const int perByte = 8 / bpp;
        const unsigned mask = (1u << bpp) - 1;
        for (size_t x = 0; x < width; ++x)
        {
            const int shift = 8 - bpp * (static_cast<int>(x % perByte) + 1);
            const PaletteEntry &entry = job.palette[(src[x / perByte] >> shift) & mask];
            rgb[3 * x] = entry.r;
            rgb[3 * x + 1] = entry.g;
            rgb[3 * x + 2] = entry.b;
        }
    }
    if (picture.HasAlpha())
    {
        const uint8_t *alpha = picture.alpha.data() + static_cast<size_t>(y) * width;
        for (size_t i = 0; i < width * 3; ++i)
        {
            const unsigned a = alpha[i / 3];
            rgb[i] = static_cast<uint8_t>((rgb[i] * a + 255 * (255 - a) + 127) / 255);
        }
    }
}

// Baseline, the IJG tables scaled for quality, optimised Huffman tables, Y at full resolution and Cb, Cr at
// half in both directions.
void SetEncoding(j_compress_ptr cinfo, int width, int height, J_COLOR_SPACE input, int quality)
{
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
    cinfo->input_components = 3;
    cinfo->in_color_space = input;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    cinfo->optimize_coding = TRUE;
    cinfo->comp_info[0].h_samp_factor = 2;
    cinfo->comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c)
    {
        cinfo->comp_info[c].h_samp_factor = 1;
        cinfo->comp_info[c].v_samp_factor = 1;
    }
}

bool RunEncode(EncodeJob &job, ErrorManager &err)
{
    jpeg_compress_struct cinfo;
    cinfo.err = InitErrorManager(err);
    if (setjmp(err.jump))
    {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.output, &job.outputSize);
    const Raster &picture = *job.picture;
    SetEncoding(&cinfo, picture.width, picture.height, JCS_RGB, job.quality);
    jpeg_start_compress(&cinfo, TRUE);

    const bool direct = picture.bpp == 24 && !picture.HasAlpha();
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    while (cinfo.next_scanline < cinfo.image_height)
    {
        const JDIMENSION first = cinfo.next_scanline;
        const auto rows = static_cast<int>(std::min<JDIMENSION>(kBandRows, cinfo.image_height - first));
        JSAMPROW rowPointers[kBandRows];
        for (int r = 0; r < rows; ++r)
        {
            const int y = static_cast<int>(first) + r;
            if (direct)
            {
                // libjpeg reads the rows and never writes them.
                rowPointers[r] = const_cast<JSAMPROW>(picture.Row(y));
            }
            else
            {
                rowPointers[r] = job.rows + static_cast<size_t>(r) * rowBytes;
                ConvertRow(job, y, rowPointers[r]);
            }
        }
        jpeg_write_scanlines(&cinfo, rowPointers, static_cast<JDIMENSION>(rows));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool CheckEncodable(const Raster &picture, int quality, std::string &error)
{
    if (quality < 1 || quality > 100)
    {
        error = "JPEG quality " + std::to_string(quality) + " is outside 1 to 100";
        return false;
    }
    if (picture.width <= 0 || picture.height <= 0 || picture.width > JPEG_MAX_DIMENSION ||
        picture.height > JPEG_MAX_DIMENSION)
    {
        error = "a JPEG cannot hold a picture of " + std::to_string(picture.width) + " x " +
                std::to_string(picture.height) + " pixels";
        return false;
    }
    if (picture.bpp != 1 && picture.bpp != 4 && picture.bpp != 8 && picture.bpp != 24)
    {
        error = "cannot write " + std::to_string(picture.bpp) + " bits per pixel as JPEG";
        return false;
    }
    const size_t rowBytes = (static_cast<size_t>(picture.width) * static_cast<size_t>(picture.bpp) + 7) / 8;
    if (picture.stride < rowBytes ||
        picture.pixels.size() < picture.stride * static_cast<size_t>(picture.height - 1) + rowBytes)
    {
        error = "the picture's pixel buffer is smaller than its size";
        return false;
    }
    if (picture.HasAlpha() &&
        picture.alpha.size() < static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height))
    {
        error = "the picture's alpha plane is smaller than its size";
        return false;
    }
    return true;
}

// 256 colours for the indices of a palette picture: its palette, black beyond its end, or a grey ramp
// over the index range when it has none.
std::vector<PaletteEntry> ExpandedPalette(const Raster &picture)
{
    std::vector<PaletteEntry> colours(256);
    const int levels = 1 << picture.bpp;
    for (int i = 0; i < levels; ++i)
    {
        if (picture.palette.empty())
        {
            const auto grey = static_cast<uint8_t>(i * 255 / (levels - 1));
            colours[i] = {grey, grey, grey};
        }
        else if (static_cast<size_t>(i) < picture.palette.size())
        {
            colours[i] = picture.palette[i];
        }
    }
    return colours;
}

// One component's samples inside the resize buffer: width x height real samples, the rest of `rows` rows
// of `stride` bytes padding that the codec reads or writes as whole blocks.
struct PlaneLayout
{
    size_t offset = 0;
    size_t stride = 0;
    int rows = 0;
    int width = 0;
    int height = 0;
    int bandRows = 0; // rows of this component in one libjpeg call
    int unitsX = 1;   // samples of this component across one MCU: sampling factor x (scaled) block size
    int unitsY = 1;
};

// What ResizeJpeg works on; see DecodeJob.
struct ResizeJob
{
    const uint8_t *data;
    size_t size;
    int width;
    int height;
    int quality;
    std::vector<uint8_t> *work; // the decoded planes, then the resized ones
    std::string *detail;
    PlaneLayout source[3];
    PlaneLayout target[3];
    int decodedWidth; // the picture's size at the chosen scale
    int decodedHeight;
    int maxUnitsX; // the units of a component at the picture's full resolution
    int maxUnitsY;
    unsigned char *output; // libjpeg's buffer, malloc'ed; the caller frees it
    unsigned long outputSize;
};

size_t RoundUp(size_t value, size_t step)
{
    return (value + step - 1) / step * step;
}

// Rows of one component in one raw libjpeg call: at most 4 blocks of at most 8 rows.
constexpr int kMaxBandRows = 32;

// Lays out the decoded planes (as libjpeg's raw output fills them, whole blocks) and the resized planes
// (Y at the picture's size, Cb and Cr at half, rounded up, padded to whole 16 x 16 and 8 x 8 blocks).
bool PrepareResizeBuffers(j_decompress_ptr cinfo, ResizeJob &job)
{
    size_t total = 0;
    for (int c = 0; c < 3; ++c)
    {
        const jpeg_component_info &component = cinfo->comp_info[c];
#if JPEG_LIB_VERSION >= 70
        const int scaled = component.DCT_v_scaled_size;
        const int scaledWidth = component.DCT_h_scaled_size;
#else
        const int scaled = component.DCT_scaled_size;
        const int scaledWidth = component.DCT_scaled_size;
#endif
        PlaneLayout &plane = job.source[c];
        plane.offset = total;
        plane.stride = static_cast<size_t>(component.width_in_blocks) * static_cast<size_t>(scaledWidth);
        plane.bandRows = component.v_samp_factor * scaled;
        plane.rows = static_cast<int>(cinfo->total_iMCU_rows) * plane.bandRows;
        plane.width = static_cast<int>(component.downsampled_width);
        plane.height = static_cast<int>(component.downsampled_height);
        plane.unitsX = component.h_samp_factor * scaledWidth;
        plane.unitsY = component.v_samp_factor * scaled;
        if (plane.bandRows > kMaxBandRows)
        {
            *job.detail = "unsupported JPEG sampling factors";
            return false;
        }
        total += plane.stride * static_cast<size_t>(plane.rows);
    }
#if JPEG_LIB_VERSION >= 70
    job.maxUnitsX = cinfo->max_h_samp_factor * cinfo->min_DCT_h_scaled_size;
    job.maxUnitsY = cinfo->max_v_samp_factor * cinfo->min_DCT_v_scaled_size;
#else
    job.maxUnitsX = cinfo->max_h_samp_factor * cinfo->min_DCT_scaled_size;
    job.maxUnitsY = cinfo->max_v_samp_factor * cinfo->min_DCT_scaled_size;
#endif
    job.decodedWidth = static_cast<int>(cinfo->output_width);
    job.decodedHeight = static_cast<int>(cinfo->output_height);
    for (int c = 0; c < 3; ++c)
    {
        const size_t block = c == 0 ? 16 : 8;
        PlaneLayout &plane = job.target[c];
        plane.width = c == 0 ? job.width : (job.width + 1) / 2;
        plane.height = c == 0 ? job.height : (job.height + 1) / 2;
        plane.offset = total;
        plane.stride = RoundUp(static_cast<size_t>(plane.width), block);
        plane.rows = static_cast<int>(RoundUp(static_cast<size_t>(job.height), 16) / (16 / block));
        plane.bandRows = static_cast<int>(block);
        plane.unitsX = plane.unitsY = c == 0 ? 2 : 1;
        total += plane.stride * static_cast<size_t>(plane.rows);
    }
    try
    {
        job.work->resize(total);
    }
    catch (const std::bad_alloc &)
    {
        *job.detail = "not enough memory to resize a JPEG picture to " + std::to_string(job.width) + " x " +
                      std::to_string(job.height) + " pixels";
        return false;
    }
    return true;
}

// Points the rows of one raw libjpeg call at band `band` of the three planes laid out in `samples`.
void PointAtBand(uint8_t *samples, const PlaneLayout (&layout)[3], size_t band, JSAMPROW (&rows)[3][kMaxBandRows],
                 JSAMPARRAY (&planes)[3])
{
    for (int c = 0; c < 3; ++c)
    {
        const PlaneLayout &plane = layout[c];
        uint8_t *first = samples + plane.offset + band * static_cast<size_t>(plane.bandRows) * plane.stride;
        for (int r = 0; r < plane.bandRows; ++r)
            rows[c][r] = first + static_cast<size_t>(r) * plane.stride;
        planes[c] = rows[c];
    }
}

// Decodes the Y, Cb and Cr planes as they are stored, at the chosen scale. Holds only trivially
// destructible objects between setjmp and the last libjpeg call.
bool RunResizeDecode(ResizeJob &job, ErrorManager &err)
{
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    cinfo.err = InitErrorManager(err);
    if (setjmp(err.jump))
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    StartDecoder(&cinfo, &progress, job.data, job.size);
    if (cinfo.jpeg_color_space != JCS_YCbCr || cinfo.num_components != 3)
    {
        *job.detail = "the JPEG picture is not in YCbCr colour";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    ChooseScale(&cinfo, job.width, job.height);
    if (jpeg_has_multiple_scans(&cinfo))
        CheckCoefficientMemory(&cinfo);
    if (!CheckPixelBudget(cinfo.output_width, cinfo.output_height, "JPEG", *job.detail))
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.raw_data_out = TRUE;
    jpeg_start_decompress(&cinfo);
    if (!PrepareResizeBuffers(&cinfo, job))
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    err.reading = true;
#if JPEG_LIB_VERSION >= 70
    const auto lines = static_cast<JDIMENSION>(cinfo.max_v_samp_factor * cinfo.min_DCT_v_scaled_size);
#else
    const auto lines = static_cast<JDIMENSION>(cinfo.max_v_samp_factor * cinfo.min_DCT_scaled_size);
#endif
    for (JDIMENSION band = 0; cinfo.output_scanline < cinfo.output_height; ++band)
    {
        JSAMPROW rowPointers[3][kMaxBandRows];
        JSAMPARRAY planes[3];
        PointAtBand(job.work->data(), job.source, band, rowPointers, planes);
        if (jpeg_read_raw_data(&cinfo, planes, lines) == 0)
            Fail(reinterpret_cast<j_common_ptr>(&cinfo), kOwnMessage, "the JPEG decoder made no progress");
    }
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// One axis of a component's plane resized, the picture going from `decoded` pixels to `size`. A source
// sample covers maxUnits / from decoded pixels, and a target sample 2 / to target pixels (the target has
// units 2 for Y and 1 for Cb, Cr). So a target sample spans (2 / to) * (decoded / size) * (from / maxUnits)
// source samples, and the source's samples reach decoded * from / maxUnits of them: a subsampled plane of
// a picture of odd size ends inside its last sample.
ResampleAxis ResizeAxis(int decoded, int size, int from, int maxUnits, int to)
{
    const int64_t den = static_cast<int64_t>(size) * maxUnits * to;
    return {int64_t{2} * decoded * from, den, static_cast<int64_t>(decoded) * from * size * to};
}

// Copies the last real column and row of a resized plane into its padding, as libjpeg pads pictures
// it is given as whole rows.
void PadPlane(uint8_t *samples, const PlaneLayout &plane)
{
    for (int y = 0; y < plane.height; ++y)
    {
        uint8_t *row = samples + static_cast<size_t>(y) * plane.stride;
        std::memset(row + plane.width, row[plane.width - 1], plane.stride - static_cast<size_t>(plane.width));
    }
    const uint8_t *last = samples + static_cast<size_t>(plane.height - 1) * plane.stride;
    for (int y = plane.height; y < plane.rows; ++y)
        std::memcpy(samples + static_cast<size_t>(y) * plane.stride, last, plane.stride);
}

// Encodes the resized planes as they are, without colour conversion or downsampling. Holds only
// trivially destructible objects between setjmp and the last libjpeg call.
bool RunResizeEncode(ResizeJob &job, ErrorManager &err)
{
    jpeg_compress_struct cinfo;
    cinfo.err = InitErrorManager(err);
    if (setjmp(err.jump))
    {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.output, &job.outputSize);
    SetEncoding(&cinfo, job.width, job.height, JCS_YCbCr, job.quality);
    cinfo.raw_data_in = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    for (int band = 0; cinfo.next_scanline < cinfo.image_height; ++band)
    {
        JSAMPROW rowPointers[3][kMaxBandRows];
        JSAMPARRAY planes[3];
        PointAtBand(job.work->data(), job.target, static_cast<size_t>(band), rowPointers, planes);
        jpeg_write_raw_data(&cinfo, planes, 16);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// Starts with the JPEG marker and fits libjpeg's memory source.
bool CheckJpegBytes(const uint8_t *data, size_t size, std::string &error)
{
    if (data == nullptr || size < 2 || data[0] != 0xFF || data[1] != 0xD8)
    {
        error = "not a JPEG file (it does not start with the JPEG marker FF D8)";
        return false;
    }
    if constexpr (sizeof(size_t) > sizeof(unsigned long))
    {
        if (size > ULONG_MAX)
        {
            error = "the JPEG file is too large to decode";
            return false;
        }
    }
    return true;
}

// Frees libjpeg's output buffer after moving a finished encoding into `out`; `out` stays as it was on failure.
bool TakeEncoderOutput(bool encoded, unsigned char *buffer, unsigned long size, const ErrorManager &err,
                       std::vector<uint8_t> &out, std::string &error)
{
    bool taken = false;
    if (!encoded)
    {
        error = std::string("JPEG encoder: ") + err.message;
    }
    else
    {
        try
        {
            std::vector<uint8_t> bytes(buffer, buffer + size);
            out = std::move(bytes);
            taken = true;
        }
        catch (const std::bad_alloc &)
        {
            error = "not enough memory to encode a JPEG";
        }
    }
    std::free(buffer);
    return taken;
}

} // namespace

bool DecodeJpeg(const uint8_t *data, size_t size, int minWidth, int minHeight, Raster &out, std::string &error)
{
    if (data == nullptr || size == 0)
    {
        error = "empty file: no JPEG data";
        return false;
    }
    if (!CheckJpegBytes(data, size, error))
        return false;
    Raster raster;
    std::vector<uint8_t> scratch;
    std::string detail;
    DecodeJob job{data, size, minWidth, minHeight, &raster, &scratch, &detail, 0};
    ErrorManager err;
    if (!RunDecode(job, err))
    {
        error = detail.empty() ? DescribeDecodeFailure(err) : detail;
        return false;
    }
    out = std::move(raster);
    return true;
}

bool ResizeJpeg(const uint8_t *data, size_t size, int width, int height, int quality, std::vector<uint8_t> &out,
                std::vector<uint8_t> &work, std::string &error)
{
    if (quality < 1 || quality > 100)
    {
        error = "JPEG quality " + std::to_string(quality) + " is outside 1 to 100";
        return false;
    }
    if (!CheckPixelBudget(width, height, "JPEG resize", error))
        return false;
    if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
    {
        error = "a JPEG cannot hold a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    if (!CheckJpegBytes(data, size, error))
        return false;
    std::string detail;
    ResizeJob job{data, size, width, height, quality, &work, &detail, {}, {}, 0, 0, 1, 1, nullptr, 0};
    ErrorManager err;
    if (!RunResizeDecode(job, err))
    {
        error = detail.empty() ? DescribeDecodeFailure(err) : detail;
        return false;
    }
    for (int c = 0; c < 3; ++c)
    {
        const PlaneLayout &from = job.source[c];
        const PlaneLayout &to = job.target[c];
        uint8_t *target = work.data() + to.offset;
        const ResampleAxis axisX = ResizeAxis(job.decodedWidth, width, from.unitsX, job.maxUnitsX, to.unitsX);
        const ResampleAxis axisY = ResizeAxis(job.decodedHeight, height, from.unitsY, job.maxUnitsY, to.unitsY);
        if (!ResamplePlane(work.data() + from.offset, from.stride, from.width, from.height, to.width, to.height, target,
                           to.stride, axisX, axisY))
        {
            error = "not enough memory to resample a JPEG picture to " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels";
            return false;
        }
        PadPlane(target, to);
    }
    const bool ok = RunResizeEncode(job, err);
    return TakeEncoderOutput(ok, job.output, job.outputSize, err, out, error);
}

bool EncodeJpeg(const Raster &picture, int quality, std::vector<uint8_t> &out, std::string &error)
{
    if (!CheckEncodable(picture, quality, error))
        return false;
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> rows;
    try
    {
        if (picture.bpp != 24)
            palette = ExpandedPalette(picture);
        if (picture.bpp != 24 || picture.HasAlpha())
            rows.resize(static_cast<size_t>(picture.width) * 3 * kBandRows);
    }
    catch (const std::bad_alloc &)
    {
        error = "not enough memory to encode a JPEG";
        return false;
    }
    EncodeJob job{&picture, quality, palette.data(), rows.data(), nullptr, 0};
    ErrorManager err;
    const bool ok = RunEncode(job, err);
    return TakeEncoderOutput(ok, job.output, job.outputSize, err, out, error);
}
