// Picture headers read by hand: sizes from PNG, GIF, BMP, TIFF (classic and BigTIFF) and JPEG markers.
#include "imaging/ImageHeader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/FileUtf8.h"
#include "imaging/ImageType.h"

namespace
{
class CHeaderFile
{
  public:
    explicit CHeaderFile(const char *pathUtf8) : m_pFile(OpenFileUtf8(pathUtf8, "rb"))
    {
    }
    ~CHeaderFile()
    {
        if (m_pFile)
            std::fclose(m_pFile);
    }
    CHeaderFile(const CHeaderFile &) = delete;
    CHeaderFile &operator=(const CHeaderFile &) = delete;

    FILE *Get() const
    {
        return m_pFile;
    }
    bool Read(uint64_t offset, uint8_t *bytes, size_t count) const
    {
        return offset <= static_cast<uint64_t>(INT64_MAX) &&
               SeekFile64(m_pFile, static_cast<int64_t>(offset), SEEK_SET) &&
               std::fread(bytes, 1, count, m_pFile) == count;
    }

  private:
    FILE *m_pFile;
};

uint64_t Get(const uint8_t *p, int bytes, bool bigEndian)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(p[bigEndian ? bytes - 1 - i : i]) << (8 * i);
    return value;
}

// Image width and length from the first directory.
void ReadTiffSize(const CHeaderFile &file, const uint8_t *head, ImageHeader &header)
{
    const bool big = head[0] == 'M';
    const bool bigTiff = Get(head + 2, 2, big) == 43;
    const int offsetBytes = bigTiff ? 8 : 4;
    const int countBytes = bigTiff ? 8 : 2;
    const int entryBytes = bigTiff ? 20 : 12;
    const uint64_t directory = Get(head + (bigTiff ? 8 : 4), offsetBytes, big);
    uint8_t count[8];
    if (!file.Read(directory, count, static_cast<size_t>(countBytes)))
        return;
    const uint64_t entries = std::min<uint64_t>(Get(count, countBytes, big), 4096);
    for (uint64_t i = 0; i < entries; ++i)
    {
        uint8_t entry[20];
        if (!file.Read(directory + static_cast<uint64_t>(countBytes) + i * static_cast<uint64_t>(entryBytes), entry,
                       static_cast<size_t>(entryBytes)))
            return;
        const uint64_t tag = Get(entry, 2, big);
        const uint64_t type = Get(entry + 2, 2, big);
        const uint8_t *value = entry + 4 + offsetBytes;
        // SHORT, LONG or LONG8, stored in the entry itself.
        const int valueBytes = type == 3 ? 2 : type == 4 ? 4 : type == 16 && bigTiff ? 8 : 0;
        if (valueBytes == 0)
            continue;
        const int64_t number = static_cast<int64_t>(std::min<uint64_t>(Get(value, valueBytes, big), INT32_MAX));
        if (tag == 256)
            header.width = number;
        else if (tag == 257)
            header.height = number;
    }
}

// The frame header's size and components, and at the first scan whether the picture is decoded through
// whole-picture coefficient buffers (progressive, or components in scans of their own).
void ReadJpegSize(const CHeaderFile &file, ImageHeader &header)
{
    uint64_t position = 2;
    bool progressive = false;
    int samplingH[4] = {1, 1, 1, 1};
    int samplingV[4] = {1, 1, 1, 1};
    for (int segment = 0; segment < 10000; ++segment)
    {
        uint8_t marker[4];
        if (!file.Read(position, marker, 2) || marker[0] != 0xFF)
            return;
        if (marker[1] == 0xFF)
        {
            ++position; // fill byte
            continue;
        }
        const uint8_t code = marker[1];
        if (code == 0xD8 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
        {
            position += 2;
            continue;
        }
        if (code == 0xD9 || !file.Read(position + 2, marker + 2, 2))
            return;
        const uint64_t length = Get(marker + 2, 2, true);
        if (length < 2)
            return;
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame)
        {
            uint8_t body[6 + 3 * 4] = {};
            if (length < 8 || !file.Read(position + 4, body, static_cast<size_t>(std::min<uint64_t>(length - 2, 18))))
                return;
            header.height = static_cast<int64_t>(Get(body + 1, 2, true));
            header.width = static_cast<int64_t>(Get(body + 3, 2, true));
            header.components = body[5];
            progressive = (code & 3) == 2;
            for (int c = 0; c < std::min(4, header.components); ++c)
            {
                samplingH[c] = std::max(1, body[6 + 3 * c + 1] >> 4);
                samplingV[c] = std::max(1, body[6 + 3 * c + 1] & 15);
            }
        }
        else if (code == 0xDA)
        {
            uint8_t inScan = 0;
            if (!file.Read(position + 4, &inScan, 1) || header.components <= 0)
                return;
            if (progressive || inScan < header.components)
            {
                const int components = std::min(4, header.components);
                const int maxH = *std::max_element(samplingH, samplingH + components);
                const int maxV = *std::max_element(samplingV, samplingV + components);
                for (int c = 0; c < components; ++c)
                {
                    const uint64_t h = static_cast<uint64_t>(samplingH[c]);
                    const uint64_t v = static_cast<uint64_t>(samplingV[c]);
                    const uint64_t wide = (static_cast<uint64_t>(header.width) * h + 8 * maxH - 1) / (8 * maxH);
                    const uint64_t high = (static_cast<uint64_t>(header.height) * v + 8 * maxV - 1) / (8 * maxV);
                    // 64 coefficients of 2 bytes a block, rows and columns of blocks rounded to whole MCUs.
                    header.coefficientBytes += (wide + h - 1) / h * h * ((high + v - 1) / v * v) * 128;
                }
            }
            return;
        }
        position += 2 + length;
    }
}
} // namespace

bool ReadImageHeader(const char *pathUtf8, ImageHeader &header)
{
    header = ImageHeader{};
    CHeaderFile file(pathUtf8);
    if (!file.Get())
        return false;
    const int64_t size = FileSize64(file.Get());
    header.fileBytes = size > 0 ? static_cast<uint64_t>(size) : 0;
    uint8_t head[32] = {};
    const size_t got = std::fread(head, 1, sizeof head, file.Get());
    header.type = DetectImageType(head, got);
    switch (header.type)
    {
    case kImageTypePng:
        if (got >= 24)
        {
            header.width = static_cast<int64_t>(Get(head + 16, 4, true));
            header.height = static_cast<int64_t>(Get(head + 20, 4, true));
        }
        break;
    case kImageTypeGif:
        if (got >= 10)
        {
            header.width = static_cast<int64_t>(Get(head + 6, 2, false));
            header.height = static_cast<int64_t>(Get(head + 8, 2, false));
        }
        break;
    case kImageTypeBmp:
        if (got >= 26)
        {
            // A core header holds 16-bit sizes; the others 32-bit ones, the height negative when top-down.
            const bool core = Get(head + 14, 4, false) == 12;
            header.width = core ? static_cast<int64_t>(Get(head + 18, 2, false))
                                : std::abs(static_cast<int64_t>(static_cast<int32_t>(Get(head + 18, 4, false))));
            header.height = core ? static_cast<int64_t>(Get(head + 20, 2, false))
                                 : std::abs(static_cast<int64_t>(static_cast<int32_t>(Get(head + 22, 4, false))));
        }
        break;
    case kImageTypeTif:
        if (got >= 16)
            ReadTiffSize(file, head, header);
        break;
    case kImageTypeJpg:
        ReadJpegSize(file, header);
        break;
    default:
        break;
    }
    return true;
}
