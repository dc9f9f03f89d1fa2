// Shared by the button tests: the buttons with their state open to the test, drawn as WM_DRAWITEM asks.
#pragma once
#include <windows.h>

#include "ui/buttons/ButtonST.h"
#include "ui/buttons/WizardButton.h"
#include "ui/buttons/XPStyleButtonST.h"

namespace buttontest
{

inline DRAWITEMSTRUCT DrawItemFor(HWND window, HDC dc, const RECT &rect, UINT state)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = window;
    item.hDC = dc;
    item.rcItem = rect;
    return item;
}

template <class Button> class Open : public Button
{
  public:
    using Button::DrawItem;
    void Draw(HDC dc, const RECT &rect, UINT state = 0)
    {
        DRAWITEMSTRUCT item = DrawItemFor(this->m_hWnd, dc, rect, state);
        this->DrawItem(&item);
    }
};

class TestButton : public Open<NewUI::CButtonST>
{
  public:
    using CButtonST::m_checkBoxMode;
    using CButtonST::m_checked;
    using CButtonST::m_defaultButton;
    using CButtonST::m_flatBorder;
    using CButtonST::m_hover;
    using CButtonST::m_icons;
    using CButtonST::m_images;
    using CButtonST::m_menu;
};

class TestXPButton : public Open<NewUI::CXPStyleButtonST>
{
  public:
    using CXPStyleButtonST::m_defaultButton;
    using CXPStyleButtonST::m_flatBorder;
    using CXPStyleButtonST::m_hover;
};

class TestWizardButton : public Open<CWizardButton>
{
  public:
    using CWizardButton::m_hover;
    using CWizardButton::m_multiLine;
};

} // namespace buttontest
