#include "setup/filterui/FilterEditDlg.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/DataExchange.h"
#include "platform/controls/Menu.h"
#include "platform/system/Resources.h"
#include "setup/filterui/FilterUiSeams.h"
#include "setup/resources/SetupResourceIds.h"

namespace
{

const int kButtonIds[CFilterEditor::BUTTON_COUNT] = {IDC_FILTER_NEW_CATEGORY, IDC_FILTER_DELETE_CATEGORY,
                                                     IDC_FILTER_ADD_TYPE, IDC_FILTER_DELETE_TYPE};
// The buttons' images take white as their transparent colour.
const COLORREF kButtonKey = 0xFFFFFF;

// True when an extension list names at least one extension (not only separators, dots and stars).
bool NamesAnExtension(const CString &text)
{
    int at = 0;
    for (;;)
    {
        CString piece = text.Tokenize(L";, ", at);
        if (at < 0)
            return false;
        if (!piece.TrimLeft(L"*.").IsEmpty())
            return true;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CFilterEditDlg, CDialog)
ON_BN_CLICKED(IDC_FILTER_NEW_CATEGORY, &CFilterEditDlg::OnNewCategory)
ON_BN_CLICKED(IDC_FILTER_DELETE_CATEGORY, &CFilterEditDlg::OnDeleteCategory)
ON_BN_CLICKED(IDC_FILTER_DELETE_TYPE, &CFilterEditDlg::OnDeleteType)
ON_BN_CLICKED(IDC_FILTER_ADD_TYPE, &CFilterEditDlg::OnAddButton)
ON_COMMAND(ID_FILTER_ADD_TYPES, &CFilterEditDlg::OnAddTypes)
ON_COMMAND(ID_FILTER_ADD_FOLDER, &CFilterEditDlg::OnAddFolder)
END_MESSAGE_MAP()

CFilterEditDlg::CFilterEditDlg(FilterNode *sets, int filterIndex, int subFilterIndex, CWnd *pParent)
    : CDialog(IDD_FILTER_EDIT, pParent), m_pSets(sets), m_filterIndex(filterIndex), m_subFilterIndex(subFilterIndex)
{
}

CFilterEditDlg::~CFilterEditDlg() = default;

void CFilterEditDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILTER_CATEGORY_TREE, m_tree);
    DDX_Control(pDX, IDC_FILTER_TYPE_LIST, m_typeList);
    for (int i = 0; i < CFilterEditor::BUTTON_COUNT; ++i)
        DDX_Control(pDX, kButtonIds[i], m_buttons[i]);
}

BOOL CFilterEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int images[CFilterEditor::BUTTON_COUNT] = {
        IDB_FILTER_ADD, IDB_FILTER_DELETE, m_subFilterIndex != kNoSubFilter ? IDB_FILTER_ADD_MENU : IDB_FILTER_ADD,
        IDB_FILTER_DELETE};
    CWnd *buttons[CFilterEditor::BUTTON_COUNT];
    for (int i = 0; i < CFilterEditor::BUTTON_COUNT; ++i)
    {
        m_buttons[i].SetThemeHelper(&m_theme);
        m_buttons[i].SetBitmapsFromResource(images[i], kButtonKey);
        buttons[i] = &m_buttons[i];
    }
    m_tree.SetEditor(&m_editor);
    m_typeList.Bind(&m_editor, &m_theme);
    m_editor.Bind(m_pSets, &m_tree, &m_typeList, buttons);

    if (m_pSets != nullptr)
    {
        for (FilterNode *filter : m_pSets->GetChildren())
            m_tree.InsertNode(filter, TVI_ROOT);
    }
    const HTREEITEM first = m_tree.GetRootItem();
    m_tree.SelectItem(first);
    // Selecting the item the tree holds already reports no change: the editor takes it here.
    m_editor.SelectNode(m_tree.GetNode(first));
    FilterNode *filter = m_pSets != nullptr ? m_pSets->GetChild(m_filterIndex) : nullptr;
    FilterNode *chosen = filter;
    if (filter != nullptr && m_subFilterIndex != kNoSubFilter && filter->GetChild(m_subFilterIndex) != nullptr)
        chosen = filter->GetChild(m_subFilterIndex);
    if (chosen != nullptr && chosen->m_treeItem != nullptr)
    {
        m_tree.SelectItem(chosen->m_treeItem);
        m_tree.EnsureVisible(chosen->m_treeItem);
    }
    return TRUE;
}

