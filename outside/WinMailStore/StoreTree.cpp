#include "outside/WinMailStore/StoreStandIn.h"
#include "outside/WinMailStore/StoreTree.h"
#include "outside/common/CallScript.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace storestandin
{

namespace
{

struct State
{
    std::mutex lock;
    std::wstring root;
    standin::CallScript script;
    std::map<DWORD, std::set<DWORD>> reserved;
};

State &TheState()
{
    static State *state = new State;
    return *state;
}

const wchar_t kIndexFile[] = L"folder.idx";

std::string ReadBytes(const std::wstring &path, bool &ok)
{
    ok = false;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(file);
    ok = true;
    return bytes;
}

bool WriteBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

bool FindFolderBelow(const std::wstring &dir, DWORD id, FolderPlace &place)
{
    for (FolderPlace &child : ListSubFolders(dir))
    {
        if (child.index.id == id)
        {
            place = std::move(child);
            return true;
        }
        if (FindFolderBelow(child.dir, id, place))
            return true;
    }
    return false;
}

DWORD HighestFolderId(const std::wstring &dir)
{
    DWORD highest = 0;
    for (const FolderPlace &child : ListSubFolders(dir))
        highest = std::max({highest, child.index.id, HighestFolderId(child.dir)});
    return highest;
}

} // namespace

std::mutex &Lock()
{
    return TheState().lock;
}

std::wstring Root()
{
    std::wstring root = TheState().root;
    if (!root.empty() && root.back() != L'\\')
        root += L'\\';
    return root;
}

bool ReadFolderIndex(const std::wstring &dir, FolderIndex &index)
{
    index = FolderIndex();
    bool ok = false;
    std::string text = ReadBytes(dir + kIndexFile, ok);
    if (!ok)
        return false;
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        const std::string key = line.substr(0, space), value = line.substr(space + 1);
        if (key == "id")
            index.id = static_cast<DWORD>(strtoul(value.c_str(), nullptr, 10));
        else if (key == "type")
            index.type = static_cast<LONG>(strtol(value.c_str(), nullptr, 10));
        else if (key == "order")
            index.order = static_cast<DWORD>(strtoul(value.c_str(), nullptr, 10));
        else if (key == "name")
            index.name = value;
        else if (key == "message")
        {
            size_t gap = value.find(' ');
            if (gap == std::string::npos)
                continue;
            const std::string file = value.substr(gap + 1);
            index.messages.emplace_back(static_cast<DWORD>(strtoul(value.c_str(), nullptr, 10)),
                                        std::wstring(file.begin(), file.end()));
        }
    }
    std::sort(index.messages.begin(), index.messages.end());
    return true;
}

bool WriteFolderIndex(const std::wstring &dir, const FolderIndex &index)
{
    std::string text = "id " + std::to_string(index.id) + "\ntype " + std::to_string(index.type) + "\norder " +
                       std::to_string(index.order) + "\nname " + index.name + "\n";
    for (const auto &message : index.messages)
        text += "message " + std::to_string(message.first) + " " +
                std::string(message.second.begin(), message.second.end()) + "\n";
    return WriteBytes(dir + kIndexFile, text);
}

bool FindFolder(DWORD id, FolderPlace &place)
{
    const std::wstring root = Root();
    if (root.empty())
        return false;
    if (id == 0)
    {
        place.dir = root;
        if (!ReadFolderIndex(root, place.index))
            place.index = FolderIndex();
        place.index.id = 0;
        return true;
    }
    return FindFolderBelow(root, id, place);
}

