// CSWFButton: DefineButton2 layout.
#include "swf/SWFButton.h"

#include "swf/SWFAction.h"
#include "swf/SWFColorTransform.h"
#include "swf/SWFMatrix.h"
#include "swf/SWFTypes.h"

#include <algorithm>

namespace
{
// ActionOffset counts itself (2 bytes), the records and the CharacterEndFlag (1 byte).
constexpr size_t kActionOffsetExtra = 3;
} // namespace

CSWFButton::CSWFButton(uint16_t characterId, uint16_t depth, bool trackAsMenu)
    : m_uButtonId(characterId), m_uFlags(trackAsMenu ? 1 : 0)
{
    m_nKind = kButton;
    m_nCharacterId = characterId;
    m_nDepth = depth;
}

CSWFButton::~CSWFButton() = default;

void CSWFButton::AddButtonRecord(uint8_t states, uint16_t characterId, uint16_t depth, const float *colorTransform)
{
    ButtonRecord record{};
    record.uStates = states & 0x0F;
    record.uCharacterId = characterId;
    record.uDepth = depth;
    if (colorTransform)
    {
        std::copy(colorTransform, colorTransform + 8, record.fColorTransform);
        record.bHasColorTransform = true;
    }
    const size_t bytes = EncodeRecord(record).size();
    if (!m_condActions.empty() && kActionOffsetExtra + m_uRecordBytes + bytes > 0xFFFF)
        return;
    m_records.push_back(record);
    m_uRecordBytes += bytes;
}

bool CSWFButton::AddCondAction(uint8_t condition1, uint8_t condition2, CSWFAction *action)
{
    CondAction entry;
    entry.uCondActionSize = 0;
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
    if (4 + entry.actions.size() > 0xFFFF || kActionOffsetExtra + m_uRecordBytes > 0xFFFF)
        return false;
    for (CondAction &earlier : m_condActions)
        earlier.uCondActionSize = static_cast<uint16_t>(4 + earlier.actions.size());
    m_condActions.push_back(std::move(entry));
    return true;
}

std::vector<unsigned char> CSWFButton::EncodeRecord(const ButtonRecord &record)
{
    // States, character id, depth, MATRIX, CXFORMWITHALPHA (00: neither add nor multiply terms).
    std::vector<unsigned char> out;
    SWFPutU8(out, record.uStates);
    SWFPutU16(out, record.uCharacterId);
    SWFPutU16(out, record.uDepth);
    CSWFMatrix matrix;
    matrix.SetMatrix(record.fMatrix[0], record.fMatrix[1], record.fMatrix[2], record.fMatrix[3], record.fMatrix[4],
                     record.fMatrix[5]);
    const unsigned char *matrixBytes = matrix.GetData();
    SWFPutBytes(out, matrixBytes, static_cast<size_t>(matrix.GetLength()));
    if (record.bHasColorTransform)
    {
        CSWFColorTransform transform(record.fColorTransform);
        const unsigned char *bytes = transform.GetData();
        SWFPutBytes(out, bytes, static_cast<size_t>(transform.GetLength()));
    }
    else
        SWFPutU8(out, 0);
    return out;
}

const unsigned char *CSWFButton::GetData()
{
    std::vector<unsigned char> records;
    for (const ButtonRecord &record : m_records)
    {
        const std::vector<unsigned char> bytes = EncodeRecord(record);
        records.insert(records.end(), bytes.begin(), bytes.end());
    }
    m_uActionOffset = m_condActions.empty() ? 0 : static_cast<uint16_t>(kActionOffsetExtra + records.size());

    size_t body = 2 + 1 + 2 + records.size() + 1;
    if (!m_condActions.empty())
    {
        for (const CondAction &entry : m_condActions)
            body += 4 + entry.actions.size();
        body += 2;
    }

    std::vector<unsigned char> tag;
    tag.reserve(6 + body);
    SWFPutLongTagHeader(tag, SWFTag::DefineButton2, static_cast<uint32_t>(body));
    SWFPutU16(tag, m_uButtonId);
    SWFPutU8(tag, m_uFlags);
    SWFPutU16(tag, m_uActionOffset);
    SWFPutBytes(tag, records.data(), records.size());
    SWFPutU8(tag, m_uCharacterEndFlag);
    for (const CondAction &entry : m_condActions)
    {
        SWFPutU16(tag, entry.uCondActionSize);
        SWFPutU8(tag, entry.uCondition1);
        SWFPutU8(tag, entry.uCondition2);
        SWFPutBytes(tag, entry.actions.data(), entry.actions.size());
    }
    if (!m_condActions.empty())
    {
        SWFPutU8(tag, 0);
        SWFPutU8(tag, 0);
    }
    m_data.swap(tag);
    return m_data.data();
}

int CSWFButton::GetLength() const
{
    return static_cast<int>(m_data.size());
}
