#include "TaskTestSupport.h"

#include <utility>

#include "engine/run/DestPaths.h"
#include "engine/task/SyncTask.h"

using namespace tasktest;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

using Files = std::vector<std::pair<std::wstring, std::string>>;

// Other files' revisions in the same folder: a revision series never takes them in.
const Files kNeighbours = {{L"report-old(00).txt", "neighbour old"}, {L"report2(03).txt", "neighbour 2"}};

struct RevisionCase
{
    const char *what;
    Files present; // in the Revision folder before the copy
    bool readOnly; // the present revisions are read-only, as copies of read-only files are
    int maxVersions;
    Files after; // report's revisions afterwards ("new" is the copied source)
};

const RevisionCase kRevisionCases[] = {
    {"the first copy is 00", {}, false, 3, {{L"report(00).txt", "new"}}},
    {"maxver 3 with 00..02 drops 00 and moves the others down",
     {{L"report(00).txt", "r0"}, {L"report(01).txt", "r1"}, {L"report(02).txt", "r2"}},
     false,
     3,
     {{L"report(00).txt", "r1"}, {L"report(01).txt", "r2"}, {L"report(02).txt", "new"}}},
    {"maxver 1 replaces 00", {{L"report(00).txt", "r0"}}, true, 1, {{L"report(00).txt", "new"}}},
    {"gaps are closed and the oldest goes",
     {{L"report(05).txt", "r5"}, {L"report(00).txt", "r0"}, {L"report(02).txt", "r2"}},
     true,
     3,
     {{L"report(00).txt", "r2"}, {L"report(01).txt", "r5"}, {L"report(02).txt", "new"}}},
    {"gaps are closed below the limit too",
     {{L"report(03).txt", "r3"}, {L"report(01).txt", "r1"}},
     false,
     5,
     {{L"report(00).txt", "r1"}, {L"report(01).txt", "r3"}, {L"report(02).txt", "new"}}},
    {"maxver -1 keeps every revision",
     {{L"report(00).txt", "r0"}, {L"report(01).txt", "r1"}, {L"report(02).txt", "r2"}},
     false,
     -1,
     {{L"report(00).txt", "r0"}, {L"report(01).txt", "r1"}, {L"report(02).txt", "r2"}, {L"report(03).txt", "new"}}},
    {"names of other forms are not revisions",
     {{L"report(1).txt", "short"}, {L"report(007).txt", "padded"}, {L"report(00).txt", "r0"}},
     false,
     1,
     {{L"report(00).txt", "new"}, {L"report(007).txt", "padded"}, {L"report(1).txt", "short"}}},
};

class Revisions : public TaskTest
{
};

