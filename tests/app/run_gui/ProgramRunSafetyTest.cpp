// "Tarnvel.exe --backup" from a drive E:, as the tray program starts it when the drive arrives, in the ways a user
// and a script meet it: many starts at once, a run that finishes with or without copy errors, a drive that cannot
// be written, and a source that holds the program's own drive. Each start ends by itself, with an exit code that
// says how it went. Documents lie in a folder of their own under C:\ (the prefix's shell folders are links to the
// host, which a backup passes over).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/support/AppTestSupport.h"
#include "app/support/RunRoadTestSupport.h"
#include "engine/support/EngineTestSupport.h"
#include "outside/Phrasel/PhraselIds.h"
#include "support/HostLink.h"

namespace
{

const wchar_t kSample[] = L"C:\\Tarnvel run safety\\";
const DWORD kRunMs = 120000;

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? std::wstring(path) + L"\\" : L"";
}

bool EndsWith(const std::wstring &text, const std::wstring &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int CountEndingWith(const std::vector<std::wstring> &lines, const std::wstring &end)
{
    int count = 0;
    for (const std::wstring &line : lines)
        count += EndsWith(line, end) ? 1 : 0;
    return count;
}

// The folders below folder (with its trailing backslash) named name, at any depth.
void FindFolders(const std::wstring &folder, const std::wstring &name, std::vector<std::wstring> &found)
{
    WIN32_FIND_DATAW entry;
    CFindHandle listing(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (!listing.IsValid())
        return;
    do
    {
        const std::wstring entryName = entry.cFileName;
        if (entryName == L"." || entryName == L".." || !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (_wcsicmp(entryName.c_str(), name.c_str()) == 0)
            found.push_back(folder + entryName);
        FindFolders(folder + entryName + L"\\", name, found);
    } while (::FindNextFileW(listing, &entry));
}

class ProgramRunSafety : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(m_drive.Error(), L"") << "drive E:";
        ASSERT_TRUE(apptest::MainWindows().empty()) << "a main window of another start is still open";
        testsupport::RemoveTree(kSample);
        ASSERT_TRUE(::CreateDirectoryW(kSample, nullptr));
        ASSERT_TRUE(testsupport::WriteFileBytes(std::wstring(kSample) + L"Report.txt", "A report.\r\n"));
        ASSERT_TRUE(testsupport::WriteFileBytes(std::wstring(kSample) + L"Picture.png", "\x89PNG\r\n\x1a\n"));
        m_startupCopy = SpecialFolder(CSIDL_STARTUP) + L"Tarnvel_Tray.exe";
        m_common = SpecialFolder(CSIDL_COMMON_APPDATA) + L"Tarnvel_PHRASEL\\";
        m_commonExisted = ::GetFileAttributesW(m_common.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void TearDown() override
    {
        if (m_readOnly)
            SetDriveWritable(true);
        // The tray program that a finished backup started ends at once, as it finds the tray window of the test.
        EXPECT_EQ(runtest::EndTrayPrograms(20000), 0) << "the started tray program did not end";
        m_locked.reset();
        testsupport::RemoveTree(kSample);
        ::DeleteFileW(m_startupCopy.c_str());
        if (!m_commonExisted)
            testsupport::RemoveTree(m_common);
    }

    // The drive's folder made read-only (or writable again) on the host, as a write-protected stick is.
    void SetDriveWritable(bool writable)
    {
        const std::wstring host = testsupport::HostPath(m_drive.Folder());
        ASSERT_FALSE(host.empty());
        ASSERT_TRUE(testsupport::StartHostProgram(L"Z:\\bin\\chmod", (writable ? L"u+w \"" : L"a-w \"") + host + L"\""));
        const std::wstring probe = m_drive.Folder() + L"probe";
        for (int i = 0; i < 250; ++i)
        {
            const bool made = ::CreateDirectoryW(probe.c_str(), nullptr) != FALSE;
            if (made)
                ::RemoveDirectoryW(probe.c_str());
            if (made == writable)
                break;
            ::Sleep(20);
        }
        m_readOnly = !writable;
    }

    std::wstring Destination() const
    {
        return m_drive.Folder() + L"Backup Data\\" + apptest::ComputerName() + L"\\";
    }
    std::vector<std::wstring> JobLog() const
    {
        return apptest::LogLines(m_drive.DataFolder() + apptest::ComputerName() + L".log");
    }

    apptest::ProgramDrive m_drive{apptest::ProgramCopy::Whole, apptest::DrivePlace::OffSystemDrive};
    // The tray program's window: the copy that a finished backup deploys and starts finds it and ends at once.
    runtest::RecordingTray m_tray;
    std::unique_ptr<enginetest::LockedFile> m_locked;
    bool m_readOnly = false;
    std::wstring m_startupCopy;
    std::wstring m_common;
    bool m_commonExisted = false;
};

// How a one-shot start went, and its exit code.
struct EndCase
{
    const char *name;
    void (*arrange)(ProgramRunSafety &);
    DWORD code;
};

class ProgramRunSafetyEnds : public ProgramRunSafety, public testing::WithParamInterface<EndCase>
{
  public:
    using ProgramRunSafety::SetDriveWritable;
    void Lock(const std::wstring &name)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(std::wstring(kSample) + name, "held open"));
        m_locked = std::make_unique<enginetest::LockedFile>(std::wstring(kSample) + name);
        ASSERT_TRUE(m_locked->IsLocked());
    }
};

void PrintTo(const EndCase &c, std::ostream *os)
{
    *os << c.name;
}

const EndCase kEnds[] = {
    {"AFinishedRunEndsWithZero", [](ProgramRunSafety &) {}, 0},
    {"ARunWithCopyErrorsEndsWithOne",
     [](ProgramRunSafety &t) { static_cast<ProgramRunSafetyEnds &>(t).Lock(L"Locked.txt"); }, 1},
    {"AReadOnlyDriveEndsWithThree",
     [](ProgramRunSafety &t) { static_cast<ProgramRunSafetyEnds &>(t).SetDriveWritable(false); }, 3},
};

TEST_P(ProgramRunSafetyEnds, TheStartEndsByItselfWithItsCode)
{
    const EndCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(c.arrange(*this));
    apptest::StartedProgram program;
    ASSERT_TRUE(program.Start(m_drive.ProgramPath(), L"--backup"));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(kRunMs, code)) << "the program did not end by itself";
    EXPECT_EQ(code, c.code);
    EXPECT_TRUE(apptest::MainWindows().empty());

    const std::vector<std::wstring> log = JobLog();
    if (c.code == 3)
    {
        // Nothing could be kept on the drive: the tray program's balloon says why.
        EXPECT_EQ(::GetFileAttributesW((m_drive.Folder() + L"Backup Data").c_str()), INVALID_FILE_ATTRIBUTES);
        bool told = false;
        for (const auto &sent : m_tray.Messages())
            told = told || sent == std::make_pair(2183u, WPARAM(IDS_START_NO_DATA_FOLDER));
        EXPECT_TRUE(told) << "the tray program was not told";
        return;
    }
    EXPECT_EQ(CountEndingWith(log, L" The backup ended."), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination() + L"C\\Tarnvel run safety\\Report.txt"), "A report.\r\n");
    if (c.code == 1)
    {
        int named = 0;
        for (const std::wstring &line : log)
            named += line.find(std::wstring(kSample) + L"Locked.txt") != std::wstring::npos ? 1 : 0;
        EXPECT_GE(named, 1) << "the log does not name the file it could not copy";
    }
}

