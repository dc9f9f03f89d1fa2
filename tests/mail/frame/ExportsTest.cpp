// The exports as a caller meets them: COM balance of Init and Term, the two version tests, the export
// table of Postrel.dll, path buffers that are one unit short, and bad arguments.
#include "mail/Postrel.h"

#include <gtest/gtest.h>

#include "mail/frame/SystemVersion.h"
#include "mail/frame/Trace.h"
#include "mail/support/MailTestSupport.h"
#include "platform/system/Handles.h"

using PostrelFrame = mailtest::MailStoreTest;
using mailtest::OnNewThread;

namespace
{

struct ComBalance
{
    BOOL first = -1, second = -1;
    HRESULT afterTerms = E_FAIL;
};

void InitTwiceTermTwice(void *context)
{
    ComBalance &seen = *static_cast<ComBalance *>(context);
    seen.first = Init();
    seen.second = Init();
    Term();
    Term();
    // COM is fully ended: starting it again is new.
    seen.afterTerms = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(seen.afterTerms))
        ::CoUninitialize();
}

struct CallerCom
{
    BOOL init = -1;
    HRESULT stillRunning = E_FAIL;
    APTTYPE apartment = APTTYPE_CURRENT;
};

void MultiThreadedCaller(void *context)
{
    CallerCom &seen = *static_cast<CallerCom *>(context);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return;
    seen.init = Init(); // another apartment: fails
    Term();
    Term(); // unbalanced: does nothing either
    APTTYPEQUALIFIER qualifier;
    if (FAILED(::CoGetApartmentType(&seen.apartment, &qualifier)))
        seen.apartment = APTTYPE_CURRENT;
    seen.stillRunning = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(seen.stillRunning))
        ::CoUninitialize();
    ::CoUninitialize();
}

// Init and Term of the loaded library on a thread of their own, which then ends.
struct LibraryCom
{
    HMODULE library;
    BOOL init = -1;
    HRESULT afterTerm = E_FAIL;
};

void InitAndTermThroughTheLibrary(void *context)
{
    LibraryCom &seen = *static_cast<LibraryCom *>(context);
    using InitFn = BOOL (*)();
    using TermFn = void (*)();
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void *>(::GetProcAddress(seen.library, "Init")));
    auto term = reinterpret_cast<TermFn>(reinterpret_cast<void *>(::GetProcAddress(seen.library, "Term")));
    if (init == nullptr || term == nullptr)
        return;
    seen.init = init();
    term();
    seen.afterTerm = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(seen.afterTerm))
        ::CoUninitialize();
}

OSVERSIONINFOEXW g_version;

BOOL WINAPI ScriptedVersion(LPOSVERSIONINFOW version)
{
    memcpy(static_cast<void *>(version), &g_version, sizeof(g_version));
    return TRUE;
}

} // namespace

TEST_F(PostrelFrame, InitAndTermKeepCOMBalanced)
{
    ComBalance seen;
    OnNewThread(&InitTwiceTermTwice, &seen);
    EXPECT_EQ(1, seen.first);
    EXPECT_EQ(0, seen.second);
    EXPECT_EQ(S_OK, seen.afterTerms);
}

TEST_F(PostrelFrame, TermLeavesAMultiThreadedCallersCOMAlone)
{
    CallerCom seen;
    OnNewThread(&MultiThreadedCaller, &seen);
    EXPECT_EQ(0, seen.init);
    EXPECT_EQ(APTTYPE_MTA, seen.apartment);
    EXPECT_EQ(S_FALSE, seen.stillRunning) << "COM still runs on the caller's thread";
}

TEST_F(PostrelFrame, VersionTestsFollowTheVersionRecord)
{
    struct VersionCase
    {
        DWORD platform, major, minor;
        BOOL windowsMail, outlookExpress;
    };
    const VersionCase cases[] = {
        {VER_PLATFORM_WIN32_NT, 6, 0, 1, 0},      // Vista
        {VER_PLATFORM_WIN32_NT, 5, 1, 0, 1},      // XP
        {VER_PLATFORM_WIN32_NT, 6, 1, 0, 0},      // 7
        {VER_PLATFORM_WIN32_NT, 10, 0, 0, 0},     // 10
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0, 1} // 98
    };
    SeamOverride version(g_pfnGetVersionEx, &ScriptedVersion);
    for (const VersionCase &c : cases)
    {
        g_version = OSVERSIONINFOEXW();
        g_version.dwOSVersionInfoSize = sizeof(g_version);
        g_version.dwPlatformId = c.platform;
        g_version.dwMajorVersion = c.major;
        g_version.dwMinorVersion = c.minor;
        EXPECT_EQ(c.windowsMail, HasInstalledWindowsMail()) << c.major << "." << c.minor;
        EXPECT_EQ(c.outlookExpress, HasInstalledOutlookExpress()) << c.major << "." << c.minor;
    }
}

TEST_F(PostrelFrame, VersionTestsUnderWine)
{
    // Wine reports Windows 7 (NT 6.1): neither mail program.
    EXPECT_EQ(0, HasInstalledWindowsMail());
    EXPECT_EQ(0, HasInstalledOutlookExpress());
}

