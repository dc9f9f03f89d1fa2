// The wizard's shared images, its header (the step band with the fixed title and the step's sentence), painting
// and sizing.
#include "setup/wizard/TesselWizard.h"

#include "platform/drawing/Dc.h"
#include "setup/wizard/WizardImages.h"
#include "setup/wizard/WizardPageFactory.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const RECT kTitleRect = {442, 2, 731, 20};
const RECT kHeaderTextRect = {447, 38, 725, 95};
const Gdiplus::REAL kHeaderFontPoints = 9.0f;

Gdiplus::RectF ToRectF(const RECT &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.right - rect.left),
                          static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
}

void DrawHeaderText(Gdiplus::Graphics &graphics, const CString &text, const Gdiplus::Font *font,
                    const Gdiplus::Brush *brush, const RECT &box)
{
    if (text.IsEmpty() || font == nullptr || brush == nullptr)
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentNear);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
    graphics.DrawString(text, text.GetLength(), font, ToRectF(box), &format, brush);
}

} // namespace

void CTesselWizard::LoadStepImages(const CString &folder)
{
    wizardimages::Load(folder);
    const WizardPageFactory factory = g_wizardPageFactory.Get();
    if (factory.loadSourceImages)
        factory.loadSourceImages(folder);
}

void CTesselWizard::FreeStepImages()
{
    const WizardPageFactory factory = g_wizardPageFactory.Get();
    if (factory.freeSourceImages)
        factory.freeSourceImages();
    wizardimages::Free();
}

CRect CTesselWizard::HeaderTextRect()
{
    return CRect(kHeaderTextRect);
}

void CTesselWizard::InvalidateSteps(LPCWSTR text)
{
    m_headerText = text != nullptr ? text : L"";
    if (m_hWnd != nullptr)
        InvalidateRect(&kHeaderTextRect, TRUE);
}

void CTesselWizard::CreateHeaderFonts()
{
    // Arial where it is installed, else the face GDI chooses in its place.
    m_titleFont = CreateSkinFont(L"Arial", kHeaderFontPoints, Gdiplus::FontStyleBold);
    m_textFont = CreateSkinFont(L"Arial", kHeaderFontPoints, Gdiplus::FontStyleRegular);
    m_textBrush.reset(new Gdiplus::SolidBrush(Gdiplus::Color(255, 0, 0, 0)));
}

BOOL CTesselWizard::OnEraseBkgnd(CDC *pDC)
{
    CRect client;
    GetClientRect(&client);
    if (m_backgroundBrush.GetSafeHandle() != nullptr)
        pDC->FillRect(&client, &m_backgroundBrush);
    PaintHeader(*pDC, client);
    return TRUE;
}

void CTesselWizard::PaintHeader(CDC &dc, const CRect &)
{
    Gdiplus::Graphics graphics(dc.GetSafeHdc());
    if (graphics.GetLastStatus() != Gdiplus::Ok)
        return;
    // A missing band is left out; the texts are drawn all the same.
    if (Gdiplus::Image *band = wizardimages::StepImage(m_step))
        graphics.DrawImage(band, 0, 0, static_cast<INT>(band->GetWidth()), static_cast<INT>(band->GetHeight()));
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    DrawHeaderText(graphics, wizardimages::WizardTitle(), m_titleFont.get(), m_textBrush.get(), kTitleRect);
    DrawHeaderText(graphics, m_headerText, m_textFont.get(), m_textBrush.get(), kHeaderTextRect);
}

HBRUSH CTesselWizard::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    // The name's label stands on the wizard's own colour. Drawn see-through it would show what lies beneath the
    // window: the wizard clips its children out of its own painting.
    if (nCtlColor == CTLCOLOR_STATIC && pWnd != nullptr && pWnd->GetSafeHwnd() == m_nameLabel.GetSafeHwnd() &&
        m_backgroundBrush.GetSafeHandle() != nullptr)
    {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(m_backgroundBrush.GetSafeHandle());
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CTesselWizard::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    m_layout.Apply();
}

void CTesselWizard::OnSizing(UINT fwSide, LPRECT pRect)
{
    CDialog::OnSizing(fwSide, pRect);
    if (pRect != nullptr)
        KeepMinimumTrackSize(fwSide, *pRect, m_rectInitial);
    Invalidate(TRUE);
}
