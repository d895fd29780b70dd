// GIF frames through giflib's record-level reader, composed on an RGBA screen; GIF writing to memory.
#include "imaging/GifCodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>

#include "base/FileUtf8.h"
#include "imaging/ColorQuantizer.h"
#include "imaging/PixelOps.h"

namespace
{
// Where giflib's reads come from: bytes in memory, or a file read as it goes.
struct GifSource
{
    const uint8_t *data = nullptr;
    FILE *file = nullptr;
    size_t size = 0; // bytes in the memory or the file
    size_t position = 0;
    bool ended = false; // a read found fewer bytes than it asked for
};

int ReadGifBytes(GifFileType *gif, GifByteType *target, int length)
{
    GifSource *source = static_cast<GifSource *>(gif->UserData);
    if (length <= 0)
        return 0;
    size_t count;
    if (source->file)
        count = std::fread(target, 1, static_cast<size_t>(length), source->file);
    else
    {
        count = std::min(static_cast<size_t>(length), source->size - source->position);
        std::memcpy(target, source->data + source->position, count);
    }
    source->position += count;
    source->ended = source->ended || count < static_cast<size_t>(length);
    return static_cast<int>(count);
}

std::string GifMessage(int code, const GifSource &source)
{
    if (source.ended)
        return "GIF: the file is truncated";
    switch (code)
    {
    case D_GIF_ERR_NOT_GIF_FILE:
        return "GIF: not a GIF file";
    case D_GIF_ERR_WRONG_RECORD:
        return "GIF: corrupt data (unknown record type)";
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return "GIF: not enough memory";
    case 0:
    case D_GIF_ERR_READ_FAILED:
        return "GIF: corrupt data";
    default: {
        const char *text = GifErrorString(code);
        return std::string("GIF: ") + (text ? text : "corrupt data");
    }
    }
}

struct Rect
{
    int x0 = 0;
    int y0 = 0;
    int x1 = 0; // exclusive
    int y1 = 0;
};

// The screen frames are drawn on: RGBA, alpha 0 where nothing is shown.
class Screen
{
  public:
    void Init(int width, int height)
    {
        m_nWidth = width;
        m_nHeight = height;
        m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    }
    int Width() const
    {
        return m_nWidth;
    }
    int Height() const
    {
        return m_nHeight;
    }
    uint8_t *At(int x, int y)
    {
        return m_pixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)) * 4;
    }
    Rect Clip(int left, int top, int width, int height) const
    {
        Rect r;
        r.x0 = std::min(left, m_nWidth);
        r.y0 = std::min(top, m_nHeight);
        r.x1 = std::min(left + width, m_nWidth);
        r.y1 = std::min(top + height, m_nHeight);
        return r;
    }
    static bool IsEmpty(const Rect &r)
    {
        return r.x1 <= r.x0 || r.y1 <= r.y0;
    }
    void Clear(const Rect &r)
    {
        if (IsEmpty(r))
            return;
        for (int y = r.y0; y < r.y1; ++y)
            std::memset(At(r.x0, y), 0, static_cast<size_t>(r.x1 - r.x0) * 4);
    }
    void Save(const Rect &r, std::vector<uint8_t> &copy)
    {
        copy.clear();
        if (IsEmpty(r))
            return;
        for (int y = r.y0; y < r.y1; ++y)
            copy.insert(copy.end(), At(r.x0, y), At(r.x0, y) + static_cast<size_t>(r.x1 - r.x0) * 4);
    }
    void Restore(const Rect &r, const std::vector<uint8_t> &copy)
    {
        if (IsEmpty(r))
            return;
        size_t rowBytes = static_cast<size_t>(r.x1 - r.x0) * 4;
        if (copy.size() < rowBytes * static_cast<size_t>(r.y1 - r.y0))
            return;
        for (int y = r.y0; y < r.y1; ++y)
            std::memcpy(At(r.x0, y), copy.data() + static_cast<size_t>(y - r.y0) * rowBytes, rowBytes);
    }

  private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint8_t> m_pixels;
};

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

