// CSWFBitmap: a DefineBitsJPEG2 tag holding one JPEG file byte for byte.
#pragma once

#include "swf/SWFObject.h"

#include <cstdint>
#include <vector>

// A bitmap definition read from a JPEG file at construction. The file is not parsed: the tag holds
// FF D9 FF D8, the whole file and FF D9. A file that cannot be opened, reads short or is too large
// for the tag gives an empty definition (GetLength 0) that the movie skips.
class CSWFBitmap : public CSWFObject
{
  public:
    // Largest JPEG file that fits: the tag's byte count must fit an int.
    static constexpr int64_t kMaxFileBytes = INT32_MAX - 14;

    // jpegPath is UTF-8. The file is read and closed here; it may be deleted afterwards.
    CSWFBitmap(uint16_t characterId, const char *jpegPath);
    ~CSWFBitmap() override;

    const unsigned char *GetData() override;
    int GetLength() const override;

  private:
    std::vector<unsigned char> m_data;
};
