// CSWFMovie: header, movie-level tags and the streamed tag output.
#include "swf/SWFMovie.h"

#include "base/FileUtf8.h"
#include "swf/SWFColorTransform.h"
#include "swf/SWFObject.h"

namespace
{
// Signature, version, FileLength, then after the RECT: FrameRate, FrameCount.
constexpr size_t kFixedHeaderBytes = 12;
constexpr size_t kEndTagBytes = 2;
} // namespace

void CSWFMovie::FileCloser::operator()(FILE *file) const
{
    std::fclose(file);
}

CSWFMovie::CSWFMovie()
{
    m_frameSize.SetRect(0.0f, 0.0f, 200.0f, 200.0f);
}

CSWFMovie::~CSWFMovie() = default;

int CSWFMovie::Open(const char *path, float width, float height, unsigned char frameRate)
{
    if (m_pFile)
        return 0;
    FILE *file = OpenFileUtf8(path, "wb");
    if (!file)
        return 0;
    m_pFile.reset(file);
    m_bWriteError = false;
    m_frameSize.SetRect(0.0f, 0.0f, width, height);
    m_uFrameRate = static_cast<uint16_t>(frameRate << 8);

    // Room for the header, written at Close once FileLength and FrameCount are final.
    const std::vector<unsigned char> reserved(HeaderSize(), 0);
    WriteToFile(reserved.data(), reserved.size());
    if (!m_tagBuffer.empty())
    {
        WriteToFile(m_tagBuffer.data(), m_tagBuffer.size());
        std::vector<unsigned char>().swap(m_tagBuffer);
    }
    return 1;
}

void CSWFMovie::SetBackgroundColor(SWFRGB color)
{
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    SWFPutU8(tag, color.red);
    SWFPutU8(tag, color.green);
    SWFPutU8(tag, color.blue);
    SWFEndTag(tag, SWFTag::SetBackgroundColor);
    AppendTag(tag);
}

void CSWFMovie::AddObject(CSWFObject *object, uint16_t depth, bool place)
{
    if (!object)
        return;
    const unsigned char *data = object->GetData();
    const int length = object->GetLength();
    if (data && length > 0)
        Append(data, static_cast<size_t>(length));
    // Bitmaps are used through a shape's fill, never placed.
    if (place && object->GetKind() != CSWFObject::kBitmap)
        PlaceObject(object, depth, true, nullptr);
}

void CSWFMovie::PlaceObject(CSWFObject *object, uint16_t depth, bool newCharacter, const float *colorTransform)
{
    if (!object)
        return;
    // Flags: 0x02 HasCharacter or 0x01 Move, 0x04 HasMatrix, 0x08 HasColorTransform; then depth, the
    // character id (new character only), MATRIX and CXFORMWITHALPHA (when given).
    uint8_t flags = newCharacter ? 0x06 : 0x05;
    if (colorTransform)
        flags |= 0x08;
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    SWFPutU8(tag, flags);
    SWFPutU16(tag, depth);
    if (newCharacter)
        SWFPutU16(tag, object->GetCharacterId());
    SWFPutRecord(tag, object->GetPlacementMatrix());
    if (colorTransform)
    {
        CSWFColorTransform transform(colorTransform);
        SWFPutRecord(tag, transform);
    }
    SWFEndTag(tag, SWFTag::PlaceObject2);
    AppendTag(tag);
}

void CSWFMovie::RemoveObject(uint16_t depth)
{
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    SWFPutU16(tag, depth);
    SWFEndTag(tag, SWFTag::RemoveObject2);
    AppendTag(tag);
}

void CSWFMovie::ShowFrame()
{
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    SWFEndTag(tag, SWFTag::ShowFrame);
    AppendTag(tag);
    ++m_uFrameCount;
}

void CSWFMovie::Close()
{
    if (!m_pFile)
        return;
    if (!SeekFile64(m_pFile.get(), 0, SEEK_SET))
        m_bWriteError = true;
    WriteHeader();
    if (!SeekFile64(m_pFile.get(), 0, SEEK_END))
        m_bWriteError = true;
    const unsigned char end[kEndTagBytes] = {0x00, 0x00};
    WriteToFile(end, sizeof end);
    if (std::fflush(m_pFile.get()) != 0 || std::ferror(m_pFile.get()))
        m_bWriteError = true;
    if (std::fclose(m_pFile.release()) != 0)
        m_bWriteError = true;
    // Everything counted so far is in the closed file; a later Open starts a new one.
    m_uTagBytes = 0;
    m_uFrameCount = 0;
}

void CSWFMovie::Append(const unsigned char *bytes, size_t count)
{
    if (!count)
        return;
    m_uTagBytes += count;
    if (m_pFile)
        WriteToFile(bytes, count);
    else
        m_tagBuffer.insert(m_tagBuffer.end(), bytes, bytes + count);
}

void CSWFMovie::AppendTag(const std::vector<unsigned char> &tag)
{
    Append(tag.data(), tag.size());
}

void CSWFMovie::WriteToFile(const void *bytes, size_t count)
{
    // After a failure the file is unusable; later bytes are not written.
    if (m_bWriteError || !m_pFile || !count)
        return;
    if (m_uTagBytes > UINT32_MAX - kFixedHeaderBytes - kEndTagBytes - static_cast<size_t>(m_frameSize.GetLength()))
    {
        m_bWriteError = true;
        return;
    }
    if (std::fwrite(bytes, 1, count, m_pFile.get()) != count)
        m_bWriteError = true;
}

size_t CSWFMovie::HeaderSize()
{
    m_frameSize.GetData();
    return kFixedHeaderBytes + static_cast<size_t>(m_frameSize.GetLength());
}

void CSWFMovie::WriteHeader()
{
    const unsigned char *rect = m_frameSize.GetData();
    const size_t rectLength = static_cast<size_t>(m_frameSize.GetLength());
    const uint64_t fileLength = kFixedHeaderBytes + rectLength + m_uTagBytes + kEndTagBytes;
    if (fileLength > UINT32_MAX)
        m_bWriteError = true;
    m_uFileLength = static_cast<uint32_t>(fileLength > UINT32_MAX ? UINT32_MAX : fileLength);

    std::vector<unsigned char> header;
    header.reserve(kFixedHeaderBytes + rectLength);
    SWFPutBytes(header, reinterpret_cast<const unsigned char *>(m_signature), sizeof m_signature);
    SWFPutU8(header, m_uVersion);
    SWFPutU32(header, m_uFileLength);
    SWFPutBytes(header, rect, rectLength);
    SWFPutU16(header, m_uFrameRate);
    SWFPutU16(header, m_uFrameCount);
    WriteToFile(header.data(), header.size());
}
