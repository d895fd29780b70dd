// Reading a SWF file: header, tag stream, dictionary and frames.
#include "preview/SwfMovieReader.h"

#include "preview/SwfBitReader.h"
#include "preview/SwfInflate.h"
#include "preview/SwfJpegData.h"
#include "preview/SwfTagParsers.h"

#include <cstring>
#include <new>

namespace
{

constexpr size_t kHeaderBytes = 8;

// Tags that define a character the player does not draw; a placement of it is skipped with its name.
bool IsOtherDefinition(SWFTag code)
{
    switch (code)
    {
    case SWFTag::DefineFont:
    case SWFTag::DefineText:
    case SWFTag::DefineSound:
    case SWFTag::DefineText2:
    case SWFTag::DefineEditText:
    case SWFTag::DefineSprite:
    case SWFTag::DefineMorphShape:
    case SWFTag::DefineFont2:
    case SWFTag::DefineVideoStream:
    case SWFTag::DefineFont3:
    case SWFTag::DefineShape4:
    case SWFTag::DefineMorphShape2:
    case SWFTag::DefineBinaryData:
    case SWFTag::DefineBitsJPEG4:
        return true;
    default:
        return false;
    }
}

std::string Hex3(const uint8_t *p)
{
    const char *digits = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < 3; ++i)
    {
        if (i)
            s += ' ';
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

} // namespace

CSwfMovieReader::CSwfMovieReader(const SwfLimits &limits) : m_limits(limits)
{
}

std::string CSwfMovieReader::TagName(SWFTag code)
{
    const char *name = SWFTagName(code);
    return name ? std::string(name) : "tag " + std::to_string(static_cast<unsigned>(code));
}

void CSwfMovieReader::Warn(SwfMovieData &movie, const std::string &text)
{
    if (movie.warnings.size() < m_limits.uMaxWarnings)
        movie.warnings.push_back(text);
    else
        ++m_uDroppedWarnings;
}

std::string CSwfMovieReader::Truncated(size_t at, SWFTag code, size_t tagOffset) const
{
    return "truncated at byte " + std::to_string(at) + " in " + TagName(code) + " (the tag starts at byte " +
           std::to_string(tagOffset) + ")";
}

bool CSwfMovieReader::Read(std::vector<uint8_t> bytes, SwfMovieData &movie, std::string &error)
{
    movie = SwfMovieData();
    m_bodies.clear();
    m_skipped.clear();
    m_uEdges = 0;
    m_uButtonRecords = 0;
    m_uDroppedWarnings = 0;
    m_nFrame = 0;
    m_bClipNoted = false;
    SwfMovieData result;
    result.bytes = std::move(bytes);
    size_t tagsOffset = 0;
    try
    {
        if (!ReadHeader(result, tagsOffset, error) || !ReadTags(result, tagsOffset, error))
            return false;
    }
    catch (const std::bad_alloc &)
    {
        error = "not enough memory to read the movie";
        return false;
    }
    Finish(result);
    movie = std::move(result);
    return true;
}

bool CSwfMovieReader::ReadHeader(SwfMovieData &movie, size_t &tagsOffset, std::string &error)
{
    std::vector<uint8_t> &bytes = movie.bytes;
    if (bytes.size() < kHeaderBytes)
    {
        error = "the file is " + std::to_string(bytes.size()) + " bytes long, too short for a SWF header";
        return false;
    }
    const uint8_t *p = bytes.data();
    const bool plain = p[0] == 'F' && p[1] == 'W' && p[2] == 'S';
    const bool zlib = p[0] == 'C' && p[1] == 'W' && p[2] == 'S';
    if (p[0] == 'Z' && p[1] == 'W' && p[2] == 'S')
    {
        error = "the movie is LZMA-compressed (ZWS), which the player does not read";
        return false;
    }
    if (!plain && !zlib)
    {
        error = "not a SWF file (it starts with " + Hex3(p) + ")";
        return false;
    }
    movie.version = p[3];
    movie.fileLength = static_cast<uint32_t>(p[4] | (p[5] << 8) | (p[6] << 16)) | (static_cast<uint32_t>(p[7]) << 24);
    if (zlib)
    {
        movie.bCompressed = true;
        if (movie.fileLength < kHeaderBytes)
        {
            error = "FileLength says " + std::to_string(movie.fileLength) + ", less than the header";
            return false;
        }
        if (movie.fileLength > m_limits.uMaxFileBytes)
        {
            error = "FileLength says the movie inflates to " + std::to_string(movie.fileLength) +
                    " bytes, more than the player accepts (" + std::to_string(m_limits.uMaxFileBytes) + ")";
            return false;
        }
        std::vector<uint8_t> inflated;
        std::string why;
        if (!InflateExactly(p + kHeaderBytes, bytes.size() - kHeaderBytes, movie.fileLength - kHeaderBytes, inflated,
                            why))
        {
            error =
                "the compressed movie does not inflate to FileLength " + std::to_string(movie.fileLength) + ": " + why;
            return false;
        }
        std::vector<uint8_t> whole(bytes.begin(), bytes.begin() + kHeaderBytes);
        whole.insert(whole.end(), inflated.begin(), inflated.end());
        bytes.swap(whole);
    }
    else if (bytes.size() > m_limits.uMaxFileBytes)
    {
        error = "the file is " + std::to_string(bytes.size()) + " bytes long, more than the player accepts (" +
                std::to_string(m_limits.uMaxFileBytes) + ")";
        return false;
    }
    CSwfBitReader r(bytes.data() + kHeaderBytes, bytes.size() - kHeaderBytes, kHeaderBytes);
    r.Rect(movie.stage.xmin, movie.stage.xmax, movie.stage.ymin, movie.stage.ymax);
    movie.frameRate = r.U16();
    movie.headerFrameCount = r.U16();
    if (r.Overrun())
    {
        error = "truncated at byte " + std::to_string(r.OverrunOffset()) + " in the header";
        if (!movie.bCompressed && movie.fileLength != bytes.size())
            error += " (FileLength says " + std::to_string(movie.fileLength) + " but the file has " +
                     std::to_string(bytes.size()) + " bytes)";
        return false;
    }
    const int64_t width = static_cast<int64_t>(movie.stage.xmax) - movie.stage.xmin;
    const int64_t height = static_cast<int64_t>(movie.stage.ymax) - movie.stage.ymin;
    if (width <= 0 || height <= 0)
    {
        error = "the stage is empty (" + std::to_string(width) + " x " + std::to_string(height) + " twips)";
        return false;
    }
    tagsOffset = kHeaderBytes + r.Position();
    return true;
}

bool CSwfMovieReader::ReadTags(SwfMovieData &movie, size_t offset, std::string &error)
{
    const std::vector<uint8_t> &bytes = movie.bytes;
    const size_t size = bytes.size();
    auto lengthNote = [&]() {
        if (movie.bCompressed || movie.fileLength == size)
            return std::string();
        return " (FileLength says " + std::to_string(movie.fileLength) + " but the file has " + std::to_string(size) +
               " bytes)";
    };
    movie.frameStarts.assign(1, 0);
    for (;;)
    {
        if (offset == size)
        {
            error = "the file ends at byte " + std::to_string(size) + " without an End tag" + lengthNote();
            return false;
        }
        const size_t tagOffset = offset;
        if (size - offset < 2)
        {
            error = "truncated at byte " + std::to_string(size) + " in a tag header at byte " + std::to_string(offset) +
                    lengthNote();
            return false;
        }
        const unsigned word = bytes[offset] | (bytes[offset + 1] << 8);
        const SWFTag code = static_cast<SWFTag>(word >> 6);
        size_t length = word & 0x3F;
        offset += 2;
        if (length == 0x3F)
        {
            if (size - offset < 4)
            {
                error = "truncated at byte " + std::to_string(size) + " in the header of " + TagName(code) +
                        " at byte " + std::to_string(tagOffset) + lengthNote();
                return false;
            }
            length = static_cast<size_t>(bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16)) |
                     (static_cast<size_t>(bytes[offset + 3]) << 24);
            offset += 4;
        }
        if (length > size - offset)
        {
            error = Truncated(size, code, tagOffset) + ": the tag says " + std::to_string(length) + " bytes but " +
                    std::to_string(size - offset) + " remain" + lengthNote();
            return false;
        }
        m_uCurrentTag = tagOffset;
        if (code == SWFTag::End)
        {
            offset += length;
            break;
        }
        if (!HandleTag(movie, code, offset, length, tagOffset, error))
            return false;
        offset += length;
    }
    if (!movie.bCompressed && movie.fileLength != size)
    {
        error = "FileLength says " + std::to_string(movie.fileLength) + " but the file has " + std::to_string(size) +
                " bytes";
        return false;
    }
    if (offset != size)
        Warn(movie, std::to_string(size - offset) + " bytes after the End tag are ignored");
    return true;
}

