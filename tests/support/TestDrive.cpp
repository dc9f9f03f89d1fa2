#include "support/TestDrive.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace enginetest
{

namespace
{

// The mount manager's request that defines (or, with type DRIVE_NO_ROOT_DIR and no path, removes) a drive
// letter backed by a Unix folder.
struct UnixDriveRequest
{
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

const DWORD kDefineUnixDrive = CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Wine's own export: the Unix path of a Windows path (to be freed from the process heap); empty outside Wine.
std::string UnixPathOf(const std::wstring &windowsPath)
{
    using UnixName = char *(CDECL *)(LPCWSTR);
    // Through void *: a plain cast between function pointer types draws a warning.
    void *entry =
        reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    auto unixName = reinterpret_cast<UnixName>(entry);
    if (!unixName)
        return std::string();
    char *unixPath = unixName(windowsPath.c_str());
    if (!unixPath)
        return std::string();
    std::string result = unixPath;
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

bool DriveIsReady(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', 0};
    return ::GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES &&
           (::GetLogicalDrives() & (1u << (letter - L'A'))) != 0;
}

// Up to 30 s: a loaded machine is slow to let the new letter show.
template <typename Condition> bool WaitFor(Condition condition)
{
    for (int i = 0; i < 1500; ++i)
    {
        if (condition())
            return true;
        ::Sleep(20);
    }
    return condition();
}

} // namespace

TestDrive::TestDrive(wchar_t letter, const std::wstring &folder, ULONG type)
    : m_letter(static_cast<wchar_t>(letter & ~0x20))
{
    const std::wstring mutexName = std::wstring(L"VelbrookTestDrive_") + m_letter;
    m_turn.Attach(::CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    const DWORD wait = m_turn.IsValid() ? ::WaitForSingleObject(m_turn.Get(), 120000) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
    {
        m_error = L"the drive letter stayed taken by another test";
        return;
    }
    m_holdsTurn = true;
    const std::string unixPath = UnixPathOf(folder);
    if (unixPath.empty())
    {
        m_error = L"not running under Wine";
        return;
    }
    m_mapped = Define(unixPath.c_str(), type);
    if (!m_mapped)
    {
        m_error = L"the mount manager did not map the drive";
        return;
    }
    if (!WaitFor([this] { return DriveIsReady(m_letter); }))
        m_error = L"the drive cannot be read or is not in the drive list";
}

TestDrive::~TestDrive()
{
    if (m_mapped)
        Define(nullptr, DRIVE_NO_ROOT_DIR);
    if (m_holdsTurn)
        ::ReleaseMutex(m_turn.Get());
}

bool TestDrive::Remove()
{
    if (!m_mapped)
        return false;
    m_mapped = !Define(nullptr, DRIVE_NO_ROOT_DIR);
    return !m_mapped && WaitFor([this] { return !DriveIsReady(m_letter); });
}

bool TestDrive::Define(const char *unixPath, ULONG type)
{
    const size_t pathBytes = unixPath ? strlen(unixPath) + 1 : 0;
    std::vector<char> buffer(sizeof(UnixDriveRequest) + pathBytes);
    auto *request = reinterpret_cast<UnixDriveRequest *>(buffer.data());
    request->size = static_cast<ULONG>(buffer.size());
    request->type = type;
    request->letter = m_letter;
    if (unixPath)
    {
        request->mountPointOffset = sizeof(UnixDriveRequest);
        memcpy(buffer.data() + sizeof(UnixDriveRequest), unixPath, pathBytes);
    }
    CKernelHandle manager(::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager.IsValid())
        return false;
    DWORD returned = 0;
    return ::DeviceIoControl(manager.Get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                             0, &returned, nullptr) != FALSE;
}

} // namespace enginetest
