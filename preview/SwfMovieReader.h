// CSwfMovieReader: reads a SWF file held in memory into the player's movie, checking every length and count.
#pragma once

#include "base/SWFTag.h"
#include "preview/SwfMovieData.h"
#include "preview/SwfPlayerTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CSwfBitReader;

// Reads uncompressed (FWS) and zlib-compressed (CWS) movies. A file whose structure does not hold
// (a header or tag that runs past the end, a field that runs past its tag, a FileLength that differs
// from the file) is refused with the reason. What the player cannot use but can step over (unknown tags,
// placements of undefined characters, undecodable pictures) is skipped and noted in the warnings.
class CSwfMovieReader
{
  public:
    explicit CSwfMovieReader(const SwfLimits &limits = SwfLimits());

    // Takes the file's bytes. Returns false with a reason, leaving movie empty, when the file is refused.
    bool Read(std::vector<uint8_t> bytes, SwfMovieData &movie, std::string &error);

    // Name of a tag code for messages ("DefineShape3"), or "tag <code>".
    static std::string TagName(SWFTag code);

  private:
    bool ReadHeader(SwfMovieData &movie, size_t &tagsOffset, std::string &error);
    bool ReadTags(SwfMovieData &movie, size_t offset, std::string &error);
    bool HandleTag(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, size_t tagOffset,
                   std::string &error);
    bool DefineShape(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, std::string &error);
    bool DefineButton(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, std::string &error);
    bool DefineBitmap(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, std::string &error);
    // Reads the id, claims it, parses the body with `parse` and stores the definition in `defs`.
    template <class Def, class Parse>
    bool DefineCharacter(SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, SwfCharacterKind kind,
                         std::vector<Def> &defs, Parse parse, std::string &error);
    bool AddControlTag(SwfMovieData &movie, const SwfControlTag &tag, std::string &error);
    // False (and a note) when the id is taken: identical bytes again are silent, other bytes are noted.
    bool ClaimId(SwfMovieData &movie, uint16_t id, SWFTag code, size_t bodyOffset, size_t bodySize);
    // The character id that opens a definition's body; false with the reason when the body is too short.
    bool ReadDefinitionId(const SwfMovieData &movie, SWFTag code, size_t bodyOffset, size_t bodySize, uint16_t &id,
                          std::string &error) const;
    // Why a definition could not be read: where it ran out, or what was wrong in it.
    std::string DefinitionError(const CSwfBitReader &r, SWFTag code, uint16_t id, const std::string &why) const;
    void Finish(SwfMovieData &movie);
    void Warn(SwfMovieData &movie, const std::string &text);
    std::string Truncated(size_t at, SWFTag code, size_t tagOffset) const;

    struct Body
    {
        size_t offset;
        size_t size;
    };

    SwfLimits m_limits;
    std::unordered_map<uint16_t, Body> m_bodies;
    std::unordered_map<unsigned, size_t> m_skipped;
    size_t m_uEdges = 0;
    size_t m_uButtonRecords = 0;
    size_t m_uDroppedWarnings = 0;
    size_t m_uCurrentTag = 0;
    int m_nFrame = 0;
    bool m_bClipNoted = false;
};