bool CSwfMovieReader::HandleTag(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, size_t tagOffset,
                                std::string &error)
{
    const uint8_t *body = movie.bytes.data() + bodyOffset;
    CSwfBitReader r(body, bodySize, bodyOffset);
    switch (code)
    {
    case SWFTag::ShowFrame:
        movie.frameStarts.push_back(static_cast<uint32_t>(movie.controlTags.size()));
        ++m_nFrame;
        if (movie.frameStarts.size() - 1 > m_limits.uMaxFrames)
        {
            error = "the movie has more than " + std::to_string(m_limits.uMaxFrames) +
                    " frames, more than the player accepts";
            return false;
        }
        return true;
    case SWFTag::DefineShape:
    case SWFTag::DefineShape2:
    case SWFTag::DefineShape3:
        return DefineShape(movie, code, bodyOffset, bodySize, error);
    case SWFTag::DefineButton:
    case SWFTag::DefineButton2:
        return DefineButton(movie, code, bodyOffset, bodySize, error);
    case SWFTag::DefineBits:
    case SWFTag::DefineBitsLossless:
    case SWFTag::DefineBitsJPEG2:
    case SWFTag::DefineBitsJPEG3:
    case SWFTag::DefineBitsLossless2:
        return DefineBitmap(movie, code, bodyOffset, bodySize, error);
    case SWFTag::JPEGTables: // the first one serves every DefineBits
        if (movie.jpegTablesSize == 0)
        {
            movie.jpegTablesOffset = bodyOffset;
            movie.jpegTablesSize = bodySize;
        }
        return true;
    case SWFTag::SetBackgroundColor: {
        const SwfRgb colour = r.Rgb();
        if (r.Overrun())
        {
            error = Truncated(r.OverrunOffset(), code, tagOffset);
            return false;
        }
        if (!movie.bHasBackground)
        {
            movie.background = colour;
            movie.bHasBackground = true;
        }
        return true;
    }
    case SWFTag::PlaceObject:
    case SWFTag::PlaceObject2: {
        SwfControlTag tag;
        if (!ParsePlaceObject(r, code == SWFTag::PlaceObject ? 1 : 2, tag))
        {
            error = Truncated(r.OverrunOffset(), code, tagOffset);
            return false;
        }
        return AddControlTag(movie, tag, error);
    }
    case SWFTag::RemoveObject:
    case SWFTag::RemoveObject2: {
        SwfControlTag tag;
        tag.kind = SwfControlKind::Remove;
        if (code == SWFTag::RemoveObject)
            tag.characterId = r.U16();
        tag.depth = r.U16();
        if (r.Overrun())
        {
            error = Truncated(r.OverrunOffset(), code, tagOffset);
            return false;
        }
        return AddControlTag(movie, tag, error);
    }
    case SWFTag::DoAction: {
        std::vector<SwfActionRecord> actions;
        std::string why;
        if (!ParseActions(r, actions, why))
        {
            error = r.Overrun() ? Truncated(r.OverrunOffset(), code, tagOffset)
                                : TagName(code) + " at byte " + std::to_string(tagOffset) + ": " + why;
            return false;
        }
        if (actions.empty())
            return true;
        SwfControlTag tag;
        tag.kind = SwfControlKind::Actions;
        tag.actionList = static_cast<uint32_t>(movie.actionLists.size());
        movie.actionLists.push_back(std::move(actions));
        return AddControlTag(movie, tag, error);
    }
    default:
        if (IsOtherDefinition(code) && bodySize >= 2)
        {
            const uint16_t id = static_cast<uint16_t>(body[0] | (body[1] << 8));
            if (!movie.Find(id) && !m_bodies.count(id))
                m_bodies[id] = Body{bodyOffset, bodySize};
        }
        if (m_skipped[static_cast<unsigned>(code)]++ == 0)
            Warn(movie, TagName(code) + " at byte " + std::to_string(tagOffset) +
                            " is not supported by the player and is skipped (so are later ones of its kind)");
        return true;
    }
}

