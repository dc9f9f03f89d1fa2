#include "setup/categories/RememberedChecks.h"

#include <lm.h>

#include <deque>
#include <memory>

#include "setup/categories/CategoryTreeWalks.h"
#include "setup/categories/FileCategories.h"

namespace FileTree
{

namespace
{

struct NetBufferFree
{
    void operator()(void *buffer) const
    {
        ::NetApiBufferFree(buffer);
    }
};

BOOL AskWorkstation(LPCWSTR server, CString &group, CString &computer)
{
    LPBYTE answer = nullptr;
    const NET_API_STATUS status = ::NetWkstaGetInfo(const_cast<LPWSTR>(server), 100, &answer);
    std::unique_ptr<void, NetBufferFree> held(answer);
    if (status != NERR_Success || answer == nullptr)
        return FALSE;
    const auto *info = reinterpret_cast<const WKSTA_INFO_100 *>(answer);
    group = info->wki100_langroup != nullptr ? info->wki100_langroup : L"";
    computer = info->wki100_computername != nullptr ? info->wki100_computername : L"";
    return TRUE;
}

bool IsDrivePath(const CString &text)
{
    return text.GetLength() >= 3 && ::IsCharAlphaW(text[0]) && text[1] == L':' && text[2] == L'\\';
}

// Every folder of text from start on partly checked, the text itself checked.
void RecordWay(const CString &text, PathStates &paths, int start)
{
    for (int slash = text.Find(L'\\', start); slash >= 0; slash = text.Find(L'\\', slash + 1))
        paths[text.Left(slash + 1)] = slash == text.GetLength() - 1 ? CHECK_ON : CHECK_PARTIAL;
    if (text.Right(1) != L"\\")
        paths[text] = CHECK_ON;
}

RememberedServer &ServerRecord(std::vector<RememberedGroup> &groups, const CString &group, const CString &computer)
{
    RememberedGroup *found = nullptr;
    for (RememberedGroup &record : groups)
    {
        if (record.name.CompareNoCase(group) == 0)
            found = &record;
    }
    if (found == nullptr)
    {
        groups.push_back(RememberedGroup{group, {}});
        found = &groups.back();
    }
    for (RememberedServer &server : found->servers)
    {
        if (server.computer.CompareNoCase(computer) == 0)
            return server;
    }
    found->servers.push_back(RememberedServer{computer, {}});
    return found->servers.back();
}

void RecordNetworkPath(const CString &text, std::vector<RememberedGroup> &groups)
{
    const int end = text.Find(L'\\', 2);
    if (end < 0)
        return;
    CString group;
    CString computer;
    PFN_WORKSTATION_NAMES ask = g_pfnWorkstationNames.Get();
    if (ask == nullptr || !ask(text.Mid(2, end - 2), group, computer))
        return;
    RecordWay(text, ServerRecord(groups, group, computer).paths, end + 1);
}

CString LookupKey(BaseNode *node)
{
    CString key = node->GetPath();
    key.MakeLower();
    if (node->GetKind() == KIND_FOLDER && key.Right(1) != L"\\")
        key += L"\\";
    return key;
}

void ApplyBelow(BaseNode *node, const PathStates &paths)
{
    ApplyPathStates(std::vector<BaseNode *>{node}, paths);
}

} // namespace

Seam<PFN_WORKSTATION_NAMES> g_pfnWorkstationNames{&AskWorkstation};

RememberedChecks RecordRememberedChecks(const std::vector<CString> &texts)
{
    RememberedChecks recorded;
    for (const CString &original : texts)
    {
        CString trimmed = original;
        trimmed.Trim(L"\r\t\n ");
        CString text = trimmed;
        text.MakeLower();
        if (text.GetLength() < 3)
            continue;
        if (IsDrivePath(text))
        {
            if (text.GetLength() == 3)
            {
                recorded.drives[text] = CHECK_ON;
                continue;
            }
            recorded.drives[text.Left(3)] = CHECK_PARTIAL;
            RecordWay(text, recorded.drives, 3);
        }
        else if (text.Left(2) == L"\\\\" && text[2] != L'\\')
        {
            RecordNetworkPath(text, recorded.network);
        }
        else if (IsCategoryText(trimmed))
        {
            recorded.categories.push_back(text.Mid(4).TrimRight(L';'));
        }
    }
    return recorded;
}

void ApplyPathStates(const std::vector<BaseNode *> &starts, PathStates paths)
{
    std::deque<BaseNode *> queue;
    for (BaseNode *start : starts)
    {
        if (start != nullptr)
            queue.push_back(start);
    }
    while (!paths.empty() && !queue.empty())
    {
        BaseNode *node = queue.front();
        queue.pop_front();
        for (BaseNode *child : node->GetChildren())
        {
            auto found = paths.find(LookupKey(child));
            if (found == paths.end())
                continue;
            if (found->second == CHECK_ON)
                child->SetState(CHECK_ON);
            else
                queue.push_back(child);
            paths.erase(found);
        }
    }
}

void ApplyNetworkStates(BaseNode *network, const std::vector<RememberedGroup> &groups)
{
    if (network == nullptr || groups.empty())
        return;
    BaseNode *entire = FindChildOfKind(network, KIND_NETWORK_ROOT);
    BaseNode *provider = entire != nullptr ? FindChildOfKind(entire, KIND_NETWORK_PROVIDER) : nullptr;
    for (const RememberedGroup &group : groups)
    {
        BaseNode *above = network;
        if (provider != nullptr)
        {
            above = FindChildNamed(provider, group.name);
            if (above == nullptr)
                continue;
        }
        for (const RememberedServer &server : group.servers)
        {
            if (BaseNode *node = FindChildNamedFrom(above, server.computer))
                ApplyBelow(node, server.paths);
        }
    }
}

} // namespace FileTree