// One decoded frame: its indices within its rectangle and what it was drawn with.
struct FrameImage
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    const ColorMapObject *colours = nullptr;
    int transparent = NO_TRANSPARENT_COLOR;
};

void Draw(Screen &screen, const FrameImage &frame)
{
    Rect r = screen.Clip(frame.left, frame.top, frame.width, frame.height);
    for (int y = r.y0; y < r.y1; ++y)
    {
        const uint8_t *row =
            frame.indices.data() + static_cast<size_t>(y - frame.top) * static_cast<size_t>(frame.width);
        for (int x = r.x0; x < r.x1; ++x)
        {
            int index = row[x - frame.left];
            if (index == frame.transparent)
                continue;
            uint8_t *pixel = screen.At(x, y);
            if (index < frame.colours->ColorCount)
            {
                const GifColorType &c = frame.colours->Colors[index];
                pixel[0] = c.Red;
                pixel[1] = c.Green;
                pixel[2] = c.Blue;
            }
            else
                pixel[0] = pixel[1] = pixel[2] = 0;
            pixel[3] = 255;
        }
    }
}

int BitsForEntries(int entries)
{
    return entries <= 2 ? 1 : entries <= 16 ? 4 : 8;
}

// The composed screen as the frame's own palette and indices, when every visible colour is in it.
bool SnapshotWithFramePalette(Screen &screen, const FrameImage &frame, Raster &out)
{
    const ColorMapObject *colours = frame.colours;
    // Colours shown through the frame map to the lowest index of that colour; the transparent index
    // comes last, as its entry is free for visible pixels once the alpha plane marks transparency.
    std::unordered_map<uint32_t, uint8_t> lookup;
    auto entry = [&](int i) {
        const GifColorType &c = colours->Colors[i];
        lookup[Rgb(c.Red, c.Green, c.Blue)] = static_cast<uint8_t>(i);
    };
    if (frame.transparent >= 0 && frame.transparent < colours->ColorCount)
        entry(frame.transparent);
    for (int i = colours->ColorCount - 1; i >= 0; --i)
    {
        if (i != frame.transparent)
            entry(i);
    }
    int width = screen.Width();
    int height = screen.Height();
    std::vector<uint8_t> indices(static_cast<size_t>(width) * static_cast<size_t>(height));
    int highest = 0;
    uint8_t clearIndex = frame.transparent >= 0 ? static_cast<uint8_t>(frame.transparent) : 0;
    for (int y = 0; y < height; ++y)
    {
        bool inRows = y >= frame.top && y < frame.top + frame.height;
        for (int x = 0; x < width; ++x)
        {
            const uint8_t *pixel = screen.At(x, y);
            uint8_t index;
            int own = -1;
            if (inRows && x >= frame.left && x < frame.left + frame.width)
                own = frame.indices[static_cast<size_t>(y - frame.top) * static_cast<size_t>(frame.width) +
                                    static_cast<size_t>(x - frame.left)];
            if (pixel[3] == 0)
                index = clearIndex;
            else if (own >= 0 && own != frame.transparent)
                index = static_cast<uint8_t>(own);
            else
            {
                auto found = lookup.find(Rgb(pixel[0], pixel[1], pixel[2]));
                if (found == lookup.end())
                    return false;
                index = found->second;
            }
            highest = std::max<int>(highest, index);
            indices[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = index;
        }
    }
    int bpp = BitsForEntries(colours->ColorCount);
    if (highest >= (1 << bpp))
        bpp = 8;
    InitRaster(out, width, height, bpp);
    for (int y = 0; y < height; ++y)
    {
        const uint8_t *source = indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint8_t *target = out.Row(y);
        for (int x = 0; x < width; ++x)
            SetIndex(target, x, bpp, source[x]);
    }
    for (int i = 0; i < colours->ColorCount; ++i)
        out.palette.push_back(PaletteEntry{colours->Colors[i].Red, colours->Colors[i].Green, colours->Colors[i].Blue});
    PadPalette(out);
    return true;
}

// The composed screen as a palette of its own colours (at most 256), else as 24 bits.
void SnapshotByColours(Screen &screen, Raster &out)
{
    int width = screen.Width();
    int height = screen.Height();
    std::unordered_map<uint32_t, uint8_t> lookup;
    std::vector<PaletteEntry> palette;
    bool fits = true;
    for (int y = 0; y < height && fits; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const uint8_t *pixel = screen.At(x, y);
            if (pixel[3] == 0)
                continue;
            uint32_t key = Rgb(pixel[0], pixel[1], pixel[2]);
            if (lookup.count(key))
                continue;
            if (palette.size() == 256)
            {
                fits = false;
                break;
            }
            lookup[key] = static_cast<uint8_t>(palette.size());
            palette.push_back(PaletteEntry{pixel[0], pixel[1], pixel[2]});
        }
    }
    if (fits)
    {
        int bpp = BitsForEntries(static_cast<int>(palette.size()));
        InitRaster(out, width, height, bpp);
        for (int y = 0; y < height; ++y)
        {
            uint8_t *target = out.Row(y);
            for (int x = 0; x < width; ++x)
            {
                const uint8_t *pixel = screen.At(x, y);
                if (pixel[3] != 0)
                    SetIndex(target, x, bpp, lookup[Rgb(pixel[0], pixel[1], pixel[2])]);
            }
        }
        out.palette = std::move(palette);
        PadPalette(out);
        return;
    }
    InitRaster(out, width, height, 24);
    for (int y = 0; y < height; ++y)
    {
        uint8_t *target = out.Row(y);
        for (int x = 0; x < width; ++x)
            std::memcpy(target + 3 * x, screen.At(x, y), 3);
    }
}

