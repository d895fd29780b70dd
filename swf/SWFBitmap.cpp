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

// Header (6), character id (2), FF D9 FF D8 (4) before the file; FF D9 (2) after it.
constexpr size_t kLeadBytes = 12;
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
    tag.resize(kLeadBytes + fileBytes);
    // A short read leaves the definition empty rather than padded with zeros.
    if (fileBytes && std::fread(tag.data() + kLeadBytes, 1, fileBytes, file.get()) != fileBytes)
        return;
    tag.push_back(0xFF);
    tag.push_back(0xD9);
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
    m_data.push_back(0xFF);
    m_data.push_back(0xD9);
}

std::vector<unsigned char> CSWFBitmap::TagLead(uint16_t characterId, size_t size)
{
    std::vector<unsigned char> tag;
    tag.reserve(kLeadBytes + size + kTrailBytes);
    SWFPutLongTagHeader(tag, SWFTag::DefineBitsJPEG2, static_cast<uint32_t>(size + 8));
    SWFPutU16(tag, characterId);
    const unsigned char markers[] = {0xFF, 0xD9, 0xFF, 0xD8};
    SWFPutBytes(tag, markers, sizeof markers);
    return tag;
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
