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

    std::wstring FullPath() const
    {
        return strFolder + strFileName;
    }
};