// The screen as it stands after a frame; frame is null for a frame without pixels.
void Snapshot(Screen &screen, const FrameImage *frame, Raster &out)
{
    int width = screen.Width();
    int height = screen.Height();
    bool anyTransparent = false;
    for (int y = 0; y < height && !anyTransparent; ++y)
        for (int x = 0; x < width; ++x)
        {
            if (screen.At(x, y)[3] == 0)
            {
                anyTransparent = true;
                break;
            }
        }
    if (!frame || !SnapshotWithFramePalette(screen, *frame, out))
        SnapshotByColours(screen, out);
    if (anyTransparent)
    {
        out.alpha.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                out.alpha[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    screen.At(x, y)[3];
    }
}

// Reads the frame's LZW data into its index rows, undoing interlacing.
bool ReadFrameIndices(GifFileType *gif, FrameImage &frame)
{
    frame.indices.assign(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height), 0);
    auto readRow = [&](int y) {
        return DGifGetLine(gif, frame.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(frame.width),
                           frame.width) == GIF_OK;
    };
    if (gif->Image.Interlace)
    {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kStart[pass]; y < frame.height; y += kStep[pass])
                if (!readRow(y))
                    return false;
        return true;
    }
    for (int y = 0; y < frame.height; ++y)
        if (!readRow(y))
            return false;
    return true;
}

// Passes over a frame's LZW data without decoding it.
bool SkipFrameData(GifFileType *gif)
{
    int codeSize = 0;
    GifByteType *block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block)
    {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}
} // namespace

struct CGifFrameReader::State
{
    GifSource source;
    GifFileType *gif = nullptr;
    Screen screen;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    int previousDisposal = DISPOSAL_UNSPECIFIED;
    Rect previousRect;
    std::vector<uint8_t> saved;
    FrameImage frame;
    int frames = 0;
    bool failed = false;

    ~State()
    {
        if (gif)
        {
            int ignored = 0;
            DGifCloseFile(gif, &ignored);
        }
        if (source.file)
            std::fclose(source.file);
    }

    bool Start(std::string &error)
    {
        int openError = 0;
        gif = DGifOpen(&source, ReadGifBytes, &openError);
        if (!gif)
            error = GifMessage(openError, source);
        return gif != nullptr;
    }