bool CSwfMovieReader::ClaimId(SwfMovieData &movie, uint16_t id, SWFTag code, size_t bodyOffset, size_t bodySize)
{
    auto it = m_bodies.find(id);
    if (it == m_bodies.end())
    {
        m_bodies[id] = Body{bodyOffset, bodySize};
        return true;
    }
    const Body &first = it->second;
    const bool same = first.size == bodySize &&
                      std::memcmp(movie.bytes.data() + first.offset, movie.bytes.data() + bodyOffset, bodySize) == 0;
    if (!same)
        Warn(movie, TagName(code) + " at byte " + std::to_string(m_uCurrentTag) + " defines character " +
                        std::to_string(id) + " again with other content; the first definition stays");
    return false;
}

bool CSwfMovieReader::ReadDefinitionId(const SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize,
                                       uint16_t &id, std::string &error) const
{
    if (bodySize < 2)
    {
        error = Truncated(bodyOffset + bodySize, code, m_uCurrentTag);
        return false;
    }
    const uint8_t *body = movie.bytes.data() + bodyOffset;
    id = static_cast<uint16_t>(body[0] | (body[1] << 8));
    return true;
}

std::string CSwfMovieReader::DefinitionError(const CSwfBitReader &r, SWFTag code, uint16_t id,
                                             const std::string &why) const
{
    if (r.Overrun())
        return Truncated(r.OverrunOffset(), code, m_uCurrentTag);
    return TagName(code) + " at byte " + std::to_string(m_uCurrentTag) + " (character " + std::to_string(id) +
           "): " + why;
}

