#include "app/support/AppTestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include <regex>

#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiPlusSession.h"
#include "support/ImageSupport.h"

namespace apptest
{

namespace
{

const wchar_t kProgramFolderName[] = L"Tarnvel Program Files\\";

bool CopyTree(const std::wstring &from, const std::wstring &to, const std::wstring &leaveOut)
{
    if (!::CreateDirectoryW(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW((from + L"*").c_str(), &found));
    if (!listing.IsValid())
        return false;
    do
    {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (!CopyTree(from + name + L"\\", to + name + L"\\", leaveOut))
                return false;
        }
        else if (_wcsicmp((from + name).c_str(), leaveOut.c_str()) != 0 &&
                 !::CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE))
        {
            return false;
        }
    } while (::FindNextFileW(listing, &found));
    return true;
}

struct ProcessWindows
{
    DWORD processId;
    LPCWSTR className;
    HWND except;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto *search = reinterpret_cast<ProcessWindows *>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (search->processId != 0 && processId != search->processId)
        return TRUE;
    if (hWnd == search->except || (search->visibleOnly && !::IsWindowVisible(hWnd)))
        return TRUE;
    wchar_t className[64] = {};
    ::GetClassNameW(hWnd, className, 64);
    if (wcscmp(className, search->className) == 0)
        search->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> FindWindows(DWORD processId, LPCWSTR className, HWND except, bool visibleOnly)
{
    ProcessWindows search{processId, className, except, visibleOnly, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

std::wstring BuildFolder()
{
    return VELBROOK_BUILD_FOLDER;
}

std::wstring TestProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? std::wstring(name) : std::wstring(L"My Backup folder");
}

ProgramDrive::ProgramDrive(ProgramCopy copy, DrivePlace place)
    : m_folder(place == DrivePlace::OffSystemDrive ? new testsupport::TempFolder(BuildFolder())
                                                   : new testsupport::TempFolder())
{
    if (m_folder->Path().empty())
    {
        m_error = L"no temporary folder";
        return;
    }
    const std::wstring source = testsupport::ProgramFolder();
    const std::wstring leaveOut =
        copy == ProgramCopy::WithoutLanguageLibrary ? testsupport::LanguageFolder() + L"Phrasel.dll" : std::wstring();
    if (!CopyTree(source, *m_folder / kProgramFolderName, leaveOut))
    {
        m_error = L"the program folder could not be copied";
        return;
    }
    m_drive.reset(new enginetest::TestDrive(L'E', m_folder->Path()));
    m_error = m_drive->Error();
}

std::wstring ProgramDrive::ProgramPath() const
{
    return std::wstring(L"E:\\") + kProgramFolderName + L"Tarnvel.exe";
}

std::wstring ProgramDrive::DataFolder() const
{
    return *m_folder / (L"Backup Data\\" + ComputerName() + L"\\Velbrook Data Backup\\");
}

std::wstring ProgramDrive::DataFolderOnDrive() const
{
    return L"E:\\Backup Data\\" + ComputerName() + L"\\Velbrook Data Backup\\";
}

StartedProgram::~StartedProgram()
{
    if (IsRunning())
    {
        ::TerminateProcess(m_process, 1);
        ::WaitForSingleObject(m_process, 10000);
    }
}

bool StartedProgram::Start(const std::wstring &path, const std::wstring &arguments, bool suspended)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0,
                          nullptr, nullptr, &startup, &info))
        return false;
    m_thread.Attach(info.hThread);
    if (!suspended)
        m_thread.Close();
    m_process.Attach(info.hProcess);
    m_id = info.dwProcessId;
    return true;
}

bool StartedProgram::Resume()
{
    const bool resumed = m_thread.IsValid() && ::ResumeThread(m_thread) != static_cast<DWORD>(-1);
    m_thread.Close();
    return resumed;
}

bool StartedProgram::WaitForExit(DWORD timeoutMs, DWORD &code)
{
    if (!m_process.IsValid() || ::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return ::GetExitCodeProcess(m_process, &code) != FALSE;
}

bool StartedProgram::IsRunning() const
{
    return m_process.IsValid() && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> MainWindows()
{
    return FindWindows(0, L"BrenmarkZELMain", nullptr, false);
}

HWND WaitForMainWindow(const StartedProgram &program, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        std::vector<HWND> found = FindWindows(program.Id(), L"BrenmarkZELMain", nullptr, true);
        if (!found.empty())
            return found.front();
        if (!program.IsRunning() || ::GetTickCount() - start >= timeoutMs)
            return nullptr;
        ::Sleep(50);
    }
}

HWND WaitForDialog(const StartedProgram &program, HWND except, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        std::vector<HWND> found = FindWindows(program.Id(), L"#32770", except, true);
        if (!found.empty())
            return found.front();
        if (!program.IsRunning() || ::GetTickCount() - start >= timeoutMs)
            return nullptr;
        ::Sleep(50);
    }
}

bool WaitForWindowGone(HWND hWnd, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (::IsWindow(hWnd) && ::IsWindowVisible(hWnd))
    {
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(50);
    }
    return true;
}

std::wstring WindowText(HWND hWnd)
{
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hWnd, WM_GETTEXT, _countof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                               &copied))
        return std::wstring();
    return std::wstring(text, static_cast<size_t>(copied));
}

std::vector<std::wstring> LogLines(const std::wstring &path)
{
    const std::string bytes = testsupport::ReadFileBytes(path);
    std::vector<std::wstring> lines;
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return lines;
    std::wstring text(reinterpret_cast<const wchar_t *>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::wstring WithoutTime(const std::wstring &line)
{
    static const std::wregex time(L"^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d [AP]M ");
    return std::regex_replace(line, time, L"", std::regex_constants::format_first_only);
}

} // namespace apptest
