// CBrivelleDlg: thumbnails, list items, the image area's picture and the switch back from the preview.
#include "ui/BrivelleDlg.h"

#include "framework/Handles.h"

#include <objidl.h>

#include <gdiplus.h>

namespace
{
using namespace Gdiplus::DllExports;

constexpr int kThumbWidth = 96;
constexpr int kThumbHeight = 72;
// Transparent parts of a picture show the movie's background, white, wherever the picture is drawn.
constexpr Gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;

// Owns one GDI+ image.
class CGdipImage
{
  public:
    CGdipImage() = default;
    ~CGdipImage()
    {
        if (m_pImage != nullptr)
            GdipDisposeImage(m_pImage);
    }
    CGdipImage(const CGdipImage &) = delete;
    CGdipImage &operator=(const CGdipImage &) = delete;

    Gdiplus::GpImage *Get() const
    {
        return m_pImage;
    }
    Gdiplus::GpImage **Out()
    {
        return &m_pImage;
    }
    Gdiplus::GpBitmap **OutBitmap()
    {
        return reinterpret_cast<Gdiplus::GpBitmap **>(&m_pImage);
    }
    Gdiplus::GpBitmap *GetBitmap() const
    {
        return static_cast<Gdiplus::GpBitmap *>(m_pImage);
    }

  private:
    Gdiplus::GpImage *m_pImage = nullptr;
};

// A 96 x 72 thumbnail of the file, composed over white, or null.
HBITMAP MakeThumbnailBitmap(const std::wstring &path)
{
    CGdipImage picture;
    if (GdipCreateBitmapFromFile(path.c_str(), picture.OutBitmap()) != Gdiplus::Ok || picture.Get() == nullptr)
        return nullptr;
    CGdipImage thumbnail;
    if (GdipGetImageThumbnail(picture.Get(), kThumbWidth, kThumbHeight, thumbnail.Out(), nullptr, nullptr) !=
            Gdiplus::Ok ||
        thumbnail.Get() == nullptr)
        return nullptr;
    HBITMAP hBitmap = nullptr;
    if (GdipCreateHBITMAPFromBitmap(thumbnail.GetBitmap(), &hBitmap, kOpaqueWhite) != Gdiplus::Ok)
        return nullptr;
    return hBitmap;
}

// What stands in for a picture GDI+ cannot read: a grey card crossed from corner to corner.
HBITMAP MakePlaceholderBitmap()
{
    CWindowDC screen(nullptr);
    CBitmapHandle bitmap(::CreateCompatibleBitmap(screen.Get(), kThumbWidth, kThumbHeight));
    CMemoryDC dc(::CreateCompatibleDC(screen.Get()));
    if (!bitmap || !dc)
        return nullptr;
    {
        CSelectObject selected(dc.Get(), bitmap.Get());
        const RECT rc{0, 0, kThumbWidth, kThumbHeight};
        CBrushHandle fill(::CreateSolidBrush(RGB(224, 224, 224)));
        ::FillRect(dc.Get(), &rc, fill.Get());
        CBrushHandle frame(::CreateSolidBrush(RGB(128, 128, 128)));
        ::FrameRect(dc.Get(), &rc, frame.Get());
        CSelectObject pen(dc.Get(), ::GetStockObject(DC_PEN));
        ::SetDCPenColor(dc.Get(), RGB(128, 128, 128));
        ::MoveToEx(dc.Get(), 0, 0, nullptr);
        ::LineTo(dc.Get(), kThumbWidth, kThumbHeight);
        ::MoveToEx(dc.Get(), kThumbWidth - 1, 0, nullptr);
        ::LineTo(dc.Get(), -1, kThumbHeight);
    }
    return bitmap.Detach();
}

// An empty 96 x 72 bitmap compatible with the screen, for drawing an image-list entry into.
CBitmapHandle MakeThumbCanvas()
{
    CWindowDC screen(nullptr);
    return CBitmapHandle(::CreateCompatibleBitmap(screen.Get(), kThumbWidth, kThumbHeight));
}
} // namespace

void CBrivelleDlg::AddThumbnail(int nSlide)
{
    const ImageItem &slide = m_model.m_images[static_cast<size_t>(nSlide)];
    CBitmapHandle thumbnail(MakeThumbnailBitmap(slide.strFolder + slide.strFileName));
    // Entry i must stay slide i's, so an unreadable picture still gets an entry.
    if (!thumbnail)
        thumbnail.Reset(MakePlaceholderBitmap());
    m_imageList.Add(thumbnail.Get(), nullptr);
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
    if (!m_model.HasCurrent() || m_imageArea.m_hWnd == nullptr)
        return;
    const ImageItem &slide = m_model.m_images[static_cast<size_t>(m_model.m_nCurSel)];
    CGdipImage picture;
    if (GdipLoadImageFromFile((slide.strFolder + slide.strFileName).c_str(), picture.Out()) != Gdiplus::Ok ||
        picture.Get() == nullptr)
    {
        // No picture: the area must not go on showing the slide that was current before.
        ClearImageArea();
        return;
    }
    const RECT rc = m_imageArea.GetClientRect();
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    CWindowDC dc(m_imageArea.m_hWnd);
    if (!dc)
        return;
    // Composed off screen over white, as the movie shows it, then copied at once: transparent parts
    // never show the slide drawn before.
    CMemoryDC canvas(::CreateCompatibleDC(dc.Get()));
    CBitmapHandle bitmap(::CreateCompatibleBitmap(dc.Get(), nWidth, nHeight));
    if (!canvas || !bitmap)
        return;
    CSelectObject selected(canvas.Get(), bitmap.Get());
    ::FillRect(canvas.Get(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    Gdiplus::GpGraphics *pGraphics = nullptr;
    if (GdipCreateFromHDC(canvas.Get(), &pGraphics) != Gdiplus::Ok || pGraphics == nullptr)
        return;
    GdipDrawImageRectI(pGraphics, picture.Get(), 0, 0, nWidth, nHeight);
    GdipDeleteGraphics(pGraphics);
    ::BitBlt(dc.Get(), 0, 0, nWidth, nHeight, canvas.Get(), 0, 0, SRCCOPY);
}

void CBrivelleDlg::ClearImageArea()
{
    if (m_imageArea.m_hWnd == nullptr)
        return;
    CWindowDC dc(m_imageArea.m_hWnd);
    if (!dc)
        return;
    // The brush the dialog gives its static controls, so the area looks as it did at start.
    HBRUSH hBrush = reinterpret_cast<HBRUSH>(SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                                                         reinterpret_cast<LPARAM>(m_imageArea.m_hWnd)));
    if (hBrush == nullptr)
        hBrush = ::GetSysColorBrush(COLOR_BTNFACE);
    const RECT rc = m_imageArea.GetClientRect();
    ::FillRect(dc.Get(), &rc, hBrush);
}

void CBrivelleDlg::ShowImageArea()
{
    ClosePreview();
    if (!m_imageArea.IsWindowVisible())
        m_imageArea.ShowWindow(SW_SHOW);
}
