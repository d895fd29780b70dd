// Rebuilding JPEG streams from SWF bitmap tags.
#include "preview/SwfJpegData.h"

#include <cstring>

namespace
{

constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;

bool IsFrameHeader(uint8_t marker)
{
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsStandalone(uint8_t marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

class CJpegWalker
{
  public:
    CJpegWalker(std::vector<uint8_t> *out, SwfJpegInfo &info) : m_pOut(out), m_info(info)
    {
    }

    // Walks one buffer; false with a reason on a structural fault.
    bool Walk(const uint8_t *buf, size_t n, const char *what, std::string &error)
    {
        size_t pos = 0;
        while (pos < n && !m_bDone)
        {
            if (buf[pos] != 0xFF)
            {
                if (m_bScanSeen && m_bEndSeen)
                {
                    m_bDone = true; // bytes after a complete picture
                    break;
                }
                error = std::string("the JPEG data of the ") + what + " has a stray byte at offset " +
                        std::to_string(pos) + " where a marker belongs";
                return false;
            }
            while (pos < n && buf[pos] == 0xFF)
                ++pos;
            if (pos >= n)
                break;
            const uint8_t marker = buf[pos++];
            if (marker == kSoi)
                continue;
            if (marker == kEoi)
            {
                m_bEndSeen = true;
                if (m_bScanSeen)
                    m_bDone = true;
                continue;
            }
            if (IsStandalone(marker))
                continue;
            if (marker == 0x00)
            {
                error = std::string("the JPEG data of the ") + what + " has a stuffed zero outside a scan at offset " +
                        std::to_string(pos - 1);
                return false;
            }
            if (m_bScanSeen && m_bEndSeen)
            {
                m_bDone = true;
                break;
            }
            m_bEndSeen = false;
            if (n - pos < 2)
            {
                error = std::string("the JPEG data of the ") + what + " ends inside the marker at offset " +
                        std::to_string(pos - 2);
                return false;
            }
            const size_t length = (static_cast<size_t>(buf[pos]) << 8) | buf[pos + 1];
            if (length < 2 || length > n - pos)
            {
                error = std::string("a JPEG segment of the ") + what + " at offset " + std::to_string(pos - 2) +
                        " says " + std::to_string(length) + " bytes but " + std::to_string(n - pos) + " remain";
                return false;
            }
            if (IsFrameHeader(marker))
            {
                if (length < 8)
                {
                    error = std::string("the JPEG frame header of the ") + what + " is too short";
                    return false;
                }
                m_info.height = (buf[pos + 3] << 8) | buf[pos + 4];
                m_info.width = (buf[pos + 5] << 8) | buf[pos + 6];
                m_bFrameSeen = true;
            }
            Emit(buf + pos - 2, length + 2);
            pos += length;
            if (marker == kSos)
            {
                m_bScanSeen = true;
                const size_t start = pos;
                pos = ScanEnd(buf, n, pos);
                Emit(buf + start, pos - start);
            }
        }
        return true;
    }

    bool Finish(std::string &error)
    {
        if (!m_bFrameSeen)
        {
            error = "the JPEG data has no frame header";
            return false;
        }
        if (!m_bScanSeen)
        {
            error = "the JPEG data has no scan";
            return false;
        }
        if (m_info.width <= 0 || m_info.height <= 0)
        {
            error = "the JPEG frame header gives no size (" + std::to_string(m_info.width) + " x " +
                    std::to_string(m_info.height) + ")";
            return false;
        }
        if (m_pOut)
        {
            const uint8_t end[2] = {0xFF, kEoi};
            m_pOut->insert(m_pOut->end(), end, end + 2);
        }
        return true;
    }

  private:
    // Entropy-coded data runs to the next marker other than a stuffed zero or a restart marker.
    static size_t ScanEnd(const uint8_t *buf, size_t n, size_t pos)
    {
        while (pos < n)
        {
            const void *ff = std::memchr(buf + pos, 0xFF, n - pos);
            if (!ff)
                return n;
            size_t at = static_cast<const uint8_t *>(ff) - buf;
            if (at + 1 >= n)
                return n;
            const uint8_t next = buf[at + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
                pos = at + 2;
            else if (next == 0xFF)
                pos = at + 1;
            else
                return at;
        }
        return n;
    }

    void Emit(const uint8_t *bytes, size_t count)
    {
        if (!m_pOut)
            return;
        if (m_pOut->empty())
        {
            m_pOut->push_back(0xFF);
            m_pOut->push_back(kSoi);
        }
        m_pOut->insert(m_pOut->end(), bytes, bytes + count);
    }

    std::vector<uint8_t> *m_pOut;
    SwfJpegInfo &m_info;
    bool m_bFrameSeen = false;
    bool m_bScanSeen = false;
    bool m_bEndSeen = false;
    bool m_bDone = false;
};

} // namespace

bool RebuildJpegStream(const uint8_t *tables, size_t tablesSize, const uint8_t *data, size_t size,
                       std::vector<uint8_t> *out, SwfJpegInfo &info, std::string &error)
{
    SwfJpegInfo found;
    std::vector<uint8_t> rebuilt;
    CJpegWalker walker(out ? &rebuilt : nullptr, found);
    if (out)
        rebuilt.reserve(tablesSize + size + 4);
    if (tables && tablesSize && !walker.Walk(tables, tablesSize, "JPEGTables", error))
        return false;
    if (!walker.Walk(data, size, "bitmap", error))
        return false;
    if (!walker.Finish(error))
        return false;
    info = found;
    if (out)
        out->swap(rebuilt);
    return true;
}
