// Buttons and action lists: exact tags of the slide button, entries, records and the 16-bit limits.
#include "swf/SWFButton.h"
#include "SwfTestReader.h"
#include "SwfTestUtil.h"
#include "swf/SWFAction.h"

#include <gtest/gtest.h>

namespace
{
std::string TagOf(CSWFButton &button)
{
    return BytesOf(button);
}

std::string BuiltBytes(CSWFAction &action)
{
    const unsigned char *data = action.Build();
    return AsBytes(data, action.GetLength());
}

std::string Decode(CSWFButton &button, SwfButton &decoded)
{
    SwfTag tag;
    if (std::string error = ParseSwfTag(TagOf(button), tag); !error.empty())
        return error;
    return DecodeDefineButton2(tag, decoded);
}

const char *const kPageActions = "83 0A 00 70 61 67 65 2E 68 74 6D 00 00 00";
} // namespace

TEST(SWFActionTest, LaysOutGetUrlRecordsWithTheirPayloadLength)
{
    struct Row
    {
        const char *name;
        bool forButton;
        const char *url, *target;
        const char *hex;
    };
    const Row rows[] = {
        {"slide address", true, "page.htm", "", kPageActions},
        {"empty address and target", true, "", "", "83 02 00 00 00 00"},
        {"null strings are empty", true, nullptr, nullptr, "83 02 00 00 00 00"},
        {"percent-encoded address and a target", true, "a%C3%A9", "_blank",
         "83 0F 00 61 25 43 33 25 41 39 00 5F 62 6C 61 6E 6B 00 00"},
        {"other bytes are written as given", true, "\xC3\xA9", "", "83 04 00 C3 A9 00 00 00"},
        {"outside a button: DoAction tag", false, "page.htm", "",
         "3F 03 0E 00 00 00 | 83 0A 00 70 61 67 65 2E 68 74 6D 00 00 00"},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        CSWFAction action(row.forButton);
        ASSERT_TRUE(action.AddGetURL(row.url, row.target));
        const std::string first = BuiltBytes(action);
        EXPECT_EQ(Hex(first), Hex(HexBytes(row.hex)));
        EXPECT_EQ(Hex(BuiltBytes(action)), Hex(first));
    }
    CSWFAction none(true);
    EXPECT_EQ(Hex(BuiltBytes(none)), "00");
}

TEST(SWFActionTest, RefusesPayloadsBeyondSixteenBits)
{
    // Payload = url + 1 + target + 1 bytes.
    struct Row
    {
        size_t urlLength, targetLength;
        bool accepted;
    };
    const Row rows[] = {{65533, 0, true},     {65534, 0, false},     {0, 65533, true},
                        {40000, 25533, true}, {40000, 25534, false}, {200000, 0, false}};
    for (const Row &row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.urlLength << " + " << row.targetLength);
        const std::string url(row.urlLength, 'u'), target(row.targetLength, 't');
        CSWFAction action(true);
        EXPECT_EQ(action.AddGetURL(url.c_str(), target.c_str()), row.accepted);
        action.Build();
        EXPECT_EQ(action.GetLength(),
                  row.accepted ? static_cast<int>(3 + row.urlLength + row.targetLength + 2 + 1) : 1);
    }
}

TEST(SWFButtonTest, SlideButtonTagsAreExact)
{
    {
        SCOPED_TRACE("with an address");
        CSWFButton button(3, 3, false);
        button.AddButtonRecord(0x08, 2, 2, nullptr);
        CSWFAction action(true);
        action.AddGetURL("page.htm", "");
        ASSERT_TRUE(button.AddCondAction(0x04, 0x01, &action));
        EXPECT_EQ(Hex(BuiltBytes(action)), Hex(HexBytes(kPageActions)));
        EXPECT_EQ(Hex(TagOf(button)),
                  Hex(HexBytes("BF 08 21 00 00 00 | 03 00 | 00 | 0A 00 | 08 02 00 02 00 00 00 | 00 | "
                               "00 00 04 01 83 0A 00 70 61 67 65 2E 68 74 6D 00 00 00 | 00 00")));
        // Laid out afresh each time from the same content.
        EXPECT_EQ(TagOf(button), TagOf(button));
    }
    {
        SCOPED_TRACE("without an address");
        CSWFButton button(3, 3, false);
        button.AddButtonRecord(0x08, 2, 2, nullptr);
        EXPECT_EQ(Hex(TagOf(button)), Hex(HexBytes("BF 08 0D 00 00 00 03 00 00 00 00 08 02 00 02 00 00 00 00")));
    }
    {
        SCOPED_TRACE("no records, no entries");
        CSWFButton button(0x1234, 1, false);
        EXPECT_EQ(Hex(TagOf(button)), Hex(HexBytes("BF 08 06 00 00 00 | 34 12 | 00 00 00 00")));
    }
    {
        SCOPED_TRACE("tracked as a menu, states 0x18 keep 0x08, a record with a colour transform");
        CSWFButton button(3, 3, true);
        const float neutral[8] = {1, 1, 1, 1, 0, 0, 0, 0};
        button.AddButtonRecord(0x18, 2, 2, neutral);
        EXPECT_EQ(Hex(TagOf(button)), Hex(HexBytes("BF 08 17 00 00 00 | 03 00 | 01 | 00 00 | 08 02 00 02 00 00 | "
                                                   "E9 00 40 10 04 00 00 00 00 00 00 | 00")));
    }
}

