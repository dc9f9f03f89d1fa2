#include "support/HostLink.h"

#include <cstring>

#include "platform/system/Handles.h"

namespace testsupport
{

std::wstring HostPath(const std::wstring &windowsPath)
{
    using UnixName = char *(CDECL *)(LPCWSTR);
    void *entry =
        reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    auto unixName = reinterpret_cast<UnixName>(entry);
    char *unixPath = unixName != nullptr ? unixName(windowsPath.c_str()) : nullptr;
    if (unixPath == nullptr)
        return std::wstring();
    std::wstring result(unixPath, unixPath + strlen(unixPath));
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

bool StartHostProgram(const std::wstring &program, const std::wstring &arguments)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    CKernelHandle processHandle(process.hProcess);
    CKernelHandle threadHandle(process.hThread);
    return true;
}

DWORD WaitForPath(const std::wstring &path, bool gone)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    for (int i = 0; i < 250 && (attributes == INVALID_FILE_ATTRIBUTES) != gone; ++i)
    {
        ::Sleep(20);
        attributes = ::GetFileAttributesW(path.c_str());
    }
    return attributes;
}

bool MakeFolderLink(const std::wstring &link, const std::wstring &target)
{
    std::wstring folder = link.substr(0, link.find_last_of(L'\\'));
    std::wstring name = link.substr(link.find_last_of(L'\\') + 1);
    if (!StartHostProgram(L"Z:\\bin\\ln",
                          L"-s \"" + HostPath(target) + L"\" \"" + HostPath(folder) + L"/" + name + L"\""))
        return false;
    const DWORD linkBits = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    const DWORD attributes = WaitForPath(link);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & linkBits) == linkBits;
}

void RemoveFolderLink(const std::wstring &link)
{
    StartHostProgram(L"Z:\\bin\\rm", L"\"" + HostPath(link) + L"\"");
    WaitForPath(link, true);
}

} // namespace testsupport
