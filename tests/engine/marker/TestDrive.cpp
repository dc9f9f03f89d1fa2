#include "TestDrive.h"

#include <vector>

namespace {

std::wstring Environment(LPCWSTR name)
{
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(size);
    DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
    return std::wstring(buffer.data(), length < size ? length : 0);
}

// Wine's own export: the Unix path of a Windows path.
std::wstring UnixPathOf(const std::wstring &windowsPath)
{
    typedef char *(__cdecl * UnixFileNameFunction)(LPCWSTR);
    auto function = reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!function)
        return std::wstring();
    char *unixPath = function(windowsPath.c_str());
    if (!unixPath)
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, nullptr, 0);
    std::wstring result(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unixPath, -1, &result[0], length);
    result.resize(result.size() - 1);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool DriveCanBeRead(wchar_t letter)
{
    wchar_t root[] = {letter, L':', L'\\', 0};
    return GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES;
}

bool DriveIsListed(wchar_t letter)
{
    return (GetLogicalDrives() & (1u << (letter - L'A'))) != 0;
}

bool DriveIsGone(wchar_t letter)
{
    wchar_t root[] = {letter, L':', L'\\', 0};
    return GetFileAttributesW(root) == INVALID_FILE_ATTRIBUTES;
}

// Up to 30 s: under a loaded machine Wine takes seconds to start the Unix program that makes the link.
template <typename Condition> bool WaitFor(Condition condition)
{
    for (int i = 0; i < 1500; ++i)
    {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}

} // namespace

TestDrive::TestDrive(wchar_t letter, const std::wstring &folder) : m_letter(static_cast<wchar_t>(letter & ~0x20))
{
    const std::wstring mutexName = std::wstring(L"VelbrookTestDrive_") + m_letter;
    m_turn = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    const DWORD wait = m_turn ? WaitForSingleObject(m_turn, 120000) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
    {
        if (m_turn)
            CloseHandle(m_turn);
        m_turn = nullptr;
        m_error = L"the drive letter stayed taken by another test";
        return;
    }
    std::wstring prefix = Environment(L"WINEPREFIX");
    std::wstring target = UnixPathOf(folder);
    if (prefix.empty() || target.empty())
    {
        m_error = L"not running under Wine with WINEPREFIX set";
        return;
    }
    if (target.size() > 1 && target.back() == L'/')
        target.pop_back();
    m_linkPath = prefix + L"/dosdevices/" + static_cast<wchar_t>(m_letter | 0x20) + L":";

    // A link left behind by an interrupted run goes first.
    RunUnixTool(L"rm", L"-f \"" + m_linkPath + L"\"");
    if (!WaitFor([this] { return DriveIsGone(m_letter); }))
    {
        m_error = L"an old drive link could not be removed";
        return;
    }
    m_linked = true;
    if (!RunUnixTool(L"ln", L"-s \"" + target + L"\" \"" + m_linkPath + L"\"") ||
        !WaitFor([this] { return DriveCanBeRead(m_letter); }))
    {
        m_error = L"the drive link was not made";
        return;
    }
    // Files are found through the link at once, but Wine adds the letter to the drive list of running
    // processes only later: the device definition puts it there now.
    m_defined = DefineDosDeviceW(0, Name().c_str(), folder.c_str()) != FALSE;
    if (!WaitFor([this] { return DriveIsListed(m_letter); }))
        m_error = L"the drive is not in the drive list";
}

TestDrive::~TestDrive()
{
    if (m_defined)
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, Name().c_str(), nullptr);
    if (m_linked)
    {
        RunUnixTool(L"rm", L"-f \"" + m_linkPath + L"\"");
        WaitFor([this] { return DriveIsGone(m_letter); });
    }
    if (m_turn)
    {
        ReleaseMutex(m_turn);
        CloseHandle(m_turn);
    }
}

// Wine starts a Unix program without a handle to wait on: callers wait for its effect instead.
bool TestDrive::RunUnixTool(const std::wstring &tool, const std::wstring &arguments)
{
    std::wstring application = L"Z:\\bin\\" + tool;
    std::wstring commandLine = L"/bin/" + tool + L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
    {
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
    }
    return true;
}
