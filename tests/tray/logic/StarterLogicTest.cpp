// The starter's program path below the folder it runs in, and its verb, with injected answers about the user
// and the platform (under Wine every user is a local non-administrator and "runas" acts as "open").
#include <gtest/gtest.h>

#include <windows.h>
#include <lmaccess.h>

#include <string>

#include "tray/logic/StarterChoice.h"
#include "tray/logic/TraySeams.h"

namespace
{

// The local computer's privilege level of the user (-1: unknown there), the membership of Administrators and the
// platform's major version.
int g_privilege = -1;
BOOL g_member = FALSE;
DWORD g_major = 6;

BOOL InjectedPrivilege(LPCWSTR, DWORD *privilege)
{
    if (g_privilege < 0)
        return FALSE;
    *privilege = static_cast<DWORD>(g_privilege);
    return TRUE;
}

BOOL InjectedMembership()
{
    return g_member;
}

DWORD InjectedMajorVersion()
{
    return g_major;
}

} // namespace

TEST(StarterLogic, TheProgramLiesBelowTheFolderItRunsIn)
{
    EXPECT_EQ(StarterProgramPath(L"E:\\"), L"E:\\Tarnvel Program Files\\Tarnvel.exe");
    EXPECT_EQ(StarterProgramFolder(L"E:\\"), L"E:\\Tarnvel Program Files");
    EXPECT_EQ(StarterProgramPath(L"E:\\Backup"), L"E:\\Backup\\Tarnvel Program Files\\Tarnvel.exe");
    EXPECT_EQ(StarterProgramFolder(L"E:\\Backup"), L"E:\\Backup\\Tarnvel Program Files");
}

TEST(StarterLogic, OnlyAnAdministratorOutsideNt5AsksForElevation)
{
    SeamOverride<PFN_LOCAL_USER_PRIVILEGE> privilege(g_pfnLocalUserPrivilege, &InjectedPrivilege);
    SeamOverride<PFN_IS_ADMINISTRATOR_MEMBER> member(g_pfnIsAdministratorsMember, &InjectedMembership);
    SeamOverride<PFN_WINDOWS_MAJOR_VERSION> version(g_pfnWindowsMajorVersion, &InjectedMajorVersion);
    const struct
    {
        const char *name;
        int privilege;
        BOOL member;
        DWORD major;
        std::wstring verb;
    } cases[] = {
        {"administrator on NT 5", USER_PRIV_ADMIN, TRUE, 5, L"open"},
        {"administrator on NT 6", USER_PRIV_ADMIN, TRUE, 6, L"runas"},
        {"administrator on NT 10", USER_PRIV_ADMIN, TRUE, 10, L"runas"},
        {"user on NT 6", USER_PRIV_USER, FALSE, 6, L"open"},
        {"guest on NT 6", USER_PRIV_GUEST, FALSE, 6, L"open"},
        // A local user's own privilege level counts, whatever groups the user is in.
        {"local user in Administrators", USER_PRIV_USER, TRUE, 6, L"open"},
        // The local computer does not know the user (a domain account): membership of Administrators decides.
        {"unknown user, administrator", -1, TRUE, 6, L"runas"},
        {"unknown user, no administrator", -1, FALSE, 6, L"open"},
        {"unknown user, administrator on NT 5", -1, TRUE, 5, L"open"},
    };
    for (const auto &c : cases)
    {
        g_privilege = c.privilege;
        g_member = c.member;
        g_major = c.major;
        EXPECT_EQ(std::wstring(ChooseStarterVerb(IsCurrentUserAdmin(), IsWindowsMajorVersion5())), c.verb) << c.name;
    }
}
