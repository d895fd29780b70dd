// CSlidePictures: thumbnails and the image area's pictures, decoded on worker threads and cached.
#include "ui/SlidePictures.h"

#include "base/Utf8.h"
#include "framework/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace
{
// Request priorities: the current slide's picture, the visible thumbnails, the other thumbnails, the
// pictures around the current slide.
constexpr int kCurrentPicture = 3;
constexpr int kUrgentThumbnail = 2;
constexpr int kThumbnail = 1;
constexpr int kNearbyPicture = 0;

// nCards 96 x 72 cards side by side, each of one colour with a frame, crossed from corner to corner when
// bCrossed.
HBITMAP MakeCards(int nCards, bool bCrossed)
{
    CWindowDC screen(nullptr);
    CBitmapHandle bitmap(::CreateCompatibleBitmap(screen.Get(), kThumbWidth * nCards, kThumbHeight));
    CMemoryDC dc(::CreateCompatibleDC(screen.Get()));
    if (!bitmap || !dc)
        return nullptr;
    CSelectObject selected(dc.Get(), bitmap.Get());
    CBrushHandle fill(::CreateSolidBrush(bCrossed ? RGB(224, 224, 224) : RGB(240, 240, 240)));
    CBrushHandle frame(::CreateSolidBrush(bCrossed ? RGB(128, 128, 128) : RGB(200, 200, 200)));
    for (int i = 0; i < nCards; ++i)
    {
        const RECT rc{kThumbWidth * i, 0, kThumbWidth * (i + 1), kThumbHeight};
        ::FillRect(dc.Get(), &rc, fill.Get());
        ::FrameRect(dc.Get(), &rc, frame.Get());
        if (bCrossed)
        {
            CSelectObject pen(dc.Get(), ::GetStockObject(DC_PEN));
            ::SetDCPenColor(dc.Get(), RGB(128, 128, 128));
            ::MoveToEx(dc.Get(), rc.left, 0, nullptr);
            ::LineTo(dc.Get(), rc.right, kThumbHeight);
            ::MoveToEx(dc.Get(), rc.right - 1, 0, nullptr);
            ::LineTo(dc.Get(), rc.left - 1, kThumbHeight);
        }
    }
    return bitmap.Detach();
}

// A 24-bit raster's pixels as a top-down 32-bit DIB holds them: blue, green, red, unused.
void CopyToDib(const Raster &raster, uint32_t *pOut)
{
    for (int y = 0; y < raster.height; ++y)
    {
        const uint8_t *pIn = raster.Row(y);
        for (int x = 0; x < raster.width; ++x, pIn += 3)
            *pOut++ = (static_cast<uint32_t>(pIn[0]) << 16) | (static_cast<uint32_t>(pIn[1]) << 8) | pIn[2];
    }
}

std::shared_ptr<const AreaPicture> AreaPictureOf(const Raster &raster)
{
    auto picture = std::make_shared<AreaPicture>();
    picture->nWidth = raster.width;
    picture->nHeight = raster.height;
    picture->pixels.resize(static_cast<size_t>(raster.width) * static_cast<size_t>(raster.height));
    CopyToDib(raster, picture->pixels.data());
    return picture;
}
} // namespace

FileStamp StampOf(const std::wstring &path)
{
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return stamp;
    stamp.bExists = true;
    stamp.uSize = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.uWriteTime =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

HBITMAP BitmapFromRaster(const Raster &raster)
{
    if (raster.Empty() || raster.bpp != 24)
        return nullptr;
    const BITMAPINFO info = TopDownDibInfo(raster.width, raster.height);
    void *pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hBitmap == nullptr || pBits == nullptr)
        return hBitmap;
    CopyToDib(raster, static_cast<uint32_t *>(pBits));
    ::GdiFlush();
    return hBitmap;
}

CSlidePictures::CSlidePictures(std::function<void()> notify)
    : m_loader(std::max(1u, std::min(4u, std::thread::hardware_concurrency())), std::move(notify))
{
}

PictureRequest CSlidePictures::Note(bool bThumbnail, const std::wstring &path, int nWidth, int nHeight, int nPriority)
{
    const uint64_t uKey = m_uNextKey++;
    m_requests[uKey] = Request{bThumbnail, path};
    PictureRequest request;
    request.uKey = uKey;
    request.strPath = Utf8FromWide(path);
    request.nWidth = nWidth;
    request.nHeight = nHeight;
    request.nPriority = nPriority;
    return request;
}

uint64_t CSlidePictures::Ask(bool bThumbnail, const std::wstring &path, int nWidth, int nHeight, int nPriority)
{
    PictureRequest request = Note(bThumbnail, path, nWidth, nHeight, nPriority);
    const uint64_t uKey = request.uKey;
    m_loader.Request(std::move(request));
    return uKey;
}