TEST(SWFButtonTest, CondActionEntriesChainTheirSizesAndCopyTheActions)
{
    CSWFButton button(3, 3, false);
    button.AddButtonRecord(0x08, 2, 2, nullptr);
    button.AddButtonRecord(0x07, 1, 1, nullptr);
    CSWFAction first(true), second(true), notForButton(false);
    first.AddGetURL("a.htm", "");
    second.AddGetURL("b.htm", "_top");
    notForButton.AddGetURL("c.htm", "");
    ASSERT_TRUE(button.AddCondAction(0x04, 0x01, &first));
    ASSERT_TRUE(button.AddCondAction(0x01, 0x00, nullptr));
    ASSERT_TRUE(button.AddCondAction(0x02, 0x00, &notForButton));
    ASSERT_TRUE(button.AddCondAction(0x80, 0x3A, &second));
    // The button holds copies: later changes to a list do not reach it.
    first.AddGetURL("changed.htm", "");

    SwfButton decoded;
    ASSERT_EQ(Decode(button, decoded), "");
    EXPECT_EQ(decoded.actionOffset, 2 + 7 + 7 + 1);
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.records[1].states, 0x07);
    ASSERT_EQ(decoded.condActions.size(), 4u);
    const SwfButton::CondAction &a = decoded.condActions[0], &b = decoded.condActions[1], &c = decoded.condActions[2],
                                &d = decoded.condActions[3];
    EXPECT_EQ(a.size, 4 + 11);
    EXPECT_EQ(a.condition1, 0x04);
    EXPECT_EQ(a.condition2, 0x01);
    ASSERT_EQ(a.urls.size(), 1u);
    EXPECT_EQ(a.urls[0].url, "a.htm");
    // An entry without a usable list carries an empty one (the end flag alone).
    EXPECT_EQ(b.size, 5);
    EXPECT_EQ(Hex(b.actionBytes), "00");
    EXPECT_EQ(c.size, 5);
    EXPECT_TRUE(c.urls.empty());
    EXPECT_EQ(d.size, 0);
    EXPECT_EQ(d.condition1, 0x80);
    EXPECT_EQ(d.condition2, 0x3A);
    ASSERT_EQ(d.urls.size(), 1u);
    EXPECT_EQ(d.urls[0].target, "_top");
    EXPECT_EQ(Hex(decoded.trailing), "00 00");
}

TEST(SWFButtonTest, RefusesEntriesAndRecordsThatOverflowSixteenBitOffsets)
{
    {
        SCOPED_TRACE("CondActionSize = 4 + action bytes (url + 6)");
        for (size_t length : {65525u, 65526u})
        {
            CSWFButton button(1, 1, false);
            CSWFAction action(true);
            ASSERT_TRUE(action.AddGetURL(std::string(length, 'x').c_str(), ""));
            const bool fits = length == 65525;
            EXPECT_EQ(button.AddCondAction(0x04, 0x01, &action), fits);
            ASSERT_TRUE(button.AddCondAction(0x01, 0x00, nullptr));
            SwfButton decoded;
            ASSERT_EQ(Decode(button, decoded), "");
            ASSERT_EQ(decoded.condActions.size(), fits ? 2u : 1u);
            EXPECT_EQ(decoded.condActions[0].size, fits ? 65535 : 0);
        }
    }
    {
        SCOPED_TRACE("ActionOffset = 3 + 7 bytes per record");
        for (int records : {9361, 9362})
        {
            CSWFButton button(1, 1, false);
            for (int i = 0; i < records; ++i)
                button.AddButtonRecord(0x08, 2, 2, nullptr);
            const bool fits = records == 9361;
            EXPECT_EQ(button.AddCondAction(0x04, 0x01, nullptr), fits);
            // Once an entry exists, a record that would overflow the offset is refused.
            EXPECT_EQ(button.AddButtonRecord(0x08, 2, 2, nullptr), !fits);
            SwfButton decoded;
            ASSERT_EQ(Decode(button, decoded), "");
            EXPECT_EQ(decoded.records.size(), static_cast<size_t>(fits ? records : records + 1));
            EXPECT_EQ(decoded.condActions.size(), fits ? 1u : 0u);
            if (fits)
            {
                EXPECT_EQ(decoded.actionOffset, 3 + 7 * records);
            }
        }
    }
}