void CFilterEditDlg::OnNewCategory()
{
    FilterNode *selected = m_editor.GetSelectedNode();
    if (selected == nullptr)
        return;
    FilterNode *parent = selected->GetKind() == FilterNode::KIND_FILTER ? selected->GetParent() : selected;
    if (parent == nullptr || parent->GetCategory() == nullptr)
        return;
    CString name;
    if (!g_pfnAskFilterText(this, AfxLoadText(IDS_FILTER_ASK_CATEGORY), name))
        return;
    name.Trim();
    if (name.IsEmpty())
        return;
    // A second category of one name would replace the first in the model under its node.
    if (FilterNode *existing = parent->FindChild(name))
    {
        m_tree.SelectItem(existing->m_treeItem);
        return;
    }
    auto *node = new FilterNode(FilterNode::KIND_FILTER, new FilterCategory(name, true), parent);
    parent->AddChild(node, true);
    node->SetSelected(1);
    if (HTREEITEM item = m_tree.InsertNode(node, parent->m_treeItem))
    {
        m_tree.Expand(parent->m_treeItem, TVE_EXPAND);
        m_tree.SelectItem(item);
    }
}

void CFilterEditDlg::OnDeleteCategory()
{
    FilterNode *node = m_editor.GetSelectedNode();
    if (node == nullptr || node->GetKind() != FilterNode::KIND_FILTER || node->GetParent() == nullptr)
        return;
    FilterNode *parent = node->GetParent();
    const HTREEITEM item = node->m_treeItem;
    // Nothing may hold the node while it goes: the selection moves to the parent (which empties the type list),
    // the item goes, and only then the node and its category.
    m_tree.SelectItem(parent->m_treeItem);
    m_tree.DeleteItem(item);
    parent->RemoveChild(node);
}

void CFilterEditDlg::OnDeleteType()
{
    FilterNode *node = m_editor.GetSelectedNode();
    const int row = m_typeList.GetNextItem(-1, LVNI_SELECTED);
    FilterLeafNode *leaf = m_typeList.GetLeaf(row);
    if (node == nullptr || leaf == nullptr)
        return;
    m_typeList.SetItemState(row, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_typeList.DeleteItem(row);
    node->RemoveChild(leaf);
}

void CFilterEditDlg::AddEntry(const CString &value, int type)
{
    FilterNode *node = m_editor.GetSelectedNode();
    if (node == nullptr || node->GetKind() != FilterNode::KIND_FILTER || node->GetCategory() == nullptr)
        return;
    // An entry of the same value would replace the existing one in the model under its row.
    if (FilterNode *existing = node->FindChild(value))
    {
        for (int row = 0; row < m_typeList.GetItemCount(); ++row)
        {
            if (m_typeList.GetLeaf(row) == existing)
                m_typeList.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return;
    }
    auto *leaf = new FilterLeafNode(new FilterConfiguration(value, type, CString(), true), node);
    node->AddChild(leaf, true);
    m_typeList.AddLeafRow(leaf);
}

void CFilterEditDlg::OnAddTypes()
{
    CString text;
    if (!g_pfnAskFilterText(this, AfxLoadText(IDS_FILTER_ASK_TYPES), text))
        return;
    text.Trim();
    if (NamesAnExtension(text))
        AddEntry(text, FilterConfiguration::TYPE_EXTENSIONS);
}

void CFilterEditDlg::OnAddFolder()
{
    CString path;
    CWnd *owner = GetParent();
    if (g_pfnBrowseFilterFolder(owner != nullptr ? owner->GetSafeHwnd() : nullptr, path) && !path.IsEmpty())
        AddEntry(path, FilterConfiguration::TYPE_FOLDER);
}

void CFilterEditDlg::OnAddButton()
{
    if (m_subFilterIndex == kNoSubFilter)
    {
        OnAddTypes();
        return;
    }
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    menu.AppendMenu(MF_STRING, ID_FILTER_ADD_TYPES, AfxLoadText(IDS_FILTER_ADD_TYPES));
    menu.AppendMenu(MF_STRING, ID_FILTER_ADD_FOLDER, AfxLoadText(IDS_FILTER_ADD_FOLDER));
    CRect button;
    m_buttons[CFilterEditor::BUTTON_ADD_TYPE].GetWindowRect(&button);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, this);
}
