// Splitting an animated GIF into one slide per frame, each frame a GIF file of its own.
#pragma once

#include "build/ImageItem.h"

#include <string>
#include <vector>

struct GifSplit
{
    bool bLoaded = false;                 // false: the GIF could not be read, and no slide is added
    std::string strError;                 // why it could not be read
    std::vector<ImageItem> slides;        // the slides to append, in frame order
    std::vector<std::wstring> frameFiles; // frame files written, for deletion when the window closes
    std::vector<std::string> frameErrors; // frames that could not be had or saved (they add no slide)
};

// A GIF with fewer than 2 frames gives itself as the one slide. An animation gives one slide per
// frame: frame j of anim.gif becomes anim_frame<j>.gif in a folder of its own inside the temporary
// folder (so frames of two GIFs of the same name never collide), labelled with that name, its strOrigin
// naming the GIF and the frame. Frames are composed and saved one at a time, so memory does not grow
// with their number; frames after one that cannot be read are left out.
GifSplit SplitAnimatedGif(const std::wstring &folder, const std::wstring &fileName, const std::wstring &tempFolder);

// Deletes the frame files (only names ending in ".gif") and the folders that held them, once empty.
void DeleteFrameFiles(const std::vector<std::wstring> &frameFiles);
