// SWF tag codes and their names, shared by the movie writer and the player's reader.
#pragma once

#include <cstdint>

// Tag codes (the upper 10 bits of a tag's header word). A reader may meet any 10-bit value, so a code
// outside this list is still a valid SWFTag value.
enum class SWFTag : uint16_t
{
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    DefineBits = 6,
    DefineButton = 7,
    JPEGTables = 8,
    SetBackgroundColor = 9,
    DefineFont = 10,
    DefineText = 11,
    DoAction = 12,
    DefineSound = 14,
    DefineBitsLossless = 20,
    DefineBitsJPEG2 = 21,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineText2 = 33,
    DefineButton2 = 34,
    DefineBitsJPEG3 = 35,
    DefineBitsLossless2 = 36,
    DefineEditText = 37,
    DefineSprite = 39,
    FrameLabel = 43,
    DefineMorphShape = 46,
    DefineFont2 = 48,
    DefineVideoStream = 60,
    FileAttributes = 69,
    PlaceObject3 = 70,
    DefineFont3 = 75,
    DefineShape4 = 83,
    DefineMorphShape2 = 84,
    DefineBinaryData = 87,
    DefineBitsJPEG4 = 90,
};

// The tag's name ("DefineShape3"), or null for a code not listed above.
constexpr const char *SWFTagName(SWFTag code)
{
    switch (code)
    {
    case SWFTag::End:
        return "End";
    case SWFTag::ShowFrame:
        return "ShowFrame";
    case SWFTag::DefineShape:
        return "DefineShape";
    case SWFTag::PlaceObject:
        return "PlaceObject";
    case SWFTag::RemoveObject:
        return "RemoveObject";
    case SWFTag::DefineBits:
        return "DefineBits";
    case SWFTag::DefineButton:
        return "DefineButton";
    case SWFTag::JPEGTables:
        return "JPEGTables";
    case SWFTag::SetBackgroundColor:
        return "SetBackgroundColor";
    case SWFTag::DefineFont:
        return "DefineFont";
    case SWFTag::DefineText:
        return "DefineText";
    case SWFTag::DoAction:
        return "DoAction";
    case SWFTag::DefineSound:
        return "DefineSound";
    case SWFTag::DefineBitsLossless:
        return "DefineBitsLossless";
    case SWFTag::DefineBitsJPEG2:
        return "DefineBitsJPEG2";
    case SWFTag::DefineShape2:
        return "DefineShape2";
    case SWFTag::PlaceObject2:
        return "PlaceObject2";
    case SWFTag::RemoveObject2:
        return "RemoveObject2";
    case SWFTag::DefineShape3:
        return "DefineShape3";
    case SWFTag::DefineText2:
        return "DefineText2";
    case SWFTag::DefineButton2:
        return "DefineButton2";
    case SWFTag::DefineBitsJPEG3:
        return "DefineBitsJPEG3";
    case SWFTag::DefineBitsLossless2:
        return "DefineBitsLossless2";
    case SWFTag::DefineEditText:
        return "DefineEditText";
    case SWFTag::DefineSprite:
        return "DefineSprite";
    case SWFTag::FrameLabel:
        return "FrameLabel";
    case SWFTag::DefineMorphShape:
        return "DefineMorphShape";
    case SWFTag::DefineFont2:
        return "DefineFont2";
    case SWFTag::DefineVideoStream:
        return "DefineVideoStream";
    case SWFTag::FileAttributes:
        return "FileAttributes";
    case SWFTag::PlaceObject3:
        return "PlaceObject3";
    case SWFTag::DefineFont3:
        return "DefineFont3";
    case SWFTag::DefineShape4:
        return "DefineShape4";
    case SWFTag::DefineMorphShape2:
        return "DefineMorphShape2";
    case SWFTag::DefineBinaryData:
        return "DefineBinaryData";
    case SWFTag::DefineBitsJPEG4:
        return "DefineBitsJPEG4";
    }
    return nullptr;
}
