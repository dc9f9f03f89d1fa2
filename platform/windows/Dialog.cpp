#include "platform/windows/Dialog.h"

#include <exception>

#include "platform/system/ExceptionReport.h"
#include "platform/system/Resources.h"
#include "platform/system/Thread.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/WndInternal.h"

using namespace afx_internal;

namespace
{

// The dialog template: from the language library when it holds it, else from the program.
LPCDLGTEMPLATE FindDialogTemplate(LPCWSTR name, HINSTANCE &hInst)
{
    if (name == nullptr)
        return nullptr;
    hInst = AfxFindResourceHandle(name, RT_DIALOG);
    HRSRC found = ::FindResourceW(hInst, name, RT_DIALOG);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(hInst, found) : nullptr;
    LPCDLGTEMPLATE dialogTemplate = loaded != nullptr ? static_cast<LPCDLGTEMPLATE>(::LockResource(loaded)) : nullptr;
    if (dialogTemplate == nullptr)
    {
        wchar_t text[96];
        if (IS_INTRESOURCE(name))
            wsprintfW(text, L"Dialog template %u not found\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(name)));
        else
            wsprintfW(text, L"Dialog template %.60s not found\n", name);
        ::OutputDebugStringW(text);
    }
    return dialogTemplate;
}

} // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    try
    {
        CDialog *pDlg = dynamic_cast<CDialog *>(CWnd::FromHandlePermanent(hWnd));
        if (pDlg == nullptr)
        {
            // The creation hook missed the dialog: it joins now, before its initialisation.
            pDlg = reinterpret_cast<CDialog *>(lParam);
            if (pDlg == nullptr || pDlg->m_hWnd != nullptr || !pDlg->SubclassWindow(hWnd))
                return FALSE;
        }
        return pDlg->OnInitDialog();
    }
    catch (...)
    {
        AfxReportCurrentException("OnInitDialog", message);
    }
    return FALSE;
}

CDialog::CDialog() : m_lpszTemplateName(nullptr), m_nIDHelp(0), m_pParentWnd(nullptr)
{
}

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd *pParentWnd)
    : m_lpszTemplateName(nullptr), m_nIDHelp(0), m_pParentWnd(pParentWnd)
{
    SetTemplateName(lpszTemplateName);
}

void CDialog::SetTemplateName(LPCWSTR lpszTemplateName)
{
    if (lpszTemplateName == nullptr || IS_INTRESOURCE(lpszTemplateName))
    {
        m_lpszTemplateName = lpszTemplateName;
    }
    else
    {
        // A copy: the caller's text need not outlive this object.
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName;
    }
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd *pParentWnd)
{
    m_nIDHelp = nIDTemplate;
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd *pParentWnd)
{
    SetTemplateName(lpszTemplateName);
    HINSTANCE hInst = nullptr;
    LPCDLGTEMPLATE dialogTemplate = FindDialogTemplate(m_lpszTemplateName, hInst);
    if (dialogTemplate == nullptr)
        return FALSE;
    return CreateIndirect(dialogTemplate, pParentWnd, hInst);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd *pParentWnd, HINSTANCE hInst)
{
    if (lpDialogTemplate == nullptr)
        return FALSE;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    if (hInst == nullptr)
        hInst = AfxGetResourceHandle();
    return CreateDlgIndirect(lpDialogTemplate, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hInst);
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, HWND hWndParent, HINSTANCE hInst)
{
    if (m_hWnd != nullptr)
    {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    HWND hWnd = nullptr;
    {
        CCreationHook hook(this);
        hWnd = ::CreateDialogIndirectParamW(hInst, lpDialogTemplate, hWndParent, &AfxDlgProc,
                                            reinterpret_cast<LPARAM>(this));
    }
    if (hWnd == nullptr)
        return FALSE;
    if (m_hWnd != hWnd)
    {
        // Neither the hook nor WM_INITDIALOG made the dialog ours (or OnInitDialog destroyed it).
        if (m_hWnd == nullptr && ::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd != nullptr)
    {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return -1;
    }
    HINSTANCE hInst = nullptr;
    LPCDLGTEMPLATE dialogTemplate = FindDialogTemplate(m_lpszTemplateName, hInst);
    if (dialogTemplate == nullptr)
        return -1;

    HWND hWndOwner = nullptr;
    GetSafeOwner(m_pParentWnd, &hWndOwner);
    bool enableOwner = false;
    if (hWndOwner != nullptr && hWndOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hWndOwner))
    {
        ::EnableWindow(hWndOwner, FALSE);
        enableOwner = true;
    }

    m_nModalResult = -1;
    // Set before creation, so that EndDialog inside OnInitDialog ends the dialog before its loop starts.
    m_nFlags |= WF_CONTINUEMODAL;
    try
    {
        if (CreateDlgIndirect(dialogTemplate, hWndOwner, hInst))
        {
            if (m_nFlags & WF_CONTINUEMODAL)
                RunModalLoop(MLF_SHOWONIDLE);
            // Hidden before the owner comes back, so that activation returns to the owner.
            if (m_hWnd != nullptr)
                SetWindowPos(nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    }
    catch (...)
    {
        m_nFlags &= ~WF_CONTINUEMODAL;
        if (enableOwner)
            ::EnableWindow(hWndOwner, TRUE);
        DestroyWindow();
        throw;
    }
    m_nFlags &= ~WF_CONTINUEMODAL;
    if (enableOwner)
        ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndOwner);
    DestroyWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(nResult);
    else
        m_nModalResult = nResult;
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE))
        ::OutputDebugStringW(L"Data exchange failed while the dialog was initialised\n");
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::GotoDlgCtrl(CWnd *pWndCtrl)
{
    if (pWndCtrl != nullptr && pWndCtrl->m_hWnd != nullptr)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}

void CDialog::NextDlgCtrl() const
{
    SendMessage(WM_NEXTDLGCTL, 0, 0);
}
void CDialog::PrevDlgCtrl() const
{
    SendMessage(WM_NEXTDLGCTL, 1, 0);
}
void CDialog::SetDefID(UINT nID)
{
    SendMessage(DM_SETDEFID, nID, 0);
}
DWORD CDialog::GetDefID() const
{
    return static_cast<DWORD>(SendMessage(DM_GETDEFID, 0, 0));
}
BOOL CDialog::MapDialogRect(LPRECT lpRect) const
{
    return ::MapDialogRect(m_hWnd, lpRect);
}

BOOL CDialog::PreTranslateMessage(MSG *pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (m_hWnd == nullptr || pMsg == nullptr)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    // Escape in a multi-line edit box would be swallowed by the box: it cancels the dialog, as it does
    // elsewhere, unless the dialog's Cancel button is disabled.
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_CANCEL) &&
        (::GetWindowLongW(pMsg->hwnd, GWL_STYLE) & ES_MULTILINE))
    {
        wchar_t className[8] = {};
        ::GetClassNameW(pMsg->hwnd, className, 8);
        if (::lstrcmpiW(className, L"Edit") == 0)
        {
            HWND hCancel = ::GetDlgItem(m_hWnd, IDCANCEL);
            if (hCancel == nullptr || ::IsWindowEnabled(hCancel))
            {
                SendMessage(WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            }
        }
    }
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    return input && ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode))
        return TRUE;
    if (nCode != 0 || nID >= 0xF000)
        return FALSE;
    CWinApp *pApp = AfxGetApp();
    if (pApp != nullptr && AfxGetThread() == static_cast<CWinThread *>(pApp))
        return pApp->OnCmdMsg(nID, nCode);
    return FALSE;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()
