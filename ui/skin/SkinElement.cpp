#include "ui/skin/SkinElement.h"

#include <memory>

#include "platform/windows/Wnd.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const UINT kStateCount = 4;
const int kCaptionWidening = 10;
const int kCaptionInset = 9;
const Gdiplus::REAL kCaptionPoints = 9.0f;

Gdiplus::RectF ToRectF(const CRect &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
}

// Draws part of an image over dest. Stretching samples beyond the source rectangle's edges; mirroring there
// keeps the neighbouring frame of a strip from bleeding into this one.
void DrawImagePart(Gdiplus::Graphics &graphics, Gdiplus::Image *image, const CRect &dest, int srcX, int srcY,
                   int srcWidth, int srcHeight)
{
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.DrawImage(image, Gdiplus::Rect(dest.left, dest.top, dest.Width(), dest.Height()), srcX, srcY, srcWidth,
                       srcHeight, Gdiplus::UnitPixel, &attributes);
}

// Changes an element's state and repaints it in window, unless its owner (which SetState repaints) is that
// same window.
void ChangeState(CWnd *window, CSkinElement *element, UINT state)
{
    if (element->GetState() == state)
        return;
    element->SetState(state);
    if (window != nullptr && window != element->m_pOwner && window->GetSafeHwnd() != nullptr)
        window->InvalidateRect(&element->m_rect, TRUE);
}

} // namespace

// --- CSkinElement ---

CSkinElement::CSkinElement(LPCWSTR caption, UINT commandId, const RECT *rect, CWnd *owner)
    : m_rect(rect), m_caption(caption != nullptr ? caption : L""), m_state(SKIN_STATE_NORMAL), m_commandId(commandId),
      m_pFont(nullptr), m_pColor(nullptr), m_pOwner(owner), m_textOffsetX(0), m_textOffsetY(0),
      m_alignment(Gdiplus::StringAlignmentCenter)
{
}

void CSkinElement::SetState(UINT state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (m_pOwner != nullptr && m_pOwner->GetSafeHwnd() != nullptr)
        m_pOwner->InvalidateRect(&m_rect, TRUE);
}

void CSkinElement::DrawCaption(Gdiplus::Graphics &graphics, int dx, int dy)
{
    if (m_caption.IsEmpty())
        return;
    std::unique_ptr<Gdiplus::Font> regular = CreateSkinFont(L"Tahoma", kCaptionPoints, Gdiplus::FontStyleRegular);
    std::unique_ptr<Gdiplus::Font> bold = CreateSkinFont(L"Tahoma", kCaptionPoints, Gdiplus::FontStyleBold);

    Gdiplus::StringFormat format;
    format.SetAlignment(m_alignment);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush brush(m_pColor != nullptr ? *m_pColor : Gdiplus::Color(0xFF000000));

    const bool pressed = m_state == SKIN_STATE_PRESSED;
    const CRect box = SkinCaptionBox(m_rect, dx, dy, m_textOffsetX, m_textOffsetY);
    const Gdiplus::RectF boxF = ToRectF(box);

    Gdiplus::Font *fitFont = m_pFont != nullptr ? m_pFont : (pressed ? bold.get() : regular.get());
    Gdiplus::Font *fallbackFont = pressed ? bold.get() : regular.get();
    bool fits = false;
    if (fitFont != nullptr)
    {
        Gdiplus::RectF bounds;
        if (graphics.MeasureString(m_caption, m_caption.GetLength(), fitFont, boxF, &format, &bounds) == Gdiplus::Ok)
            fits = bounds.Width <= boxF.Width && bounds.Height <= boxF.Height;
    }

    if (fits)
    {
        const Gdiplus::RectF target = pressed ? boxF : ToRectF(SkinCaptionInnerBox(box));
        graphics.DrawString(m_caption, m_caption.GetLength(), fitFont, target, &format, &brush);
    }
    else if (fallbackFont != nullptr)
    {
        graphics.DrawString(m_caption, m_caption.GetLength(), fallbackFont, boxF, &format, &brush);
    }
}

// --- CSkinButtonNew ---

CSkinButtonNew::CSkinButtonNew(LPCWSTR caption, UINT commandId, const RECT *rect, CWnd *owner)
    : CSkinElement(caption, commandId, rect, owner), m_pImage(nullptr), m_frameWidth(0), m_frameHeight(0)
{
}

