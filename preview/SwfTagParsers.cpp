// Parsing of shape, button, action and placement tag bodies.
#include "preview/SwfTagParsers.h"

#include <algorithm>
#include <cstdlib>

namespace
{

// Smallest encodings, used to check a count against the bytes left before reserving for it.
constexpr size_t kMinFillStyleBytes = 3;
constexpr size_t kMinLineStyleBytes = 5;
constexpr size_t kMinButtonRecordBytes = 6;
constexpr size_t kMaxGradientStops = 15;
constexpr size_t kMaxActionsPerList = 4096;
constexpr size_t kMaxConditions = 256;
constexpr size_t kMaxRectangleEdges = 64;
// Pen positions are held within 30 bits so sums of deltas never overflow.
constexpr int64_t kMaxCoordinate = (int64_t(1) << 30) - 1;

int32_t ClampCoordinate(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kMaxCoordinate, kMaxCoordinate));
}

std::string Hex2(unsigned v)
{
    const char *digits = "0123456789ABCDEF";
    std::string s = "0x";
    s += digits[(v >> 4) & 15];
    s += digits[v & 15];
    return s;
}

// Reads a FILLSTYLEARRAY and a LINESTYLEARRAY and appends them to the shape as a new style group.
bool ReadStyleArrays(CSwfBitReader &r, int version, SwfShapeDef &shape, std::string &error)
{
    size_t fillCount = r.U8();
    if (fillCount == 0xFF && version >= 2)
        fillCount = r.U16();
    if (r.Overrun())
        return false;
    if (fillCount > r.Remaining() / kMinFillStyleBytes)
    {
        r.Skip(r.Remaining() + 1);
        return false;
    }
    shape.fillGroups.push_back(static_cast<uint32_t>(shape.fills.size()));
    shape.fills.reserve(shape.fills.size() + fillCount);
    for (size_t i = 0; i < fillCount; ++i)
    {
        SwfFillStyle fill;
        const uint8_t type = r.U8();
        if (type == 0x00)
        {
            fill.kind = SwfFillKind::Solid;
            fill.color = version >= 3 ? r.Rgba() : r.RgbAsRgba();
        }
        else if (type == 0x10 || type == 0x12 || type == 0x13)
        {
            fill.kind = type == 0x10 ? SwfFillKind::LinearGradient : SwfFillKind::RadialGradient;
            fill.matrix = r.Matrix();
            const size_t stops = r.U8() & 0x0F;
            for (size_t s = 0; s < stops && s < kMaxGradientStops; ++s)
            {
                SwfGradientStop stop;
                stop.ratio = r.U8();
                stop.color = version >= 3 ? r.Rgba() : r.RgbAsRgba();
                fill.stops.push_back(stop);
            }
            if (type == 0x13)
                r.U16(); // focal point, drawn as a plain radial gradient
        }
        else if (type >= 0x40 && type <= 0x43)
        {
            fill.kind = SwfFillKind::Bitmap;
            fill.bitmapId = r.U16();
            fill.matrix = r.Matrix();
            fill.bRepeat = type == 0x40 || type == 0x42;
            fill.bSmooth = type == 0x40 || type == 0x41;
        }
        else
        {
            if (!r.Overrun())
                error = "fill style " + std::to_string(i + 1) + " has the unknown type " + Hex2(type);
            return false;
        }
        if (r.Overrun())
            return false;
        shape.fills.push_back(std::move(fill));
    }
    size_t lineCount = r.U8();
    if (lineCount == 0xFF && version >= 2)
        lineCount = r.U16();
    if (r.Overrun())
        return false;
    if (lineCount > r.Remaining() / kMinLineStyleBytes)
    {
        r.Skip(r.Remaining() + 1);
        return false;
    }
    shape.lineGroups.push_back(static_cast<uint32_t>(shape.lines.size()));
    shape.lines.reserve(shape.lines.size() + lineCount);
    for (size_t i = 0; i < lineCount; ++i)
    {
        SwfLineStyle line;
        line.widthTwips = r.U16();
        line.color = version >= 3 ? r.Rgba() : r.RgbAsRgba();
        if (r.Overrun())
            return false;
        shape.lines.push_back(line);
    }
    return true;
}

// A style index read from a record, as an index into the shape's arrays plus one, or 0.
uint32_t ResolveStyle(uint32_t index, uint32_t groupStart, size_t groupEnd, const char *what, SwfShapeDef &shape,
                      std::vector<std::string> &notes, bool &noted)
{
    if (index == 0)
        return 0;
    if (groupStart + static_cast<size_t>(index) > groupEnd)
    {
        if (!noted)
        {
            notes.push_back("shape " + std::to_string(shape.id) + " uses " + what + " style " + std::to_string(index) +
                            " of " + std::to_string(groupEnd - groupStart) + "; such edges draw nothing on that side");
            noted = true;
        }
        return 0;
    }
    return groupStart + index;
}

