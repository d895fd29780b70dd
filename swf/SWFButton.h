// CSWFButton: a DefineButton2 tag with button records and condition/action entries.
#pragma once

#include "swf/SWFObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CSWFAction;

// A button: which character shows in which state, and actions run on mouse transitions.
class CSWFButton : public CSWFObject
{
  public:
    // Button states of a record.
    static constexpr uint8_t kStateUp = 0x01;
    static constexpr uint8_t kStateOver = 0x02;
    static constexpr uint8_t kStateDown = 0x04;
    static constexpr uint8_t kStateHitTest = 0x08;
    // Transitions of the first condition byte, and of the second (whose upper 7 bits hold a key code).
    static constexpr uint8_t kCondOverUpToOverDown = 0x04;
    static constexpr uint8_t kCondOverDownToIdle = 0x01;

    CSWFButton(uint16_t characterId, uint16_t depth, bool trackAsMenu);
    ~CSWFButton() override;

    // Shows characterId at depth in the given states (low 4 bits kept); colorTransform is null or the
    // eight terms of CSWFColorTransform. Returns false, adding nothing, when an entry exists and the
    // records would push its ActionOffset past 16 bits.
    bool AddButtonRecord(uint8_t states, uint16_t characterId, uint16_t depth, const float *colorTransform);
    // Adds an entry run on the transitions of condition1 and condition2, with a copy of the action
    // bytes (an empty list when action is null or not made for a button). Returns false, adding
    // nothing, when the entry's CondActionSize or the ActionOffset would not fit 16 bits.
    bool AddCondAction(uint8_t condition1, uint8_t condition2, CSWFAction *action);

    const unsigned char *GetData() override;
    int GetLength() const override;

  private:
    struct CondAction
    {
        uint8_t uCondition1;
        uint8_t uCondition2;
        std::vector<unsigned char> actions;
    };

    uint8_t m_uFlags;
    // The button records, each encoded once as it is added.
    std::vector<unsigned char> m_records;
    std::vector<CondAction> m_condActions;
    std::vector<unsigned char> m_data;
};
