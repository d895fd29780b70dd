// The picture object: dispatch to the codecs, content fallback, depth changes, resampling and saving.
#include "imaging/Picture.h"

#include <new>
#include <utility>

#include "imaging/BmpCodec.h"
#include "imaging/FileBytes.h"
#include "imaging/GifCodec.h"
#include "imaging/ImageType.h"
#include "imaging/JpegCodec.h"
#include "imaging/PixelOps.h"
#include "imaging/PngCodec.h"
#include "imaging/Resample.h"
#include "imaging/TiffCodec.h"

namespace
{
constexpr int kJpegQuality = 90;

bool IsKnownType(int type)
{
    return type == kImageTypeBmp || type == kImageTypeGif || type == kImageTypeJpg || type == kImageTypePng ||
           type == kImageTypeTif;
}

bool Decode(int type, const std::vector<uint8_t> &bytes, int minWidth, int minHeight, Raster &result,
            std::string &error)
{
    const uint8_t *data = bytes.data();
    size_t size = bytes.size();
    switch (type)
    {
    case kImageTypeBmp:
        return DecodeBmp(data, size, result, error);
    case kImageTypePng:
        return DecodePng(data, size, result, error);
    case kImageTypeTif:
        return DecodeTiff(data, size, result, error);
    case kImageTypeJpg:
        if (DecodeJpeg(data, size, minWidth, minHeight, result, error))
            return true;
        if (error.find("JPEG") == std::string::npos)
            error = "JPEG: " + error;
        return false;
    default:
        error = "unknown picture type " + std::to_string(type);
        return false;
    }
}

// The type a file's first bytes show; false with a message when the file cannot be read or is empty.
bool DetectFileType(const char *pathUtf8, int &type, std::string &error)
{
    std::vector<uint8_t> head;
    if (!ReadFilePrefix(pathUtf8, 16, head, error))
        return false;
    if (head.empty())
    {
        error = "the file is empty";
        return false;
    }
    type = DetectImageType(head.data(), head.size());
    return true;
}

std::string SizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}
} // namespace

CPicture::CPicture(int type) : m_nType(type)
{
}

CPicture::~CPicture() = default;

int CPicture::GetTypeIdFromName(const char *extension)
{
    return ImageTypeFromExtension(extension);
}

bool CPicture::Load(const char *pathUtf8, int type)
{
    return LoadFile(pathUtf8, type, 0, 0);
}

bool CPicture::LoadForSize(const char *pathUtf8, int type, int width, int height)
{
    return LoadFile(pathUtf8, type, width > 0 ? width : 0, height > 0 ? height : 0);
}

bool CPicture::LoadFile(const char *pathUtf8, int type, int minWidth, int minHeight)
{
    Clear();
    m_strPath = pathUtf8 ? pathUtf8 : "";
    if (m_strPath.empty())
        return Fail("no file name given");
    try
    {
        std::string error;
        int content = kImageTypeUnknown;
        if (!DetectFileType(pathUtf8, content, error))
            return Fail(error);
        std::vector<uint8_t> bytes;
        // A GIF is read from its file as it is decoded, so an animation of any length is never held whole.
        auto loadAs = [&](int t) {
            if (t == kImageTypeGif)
                return LoadGif(error);
            if (bytes.empty() && !ReadFileBytes(pathUtf8, bytes, error))
                return false;
            return Decode(t, bytes, minWidth, minHeight, m_raster, error);
        };
        int tried = IsKnownType(type) ? type : kImageTypeUnknown;
        bool ok = tried != kImageTypeUnknown && loadAs(tried);
        int loaded = tried;
        if (!ok)
        {
            // The extension may lie: the content decides.
            if (content == kImageTypeUnknown)
                return Fail("not a picture in a known format (BMP, GIF, JPEG, PNG, TIFF)");
            if (content != tried)
            {
                Clear();
                error.clear();
                ok = loadAs(content);
                loaded = content;
            }
            if (!ok)
                return Fail(error);
        }
        m_nType = loaded;
        if (loaded != kImageTypeGif)
            m_nFrames = 1;
        return true;
    }
    catch (const std::bad_alloc &)
    {
        Clear();
        return Fail("not enough memory to decode the picture");
    }
}

bool CPicture::LoadGif(std::string &error)
{
    CGifFrameReader reader;
    if (!reader.OpenFile(m_strPath.c_str(), error))
        return false;
    CGifFrameReader::Step step = reader.Next(&m_raster, error);
    if (step == CGifFrameReader::kEnd)
        error = "GIF: the file holds no picture";
    if (step != CGifFrameReader::kFrame || reader.SkipToEnd(error) != CGifFrameReader::kEnd)
    {
        m_raster = Raster{};
        return false;
    }
    m_nFrames = reader.FramesRead();
    return true;
}

bool CPicture::IsValid() const
{
    return !m_raster.Empty();
}

int CPicture::GetWidth() const
{
    return IsValid() ? m_raster.width : 0;
}

int CPicture::GetHeight() const
{
    return IsValid() ? m_raster.height : 0;
}

int CPicture::GetBpp() const
{
    return IsValid() ? m_raster.bpp : 0;
}

int CPicture::GetType() const
{
    return IsValid() ? m_nType : 0;
}

