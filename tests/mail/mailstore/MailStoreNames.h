// Messages and folders of the mail store tests.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "outside/WinMailStore/StoreStandIn.h"

namespace mailtest
{

// A raw message with that subject and body.
inline std::string Message(const std::string &subject, const std::string &body = "Hello.\r\n")
{
    return "From: someone@example.com\r\nSubject: " + subject + "\r\n\r\n" + body;
}

// The bytes of a folder's messages, in id order.
inline std::vector<std::string> MessageBytes(DWORD folderId)
{
    std::vector<std::string> bytes;
    for (const auto &message : storestandin::Messages(folderId))
        bytes.push_back(message.second);
    return bytes;
}

inline std::vector<std::string> SubFolderNames(DWORD parentId)
{
    std::vector<std::string> names;
    for (const storestandin::Folder &folder : storestandin::SubFolders(parentId))
        names.push_back(folder.name);
    return names;
}

// The id of the parent's subfolder of that name, or 0xFFFFFFFF.
inline DWORD SubFolderId(DWORD parentId, const std::string &name)
{
    for (const storestandin::Folder &folder : storestandin::SubFolders(parentId))
        if (folder.name == name)
            return folder.id;
    return 0xFFFFFFFF;
}

} // namespace mailtest
