#include "setup/desttree/DesTreeHost.h"

#include <shlobj.h>
#include <uxtheme.h>

#include "engine/snapshot/ZorbitVolumeCalls.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/desttree/DesFileNodes.h"
#include "setup/shell/ShellItems.h"
#include "setup/shell/SystemImageList.h"
#include "setup/sourcetree/FileTreeItems.h"
#include "setup/widgets/SizePieStatic.h"

namespace DesFileTree
{

namespace
{

const UINT kGroupTexts[GROUP_COUNT] = {IDS_DEST_GROUP_ALL,     IDS_DEST_GROUP_FIXED,  IDS_DEST_GROUP_REMOVABLE,
                                       IDS_DEST_GROUP_NETWORK, IDS_DEST_GROUP_AGENTS, IDS_DEST_GROUP_DEVICES};

void ThemeTree(CTreeCtrl &tree)
{
    if (tree.GetSafeHwnd() == nullptr)
        return;
    ::SetWindowTheme(tree.GetSafeHwnd(), L"Explorer", nullptr);
    const LPARAM extended = TVS_EX_DOUBLEBUFFER | TVS_EX_FADEINOUTEXPANDOS;
    tree.SendMessage(TVM_SETEXTENDEDSTYLE, static_cast<WPARAM>(extended), extended);
}

} // namespace

bool IsHiddenNetworkItem(const CString &displayName)
{
    return displayName.CompareNoCase(L"TesselDir.list") == 0;
}

DesTreeHost::DesTreeHost()
    : m_spacer(DesCustomNode::STYLE_SPACER, CString()), m_separator(DesCustomNode::STYLE_SEPARATOR, CString())
{
}

DesTreeHost::~DesTreeHost()
{
    m_selected = nullptr;
}

void DesTreeHost::Attach(CDesFileTreeCtrl &tree, CTreeCtrl &groupList, CSizePieStatic *pie, CWnd *newFolderButton,
                         DesTreePage *page)
{
    m_tree = &tree;
    m_groupList = &groupList;
    m_pie = pie;
    m_newFolderButton = newFolderButton;
    m_page = page;
    tree.SetHost(this);
    ThemeTree(tree);
    ThemeTree(groupList);
    // The shell's own list: the nodes' icons are its indices, and it grows as the shell meets new icons. The
    // tree shares it and must never destroy it.
    if (tree.GetSafeHwnd() != nullptr)
        tree.SetImageList(CImageList::FromHandle(ShellSystemImageList(true)), TVSIL_NORMAL);
}

NodeList &DesTreeHost::GetGroupNodes(int group)
{
    switch (group)
    {
    case GROUP_FIXED:
        return m_fixed;
    case GROUP_REMOVABLE:
        return m_removable;
    case GROUP_NETWORK:
        return m_network;
    default:
        return m_devices;
    }
}

void DesTreeHost::LoadDeviceRecords()
{
    m_records.clear();
    if (FileTree::PFN_LOAD_DEVICE_RECORDS load = FileTree::g_pfnLoadDeviceRecords.Get())
        load(m_records);
}

void DesTreeHost::AddCaptions()
{
    m_fixed.push_back(std::make_unique<DesCustomNode>(DesCustomNode::STYLE_CAPTION, AfxLoadText(IDS_DEST_GROUP_FIXED)));
    m_removable.push_back(
        std::make_unique<DesCustomNode>(DesCustomNode::STYLE_CAPTION, AfxLoadText(IDS_DEST_GROUP_REMOVABLE)));
    m_devices.push_back(
        std::make_unique<DesCustomNode>(DesCustomNode::STYLE_CAPTION, AfxLoadText(IDS_DEST_GROUP_DEVICES)));
}

void DesTreeHost::AddComputerItems(bool withoutNetwork)
{
    LPITEMIDLIST computerPidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(GetShellOwner(), CSIDL_DRIVES, &computerPidl)))
        return;
    CShellPidl computer(computerPidl);
    CComPtr<IShellFolder> folder = BindToDesktopChild(computer);
    CComPtr<IEnumIDList> items =
        ShellEnumObjects(folder, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, GetShellOwner());
    if (!items)
        return;
    const ZorbitVolumeCalls agent = g_zorbitVolumeCalls.Get();
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK)
    {
        CShellPidl item(child);
        DWORD id = 0;
        if (!ShellGetDescriptionId(folder, item, &id))
            continue;
        CShellPidl pidl = PidlConcat(computer, item);
        if (id == SHDID_COMPUTER_REMOVABLE || id == SHDID_COMPUTER_FIXED)
        {
            const CString path = pidl.GetPath();
            const wchar_t letter = path.IsEmpty() ? 0 : path[0];
            const ZorbitRecord *secondVolume = nullptr;
            const ZorbitRecord *closedVolume = nullptr;
            for (const ZorbitRecord &record : m_records)
            {
                if (FileTree::SameDriveLetter(letter, FileTree::OpenVolumeLetter(record)))
                {
                    secondVolume = &record;
                    break;
                }
                // Without the agent's answer a volume counts as not opened.
                if (FileTree::SameDriveLetter(letter, FileTree::DeviceLetter(record)) &&
                    !(agent.isOpen && agent.isOpen(record) != 0))
                {
                    closedVolume = &record;
                    break;
                }
            }
            const int kind = secondVolume != nullptr      ? KIND_DEVICE
                             : id == SHDID_COMPUTER_FIXED ? KIND_FIXED
                                                          : KIND_REMOVABLE;
            auto drive = std::make_unique<DesFileNode>(folder, std::move(pidl), kind);
            const int image = drive->GetImage();
            GetGroupNodes(kind == KIND_DEVICE ? GROUP_DEVICES : kind).push_back(std::move(drive));
            if (closedVolume != nullptr)
                m_devices.push_back(std::make_unique<DesZorbitNode>(*closedVolume, image));
            continue;
        }
        const bool networkItem = id == SHDID_COMPUTER_NETDRIVE || id == SHDID_NET_DOMAIN || id == SHDID_NET_SERVER ||
                                 id == SHDID_NET_SHARE || id == SHDID_NET_RESTOFNET;
        if (!networkItem || withoutNetwork)
            continue;
        auto node = std::make_unique<DesFileNode>(folder, std::move(pidl), KIND_NETWORK);
        if (!IsHiddenNetworkItem(node->GetDisplayText()))
            m_network.push_back(std::move(node));
    }
}

