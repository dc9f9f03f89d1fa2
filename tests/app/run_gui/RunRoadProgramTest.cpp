// "Tarnvel.exe --backup" from a drive E: as the tray program starts it when the drive arrives: the one-click job
// is rebuilt and run hidden, and the program ends by itself. Documents lie in a folder of their own under C:\ (the
// prefix's own shell folders are links to the host, which a backup passes over).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "app/support/AppTestSupport.h"
#include "app/support/RunRoadTestSupport.h"
#include "engine/journal/RestoreJournal.h"

namespace
{

const wchar_t kSample[] = L"C:\\Tarnvel run road\\";

// The paths below folder (with its trailing backslash) of the files named name.
void FindFiles(const std::wstring &folder, const std::wstring &name, std::vector<std::wstring> &found)
{
    WIN32_FIND_DATAW entry;
    CFindHandle listing(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (!listing.IsValid())
        return;
    do
    {
        const std::wstring entryName = entry.cFileName;
        if (entryName == L"." || entryName == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            FindFiles(folder + entryName + L"\\", name, found);
        else if (_wcsicmp(entryName.c_str(), name.c_str()) == 0)
            found.push_back(folder + entryName);
    } while (::FindNextFileW(listing, &entry));
}

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? std::wstring(path) + L"\\" : L"";
}

int Count(const std::string &text, const std::string &part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool EndsWith(const std::wstring &text, const std::wstring &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class RunRoadProgram : public ::testing::Test
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
        ASSERT_TRUE(testsupport::WriteFileBytes(std::wstring(kSample) + L"Left out.log", "Not a document.\r\n"));
        m_startupCopy = SpecialFolder(CSIDL_STARTUP) + L"Tarnvel_Tray.exe";
        m_common = SpecialFolder(CSIDL_COMMON_APPDATA) + L"Tarnvel_PHRASEL\\";
        m_commonExisted = ::GetFileAttributesW(m_common.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void TearDown() override
    {
        // The tray program that the backup started ends at once, as it finds the tray window of the test; one
        // that stayed would outlive the test and hold its output open.
        EXPECT_EQ(runtest::EndTrayPrograms(20000), 0) << "the started tray program did not end";
        testsupport::RemoveTree(kSample);
        // What the finished backup deployed goes again.
        ::DeleteFileW(m_startupCopy.c_str());
        if (!m_commonExisted)
            testsupport::RemoveTree(m_common);
    }

    // Runs "--backup" to its end: 0 within 60 s.
    void BackUp()
    {
        apptest::StartedProgram program;
        ASSERT_TRUE(program.Start(m_drive.ProgramPath(), L"--backup"));
        DWORD code = 1;
        ASSERT_TRUE(program.WaitForExit(60000, code)) << "the program did not end by itself";
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(apptest::MainWindows().empty());
    }

    // What the user finds after the backup, with the store's jobs expected.
    void ExpectBackedUp(int jobs)
    {
        const std::wstring computer = apptest::ComputerName();
        const std::wstring destination = m_drive.Folder() + L"Backup Data\\" + computer + L"\\";
        std::vector<std::wstring> reports, pictures, leftOut;
        FindFiles(destination, L"Report.txt", reports);
        FindFiles(destination, L"Picture.png", pictures);
        FindFiles(destination, L"Left out.log", leftOut);
        std::wstring listing;
        for (const std::wstring &path : reports)
            listing += path + L"\n";
        ASSERT_EQ(reports.size(), 1u) << CStringA(listing.c_str()).GetString();
        EXPECT_EQ(testsupport::ReadFileBytes(reports[0]), "A report.\r\n");
        EXPECT_EQ(pictures.size(), 1u);
        EXPECT_EQ(leftOut.size(), 0u) << "the default filter set leaves log files out";

        const std::vector<std::wstring> log = apptest::LogLines(m_drive.DataFolder() + computer + L".log");
        size_t started = log.size(), ended = log.size();
        for (size_t i = 0; i < log.size(); ++i)
        {
            if (EndsWith(log[i], L" The backup started.") && started == log.size())
                started = i;
            if (EndsWith(log[i], L" The backup ended."))
                ended = i;
        }
        EXPECT_LT(started, log.size()) << "no start line";
        EXPECT_LT(ended, log.size()) << "no end line";
        EXPECT_LT(started, ended);

        CRestoreJournal journal(m_drive.DataFolder().c_str());
        ASSERT_TRUE(journal.Open(computer.c_str(), 0)) << "no journal";
        CStringList targets;
        journal.ReadAll(targets);
        journal.Close(0);
        const std::wstring report = L"E:\\" + reports[0].substr(m_drive.Folder().size());
        bool listed = false;
        for (POSITION at = targets.GetHeadPosition(); at != nullptr;)
            listed = listed || targets.GetNext(at).CompareNoCase(report.c_str()) == 0;
        EXPECT_TRUE(listed) << "the journal does not list " << CStringA(report.c_str()).GetString();

        const std::string store = testsupport::ReadFileBytes(m_drive.DataFolder() + L"Zel.xml");
        EXPECT_EQ(Count(store, "<jobdef"), jobs);
        EXPECT_EQ(Count(store, "name=\"" + std::string(CStringA(computer.c_str()).GetString()) + "\""), 1);
        EXPECT_EQ(Count(store, "backup_count=\"1\""), 1);

        const auto sent = m_tray.Messages();
        ASSERT_FALSE(sent.empty()) << "the tray program heard nothing";
        EXPECT_EQ(sent.front(), std::make_pair(2180u, WPARAM(0)));
        EXPECT_EQ(sent.back(), std::make_pair(2180u, WPARAM(100)));
        EXPECT_NE(::GetFileAttributesW(m_startupCopy.c_str()), INVALID_FILE_ATTRIBUTES) << "the tray is deployed";
    }

    apptest::ProgramDrive m_drive{apptest::ProgramCopy::Whole, apptest::DrivePlace::OffSystemDrive};
    // The tray program's window: the copy that the backup deploys and starts finds it and ends at once.
    runtest::RecordingTray m_tray;
    std::wstring m_startupCopy;
    std::wstring m_common;
    bool m_commonExisted = false;
};

TEST_F(RunRoadProgram, ABackupWithoutAStoreBacksUpTheDocumentsAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(BackUp());
    ExpectBackedUp(1);
}

TEST_F(RunRoadProgram, ABackupBesideAUsersJobKeepsIt)
{
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, m_drive.DataFolder().c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(testsupport::WriteFileBytes(
        m_drive.DataFolder() + L"Zel.xml",
        "<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\"><jobdef name=\"Photos\" state=\"1\" sync_type=\"1\" "
        "js_type=\"1\" js_mins=\"600\" dest=\"E:\\Photos\\\"><src path=\"C:\\Photos\\\" hassrc=\"1\"/></jobdef>"
        "</Tessel>\r\n"));
    ASSERT_NO_FATAL_FAILURE(BackUp());
    ExpectBackedUp(2);
    EXPECT_EQ(Count(testsupport::ReadFileBytes(m_drive.DataFolder() + L"Zel.xml"), "name=\"Photos\""), 1);
}

} // namespace
