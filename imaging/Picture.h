// The picture object of the image layer: load by type with content fallback, depth, resampling, saving.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imaging/Raster.h"

// One decoded picture (and, for a GIF loaded with all frames, its composed frames). Every operation
// answers true or false; on false GetLastError says "<file>: <what is wrong>".
class CPicture
{
  public:
    explicit CPicture(int type = 0);
    ~CPicture();
    CPicture(const CPicture &) = delete;
    CPicture &operator=(const CPicture &) = delete;

    // Type code from an extension, case ignored, dot optional: BMP 1, GIF 2, JPG 3, PNG 4, TIF 6; else 0.
    static int GetTypeIdFromName(const char *extension);

    // Decodes the file as the given type; when that fails, as the type its content shows.
    bool Load(const char *pathUtf8, int type);
    // Like Load, but a JPEG is decoded at the largest power-of-two DCT scale that still leaves at
    // least width x height (full size when it is smaller in either direction).
    bool LoadForSize(const char *pathUtf8, int type, int width, int height);

    bool IsValid() const;
    int GetWidth() const;
    int GetHeight() const;
    // 1, 4 or 8 for palette and grey pictures, 24 for colour ones; 0 when empty.
    int GetBpp() const;
    // Type code of the decoded content (0 when empty).
    int GetType() const;

    // Widens to 4, 8 (palette pictures) or 24 bits per pixel with the same colours. Asking for the
    // current depth succeeds without change; a lower depth fails.
    bool IncreaseBpp(int bpp);
    // Stretches to exactly width x height (mode 0: bilinear, area averaging when shrinking); a palette
    // picture becomes 24 bits first. A picture already of that size is left as it is.
    bool Resample(int width, int height, int mode = 0);
    // Type 3: JPEG at quality 90 (alpha composed over white); type 2: GIF. The file is written under a
    // temporary name beside the target and renamed, so a failed save leaves no partial file.
    bool Save(const char *pathUtf8, int type);

    // With true, Load keeps every composed frame of a GIF for GetFrame.
    void SetRetreiveAllFrames(bool all);
    // Frames in the loaded file (1 for formats other than GIF, 0 when empty).
    int GetNumFrames() const;
    // Composed frame `index` when all frames were kept, else null; owned by this object.
    CPicture *GetFrame(int index);

    const std::string &GetLastError() const;
    const Raster &GetRaster() const;
    Raster &GetRaster();

  private:
    bool LoadFile(const char *pathUtf8, int type, int minWidth, int minHeight);
    bool Fail(const std::string &what);
    void Clear();

    int m_nType;
    bool m_bAllFrames = false;
    int m_nFrames = 0;
    std::string m_strPath;
    std::string m_strError;
    Raster m_raster;
    std::vector<Raster> m_pendingFrames; // composed frames not yet asked for
    std::vector<std::unique_ptr<CPicture>> m_frames;
};
