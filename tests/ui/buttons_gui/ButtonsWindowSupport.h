// The test dialogs of the button window tests and what they share: pumping, the screen capture of a window,
// the language library.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/windows/Dialog.h"
#include "support/ImageSupport.h"
#include "ui/buttons/ButtonTestSupport.h"
#include "ui/buttons/TransparentStatic.h"
#include "ui/buttons_gui/ButtonsWindowIds.h"

namespace buttonwindow
{

using namespace buttontest;

class TestButtonWithTip : public TestButton
{
  public:
    using CButtonST::m_toolTip;
};

// Every kind of owner-drawn button; records the notifications that reach its message map.
class CButtonsTestDlg : public CDialog
{
  public:
    CButtonsTestDlg();

    TestButtonWithTip m_flat;
    TestButton m_grey;
    TestButton m_icon;
    TestButton m_default;
    TestButton m_check;
    TestButton m_disabled;
    TestXPButton m_themed;
    TestXPButton m_fallback;
    NewUI::CThemeHelperST m_themes;
    NewUI::CThemeHelperST m_noThemes;
    std::vector<UINT> clicked;
    std::vector<UINT> doubleClicked;

    BOOL OnInitDialog() override;

  protected:
    afx_msg void OnClicked(UINT nID);
    afx_msg void OnDoubleClicked(UINT nID);
    DECLARE_MESSAGE_MAP()
};

// Wizard buttons in every state over a picture, beside a transparent static.
class CWizardTestDlg : public CDialog
{
  public:
    CWizardTestDlg();

    TestWizardButton m_normal;
    TestWizardButton m_disabled;
    TestWizardButton m_focused;
    TestWizardButton m_hover;
    TestWizardButton m_pressed;
    TestWizardButton m_multi;
    TestWizardButton m_choice;
    TestWizardButton m_choiceDisabled;
    CTransparentStatic m_static;
    TestButton m_transparent;
    std::vector<UINT> clicked;
    std::vector<UINT> doubleClicked;

    BOOL OnInitDialog() override;
    // The picture the dialog paints at a client point.
    static COLORREF PictureAt(int x, int y);

  protected:
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnClicked(UINT nID);
    afx_msg void OnDoubleClicked(UINT nID);
    DECLARE_MESSAGE_MAP()
};

// Dispatches the thread's waiting messages, offering each to the windows' PreTranslateMessage first.
void PumpPending();
// Pumps until done() holds or timeoutMs passed; done()'s last answer.
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// What the screen shows of the window's client area (Xvfb reads back what is shown).
void CaptureClient(HWND window, testsupport::DibCanvas &canvas);
// A control's rectangle in its parent's client coordinates.
CRect RectInParent(const CWnd &control);

// The language library as the resource module, for the life of the object.
class LanguageLibrary
{
  public:
    LanguageLibrary();
    ~LanguageLibrary();
    LanguageLibrary(const LanguageLibrary &) = delete;
    LanguageLibrary &operator=(const LanguageLibrary &) = delete;

  private:
    HINSTANCE m_previous;
    HMODULE m_module;
};

} // namespace buttonwindow
