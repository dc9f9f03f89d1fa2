// CDialog: a dialog box from a template of the language library (else of the program), modal or modeless.
//
// DoModal works on any thread: it creates the dialog modeless, disables the owner, runs its own message loop
// (keyboard navigation through IsDialogMessage, PreTranslateMessage up the window chain) until EndDialog,
// then re-enables the owner, destroys the dialog and returns the result.
#pragma once
#include <windows.h>

#include "platform/windows/Wnd.h"

class CDialog : public CWnd
{
  public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd *pParentWnd = nullptr);

    // Modeless, from template nIDTemplate; visible when the template says so. FALSE when the template is
    // missing or the dialog could not be created.
    BOOL Create(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    BOOL Create(LPCWSTR lpszTemplateName, CWnd *pParentWnd = nullptr);
    BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd *pParentWnd = nullptr, HINSTANCE hInst = nullptr);

    // The value given to EndDialog; -1 when the dialog could not be created (or the loop was ended by
    // WM_QUIT, which is passed on).
    virtual INT_PTR DoModal();
    // Ends a modal dialog's loop with nResult; hides a modeless dialog.
    void EndDialog(int nResult);

    // Called on WM_INITDIALOG; loads the controls from the members (UpdateData(FALSE)). TRUE lets the system
    // give the focus to the first control.
    virtual BOOL OnInitDialog();
    // IDOK: UpdateData(TRUE), and EndDialog(IDOK) when that succeeded.
    virtual void OnOK();
    // IDCANCEL: EndDialog(IDCANCEL).
    virtual void OnCancel();

    void GotoDlgCtrl(CWnd *pWndCtrl);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    BOOL MapDialogRect(LPRECT lpRect) const;

    BOOL PreTranslateMessage(MSG *pMsg) override;
    // Commands the dialog does not handle go on to the application object (on its thread).
    BOOL OnCmdMsg(UINT nID, int nCode) override;

    LPCWSTR m_lpszTemplateName;
    UINT m_nIDHelp;

  protected:
    CWnd *m_pParentWnd;

    DECLARE_MESSAGE_MAP()

  private:
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    void SetTemplateName(LPCWSTR lpszTemplateName);
    BOOL CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, HWND hWndParent, HINSTANCE hInst);

    CString m_strTemplateName;
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