void DesTreeHost::Fill()
{
    if (m_tree == nullptr)
        return;
    SetShellOwner(m_tree->GetSafeHwnd());
    LoadDeviceRecords();
    AddCaptions();
    if (std::unique_ptr<DesNetworkNode> places = MakeNetworkPlacesNode())
        m_network.push_back(std::move(places));
    AddComputerItems(false);
    if (m_groupList != nullptr && m_groupList->GetSafeHwnd() != nullptr)
    {
        m_rebuilding = true;
        m_groupList->DeleteAllItems();
        HTREEITEM first = nullptr;
        for (int group = 0; group < GROUP_COUNT; ++group)
        {
            HTREEITEM item = m_groupList->InsertItem(AfxLoadText(kGroupTexts[group]));
            m_groupList->SetItemData(item, static_cast<DWORD_PTR>(group));
            if (first == nullptr)
                first = item;
        }
        m_groupList->SelectItem(first);
        m_rebuilding = false;
    }
    ShowGroup(GROUP_ALL);
}

int DesTreeHost::GetListedGroup() const
{
    if (m_groupList == nullptr || m_groupList->GetSafeHwnd() == nullptr)
        return GROUP_ALL;
    HTREEITEM item = m_groupList->GetSelectedItem();
    return item != nullptr ? static_cast<int>(m_groupList->GetItemData(item)) : GROUP_ALL;
}

void DesTreeHost::OnGroupListChanged()
{
    if (!m_rebuilding)
        ShowGroup(GetListedGroup());
}

void DesTreeHost::InsertGroup(NodeList &nodes)
{
    if (nodes.empty())
        return;
    m_tree->InsertNode(TVI_ROOT, nodes.front().get());
    m_tree->InsertNode(TVI_ROOT, &m_separator);
    for (size_t i = 1; i < nodes.size(); ++i)
        m_tree->InsertNode(TVI_ROOT, nodes[i].get());
}

void DesTreeHost::InsertSpacer()
{
    m_tree->InsertNode(TVI_ROOT, &m_spacer);
}

void DesTreeHost::ShowGroup(int group)
{
    if (m_tree == nullptr || m_tree->GetSafeHwnd() == nullptr)
        return;
    m_shownGroup = group;
    m_tree->SetRedraw(FALSE);
    EmptyTree();
    m_rebuilding = true;
    switch (group)
    {
    case GROUP_ALL:
        InsertGroup(m_fixed);
        InsertSpacer();
        InsertGroup(m_removable);
        InsertSpacer();
        InsertGroup(m_network);
        InsertSpacer();
        InsertSpacer();
        InsertGroup(m_devices);
        break;
    case GROUP_FIXED:
    case GROUP_REMOVABLE:
    case GROUP_NETWORK:
    case GROUP_DEVICES:
        InsertGroup(GetGroupNodes(group));
        break;
    default:
        break;
    }
    m_rebuilding = false;
    DesBaseNode *chosen = m_selected;
    const bool kept =
        chosen != nullptr && (group == GROUP_ALL || chosen->GetKind() == group) && m_tree->SelectNode(chosen);
    if (!kept)
    {
        m_selected = nullptr;
        m_tree->SelectItem(nullptr);
        EnableNewFolder(false);
    }
    m_tree->SetRedraw(TRUE);
    m_tree->Invalidate();
}

