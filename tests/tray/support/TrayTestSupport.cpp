#include "tray/support/TrayTestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include "support/ImageSupport.h"

namespace traytest
{

namespace
{

const wchar_t kProgramFolder[] = L"Tarnvel Program Files\\";

struct WindowSearch
{
    LPCWSTR className;
    DWORD processId;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto *search = reinterpret_cast<WindowSearch *>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    wchar_t className[64] = {};
    ::GetClassNameW(hWnd, className, 64);
    if ((search->processId == 0 || processId == search->processId) &&
        (!search->visibleOnly || ::IsWindowVisible(hWnd)) && wcscmp(className, search->className) == 0)
        search->found.push_back(hWnd);
    return TRUE;
}

} // namespace

RecorderDrive::RecorderDrive(wchar_t letter)
{
    wchar_t testProgram[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, testProgram, MAX_PATH);
    std::wstring recorder = testProgram;
    recorder = recorder.substr(0, recorder.rfind(L'\\') + 1) + L"recorder\\Tarnvel.exe";
    const std::wstring programFolder = m_folder / kProgramFolder;
    if (!::CreateDirectoryW(programFolder.c_str(), nullptr) ||
        !::CopyFileW(recorder.c_str(), (programFolder + L"Tarnvel.exe").c_str(), FALSE))
    {
        m_error = L"the recording Tarnvel.exe could not be placed";
        return;
    }
    m_drive.reset(new enginetest::TestDrive(letter, m_folder.Path()));
    m_error = m_drive->Error();
}

bool RecorderDrive::PlaceStarter()
{
    return ::CopyFileW((testsupport::BuildFolder() + L"Starter.exe").c_str(), (m_folder / L"Starter.exe").c_str(),
                       FALSE) != FALSE;
}

std::vector<std::wstring> RecorderDrive::Starts() const
{
    const std::string bytes = testsupport::ReadFileBytes(m_folder / kProgramFolder + L"starts.txt");
    const std::wstring text(reinterpret_cast<const wchar_t *>(bytes.data()), bytes.size() / sizeof(wchar_t));
    std::vector<std::wstring> starts;
    for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        starts.push_back(text.substr(start, end - start));
    return starts;
}

StartedProgram::~StartedProgram()
{
    if (IsRunning())
    {
        ::TerminateProcess(m_process, 1);
        ::WaitForSingleObject(m_process, 10000);
    }
}

bool StartedProgram::Start(const std::wstring &path, const std::wstring &arguments, const std::wstring &folder)
{
    std::wstring commandLine = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    m_process.Attach(info.hProcess);
    m_id = info.dwProcessId;
    return true;
}

bool StartedProgram::EndsWithZero(DWORD timeoutMs)
{
    DWORD code = 1;
    return m_process.IsValid() && ::WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0 &&
           ::GetExitCodeProcess(m_process, &code) && code == 0;
}

bool StartedProgram::IsRunning() const
{
    return m_process.IsValid() && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> WindowsOf(LPCWSTR className, DWORD processId, bool visibleOnly)
{
    WindowSearch search{className, processId, visibleOnly, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SaveScreenPng(const std::wstring &path)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    bool saved = false;
    {
        testsupport::DibCanvas canvas(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), 0);
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screen, 0, 0, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
        saved = canvas.SavePng(path);
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

} // namespace traytest
