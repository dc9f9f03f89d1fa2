// A one-line text prompt (template 506 of the language library): a prompt, the value, OK and Cancel.
#pragma once
#include <windows.h>

#include "platform/windows/Dialog.h"
#include "platform/text/String.h"

class CInputDlg : public CDialog
{
  public:
    // When emptyValueMessage is not empty, OK with an empty value shows it and keeps the dialog open.
    CInputDlg(LPCWSTR prompt, LPCWSTR value, LPCWSTR emptyValueMessage, CWnd *pParent = nullptr);

    // Title: the application's name.
    BOOL OnInitDialog() override;

    CString m_strPrompt; // control 1256
    CString m_strValue;  // control 470; read it after DoModal returned IDOK
    CString m_strEmptyValueMessage;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg void OnOkCommand();

    DECLARE_MESSAGE_MAP()
};
