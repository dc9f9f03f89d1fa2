#include "tray/logic/StarterChoice.h"

#include <lmaccess.h>

#include "tray/logic/TrayMessages.h"
#include "tray/logic/TraySeams.h"

std::wstring StarterProgramFolder(const std::wstring &currentFolder)
{
    return currentFolder + (currentFolder.size() > 3 ? L"\\" : L"") + kProgramFolderName;
}

std::wstring StarterProgramPath(const std::wstring &currentFolder)
{
    return StarterProgramFolder(currentFolder) + L"\\Tarnvel.exe";
}

BOOL IsCurrentUserAdmin()
{
    wchar_t user[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH + 1;
    DWORD privilege = 0;
    if (::GetUserNameW(user, &size) && g_pfnLocalUserPrivilege(user, &privilege))
        return privilege == USER_PRIV_ADMIN;
    return g_pfnIsAdministratorsMember();
}

BOOL IsWindowsMajorVersion5()
{
    return g_pfnWindowsMajorVersion() == 5;
}

LPCWSTR ChooseStarterVerb(BOOL admin, BOOL windows5)
{
    return admin && !windows5 ? L"runas" : L"open";
}
