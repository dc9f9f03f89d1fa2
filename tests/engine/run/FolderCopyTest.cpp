#include "CopyTestSupport.h"

#include <winioctl.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/FileAttributes.h"

using namespace copytest;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

class FolderCopy : public CopyJobTest
{
  protected:
    std::wstring Target() const
    {
        return Dest() + L"copy";
    }
    std::wstring Source() const
    {
        return m_folder / L"src";
    }
};

// A directory junction (mount point) at link leading to target; false when the platform cannot make one.
bool MakeJunction(const std::wstring &link, const std::wstring &target)
{
    if (!::CreateDirectoryW(link.c_str(), nullptr))
        return false;
    CKernelHandle handle(::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.IsValid())
        return false;
    std::wstring substitute = L"\\??\\" + target;
    std::vector<BYTE> buffer(8 + 8 + (substitute.size() + 1 + target.size() + 1) * sizeof(wchar_t));
    auto put16 = [&](size_t at, size_t value) {
        buffer[at] = static_cast<BYTE>(value & 0xFF);
        buffer[at + 1] = static_cast<BYTE>(value >> 8);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    memcpy(&buffer[0], &tag, 4);
    put16(4, buffer.size() - 8);
    put16(8, 0);                                          // substitute name offset
    put16(10, substitute.size() * sizeof(wchar_t));       // substitute name length
    put16(12, (substitute.size() + 1) * sizeof(wchar_t)); // print name offset
    put16(14, target.size() * sizeof(wchar_t));           // print name length
    memcpy(&buffer[16], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
    memcpy(&buffer[16 + (substitute.size() + 1) * sizeof(wchar_t)], target.c_str(),
           (target.size() + 1) * sizeof(wchar_t));
    DWORD returned = 0;
    if (!::DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                           0, &returned, nullptr))
        return false;
    return (::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TEST_F(FolderCopy, EmptyFolderMakesTheTargetAndSucceeds)
{
    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 1);
    EXPECT_TRUE(Attributes(Target()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FolderCopy, CopiesTheTreeAndSkipsNeverCopiedAndFilteredNames)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\a.txt", "a"));
    ASSERT_TRUE(::CreateDirectoryW((Source() + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\sub\\b.doc", "b"));
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\sub\\TesselDir.list", "list"));
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\sub\\skip.tmp", "tmp"));
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\c.jpg", "c"));

    // Filters off: everything but the never-copied names.
    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 1);
    EXPECT_EQ(ReadFileBytes(Target() + L"\\a.txt"), "a");
    EXPECT_EQ(ReadFileBytes(Target() + L"\\sub\\b.doc"), "b");
    EXPECT_EQ(ReadFileBytes(Target() + L"\\c.jpg"), "c");
    EXPECT_FALSE(Exists(Target() + L"\\sub\\TesselDir.list"));
    EXPECT_FALSE(Exists(Target() + L"\\sub\\skip.tmp"));

    // Filters on: only included extensions that are not excluded.
    m_job->GetJobDef()->SetInclude(L".txt;.doc");
    m_job->GetJobDef()->SetExclude(L".doc");
    m_job->m_filtersActive = 1;
    std::wstring filtered = Dest() + L"filtered";
    EXPECT_EQ(m_job->CopyFolder((Source() + L"\\").c_str(), (filtered + L"\\").c_str(), L"", 1), 1);
    EXPECT_EQ(ReadFileBytes(filtered + L"\\a.txt"), "a");
    EXPECT_FALSE(Exists(filtered + L"\\sub\\b.doc"));
    EXPECT_FALSE(Exists(filtered + L"\\c.jpg"));
    EXPECT_TRUE(Attributes(filtered + L"\\sub") & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FolderCopy, ReadOnlyTargetIsOverwrittenAndKeepsItsAttributes)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\a.txt", "new"));
    ASSERT_TRUE(::CreateDirectoryW(Target().c_str(), nullptr));
    std::wstring target = Target() + L"\\a.txt";
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    ASSERT_TRUE(AfxSetFileAttributes(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD kept = Attributes(target);
    ASSERT_EQ(kept & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 1);
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(Attributes(target), kept);
}

TEST_F(FolderCopy, AnUnlistableSecondLevelFailsEveryLevelAbove)
{
    std::wstring deep = Source() + L"\\one\\two";
    ASSERT_EQ(CreateFolderPath(deep.c_str()), 0u);
    ASSERT_TRUE(WriteFileBytes(deep + L"\\x.txt", "x"));
    CKernelHandle hold(
        ::CreateFileW(deep.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(hold.IsValid());
    WIN32_FIND_DATAW probe;
    HANDLE listing = ::FindFirstFileW((deep + L"\\*.*").c_str(), &probe);
    if (listing != INVALID_HANDLE_VALUE)
    {
        ::FindClose(listing);
        GTEST_SKIP() << "a held folder can still be listed here";
    }

    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 0);
    EXPECT_EQ(m_job->CopyFolder((Source() + L"\\one").c_str(), (Target() + L"\\one").c_str(), L"", 1), 0);
    EXPECT_EQ(LogCount(L"- Unable to iterate the pattern."), 2);
}

TEST_F(FolderCopy, CancelStopsTheWalk)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\a.txt", "a"));
    m_job->m_cancelFlag = TRUE;
    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 0);
    EXPECT_FALSE(Exists(Target() + L"\\a.txt"));
}

TEST_F(FolderCopy, DiskFullStopsTheWalkAndLaterCallsUntilCleared)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\a.txt", "a"));
    ScriptFileOps();
    CopyScript().failures = {ERROR_DISK_FULL};
    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 0);
    EXPECT_TRUE(m_job->m_diskFull);
    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 0);
    EXPECT_EQ(CopyScript().calls, 1);
    m_job->m_diskFull = FALSE;
    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 1);
    EXPECT_EQ(ReadFileBytes(Target() + L"\\a.txt"), "a");
}

TEST_F(FolderCopy, AnOverwriteThatFailsLeavesTheOldCopyWhole)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\a.txt", "the new version"));
    ASSERT_EQ(CreateFolderPath(Target().c_str()), 0u);
    ASSERT_TRUE(WriteFileBytes(Target() + L"\\a.txt", "the backed-up version"));
    for (DWORD error : {ERROR_DISK_FULL, ERROR_REQUEST_ABORTED})
    {
        SCOPED_TRACE(error);
        m_job->m_diskFull = FALSE;
        ScriptFileOps();
        CopyScript() = FileOpScript();
        CopyScript().failures = {error};

        EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), error == ERROR_DISK_FULL ? 0 : 1);
        EXPECT_EQ(ReadFileBytes(Target() + L"\\a.txt"), "the backed-up version");
    }
}

