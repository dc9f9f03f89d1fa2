#include "setup/sourcetree/FileTreeHost.h"

#include <uxtheme.h>

#include <vector>

#include "setup/shell/SystemImageList.h"
#include "setup/sourcetree/FileTreeCtrl.h"
#include "setup/sourcetree/FileTreeItems.h"
#include "setup/sourcetree/FileTreeNodes.h"
#include "setup/sourcetree/FilesListCtrl.h"

namespace FileTree
{

CFileTreeHost::CFileTreeHost() : m_tree(nullptr), m_list(nullptr), m_reloadRoot(nullptr)
{
}

CFileTreeHost::~CFileTreeHost() = default;

void CFileTreeHost::SetTopNode(std::unique_ptr<BaseNode> top)
{
    if (m_reloadRoot != nullptr && m_top != nullptr && m_reloadRoot->GetTop() == m_top.get())
        m_reloadRoot = nullptr;
    m_top = std::move(top);
    if (m_top)
        m_top->SetChangeCallback(&CFileTreeHost::OnNodeChanged, this);
}

void CFileTreeHost::OnNodeChanged(BaseNode *node, void *context)
{
    auto *host = static_cast<CFileTreeHost *>(context);
    if (host->m_tree != nullptr && host->m_tree->GetSafeHwnd() != nullptr)
        host->m_tree->UpdateCheckImages(node);
}

void CFileTreeHost::SetUpControls(CFileTreeCtrl &tree, CFilesListCtrl &list, CImageList *treeChecks,
                                  CImageList *listChecks)
{
    m_tree = &tree;
    m_list = &list;
    tree.SetHost(this);
    list.SetHost(this);
    CImageList *icons = CImageList::FromHandle(ShellSystemImageList(true));
    if (tree.GetSafeHwnd() != nullptr)
    {
        ::SetWindowTheme(tree.GetSafeHwnd(), L"Explorer", nullptr);
        const LPARAM extended = TVS_EX_DOUBLEBUFFER | TVS_EX_FADEINOUTEXPANDOS;
        tree.SendMessage(TVM_SETEXTENDEDSTYLE, static_cast<WPARAM>(extended), extended);
        tree.SetBkColor(kFileTreeBackground);
        tree.SetImageList(icons, TVSIL_NORMAL);
        if (treeChecks != nullptr)
            tree.SetImageList(treeChecks, TVSIL_STATE);
    }
    if (list.GetSafeHwnd() != nullptr)
    {
        // The list shares the shell's images: it must never destroy them.
        list.ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SHAREIMAGELISTS);
        list.SetBkColor(kFileTreeBackground);
        list.InsertColumns();
        list.SetImageList(icons, LVSIL_SMALL);
        if (listChecks != nullptr)
            list.SetImageList(listChecks, LVSIL_STATE);
        // A virtual list asks for these parts of each item's state.
        list.SendMessage(LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK | LVIS_OVERLAYMASK | LVIS_CUT, 0);
    }
}

void CFileTreeHost::AddDeviceVolumes(BaseNode &root)
{
    std::vector<ZorbitRecord> records;
    if (PFN_LOAD_DEVICE_RECORDS load = g_pfnLoadDeviceRecords.Get())
        load(records);
    if (records.empty())
        return;
    PFN_IS_DEVICE_VOLUME_OPEN isOpen = g_pfnIsDeviceVolumeOpen.Get();
    for (ComputerDrive &drive : ListComputerDrives(GetOwnerWindow()))
    {
        const wchar_t letter = drive.path[0];
        for (const ZorbitRecord &record : records)
        {
            if (SameDriveLetter(letter, OpenVolumeLetter(record)))
            {
                root.AddChild(MakeChildNode(drive.folder, std::move(drive.pidl), KIND_DRIVE, CHECK_OFF));
                break;
            }
            if (SameDriveLetter(letter, DeviceLetter(record)))
            {
                if (isOpen == nullptr || !isOpen(records, record))
                    root.AddChild(std::make_unique<ZorbitNode>(record, drive.icon));
                break;
            }
        }
    }
}

void CFileTreeHost::Reload()
{
    BaseNode *root = m_reloadRoot;
    if (root == nullptr || m_tree == nullptr || m_tree->GetSafeHwnd() == nullptr)
        return;
    const bool withList = m_list != nullptr && m_list->GetSafeHwnd() != nullptr;
    m_tree->SetRedraw(FALSE);
    if (withList)
        m_list->SetRedraw(FALSE);
    ForgetLookups();
    HTREEITEM rootItem = root->GetTreeItems().empty() ? nullptr : root->GetTreeItems().front();
    // The items and the list's rows go before their nodes: nothing may show a deleted node.
    if (rootItem != nullptr)
        m_tree->Expand(rootItem, TVE_COLLAPSE | TVE_COLLAPSERESET);
    SetCurrentNode(nullptr);
    if (withList)
        m_list->SetItemCountEx(0, 0);
    // The root lists its items anew when it is next opened: drives that came show, drives that went do not.
    root->ForgetChildren();
    if (rootItem != nullptr)
        m_tree->SetHasChildrenMark(rootItem, FALSE);
    AddDeviceVolumes(*root);
    if (rootItem != nullptr)
    {
        m_tree->SetHasChildrenMark(rootItem, TRUE);
        m_tree->Expand(rootItem, TVE_EXPAND);
        m_tree->SelectItem(rootItem);
    }
    SetCurrentNode(root);
    if (withList)
        m_list->UpdateItemCount();
    m_tree->SetRedraw(TRUE);
    if (withList)
        m_list->SetRedraw(TRUE);
}

} // namespace FileTree