bool ParseButtonRecords(CSwfBitReader &r, bool withCxform, size_t recordBudget, SwfButtonDef &button,
                        std::string &error, bool &stopped)
{
    stopped = false;
    for (;;)
    {
        const uint8_t flags = r.U8();
        if (r.Overrun())
            return false;
        if (flags == 0)
            break;
        if (r.Remaining() < kMinButtonRecordBytes - 1)
        {
            r.Skip(r.Remaining() + 1);
            return false;
        }
        if (button.records.size() >= recordBudget)
        {
            error = "the movie holds more button records than the player accepts";
            return false;
        }
        SwfButtonRecord record;
        record.states = flags & 0x0F;
        record.characterId = r.U16();
        record.depth = r.U16();
        record.matrix = r.Matrix();
        if (withCxform)
            record.cxform = r.Cxform(true);
        if (r.Overrun())
            return false;
        button.records.push_back(record);
        if (withCxform && (flags & 0x10))
        {
            // A filter list cannot be skipped without decoding it: keep the records read so far.
            stopped = true;
            break;
        }
        if (withCxform && (flags & 0x20))
            r.U8(); // blend mode
    }
    std::stable_sort(button.records.begin(), button.records.end(),
                     [](const SwfButtonRecord &a, const SwfButtonRecord &b) { return a.depth < b.depth; });
    return !r.Overrun();
}

} // namespace

bool ParseShape(CSwfBitReader &r, int shapeVersion, size_t edgeBudget, SwfShapeDef &shape, std::string &error,
                std::vector<std::string> &notes)
{
    shape.id = r.U16();
    r.Rect(shape.bounds.xmin, shape.bounds.xmax, shape.bounds.ymin, shape.bounds.ymax);
    if (r.Overrun() || !ReadStyleArrays(r, shapeVersion, shape, error))
        return false;
    r.Align();
    unsigned fillBits = r.UBits(4);
    unsigned lineBits = r.UBits(4);
    uint32_t fillStart = shape.fillGroups.back();
    uint32_t lineStart = shape.lineGroups.back();
    int64_t x = 0, y = 0;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    bool notedFill = false, notedLine = false;
    for (;;)
    {
        if (r.Overrun())
            return false;
        if (!r.Flag())
        {
            const unsigned flags = r.UBits(5);
            if (flags == 0)
                break;
            if (flags & 0x01)
            {
                const unsigned bits = r.UBits(5);
                x = r.SBits(bits);
                y = r.SBits(bits);
            }
            uint32_t rawFill0 = 0, rawFill1 = 0, rawLine = 0;
            if (flags & 0x02)
                rawFill0 = r.UBits(fillBits);
            if (flags & 0x04)
                rawFill1 = r.UBits(fillBits);
            if (flags & 0x08)
                rawLine = r.UBits(lineBits);
            if (flags & 0x10)
            {
                // New style arrays start a new group; indices given in this record refer to them.
                if (!ReadStyleArrays(r, shapeVersion, shape, error))
                    return false;
                r.Align();
                fillBits = r.UBits(4);
                lineBits = r.UBits(4);
                fillStart = shape.fillGroups.back();
                lineStart = shape.lineGroups.back();
                fill0 = fill1 = line = 0;
            }
            if (flags & 0x02)
                fill0 = ResolveStyle(rawFill0, fillStart, shape.fills.size(), "fill", shape, notes, notedFill);
            if (flags & 0x04)
                fill1 = ResolveStyle(rawFill1, fillStart, shape.fills.size(), "fill", shape, notes, notedFill);
            if (flags & 0x08)
                line = ResolveStyle(rawLine, lineStart, shape.lines.size(), "line", shape, notes, notedLine);
            continue;
        }
        SwfEdge edge{};
        edge.x0 = ClampCoordinate(x);
        edge.y0 = ClampCoordinate(y);
        const bool straight = r.Flag();
        const unsigned bits = r.UBits(4) + 2;
        if (straight)
        {
            int64_t dx = 0, dy = 0;
            if (r.Flag())
            {
                dx = r.SBits(bits);
                dy = r.SBits(bits);
            }
            else if (r.Flag())
                dy = r.SBits(bits);
            else
                dx = r.SBits(bits);
            x = ClampCoordinate(x + dx);
            y = ClampCoordinate(y + dy);
            edge.bCurve = false;
            edge.cx = edge.x0;
            edge.cy = edge.y0;
        }
        else
        {
            const int64_t cx = ClampCoordinate(x + r.SBits(bits));
            const int64_t cy = ClampCoordinate(y + r.SBits(bits));
            x = ClampCoordinate(cx + r.SBits(bits));
            y = ClampCoordinate(cy + r.SBits(bits));
            edge.bCurve = true;
            edge.cx = static_cast<int32_t>(cx);
            edge.cy = static_cast<int32_t>(cy);
        }
        edge.x1 = static_cast<int32_t>(x);
        edge.y1 = static_cast<int32_t>(y);
        if (r.Overrun())
            return false;
        if (fill0 == 0 && fill1 == 0 && line == 0)
            continue; // a pen move that draws nothing
        if (shape.edges.size() >= edgeBudget)
        {
            error = "the movie holds more path edges than the player accepts";
            return false;
        }
        edge.fill0 = fill0;
        edge.fill1 = fill1;
        edge.line = line;
        shape.edges.push_back(edge);
    }
    shape.fillGroups.push_back(static_cast<uint32_t>(shape.fills.size()));
    shape.lineGroups.push_back(static_cast<uint32_t>(shape.lines.size()));
    FindSingleRectangle(shape);
    return true;
}

