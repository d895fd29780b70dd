// The picture object of the image layer: load by type with content fallback, depth, resampling, saving.
#pragma once

#include <memory>
#include <string>

#include "imaging/Raster.h"

class CGifFrameReader;

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

    // With true, GetFrame gives the composed frames of a GIF loaded afterwards.
    void SetRetreiveAllFrames(bool all);
    // Frames in the loaded file (1 for formats other than GIF, 0 when empty).
    int GetNumFrames() const;
    // Composed frame `index` of a GIF loaded with all frames, else null. Frames are composed from the file
    // when asked for, and only the last one asked for is kept: the object returned is owned by this one and
    // valid until the next GetFrame with another index or the next Load. Asking in order reads the file once.
    CPicture *GetFrame(int index);

    const std::string &GetLastError() const;
    const Raster &GetRaster() const;
    Raster &GetRaster();

  private:
    bool LoadFile(const char *pathUtf8, int type, int minWidth, int minHeight);
    bool LoadGif(std::string &error);
    bool Fail(const std::string &what);
    void Clear();

    int m_nType;
    bool m_bAllFrames = false;
    int m_nFrames = 0;
    std::string m_strPath;
    std::string m_strError;
    Raster m_raster;
    std::unique_ptr<CGifFrameReader> m_pFrames; // where the next frame GetFrame asks for comes from
    std::unique_ptr<CPicture> m_pFrame;         // the frame GetFrame gave last
    int m_nFrameIndex = -1;
};
