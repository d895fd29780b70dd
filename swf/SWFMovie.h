// CSWFMovie: an uncompressed SWF file (version 3) written tag by tag.
#pragma once

#include "swf/SWFRectangle.h"
#include "swf/SWFTypes.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class CSWFObject;

// The movie being written. Open reserves the header and every later tag goes straight to the file, so
// memory does not grow with the movie; Close writes the final header and the End tag. Tags appended
// while no file is open are held and written at the next Open.
class CSWFMovie
{
  public:
    CSWFMovie();
    // Closes a file still open, writing nothing more (the file then lacks its header).
    virtual ~CSWFMovie();
    CSWFMovie(const CSWFMovie &) = delete;
    CSWFMovie &operator=(const CSWFMovie &) = delete;

    // Creates or truncates the file (UTF-8 path) and sets the frame size (pixels) and whole frames per
    // second. Returns 1, or 0 when a file is already open or the file cannot be created.
    int Open(const char *path, float width, float height, unsigned char frameRate);
    void SetBackgroundColor(SWFRGB color);
    // Appends the object's definition and, when place is true and it is not a bitmap, a placement.
    void AddObject(CSWFObject *object, uint16_t depth, bool place);
    // Appends a PlaceObject2; colorTransform is null or the eight terms of CSWFColorTransform.
    void PlaceObject(CSWFObject *object, uint16_t depth, bool newCharacter, const float *colorTransform);
    // Appends a RemoveObject2: the character at depth leaves the display list.
    void RemoveObject(uint16_t depth);
    // Appends ShowFrame and counts the frame (16 bits).
    void ShowFrame();
    // Writes the header and the End tag and closes the file. Without an open file: nothing.
    void Close();

    bool IsOpen() const
    {
        return m_pFile != nullptr;
    }
    // True when a write, seek, flush or close of the current (or last) file failed, or the file would
    // exceed the 32-bit FileLength. Cleared by a successful Open.
    bool HasWriteError() const
    {
        return m_bWriteError;
    }

  private:
    struct FileCloser
    {
        void operator()(FILE *file) const;
    };

    void Append(const unsigned char *bytes, size_t count);
    void AppendTag(const std::vector<unsigned char> &tag);
    void WriteToFile(const void *bytes, size_t count);
    size_t HeaderSize();
    void WriteHeader();

    const char m_signature[3] = {'F', 'W', 'S'};
    uint8_t m_uVersion = 3;
    uint32_t m_uFileLength = 0;
    uint16_t m_uFrameRate = 0x0C00;
    uint16_t m_uFrameCount = 0;
    std::unique_ptr<FILE, FileCloser> m_pFile;
    CSWFRectangle m_frameSize;
    // Tags appended while no file is open.
    std::vector<unsigned char> m_tagBuffer;
    // Tag bytes that belong to the current file: written plus held.
    uint64_t m_uTagBytes = 0;
    bool m_bWriteError = false;
};
