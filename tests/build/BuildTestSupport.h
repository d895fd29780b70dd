// Shared set-up of the engine tests: sample pictures in a private folder, a job, and the movie read back.
#pragma once

#include "bench/pictures/SamplePictures.h"
#include "build/MovieBuilder.h"
#include "support/TempDir.h"
#include "swf/SwfTestReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Rgb
{
    int r, g, b;
};

// A folder with pictures, a temporary folder "tmp/" inside it, and a job writing tmp/ftmptest0.swf
// and copying it to out.swf.
class BuildFixture
{
  public:
    BuildFixture();

    // Writes a 64 x 48 card of one colour (BMP, or JPEG when the name ends in .jpg) and returns its slide.
    ImageItem Card(const std::string &name, Rgb colour, const std::wstring &url = L"");
    ImageItem Garbage(const std::string &name);
    BuildJob Job(const std::vector<ImageItem> &slides, int width = 64, int height = 48) const;
    std::string Path(const std::string &name) const
    {
        return m_dir.File(name);
    }
    // Names in the temporary folder.
    std::vector<std::string> TempEntries() const;

  private:
    TempDir m_dir;
};

// Parses the movie file; fails the test when it does not add up.
SwfMovie ReadMovie(const std::string &path);
// Mean colour of a DefineBitsJPEG2's picture, and its size.
Rgb MeanColourOfBitmap(const SwfTag &tag, int *width = nullptr, int *height = nullptr);
::testing::AssertionResult ColourNear(Rgb actual, Rgb expected, int tolerance = 6);
