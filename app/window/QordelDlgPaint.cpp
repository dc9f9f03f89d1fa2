// The main dialog's skin: the background, the logos, the texts and the skin buttons, painted off screen in one
// step from WM_ERASEBKGND; and the icon of the minimised window.
#include "app/window/QordelDlg.h"

#include <memory>

#include "platform/drawing/MemDC.h"
#include "app/window/MainLayout.h"
#include "engine/program/AppPaths.h"
#include "engine/store/JobDef.h"
#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const wchar_t kHeading[] = L"What do you want to do with your Drivoro?";
const wchar_t kPoweredBy[] = L"Powered by Orvane";

// The heading's band at the top of the skin.
const int kHeadingLeft = 16;
const int kHeadingBand = 50;
const int kHeadingRightMargin = 80;
// The restore options' backdrop reaches this far beyond their controls.
const int kOptionsMargin = 8;
// The caption strip at the foot of the whole-image buttons, in hundredths of their height.
const int kCaptionStripPercent = 28;

const Gdiplus::Color kHeadingColour(255, 255, 255, 255);
const Gdiplus::Color kTextColour(255, 81, 105, 109);
const Gdiplus::Color kFaintColour(255, 102, 102, 102);

Gdiplus::RectF ToRectF(const CRect &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
}

void DrawImage(Gdiplus::Graphics &graphics, Gdiplus::Image *image, const CRect &rect)
{
    if (IsSkinImageValid(image) && !rect.IsRectEmpty())
        graphics.DrawImage(image, rect.left, rect.top, rect.Width(), rect.Height());
}

void DrawText(Gdiplus::Graphics &graphics, const CString &text, const Gdiplus::Font *font, const Gdiplus::Color &colour,
              const CRect &box, Gdiplus::StringAlignment alignment, Gdiplus::StringAlignment lineAlignment)
{
    if (font == nullptr || text.IsEmpty() || box.IsRectEmpty())
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(alignment);
    format.SetLineAlignment(lineAlignment);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    Gdiplus::SolidBrush brush(colour);
    graphics.DrawString(text, text.GetLength(), font, ToRectF(box), &format, &brush);
}

} // namespace

BOOL CQordelDlg::OnEraseBkgnd(CDC *pDC)
{
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr)
        return TRUE;
    CRect client;
    GetClientRect(&client);
    CMemDC memDC(pDC, &client);
    memDC.FillSolidRect(&client, m_backgroundColour);
    Gdiplus::Graphics graphics(memDC.GetSafeHdc());
    PaintSkin(graphics, client);
    return TRUE;
}

void CQordelDlg::PaintSkin(Gdiplus::Graphics &graphics, const CRect &client)
{
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    DrawImage(graphics, m_brenmarkZel.get(), client);

    std::unique_ptr<Gdiplus::Font> heading = CreateSkinFont(L"Tahoma", 12.0f, Gdiplus::FontStyleBold);
    DrawText(graphics, kHeading, heading.get(), kHeadingColour,
             CRect(kHeadingLeft, 0, client.right - kHeadingRightMargin, kHeadingBand), Gdiplus::StringAlignmentNear,
             Gdiplus::StringAlignmentCenter);
    DrawImage(graphics, g_skinImages[SKIN_IMAGE_BRENMARK_LOGO], m_rectBrenmarkLogo);
    DrawImage(graphics, g_skinImages[SKIN_IMAGE_ORVANE_LOGO], m_rectOrvaneLogo);

    if (viewState == 3 || viewState == 4)
    {
        // The restore options lie on a backdrop of their own.
        CRect options;
        for (int id : {IDC_RESTORE_TO_ORIGIN, IDC_RESTORE_TO_OTHER, IDC_RESTORE_OPTION, IDC_RESTORE_FOLDER})
        {
            CWnd *control = GetDlgItem(id);
            if (control == nullptr)
                continue;
            CRect rect;
            control->GetWindowRect(&rect);
            ScreenToClient(&rect);
            options.UnionRect(&options, &rect);
        }
        options.InflateRect(kOptionsMargin, kOptionsMargin);
        DrawImage(graphics, g_mainSkinImages[MAIN_SKIN_RESTORE_OPTIONS], options);
    }
    PaintTexts(graphics, client);

    for (MainSkinButton button : {MAIN_BUTTON_HELP, MAIN_BUTTON_CLOSE, MAIN_BUTTON_MINIMIZE})
    {
        CSkinButtonNew *element = m_skinButtons[button];
        if (element != nullptr && element->GetState() != SKIN_STATE_DISABLED)
            element->Draw(graphics, 0, 0, FALSE);
    }
    const bool restore = viewState == 3 || viewState == 4;
    PaintWholeButton(graphics, MAIN_BUTTON_RUN, g_skinImages[restore ? SKIN_IMAGE_RESTORE : SKIN_IMAGE_BACKUP]);
    PaintWholeButton(graphics, MAIN_BUTTON_BACK, g_skinImages[SKIN_IMAGE_CANCEL]);
}

