#include "setup/desttree/DesFileNodes.h"

#include <winnetwk.h>

#include "setup/shell/ShellItems.h"
#include "setup/shell/ShellString.h"

namespace DesFileTree
{

namespace
{

const wchar_t kWindowsNetwork[] = L"Microsoft Windows Network";

DWORD ReadAttributes(IShellFolder *folder, LPCITEMIDLIST item)
{
    return ShellItemBits(folder, item,
                         {{SFGAO_GHOSTED, ATTR_GHOSTED},
                          {SFGAO_SHARE, ATTR_SHARED},
                          {SFGAO_LINK, ATTR_LINK},
                          {SFGAO_HASSUBFOLDER, ATTR_HAS_SUBFOLDERS}});
}

int LevelOfNetworkResource(IShellFolder *folder, LPCITEMIDLIST item)
{
    // The resource and the texts it points to come back in one buffer.
    BYTE buffer[2048] = {};
    const auto *resource = reinterpret_cast<const NETRESOURCEW *>(buffer);
    if (FAILED(::SHGetDataFromIDListW(folder, item, SHGDFIL_NETRESOURCE, buffer, sizeof(buffer))))
        return DesNetworkNode::LEVEL_OTHER;
    switch (resource->dwDisplayType)
    {
    case RESOURCEDISPLAYTYPE_SERVER:
        return DesNetworkNode::LEVEL_SERVER;
    case RESOURCEDISPLAYTYPE_NETWORK:
        return resource->lpProvider != nullptr && _wcsicmp(resource->lpProvider, kWindowsNetwork) == 0
                   ? DesNetworkNode::LEVEL_PROVIDER
                   : DesNetworkNode::LEVEL_OTHER;
    case RESOURCEDISPLAYTYPE_ROOT:
        return DesNetworkNode::LEVEL_WHOLE_NETWORK;
    default:
        return DesNetworkNode::LEVEL_OTHER;
    }
}

// The level of an item of a network folder, by its description, else by its network resource record.
int NetworkLevelOf(IShellFolder *folder, LPCITEMIDLIST item)
{
    DWORD id = 0;
    if (!ShellGetDescriptionId(folder, item, &id))
        return LevelOfNetworkResource(folder, item);
    switch (id)
    {
    case SHDID_FS_DIRECTORY:
        return DesNetworkNode::LEVEL_FOLDER;
    case SHDID_NET_DOMAIN:
        return DesNetworkNode::LEVEL_DOMAIN;
    case SHDID_NET_SERVER:
        return DesNetworkNode::LEVEL_SERVER;
    case SHDID_NET_SHARE:
        return DesNetworkNode::LEVEL_SHARE;
    default:
        return LevelOfNetworkResource(folder, item);
    }
}

// Calls visit(folder, item) for each of the folder's folders (hidden ones too) in the shell's order.
template <typename Visit> void ForEachSubfolder(LPCITEMIDLIST pidl, Visit visit)
{
    CComPtr<IShellFolder> folder = BindToDesktopChild(pidl);
    CComPtr<IEnumIDList> items = ShellEnumObjects(folder, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, GetShellOwner());
    if (!items)
        return;
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK)
    {
        CShellPidl item(child);
        visit(folder, item);
    }
}

} // namespace

DesFileNode::DesFileNode(CComPtr<IShellFolder> parentFolder, CShellPidl pidl, int kind)
    : DesBaseNode(kind), m_parentFolder(std::move(parentFolder)), m_pidl(std::move(pidl))
{
    LPCITEMIDLIST item = PidlLastItem(m_pidl);
    m_image = m_pidl.GetIconIndex(SHGFI_SMALLICON);
    m_path = m_pidl.GetPath();
    m_name = ShellDisplayName(m_parentFolder, item, SHGDN_INFOLDER);
    m_attributes = ReadAttributes(m_parentFolder, item);
}

void DesFileNode::Populate()
{
    ForEachSubfolder(m_pidl, [this](const CComPtr<IShellFolder> &folder, const CShellPidl &item) {
        AddChild(std::make_unique<DesFileNode>(folder, PidlConcat(m_pidl, item), GetKind()));
    });
}

DesNetworkNode::DesNetworkNode(CComPtr<IShellFolder> parentFolder, CShellPidl pidl, int level)
    : DesFileNode(std::move(parentFolder), std::move(pidl), KIND_NETWORK), m_level(level)
{
}

void DesNetworkNode::Populate()
{
    ForEachSubfolder(GetPidl(), [this](const CComPtr<IShellFolder> &folder, const CShellPidl &item) {
        const int level = NetworkLevelOf(folder, item);
        if (level != LEVEL_OTHER && (level != LEVEL_FOLDER || m_level != LEVEL_PLACES))
            AddChild(std::make_unique<DesNetworkNode>(folder, PidlConcat(GetPidl(), item), level));
    });
}

std::unique_ptr<DesNetworkNode> MakeNetworkPlacesNode()
{
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(GetShellOwner(), CSIDL_NETWORK, &pidl)) || pidl == nullptr)
        return nullptr;
    CShellPidl places(pidl);
    CComPtr<IShellFolder> parent = BindToParentFolder(places);
    return std::make_unique<DesNetworkNode>(parent, std::move(places), DesNetworkNode::LEVEL_PLACES);
}

} // namespace DesFileTree
