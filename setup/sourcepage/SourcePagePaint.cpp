// The source page host's painting: the view's background picture, the header picture in the band at its top and,
// on the restore page, the two tabs that switch between the basic and the advanced page.
#include "setup/sourcepage/SourcePage.h"

#include "platform/system/Resources.h"
#include "setup/sourcepage/SourcePageView.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const Gdiplus::Color kTabFace(255, 234, 241, 247);
const Gdiplus::Color kTabChosenFace(255, 255, 255, 255);
const Gdiplus::Color kTabBorder(255, 150, 176, 198);
const Gdiplus::Color kTabText(255, 40, 56, 72);
const Gdiplus::REAL kTabFontPoints = 10.0f;
const int kHeaderMargin = 8;

Gdiplus::RectF ToRectF(const CRect &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
}

} // namespace

BOOL CSourcePage::OnEraseBkgnd(CDC *pDC)
{
    if (pDC == nullptr)
        return TRUE;
    CRect client;
    GetClientRect(&client);
    const bool restore = IsRestoreView();
    PaintSourcePageBackground(*this, *pDC, restore, SourceHostArea(*this, true),
                              [this, &client, restore](Gdiplus::Graphics &graphics) {
                                  PaintHeader(graphics, client);
                                  if (restore)
                                      PaintTabs(graphics);
                              });
    return TRUE;
}

void CSourcePage::PaintHeader(Gdiplus::Graphics &graphics, const CRect &client) const
{
    Gdiplus::Image *header = m_header.get();
    if (!IsSkinImageValid(header))
        return;
    const int width = static_cast<int>(header->GetWidth());
    const int height = static_cast<int>(header->GetHeight());
    const int top = height < kTabHeight ? (kTabHeight - height) / 2 : 0;
    graphics.DrawImage(header, client.right - kHeaderMargin - width, top, width, height);
}

void CSourcePage::PaintTabs(Gdiplus::Graphics &graphics) const
{
    std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(L"Tahoma", kTabFontPoints, Gdiplus::FontStyleRegular);
    const UINT captions[] = {IDS_SOURCE_TAB_BASIC, IDS_SOURCE_TAB_ADVANCED};
    Gdiplus::Pen border(kTabBorder);
    Gdiplus::SolidBrush text(kTabText);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    for (int tab = 0; tab < 2; ++tab)
    {
        CRect rect = TabRect(tab);
        rect.DeflateRect(0, 4, 0, 0);
        const bool chosen = (tab == 1) == (m_advanced != FALSE);
        Gdiplus::SolidBrush face(chosen ? kTabChosenFace : kTabFace);
        graphics.FillRectangle(&face, ToRectF(rect));
        graphics.DrawRectangle(&border, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                               static_cast<INT>(rect.Width() - 1), static_cast<INT>(rect.Height() - 1));
        const CString caption = AfxLoadText(captions[tab]);
        if (font != nullptr && !caption.IsEmpty())
            graphics.DrawString(caption, caption.GetLength(), font.get(), ToRectF(rect), &format, &text);
    }
}
