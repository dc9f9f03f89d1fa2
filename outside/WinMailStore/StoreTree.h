// The stand-in's store on disk (see StoreStandIn.h) and its process-wide state.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace storestandin
{

struct FolderIndex
{
    DWORD id = 0;
    LONG type = -1;
    DWORD order = 0;
    std::string name;
    // Message id and file name, in id order.
    std::vector<std::pair<DWORD, std::wstring>> messages;
};

// A folder's directory (with its trailing backslash) and index.
struct FolderPlace
{
    std::wstring dir;
    FolderIndex index;
};

constexpr DWORD kNone = 0xFFFFFFFF;

// The stand-in's lock: held by every call that reads or changes the store or the state.
std::mutex &Lock();
std::wstring Root();

bool ReadFolderIndex(const std::wstring &dir, FolderIndex &index);
bool WriteFolderIndex(const std::wstring &dir, const FolderIndex &index);
// The folder of that id; false when the store has none.
bool FindFolder(DWORD id, FolderPlace &place);
// The subfolders of a folder directory in creation order.
std::vector<FolderPlace> ListSubFolders(const std::wstring &dir);
bool ReadMessageFile(const FolderPlace &folder, DWORD messageId, std::string &bytes);
// Creates the folder under the parent; kNone when the parent is missing or has that name.
DWORD CreateFolderUnlocked(DWORD parentId, const std::string &name, LONG type);
// Stores a message under the id; false when the folder is missing or has that id.
bool StoreMessageUnlocked(DWORD folderId, DWORD messageId, const std::string &bytes);
// One above the highest id the folder has or has reserved.
DWORD NextMessageIdUnlocked(DWORD folderId);
void ReserveMessageIdUnlocked(DWORD folderId, DWORD messageId);
bool TakeReservedMessageIdUnlocked(DWORD folderId, DWORD messageId);
// True (with hr) when a script makes this call fail; counts the call.
bool ScriptedFailureUnlocked(const std::wstring &call, DWORD messageId, HRESULT &hr);

} // namespace storestandin
