// Folder links in tests. Junctions cannot be made under Wine, but a symbolic link of the host lists as a folder
// link (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT), so tests make them with the host's own tools.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport
{

// Wine's own export: the host path of a Windows path; empty outside Wine.
std::wstring HostPath(const std::wstring &windowsPath);
// Starts a program of the host (Wine maps the host's root to Z:). Wine gives no handle to wait on for a host
// program: the caller waits for what it does.
bool StartHostProgram(const std::wstring &program, const std::wstring &arguments);
// Waits up to 5 s until the path's attributes can be read (or, with gone, no longer); its attributes then.
DWORD WaitForPath(const std::wstring &path, bool gone = false);
// Makes link a host symbolic link to the folder target and waits until it lists as a folder link.
bool MakeFolderLink(const std::wstring &link, const std::wstring &target);
// Removes such a link (Wine itself cannot) and waits until it is gone.
void RemoveFolderLink(const std::wstring &link);

} // namespace testsupport
