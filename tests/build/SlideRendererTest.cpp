// Preparing one slide's picture: transparency meets the movie's white before the picture shrinks.
#include "build/SlideRenderer.h"
#include "imaging/FileBytes.h"
#include "imaging/ImagingFixtures.h"
#include "imaging/JpegCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <png.h>

TEST(SlideRendererTest, TransparentPixelsShrinkAsWhiteWhateverColourTheyHide)
{
    // Columns alternate: opaque grey 128, then fully transparent pixels that store black (or, in the
    // second case, white). Halving the width averages one of each: halfway between grey and white.
    for (const uint16_t hidden : {uint16_t{0}, uint16_t{255}})
    {
        SCOPED_TRACE(hidden);
        TempDir dir;
        PngRecipe rgba;
        rgba.width = 64;
        rgba.height = 64;
        rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        for (int y = 0; y < 64; ++y)
        {
            for (int x = 0; x < 64; ++x)
            {
                const bool opaque = x % 2 == 0;
                const uint16_t v = opaque ? 128 : hidden;
                rgba.samples.insert(rgba.samples.end(), {v, v, v, static_cast<uint16_t>(opaque ? 255 : 0)});
            }
        }
        ASSERT_TRUE(WriteWholeFile(dir.File("stripes.png"), MakePng(rgba)));

        SlideBuffers buffers;
        std::string reason;
        ASSERT_TRUE(PrepareSlidePicture(dir.File("stripes.png"), L"stripes.png", 32, 32, buffers, reason)) << reason;
        Raster slide;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(buffers.jpeg.data(), buffers.jpeg.size(), 32, 32, slide, error)) << error;
        const Rgba centre = PixelAt(slide, 16, 16);
        EXPECT_NEAR(192, centre.r, 4) << ToString(centre);
        EXPECT_NEAR(192, centre.g, 4) << ToString(centre);
        EXPECT_NEAR(192, centre.b, 4) << ToString(centre);
    }
}
