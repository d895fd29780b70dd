// The slide list and the movie settings, with the rules that exchange addresses with the URL box.
#pragma once

#include "build/ImageItem.h"

#include <string>
#include <vector>

// Ranges the settings' data exchange checks. The largest side is the largest picture libjpeg can
// write; the build engine and brivelle-cli take the same range.
constexpr int kMinMovieSize = 8;
constexpr int kMaxMovieSize = 65500;
constexpr int kMinTiming = 1;
constexpr int kMaxTiming = 999999;

// Everything a movie is built from. The main dialog owns one; the build job reads it.
class CSlideModel
{
  public:
    std::vector<ImageItem> m_images;
    int m_nCurSel = 0;
    int m_nWidth = 256;
    int m_nHeight = 192;
    int m_nFps = 1;
    int m_nDelay = 1;

    // Stores the URL box's text as the current slide's address. An empty text, the bare "http://"
    // (any letter case) or an empty list change nothing: the box can set an address, not remove it.
    void CommitUrlEdit(const std::wstring &editText);

    // The text the URL box shows for the current slide: its address, or "http://" when the address
    // has fewer than 2 characters. False (box left alone) when the list is empty.
    bool ShowSlideUrl(std::wstring &editText) const;

    bool HasCurrent() const
    {
        return !m_images.empty() && m_nCurSel >= 0 && m_nCurSel < static_cast<int>(m_images.size());
    }
};
