// Test stand-in for the Outlook Express / Windows Mail store namespace (class CLSID_StoreNamespace), never
// shipped. Tests register its class factory with CoRegisterClassObject; the library then creates it as it
// would create the platform's.
//
// The store is a folder tree under a root the test names. Each folder is a directory holding an index file
// "folder.idx" and one raw file per message; its subfolders are directories named by their ids:
//
//     id 12                 the folder's id (the root, which needs no index file, is 0)
//     type -1               its special-folder type
//     order 3               creation order among its siblings
//     name Inbox            its 8-bit name, to the end of the line
//     message 7 7.eml       a message id and its file, one line per message
//
// Subfolders come in creation order, messages in id order; a message's size is its file's size. CreateFolder
// fails for a name its parent holds already (without regard to case); CreateStream reserves a message id and
// CommitStream stores the stream's bytes under it.
#pragma once
#include <objbase.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace storestandin
{

// The store's folder; an empty or missing one makes Initialize fail.
void SetRoot(const std::wstring &root);
// Forgets the root, the scripted failures, the call counts and the reserved message ids.
void Reset();
// Makes calls fail with hr: "OpenMessage" for the message id which (every time); "Initialize",
// "CreateFolder", "CreateStream" and "CommitStream" on their which-th call (from 1) since the last Reset.
void ScriptFailure(const std::wstring &call, DWORD which, HRESULT hr);
// The class factory (one for the process; it is never freed).
IClassFactory *ClassFactory();

// Direct access to the store under the root, for seeding and reading it without COM.
struct Folder
{
    DWORD id;
    LONG type;
    std::string name;
};
// The new folder's id, or 0xFFFFFFFF when the parent is missing or holds that name already.
DWORD AddFolder(DWORD parentId, const std::string &name, LONG type = -1);
// The new message's id (one above the highest of the folder), or 0xFFFFFFFF.
DWORD AddMessage(DWORD folderId, const std::string &bytes);
bool DeleteMessage(DWORD folderId, DWORD messageId);
std::vector<Folder> SubFolders(DWORD parentId);
// The folder's messages in id order: id and bytes.
std::vector<std::pair<DWORD, std::string>> Messages(DWORD folderId);

} // namespace storestandin