std::vector<FolderPlace> ListSubFolders(const std::wstring &dir)
{
    std::vector<FolderPlace> children;
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW((dir + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return children;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || data.cFileName[0] == L'.')
            continue;
        FolderPlace child;
        child.dir = dir + data.cFileName + L"\\";
        if (ReadFolderIndex(child.dir, child.index))
            children.push_back(std::move(child));
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    std::sort(children.begin(), children.end(),
              [](const FolderPlace &a, const FolderPlace &b) { return a.index.order < b.index.order; });
    return children;
}

bool ReadMessageFile(const FolderPlace &folder, DWORD messageId, std::string &bytes)
{
    for (const auto &message : folder.index.messages)
    {
        if (message.first == messageId)
        {
            bool ok = false;
            bytes = ReadBytes(folder.dir + message.second, ok);
            return ok;
        }
    }
    return false;
}

DWORD CreateFolderUnlocked(DWORD parentId, const std::string &name, LONG type)
{
    FolderPlace parent;
    if (name.empty() || !FindFolder(parentId, parent))
        return kNone;
    DWORD order = 0;
    for (const FolderPlace &sibling : ListSubFolders(parent.dir))
    {
        if (lstrcmpiA(sibling.index.name.c_str(), name.c_str()) == 0)
            return kNone;
        order = std::max(order, sibling.index.order + 1);
    }
    FolderIndex index;
    index.id = HighestFolderId(Root()) + 1;
    index.type = type;
    index.order = order;
    index.name = name;
    const std::wstring dir = parent.dir + std::to_wstring(index.id) + L"\\";
    if (!::CreateDirectoryW(dir.c_str(), nullptr) || !WriteFolderIndex(dir, index))
        return kNone;
    return index.id;
}

bool StoreMessageUnlocked(DWORD folderId, DWORD messageId, const std::string &bytes)
{
    FolderPlace folder;
    if (!FindFolder(folderId, folder))
        return false;
    for (const auto &message : folder.index.messages)
        if (message.first == messageId)
            return false;
    const std::wstring file = std::to_wstring(messageId) + L".eml";
    if (!WriteBytes(folder.dir + file, bytes))
        return false;
    folder.index.messages.emplace_back(messageId, file);
    std::sort(folder.index.messages.begin(), folder.index.messages.end());
    return WriteFolderIndex(folder.dir, folder.index);
}

DWORD NextMessageIdUnlocked(DWORD folderId)
{
    DWORD highest = 0;
    FolderPlace folder;
    if (FindFolder(folderId, folder))
        for (const auto &message : folder.index.messages)
            highest = std::max(highest, message.first);
    for (DWORD id : TheState().reserved[folderId])
        highest = std::max(highest, id);
    return highest + 1;
}

void ReserveMessageIdUnlocked(DWORD folderId, DWORD messageId)
{
    TheState().reserved[folderId].insert(messageId);
}

bool TakeReservedMessageIdUnlocked(DWORD folderId, DWORD messageId)
{
    return TheState().reserved[folderId].erase(messageId) > 0;
}

bool ScriptedFailureUnlocked(const std::wstring &call, DWORD messageId, HRESULT &hr)
{
    standin::CallScript &script = TheState().script;
    return call == L"OpenMessage" ? script.HitKeyed(call, messageId, hr) : script.Hit(call, hr);
}

void SetRoot(const std::wstring &root)
{
    std::lock_guard<std::mutex> hold(Lock());
    TheState().root = root;
}

void Reset()
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.root.clear();
    state.script.Clear();
    state.reserved.clear();
}

void ScriptFailure(const std::wstring &call, DWORD which, HRESULT hr)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.script.Add(call, which, hr);
}

DWORD AddFolder(DWORD parentId, const std::string &name, LONG type)
{
    std::lock_guard<std::mutex> hold(Lock());
    return CreateFolderUnlocked(parentId, name, type);
}

DWORD AddMessage(DWORD folderId, const std::string &bytes)
{
    std::lock_guard<std::mutex> hold(Lock());
    const DWORD id = NextMessageIdUnlocked(folderId);
    return StoreMessageUnlocked(folderId, id, bytes) ? id : kNone;
}

bool DeleteMessage(DWORD folderId, DWORD messageId)
{
    std::lock_guard<std::mutex> hold(Lock());
    FolderPlace folder;
    if (!FindFolder(folderId, folder))
        return false;
    auto &messages = folder.index.messages;
    auto found = std::find_if(messages.begin(), messages.end(), [&](const auto &m) { return m.first == messageId; });
    if (found == messages.end())
        return false;
    ::DeleteFileW((folder.dir + found->second).c_str());
    messages.erase(found);
    return WriteFolderIndex(folder.dir, folder.index);
}

std::vector<Folder> SubFolders(DWORD parentId)
{
    std::lock_guard<std::mutex> hold(Lock());
    std::vector<Folder> folders;
    FolderPlace parent;
    if (FindFolder(parentId, parent))
        for (const FolderPlace &child : ListSubFolders(parent.dir))
            folders.push_back(Folder{child.index.id, child.index.type, child.index.name});
    return folders;
}

std::vector<std::pair<DWORD, std::string>> Messages(DWORD folderId)
{
    std::lock_guard<std::mutex> hold(Lock());
    std::vector<std::pair<DWORD, std::string>> messages;
    FolderPlace folder;
    if (FindFolder(folderId, folder))
    {
        for (const auto &message : folder.index.messages)
        {
            std::string bytes;
            ReadMessageFile(folder, message.first, bytes);
            messages.emplace_back(message.first, bytes);
        }
    }
    return messages;
}

} // namespace storestandin