    Step Fail(std::string &error, const std::string &message)
    {
        failed = true;
        error = message;
        return kFailed;
    }

    // Reads records up to the next image descriptor: kFrame with gif->Image set, or kEnd.
    Step NextImage(std::string &error)
    {
        for (;;)
        {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif, &record) == GIF_ERROR)
                return Fail(error, GifMessage(gif->Error, source));
            if (record == TERMINATE_RECORD_TYPE)
                return kEnd;
            if (record == EXTENSION_RECORD_TYPE)
            {
                int code = 0;
                GifByteType *block = nullptr;
                if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                    return Fail(error, GifMessage(gif->Error, source));
                if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                    DGifExtensionToGCB(block[0], block + 1, &control);
                while (block)
                {
                    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                        return Fail(error, GifMessage(gif->Error, source));
                }
                continue;
            }
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return Fail(error, GifMessage(gif->Error, source));
            // giflib keeps a record of every image read; only the current one is needed.
            GifFreeSavedImages(gif);
            gif->ImageCount = 0;
            ++frames;
            if (frames == 1)
            {
                // Viewers grow a screen too small for the first frame.
                const GifImageDesc &desc = gif->Image;
                int width = std::max(gif->SWidth, desc.Left + desc.Width);
                int height = std::max(gif->SHeight, desc.Top + desc.Height);
                if (!CheckPixelBudget(width, height, "GIF header", error) ||
                    !CheckDataPlausible(static_cast<uint64_t>(width) * static_cast<uint64_t>(height), source.size,
                                        kLzwMaxRatio, width, height, "GIF", error))
                    return Fail(error, error);
                screen.Init(width, height);
            }
            return kFrame;
        }
    }

    Step Compose(Raster *out, std::string &error)
    {
        const GifImageDesc &desc = gif->Image;
        bool hasPixels = desc.Width > 0 && desc.Height > 0;
        if (!hasPixels && !SkipFrameData(gif))
            return Fail(error, GifMessage(gif->Error, source));
        if (hasPixels)
        {
            if (!CheckPixelBudget(desc.Width, desc.Height, "GIF frame", error) ||
                !CheckDataPlausible(static_cast<uint64_t>(desc.Width) * static_cast<uint64_t>(desc.Height), source.size,
                                    kLzwMaxRatio, desc.Width, desc.Height, "GIF frame", error))
                return Fail(error, error);
            frame.left = desc.Left;
            frame.top = desc.Top;
            frame.width = desc.Width;
            frame.height = desc.Height;
            frame.colours = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
            frame.transparent = control.TransparentColor;
            if (!frame.colours || frame.colours->ColorCount <= 0)
                return Fail(error, "GIF: frame " + std::to_string(frames) + " has no colour table");
            if (!ReadFrameIndices(gif, frame))
                return Fail(error, GifMessage(gif->Error, source));
        }

        // What the previous frame asked to leave behind, then this frame over it.
        if (previousDisposal == DISPOSE_BACKGROUND)
            screen.Clear(previousRect);
        else if (previousDisposal == DISPOSE_PREVIOUS)
            screen.Restore(previousRect, saved);
        Rect rect = hasPixels ? screen.Clip(frame.left, frame.top, frame.width, frame.height) : Rect{};
        if (control.DisposalMode == DISPOSE_PREVIOUS)
            screen.Save(rect, saved);
        if (hasPixels)
            Draw(screen, frame);
        if (out)
            Snapshot(screen, hasPixels ? &frame : nullptr, *out);
        previousDisposal = control.DisposalMode;
        previousRect = rect;
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        return kFrame;
    }
};

CGifFrameReader::CGifFrameReader() = default;

CGifFrameReader::~CGifFrameReader() = default;

