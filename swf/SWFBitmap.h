// CSWFBitmap: a DefineBitsJPEG2 tag holding one JPEG file byte for byte.
#pragma once

#include "swf/SWFObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A bitmap definition from a JPEG, given as a file or as bytes. The JPEG is not parsed: the tag holds
// FF D9 FF D8, the whole JPEG and FF D9. A file that cannot be opened, reads short or is too large
// for the tag gives an empty definition (GetLength 0) that the movie skips.
class CSWFBitmap : public CSWFObject
{
  public:
    // Largest JPEG file that fits: the tag's byte count must fit an int.
    static constexpr int64_t kMaxFileBytes = INT32_MAX - 14;

    // jpegPath is UTF-8. The file is read and closed here; it may be deleted afterwards.
    CSWFBitmap(uint16_t characterId, const char *jpegPath);
    // The JPEG's bytes, copied into the tag.
    CSWFBitmap(uint16_t characterId, const uint8_t *jpeg, size_t size);
    ~CSWFBitmap() override;

    const unsigned char *GetData() override;
    int GetLength() const override;

  private:
    // Starts the tag of a JPEG of `size` bytes: room for the header, then the id and markers.
    static std::vector<unsigned char> TagLead(uint16_t characterId, size_t size);
    // Ends it once the JPEG follows: the closing marker, then the header from the body's length.
    static void TagEnd(std::vector<unsigned char> &tag);

    std::vector<unsigned char> m_data;
};