INSTANTIATE_TEST_SUITE_P(ProgramRunSafety, ProgramRunSafetyEnds, testing::ValuesIn(kEnds),
                         [](const testing::TestParamInfo<EndCase> &param) { return std::string(param.param.name); });

TEST_F(ProgramRunSafety, TenStartsWithinASecondRunOneBackup)
{
    // Made first and let go together: the ten starts begin within a few milliseconds of one another.
    std::vector<std::unique_ptr<apptest::StartedProgram>> starts;
    for (int i = 0; i < 10; ++i)
    {
        starts.push_back(std::make_unique<apptest::StartedProgram>());
        ASSERT_TRUE(starts.back()->Start(m_drive.ProgramPath(), L"--backup", true));
    }
    const DWORD begun = ::GetTickCount();
    for (auto &start : starts)
        ASSERT_TRUE(start->Resume());
    EXPECT_LT(::GetTickCount() - begun, 1000u) << "the starts took longer than a second";
    for (auto &start : starts)
    {
        DWORD code = 99;
        ASSERT_TRUE(start->WaitForExit(kRunMs, code)) << "a start did not end by itself";
        EXPECT_EQ(code, 0u);
    }
    EXPECT_TRUE(apptest::MainWindows().empty());
    const std::vector<std::wstring> log = JobLog();
    EXPECT_EQ(CountEndingWith(log, L" The backup started."), 1);
    EXPECT_EQ(CountEndingWith(log, L" The backup ended."), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination() + L"C\\Tarnvel run safety\\Report.txt"), "A report.\r\n");
}

TEST_F(ProgramRunSafety, ASourceThatHoldsTheProgramsDriveBacksUpTwiceWithoutNesting)
{
    // The default filter set chooses the program's whole drive, as the system drive is the one-click job's source
    // when the program lies on it.
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, m_drive.DataFolder().c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(testsupport::WriteFileBytes(
        m_drive.DataFolder() + L"BasicFilter.xml",
        "<?xml version='1.0' encoding='utf-8'?>\n<filters>"
        "<filter name=\"Documents\" selected=\"True\"><filter name=\"Text\" selected=\"True\"><configuration "
        "val=\"txt\" type=\"0\" description=\"Text\" selected=\"True\"/></filter></filter>"
        "<filter name=\"Drives\" selected=\"True\"><filter name=\"Program drive\" selected=\"True\"><configuration "
        "val=\"E:\\\" type=\"1\" description=\"E:\" selected=\"True\"/></filter></filter>"
        "<filter name=\"Email\" selected=\"False\"/><filter name=\"Internet\" selected=\"False\"/></filters>\n"));
    for (int run = 1; run <= 2; ++run)
    {
        SCOPED_TRACE(run);
        apptest::StartedProgram program;
        ASSERT_TRUE(program.Start(m_drive.ProgramPath(), L"--backup"));
        DWORD code = 99;
        ASSERT_TRUE(program.WaitForExit(kRunMs, code)) << "the program did not end by itself";
        EXPECT_EQ(code, 0u);
        std::vector<std::wstring> nested;
        FindFolders(Destination(), L"Backup Data", nested);
        EXPECT_TRUE(nested.empty()) << "the backup holds itself: " << CStringA(nested.front().c_str()).GetString();
        // The program's folder is backed up as any other folder of the drive.
        std::vector<std::wstring> programFolders;
        FindFolders(Destination(), L"Tarnvel Program Files", programFolders);
        EXPECT_EQ(programFolders.size(), 1u);
        const std::wstring skipped = L"E:\\Backup Data\\" + apptest::ComputerName();
        EXPECT_EQ(CountEndingWith(JobLog(), L" The folder " + skipped +
                                                L" holds this job's backup or the program's own files; it is not "
                                                L"backed up into itself."),
                  run);
    }
}

} // namespace
