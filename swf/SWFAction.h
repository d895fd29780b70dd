// CSWFAction: a list of actions (GetURL) laid out for a button condition or as a DoAction tag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Actions in the order added, each with its payload; Build lays out the bytes ending with 00.
class CSWFAction
{
  public:
    static constexpr uint8_t kGetURL = 0x83;

    // forButton: the bytes go into a button condition (no tag header); otherwise a DoAction tag.
    explicit CSWFAction(bool forButton);
    virtual ~CSWFAction();

    // Appends GetURL with url and target written byte for byte, each NUL-terminated (null is empty).
    // Returns false, adding nothing, when the payload would not fit its 16-bit length.
    bool AddGetURL(const char *url, const char *target);
    // Lays out the list afresh and returns the bytes.
    const unsigned char *Build();
    // Byte count of the last Build.
    int GetLength() const;
    bool IsForButton() const
    {
        return m_bForButton;
    }

  private:
    struct ActionRecord
    {
        uint8_t uCode;
        uint16_t uPayloadLength;
        std::string strUrl;
        std::string strTarget;
    };

    bool m_bForButton;
    std::vector<ActionRecord> m_records;
    std::vector<unsigned char> m_data;
};
