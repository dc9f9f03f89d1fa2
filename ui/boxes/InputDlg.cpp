#include "ui/boxes/InputDlg.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/DataExchange.h"
#include "platform/windows/WinApp.h"

BEGIN_MESSAGE_MAP(CInputDlg, CDialog)
ON_COMMAND(IDOK, &CInputDlg::OnOkCommand)
END_MESSAGE_MAP()

CInputDlg::CInputDlg(LPCWSTR prompt, LPCWSTR value, LPCWSTR emptyValueMessage, CWnd *pParent)
    : CDialog(IDD_INPUT_DIALOG, pParent), m_strPrompt(prompt != nullptr ? prompt : L""),
      m_strValue(value != nullptr ? value : L""),
      m_strEmptyValueMessage(emptyValueMessage != nullptr ? emptyValueMessage : L"")
{
}

BOOL CInputDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    LPCWSTR appName = AfxGetAppName();
    SetWindowText(appName != nullptr ? appName : L"");
    return TRUE;
}

void CInputDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_INPUT_PROMPT, m_strPrompt);
    DDX_Text(pDX, IDC_INPUT_VALUE, m_strValue);
}

void CInputDlg::OnOkCommand()
{
    UpdateData(TRUE);
    if (m_strValue.IsEmpty() && !m_strEmptyValueMessage.IsEmpty())
    {
        MessageBox(m_strEmptyValueMessage, AfxGetAppName(), MB_OK);
        return;
    }
    CDialog::OnOK();
}