void CQordelDlg::PaintTexts(Gdiplus::Graphics &graphics, const CRect &client)
{
    std::unique_ptr<Gdiplus::Font> small = CreateSkinFont(L"Verdana", 7.0f, Gdiplus::FontStyleRegular);
    std::unique_ptr<Gdiplus::Font> text = CreateSkinFont(L"Tahoma", 8.0f, Gdiplus::FontStyleRegular);
    std::unique_ptr<Gdiplus::Font> bold = CreateSkinFont(L"Tahoma", 8.0f, Gdiplus::FontStyleBold);
    const CRect &box = g_layoutText.rect;
    if (viewState == 0)
    {
        DrawText(graphics, kPoweredBy, small.get(), kFaintColour, box, Gdiplus::StringAlignmentCenter,
                 Gdiplus::StringAlignmentFar);
        return;
    }
    DrawText(graphics, kPoweredBy, small.get(), kFaintColour, CRect(box.left, box.bottom, box.right, client.bottom),
             Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter);
    // While the backup page is shown the drive bar lies over the text rectangle.
    if (viewState != 3 && viewState != 4)
        return;
    CJobDef *jobDef = m_pJobListView != nullptr ? m_pJobListView->GetSelectedJob() : nullptr;
    if (jobDef == nullptr)
        return;
    const int lineHeight = box.Height() / 3;
    CString name = AfxLoadText(IDS_MAIN_SELECTED_JOB);
    name += L" ";
    name += jobDef->GetName();
    DrawText(graphics, name, bold.get(), kTextColour, CRect(box.left, box.top, box.right, box.top + lineHeight),
             Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter);
    const struct
    {
        UINT label;
        ULONGLONG bytes;
    } figures[] = {{IDS_MAIN_FREE_SPACE, jobDef->GetDestFreeBytes()},
                   {IDS_MAIN_USED_SPACE, jobDef->GetDestUsedBytes()}};
    int top = box.top + lineHeight;
    for (const auto &figure : figures)
    {
        DrawText(graphics, AfxLoadText(figure.label), text.get(), kTextColour,
                 CRect(box.left, top, box.left + kLayoutColumnWide, top + lineHeight), Gdiplus::StringAlignmentNear,
                 Gdiplus::StringAlignmentCenter);
        DrawText(graphics, FormatSizeUnits(figure.bytes), text.get(), kTextColour,
                 CRect(box.left + kLayoutColumnOffset, top, box.right, top + lineHeight), Gdiplus::StringAlignmentNear,
                 Gdiplus::StringAlignmentCenter);
        top += lineHeight;
    }
}

void CQordelDlg::PaintWholeButton(Gdiplus::Graphics &graphics, MainSkinButton button, Gdiplus::Image *image)
{
    CSkinButtonNew *element = m_skinButtons[button];
    if (element == nullptr || element->GetState() == SKIN_STATE_DISABLED)
        return;
    const CRect &rect = element->m_rect;
    if (IsSkinImageValid(image))
    {
        // Lighter under the pointer, darker while pressed.
        const Gdiplus::REAL shift = element->GetState() == SKIN_STATE_HOVER     ? 0.12f
                                    : element->GetState() == SKIN_STATE_PRESSED ? -0.12f
                                                                                : 0.0f;
        Gdiplus::ColorMatrix matrix = {
            {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {shift, shift, shift, 0, 1}}};
        Gdiplus::ImageAttributes attributes;
        attributes.SetColorMatrix(&matrix);
        graphics.DrawImage(image, Gdiplus::Rect(rect.left, rect.top, rect.Width(), rect.Height()), 0, 0,
                           static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()),
                           Gdiplus::UnitPixel, &attributes);
    }
    std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(L"Tahoma", 7.0f, Gdiplus::FontStyleBold);
    const int strip = rect.Height() * kCaptionStripPercent / 100;
    DrawText(graphics, element->m_caption, font.get(), kTextColour,
             CRect(rect.left, rect.bottom - strip, rect.right, rect.bottom), Gdiplus::StringAlignmentCenter,
             Gdiplus::StringAlignmentCenter);
}

void CQordelDlg::OnPaint()
{
    if (!IsIconic())
    {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CQordelDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