void DesTreeHost::EnableNewFolder(bool enable)
{
    if (m_newFolderButton != nullptr && m_newFolderButton->GetSafeHwnd() != nullptr)
        m_newFolderButton->EnableWindow(enable ? TRUE : FALSE);
}

void DesTreeHost::OnNodeSelected(DesBaseNode *node)
{
    if (m_rebuilding || node == nullptr)
        return;
    const bool hasPie = m_pie != nullptr && m_pie->GetSafeHwnd() != nullptr;
    if (hasPie && node->GetKind() != KIND_AGENT)
        m_pie->ShowWindow(SW_SHOW);
    m_selected = node;
    const CString path = node->GetPath();
    // A new folder needs a place on disk; a device's volumes are opened, not written into.
    EnableNewFolder(node->GetKind() != KIND_DEVICE && !path.IsEmpty());
    if (m_pie != nullptr)
    {
        m_pie->SetPath(path);
        // The pie names the drive it shows.
        if (!path.IsEmpty())
            m_pie->GetDriveDisplayName();
    }
    if (!path.IsEmpty() && m_page != nullptr)
        m_page->OnDestinationChosen(path);
}

void DesTreeHost::ChooseDeviceVolume(const DesZorbitNode &node)
{
    if (m_page != nullptr)
        m_page->ChooseDeviceVolume(node.GetRecord());
}

BOOL DesTreeHost::CreateFolder(const CString &name)
{
    DesBaseNode *parent = m_selected;
    if (parent == nullptr || name.IsEmpty() || m_tree == nullptr || m_tree->GetSafeHwnd() == nullptr)
    {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CString path = parent->GetPath();
    path.TrimRight(L'\\');
    path += L"\\" + name;
    if (parent->GetKind() != KIND_AGENT)
    {
        const int made = ::SHCreateDirectoryExW(GetShellOwner(), path, nullptr);
        if (made != ERROR_SUCCESS)
        {
            ::SetLastError(static_cast<DWORD>(made));
            return FALSE;
        }
    }
    HTREEITEM item = m_tree->GetSelectedItem();
    if (item == nullptr || m_tree->GetNode(item) != parent)
        return TRUE;
    m_tree->SetRedraw(FALSE);
    m_tree->Expand(item, TVE_COLLAPSE | TVE_COLLAPSERESET);
    parent->DeleteChildren();
    // The item may have lost its button when it had no folders: it must open again to list the new one.
    TVITEMW button = {};
    button.mask = TVIF_HANDLE | TVIF_CHILDREN;
    button.hItem = item;
    button.cChildren = 1;
    m_tree->SetItem(&button);
    m_tree->Expand(item, TVE_EXPAND);
    for (HTREEITEM child = m_tree->GetChildItem(item); child != nullptr; child = m_tree->GetNextSiblingItem(child))
    {
        if (m_tree->GetItemText(child) == name)
        {
            m_tree->SelectItem(child);
            break;
        }
    }
    m_tree->SetRedraw(TRUE);
    m_tree->Invalidate();
    return TRUE;
}

void DesTreeHost::EmptyTree()
{
    m_rebuilding = true;
    m_tree->DeleteAllItems();
    m_rebuilding = false;
}

void DesTreeHost::Clear()
{
    m_selected = nullptr;
    // The tree's items point at the nodes: they go first, so that nothing shows a destroyed node.
    if (m_tree != nullptr && m_tree->GetSafeHwnd() != nullptr)
        EmptyTree();
    m_fixed.clear();
    m_removable.clear();
    m_network.clear();
    m_devices.clear();
}

void DesTreeHost::Refresh()
{
    const CString chosenPath = m_selected != nullptr ? m_selected->GetPath() : CString();
    m_selected = nullptr;
    const bool shown = m_tree != nullptr && m_tree->GetSafeHwnd() != nullptr;
    // The tree's items point at the nodes about to go: the tree is emptied first, with its drawing off until the
    // group shows again.
    if (shown)
    {
        m_tree->SetRedraw(FALSE);
        EmptyTree();
    }
    m_fixed.clear();
    m_removable.clear();
    m_devices.clear();
    LoadDeviceRecords();
    AddCaptions();
    AddComputerItems(true);
    if (!chosenPath.IsEmpty())
        m_selected = LookUpPath(chosenPath);
    if (shown)
        ShowGroup(GetListedGroup());
}

} // namespace DesFileTree