template <class Def, class Parse>
bool CSwfMovieReader::DefineCharacter(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize,
                                      SwfCharacterKind kind, std::vector<Def> &defs, Parse parse, std::string &error)
{
    uint16_t id = 0;
    if (!ReadDefinitionId(movie, code, bodyOffset, bodySize, id, error))
        return false;
    if (!ClaimId(movie, id, code, bodyOffset, bodySize))
        return true;
    CSwfBitReader r(movie.bytes.data() + bodyOffset, bodySize, bodyOffset);
    Def def;
    std::string why;
    std::vector<std::string> notes;
    if (!parse(r, def, why, notes))
    {
        error = DefinitionError(r, code, id, why);
        return false;
    }
    for (const std::string &note : notes)
        Warn(movie, note);
    movie.characters[id] = SwfCharacter{kind, static_cast<uint32_t>(defs.size())};
    defs.push_back(std::move(def));
    return true;
}

bool CSwfMovieReader::DefineShape(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize,
                                  std::string &error)
{
    const int version = code == SWFTag::DefineShape ? 1 : code == SWFTag::DefineShape2 ? 2 : 3;
    return DefineCharacter(
        movie, code, bodyOffset, bodySize, SwfCharacterKind::Shape, movie.shapes,
        [&](CSwfBitReader &r, SwfShapeDef &shape, std::string &why, std::vector<std::string> &notes) {
            if (!ParseShape(r, version, m_limits.uMaxEdges - m_uEdges, shape, why, notes))
                return false;
            m_uEdges += shape.edges.size();
            return true;
        },
        error);
}

bool CSwfMovieReader::DefineButton(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize,
                                   std::string &error)
{
    const size_t budget = m_limits.uMaxButtonRecords - m_uButtonRecords;
    return DefineCharacter(
        movie, code, bodyOffset, bodySize, SwfCharacterKind::Button, movie.buttons,
        [&](CSwfBitReader &r, SwfButtonDef &button, std::string &why, std::vector<std::string> &notes) {
            const bool ok = code == SWFTag::DefineButton ? ParseButton1(r, budget, button, why)
                                                         : ParseButton2(r, budget, button, why, notes);
            if (ok)
                m_uButtonRecords += button.records.size();
            return ok;
        },
        error);
}

