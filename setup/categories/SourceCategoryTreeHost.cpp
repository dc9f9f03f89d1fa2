// The category tree as the host of its controls: attaching them, their check images and what they ask of it.
#include "setup/categories/SourceCategoryTree.h"

#include "engine/snapshot/ZorbitVolumeCalls.h"
#include "setup/resources/SetupResourceIds.h"
#include "setup/sourcetree/FileTreeCtrl.h"
#include "setup/sourcetree/FileTreeNodes.h"
#include "setup/sourcetree/FilesListCtrl.h"
#include "setup/zorbit/OpenZorbitDlg.h"

using namespace FileTree;

namespace
{

const int kCheckImageSize = 16;
const COLORREF kCheckImageMask = RGB(255, 255, 255);

} // namespace

void SourceCategoryTree::Attach(CFileTreeCtrl &tree, CFilesListCtrl &list, bool restoreView)
{
    m_restoreView = restoreView;
    SetShowHidden(false);
    ClearSelectedNode();
    if (m_treeChecks.GetSafeHandle() == nullptr)
        m_treeChecks.Create(IDB_CATEGORY_TREE_CHECKS, kCheckImageSize, 1, kCheckImageMask);
    LoadCheckImages(list);
    SetUpControls(tree, list, m_treeChecks.GetSafeHandle() != nullptr ? &m_treeChecks : nullptr,
                  m_listChecks.GetSafeHandle() != nullptr ? &m_listChecks : nullptr);
    BuildTree();
}

void SourceCategoryTree::LoadCheckImages(CFilesListCtrl &list)
{
    // The list shows image i - 1 for its state image i, the check state + 1: the same image as the tree's. While the
    // list's boxes are off (a two-way job's page) they are greyed.
    m_listChecks.DeleteImageList();
    m_listChecks.Create(list.AreCheckBoxesActive() ? IDB_CATEGORY_TREE_CHECKS : IDB_CATEGORY_LIST_CHECKS,
                        kCheckImageSize, 1, kCheckImageMask);
}

void SourceCategoryTree::SetCurrentNode(BaseNode *node)
{
    m_current = node;
    CFilesListCtrl *list = GetList();
    if (list != nullptr && list->GetSafeHwnd() != nullptr &&
        (node == nullptr || node->GetKind() != KIND_CATEGORY_ENTRY))
        list->UpdateItemCount();
}

HANDLE SourceCategoryTree::StartFill(BaseNode *node)
{
    for (int category = 0; category < CATEGORY_COUNT; ++category)
    {
        if (node != nullptr && node == m_categoryNodes[category])
            return m_sorter.Start(node, category, m_restoreFiles);
    }
    return nullptr;
}

void SourceCategoryTree::FireItemCallback(BaseNode *node)
{
    if (m_callback != nullptr)
        m_callback(node, m_context);
}

void SourceCategoryTree::SelectPath(BaseNode *node)
{
    SetCurrentNode(node);
    CFileTreeCtrl *tree = GetTree();
    if (node == nullptr || tree == nullptr || tree->GetSafeHwnd() == nullptr)
        return;
    HTREEITEM selected = tree->GetSelectedItem();
    // A folder picked in the file list has its item once the folder shown in the tree is open.
    if (node->GetTreeItems().empty() && selected != nullptr && tree->GetNode(selected) == node->GetParent())
        tree->InsertChildrenOnce(selected, node->GetParent());
    const std::vector<HTREEITEM> items = node->GetTreeItems();
    for (HTREEITEM item : items)
    {
        if (tree->GetParentItem(item) == selected && selected != nullptr)
        {
            tree->SelectItem(item);
            tree->Expand(selected, TVE_EXPAND);
            tree->SetFocus();
            return;
        }
        tree->SelectItem(item);
        tree->Expand(item, TVE_EXPAND);
        tree->SetFocus();
    }
}

void SourceCategoryTree::OpenDeviceRecord(BaseNode *node)
{
    if (node == nullptr || node->GetKind() != KIND_DEVICE_VOLUME)
        return;
    const ZorbitRecord record = static_cast<ZorbitNode *>(node)->GetRecord();
    const ZorbitVolumeCalls calls = g_zorbitVolumeCalls.Get();
    if (calls.isOpen && calls.isOpen(record) != 0)
        return;
    COpenZorbitDlg open(record, GetTree());
    open.DoModal();
}
