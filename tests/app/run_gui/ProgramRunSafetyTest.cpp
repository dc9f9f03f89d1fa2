// "Tarnvel.exe --backup" from a drive E:, as the tray program starts it when the drive arrives: many starts at once,
// copy errors, a drive that cannot be written, a source that holds the program's own drive. Every start ends by
// itself, with an exit code that says how it went. Documents lie in a folder of their own under C:\ (the prefix's
// shell folders are links to the host, which a backup passes over).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>

#include "app/support/AppTestSupport.h"
#include "app/support/RunRoadTestSupport.h"
#include "support/HostLink.h"

namespace
{

const wchar_t kSample[] = L"C:\\Tarnvel run safety\\";

int CountEndingWith(const std::vector<std::wstring> &lines, const std::wstring &end)
{
    int count = 0;
    for (const std::wstring &line : lines)
        count += line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
    return count;
}

// The folders named name below folder (with its trailing backslash), at any depth.
int CountFolders(const std::wstring &folder, const std::wstring &name)
{
    int count = 0;
    WIN32_FIND_DATAW entry;
    CFindHandle listing(::FindFirstFileW((folder + L"*").c_str(), &entry));
    while (listing.IsValid())
    {
        const std::wstring found = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found != L"." && found != L"..")
            count += (_wcsicmp(found.c_str(), name.c_str()) == 0) + CountFolders(folder + found + L"\\", name);
        if (!::FindNextFileW(listing, &entry))
            break;
    }
    return count;
}

struct SafetyCase;

class ProgramRunSafety : public ::testing::Test, public testing::WithParamInterface<SafetyCase>
{
  public:
    void TearDown() override
    {
        if (m_writeProtected)
        {
            EXPECT_TRUE(SetWritable(true));
        }
        // The tray program that a finished backup started ends at once, as it finds the tray window of the test.
        EXPECT_EQ(runtest::EndTrayPrograms(20000), 0) << "the started tray program did not end";
        m_locked.reset();
        testsupport::RemoveTree(kSample);
        wchar_t startup[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, 0, startup)))
            ::DeleteFileW((std::wstring(startup) + L"\\Tarnvel_Tray.exe").c_str());
    }
    // A file of the sample that another program holds open.
    void Lock()
    {
        m_locked = std::make_unique<enginetest::LockedFile>(std::wstring(kSample) + L"Report.txt");
        ASSERT_TRUE(m_locked->IsLocked());
    }
    // The drive's folder made read-only on the host, as a write-protected stick is.
    void WriteProtect()
    {
        ASSERT_TRUE(SetWritable(false));
    }
    // Changes the drive folder's write permission on the host; true once Wine sees the change.
    bool SetWritable(bool writable)
    {
        m_writeProtected = !writable;
        const std::wstring host = testsupport::HostPath(m_drive.Folder());
        if (!testsupport::StartHostProgram(L"Z:\\bin\\chmod", (writable ? L"u+w \"" : L"a-w \"") + host + L"\""))
            return false;
        const std::wstring probe = m_drive.Folder() + L"probe";
        // A host program started from Wine can take seconds to run on a loaded machine: wait up to 20 s.
        for (int i = 0; i < 1000; ++i)
        {
            // Taking a folder away is what a write-protected folder refuses, whether the probe is new or left over.
            ::CreateDirectoryW(probe.c_str(), nullptr);
            if ((::RemoveDirectoryW(probe.c_str()) != FALSE) == writable)
                return true;
            ::Sleep(20);
        }
        return false;
    }
    // The default filter set chooses the program's whole drive, as the system drive is the one-click job's source
    // when the program lies on it.
    void ChooseTheProgramsDrive()
    {
        ASSERT_EQ(::SHCreateDirectoryExW(nullptr, m_drive.DataFolder().c_str(), nullptr), ERROR_SUCCESS);
        ASSERT_TRUE(testsupport::WriteFileBytes(
            m_drive.DataFolder() + L"BasicFilter.xml",
            "<?xml version='1.0' encoding='utf-8'?>\n<filters><filter name=\"Documents\" selected=\"True\">"
            "<filter name=\"Text\" selected=\"True\"><configuration val=\"txt\" type=\"0\" description=\"\" "
            "selected=\"True\"/></filter></filter><filter name=\"Drives\" selected=\"True\"><filter name=\"E\" "
            "selected=\"True\"><configuration val=\"E:\\\" type=\"1\" description=\"\" selected=\"True\"/></filter>"
            "</filter><filter name=\"Email\" selected=\"False\"/><filter name=\"Internet\" selected=\"False\"/>"
            "</filters>\n"));
    }

  protected:
    apptest::ProgramDrive m_drive{apptest::ProgramCopy::Whole, apptest::DrivePlace::OffSystemDrive};
    // The tray program's window: the copy that a finished backup deploys and starts finds it and ends at once.
    runtest::RecordingTray m_tray;
    std::unique_ptr<enginetest::LockedFile> m_locked;
    bool m_writeProtected = false;
};

