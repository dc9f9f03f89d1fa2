#include "setup/filterui/CustomFilterDlg.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/DataExchange.h"
#include "setup/filterui/FilterEditDlg.h"

namespace
{

const int kRowHeight = 20;
const int kColumnWidth = 365;

} // namespace

BEGIN_MESSAGE_MAP(CCustomFilterDlg, CDialog)
ON_BN_CLICKED(IDC_FILTER_RESET, &CCustomFilterDlg::OnReset)
ON_MESSAGE(WM_FILTER_LABEL_CLICKED, &CCustomFilterDlg::OnLabelClicked)
END_MESSAGE_MAP()

CCustomFilterDlg::CCustomFilterDlg(FilterNode *root, CJobDef *jobDef, BOOL excludeMode, CWnd *pParent,
                                   std::function<void()> reset)
    : CDialog(IDD_CUSTOM_FILTER, pParent), m_excludeMode(excludeMode ? 1 : 0), m_pRoot(root), m_pJobDef(jobDef),
      m_reset(std::move(reset))
{
}

CCustomFilterDlg::~CCustomFilterDlg() = default;

CString CCustomFilterDlg::ConvertCustomText(const CString &text)
{
    CString converted;
    int at = 0;
    for (;;)
    {
        const CString piece = text.Tokenize(L";, *.", at);
        if (at < 0)
            break;
        if (!piece.IsEmpty())
            converted += L"." + piece + L";";
    }
    return converted;
}

void CCustomFilterDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILTER_LIST, m_list);
    DDX_Control(pDX, IDC_FILTER_CUSTOM_CHECK, m_customCheck);
    DDX_Control(pDX, IDC_FILTER_CUSTOM_TEXT, m_customText);
    DDX_Radio(pDX, IDC_FILTER_EXCLUDE_MODE, m_excludeMode);
}

BOOL CCustomFilterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.InitLook();
    // The rows take the height of the (empty) small images.
    if (m_rowHeight.Create(1, kRowHeight, ILC_COLOR32, 0, 1))
        m_list.SetImageList(&m_rowHeight, LVSIL_SMALL);
    m_list.InsertColumn(0, L"", LVCFMT_LEFT, kColumnWidth);
    m_list.HostCustomRows(&m_customCheck, &m_customText);
    FillList();
    return TRUE;
}

void CCustomFilterDlg::FillList()
{
    m_list.Fill(m_pRoot, false);
}

void CCustomFilterDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    CString text;
    m_customText.GetWindowText(text);
    m_strCustomText = m_customCheck.GetCheck() == BST_CHECKED ? ConvertCustomText(text) : CString();
    EndDialog(IDOK);
}

void CCustomFilterDlg::OnReset()
{
    if (m_reset)
        m_reset();
    FillList();
    m_customCheck.SetCheck(BST_UNCHECKED);
    m_customText.SetWindowText(L"");
    m_customText.EnableWindow(FALSE);
}

LRESULT CCustomFilterDlg::OnLabelClicked(WPARAM wParam, LPARAM)
{
    const int item = static_cast<int>(wParam);
    FilterNode *set = m_list.GetNode(item);
    if (set == nullptr || m_pRoot == nullptr)
        return 0;
    int index = 0;
    while (index < m_pRoot->GetChildCount() && m_pRoot->GetChild(index) != set)
        ++index;
    CFilterEditDlg editor(m_pRoot, index, CFilterEditDlg::kNoSubFilter, this);
    editor.DoModal();
    FillList();
    return 0;
}
