// The job list view's painting.
#include "app/joblist/JobListView.h"

#include "platform/drawing/MemDC.h"
#include "engine/store/JobDef.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

// The empty view's heading, drawn in black and centred over the large buttons.
const wchar_t kEmptyHeading[] = L"What do you want to do with your Drivoro?";
const int kEmptyHeadingTop = 50;
// The large buttons' captions lie in the strip at the foot of their pictures.
const int kLargeCaptionHeight = 28;

Gdiplus::RectF ToRectF(const CRect &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
}

// Moves the DC's drawing to device coordinates (both origins at 0) for the object's lifetime and keeps the
// offset at which the content's origin lies on the device. GDI+ then sees no DC mapping at all, whatever it
// makes of one.
class DeviceOrigin
{
  public:
    explicit DeviceOrigin(CDC &dc) : m_dc(dc)
    {
        POINT origin = {0, 0};
        ::LPtoDP(dc, &origin, 1);
        m_offset = origin;
        m_window = dc.SetWindowOrg(0, 0);
        m_viewport = dc.SetViewportOrg(0, 0);
    }
    ~DeviceOrigin()
    {
        m_dc.SetWindowOrg(m_window);
        m_dc.SetViewportOrg(m_viewport);
    }
    DeviceOrigin(const DeviceOrigin &) = delete;
    DeviceOrigin &operator=(const DeviceOrigin &) = delete;

    CPoint Offset() const
    {
        return m_offset;
    }

  private:
    CDC &m_dc;
    CPoint m_offset;
    CPoint m_window;
    CPoint m_viewport;
};

} // namespace

void CJobListView::OnDraw(CDC *pDC)
{
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr)
        return;
    CRect area;
    if (m_hWnd != nullptr)
        GetClientRect(&area);
    else
        pDC->GetClipBox(&area);
    area.OffsetRect(0, GetScrollPosition().y);

    CMemDC memDC(pDC, &area);
    DeviceOrigin origin(memDC);
    {
        Gdiplus::Graphics graphics(memDC.GetSafeHdc());
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(origin.Offset().x),
                                    static_cast<Gdiplus::REAL>(origin.Offset().y));
        DrawContent(graphics, area);
    }
}

void CJobListView::DrawContent(Gdiplus::Graphics &graphics, const CRect &area)
{
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::SolidBrush background(Gdiplus::Color(255, 255, 255, 255));
    graphics.FillRectangle(&background, ToRectF(area));
    const JobListResources *resources = GetJobListResources();
    if (resources == nullptr)
        return;
    if (m_items.empty())
    {
        DrawEmptyView(graphics, *resources);
        return;
    }
    for (CJobListItem *item : m_items)
    {
        CRect visible;
        if (visible.IntersectRect(&item->m_rect, &area))
            item->Draw(graphics, resources);
    }
}

void CJobListView::DrawEmptyView(Gdiplus::Graphics &graphics, const JobListResources &resources)
{
    const int cardsLeft = CardsLeft();
    const int cardWidth = CurrentJobListMetrics().width;
    if (resources.verdana9 != nullptr)
    {
        Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
        const CString heading = kEmptyHeading;
        Gdiplus::RectF measured;
        graphics.MeasureString(heading, heading.GetLength(), resources.verdana9.get(), Gdiplus::PointF(0, 0),
                               &measured);
        const Gdiplus::REAL left = static_cast<Gdiplus::REAL>(cardsLeft) + (cardWidth - measured.Width) / 2;
        graphics.DrawString(heading, heading.GetLength(), resources.verdana9.get(),
                            Gdiplus::PointF(left, static_cast<Gdiplus::REAL>(kEmptyHeadingTop)), &black);
    }
    Gdiplus::StringFormat centred;
    centred.SetAlignment(Gdiplus::StringAlignmentCenter);
    centred.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    for (int button = 0; button < LARGE_BUTTON_COUNT; ++button)
    {
        const CRect rect = GetLargeButtonRect(button);
        Gdiplus::Image *image = resources.largeButtons[button][m_largeLook[button]].get();
        if (IsSkinImageValid(image))
            graphics.DrawImage(image, rect.left, rect.top, rect.Width(), rect.Height());
        const CString caption = button == LARGE_BUTTON_ADD_JOB  ? resources.addJobCaption
                                : button == LARGE_BUTTON_BACKUP ? resources.runCaption
                                                                : AfxLoadText(IDS_MAIN_RESTORE);
        if (resources.arial9 != nullptr && resources.darkSlate != nullptr)
            graphics.DrawString(caption, caption.GetLength(), resources.arial9.get(),
                                ToRectF(CRect(rect.left, rect.bottom - kLargeCaptionHeight, rect.right, rect.bottom)),
                                &centred, resources.darkSlate.get());
    }
}
