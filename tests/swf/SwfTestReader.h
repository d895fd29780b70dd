// A small SWF reader for tests, written apart from the writer: parses a movie and decodes the tags it uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Tag codes the reader knows by name.
enum SwfCode
{
    kSwfEnd = 0,
    kSwfShowFrame = 1,
    kSwfSetBackgroundColor = 9,
    kSwfDoAction = 12,
    kSwfDefineBitsJpeg2 = 21,
    kSwfPlaceObject2 = 26,
    kSwfRemoveObject2 = 28,
    kSwfDefineShape3 = 32,
    kSwfDefineButton2 = 34,
};

struct SwfTag
{
    int code = -1;
    bool longHeader = false; // 6-byte header (length 0x3F plus u32)
    size_t offset = 0;       // file offset of the tag header
    std::string body;
};

struct SwfRect
{
    int nbits = 0;
    int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0; // twips
    size_t bytes = 0;                               // encoded size
};

struct SwfMovie
{
    std::string signature;
    int version = 0;
    uint32_t fileLength = 0;
    SwfRect frameSize;
    uint16_t frameRate = 0; // 8.8
    uint16_t frameCount = 0;
    std::vector<SwfTag> tags; // End included, last
};

// Parses a whole file. Returns "" when it adds up, else what does not.
std::string ParseSwfMovie(const std::string &bytes, SwfMovie &movie);
// Parses one complete tag (header and body) that fills bytes exactly, as a definition's GetData gives it.
std::string ParseSwfTag(const std::string &bytes, SwfTag &tag);
// Number of tags with the code.
int CountSwfTags(const SwfMovie &movie, int code);

struct SwfMatrix
{
    bool hasScale = false;
    int scaleBits = 0;
    int32_t scaleX = 0, scaleY = 0; // 16.16
    bool hasRotate = false;
    int rotateBits = 0;
    int32_t rotateSkew0 = 0, rotateSkew1 = 0;
    int translateBits = 0;
    int32_t translateX = 0, translateY = 0; // twips
    size_t bytes = 0;
};

struct SwfColorTransform
{
    bool hasAdd = false, hasMult = false;
    int nbits = 0;
    int32_t mult[4] = {256, 256, 256, 256};
    int32_t add[4] = {0, 0, 0, 0};
    size_t bytes = 0;
};

// Decoders of one record at the start of bytes.
std::string DecodeSwfRect(const std::string &bytes, SwfRect &rect);
std::string DecodeSwfMatrix(const std::string &bytes, SwfMatrix &matrix);
std::string DecodeSwfColorTransform(const std::string &bytes, SwfColorTransform &cxform);

struct SwfPlaceObject2
{
    uint8_t flags = 0;
    uint16_t depth = 0;
    bool hasCharacter = false;
    uint16_t characterId = 0;
    SwfMatrix matrix;
    bool hasColorTransform = false;
    SwfColorTransform cxform;
};
std::string DecodePlaceObject2(const SwfTag &tag, SwfPlaceObject2 &place);

struct SwfBitsJpeg2
{
    uint16_t characterId = 0;
    std::string imageData; // everything after the id
};
std::string DecodeDefineBitsJpeg2(const SwfTag &tag, SwfBitsJpeg2 &bits);

struct SwfShape
{
    struct Fill
    {
        uint8_t type = 0;
        uint16_t bitmapId = 0;
        SwfMatrix matrix;
        uint8_t rgba[4] = {0, 0, 0, 0}; // solid fills
    };
    struct Line
    {
        uint16_t width = 0;
        uint8_t rgba[4] = {0, 0, 0, 0};
    };
    struct Record
    {
        bool edge = false;
        // style change
        bool hasMoveTo = false, hasFill0 = false, hasFill1 = false, hasLine = false;
        int moveBits = 0;
        int32_t moveX = 0, moveY = 0;
        uint32_t fill0 = 0, fill1 = 0, line = 0;
        // straight edge
        int edgeBits = 0;
        bool general = false;
        int32_t dx = 0, dy = 0;
    };
    uint16_t shapeId = 0;
    SwfRect bounds;
    std::vector<Fill> fills;
    std::vector<Line> lines;
    int fillBits = 0, lineBits = 0;
    std::vector<Record> records; // without the end record
};
std::string DecodeDefineShape3(const SwfTag &tag, SwfShape &shape);

struct SwfGetUrl
{
    std::string url, target;
};
struct SwfAction
{
    uint8_t code = 0;
    std::string payload;
};
// Action records up to and including the end flag 00; used says how many bytes that took.
std::string DecodeSwfActions(const std::string &bytes, std::vector<SwfAction> &actions, std::vector<SwfGetUrl> &urls,
                             size_t &used);

struct SwfButton
{
    struct Record
    {
        uint8_t states = 0;
        uint16_t characterId = 0, depth = 0;
        SwfMatrix matrix;
        SwfColorTransform cxform;
    };
    struct CondAction
    {
        uint16_t size = 0;
        uint8_t condition1 = 0, condition2 = 0;
        std::string actionBytes;
        std::vector<SwfAction> actions;
        std::vector<SwfGetUrl> urls;
    };
    uint16_t buttonId = 0;
    uint8_t flags = 0;
    uint16_t actionOffset = 0;
    std::vector<Record> records;
    std::vector<CondAction> condActions;
    std::string trailing; // bytes after the last entry
};
std::string DecodeDefineButton2(const SwfTag &tag, SwfButton &button);
