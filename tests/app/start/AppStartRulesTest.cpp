// The rules of the program's start over answers the tests give, the end of the program after a full and an early
// start, and the single-instance block as a later start reads it.
#include <gtest/gtest.h>

#include <process.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/start/InstanceChecker.h"
#include "app/start/QordelObjects.h"
#include "app/start/QordelShutdown.h"
#include "app/start/QordelStartRules.h"
#include "platform/system/Handles.h"
#include "support/TestSupport.h"

inline void PrintTo(const CString &s, std::ostream *os)
{
    *os << '"' << CStringA(s).GetString() << '"';
}

namespace
{

struct CommandLineCase
{
    std::wstring commandLine;
    int mode;
    bool hidden;
};

TEST(AppStartRules, CommandLinesGiveTheStartModeAndTheHiddenStart)
{
    const std::wstring program = L"\"E:\\Tarnvel Program Files\\Tarnvel.exe\"";
    const std::wstring longWord(32000, L'x');
    const CommandLineCase cases[] = {
        {program, START_MODE_NONE, false},
        {L"", START_MODE_NONE, false},
        {program + L" --minimize -b", START_MODE_BACKUP, true},
        {program + L" --Select E:\\x\\;", START_MODE_NONE, false},
        {program + L" -s E:\\a\\; -c E:\\b\\;", START_MODE_CREATE, false},
        {program + L" --create E:\\x\\; --select E:\\y\\;", START_MODE_SELECT, false},
        {program + L"  --backup   ", START_MODE_BACKUP, false},
        {program + L" -i --install -u --uninstall --help /s", START_MODE_NONE, false},
        {program + L" " + longWord + L" --create " + longWord + L";", START_MODE_CREATE, false},
        {L"Tarnvel.exe\t-b", START_MODE_NONE, false},
    };
    for (const CommandLineCase &c : cases)
    {
        const StartCommand command = ParseStartCommandLine(c.commandLine.c_str());
        EXPECT_EQ(command.mode, c.mode) << CStringA(c.commandLine.substr(0, 80).c_str()).GetString();
        EXPECT_EQ(command.hidden, c.hidden) << CStringA(c.commandLine.substr(0, 80).c_str()).GetString();
    }
    EXPECT_EQ(ParseStartCommandLine(nullptr).mode, START_MODE_NONE);
}

TEST(AppStartRules, TheDataFolderLiesAtTheRootOfTheProgramsDrive)
{
    const DataPaths named = MakeDataPaths(L"E:\\Tarnvel Program Files\\", L"STUDY-PC");
    EXPECT_EQ(named.programDrive, CString(L"E:\\"));
    EXPECT_EQ(named.computerFolder, CString(L"E:\\Backup Data\\STUDY-PC"));
    EXPECT_EQ(named.dataFolder, CString(L"E:\\Backup Data\\STUDY-PC\\Velbrook Data Backup\\"));
    EXPECT_EQ(named.jobsXmlPath, CString(L"E:\\Backup Data\\STUDY-PC\\Velbrook Data Backup\\Zel.xml"));
    EXPECT_EQ(named.iniPath, CString(L"E:\\Backup Data\\STUDY-PC\\Velbrook Data Backup\\Zel.ini"));
    EXPECT_EQ(named.logPath, CString(L"E:\\Backup Data\\STUDY-PC\\Velbrook Data Backup\\Zel.log"));
    EXPECT_EQ(named.agentIniPath, CString(L"E:\\Backup Data\\STUDY-PC\\Velbrook Data Backup\\Login.ini"));

    for (LPCWSTR unreadable : {static_cast<LPCWSTR>(nullptr), L""})
    {
        const DataPaths unnamed = MakeDataPaths(L"F:\\Deep\\Tarnvel Program Files\\", unreadable);
        EXPECT_EQ(unnamed.computerName, CString(L"My Backup folder"));
        EXPECT_EQ(unnamed.dataFolder, CString(L"F:\\Backup Data\\My Backup folder\\Velbrook Data Backup\\"));
    }

    EXPECT_EQ(FolderOfPath(L"E:\\Tarnvel Program Files\\Tarnvel.exe"), CString(L"E:\\Tarnvel Program Files\\"));
    EXPECT_EQ(FolderOfPath(L"Tarnvel.exe"), CString());
}

TEST(AppStartRules, TheLanguageFolderIsTheSystemsLanguageWhenItIsThereElseEnglish)
{
    const CString program = L"E:\\Tarnvel Program Files\\";
    std::vector<CString> asked;
    auto only = [&asked](const CString &present) {
        return [&asked, present](const CString &path) {
            asked.push_back(path);
            return path.CompareNoCase(present) == 0;
        };
    };

    LanguageChoice german = ChooseLanguage(program, L"DEU", only(program + L"FRC\\Phrasel.dll"));
    EXPECT_EQ(german.language, CString(L"DEU"));
    EXPECT_EQ(german.languageFolder, program + L"ENU\\");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], program + L"DEU\\Phrasel.dll");

    LanguageChoice french = ChooseLanguage(program, L"FRC", only(program + L"FRC\\Phrasel.dll"));
    EXPECT_EQ(french.language, CString(L"FRC"));
    EXPECT_EQ(french.languageFolder, program + L"FRC\\");

    LanguageChoice lower = ChooseLanguage(program, L"esn", only(program + L"esn\\Phrasel.dll"));
    EXPECT_EQ(lower.language, CString(L"ESN"));
    EXPECT_EQ(lower.languageFolder, program + L"esn\\");

    asked.clear();
    LanguageChoice none = ChooseLanguage(program, nullptr, only(program + L"ENU\\Phrasel.dll"));
    EXPECT_EQ(none.language, CString());
    EXPECT_EQ(none.languageFolder, program + L"ENU\\");
    EXPECT_TRUE(asked.empty());
}