struct SafetyCase
{
    const char *name;
    void (ProgramRunSafety::*arrange)();
    int starts; // "--backup" starts let go together, each round
    int rounds;
    DWORD code; // of every start
};

void PrintTo(const SafetyCase &c, std::ostream *os)
{
    *os << c.name;
}

const SafetyCase kCases[] = {
    {"AFinishedRunEndsWithZero", nullptr, 1, 1, 0},
    {"ARunWithCopyErrorsEndsWithOne", &ProgramRunSafety::Lock, 1, 1, 1},
    {"AReadOnlyDriveEndsWithThree", &ProgramRunSafety::WriteProtect, 1, 1, 3},
    {"TenStartsWithinASecondRunOneBackup", nullptr, 10, 1, 0},
    {"ASourceThatHoldsTheProgramsDriveBacksUpTwiceWithoutNesting", &ProgramRunSafety::ChooseTheProgramsDrive, 1, 2, 0},
};

TEST_P(ProgramRunSafety, EachStartEndsByItselfWithItsCode)
{
    const SafetyCase &c = GetParam();
    ASSERT_EQ(m_drive.Error(), L"") << "drive E:";
    ASSERT_TRUE(apptest::MainWindows().empty()) << "a main window of another start is still open";
    testsupport::RemoveTree(kSample);
    ASSERT_TRUE(::CreateDirectoryW(kSample, nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(std::wstring(kSample) + L"Report.txt", "A report.\r\n"));
    if (c.arrange != nullptr)
    {
        ASSERT_NO_FATAL_FAILURE((this->*c.arrange)());
    }
    const std::wstring computer = apptest::ComputerName();
    const std::wstring destination = m_drive.Folder() + L"Backup Data\\" + computer + L"\\";
    for (int round = 1; round <= c.rounds; ++round)
    {
        SCOPED_TRACE(round);
        // Made first and let go together: the starts begin within a few milliseconds of one another.
        std::vector<std::unique_ptr<apptest::StartedProgram>> starts;
        for (int i = 0; i < c.starts; ++i)
        {
            starts.push_back(std::make_unique<apptest::StartedProgram>());
            ASSERT_TRUE(starts.back()->Start(m_drive.ProgramPath(), L"--backup", true));
        }
        for (auto &start : starts)
            ASSERT_TRUE(start->Resume());
        for (auto &start : starts)
        {
            DWORD code = 99;
            ASSERT_TRUE(start->WaitForExit(120000, code)) << "a start did not end by itself";
            EXPECT_EQ(code, c.code);
        }
        EXPECT_TRUE(apptest::MainWindows().empty());
        if (c.code == 3)
        {
            EXPECT_EQ(::GetFileAttributesW((m_drive.Folder() + L"Backup Data").c_str()), INVALID_FILE_ATTRIBUTES);
            continue;
        }
        const std::vector<std::wstring> log = apptest::LogLines(m_drive.DataFolder() + computer + L".log");
        EXPECT_EQ(CountEndingWith(log, L" The backup started."), round);
        EXPECT_EQ(CountEndingWith(log, L" The backup ended."), round);
        EXPECT_EQ(CountFolders(destination, L"Backup Data"), 0) << "the backup holds itself";
        // Where the source holds it, the destination is passed over: named once per run.
        EXPECT_EQ(CountEndingWith(log, L" The folder E:\\Backup Data\\" + computer +
                                           L" holds this job's backup or the program's own files; it is not backed up "
                                           L"into itself."),
                  c.arrange == &ProgramRunSafety::ChooseTheProgramsDrive ? round : 0);
        EXPECT_EQ(CountFolders(destination, L"Tarnvel run safety"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(ProgramRunSafety, ProgramRunSafety, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SafetyCase> &param) { return std::string(param.param.name); });

} // namespace