void CSlidePictures::RequestThumbnails(const std::vector<std::wstring> &paths)
{
    std::vector<PictureRequest> requests;
    for (const std::wstring &path : paths)
    {
        // One request per file, for all the slides that show it.
        if (m_thumbnailKeys.count(path) != 0)
            continue;
        requests.push_back(Note(true, path, kThumbWidth, kThumbHeight, kThumbnail));
        m_thumbnailKeys[path] = requests.back().uKey;
    }
    if (!requests.empty())
        m_loader.Request(std::move(requests));
}

void CSlidePictures::HurryThumbnail(const std::wstring &path)
{
    const auto found = m_thumbnailKeys.find(path);
    if (found != m_thumbnailKeys.end())
        m_loader.Reprioritise(found->second, kUrgentThumbnail);
}

HBITMAP CSlidePictures::PendingCards(int nCards)
{
    // The image list takes as many images as the bitmap is wide: the strip is made for each count asked.
    if (nCards != m_nPendingCards)
    {
        m_pendingCards.Reset(MakeCards(nCards, false));
        m_nPendingCards = nCards;
    }
    return m_pendingCards.Get();
}

HBITMAP CSlidePictures::UnreadableCard()
{
    if (!m_unreadableCard)
        m_unreadableCard.Reset(MakeCards(1, true));
    return m_unreadableCard.Get();
}

std::shared_ptr<const AreaPicture> CSlidePictures::Want(const std::vector<std::wstring> &paths, SIZE size,
                                                        bool &bUnreadable)
{
    bUnreadable = false;
    const auto forget = [this](const Cached &cached) {
        if (cached.uKey == 0)
            return;
        const uint64_t uKey = cached.uKey;
        m_loader.Cancel([uKey](uint64_t uQueued) { return uQueued == uKey; });
        m_requests.erase(uKey);
    };
    // Pictures of files no longer around the current slide, or made for another size, go.
    std::vector<Cached> kept;
    for (Cached &cached : m_cache)
    {
        if (cached.size.cx == size.cx && cached.size.cy == size.cy &&
            std::find(paths.begin(), paths.end(), cached.path) != paths.end())
            kept.push_back(std::move(cached));
        else
            forget(cached);
    }
    m_cache.swap(kept);

    std::shared_ptr<const AreaPicture> current;
    for (size_t i = 0; i < paths.size(); ++i)
    {
        // The neighbours wait until the current picture is made, so that it has the processor to itself.
        if (i > 0 && !current && !bUnreadable)
            break;
        const FileStamp stamp = StampOf(paths[i]);
        auto found = std::find_if(m_cache.begin(), m_cache.end(),
                                  [&paths, i](const Cached &cached) { return cached.path == paths[i]; });
        // A file changed on disk is decoded again.
        if (found != m_cache.end() && !(found->stamp == stamp))
        {
            forget(*found);
            m_cache.erase(found);
            found = m_cache.end();
        }
        if (found == m_cache.end())
        {
            Cached cached;
            cached.path = paths[i];
            cached.stamp = stamp;
            cached.size = size;
            cached.uKey = Ask(false, paths[i], size.cx, size.cy, i == 0 ? kCurrentPicture : kNearbyPicture);
            m_cache.push_back(std::move(cached));
            found = m_cache.end() - 1;
        }
        else if (i == 0 && found->uKey != 0)
        {
            m_loader.Reprioritise(found->uKey, kCurrentPicture);
        }
        if (i == 0)
        {
            current = found->picture;
            bUnreadable = found->bUnreadable;
        }
    }
    return current;
}

void CSlidePictures::TakeResults(std::vector<Thumbnail> &thumbnails, bool &bAreaPicture)
{
    bAreaPicture = false;
    for (PictureResult &result : m_loader.TakeResults())
    {
        const auto request = m_requests.find(result.uKey);
        // Asked for by a slide or a cache entry that is gone.
        if (request == m_requests.end())
            continue;
        const Request asked = std::move(request->second);
        m_requests.erase(request);
        if (asked.bThumbnail)
        {
            const auto key = m_thumbnailKeys.find(asked.path);
            if (key != m_thumbnailKeys.end() && key->second == result.uKey)
                m_thumbnailKeys.erase(key);
            Thumbnail thumbnail;
            thumbnail.path = asked.path;
            if (result.bReadable)
                thumbnail.bitmap.Reset(BitmapFromRaster(result.raster));
            thumbnails.push_back(std::move(thumbnail));
            continue;
        }
        for (Cached &cached : m_cache)
        {
            if (cached.uKey != result.uKey)
                continue;
            cached.uKey = 0;
            cached.bUnreadable = !result.bReadable;
            if (result.bReadable)
                cached.picture = AreaPictureOf(result.raster);
            bAreaPicture = true;
        }
    }
}

bool CSlidePictures::Idle()
{
    return m_loader.Idle();
}