// What SHCreateDirectoryExW answers for the data folder on this platform, and whether the start goes on.
TEST(AppStartRules, TheDataFolderMustBeAFolderAfterItsCreation)
{
    struct Case
    {
        const char *what;
        std::vector<std::wstring> files; // made before, relative to the drive's folder
        std::vector<std::wstring> folders;
        bool usable;
    };
    const std::wstring data = L"Backup Data\\PC\\Velbrook Data Backup";
    const Case cases[] = {
        {"nothing there yet", {}, {}, true},
        {"the folder already there", {}, {L"Backup Data", L"Backup Data\\PC", data}, true},
        {"a file named Backup Data", {L"Backup Data"}, {}, false},
        {"a file in the data folder's place", {data}, {L"Backup Data", L"Backup Data\\PC"}, false},
    };
    for (const Case &c : cases)
    {
        testsupport::TempFolder drive;
        for (const std::wstring &folder : c.folders)
            ASSERT_TRUE(CreateDirectoryW((drive / folder).c_str(), nullptr)) << c.what;
        for (const std::wstring &file : c.files)
            ASSERT_TRUE(testsupport::WriteFileBytes(drive / file, "x")) << c.what;
        const std::wstring folder = drive / data;
        const int created = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        EXPECT_EQ(IsDataFolderUsable(created, GetFileAttributesW(folder.c_str())), c.usable)
            << c.what << " (result " << created << ")";
    }
}

// The end of the program with its platform calls recorded.
class AppStartRulesShutdown : public ::testing::Test
{
  protected:
    static std::vector<std::string> &Calls()
    {
        static std::vector<std::string> calls;
        return calls;
    }
    static void UninitializeCom()
    {
        Calls().push_back("CoUninitialize");
    }
    static void FreeLanguageLibrary(HMODULE module)
    {
        Calls().push_back(module == kLibrary ? "FreeLibrary" : "FreeLibrary of another module");
    }
    static void FreeSkinImages()
    {
        Calls().push_back("FreeSkinImages");
    }
    static void ShutdownGdiplus(ULONG_PTR token)
    {
        Calls().push_back(token == kToken ? "GdiplusShutdown" : "GdiplusShutdown with another token");
    }

    void SetUp() override
    {
        Calls().clear();
    }

    static inline const HMODULE kLibrary = reinterpret_cast<HMODULE>(0x10000);
    static constexpr ULONG_PTR kToken = 77;
    SeamOverride<ShutdownCalls> m_calls{
        g_shutdownCalls, ShutdownCalls{&UninitializeCom, &FreeLanguageLibrary, &FreeSkinImages, &ShutdownGdiplus}};
    CEvent m_stop{FALSE, FALSE};
    std::function<void()> m_deleteDialog = [] { Calls().push_back("delete the main dialog"); };
};

TEST_F(AppStartRulesShutdown, AFullStartIsUndoneInOrder)
{
    StartedParts parts;
    parts.com = true;
    parts.gdiplusToken = kToken;
    parts.languageLibrary = kLibrary;
    parts.skinImages = true;
    EndStartedParts(parts, m_stop, m_deleteDialog);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"delete the main dialog", "CoUninitialize", "FreeLibrary",
                                                 "FreeSkinImages", "GdiplusShutdown"}));
    EXPECT_EQ(WaitForSingleObject(m_stop.m_hObject, 0), WAIT_OBJECT_0);

    // A second end finds nothing left to undo.
    Calls().clear();
    EndStartedParts(parts, m_stop, nullptr);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(AppStartRulesShutdown, AnEarlyEndUndoesNothingItDidNotStart)
{
    // A second instance ends before COM and GDI+: nothing is ended.
    StartedParts second;
    EndStartedParts(second, m_stop, nullptr);
    EXPECT_TRUE(Calls().empty());

    // COM started, GDI+ refused, no language library: only COM ends.
    StartedParts partial;
    partial.com = true;
    EndStartedParts(partial, m_stop, m_deleteDialog);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"delete the main dialog", "CoUninitialize"}));
}

