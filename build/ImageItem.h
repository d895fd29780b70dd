// One slide of the movie.
#pragma once

#include <string>

// A slide: the image's folder (ending with a path separator), its file name and its click-through
// address (empty: no link). Plain value type.
struct ImageItem
{
    std::wstring strFolder;
    std::wstring strFileName;
    std::wstring strUrl;
    // A frame of an animated GIF, whose file is a temporary one: the GIF's path and the frame number,
    // as messages name the slide. Empty for other slides.
    std::wstring strOrigin{};

    std::wstring FullPath() const
    {
        return strFolder + strFileName;
    }
    // The image as messages name it: its path, or the GIF and frame it was split from.
    std::wstring Origin() const
    {
        return strOrigin.empty() ? FullPath() : strOrigin;
    }
    bool operator==(const ImageItem &other) const
    {
        return strFolder == other.strFolder && strFileName == other.strFileName && strUrl == other.strUrl &&
               strOrigin == other.strOrigin;
    }
    bool operator!=(const ImageItem &other) const
    {
        return !(*this == other);
    }
};
