#include "TaskTestSupport.h"

#include <cstring>
#include <optional>

#include "engine/run/DestPaths.h"
#include "engine/task/SyncTask.h"
#include "platform/system/Handles.h"
#include "platform/system/FileAttributes.h"

using namespace tasktest;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

// The system's text for an error as a log entry's %m gives it.
std::wstring SystemText(DWORD error)
{
    wchar_t text[1024];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                    _countof(text), nullptr);
    std::wstring result(text, length);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' '))
        result.pop_back();
    return result;
}

struct ViaTempCase
{
    const char *what;
    const wchar_t *name;
    const char *oldTarget; // null: no target
    DWORD oldAttributes;
    bool lockSource;
    DWORD injected; // the copy fails with this error (0: a real copy)
    int result;
    const char *targetAfter; // null: no target
    DWORD attributesAfter;   // of the target afterwards (0: not checked)
};

const ViaTempCase kViaTempCases[] = {
    {"a new target", L"plain.txt", nullptr, 0, false, 0, TASK_DONE, "new data", 0},
    {"a read-only hidden target stays hidden", L"plain.txt", "old", kReadOnlyHidden, false, 0, TASK_DONE, "new data",
     FILE_ATTRIBUTE_HIDDEN},
    {"a held source leaves the target as it was", L"held.txt", "old", kReadOnlyHidden, true, 0, TASK_FAILED, "old",
     kReadOnlyHidden},
    {"a held source without a target fails in the copy", L"held.txt", nullptr, 0, true, 0, TASK_FAILED, nullptr, 0},
    {"a document's old target waits aside and goes", L"report.doc", "old", 0, false, 0, TASK_DONE, "new data", 0},
    {"a document's old target comes back after a failure", L"report.doc", "old", FILE_ATTRIBUTE_HIDDEN, false,
     ERROR_ACCESS_DENIED, TASK_FAILED, "old", FILE_ATTRIBUTE_HIDDEN},
    {"a failed copy without a target leaves none", L"plain.txt", nullptr, 0, false, ERROR_INVALID_FUNCTION, TASK_FAILED,
     nullptr, 0},
};

class TaskRunnerViaTemp : public TaskTest
{
};

