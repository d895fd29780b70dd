// Slide rendering: picture preparation and the slide's tags.
#include "build/SlideRenderer.h"

#include "base/Utf8.h"
#include "imaging/FileBytes.h"
#include "imaging/ImageType.h"
#include "imaging/JpegCodec.h"
#include "imaging/Picture.h"
#include "imaging/PixelOps.h"
#include "swf/SWFAction.h"
#include "swf/SWFBitmap.h"
#include "swf/SWFButton.h"
#include "swf/SWFMovie.h"
#include "swf/SWFShape.h"

#include <utility>

namespace
{
constexpr int kSlideJpegQuality = 90;
} // namespace

bool DecodePictureAtSize(const std::string &path, int type, int width, int height, Raster &raster, std::string &reason)
{
    CPicture picture(0);
    if (!picture.LoadForSize(path.c_str(), type, width, height) || (picture.GetBpp() < 16 && !picture.IncreaseBpp(24)))
    {
        reason = picture.GetLastError();
        return false;
    }
    // Transparent pixels become the movie's white before resampling, so the colours stored under them
    // cannot bleed into the edges of what is visible.
    ComposeOverWhite(picture.GetRaster());
    if (!picture.Resample(width, height, 0))
    {
        reason = picture.GetLastError();
        return false;
    }
    raster = std::move(picture.GetRaster());
    return true;
}

bool PrepareSlidePicture(const std::string &imagePath, const std::wstring &fileName, int width, int height,
                         SlideBuffers &buffers, std::string &reason)
{
    // The type follows the text after the last dot: .jpeg and .tiff name their formats as .jpg and .tif do.
    int type = CPicture::GetTypeIdFromName(Utf8FromWide(fileName).c_str());

    // Files named as another format go straight to the picture object, as do JPEGs that cannot be resized
    // in their colour space (grey, CMYK, damaged): it decodes them, or says what is wrong with them.
    std::string error;
    if ((type == kImageTypeJpg || type == kImageTypeUnknown) && ReadFileBytes(imagePath.c_str(), buffers.file, error) &&
        ResizeJpeg(buffers.file.data(), buffers.file.size(), width, height, kSlideJpegQuality, buffers.jpeg,
                   buffers.planes, error))
        return true;

    Raster raster;
    if (!DecodePictureAtSize(imagePath, type, width, height, raster, reason))
        return false;
    if (!EncodeJpeg(raster, kSlideJpegQuality, buffers.jpeg, error))
    {
        reason = Utf8FromWide(fileName) + ": " + error;
        return false;
    }
    return true;
}

void RenderSlide(CSWFMovie &movie, const std::vector<uint8_t> &jpeg, const std::string &address, int width, int height,
                 bool fpsMode, int delay, uint16_t &id)
{
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const SWFRectF stage = {0.0f, 0.0f, w, h};

    CSWFBitmap bitmap(id, jpeg.data(), jpeg.size());
    movie.AddObject(&bitmap, id, true);
    const uint16_t bitmapId = id++;

    CSWFShape shape(id, stage, id);
    shape.AddLineStyle(1, SWFRGBA{0, 0, 0, 0});
    shape.AddBitmapFill(bitmapId, CSWFShape::kRepeatingBitmap, stage, stage);
    const float origin[2] = {0.0f, 0.0f};
    shape.ChangeStyle(1, 1, 0, origin);
    shape.AddStraightEdge(w, 0.0f);
    shape.AddStraightEdge(0.0f, h);
    shape.AddStraightEdge(-w, 0.0f);
    shape.AddStraightEdge(0.0f, -h);
    movie.AddObject(&shape, id, true);
    const uint16_t shapeId = id++;

    CSWFButton button(id, id, false);
    button.AddButtonRecord(CSWFButton::kStateHitTest, shapeId, shapeId, nullptr);
    if (!address.empty())
    {
        CSWFAction action(true);
        action.AddGetURL(address.c_str(), "");
        button.AddCondAction(CSWFButton::kCondOverUpToOverDown, CSWFButton::kCondOverDownToIdle, &action);
    }
    // The button is placed afresh in each of the slide's frames. Once it is placed in the first, the
    // previous slide's shape and button, hidden under this slide, leave the display list: a frame then
    // costs a player the same however far into the movie it lies.
    const bool bPrevious = bitmapId > 1;
    const int frames = fpsMode || delay < 1 ? 1 : delay;
    for (int frame = 0; frame < frames; ++frame)
    {
        movie.AddObject(&button, id, true);
        if (frame == 0 && bPrevious)
        {
            movie.RemoveObject(static_cast<uint16_t>(shapeId - 3));
            movie.RemoveObject(static_cast<uint16_t>(id - 3));
        }
        movie.ShowFrame();
    }
    ++id;
}