void CSkinButtonNew::SetImage(Gdiplus::Image *image)
{
    m_pImage = image;
    m_frameWidth = 0;
    m_frameHeight = 0;
    if (IsSkinImageValid(image))
    {
        m_frameWidth = static_cast<int>(image->GetWidth() / kStateCount);
        m_frameHeight = static_cast<int>(image->GetHeight());
    }
}

void CSkinButtonNew::Draw(Gdiplus::Graphics &graphics, int dx, int dy, BOOL drawCaption)
{
    if (!IsSkinImageValid(m_pImage) || m_frameWidth <= 0 || m_state >= kStateCount)
        return;
    CRect dest = m_rect;
    dest.OffsetRect(dx, dy);
    DrawImagePart(graphics, m_pImage, dest, static_cast<int>(m_state) * m_frameWidth, 0, m_frameWidth, m_frameHeight);
    if (drawCaption)
        DrawCaption(graphics, dx, dy);
}

// --- CSkinStateButton ---

CSkinStateButton::CSkinStateButton(LPCWSTR caption, UINT commandId, const RECT *rect, CWnd *owner)
    : CSkinElement(caption, commandId, rect, owner), m_pImages{}
{
}

void CSkinStateButton::SetImages(Gdiplus::Image *image0, Gdiplus::Image *image1, Gdiplus::Image *image2,
                                 Gdiplus::Image *image3)
{
    m_pImages[0] = image0;
    m_pImages[1] = image1;
    m_pImages[2] = image2;
    m_pImages[3] = image3;
}

void CSkinStateButton::Draw(Gdiplus::Graphics &graphics, int dx, int dy, BOOL drawCaption)
{
    Gdiplus::Image *image = GetStateImage(m_state);
    if (!IsSkinImageValid(image))
        return;
    CRect dest = m_rect;
    dest.OffsetRect(dx, dy);
    DrawImagePart(graphics, image, dest, 0, 0, static_cast<int>(image->GetWidth()),
                  static_cast<int>(image->GetHeight()));
    if (drawCaption)
        DrawCaption(graphics, dx, dy);
}

// --- Geometry ---

CRect SkinCaptionBox(const RECT &rect, int dx, int dy, int offsetX, int offsetY)
{
    CRect box(rect);
    box.right += kCaptionWidening;
    box.OffsetRect(dx + offsetX, dy + offsetY);
    box.right -= offsetX;
    return box;
}

CRect SkinCaptionInnerBox(const CRect &captionBox)
{
    CRect inner = captionBox;
    inner.left += kCaptionInset;
    inner.right -= kCaptionInset;
    return inner;
}

// --- Mouse logic ---

bool SkinElementHit(const CSkinElement *element, POINT point)
{
    return element != nullptr && element->GetState() != SKIN_STATE_DISABLED && element->m_rect.PtInRect(point);
}

bool SkinElementButtonDown(CWnd *window, CSkinElement *element, POINT point)
{
    if (SkinElementHit(element, point))
    {
        ChangeState(window, element, SKIN_STATE_PRESSED);
        return true;
    }
    SkinStartWindowDrag(window);
    return false;
}

bool SkinElementButtonUp(const CSkinElement *element, POINT point)
{
    // Only a disabled element refuses: a press that passed through hover still counts.
    return SkinElementHit(element, point);
}

void SkinElementMouseMove(CWnd *window, CSkinElement *element, POINT point)
{
    if (element == nullptr || element->GetState() == SKIN_STATE_DISABLED)
        return;
    ChangeState(window, element, element->m_rect.PtInRect(point) ? SKIN_STATE_HOVER : SKIN_STATE_NORMAL);
}

void SkinElementPostCommand(CWnd *window, const CSkinElement *element)
{
    if (window == nullptr || window->GetSafeHwnd() == nullptr || element == nullptr)
        return;
    window->PostMessage(WM_COMMAND, MAKEWPARAM(element->m_commandId, 0), 0);
}

void SkinStartWindowDrag(CWnd *window)
{
    if (window == nullptr || window->GetSafeHwnd() == nullptr)
        return;
    ::ReleaseCapture();
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    window->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
}
