// CSWFBitmap: DefineBitsJPEG2 from a JPEG file or from JPEG bytes.
#include "swf/SWFBitmap.h"

#include "base/FileUtf8.h"
#include "swf/SWFTypes.h"

#include <cstdio>
#include <memory>

namespace
{
struct FileCloser
{
    void operator()(FILE *file) const
    {
        std::fclose(file);
    }
};

// Character id (2) and FF D9 FF D8 (4) before the file; FF D9 (2) after it.
constexpr size_t kLeadBytes = 6;
constexpr size_t kTrailBytes = 2;
} // namespace

CSWFBitmap::CSWFBitmap(uint16_t characterId, const char *jpegPath)
{
    m_nKind = kBitmap;
    m_nCharacterId = characterId;

    std::unique_ptr<FILE, FileCloser> file(OpenFileUtf8(jpegPath, "rb"));
    if (!file)
        return;
    const int64_t size = FileSize64(file.get());
    if (size < 0 || size > kMaxFileBytes)
        return;
    const size_t fileBytes = static_cast<size_t>(size);

    std::vector<unsigned char> tag = TagLead(characterId, fileBytes);
    const size_t fileStart = tag.size();
    tag.resize(fileStart + fileBytes);
    // A short read leaves the definition empty rather than padded with zeros.
    if (fileBytes && std::fread(tag.data() + fileStart, 1, fileBytes, file.get()) != fileBytes)
        return;
    TagEnd(tag);
    m_data.swap(tag);
}

CSWFBitmap::CSWFBitmap(uint16_t characterId, const uint8_t *jpeg, size_t size)
{
    m_nKind = kBitmap;
    m_nCharacterId = characterId;
    if ((!jpeg && size) || size > static_cast<uint64_t>(kMaxFileBytes))
        return;
    m_data = TagLead(characterId, size);
    m_data.insert(m_data.end(), jpeg, jpeg + size);
    TagEnd(m_data);
}

std::vector<unsigned char> CSWFBitmap::TagLead(uint16_t characterId, size_t size)
{
    // Character id, FF D9 FF D8, then the JPEG.
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    tag.reserve(kSWFLongHeaderBytes + kLeadBytes + size + kTrailBytes);
    SWFPutU16(tag, characterId);
    const unsigned char markers[] = {0xFF, 0xD9, 0xFF, 0xD8};
    SWFPutBytes(tag, markers, sizeof markers);
    return tag;
}

void CSWFBitmap::TagEnd(std::vector<unsigned char> &tag)
{
    tag.push_back(0xFF);
    tag.push_back(0xD9);
    SWFEndTag(tag, SWFTag::DefineBitsJPEG2);
}

CSWFBitmap::~CSWFBitmap() = default;

const unsigned char *CSWFBitmap::GetData()
{
    return m_data.data();
}

int CSWFBitmap::GetLength() const
{
    return static_cast<int>(m_data.size());
}
