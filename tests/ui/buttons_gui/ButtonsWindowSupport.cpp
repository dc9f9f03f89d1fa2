#include "ButtonsWindowSupport.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "platform/windows/Wnd.h"
#include "support/TestSupport.h"

namespace buttonwindow
{

// --- The buttons dialog ---

BEGIN_MESSAGE_MAP(CButtonsTestDlg, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_BTN_FLAT, IDC_BTN_FALLBACK, &CButtonsTestDlg::OnClicked)
ON_CONTROL_RANGE(BN_DOUBLECLICKED, IDC_BTN_FLAT, IDC_BTN_FALLBACK, &CButtonsTestDlg::OnDoubleClicked)
END_MESSAGE_MAP()

CButtonsTestDlg::CButtonsTestDlg() : CDialog(IDD_BUTTONS_TEST), m_noThemes(L"NoSuchThemeLibrary.dll")
{
}

BOOL CButtonsTestDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_flat.SubclassDlgItem(IDC_BTN_FLAT, this);
    m_grey.SubclassDlgItem(IDC_BTN_GREY, this);
    m_icon.SubclassDlgItem(IDC_BTN_ICON, this);
    m_default.SubclassDlgItem(IDC_BTN_DEFAULT, this);
    m_check.SubclassDlgItem(IDC_BTN_CHECK, this);
    m_disabled.SubclassDlgItem(IDC_BTN_DISABLED, this);
    m_themed.SubclassDlgItem(IDC_BTN_THEMED, this);
    m_fallback.SubclassDlgItem(IDC_BTN_FALLBACK, this);
    // The grey background of the toolbar strip is the key.
    m_grey.SetBitmapsFromResource(IDR_BUTTON_TOOLBAR, RGB(192, 192, 192), -2);
    m_icon.SetIcon(IDI_BUTTON_IN, IDI_BUTTON_OUT);
    m_disabled.SetBitmapsFromResource(IDR_BUTTON_TOOLBAR, RGB(192, 192, 192));
    m_themed.SetThemeHelper(&m_themes);
    m_fallback.SetThemeHelper(&m_noThemes);
    return TRUE;
}

void CButtonsTestDlg::OnClicked(UINT nID)
{
    clicked.push_back(nID);
}

void CButtonsTestDlg::OnDoubleClicked(UINT nID)
{
    doubleClicked.push_back(nID);
}

// --- The wizard dialog ---

BEGIN_MESSAGE_MAP(CWizardTestDlg, CDialog)
ON_WM_ERASEBKGND()
ON_CONTROL_RANGE(BN_CLICKED, IDC_WIZ_NORMAL, IDC_WIZ_CHOICE_DISABLED, &CWizardTestDlg::OnClicked)
ON_CONTROL_RANGE(BN_DOUBLECLICKED, IDC_WIZ_NORMAL, IDC_WIZ_CHOICE_DISABLED, &CWizardTestDlg::OnDoubleClicked)
END_MESSAGE_MAP()

CWizardTestDlg::CWizardTestDlg() : CDialog(IDD_WIZARD_TEST)
{
    // The job-type window gives its choice buttons their sets before they are subclassed.
    const UINT choice[5] = {IDB_CHOICE_NORMAL_LEFT, IDB_CHOICE_NORMAL_MIDDLE, IDB_CHOICE_NORMAL_RIGHT,
                            IDB_CHOICE_DISABLED_LEFT, IDB_CHOICE_DISABLED_MIDDLE};
    m_choice.SetBitmaps(choice, 5);
    m_choiceDisabled.SetBitmaps(choice, 5);
}

BOOL CWizardTestDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_normal.SubclassDlgItem(IDC_WIZ_NORMAL, this);
    m_disabled.SubclassDlgItem(IDC_WIZ_DISABLED, this);
    m_focused.SubclassDlgItem(IDC_WIZ_FOCUSED, this);
    m_hover.SubclassDlgItem(IDC_WIZ_HOVER, this);
    m_pressed.SubclassDlgItem(IDC_WIZ_PRESSED, this);
    m_multi.SubclassDlgItem(IDC_WIZ_MULTI, this);
    m_choice.SubclassDlgItem(IDC_WIZ_CHOICE, this);
    m_choiceDisabled.SubclassDlgItem(IDC_WIZ_CHOICE_DISABLED, this);
    m_static.SubclassDlgItem(IDC_WIZ_STATIC, this);
    m_transparent.SubclassDlgItem(IDC_WIZ_TRANSPARENT, this);
    m_transparent.SetTransparent(FALSE);
    return TRUE;
}

COLORREF CWizardTestDlg::PictureAt(int x, int y)
{
    // Diagonal bands of three colours, 12 pixels wide.
    static const COLORREF bands[3] = {RGB(46, 112, 160), RGB(230, 200, 90), RGB(90, 170, 110)};
    return bands[((x + y) / 12) % 3];
}

BOOL CWizardTestDlg::OnEraseBkgnd(CDC *pDC)
{
    CRect client;
    GetClientRect(&client);
    for (int y = 0; y < client.bottom; ++y)
    {
        for (int x = 0; x < client.right;)
        {
            const COLORREF colour = PictureAt(x, y);
            int end = x + 1;
            while (end < client.right && PictureAt(end, y) == colour)
                ++end;
            pDC->FillSolidRect(x, y, end - x, 1, colour);
            x = end;
        }
    }
    return TRUE;
}

void CWizardTestDlg::OnClicked(UINT nID)
{
    clicked.push_back(nID);
}

void CWizardTestDlg::OnDoubleClicked(UINT nID)
{
    doubleClicked.push_back(nID);
}

// --- Shared ---

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (CWnd::WalkPreTranslateTree(nullptr, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done())
    {
        if (::GetTickCount() - start >= timeoutMs)
            return done();
        PumpPending();
        if (!done())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    PumpUntil([&] { return ::GetTickCount() - start >= ms; }, ms + 1000);
}

void CaptureClient(HWND window, testsupport::DibCanvas &canvas)
{
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screen, origin.x, origin.y, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
}

CRect RectInParent(const CWnd &control)
{
    CRect rect;
    control.GetWindowRect(&rect);
    control.GetParent()->ScreenToClient(&rect);
    return rect;
}

LanguageLibrary::LanguageLibrary()
    : m_previous(AfxGetResourceHandle()),
      m_module(::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str()))
{
    if (m_module != nullptr)
        AfxSetResourceHandle(m_module);
}

LanguageLibrary::~LanguageLibrary()
{
    AfxSetResourceHandle(m_previous);
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

} // namespace buttonwindow