bool CSwfMovieReader::DefineBitmap(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize,
                                   std::string &error)
{
    CSwfBitReader r(movie.bytes.data() + bodyOffset, bodySize, bodyOffset);
    SwfBitmapDef def;
    def.id = r.U16();
    switch (code)
    {
    case SWFTag::DefineBits:
        def.kind = SwfBitmapKind::Jpeg;
        def.bOpaque = true;
        break;
    case SWFTag::DefineBitsJPEG2:
        def.kind = SwfBitmapKind::Jpeg2;
        def.bOpaque = true;
        break;
    case SWFTag::DefineBitsJPEG3: {
        def.kind = SwfBitmapKind::Jpeg3;
        const uint32_t alphaOffset = r.U32();
        if (!r.Overrun() && alphaOffset > r.Remaining())
        {
            error = TagName(code) + " at byte " + std::to_string(m_uCurrentTag) + ": its AlphaDataOffset " +
                    std::to_string(alphaOffset) + " lies beyond the tag's " + std::to_string(r.Remaining()) +
                    " bytes of picture data";
            return false;
        }
        def.dataOffset = bodyOffset + r.Position();
        def.dataSize = alphaOffset;
        def.alphaOffset = def.dataOffset + alphaOffset;
        def.alphaSize = r.Remaining() - alphaOffset;
        break;
    }
    default: { // DefineBitsLossless, DefineBitsLossless2
        def.kind = code == SWFTag::DefineBitsLossless ? SwfBitmapKind::Lossless : SwfBitmapKind::Lossless2;
        def.format = r.U8();
        def.width = r.U16();
        def.height = r.U16();
        if (def.format == 3)
            def.colorCount = static_cast<uint16_t>(r.U8() + 1);
        def.bOpaque = code == SWFTag::DefineBitsLossless;
        break;
    }
    }
    if (r.Overrun())
    {
        error = Truncated(r.OverrunOffset(), code, m_uCurrentTag);
        return false;
    }
    if (code != SWFTag::DefineBitsJPEG3)
    {
        def.dataOffset = bodyOffset + r.Position();
        def.dataSize = r.Remaining();
    }
    if (!ClaimId(movie, def.id, code, bodyOffset, bodySize))
        return true;
    if (def.kind == SwfBitmapKind::Lossless || def.kind == SwfBitmapKind::Lossless2)
    {
        const bool knownFormat =
            def.format == 3 || def.format == 5 || (def.format == 4 && code == SWFTag::DefineBitsLossless);
        if (!knownFormat)
        {
            def.bBroken = true;
            Warn(movie, "bitmap " + std::to_string(def.id) + " has the unknown format " + std::to_string(def.format) +
                            "; it draws nothing");
        }
        else if (def.width == 0 || def.height == 0 ||
                 static_cast<uint64_t>(def.width) * static_cast<uint64_t>(def.height) > m_limits.uMaxBitmapPixels)
        {
            def.bBroken = true;
            Warn(movie, "bitmap " + std::to_string(def.id) + " is " + std::to_string(def.width) + " x " +
                            std::to_string(def.height) + " pixels, which the player does not draw");
        }
    }
    movie.characters[def.id] = SwfCharacter{SwfCharacterKind::Bitmap, static_cast<uint32_t>(movie.bitmaps.size())};
    movie.bitmaps.push_back(def);
    return true;
}

