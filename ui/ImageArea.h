// CImageArea: the static control of the main dialog that shows the current slide.
#pragma once

#include "framework/Static.h"

#include <cstdint>
#include <memory>
#include <vector>

// A picture ready to be drawn: 32-bit blue, green, red, unused; top row first.
struct AreaPicture
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint32_t> pixels;
};

// The notification (WM_COMMAND code) the image area posts its parent after each paint, so that the parent
// can see whether the picture's file has changed since it was decoded.
constexpr WORD kImageAreaPainted = 0x4001;

// The image area, control 1001 of the main dialog; the dialog's data exchange binds it. It paints the
// picture the dialog hands it, stretched over its whole client area, or the dialog's background when
// there is none.
class CImageArea : public CStatic
{
    BEGIN_MSG_MAP(CImageArea, CStatic)
    ON_WM_PAINT(OnPaint)
    ON_WM_ERASEBKGND(OnEraseBkgnd)
    END_MSG_MAP()

  public:
    ~CImageArea() override = default;

    // Shows this picture (null: none) and repaints at once when it is another one.
    void SetPicture(std::shared_ptr<const AreaPicture> pPicture);
    const std::shared_ptr<const AreaPicture> &Picture() const
    {
        return m_pPicture;
    }
    // Paints the picture stretched over rc, or the background.
    void Draw(HDC hDC, const RECT &rc) const;

  protected:
    void OnPaint();
    BOOL OnEraseBkgnd(HDC hDC);

  private:
    std::shared_ptr<const AreaPicture> m_pPicture;
};