void FindSingleRectangle(SwfShapeDef &shape)
{
    shape.bSingleRect = false;
    // A rectangle takes a handful of edges; the area sum below stays far from overflowing with few.
    if (shape.edges.size() > kMaxRectangleEdges)
        return;
    uint32_t style = 0;
    int64_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    bool any = false;
    for (const SwfEdge &e : shape.edges)
    {
        if (!e.fill0 && !e.fill1)
            continue;
        if (e.fill0 && e.fill1)
            return;
        const uint32_t s = e.fill0 ? e.fill0 : e.fill1;
        if (style && s != style)
            return;
        style = s;
        if (e.bCurve || (e.x0 != e.x1 && e.y0 != e.y1))
            return;
        if (!any)
        {
            xmin = xmax = e.x0;
            ymin = ymax = e.y0;
            any = true;
        }
        xmin = std::min<int64_t>({xmin, e.x0, e.x1});
        xmax = std::max<int64_t>({xmax, e.x0, e.x1});
        ymin = std::min<int64_t>({ymin, e.y0, e.y1});
        ymax = std::max<int64_t>({ymax, e.y0, e.y1});
    }
    if (!any || xmax <= xmin || ymax <= ymin)
        return;
    int64_t twiceArea = 0;
    for (const SwfEdge &e : shape.edges)
    {
        if (!e.fill0 && !e.fill1)
            continue;
        const bool onBorder =
            (e.x0 == e.x1 && (e.x0 == xmin || e.x0 == xmax)) || (e.y0 == e.y1 && (e.y0 == ymin || e.y0 == ymax));
        if (!onBorder)
            return;
        // Edges with the style on their fill0 side run the other way round the area.
        const int64_t cross = static_cast<int64_t>(e.x0) * e.y1 - static_cast<int64_t>(e.x1) * e.y0;
        twiceArea += e.fill1 ? cross : -cross;
    }
    if (std::llabs(twiceArea) != 2 * (xmax - xmin) * (ymax - ymin))
        return;
    shape.bSingleRect = true;
    shape.singleRect = {static_cast<int32_t>(xmin), static_cast<int32_t>(xmax), static_cast<int32_t>(ymin),
                        static_cast<int32_t>(ymax)};
    shape.singleRectFill = style;
}

bool ParseActions(CSwfBitReader &r, std::vector<SwfActionRecord> &actions, std::string &error)
{
    for (;;)
    {
        // A list that ends with its span ends there, end flag or not: a writer may leave a condition
        // entry without any action bytes.
        if (r.Remaining() == 0)
            return true;
        const size_t start = r.FileOffset();
        const uint8_t code = r.U8();
        if (r.Overrun())
            return false;
        if (code == 0)
            return true;
        SwfActionRecord action;
        action.code = code;
        if (code >= 0x80)
        {
            const uint16_t length = r.U16();
            if (r.Overrun())
                return false;
            if (length > r.Remaining())
            {
                r.Skip(static_cast<size_t>(length));
                return false;
            }
            CSwfBitReader payload(r.Data() + r.Position(), length, r.FileOffset());
            r.Skip(length);
            if (code == static_cast<uint8_t>(SwfActionCode::GetURL))
            {
                action.strUrl = payload.CString();
                action.strTarget = payload.CString();
            }
            else if (code == static_cast<uint8_t>(SwfActionCode::GotoFrame))
                action.frame = payload.U16();
            if (payload.Overrun())
            {
                error =
                    "the action " + Hex2(code) + " at byte " + std::to_string(start) + " is shorter than its fields";
                return false;
            }
        }
        if (actions.size() < kMaxActionsPerList)
            actions.push_back(std::move(action));
    }
}

