// CSlidePictures: thumbnails and the image area's pictures, decoded on worker threads and cached.
#pragma once

#include "build/PictureLoader.h"
#include "framework/Handles.h"
#include "ui/ImageArea.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

constexpr int kThumbWidth = 96;
constexpr int kThumbHeight = 72;

// Size and last write of a file: a picture whose stamp changed is decoded again.
struct FileStamp
{
    bool bExists = false;
    uint64_t uSize = 0;
    uint64_t uWriteTime = 0;
    bool operator==(const FileStamp &other) const
    {
        return bExists == other.bExists && uSize == other.uSize && uWriteTime == other.uWriteTime;
    }
};
FileStamp StampOf(const std::wstring &path);

// Pictures of the slides, by file: a thumbnail is asked for once per file and delivered for every slide
// that shows that file, so slides deleted, moved or removed in the meantime never get another's picture.
// The image area's pictures are decoded at its size for the current slide and two on each side; at most
// kCachedPictures of them are kept (each area width x height x 4 bytes, about 1 MB at 96 DPI).
class CSlidePictures
{
  public:
    static constexpr size_t kCachedPictures = 5;

    // `notify` runs on a worker thread when results are waiting (it posts a message).
    explicit CSlidePictures(std::function<void()> notify);

    // Thumbnails: urgent ones (the visible items) go before the others, which go in the order asked.
    void RequestThumbnails(const std::vector<std::wstring> &paths);
    bool ThumbnailsPending() const
    {
        return !m_thumbnailKeys.empty();
    }
    void HurryThumbnail(const std::wstring &path);
    // nCards (1 to kCardsAtOnce) cards side by side that stand in for thumbnails still being made, and the
    // card for a picture that cannot be read.
    static constexpr int kCardsAtOnce = 64;
    HBITMAP PendingCards(int nCards);
    HBITMAP UnreadableCard();

    // The image area's picture of the current file, decoded at this size, and the files around it
    // (current first, then the nearest ones), decoded ahead. The picture when it is ready and the file
    // has not changed since; null otherwise, with bUnreadable telling a file that cannot be read.
    std::shared_ptr<const AreaPicture> Want(const std::vector<std::wstring> &paths, SIZE size, bool &bUnreadable);

    struct Thumbnail
    {
        std::wstring path;
        CBitmapHandle bitmap;
    };
    // Collects what the workers finished: thumbnails, and whether an area picture arrived.
    void TakeResults(std::vector<Thumbnail> &thumbnails, bool &bAreaPicture);
    // Nothing queued, being decoded or waiting to be collected.
    bool Idle();

  private:
    struct Request
    {
        bool bThumbnail = false;
        std::wstring path;
    };
    struct Cached
    {
        std::wstring path;
        FileStamp stamp;
        SIZE size{};
        uint64_t uKey = 0; // while being decoded
        bool bUnreadable = false;
        std::shared_ptr<const AreaPicture> picture;
    };
    PictureRequest Note(bool bThumbnail, const std::wstring &path, int nWidth, int nHeight, int nPriority);
    uint64_t Ask(bool bThumbnail, const std::wstring &path, int nWidth, int nHeight, int nPriority);

    CPictureLoader m_loader;
    uint64_t m_uNextKey = 1;
    std::unordered_map<uint64_t, Request> m_requests;
    std::unordered_map<std::wstring, uint64_t> m_thumbnailKeys;
    std::vector<Cached> m_cache;
    CBitmapHandle m_pendingCards;
    int m_nPendingCards = 0;
    CBitmapHandle m_unreadableCard;
};

// A 32-bit device-independent bitmap of a 24-bit raster.
HBITMAP BitmapFromRaster(const Raster &raster);
