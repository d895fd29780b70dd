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

    // Stores the URL box's text as the address of slide nSlide, the slide whose address the box was
    // showing. Only a box the user edited counts: left empty, or holding just "http://" (any letter
    // case), it removes the address; any other text becomes the address. An index that names no
    // slide changes nothing.
    void CommitUrlEdit(int nSlide, const std::wstring &editText, bool bEdited);

    // The text the URL box shows for the current slide: its address, or "http://" when the address
    // has fewer than 2 characters or there is no current slide.
    std::wstring UrlEditText() const;

    bool HasCurrent() const
    {
        return IsSlide(m_nCurSel);
    }
    bool IsSlide(int nSlide) const
    {
        return nSlide >= 0 && nSlide < static_cast<int>(m_images.size());
    }
};