bool CSwfMovieReader::AddControlTag(SwfMovieData &movie, const SwfControlTag &tag, std::string &error)
{
    if (movie.controlTags.size() >= m_limits.uMaxControlTags)
    {
        error = "the movie has more than " + std::to_string(m_limits.uMaxControlTags) +
                " placements, removals and actions, more than the player accepts";
        return false;
    }
    if (tag.kind == SwfControlKind::Place && tag.bHasCharacter)
    {
        const std::string where = "the placement at byte " + std::to_string(m_uCurrentTag) + " (frame " +
                                  std::to_string(m_nFrame + 1) + ", depth " + std::to_string(tag.depth) + ")";
        const SwfCharacter *character = movie.Find(tag.characterId);
        if (!character)
        {
            const bool otherKind = m_bodies.count(tag.characterId) != 0;
            Warn(movie, where + " uses character " + std::to_string(tag.characterId) +
                            (otherKind ? ", a kind the player does not draw; it is skipped"
                                       : ", which is not defined; it is skipped"));
            return true;
        }
        if (character->kind == SwfCharacterKind::Bitmap)
        {
            Warn(movie, where + " uses bitmap " + std::to_string(tag.characterId) +
                            ", which can only be drawn through a fill; it is skipped");
            return true;
        }
    }
    if (tag.kind == SwfControlKind::Place && tag.bClipLayer && !m_bClipNoted)
    {
        m_bClipNoted = true;
        Warn(movie, "the movie uses clip layers (masks); the player does not draw them and does not clip by them");
    }
    movie.controlTags.push_back(tag);
    return true;
}

void CSwfMovieReader::Finish(SwfMovieData &movie)
{
    const uint32_t tagCount = static_cast<uint32_t>(movie.controlTags.size());
    if (movie.frameStarts.back() != tagCount)
    {
        Warn(movie, "the last frame has no ShowFrame; it is shown as a frame all the same");
        movie.frameStarts.push_back(tagCount);
    }
    if (movie.frameStarts.size() < 2)
        movie.frameStarts.push_back(tagCount);
    const int frames = movie.FrameCount();
    if (frames != movie.headerFrameCount)
        Warn(movie, "the header says " + std::to_string(movie.headerFrameCount) + " frames but the movie has " +
                        std::to_string(frames));

    // Pictures: check their JPEG structure now that the tables are known, without decoding them.
    for (SwfBitmapDef &def : movie.bitmaps)
    {
        if (def.bBroken || def.kind == SwfBitmapKind::Lossless || def.kind == SwfBitmapKind::Lossless2)
            continue;
        const uint8_t *tables = nullptr;
        size_t tablesSize = 0;
        if (def.kind == SwfBitmapKind::Jpeg && movie.jpegTablesSize > 0)
        {
            tables = movie.bytes.data() + movie.jpegTablesOffset;
            tablesSize = movie.jpegTablesSize;
        }
        SwfJpegInfo info;
        std::string why;
        if (!RebuildJpegStream(tables, tablesSize, movie.bytes.data() + def.dataOffset, def.dataSize, nullptr, info,
                               why))
        {
            def.bBroken = true;
            Warn(movie, "bitmap " + std::to_string(def.id) + ": " + why + "; it draws nothing");
            continue;
        }
        def.width = info.width;
        def.height = info.height;
        if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > m_limits.uMaxBitmapPixels)
        {
            def.bBroken = true;
            Warn(movie, "bitmap " + std::to_string(def.id) + " is " + std::to_string(info.width) + " x " +
                            std::to_string(info.height) + " pixels, which the player does not draw");
        }
    }

    for (const SwfShapeDef &shape : movie.shapes)
    {
        for (const SwfFillStyle &fill : shape.fills)
        {
            if (fill.kind != SwfFillKind::Bitmap)
                continue;
            const SwfCharacter *character = movie.Find(fill.bitmapId);
            if (!character || character->kind != SwfCharacterKind::Bitmap)
            {
                Warn(movie, "shape " + std::to_string(shape.id) + " fills with bitmap " +
                                std::to_string(fill.bitmapId) +
                                ", which the movie does not define; that fill draws nothing");
                break;
            }
        }
    }
    for (const SwfButtonDef &button : movie.buttons)
        for (const SwfButtonRecord &record : button.records)
        {
            const SwfCharacter *character = movie.Find(record.characterId);
            if (!character || character->kind == SwfCharacterKind::Bitmap)
            {
                Warn(movie, "button " + std::to_string(button.id) + " shows character " +
                                std::to_string(record.characterId) +
                                ", which is not a shape or button; that record is skipped");
                break;
            }
        }
    if (m_uDroppedWarnings)
        movie.warnings.push_back(std::to_string(m_uDroppedWarnings) + " more warnings are left out");
}
