#include "ui/markup/PPHtmlHyperlink.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "platform/system/Handles.h"

Seam<PFN_LINK_SHELL_EXECUTE> g_pfnLinkShellExecute{&::ShellExecuteW};
Seam<PFN_LINK_REG_QUERY_VALUE> g_pfnLinkRegQueryValue{&::RegQueryValueW};
Seam<PFN_LINK_CREATE_PROCESS> g_pfnLinkCreateProcess{&::CreateProcessW};

namespace
{

// Registry values are read into 260 bytes; a longer value counts as missing.
const LONG kValueBytes = 260;

bool ReadClassValue(const CString &strKey, CString &strValue)
{
    wchar_t buffer[kValueBytes / sizeof(wchar_t)] = {};
    LONG size = kValueBytes;
    if (g_pfnLinkRegQueryValue(HKEY_CLASSES_ROOT, strKey, buffer, &size) != ERROR_SUCCESS)
        return false;
    const LONG last = kValueBytes / static_cast<LONG>(sizeof(wchar_t)) - 1;
    buffer[std::clamp<LONG>(size / static_cast<LONG>(sizeof(wchar_t)), 0, last)] = L'\0';
    strValue = buffer;
    return true;
}

} // namespace

CString BuildHtmCommand(const CString &strCommand, const CString &strUrl)
{
    int cut = strCommand.Find(L"\"%1\"");
    if (cut < 0)
        cut = strCommand.Find(L"%1");
    CString command = cut < 0 ? strCommand : strCommand.Left(cut);
    command.TrimRight(L' ');
    command += L" ";
    command += strUrl;
    return command;
}

INT_PTR RunHyperlink(const CString &strUrl, int nShowMode)
{
    const INT_PTR shell =
        reinterpret_cast<INT_PTR>(g_pfnLinkShellExecute(nullptr, L"open", strUrl, nullptr, nullptr, nShowMode));
    if (shell > 32)
        return shell;

    CString fileClass;
    CString command;
    if (!ReadClassValue(L".htm", fileClass) || !ReadClassValue(fileClass + L"\\shell\\open\\command", command))
        return shell;

    // Started by the wide call: a path or URL outside the ANSI code page reaches the program unchanged.
    const CString line = BuildHtmCommand(command, strUrl);
    std::vector<wchar_t> buffer(line.GetString(), line.GetString() + line.GetLength() + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(nShowMode);
    PROCESS_INFORMATION process = {};
    if (!g_pfnLinkCreateProcess(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &process))
    {
        const DWORD error = ::GetLastError();
        return error != 0 && error <= 32 ? static_cast<INT_PTR>(error) : 0;
    }
    CKernelHandle thread(process.hThread);
    CKernelHandle started(process.hProcess);
    return 33;
}

CPPHandCursor::CPPHandCursor()
{
    Reload();
}

CPPHandCursor::~CPPHandCursor()
{
    Free();
}

void CPPHandCursor::Free()
{
    if (m_bOwned && m_hCursor != nullptr)
        ::DestroyCursor(m_hCursor);
    m_hCursor = nullptr;
    m_bOwned = false;
}

void CPPHandCursor::Reload()
{
    Free();
    m_hCursor = ::LoadCursorW(nullptr, IDC_HAND);
    if (m_hCursor != nullptr)
        return;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    CString path = folder;
    path.TrimRight(L'\\');
    path += L"\\winhlp32.exe";
    CModuleOwner help(::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!help.IsValid())
        return;
    HCURSOR cursor = ::LoadCursorW(help.Get(), MAKEINTRESOURCEW(106));
    if (cursor == nullptr)
        return;
    // The help program's cursor lives in its module, which is freed here: keep a copy.
    m_hCursor = static_cast<HCURSOR>(::CopyIcon(cursor));
    m_bOwned = m_hCursor != nullptr;
}
