#include "ui/boxes/MessageBoxDlg.h"

#include <algorithm>

#include "platform/drawing/Dc.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "platform/windows/WinApp.h"
#include "ui/boxes/MessageBoxLayout.h"
#include "ui/resources/UiResourceIds.h"
#include "platform/system/Resources.h"

namespace
{

// The active window of the calling thread's own input queue; a queue shared with another thread could
// report that thread's window.
HWND ActiveWindowOfThisThread()
{
    HWND active = ::GetActiveWindow();
    if (active == nullptr || ::GetWindowThreadProcessId(active, nullptr) != ::GetCurrentThreadId())
        return nullptr;
    return active;
}

CRect ClientRectOf(CWnd &dialog, int id)
{
    CRect rect;
    CWnd *control = dialog.GetDlgItem(id);
    if (control == nullptr)
        return rect;
    control->GetWindowRect(&rect);
    dialog.ScreenToClient(&rect);
    return rect;
}

} // namespace

CMessageBoxDlg::CMessageBoxDlg(UINT textId, UINT flags)
    : CDialog(IDD_SKIN_MESSAGE_BOX, nullptr), m_strText(AfxLoadText(textId)), m_nType(flags & 15), m_nModal(1)
{
}

CMessageBoxDlg::CMessageBoxDlg(LPCWSTR text, UINT flags)
    : CDialog(IDD_SKIN_MESSAGE_BOX, nullptr), m_strText(text != nullptr ? text : L""), m_nType(flags & 15), m_nModal(1)
{
}

INT_PTR CMessageBoxDlg::DoModal()
{
    HWND owner = ActiveWindowOfThisThread();
    if (owner != nullptr)
    {
        m_pParentWnd = CWnd::FromHandle(owner);
        return CDialog::DoModal();
    }
    // Without a parent the dialog layer would fall back to the application's main window, which may belong
    // to another thread: the box runs its loop here, owned by nobody.
    m_pParentWnd = nullptr;
    return RunWithoutOwner();
}

INT_PTR CMessageBoxDlg::RunWithoutOwner()
{
    if (m_hWnd != nullptr)
        return -1;
    m_nModalResult = -1;
    // Set before creation, so that an EndDialog during initialisation ends the box before its loop starts.
    m_nFlags |= WF_CONTINUEMODAL;
    try
    {
        if (Create(m_lpszTemplateName, nullptr))
        {
            if (m_nFlags & WF_CONTINUEMODAL)
                RunModalLoop(MLF_SHOWONIDLE);
            if (m_hWnd != nullptr)
                SetWindowPos(nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    }
    catch (...)
    {
        m_nFlags &= ~WF_CONTINUEMODAL;
        DestroyWindow();
        throw;
    }
    m_nFlags &= ~WF_CONTINUEMODAL;
    DestroyWindow();
    return m_nModalResult;
}

BOOL CMessageBoxDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    LPCWSTR appName = AfxGetAppName();
    SetWindowText(appName != nullptr ? appName : L"");
    // Without a text the template's size and captions stay.
    if (!m_strText.IsEmpty())
        FitToText();
    return TRUE;
}

void CMessageBoxDlg::FitToText()
{
    MessageBoxGeometry before;
    GetWindowRect(&before.dialog);
    before.text = ClientRectOf(*this, IDC_SKIN_MESSAGE_TEXT);
    before.button1 = ClientRectOf(*this, IDOK);
    before.button2 = ClientRectOf(*this, IDCANCEL);
    // The box stays on its screen: a long text (a path above all) is wrapped to three fifths of the screen's width,
    // or to the template's own width on a small screen.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    CRect workArea(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
        workArea = monitor.rcWork;
    const int frame = before.dialog.Width() - before.text.Width();
    const int maxTextWidth = std::max(before.text.Width(), workArea.Width() * 3 / 5 - frame);

    CString shown = m_strText;
    CSize extent;
    {
        CClientDC dc(this);
        if (dc.GetSafeHdc() != nullptr)
        {
            CSelectObjectGuard font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
            shown = WrapMessageText(m_strText, maxTextWidth, [&dc](const CString &line) {
                SIZE size = {0, 0};
                ::GetTextExtentPoint32W(dc.GetSafeHdc(), line, line.GetLength(), &size);
                return static_cast<int>(size.cx);
            });
            extent = MeasureMessageText(dc.GetSafeHdc(), shown);
        }
    }
    SetDlgItemText(IDC_SKIN_MESSAGE_TEXT, shown);

    MessageBoxGeometry after = LayOutMessageBox(before, extent, m_nType);
    after.dialog = KeepWithin(after.dialog, workArea);

    if (CWnd *text = GetDlgItem(IDC_SKIN_MESSAGE_TEXT))
        text->MoveWindow(&after.text);
    if (after.dialog != before.dialog)
        MoveWindow(&after.dialog);

    MessageBoxButtons buttons = MessageBoxButtonsForType(m_nType);
    if (buttons.caption1 != 0)
        SetDlgItemText(IDOK, AfxLoadText(buttons.caption1));
    if (buttons.caption2 != 0)
        SetDlgItemText(IDCANCEL, AfxLoadText(buttons.caption2));
    if (buttons.shift == MessageBoxButtons::CentreButton1)
    {
        if (CWnd *button2 = GetDlgItem(IDCANCEL))
            button2->ShowWindow(SW_HIDE);
    }
    if (CWnd *button1 = GetDlgItem(IDOK))
        button1->MoveWindow(&after.button1);
    if (CWnd *button2 = GetDlgItem(IDCANCEL))
        button2->MoveWindow(&after.button2);
}

void CMessageBoxDlg::OnOK()
{
    EndDialog(MessageBoxButtonsForType(m_nType).result1);
}

void CMessageBoxDlg::OnCancel()
{
    EndDialog(MessageBoxButtonsForType(m_nType).result2);
}

int SkinMessageBox(LPCWSTR text, UINT flags)
{
    if (MessageBoxAnswer answer = g_messageBoxAnswer.Get())
        return answer(0, CString(text != nullptr ? text : L""), flags);
    CMessageBoxDlg box(text, flags);
    return static_cast<int>(box.DoModal());
}

int SkinMessageBoxId(UINT textId, UINT flags)
{
    CMessageBoxDlg box(textId, flags);
    if (MessageBoxAnswer answer = g_messageBoxAnswer.Get())
        return answer(textId, box.GetText(), flags);
    return static_cast<int>(box.DoModal());
}