TEST_F(PostrelFrame, TheLibraryExportsItsFunctionsByNameAndOrdinal)
{
    CModuleOwner library(::LoadLibraryW(L"Postrel.dll"));
    ASSERT_TRUE(library.IsValid()) << ::GetLastError();
    const struct
    {
        const char *name;
        WORD ordinal;
    } exports[] = {{"BackupAddress", 1},
                   {"BackupContact", 2},
                   {"BackupWinMail", 3},
                   {"ConfigurateDebug", 4},
                   {"GetWinMailCatalog", 5},
                   {"GetWinMailDirectory", 6},
                   {"HasInstalledOutlookExpress", 7},
                   {"HasInstalledWindowsMail", 8},
                   {"Init", 9},
                   {"RestoreAddress", 10},
                   {"RestoreContact", 11},
                   {"RestoreWinMail", 12},
                   {"SyncWinMail", 13},
                   {"Term", 14}};
    for (const auto &entry : exports)
    {
        FARPROC byName = ::GetProcAddress(library, entry.name);
        EXPECT_NE(nullptr, byName) << entry.name;
        EXPECT_EQ(byName, ::GetProcAddress(library, MAKEINTRESOURCEA(entry.ordinal))) << entry.name;
    }
    EXPECT_EQ(nullptr, ::GetProcAddress(library, MAKEINTRESOURCEA(15)));

    // The library answers through its table like the static one.
    using Answer = BOOL (*)();
    auto windowsMail =
        reinterpret_cast<Answer>(reinterpret_cast<void *>(::GetProcAddress(library, MAKEINTRESOURCEA(8))));
    ASSERT_NE(nullptr, windowsMail);
    EXPECT_EQ(0, windowsMail());
    LibraryCom com;
    com.library = library;
    OnNewThread(&InitAndTermThroughTheLibrary, &com);
    EXPECT_EQ(1, com.init);
    EXPECT_EQ(S_OK, com.afterTerm);
}

TEST_F(PostrelFrame, ACompletedPathOneUnitTooLongIsNotWritten)
{
    ASSERT_NE(0xFFFFFFFFu, storestandin::AddFolder(0, "Inbox", 0));
    const std::wstring given = m_temp / L"mail.bak", completed = m_temp / L"mail.dat";
    const wchar_t *names[] = {L"Inbox"};
    const int exact = static_cast<int>(completed.size()) + 1;

    // One unit short: the guard units after the buffer stay, nothing is written anywhere.
    std::vector<wchar_t> buffer(exact + 2, L'#');
    wcscpy(buffer.data(), given.c_str());
    EXPECT_EQ(0, BackupWinMail(buffer.data(), exact - 1, names, 1));
    EXPECT_EQ(given, std::wstring(buffer.data()));
    EXPECT_EQ(L'#', buffer[exact]);
    EXPECT_EQ(L'#', buffer[exact + 1]);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(completed.c_str()));

    // Room for the terminator: the path comes back completed.
    EXPECT_EQ(1, BackupWinMail(buffer.data(), exact, names, 1));
    EXPECT_EQ(completed, std::wstring(buffer.data()));
    EXPECT_EQ(L'#', buffer[exact]);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(completed.c_str()));
}

TEST_F(PostrelFrame, TheStoreDirectoryIsCopiedOnlyWhenItFits)
{
    const std::wstring directory = Store();
    const int needed = static_cast<int>(directory.size()) + 1;
    EXPECT_EQ(needed, GetWinMailDirectory(nullptr, 0));

    std::vector<wchar_t> buffer(needed + 1, L'#');
    EXPECT_EQ(needed, GetWinMailDirectory(buffer.data(), needed - 1));
    EXPECT_EQ(std::wstring(needed + 1, L'#'), std::wstring(buffer.data(), buffer.size()));
    EXPECT_EQ(needed, GetWinMailDirectory(buffer.data(), needed));
    EXPECT_EQ(directory, std::wstring(buffer.data()));
    EXPECT_EQ(L'#', buffer[needed]);
}

TEST_F(PostrelFrame, BadArgumentsFailAndAreTraced)
{
    StartTrace();
    wchar_t path[MAX_PATH] = L"";
    wcscpy(path, (m_temp / L"mail.dat").c_str());
    const wchar_t *names[] = {L"Inbox", nullptr};
    wchar_t directory[8];
    EXPECT_EQ(0, BackupWinMail(nullptr, MAX_PATH, names, 1));
    EXPECT_EQ(0, BackupWinMail(path, 0, names, 1));
    EXPECT_EQ(0, BackupWinMail(path, MAX_PATH, nullptr, 1));
    EXPECT_EQ(0, BackupWinMail(path, MAX_PATH, names, 2));
    EXPECT_EQ(0, RestoreWinMail(nullptr, names, 1));
    EXPECT_EQ(0, RestoreWinMail(path, nullptr, 1));
    EXPECT_EQ(0, SyncWinMail(nullptr, names, 1));
    EXPECT_EQ(0, SyncWinMail(std::wstring(MAX_PATH, L'x').c_str(), names, 1));
    EXPECT_EQ(0, GetWinMailCatalog(nullptr, nullptr));
    EXPECT_EQ(0, GetWinMailDirectory(directory, 0));
    EXPECT_EQ(0u, ConfigurateDebug(nullptr, POSTREL_TRACE));
    EXPECT_EQ(0, BackupAddress(nullptr, MAX_PATH));
    EXPECT_EQ(0, BackupAddress(path, 0));
    EXPECT_EQ(0, RestoreAddress(nullptr));
    EXPECT_EQ(0, RestoreContact(nullptr));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(path));
    EXPECT_EQ(15u, TraceLines().size());
    // Names with a count of 0 keep the library's answers: a restore of nothing is done.
    EXPECT_EQ(1, RestoreWinMail(path, nullptr, 0));
}
