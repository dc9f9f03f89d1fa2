#include "ui/buttons/XPStyleButtonST.h"

namespace NewUI
{

namespace
{

// The push-button part of the "BUTTON" theme class.
const int kPushButtonPart = 1;

} // namespace

int XPStyleButtonState(bool isDefault, bool hovered, bool pressed, bool disabled)
{
    int state = 1;
    if (isDefault)
        state = 5;
    if (hovered)
        state = 2;
    if (pressed)
        state = 3;
    if (disabled)
        state = 4;
    return state;
}

CXPStyleButtonST::CXPStyleButtonST() : m_pTheme(nullptr)
{
    // The themed face needs no flat border.
    m_flatBorder = FALSE;
}

CXPStyleButtonST::~CXPStyleButtonST() = default;

void CXPStyleButtonST::SetThemeHelper(CThemeHelperST *pTheme)
{
    m_pTheme = pTheme;
    if (m_pTheme == nullptr || !m_pTheme->IsAppThemed())
        m_flatBorder = TRUE;
}

DWORD CXPStyleButtonST::DrawFace(CDC *pDC, CRect &item)
{
    if (m_pTheme == nullptr || !m_pTheme->IsAppThemed())
        return CButtonST::DrawFace(pDC, item);
    HTHEME_ST theme = m_pTheme->OpenThemeData(m_hWnd, L"BUTTON");
    if (theme == nullptr)
        return CButtonST::DrawFace(pDC, item);
    const int state =
        XPStyleButtonState(m_defaultButton != FALSE, m_hover != FALSE, m_pressed != FALSE, m_disabled != FALSE);
    m_pTheme->DrawThemeBackground(theme, m_hWnd, pDC->GetSafeHdc(), kPushButtonPart, state, &item, nullptr);
    m_pTheme->CloseThemeData(theme);
    return 0;
}

DWORD CXPStyleButtonST::DrawFrame(CDC *pDC, CRect &item)
{
    if (m_pTheme != nullptr && m_pTheme->IsAppThemed())
        return 0;
    return CButtonST::DrawFrame(pDC, item);
}

} // namespace NewUI
