// Finding the destination tree's node of a path: among the drives and devices (and the network's drives), or for a
// network path below its server in the network places.
#include <windows.h>
#include <lm.h>

#include "engine/program/NetPath.h"
#include "setup/desttree/DesFileNodes.h"
#include "setup/desttree/DesTreeHost.h"

namespace DesFileTree
{

namespace
{

CString WithoutTrailingBackslashes(CString path)
{
    path.TrimRight(L'\\');
    return path;
}

DesNetworkNode *NetworkChild(DesBaseNode &parent, int level)
{
    for (const auto &child : parent.GetChildren())
    {
        if (child->GetTypeCode() == TYPE_NETWORK && static_cast<DesNetworkNode &>(*child).GetLevel() == level)
            return static_cast<DesNetworkNode *>(child.get());
    }
    return nullptr;
}

DesBaseNode *ChildNamed(DesBaseNode &parent, const CString &name)
{
    for (const auto &child : parent.GetChildren())
    {
        CString shown = child->GetDisplayText();
        shown.TrimLeft(L'\\');
        if (shown.CompareNoCase(name) == 0)
            return child.get();
    }
    return nullptr;
}

// The workgroup or domain the server says it belongs to.
bool ReadWorkgroup(const CString &server, CString &workgroup)
{
    CNetPathPlatform *platform = g_netPathPlatform.Get();
    LPBYTE buffer = nullptr;
    CString name = server;
    if (platform == nullptr || platform->WorkstationInfo(name.GetBuffer(), 100, &buffer) != NERR_Success ||
        buffer == nullptr)
    {
        name.ReleaseBuffer();
        if (platform != nullptr && buffer != nullptr)
            platform->FreeBuffer(buffer);
        return false;
    }
    name.ReleaseBuffer();
    const auto *info = reinterpret_cast<const WKSTA_INFO_100 *>(buffer);
    workgroup = info->wki100_langroup != nullptr ? info->wki100_langroup : L"";
    platform->FreeBuffer(buffer);
    return !workgroup.IsEmpty();
}

} // namespace

DesBaseNode *FindNodeByPath(const NodeList &nodes, const CString &path)
{
    const CString target = WithoutTrailingBackslashes(path);
    if (target.IsEmpty())
        return nullptr;
    for (const auto &node : nodes)
    {
        if (node->GetKind() == KIND_CUSTOM)
            continue;
        const CString own = WithoutTrailingBackslashes(node->GetPath());
        const int length = own.GetLength();
        if (length == 0 || target.GetLength() < length || target.Left(length).CompareNoCase(own) != 0)
            continue;
        if (target.GetLength() == length)
            return node.get();
        // "C:\Data" holds "C:\Data\x" but not "C:\Data2\x": that one lies further on, beside it.
        if (target[length] != L'\\')
            continue;
        if (DesBaseNode *found = FindNodeByPath(node->GetChildren(), target))
            return found;
    }
    return nullptr;
}

DesBaseNode *FindServerNode(DesBaseNode &placesRoot, const CString &server)
{
    DesNetworkNode *wholeNetwork = NetworkChild(placesRoot, DesNetworkNode::LEVEL_WHOLE_NETWORK);
    DesNetworkNode *provider =
        wholeNetwork != nullptr ? NetworkChild(*wholeNetwork, DesNetworkNode::LEVEL_PROVIDER) : nullptr;
    if (provider == nullptr)
        return ChildNamed(placesRoot, server);
    CString workgroup;
    if (!ReadWorkgroup(server, workgroup))
        return nullptr;
    DesBaseNode *domain = ChildNamed(*provider, workgroup);
    return domain != nullptr ? ChildNamed(*domain, server) : nullptr;
}

DesBaseNode *DesTreeHost::LookUpPath(const CString &path)
{
    CString target = path;
    if (target.GetLength() > 3)
        target.TrimRight(L'\\');
    if (target.Left(2) != L"\\\\")
    {
        // The network's drives too: a mapped drive chosen before a refresh is chosen again after it.
        for (NodeList *group : {&m_fixed, &m_removable, &m_devices, &m_network})
        {
            if (DesBaseNode *found = FindNodeByPath(*group, target))
                return found;
        }
        return nullptr;
    }
    if (target.GetLength() < 3 || target[2] == L'\\')
        return nullptr;
    const int serverEnd = target.Find(L'\\', 2);
    const CString server = serverEnd < 0 ? target.Mid(2) : target.Mid(2, serverEnd - 2);
    for (const auto &node : m_network)
    {
        if (node->GetTypeCode() != TYPE_NETWORK ||
            static_cast<DesNetworkNode &>(*node).GetLevel() != DesNetworkNode::LEVEL_PLACES)
            continue;
        DesBaseNode *serverNode = FindServerNode(*node, server);
        return serverNode != nullptr ? FindNodeByPath(serverNode->GetChildren(), target) : nullptr;
    }
    return nullptr;
}

} // namespace DesFileTree