bool CPicture::IncreaseBpp(int bpp)
{
    if (!IsValid())
        return Fail("no picture");
    if (bpp == m_raster.bpp)
        return true;
    if (bpp < m_raster.bpp || (bpp != 4 && bpp != 8 && bpp != 24))
        return Fail("cannot change " + std::to_string(m_raster.bpp) + " to " + std::to_string(bpp) + " bits per pixel");
    try
    {
        if (bpp == 24)
            ExpandTo24(m_raster);
        else
            WidenIndices(m_raster, bpp);
        return true;
    }
    catch (const std::bad_alloc &)
    {
        return Fail("not enough memory to convert the picture");
    }
}

bool CPicture::Resample(int width, int height, int mode)
{
    if (!IsValid())
        return Fail("no picture");
    if (mode != 0)
        return Fail("resample mode " + std::to_string(mode) + " is not supported");
    std::string error;
    if (!CheckPixelBudget(width, height, "resample size", error))
        return Fail(error);
    if (width == m_raster.width && height == m_raster.height)
        return true;
    try
    {
        Raster source;
        const Raster *from = &m_raster;
        if (m_raster.bpp != 24)
        {
            source = m_raster;
            ExpandTo24(source);
            from = &source;
        }
        Raster result;
        if (!ResampleRaster(*from, width, height, result))
            return Fail("not enough memory to resample " + SizeText(m_raster.width, m_raster.height) + " to " +
                        SizeText(width, height)); // the raster is sound and the size within the budget
        m_raster = std::move(result);
        return true;
    }
    catch (const std::bad_alloc &)
    {
        return Fail("not enough memory to resample to " + SizeText(width, height));
    }
}

bool CPicture::Save(const char *pathUtf8, int type)
{
    std::string target = pathUtf8 ? pathUtf8 : "";
    auto failSave = [&](const std::string &what) {
        m_strError = (target.empty() ? std::string("(no file name)") : target) + ": " + what;
        return false;
    };
    if (target.empty())
        return failSave("no file name given");
    if (!IsValid())
        return failSave("no picture to save");
    try
    {
        std::vector<uint8_t> bytes;
        std::string error;
        bool encoded;
        if (type == kImageTypeJpg)
            encoded = EncodeJpeg(m_raster, kJpegQuality, bytes, error);
        else if (type == kImageTypeGif)
            encoded = EncodeGif(m_raster, bytes, error);
        else
            return failSave(std::string("saving as ") + ImageTypeName(type) + " (type " + std::to_string(type) +
                            ") is not supported");
        if (!encoded)
            return failSave(error);
        if (!WriteFileReplacing(target.c_str(), bytes.data(), bytes.size(), error))
            return failSave(error);
        return true;
    }
    catch (const std::bad_alloc &)
    {
        return failSave("not enough memory to encode the picture");
    }
}

void CPicture::SetRetreiveAllFrames(bool all)
{
    m_bAllFrames = all;
}

int CPicture::GetNumFrames() const
{
    return IsValid() ? m_nFrames : 0;
}

CPicture *CPicture::GetFrame(int index)
{
    if (!IsValid() || !m_bAllFrames || m_nType != kImageTypeGif || index < 0 || index >= m_nFrames)
        return nullptr;
    if (m_pFrame && m_nFrameIndex == index)
        return m_pFrame.get();
    m_pFrame.reset();
    m_nFrameIndex = -1;
    try
    {
        // Frames are composed in order from the file; an earlier frame starts the file again.
        std::string error;
        if (!m_pFrames || m_pFrames->FramesRead() > index)
        {
            m_pFrames = std::make_unique<CGifFrameReader>();
            if (!m_pFrames->OpenFile(m_strPath.c_str(), error))
            {
                m_pFrames.reset();
                Fail("frame " + std::to_string(index) + ": " + error);
                return nullptr;
            }
        }
        auto frame = std::make_unique<CPicture>(m_nType);
        CGifFrameReader::Step step = CGifFrameReader::kFrame;
        while (step == CGifFrameReader::kFrame && m_pFrames->FramesRead() <= index)
            step = m_pFrames->Next(m_pFrames->FramesRead() == index ? &frame->m_raster : nullptr, error);
        if (step != CGifFrameReader::kFrame)
        {
            m_pFrames.reset();
            Fail("frame " + std::to_string(index) + ": " + (error.empty() ? "the file has changed" : error));
            return nullptr;
        }
        if (index + 1 == m_nFrames)
            m_pFrames.reset();
        frame->m_strPath = m_strPath;
        frame->m_nFrames = 1;
        m_pFrame = std::move(frame);
        m_nFrameIndex = index;
        return m_pFrame.get();
    }
    catch (const std::bad_alloc &)
    {
        m_pFrames.reset();
        Fail("not enough memory for frame " + std::to_string(index));
        return nullptr;
    }
}

const std::string &CPicture::GetLastError() const
{
    return m_strError;
}

const Raster &CPicture::GetRaster() const
{
    return m_raster;
}

Raster &CPicture::GetRaster()
{
    return m_raster;
}

bool CPicture::Fail(const std::string &what)
{
    m_strError = (m_strPath.empty() ? std::string("(no file name)") : m_strPath) + ": " + what;
    return false;
}

void CPicture::Clear()
{
    m_raster = Raster{};
    m_pFrames.reset();
    m_pFrame.reset();
    m_nFrameIndex = -1;
    m_nFrames = 0;
    m_strError.clear();
}
