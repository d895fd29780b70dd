// A movie as the player holds it after reading: header, character dictionary and the frames' control tags.
#pragma once

#include "preview/SwfPlayerTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct SwfRectTwips
{
    int32_t xmin = 0;
    int32_t xmax = 0;
    int32_t ymin = 0;
    int32_t ymax = 0;
};

enum class SwfFillKind : uint8_t
{
    Solid,
    LinearGradient,
    RadialGradient,
    Bitmap,
};

struct SwfGradientStop
{
    uint8_t ratio = 0;
    SwfRgba color;
};

struct SwfFillStyle
{
    SwfFillKind kind = SwfFillKind::Solid;
    SwfRgba color;                      // solid
    SwfFixedMatrix matrix;              // gradient square or bitmap pixels to shape twips
    std::vector<SwfGradientStop> stops; // gradients, 1 to 15
    uint16_t bitmapId = 0;
    bool bRepeat = true; // 0x40, 0x42 repeat; 0x41, 0x43 clamp at the edges
    bool bSmooth = true; // 0x40, 0x41 smoothed
};

struct SwfLineStyle
{
    uint16_t widthTwips = 0;
    SwfRgba color;
};

// One edge of a shape's path in shape twips. Style indices point into the shape's style arrays plus one
// (0: none); styles of a later StateNewStyles record follow the earlier ones.
struct SwfEdge
{
    int32_t x0, y0;
    int32_t cx, cy; // control point of a curve
    int32_t x1, y1;
    uint32_t fill0;
    uint32_t fill1;
    uint32_t line;
    bool bCurve;
};

struct SwfShapeDef
{
    uint16_t id = 0;
    SwfRectTwips bounds;
    std::vector<SwfFillStyle> fills;
    std::vector<SwfLineStyle> lines;
    std::vector<SwfEdge> edges;
    // Style groups in drawing order: group g holds fills [fillGroups[g], fillGroups[g + 1]) and lines
    // likewise; each group's fills are drawn, then its lines.
    std::vector<uint32_t> fillGroups;
    std::vector<uint32_t> lineGroups;
    // Set when the filled area is exactly one axis-aligned rectangle of one fill style (index + 1), so
    // that an opaque placement of it hides everything below.
    bool bSingleRect = false;
    SwfRectTwips singleRect;
    uint32_t singleRectFill = 0;
};

enum class SwfActionCode : uint8_t
{
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    GotoFrame = 0x81,
    GetURL = 0x83,
};

// The actions the player knows; others are kept by code only.
struct SwfActionRecord
{
    uint8_t code = 0;
    uint16_t frame = 0; // GotoFrame
    std::string strUrl; // GetURL
    std::string strTarget;
};

// Condition bits of a button's condition/action entry, first byte.
constexpr uint8_t kSwfCondOverUpToOverDown = 0x04;
constexpr uint8_t kSwfCondOverDownToOverUp = 0x08;

struct SwfCondAction
{
    uint8_t cond1 = 0;
    uint8_t cond2 = 0;
    std::vector<SwfActionRecord> actions;
};

// Button states of a record.
constexpr uint8_t kSwfStateUp = 0x01;
constexpr uint8_t kSwfStateOver = 0x02;
constexpr uint8_t kSwfStateDown = 0x04;
constexpr uint8_t kSwfStateHitTest = 0x08;

struct SwfButtonRecord
{
    uint8_t states = 0;
    uint16_t characterId = 0;
    uint16_t depth = 0;
    SwfFixedMatrix matrix;
    SwfCxform cxform;
};

struct SwfButtonDef
{
    uint16_t id = 0;
    bool bTrackAsMenu = false;
    std::vector<SwfButtonRecord> records; // sorted by depth
    std::vector<SwfCondAction> conditions;
};

enum class SwfBitmapKind : uint8_t
{
    Jpeg,      // DefineBits with the movie's JPEGTables
    Jpeg2,     // DefineBitsJPEG2
    Jpeg3,     // DefineBitsJPEG3: JPEG plus a zlib alpha plane
    Lossless,  // DefineBitsLossless
    Lossless2, // DefineBitsLossless2: with alpha, premultiplied
};

// Where a bitmap's data lies in the movie's bytes; decoded on demand.
struct SwfBitmapDef
{
    uint16_t id = 0;
    SwfBitmapKind kind = SwfBitmapKind::Jpeg2;
    size_t dataOffset = 0;
    size_t dataSize = 0;
    size_t alphaOffset = 0; // Jpeg3
    size_t alphaSize = 0;
    uint8_t format = 0;      // lossless: 3 colour-mapped, 4 15-bit, 5 32-bit
    uint16_t colorCount = 0; // lossless format 3
    int width = 0;
    int height = 0;
    bool bOpaque = false; // known opaque without decoding
    bool bBroken = false; // refused while reading; draws nothing
};

enum class SwfCharacterKind : uint8_t
{
    Shape,
    Button,
    Bitmap,
};

struct SwfCharacter
{
    SwfCharacterKind kind = SwfCharacterKind::Shape;
    uint32_t index = 0; // into the movie's shapes, buttons or bitmaps
};

enum class SwfControlKind : uint8_t
{
    Place,
    Remove,
    Actions,
};

// A tag that changes the display list or runs actions when its frame is entered.
struct SwfControlTag
{
    SwfControlKind kind = SwfControlKind::Place;
    uint16_t depth = 0;
    uint16_t characterId = 0;
    bool bHasCharacter = false;
    bool bMove = false;
    bool bHasMatrix = false;
    bool bHasCxform = false;
    bool bClipLayer = false;
    uint32_t actionList = 0; // Actions: index into the movie's action lists
    SwfFixedMatrix matrix;
    SwfCxform cxform;
};

struct SwfMovieData
{
    std::vector<uint8_t> bytes; // the whole (inflated) file; bitmaps point into it
    bool bCompressed = false;
    int version = 0;
    uint32_t fileLength = 0;
    SwfRectTwips stage;
    uint16_t frameRate = 0; // 8.8
    uint16_t headerFrameCount = 0;
    SwfRgb background;
    bool bHasBackground = false;

    std::unordered_map<uint16_t, SwfCharacter> characters;
    std::vector<SwfShapeDef> shapes;
    std::vector<SwfButtonDef> buttons;
    std::vector<SwfBitmapDef> bitmaps;
    // The JPEGTables tag that DefineBits bitmaps share.
    size_t jpegTablesOffset = 0;
    size_t jpegTablesSize = 0;

    std::vector<SwfControlTag> controlTags;
    // Frame f holds controlTags [frameStarts[f], frameStarts[f + 1]).
    std::vector<uint32_t> frameStarts;
    std::vector<std::vector<SwfActionRecord>> actionLists;

    std::vector<std::string> warnings;

    int FrameCount() const
    {
        return frameStarts.empty() ? 0 : static_cast<int>(frameStarts.size() - 1);
    }
    const SwfCharacter *Find(uint16_t id) const
    {
        auto it = characters.find(id);
        return it == characters.end() ? nullptr : &it->second;
    }
};