TEST_F(FolderCopy, AFailedFileIsLoggedAndTheWalkGoesOn)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\gone.txt", "g"));
    ScriptFileOps();
    CopyScript().failures = {ERROR_PATH_NOT_FOUND};
    CopyScript().failOnlyWhere = L"\\copy\\";

    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 1);
    std::wstring source = Source() + L"\\gone.txt";
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
    std::wstring recycled =
        Dest() + GetDestComputerName().GetString() + L"_" + source.substr(0, 1) + L"\\Recycled\\gone.txt";
    EXPECT_EQ(ReadFileBytes(recycled), "g");
}

TEST_F(FolderCopy, JunctionsAreNotFollowed)
{
    ASSERT_TRUE(WriteFileBytes(Source() + L"\\a.txt", "a"));
    if (!MakeJunction(Source() + L"\\loop", Source()))
        GTEST_SKIP() << "no junctions on this platform";

    EXPECT_EQ(m_job->CopyFolder(Source().c_str(), Target().c_str(), L"", 1), 1);
    EXPECT_EQ(ReadFileBytes(Target() + L"\\a.txt"), "a");
    EXPECT_FALSE(Exists(Target() + L"\\loop"));
    ::RemoveDirectoryW((Source() + L"\\loop").c_str());
}

} // namespace
