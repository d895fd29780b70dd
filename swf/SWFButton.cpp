// CSWFButton: DefineButton2 layout.
#include "swf/SWFButton.h"

#include "swf/SWFAction.h"
#include "swf/SWFColorTransform.h"
#include "swf/SWFMatrix.h"
#include "swf/SWFTypes.h"

namespace
{
// ActionOffset counts itself (2 bytes), the records and the CharacterEndFlag (1 byte).
constexpr size_t kActionOffsetExtra = 3;
// CondActionSize counts itself (2 bytes), the two condition bytes and the action bytes.
constexpr size_t kCondActionExtra = 4;
} // namespace

CSWFButton::CSWFButton(uint16_t characterId, uint16_t depth, bool trackAsMenu) : m_uFlags(trackAsMenu ? 1 : 0)
{
    m_nKind = kButton;
    m_nCharacterId = characterId;
    m_nDepth = depth;
}

CSWFButton::~CSWFButton() = default;

bool CSWFButton::AddButtonRecord(uint8_t states, uint16_t characterId, uint16_t depth, const float *colorTransform)
{
    // States, character id, depth, MATRIX (the identity), CXFORMWITHALPHA (00: neither add nor multiply terms).
    std::vector<unsigned char> record;
    SWFPutU8(record, states & 0x0F);
    SWFPutU16(record, characterId);
    SWFPutU16(record, depth);
    CSWFMatrix identity;
    SWFPutRecord(record, identity);
    if (colorTransform)
    {
        CSWFColorTransform transform(colorTransform);
        SWFPutRecord(record, transform);
    }
    else
        SWFPutU8(record, 0);
    if (!m_condActions.empty() && kActionOffsetExtra + m_records.size() + record.size() > 0xFFFF)
        return false;
    SWFPutBytes(m_records, record.data(), record.size());
    return true;
}

bool CSWFButton::AddCondAction(uint8_t condition1, uint8_t condition2, CSWFAction *action)
{
    CondAction entry;
    entry.uCondition1 = condition1;
    entry.uCondition2 = condition2;
    if (action && action->IsForButton())
    {
        const unsigned char *bytes = action->Build();
        entry.actions.assign(bytes, bytes + action->GetLength());
    }
    else
    {
        // An empty action list: the entry still ends with its ActionEndFlag, so readers stay in step.
        entry.actions.assign(1, 0x00);
    }
    // The entry's size becomes 4 + its action bytes once another entry follows it.
    if (kCondActionExtra + entry.actions.size() > 0xFFFF || kActionOffsetExtra + m_records.size() > 0xFFFF)
        return false;
    m_condActions.push_back(std::move(entry));
    return true;
}

const unsigned char *CSWFButton::GetData()
{
    // ButtonId, flags, ActionOffset, the records, CharacterEndFlag; then the entries, each with its
    // CondActionSize (0 for the last), and 00 00 after them.
    const bool bEntries = !m_condActions.empty();
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    SWFPutU16(tag, m_nCharacterId);
    SWFPutU8(tag, m_uFlags);
    SWFPutU16(tag, static_cast<uint16_t>(bEntries ? kActionOffsetExtra + m_records.size() : 0));
    SWFPutBytes(tag, m_records.data(), m_records.size());
    SWFPutU8(tag, 0);
    for (size_t i = 0; i < m_condActions.size(); ++i)
    {
        const CondAction &entry = m_condActions[i];
        const bool bLast = i + 1 == m_condActions.size();
        SWFPutU16(tag, static_cast<uint16_t>(bLast ? 0 : kCondActionExtra + entry.actions.size()));
        SWFPutU8(tag, entry.uCondition1);
        SWFPutU8(tag, entry.uCondition2);
        SWFPutBytes(tag, entry.actions.data(), entry.actions.size());
    }
    if (bEntries)
    {
        SWFPutU8(tag, 0);
        SWFPutU8(tag, 0);
    }
    SWFEndTag(tag, SWFTag::DefineButton2);
    m_data.swap(tag);
    return m_data.data();
}

int CSWFButton::GetLength() const
{
    return static_cast<int>(m_data.size());
}