TEST_F(Revisions, KeepTheNewestInOrderAndLeaveOtherFilesAlone)
{
    int row = 0;
    for (const RevisionCase &c : kRevisionCases)
    {
        SCOPED_TRACE(c.what);
        const std::wstring folder = Dest() + L"Revision" + std::to_wstring(++row) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        for (const auto &file : kNeighbours)
            ASSERT_TRUE(WriteFileBytes(folder + file.first, file.second));
        for (const auto &file : c.present)
        {
            ASSERT_TRUE(WriteFileBytes(folder + file.first, file.second));
            if (c.readOnly)
            {
                ASSERT_TRUE(::SetFileAttributesW((folder + file.first).c_str(), FILE_ATTRIBUTE_READONLY));
            }
        }
        const std::wstring source = MakeSource(L"report.txt", "new");

        EXPECT_EQ(CopyFileWithRevisions(source.c_str(), (folder + L"report.txt").c_str(), c.maxVersions), TASK_DONE);

        Files expected = c.after;
        expected.insert(expected.end(), kNeighbours.begin(), kNeighbours.end());
        std::sort(expected.begin(), expected.end());
        Files found;
        for (const std::wstring &name : FileNames(folder))
            found.emplace_back(name, ReadFileBytes(folder + name));
        EXPECT_EQ(found, expected);
        for (const std::wstring &name : FileNames(folder))
            ::SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

class RevisionsCopy : public TaskTest
{
};

TEST_F(RevisionsCopy, FullDiskGivesFiveAndNothingIsCopiedForTheRefusedCases)
{
    const std::wstring source = MakeSource(L"report.txt", "new");
    const std::wstring target = Dest() + L"report.txt";
    ScriptCopies();
    Copies().failures = {ERROR_DISK_FULL};
    EXPECT_EQ(CopyFileWithRevisions(source.c_str(), target.c_str(), 3), TASK_DISK_FULL);
    ASSERT_EQ(Copies().targets.size(), 1u);
    EXPECT_EQ(Copies().targets[0], Dest() + L"report(00).txt");

    Copies().failures = {ERROR_ACCESS_DENIED};
    Copies().targets.clear();
    EXPECT_EQ(CopyFileWithRevisions(source.c_str(), target.c_str(), 3), TASK_FAILED);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // Nothing to do: no revisions kept, a folder as source.
    Copies().targets.clear();
    EXPECT_EQ(CopyFileWithRevisions(source.c_str(), target.c_str(), 0), TASK_DONE);
    EXPECT_EQ(CopyFileWithRevisions(Src().c_str(), target.c_str(), 3), TASK_DONE);
    // A revision that cannot be made is no revision made: a target over the limit, a folder a file stands in.
    const std::wstring longTarget = Dest() + std::wstring(kMaxPathChars - Dest().size(), L'a');
    ASSERT_TRUE(WriteFileBytes(Dest() + L"Revision", "a file"));
    for (const auto &[revision, error] :
         {std::pair{longTarget, ERROR_FILENAME_EXCED_RANGE}, {Dest() + L"Revision\\report.txt", ERROR_FILE_EXISTS}})
    {
        EXPECT_EQ(CopyFileWithRevisions(source.c_str(), revision.c_str(), 3), TASK_FAILED);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(error));
    }
    EXPECT_TRUE(Copies().targets.empty());
    EXPECT_EQ(FileNames(Dest()), std::vector<std::wstring>{L"Revision"});
}

TEST_F(RevisionsCopy, AVersionIsKeptOnceHoweverOftenItIsAskedFor)
{
    // A copy that could not replace the file asks for its revision again at the next try.
    const std::wstring source = MakeSource(L"report.txt", "version 1");
    const std::wstring target = Dest() + L"report.txt";
    for (int ask = 0; ask < 3; ++ask)
        EXPECT_EQ(CopyFileWithRevisions(source.c_str(), target.c_str(), 3), TASK_DONE);
    EXPECT_EQ(FileNames(Dest()), std::vector<std::wstring>{L"report(00).txt"});
    // Other bytes of the same size and time are another version.
    FILETIME written;
    {
        CKernelHandle file(
            ::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(::GetFileTime(file, nullptr, nullptr, &written));
    }
    ASSERT_TRUE(WriteFileBytes(source, "version 2"));
    {
        CKernelHandle file(::CreateFileW(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &written));
    }
    EXPECT_EQ(CopyFileWithRevisions(source.c_str(), target.c_str(), 3), TASK_DONE);
    EXPECT_EQ(ReadFileBytes(Dest() + L"report(01).txt"), "version 2");
    EXPECT_EQ(FileNames(Dest()).size(), 2u);
}

TEST_F(RevisionsCopy, RotationReportsTheCountAndNamesTheFreeNumber)
{
    const std::wstring target = Dest() + L"notes";
    for (const wchar_t *name : {L"notes(00)", L"notes(04)", L"notes(09)"})
        ASSERT_TRUE(WriteFileBytes(Dest() + name, "x"));
    wchar_t out[MAX_PATH + 10];
    EXPECT_EQ(RotateRevisions(target.c_str(), 10, out, _countof(out)), 3);
    EXPECT_EQ(std::wstring(out), Dest() + L"notes(03)");
    EXPECT_EQ(FileNames(Dest()), (std::vector<std::wstring>{L"notes(00)", L"notes(01)", L"notes(02)"}));

    // A buffer too small for the name is left empty.
    wchar_t small[8];
    EXPECT_EQ(RotateRevisions(target.c_str(), 10, small, _countof(small)), 3);
    EXPECT_EQ(small[0], L'\0');
}

} // namespace
