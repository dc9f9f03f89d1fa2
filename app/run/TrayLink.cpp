#include "app/run/TrayLink.h"

#include <shlobj.h>

#include "app/window/QordelDlg.h"
#include "tray/logic/TrayMessages.h"

namespace
{

const wchar_t kCommonFolderName[] = L"Tarnvel_PHRASEL\\";
const wchar_t kLanguageLibrary[] = L"Phrasel.dll";
const wchar_t *const kLanguageFolders[] = {L"ENU\\", L"ESN\\", L"FRC\\"};

CString SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)) ||
        path[0] == L'\0')
        return CString();
    CString folder(path);
    if (folder.Right(1) != L"\\")
        folder += L"\\";
    return folder;
}

bool IsFolder(const CString &path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const CString &path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

HWND FindTrayWindow()
{
    return ::FindWindowW(kTrayWindowClass, nullptr);
}

BOOL SendToTray(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND tray = FindTrayWindow();
    if (tray == nullptr)
        return FALSE;
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(tray, message, wParam, lParam, SMTO_ABORTIFHUNG, kTrayMessageTimeoutMs, &result);
    return TRUE;
}

BOOL SendTrayProgress(int percent)
{
    return SendToTray(WM_TRAY_PROGRESS, static_cast<WPARAM>(percent));
}

BOOL SendTrayHideBalloon()
{
    return SendToTray(WM_TRAY_HIDE_BALLOON, 100);
}

BOOL SendTrayRunStopped(UINT textId, DWORD error)
{
    return SendToTray(WM_TRAY_RUN_STOPPED, textId, static_cast<LPARAM>(error));
}

TrayDeployment DeployTrayAndLanguageFiles(const CString &programFolder)
{
    TrayDeployment deployment;
    const CString common = SpecialFolder(CSIDL_COMMON_APPDATA);
    if (common.IsEmpty())
        return deployment;
    deployment.commonFolder = common + kCommonFolderName;
    if (!IsFolder(deployment.commonFolder))
        ::SHCreateDirectoryExW(nullptr, deployment.commonFolder, nullptr);
    // The tray program reads the library of its language from the folder of that language.
    for (LPCWSTR language : kLanguageFolders)
    {
        const CString target = deployment.commonFolder + language;
        if (!IsFolder(target))
            ::CreateDirectoryW(target, nullptr);
        ::CopyFileW(programFolder + language + kLanguageLibrary, target + kLanguageLibrary, FALSE);
    }

    const CString startup = SpecialFolder(CSIDL_STARTUP);
    if (startup.IsEmpty())
        return deployment;
    deployment.startupCopy = startup + kTrayProgramName;
    const CString commonCopy = deployment.commonFolder + kTrayProgramName;
    ::CopyFileW(programFolder + kTrayProgramName, deployment.startupCopy, FALSE);
    ::CopyFileW(programFolder + kTrayProgramName, commonCopy, FALSE);
    const bool fromStartup = IsFile(deployment.startupCopy);
    deployment.started = fromStartup ? deployment.startupCopy : commonCopy;
    const CString folder = fromStartup ? startup : deployment.commonFolder;
    g_pfnMainShellExecute(nullptr, L"open", deployment.started, nullptr, folder, SW_SHOW);
    return deployment;
}