bool CGifFrameReader::Open(const uint8_t *data, size_t size, std::string &error)
{
    m_pState.reset();
    if (!data || size < 6 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
    {
        error = data && size < 6 && size > 0 && std::memcmp(data, "GIF89a", size) == 0 ? "GIF: the file is truncated"
                                                                                       : "GIF: not a GIF file";
        return false;
    }
    auto state = std::make_unique<State>();
    state->source.data = data;
    state->source.size = size;
    if (!state->Start(error))
        return false;
    m_pState = std::move(state);
    return true;
}

bool CGifFrameReader::OpenFile(const char *pathUtf8, std::string &error)
{
    m_pState.reset();
    auto state = std::make_unique<State>();
    errno = 0;
    state->source.file = OpenFileUtf8(pathUtf8, "rb");
    if (!state->source.file)
    {
        error = std::string("cannot open the file (") + std::strerror(errno ? errno : EIO) + ")";
        return false;
    }
    int64_t size = FileSize64(state->source.file);
    if (size < 0)
    {
        error = std::string("cannot read the file (") + std::strerror(errno ? errno : EIO) + ")";
        return false;
    }
    state->source.size = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(size), SIZE_MAX));
    char signature[6] = {};
    size_t got = std::fread(signature, 1, 6, state->source.file);
    if (got < 6 || (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0))
    {
        error = got < 6 && got > 0 && std::memcmp(signature, "GIF89a", got) == 0 ? "GIF: the file is truncated"
                                                                                 : "GIF: not a GIF file";
        return false;
    }
    if (!SeekFile64(state->source.file, 0, SEEK_SET) || !state->Start(error))
        return false;
    m_pState = std::move(state);
    return true;
}

CGifFrameReader::Step CGifFrameReader::Next(Raster *frame, std::string &error)
{
    if (!m_pState || m_pState->failed)
    {
        error = "GIF: the file is not open";
        return kFailed;
    }
    try
    {
        Step step = m_pState->NextImage(error);
        return step == kFrame ? m_pState->Compose(frame, error) : step;
    }
    catch (const std::bad_alloc &)
    {
        return m_pState->Fail(error, "GIF: not enough memory");
    }
}

