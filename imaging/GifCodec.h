// GIF decoding (frames composed one at a time, as a viewer shows them) and encoding of one picture (giflib).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Raster.h"

// Reads the frames of a GIF one after another, each composed as a viewer shows it: on the logical screen
// (grown to hold the first frame when the screen is smaller), with the frames' offsets, transparent index
// and disposal methods 0 to 3; parts of the screen no frame has covered are transparent. Only the screen
// and the frame being read are held, so an animation of any length takes the memory of one frame. The
// pixel budget applies to the screen and to each frame. A frame whose colours all come from its own
// colour table keeps that table and its indices (1, 4 or 8 bits); other frames become a palette of their
// colours when there are at most 256, else 24 bits. Transparency becomes the alpha plane (0 or 255).
class CGifFrameReader
{
  public:
    enum Step
    {
        kFrame,  // a frame was read
        kEnd,    // the file holds no further frame
        kFailed, // the file is damaged or too large; error says why
    };

    CGifFrameReader();
    ~CGifFrameReader();
    CGifFrameReader(const CGifFrameReader &) = delete;
    CGifFrameReader &operator=(const CGifFrameReader &) = delete;

    // Reads from memory that outlives the reader, or from a file by UTF-8 path as it goes. On failure
    // returns false with a message.
    bool Open(const uint8_t *data, size_t size, std::string &error);
    bool OpenFile(const char *pathUtf8, std::string &error);
    // Composes the next frame into *frame; with frame null the frame is composed (later frames are
    // drawn over it) but not copied out.
    Step Next(Raster *frame, std::string &error);
    // Passes over the remaining frames without decoding their pixels, counting them.
    Step SkipToEnd(std::string &error);
    // Frames met so far.
    int FramesRead() const;

  private:
    struct State;
    std::unique_ptr<State> m_pState;
};

// The first frame of a GIF held in memory, composed as CGifFrameReader does, and the number of frames in
// the file. On failure returns false with a message.
bool DecodeGif(const uint8_t *data, size_t size, Raster &first, int &frameCount, std::string &error);

// Writes the picture as a one-frame GIF. A palette picture keeps its palette and indices; a 24-bit
// picture with at most 256 colours keeps them exactly; more colours are reduced by median cut. Pixels
// with alpha below 128 become the transparent index. On failure returns false with a message.
bool EncodeGif(const Raster &picture, std::vector<uint8_t> &out, std::string &error);