bool ParseButton2(CSwfBitReader &r, size_t recordBudget, SwfButtonDef &button, std::string &error,
                  std::vector<std::string> &notes)
{
    button.id = r.U16();
    button.bTrackAsMenu = (r.U8() & 0x01) != 0;
    const size_t offsetField = r.Position();
    const uint16_t actionOffset = r.U16();
    bool stopped = false;
    if (r.Overrun() || !ParseButtonRecords(r, true, recordBudget, button, error, stopped))
        return false;
    if (stopped)
    {
        notes.push_back("button " + std::to_string(button.id) +
                        " has records with filters; the records after the first of them and its actions are ignored");
        return true;
    }
    if (actionOffset == 0)
        return true;
    const size_t first = offsetField + actionOffset;
    if (first < r.Position() || first > r.Position() + r.Remaining())
    {
        error = "its ActionOffset " + std::to_string(actionOffset) + " points outside the button's records";
        return false;
    }
    r.Skip(first - r.Position());
    for (;;)
    {
        const size_t entryStart = r.Position();
        const uint16_t size = r.U16();
        SwfCondAction entry;
        entry.cond1 = r.U8();
        entry.cond2 = r.U8();
        if (r.Overrun())
            return false;
        size_t end = entryStart + size;
        if (size == 0)
            end = r.Position() + r.Remaining();
        else if (size < 4 || end > r.Position() + r.Remaining())
        {
            error = "a condition entry at byte " + std::to_string(r.FileOffset() - 4) + " says " +
                    std::to_string(size) + " bytes, which the tag does not hold";
            return false;
        }
        CSwfBitReader actions(r.Data() + r.Position(), end - r.Position(), r.FileOffset());
        if (!ParseActions(actions, entry.actions, error))
        {
            if (actions.Overrun())
                error =
                    "the actions of a condition entry run past it at byte " + std::to_string(actions.OverrunOffset());
            return false;
        }
        r.Skip(end - r.Position());
        if (button.conditions.size() < kMaxConditions)
            button.conditions.push_back(std::move(entry));
        // The last entry should say 0; one that gives its size ends the list as well.
        if (size == 0 || r.Remaining() < 4)
            return true;
    }
}

bool ParseButton1(CSwfBitReader &r, size_t recordBudget, SwfButtonDef &button, std::string &error)
{
    button.id = r.U16();
    bool stopped = false;
    if (r.Overrun() || !ParseButtonRecords(r, false, recordBudget, button, error, stopped))
        return false;
    SwfCondAction release;
    release.cond1 = kSwfCondOverDownToOverUp;
    if (!ParseActions(r, release.actions, error))
        return false;
    if (!release.actions.empty())
        button.conditions.push_back(std::move(release));
    return true;
}

bool ParsePlaceObject(CSwfBitReader &r, int placeVersion, SwfControlTag &tag)
{
    tag.kind = SwfControlKind::Place;
    if (placeVersion == 1)
    {
        tag.characterId = r.U16();
        tag.depth = r.U16();
        tag.matrix = r.Matrix();
        tag.bHasCharacter = true;
        tag.bHasMatrix = true;
        if (r.Remaining() > 0)
        {
            tag.cxform = r.Cxform(false);
            tag.bHasCxform = true;
        }
        return !r.Overrun();
    }
    const uint8_t flags = r.U8();
    tag.depth = r.U16();
    tag.bMove = (flags & 0x01) != 0;
    tag.bHasCharacter = (flags & 0x02) != 0;
    tag.bHasMatrix = (flags & 0x04) != 0;
    tag.bHasCxform = (flags & 0x08) != 0;
    if (tag.bHasCharacter)
        tag.characterId = r.U16();
    if (tag.bHasMatrix)
        tag.matrix = r.Matrix();
    if (tag.bHasCxform)
        tag.cxform = r.Cxform(true);
    if (flags & 0x10)
        r.U16(); // ratio
    if (flags & 0x20)
        r.CString(); // instance name
    if (flags & 0x40)
    {
        r.U16(); // clip depth
        tag.bClipLayer = true;
    }
    // Clip actions (0x80) run scripts the player does not have; they end the tag.
    return !r.Overrun();
}
