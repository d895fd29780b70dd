// CSWFAction: action records and their layout.
#include "swf/SWFAction.h"

#include "swf/SWFTypes.h"

#include <cstring>

CSWFAction::CSWFAction(bool forButton) : m_bForButton(forButton)
{
}

CSWFAction::~CSWFAction() = default;

bool CSWFAction::AddGetURL(const char *url, const char *target)
{
    const size_t urlLength = url ? std::strlen(url) : 0;
    const size_t targetLength = target ? std::strlen(target) : 0;
    // Both strings with their terminating 00 must fit the u16 payload length.
    if (urlLength > 0xFFFF || targetLength > 0xFFFF || urlLength + 1 + targetLength + 1 > 0xFFFF)
        return false;
    ActionRecord record;
    record.uCode = kGetURL;
    record.uPayloadLength = static_cast<uint16_t>(urlLength + 1 + targetLength + 1);
    record.strUrl.assign(url ? url : "", urlLength);
    record.strTarget.assign(target ? target : "", targetLength);
    m_records.push_back(std::move(record));
    return true;
}

const unsigned char *CSWFAction::Build()
{
    // Each record: code, u16 payload length, payload; then the ActionEndFlag 00. Outside a button the list
    // is the body of a DoAction tag.
    std::vector<unsigned char> out;
    if (!m_bForButton)
        SWFBeginTag(out);
    for (const ActionRecord &r : m_records)
    {
        SWFPutU8(out, r.uCode);
        SWFPutU16(out, r.uPayloadLength);
        SWFPutBytes(out, reinterpret_cast<const unsigned char *>(r.strUrl.data()), r.strUrl.size());
        SWFPutU8(out, 0);
        SWFPutBytes(out, reinterpret_cast<const unsigned char *>(r.strTarget.data()), r.strTarget.size());
        SWFPutU8(out, 0);
    }
    SWFPutU8(out, 0);
    if (!m_bForButton)
        SWFEndTag(out, SWFTag::DoAction);
    m_data.swap(out);
    return m_data.data();
}

int CSWFAction::GetLength() const
{
    return static_cast<int>(m_data.size());
}