struct WatchRound
{
    HANDLE stop;
    DWORD roundMs;
    std::atomic<bool> ended{false};
};

unsigned __stdcall HeldWatchRound(void *argument)
{
    auto *round = static_cast<WatchRound *>(argument);
    // A round walks the jobs without looking at the stop event; the event is seen at the wait between rounds.
    Sleep(round->roundMs);
    WaitForSingleObject(round->stop, INFINITE);
    round->ended = true;
    return 0;
}

TEST_F(AppStartRulesShutdown, TheMainDialogGoesOnlyAfterTheWatchThreadsRound)
{
    WatchRound round;
    round.stop = m_stop.m_hObject;
    round.roundMs = 2000;
    StartedParts parts;
    parts.watchThread.Attach(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &HeldWatchRound, &round, 0, nullptr)));
    ASSERT_TRUE(parts.watchThread.IsValid());

    bool endedFirst = false;
    const DWORD start = GetTickCount();
    EndStartedParts(parts, m_stop, [&] { endedFirst = round.ended; });
    EXPECT_TRUE(endedFirst);
    EXPECT_GE(GetTickCount() - start, 1900u);
    EXPECT_FALSE(parts.watchThread.IsValid());
}

TEST_F(AppStartRulesShutdown, AWatchThreadThatDoesNotEndHoldsTheEndOnlyForItsTime)
{
    CEvent never{FALSE, TRUE};
    WatchRound round;
    round.stop = never.m_hObject;
    round.roundMs = 0;
    StartedParts parts;
    parts.watchThread.Attach(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &HeldWatchRound, &round, 0, nullptr)));
    const DWORD start = GetTickCount();
    EndStartedParts(parts, m_stop, m_deleteDialog, 300);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(Calls(), std::vector<std::string>{"delete the main dialog"});
    never.SetEvent();
}

// The single-instance block as a later start finds it.
class AppStartRulesInstanceBlock : public ::testing::Test
{
  protected:
    // Makes the block as a first instance would, holding value.
    bool MakeBlock(LONG value)
    {
        m_block.Attach(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                          CInstanceChecker::GetMMFFilename()));
        if (!m_block.IsValid())
            return false;
        CMappedView view(MapViewOfFile(m_block, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
        if (!view.IsValid())
            return false;
        *static_cast<LONG *>(view.Get()) = value;
        return true;
    }

    CKernelHandle m_block;
};

TEST_F(AppStartRulesInstanceBlock, WithoutABlockTheStartIsTheFirst)
{
    CInstanceChecker checker;
    EXPECT_FALSE(checker.PreviousInstanceRunning());
    EXPECT_EQ(checker.ActivatePreviousInstance(TRUE), nullptr);
}

TEST_F(AppStartRulesInstanceBlock, ABlockHoldingZeroGivesNoWindow)
{
    ASSERT_TRUE(MakeBlock(0));
    CInstanceChecker checker;
    EXPECT_TRUE(checker.PreviousInstanceRunning());
    EXPECT_EQ(checker.ActivatePreviousInstance(TRUE), nullptr);
    // The block's handle was given up: asked again, there is nothing to activate.
    EXPECT_EQ(checker.ActivatePreviousInstance(TRUE), nullptr);
}

TEST_F(AppStartRulesInstanceBlock, ABlockHoldingAWindowGivesThatWindow)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"first", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(MakeBlock(HandleToLong(window)));
    CInstanceChecker checker;
    EXPECT_TRUE(checker.PreviousInstanceRunning());
    EXPECT_EQ(checker.ActivatePreviousInstance(FALSE), window);
    DestroyWindow(window);
}

TEST_F(AppStartRulesInstanceBlock, TheFirstToTrackBecomesFirstAndPublishesItsMainWindow)
{
    CInstanceChecker first;
    EXPECT_TRUE(first.TrackFirstInstanceRunning());
    CInstanceChecker later;
    EXPECT_FALSE(later.TrackFirstInstanceRunning());
    EXPECT_TRUE(later.PreviousInstanceRunning());
    // The test program has no main window: the block holds 0, and a later start activates nothing.
    EXPECT_EQ(later.ActivatePreviousInstance(TRUE), nullptr);
    // When the first instance ends, its block goes with it.
    g_hFirstInstanceMapping.Close();
    CInstanceChecker next;
    EXPECT_FALSE(next.PreviousInstanceRunning());
}

} // namespace