TEST_F(TaskRunnerViaTemp, CopiesOverTheTargetOrLeavesItAsItWas)
{
    int row = 0;
    for (const ViaTempCase &c : kViaTempCases)
    {
        SCOPED_TRACE(c.what);
        const std::wstring folder = Dest() + L"row" + std::to_wstring(++row) + L"\\";
        const std::wstring source = MakeSource(std::to_wstring(row) + c.name);
        const std::wstring target = folder + c.name;
        if (c.oldTarget != nullptr)
        {
            ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
            ASSERT_TRUE(WriteFileBytes(target, c.oldTarget));
            if (c.oldAttributes != 0)
            {
                ASSERT_TRUE(AfxSetFileAttributes(target.c_str(), c.oldAttributes));
            }
        }
        ScriptCopies();
        Copies() = CopyScript();
        Copies().failures = {c.injected};
        std::optional<LockedFile> lock;
        if (c.lockSource)
        {
            lock.emplace(source);
            ASSERT_TRUE(lock->IsLocked());
        }

        const int result = CopyFileViaTemp(m_job.get(), source.c_str(), target.c_str());
        const DWORD error = ::GetLastError();
        lock.reset();

        EXPECT_EQ(result, c.result);
        const DWORD expectedError = c.lockSource ? ERROR_SHARING_VIOLATION : c.injected;
        if (expectedError != 0)
        {
            EXPECT_EQ(error, expectedError);
        }
        if (c.targetAfter != nullptr)
        {
            EXPECT_EQ(ReadFileBytes(target), c.targetAfter);
            EXPECT_EQ(Attributes(target) & (kReadOnlyHidden | FILE_ATTRIBUTE_SYSTEM), c.attributesAfter);
        }
        else
        {
            EXPECT_FALSE(Exists(target));
        }
        EXPECT_FALSE(Exists(target + L".tmp"));
        // A held source whose target exists is never tried.
        EXPECT_EQ(Copies().targets.size(), c.lockSource && c.oldTarget != nullptr ? 0u : 1u);
        // Nothing of ours keeps the source open.
        EXPECT_TRUE(OpensExclusively(source));
        EXPECT_TRUE(ErrorTexts().empty());
        if (Exists(target))
            ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

class TaskRunnerCopy : public TaskTest
{
};

TEST_F(TaskRunnerCopy, TargetOverThePathLimitGoesToTheRecycledFolder)
{
    const std::wstring source = MakeSource(L"long.txt", "long data");
    std::wstring target = Dest();
    while (target.size() < 200)
        target += L"folder\\";
    target += std::wstring(kMaxPathChars + 1 - target.size(), L'n');
    ASSERT_EQ(target.size(), 261u);

    EXPECT_EQ(CopyFileViaTemp(m_job.get(), source.c_str(), target.c_str()), TASK_PATH_TOO_LONG);

    CString recycled;
    ASSERT_TRUE(BuildRecycledFolder(source.c_str(), Dest().c_str(), GetDestComputerName(), recycled));
    EXPECT_EQ(ReadFileBytes(recycled.GetString() + std::wstring(L"long.txt")), "long data");
    EXPECT_FALSE(Exists(Dest() + L"folder"));
}

TEST_F(TaskRunnerCopy, FullDiskSetsTheFlagAndReportsIt)
{
    const std::wstring source = MakeSource(L"big.bin");
    ScriptCopies();
    Copies().failures = {ERROR_DISK_FULL};

    EXPECT_EQ(CopyFileViaTemp(m_job.get(), source.c_str(), (Dest() + L"big.bin").c_str()), TASK_FAILED);

    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_TRUE(m_job->m_diskFull.Get());
    EXPECT_EQ(ErrorTexts(), std::vector<std::wstring>{GetSystemErrorText(ERROR_DISK_FULL).GetString()});
}

TEST_F(TaskRunnerCopy, FolderAsSourceIsNothingToDoAndAFileInTheFoldersPlaceIsNoFolder)
{
    EXPECT_EQ(CopyFileViaTemp(m_job.get(), Src().c_str(), (Dest() + L"x").c_str()), TASK_DONE);
    EXPECT_FALSE(Exists(Dest() + L"x"));

    const std::wstring source = MakeSource(L"a.txt");
    ASSERT_TRUE(WriteFileBytes(Dest() + L"block", "a file"));
    EXPECT_EQ(CopyFileViaTemp(m_job.get(), source.c_str(), (Dest() + L"block\\a.txt").c_str()), TASK_NO_FOLDER);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST_F(TaskRunnerCopy, DestinationFoldersAreMadeWithTheirParents)
{
    EXPECT_TRUE(CreateDestinationFolder((Dest() + L"a\\b\\\\c.txt").c_str(), 0));
    EXPECT_EQ(Attributes(Dest() + L"a\\b") & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(Exists(Dest() + L"a\\b\\c.txt"));
    EXPECT_TRUE(CreateDestinationFolder((Dest() + L"a\\b").c_str(), 1));
    EXPECT_TRUE(CreateDestinationFolder((Dest() + L"x\\y").c_str(), 1));
    EXPECT_TRUE(Exists(Dest() + L"x\\y"));
    EXPECT_FALSE(CreateDestinationFolder(L"nofolder.txt", 0));
}

TEST_F(TaskRunnerCopy, MoveIntoFolderRenamesInPlaceOverAnOldFile)
{
    ASSERT_TRUE(WriteFileBytes(Dest() + L"old.txt", "moved"));
    ASSERT_TRUE(WriteFileBytes(Dest() + L"new.txt", "replaced"));
    CString out;
    EXPECT_TRUE(MoveFileIntoFolder(L"X:\\elsewhere\\new.txt", (Dest() + L"old.txt").c_str(), out));
    EXPECT_EQ(std::wstring(out.GetString()), Dest() + L"new.txt");
    EXPECT_EQ(FileNames(Dest()), std::vector<std::wstring>{L"new.txt"});
    EXPECT_EQ(ReadFileBytes(Dest() + L"new.txt"), "moved");
}

// Waits up to 5 s until the path's attributes can be read (or, with gone, no longer); its attributes then.
DWORD WaitForPath(const std::wstring &path, bool gone = false)
{
    DWORD attributes = Attributes(path);
    for (int i = 0; i < 250 && (attributes == INVALID_FILE_ATTRIBUTES) != gone; ++i)
    {
        ::Sleep(20);
        attributes = Attributes(path);
    }
    return attributes;
}

class TaskRunnerDelete : public TaskTest
{
  protected:
    // The job's log lines that report a failed delete with the error's text.
    int FailureLines(DWORD error)
    {
        int count = 0;
        const std::wstring ending = L": " + SystemText(error);
        for (const std::wstring &line : LogLines())
        {
            if (line.size() == 19 + ending.size() && line.compare(19, std::wstring::npos, ending) == 0)
                ++count;
        }
        return count;
    }
};

TEST_F(TaskRunnerDelete, FolderLinkIsRemovedAsALinkAndItsTargetKeepsItsFiles)
{
    const std::wstring victim = m_folder / L"victim";
    ASSERT_TRUE(::CreateDirectoryW(victim.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(victim + L"\\precious.txt", "keep me"));
    const std::wstring tree = Dest() + L"tree";
    ASSERT_TRUE(::CreateDirectoryW(tree.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((tree + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(tree + L"\\sub\\a.txt", "a"));
    ASSERT_TRUE(WriteFileBytes(tree + L"\\b.txt", "b"));
    // Junctions cannot be made here; a host symbolic link lists as a folder link (0x410).
    const std::wstring link = tree + L"\\link";
    ASSERT_TRUE(StartHostProgram(L"Z:\\bin\\ln", L"-s \"" + HostPath(victim) + L"\" \"" + HostPath(tree) + L"/link\""));
    ASSERT_EQ(WaitForPath(link) & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY),
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));

    // The link given itself is not entered either.
    const BOOL linkResult = DeleteFolderTree(link.c_str(), 1, m_job.get());
    EXPECT_EQ(ReadFileBytes(victim + L"\\precious.txt"), "keep me");
    const BOOL treeResult = DeleteFolderTree((tree + L"\\").c_str(), 1, m_job.get());

    EXPECT_EQ(ReadFileBytes(victim + L"\\precious.txt"), "keep me");
    EXPECT_FALSE(Exists(tree + L"\\sub"));
    EXPECT_FALSE(Exists(tree + L"\\b.txt"));
    // Windows removes a folder link and then the tree. Wine cannot remove a host link (RemoveDirectoryW fails
    // with 145 and DeleteFileW with 5): the link stays, and with it the tree, each removal a logged failure.
    if (Exists(link))
    {
        EXPECT_FALSE(linkResult);
        EXPECT_FALSE(treeResult);
        EXPECT_GE(FailureLines(ERROR_DIR_NOT_EMPTY), 2);
        StartHostProgram(L"Z:\\bin\\rm", L"\"" + HostPath(tree) + L"/link\"");
        WaitForPath(link, true);
    }
    else
    {
        EXPECT_TRUE(linkResult);
        EXPECT_TRUE(treeResult);
        EXPECT_FALSE(Exists(tree));
    }
}

TEST_F(TaskRunnerDelete, PlainSystemFileAndHeldFileStayAndTheFolderWithThem)
{
    const std::wstring tree = Dest() + L"tree";
    ASSERT_TRUE(::CreateDirectoryW(tree.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((tree + L"\\sub").c_str(), nullptr));
    for (const wchar_t *name :
         {L"\\system.dat", L"\\hidden-system.dat", L"\\plain.txt", L"\\read-only.txt", L"\\sub\\held.txt"})
        ASSERT_TRUE(WriteFileBytes(tree + name, "x"));
    ASSERT_TRUE(::SetFileAttributesW((tree + L"\\system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(
        ::SetFileAttributesW((tree + L"\\hidden-system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::SetFileAttributesW((tree + L"\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine reports every file as archive: a plain system file cannot be made there, and it goes like the others.
    const bool plainSystemFile = (Attributes(tree + L"\\system.dat") & 0x1a2) == 0;
    std::optional<LockedFile> held;
    held.emplace(tree + L"\\sub\\held.txt");
    ASSERT_TRUE(held->IsLocked());

    EXPECT_FALSE(DeleteFolderTree(tree.c_str(), 1, m_job.get()));

    const std::vector<std::wstring> kept =
        plainSystemFile ? std::vector<std::wstring>{L"system.dat"} : std::vector<std::wstring>{};
    EXPECT_EQ(FileNames(tree + L"\\"), kept);
    EXPECT_EQ(FileNames(tree + L"\\sub\\"), std::vector<std::wstring>{L"held.txt"});
    // The tree's own removal is the job's; what fails in a subfolder goes to the program's log.
    EXPECT_EQ(FailureLines(ERROR_DIR_NOT_EMPTY), 1);
    held.reset();
    ::SetFileAttributesW((tree + L"\\system.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFolderTree(tree.c_str(), 1, m_job.get()));
    EXPECT_FALSE(Exists(tree));

    // One file: read-only or not, it goes; a missing one is a logged failure.
    ASSERT_TRUE(WriteFileBytes(Dest() + L"one.txt", "x"));
    ASSERT_TRUE(::SetFileAttributesW((Dest() + L"one.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeleteFolderTree((Dest() + L"one.txt").c_str(), 0, m_job.get()));
    EXPECT_FALSE(Exists(Dest() + L"one.txt"));
    EXPECT_FALSE(DeleteFolderTree((Dest() + L"one.txt").c_str(), 0, m_job.get()));
    EXPECT_EQ(FailureLines(ERROR_FILE_NOT_FOUND), 1);
}

struct LastRunCase
{
    const wchar_t *neverRun;                    // null: no attribute
    int year, month, day, hour, minute, second; // year 0: the zero time
};

const LastRunCase kLastRunCases[] = {
    {nullptr, 0, 0, 0, 0, 0, 0},
    {L"true", 0, 0, 0, 0, 0, 0},
    {L"", 0, 0, 0, 0, 0, 0},
    {L"2010-05-1", 0, 0, 0, 0, 0, 0},
    {L"2010-13-40 25:00:00", 0, 0, 0, 0, 0, 0},
    {L"2010-02-30 10:00:00", 0, 0, 0, 0, 0, 0},
    {L"2010/05/17 14:03:22", 0, 0, 0, 0, 0, 0},
    {L"2010-05-17 14:03:22 ", 0, 0, 0, 0, 0, 0},
    {L"2010-05-17 14:03:22", 2010, 5, 17, 14, 3, 22},
    {L"2012-02-29 00:00:00", 2012, 2, 29, 0, 0, 0},
};

class TaskRunnerLastRun : public TaskTest
{
};

TEST_F(TaskRunnerLastRun, OnlyACompleteValidTimeCounts)
{
    for (const LastRunCase &c : kLastRunCases)
    {
        SCOPED_TRACE(c.neverRun != nullptr ? CStringA(c.neverRun).GetString() : "no neverrun");
        IXMLDOMElementPtr element = NewJobElement(m_document, L"Timed");
        if (c.neverRun != nullptr)
            XmlSetAttributeString(element, L"neverrun", c.neverRun);
        CTime time(12345);
        ParseLastRunTime(time, element);
        const CTime expected = c.year == 0 ? CTime() : CTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(time.GetTime(), expected.GetTime());
    }
    CTime time(12345);
    ParseLastRunTime(time, nullptr);
    EXPECT_EQ(time.GetTime(), 0);
}

} // namespace
