// CBrivelleDlg: thumbnails, list items, the image area's picture and the switch back from the preview.
#include "ui/BrivelleDlg.h"

#include "framework/Handles.h"
#include "ui/SlidePictures.h"

#include <algorithm>
#include <unordered_map>

namespace
{
// An empty 96 x 72 bitmap compatible with the screen, for drawing an image-list entry into.
CBitmapHandle MakeThumbCanvas()
{
    CWindowDC screen(nullptr);
    return CBitmapHandle(::CreateCompatibleBitmap(screen.Get(), kThumbWidth, kThumbHeight));
}
} // namespace

void CBrivelleDlg::StartPictureWork()
{
    HWND hWnd = m_hWnd;
    m_pPictures = std::make_unique<CSlidePictures>([hWnd] { ::PostMessageW(hWnd, WM_PICTURES_READY, 0, 0); });
}

void CBrivelleDlg::AddThumbnails(int nFirst, int nEnd)
{
    // Cards go into the image list many at a time: each addition copies the whole list.
    for (int nSlide = nFirst; nSlide < nEnd;)
    {
        const int nCards = std::min(nEnd - nSlide, CSlidePictures::kCardsAtOnce);
        m_imageList.Add(m_pPictures->PendingCards(nCards), nullptr);
        nSlide += nCards;
    }
    std::vector<std::wstring> paths;
    for (int nSlide = std::max(0, nFirst); nSlide < nEnd; ++nSlide)
        paths.push_back(m_model.m_images[static_cast<size_t>(nSlide)].FullPath());
    m_pPictures->RequestThumbnails(paths);
}

void CBrivelleDlg::HurryVisibleThumbnails(int nFirst, int nLast)
{
    const int nSlides = static_cast<int>(m_model.m_images.size());
    for (int i = std::max(0, nFirst); i <= nLast && i < nSlides; ++i)
        m_pPictures->HurryThumbnail(m_model.m_images[static_cast<size_t>(i)].FullPath());
}

int CBrivelleDlg::VisibleItemCount() const
{
    const RECT rc = m_list.GetClientRect();
    return (rc.right - rc.left) / (ItemLeft(1) - ItemLeft(0)) + 1;
}

LRESULT CBrivelleDlg::OnPicturesReady()
{
    if (!m_pPictures)
        return 0;
    std::vector<CSlidePictures::Thumbnail> thumbnails;
    bool bAreaPicture = false;
    m_pPictures->TakeResults(thumbnails, bAreaPicture);
    if (!thumbnails.empty())
    {
        // A thumbnail goes to every slide that shows its file now, wherever the slide has moved.
        std::unordered_map<std::wstring, std::vector<int>> slidesOfFile;
        const int nEntries = m_imageList.GetImageCount();
        for (int i = 0; i < static_cast<int>(m_model.m_images.size()) && i < nEntries; ++i)
            slidesOfFile[m_model.m_images[static_cast<size_t>(i)].FullPath()].push_back(i);
        bool bChanged = false;
        for (const CSlidePictures::Thumbnail &thumbnail : thumbnails)
        {
            const auto found = slidesOfFile.find(thumbnail.path);
            if (found == slidesOfFile.end())
                continue;
            HBITMAP hBitmap = thumbnail.bitmap ? thumbnail.bitmap.Get() : m_pPictures->UnreadableCard();
            for (int nSlide : found->second)
                m_imageList.Replace(nSlide, hBitmap, nullptr);
            bChanged = true;
        }
        if (bChanged)
            m_list.Invalidate();
    }
    if (bAreaPicture)
        DrawCurrentImage();
    return 0;
}

void CBrivelleDlg::InsertSlideItem(int nSlide)
{
    // LayOutList puts it in its place in the row once the command has changed the list.
    m_list.InsertItem(nSlide, m_model.m_images[static_cast<size_t>(nSlide)].strFileName, nSlide);
}

void CBrivelleDlg::SwapThumbnails(int nFirst, int nSecond)
{
    if (nFirst == nSecond)
        return;
    CBitmapHandle first = MakeThumbCanvas();
    CBitmapHandle second = MakeThumbCanvas();
    CMemoryDC dc(::CreateCompatibleDC(nullptr));
    if (!first || !second || !dc)
        return;
    {
        CSelectObject selected(dc.Get(), first.Get());
        m_imageList.Draw(dc.Get(), nFirst, POINT{0, 0}, ILD_NORMAL);
    }
    {
        CSelectObject selected(dc.Get(), second.Get());
        m_imageList.Draw(dc.Get(), nSecond, POINT{0, 0}, ILD_NORMAL);
    }
    m_imageList.Replace(nFirst, second.Get(), nullptr);
    m_imageList.Replace(nSecond, first.Get(), nullptr);
}

void CBrivelleDlg::DrawCurrentImage()
{
    if (!m_model.HasCurrent() || m_imageArea.m_hWnd == nullptr || !m_pPictures)
        return;
    const RECT rc = m_imageArea.GetClientRect();
    if (rc.right <= rc.left || rc.bottom <= rc.top)
        return;
    // The current slide first, then its neighbours, nearest first, to be decoded ahead.
    const int nCurrent = m_model.m_nCurSel;
    const int nSlides = static_cast<int>(m_model.m_images.size());
    std::vector<std::wstring> paths{m_model.m_images[static_cast<size_t>(nCurrent)].FullPath()};
    for (int nStep = 1; nStep <= 2; ++nStep)
    {
        for (int nSlide : {nCurrent + nStep, nCurrent - nStep})
        {
            if (nSlide >= 0 && nSlide < nSlides)
                paths.push_back(m_model.m_images[static_cast<size_t>(nSlide)].FullPath());
        }
    }
    bool bUnreadable = false;
    std::shared_ptr<const AreaPicture> picture =
        m_pPictures->Want(paths, SIZE{rc.right - rc.left, rc.bottom - rc.top}, bUnreadable);
    // A picture on its way replaces the one shown when it arrives; a file that cannot be read shows none,
    // so the area never goes on showing another slide.
    if (picture || bUnreadable)
        m_imageArea.SetPicture(picture);
}

void CBrivelleDlg::OnImageAreaPainted()
{
    // A picture whose file changed on disk since it was decoded is decoded again and shown when ready.
    if (m_imageArea.IsWindowVisible())
        DrawCurrentImage();
}

void CBrivelleDlg::ClearImageArea()
{
    m_imageArea.SetPicture(nullptr);
}

void CBrivelleDlg::ShowImageArea()
{
    ClosePreview();
    if (!m_imageArea.IsWindowVisible())
        m_imageArea.ShowWindow(SW_SHOW);
}