CGifFrameReader::Step CGifFrameReader::SkipToEnd(std::string &error)
{
    if (!m_pState || m_pState->failed)
    {
        error = "GIF: the file is not open";
        return kFailed;
    }
    for (;;)
    {
        Step step = m_pState->NextImage(error);
        if (step != kFrame)
            return step;
        if (!SkipFrameData(m_pState->gif))
            return m_pState->Fail(error, GifMessage(m_pState->gif->Error, m_pState->source));
        m_pState->control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
}

int CGifFrameReader::FramesRead() const
{
    return m_pState ? m_pState->frames : 0;
}

bool DecodeGif(const uint8_t *data, size_t size, Raster &first, int &frameCount, std::string &error)
{
    CGifFrameReader reader;
    if (!reader.Open(data, size, error))
        return false;
    Raster picture;
    CGifFrameReader::Step step = reader.Next(&picture, error);
    if (step == CGifFrameReader::kEnd)
        error = "GIF: the file holds no picture";
    if (step != CGifFrameReader::kFrame || reader.SkipToEnd(error) != CGifFrameReader::kEnd)
        return false;
    first = std::move(picture);
    frameCount = reader.FramesRead();
    return true;
}

namespace
{
int WriteGifBytes(GifFileType *gif, const GifByteType *bytes, int length)
{
    std::vector<uint8_t> *out = static_cast<std::vector<uint8_t> *>(gif->UserData);
    try
    {
        out->insert(out->end(), bytes, bytes + length);
    }
    catch (const std::bad_alloc &)
    {
        return 0;
    }
    return length;
}

// The picture as at most 256 indexed colours, with one index kept free for transparency when needed.
struct IndexedPicture
{
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> indices; // width x height
    int transparent = -1;
};

std::vector<uint8_t> TransparencyMask(const Raster &picture, bool &anyTransparent)
{
    anyTransparent = false;
    std::vector<uint8_t> opaque;
    if (!picture.HasAlpha())
        return opaque;
    opaque.resize(picture.alpha.size());
    for (size_t i = 0; i < opaque.size(); ++i)
    {
        opaque[i] = picture.alpha[i] >= 128 ? 1 : 0;
        anyTransparent = anyTransparent || !opaque[i];
    }
    return opaque;
}

bool IndexFromPalette(const Raster &picture, const std::vector<uint8_t> &opaque, bool anyTransparent,
                      IndexedPicture &result)
{
    size_t width = static_cast<size_t>(picture.width);
    result.palette = picture.palette;
    result.palette.resize(static_cast<size_t>(1) << picture.bpp);
    result.indices.resize(width * static_cast<size_t>(picture.height));
    bool used[256] = {false};
    int firstClear = -1;
    for (int y = 0; y < picture.height; ++y)
    {
        const uint8_t *row = picture.Row(y);
        for (size_t x = 0; x < width; ++x)
        {
            size_t i = static_cast<size_t>(y) * width + x;
            uint8_t index = GetIndex(row, static_cast<int>(x), picture.bpp);
            result.indices[i] = index;
            if (opaque.empty() || opaque[i])
                used[index] = true;
            else if (firstClear < 0)
                firstClear = index;
        }
    }
    if (!anyTransparent)
        return true;
    // The index transparent pixels carry is kept when no visible pixel uses it.
    int free = firstClear >= 0 && !used[firstClear] ? firstClear : -1;
    for (size_t i = 0; free < 0 && i < result.palette.size(); ++i)
        if (!used[i])
            free = static_cast<int>(i);
    if (free < 0)
    {
        if (result.palette.size() >= 256)
            return false;
        free = static_cast<int>(result.palette.size());
        result.palette.push_back(PaletteEntry{});
    }
    result.transparent = free;
    for (size_t i = 0; i < result.indices.size(); ++i)
        if (!opaque[i])
            result.indices[i] = static_cast<uint8_t>(free);
    return true;
}

// Gives the pixels that are not opaque one more palette entry of their own.
void AddTransparentIndex(const std::vector<uint8_t> &opaque, IndexedPicture &result)
{
    result.transparent = static_cast<int>(result.palette.size());
    result.palette.push_back(PaletteEntry{});
    for (size_t i = 0; i < result.indices.size(); ++i)
        if (!opaque[i])
            result.indices[i] = static_cast<uint8_t>(result.transparent);
}

bool IndexByExactColours(const Raster &picture, const std::vector<uint8_t> &opaque, bool anyTransparent,
                         IndexedPicture &result)
{
    size_t width = static_cast<size_t>(picture.width);
    size_t limit = anyTransparent ? 255 : 256;
    std::unordered_map<uint32_t, uint8_t> lookup;
    result.palette.clear();
    result.indices.assign(width * static_cast<size_t>(picture.height), 0);
    for (int y = 0; y < picture.height; ++y)
    {
        const uint8_t *row = picture.Row(y);
        for (size_t x = 0; x < width; ++x)
        {
            size_t i = static_cast<size_t>(y) * width + x;
            if (!opaque.empty() && !opaque[i])
                continue;
            uint32_t key = Rgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            auto found = lookup.find(key);
            if (found == lookup.end())
            {
                if (result.palette.size() == limit)
                    return false;
                found = lookup.emplace(key, static_cast<uint8_t>(result.palette.size())).first;
                result.palette.push_back(PaletteEntry{row[3 * x], row[3 * x + 1], row[3 * x + 2]});
            }
            result.indices[i] = found->second;
        }
    }
    if (anyTransparent)
        AddTransparentIndex(opaque, result);
    return true;
}

void IndexByQuantizing(const Raster &rgb, const std::vector<uint8_t> &opaque, bool anyTransparent,
                       IndexedPicture &result)
{
    QuantizeMedianCut(rgb, opaque.empty() ? nullptr : opaque.data(), anyTransparent ? 255 : 256, result.palette,
                      result.indices);
    if (anyTransparent)
        AddTransparentIndex(opaque, result);
}

class GifWriter
{
  public:
    explicit GifWriter(std::vector<uint8_t> *out)
    {
        m_gif = EGifOpen(out, WriteGifBytes, &m_nError);
    }
    ~GifWriter()
    {
        Close();
    }
    GifWriter(const GifWriter &) = delete;
    GifWriter &operator=(const GifWriter &) = delete;

    GifFileType *Get() const
    {
        return m_gif;
    }
    bool Close()
    {
        if (!m_gif)
            return true;
        int error = 0;
        bool ok = EGifCloseFile(m_gif, &error) == GIF_OK;
        m_gif = nullptr;
        return ok;
    }

  private:
    GifFileType *m_gif = nullptr;
    int m_nError = 0;
};

class ColourMap
{
  public:
    explicit ColourMap(const std::vector<PaletteEntry> &palette)
    {
        int entries = 2;
        while (entries < static_cast<int>(palette.size()))
            entries *= 2;
        std::vector<GifColorType> colours(static_cast<size_t>(entries), GifColorType{0, 0, 0});
        for (size_t i = 0; i < palette.size(); ++i)
            colours[i] = GifColorType{palette[i].r, palette[i].g, palette[i].b};
        m_map = GifMakeMapObject(entries, colours.data());
    }
    ~ColourMap()
    {
        if (m_map)
            GifFreeMapObject(m_map);
    }
    ColourMap(const ColourMap &) = delete;
    ColourMap &operator=(const ColourMap &) = delete;

    ColorMapObject *Get() const
    {
        return m_map;
    }

  private:
    ColorMapObject *m_map = nullptr;
};
} // namespace

bool EncodeGif(const Raster &picture, std::vector<uint8_t> &out, std::string &error)
{
    if (picture.Empty() || (picture.bpp != 1 && picture.bpp != 4 && picture.bpp != 8 && picture.bpp != 24))
    {
        error = "GIF: no picture to write";
        return false;
    }
    if (picture.width > 65535 || picture.height > 65535)
    {
        error = "GIF: the picture is too large for a GIF (" + std::to_string(picture.width) + " x " +
                std::to_string(picture.height) + " pixels; the limit is 65535 a side)";
        return false;
    }
    bool anyTransparent = false;
    std::vector<uint8_t> opaque = TransparencyMask(picture, anyTransparent);
    IndexedPicture indexed;
    bool done = false;
    if (picture.bpp <= 8)
        done = IndexFromPalette(picture, opaque, anyTransparent, indexed);
    else
        done = IndexByExactColours(picture, opaque, anyTransparent, indexed);
    if (!done)
    {
        Raster rgb = picture;
        ExpandTo24(rgb);
        indexed = IndexedPicture{};
        IndexByQuantizing(rgb, opaque, anyTransparent, indexed);
    }
    // The colour table ends with the highest index the rows use.
    size_t used = 2;
    for (uint8_t index : indexed.indices)
        used = std::max(used, static_cast<size_t>(index) + 1);
    if (indexed.transparent >= 0)
        used = std::max(used, static_cast<size_t>(indexed.transparent) + 1);
    indexed.palette.resize(used);

    std::vector<uint8_t> bytes;
    {
        GifWriter writer(&bytes);
        GifFileType *gif = writer.Get();
        ColourMap colours(indexed.palette);
        if (!gif || !colours.Get())
        {
            error = "GIF: cannot set up the encoder";
            return false;
        }
        EGifSetGifVersion(gif, indexed.transparent >= 0);
        bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, colours.Get()) == GIF_OK;
        if (ok && indexed.transparent >= 0)
        {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, indexed.transparent};
            GifByteType extension[4];
            size_t length = EGifGCBToExtension(&control, extension);
            ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
        }
        ok = ok && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < picture.height; ++y)
            ok = EGifPutLine(gif, indexed.indices.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width),
                             picture.width) == GIF_OK;
        ok = writer.Close() && ok;
        if (!ok)
        {
            error = "GIF: cannot encode the picture";
            return false;
        }
    }
    out = std::move(bytes);
    return true;
}
