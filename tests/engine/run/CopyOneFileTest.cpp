#include "CopyTestSupport.h"
#include "RunTestSupport.h"

#include <memory>

#include "engine/run/DestPaths.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "platform/system/FileAttributes.h"

using namespace copytest;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

class CopyOneFile : public CopyJobTest
{
  protected:
    std::wstring MakeSource(const std::wstring &name, const std::string &bytes = "new data")
    {
        std::wstring path = Src() + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
    std::wstring RecycledPlace(const std::wstring &source)
    {
        return Dest() + GetDestComputerName().GetString() + L"_" + source.substr(0, 1) + L"\\Recycled\\" +
               source.substr(source.rfind(L'\\') + 1);
    }
};

TEST_F(CopyOneFile, ReplacesTheTargetThroughATemporaryNameWithTheSourceAttributes)
{
    std::wstring source = MakeSource(L"report.doc");
    ASSERT_TRUE(AfxSetFileAttributes(source.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    std::wstring target = Dest() + L"report.doc";
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    ASSERT_TRUE(AfxSetFileAttributes(target.c_str(), FILE_ATTRIBUTE_READONLY));
    ScriptFileOps();

    EXPECT_TRUE(m_job->CopyOneFile(source.c_str(), target.c_str()));

    EXPECT_EQ(ReadFileBytes(target), "new data");
    EXPECT_EQ(Attributes(target), Attributes(source));
    ASSERT_EQ(CopyScript().targets.size(), 1u);
    EXPECT_EQ(CopyScript().targets[0], Dest() + L"report.~#T0");
    ASSERT_EQ(MoveScript().targets.size(), 1u);
    EXPECT_EQ(MoveScript().targets[0], target);
    EXPECT_EQ(m_job->GetErrorCount(), 0);
    AfxSetFileAttributes(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyOneFile, LeftoverTemporariesAreReusedUnlessHeldAndEveryMissingFolderIsMade)
{
    std::wstring source = MakeSource(L"notes");
    std::wstring folder = Dest() + L"sub\\";
    std::wstring target = folder + L"notes";
    ScriptFileOps();
    // A name without an extension has an empty base name. The first name is held open by a copy under way;
    // the second is a leftover of a copy cut off by a crash.
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder + L".~#T0", "in use"));
    ASSERT_TRUE(WriteFileBytes(folder + L".~#T1", "left"));
    ASSERT_TRUE(::SetFileAttributesW((folder + L".~#T1").c_str(), FILE_ATTRIBUTE_READONLY));
    {
        LockedFile held(folder + L".~#T0");
        ASSERT_TRUE(held.IsLocked());
        EXPECT_TRUE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    }
    ASSERT_FALSE(CopyScript().targets.empty());
    EXPECT_EQ(CopyScript().targets.back(), folder + L".~#T1");
    EXPECT_EQ(ReadFileBytes(target), "new data");
    EXPECT_EQ(ReadFileBytes(folder + L".~#T0"), "in use");
    EXPECT_FALSE(Exists(folder + L".~#T1"));
    ::DeleteFileW((folder + L".~#T0").c_str());

    // A target kept with its full path lies several folders below anything that exists.
    std::wstring deep = Dest() + L"PC_C\\Users\\me\\Documents\\notes";
    EXPECT_TRUE(m_job->CopyOneFile(source.c_str(), deep.c_str()));
    EXPECT_EQ(ReadFileBytes(deep), "new data");
    EXPECT_EQ(m_job->GetErrorCount(), 0);

    // A folder that cannot be made (a file stands in its place) is a failed file.
    ASSERT_TRUE(WriteFileBytes(Dest() + L"blocked", "x"));
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), (Dest() + L"blocked\\inner\\notes").c_str()));
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
}

TEST_F(CopyOneFile, AllHundredTemporaryNamesHeldFailsWithoutCopying)
{
    std::wstring source = MakeSource(L"report.doc");
    std::wstring target = Dest() + L"report.doc";
    auto name = [this](int n) { return Dest() + L"report.~#T" + std::to_wstring(n); };
    std::vector<std::unique_ptr<LockedFile>> held;
    for (int n = 0; n < kTemporaryNameTries; ++n)
    {
        ASSERT_TRUE(WriteFileBytes(name(n), "held"));
        held.push_back(std::make_unique<LockedFile>(name(n)));
        ASSERT_TRUE(held.back()->IsLocked());
    }
    ScriptFileOps();

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    held.clear();

    // No held name was written over or deleted.
    for (int n = 0; n < kTemporaryNameTries; ++n)
        EXPECT_EQ(ReadFileBytes(name(n)), "held") << n;
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(m_job->m_lastCopyError.Get(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
    for (int n = 0; n < kTemporaryNameTries; ++n)
        ::DeleteFileW(name(n).c_str());
}

TEST_F(CopyOneFile, LockedPlainFileFailsAtOnceWithoutAQuestion)
{
    std::wstring source = MakeSource(L"notes.txt");
    LockedFile lock(source);
    ASSERT_TRUE(lock.IsLocked());
    ScriptFileOps();

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), (Dest() + L"notes.txt").c_str()));

    EXPECT_EQ(CopyScript().calls, 1);
    EXPECT_TRUE(Questions().texts.empty());
    EXPECT_EQ(m_job->m_lastCopyError.Get(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
    EXPECT_FALSE(Exists(Dest() + L"notes.txt"));
}

TEST_F(CopyOneFile, FailedCopyLeavesTheOldTargetAndItsAttributesAlone)
{
    std::wstring source = MakeSource(L"plan.txt");
    std::wstring target = Dest() + L"plan.txt";
    ASSERT_TRUE(WriteFileBytes(target, "old plan"));
    ASSERT_TRUE(AfxSetFileAttributes(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    LockedFile lock(source);
    ASSERT_TRUE(lock.IsLocked());
    ScriptFileOps();

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));

    EXPECT_EQ(ReadFileBytes(target), "old plan");
    EXPECT_EQ(Attributes(target) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    AfxSetFileAttributes(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyOneFile, LockedMailStoreAsksRetriesTenTimesAfterRetryThenCancels)
{
    std::wstring source = MakeSource(L"Outlook.PST");
    LockedFile lock(source);
    ASSERT_TRUE(lock.IsLocked());
    ScriptFileOps();
    Questions().answers = {IDOK, IDCANCEL};

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), (Dest() + L"Outlook.PST").c_str()));

    ASSERT_EQ(Questions().texts.size(), 2u);
    std::wstring outlook = Text(IDS_PROGRAM_OUTLOOK);
    CString expected;
    expected.Format(IDS_ASK_BACKUP_IN_USE, outlook.c_str(), outlook.c_str());
    EXPECT_EQ(Questions().texts[0], expected.GetString());
    // The first try, the one right after Retry, then ten more a second apart.
    EXPECT_EQ(CopyScript().calls, 12);
    EXPECT_EQ(Sleeps(), kInUseAutoRetries);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_FILE_IN_USE, source), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 0);
    EXPECT_FALSE(Exists(Dest() + L"Outlook.PST"));
}

TEST_F(CopyOneFile, LockedMailStoreIsNotAskedAboutWhenSuppressedOrRestoring)
{
    std::wstring source = MakeSource(L"mail.dbx");
    LockedFile lock(source);
    ASSERT_TRUE(lock.IsLocked());

    m_job->GetJobDef()->SetSuppressErrorLogWindow(1);
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), (Dest() + L"mail.dbx").c_str()));
    m_job->GetJobDef()->SetSuppressErrorLogWindow(0);
    m_job->m_journalFlag = FALSE;
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), (Dest() + L"mail.dbx").c_str()));

    EXPECT_TRUE(Questions().texts.empty());
    EXPECT_EQ(m_job->GetErrorCount(), 2);
}

TEST_F(CopyOneFile, RestoreThatCannotReplaceTheTargetAsksAndCancelCountsAsFailed)
{
    std::wstring source = MakeSource(L"letter.doc");
    std::wstring target = Dest() + L"letter.doc";
    ASSERT_TRUE(WriteFileBytes(target, "in use"));
    m_job->m_journalFlag = FALSE;
    ScriptFileOps();
    MoveScript().failures.assign(20, ERROR_ACCESS_DENIED);
    Questions().answers = {IDOK, IDCANCEL};

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));

    ASSERT_EQ(Questions().texts.size(), 2u);
    CString expected;
    expected.Format(IDS_ASK_RESTORE_IN_USE, L"letter.doc", L"letter.doc");
    EXPECT_EQ(Questions().texts[0], expected.GetString());
    EXPECT_EQ(MoveScript().calls, 12);
    EXPECT_EQ(Sleeps(), kInUseAutoRetries);
    EXPECT_EQ(ReadFileBytes(target), "in use");
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_FILE_IN_USE, target), 1) << "the file is named at its place";
}

TEST_F(CopyOneFile, MissingPathAndNameTooLongErrorsLeaveACopyInTheRecycledFolder)
{
    for (DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_FILENAME_EXCED_RANGE})
    {
        SCOPED_TRACE(error);
        std::wstring name = L"file" + std::to_wstring(error) + L".txt";
        std::wstring source = MakeSource(name, "data " + std::to_string(error));
        ScriptFileOps();
        CopyScript() = FileOpScript();
        CopyScript().failOnlyWhere = L".~#T";
        CopyScript().failures = {error};

        EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), (Dest() + name).c_str()));

        EXPECT_EQ(ReadFileBytes(RecycledPlace(source)), "data " + std::to_string(error));
        EXPECT_FALSE(Exists(Dest() + name));
        EXPECT_EQ(m_job->m_lastCopyError.Get(), error);
        EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
    }
    EXPECT_EQ(m_job->GetErrorCount(), 3);
}

TEST_F(CopyOneFile, TargetPathOverTheLimitIsNotWrittenAndGoesToRecycled)
{
    std::wstring source = MakeSource(L"long.txt", "long");
    std::wstring folder = Dest() + std::wstring(200, L'x') + L"\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring target = folder + std::wstring(80, L'y') + L".txt";
    ASSERT_GE(target.size(), static_cast<size_t>(MAX_PATH));
    ScriptFileOps();

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));

    EXPECT_EQ(CopyScript().targets.size(), 1u); // only the Recycled copy
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(m_job->m_lastCopyError.Get(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(ReadFileBytes(RecycledPlace(source)), "long");
    EXPECT_EQ(m_job->GetErrorCount(), 1);
}

TEST_F(CopyOneFile, DiskFullCancelAndALostDriveEachEndTheCopyCleanly)
{
    std::wstring source = MakeSource(L"big.bin");
    std::wstring target = Dest() + L"big.bin";
    ScriptFileOps();

    CopyScript().failures = {ERROR_DISK_FULL};
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    EXPECT_TRUE(m_job->m_diskFull);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);

    // A cancelled copy is neither counted nor logged.
    CopyScript() = FileOpScript();
    m_job->m_cancelFlag = TRUE;
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    EXPECT_EQ(m_job->m_lastCopyError.Get(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
    m_job->m_cancelFlag = FALSE;

    // The program's drive went away between the copy and the move.
    MoveScript().failures = {ERROR_PATH_NOT_FOUND};
    ProgramReachable() = false;
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    EXPECT_TRUE(m_job->m_destinationLost);
    EXPECT_EQ(m_job->m_lastCopyError.Get(), 21u);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_FALSE(Exists(target));
}

TEST_F(CopyOneFile, FailedMoveDuringABackupIsCountedAndLogged)
{
    std::wstring source = MakeSource(L"a.txt");
    std::wstring target = Dest() + L"a.txt";
    ScriptFileOps();
    MoveScript().failures = {ERROR_ACCESS_DENIED};

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    EXPECT_TRUE(Questions().texts.empty());
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(IDS_LOG_COPY_FAILED, source), 1);
    EXPECT_FALSE(Exists(target));
}

TEST_F(CopyOneFile, BadPathsAreRefusedWithAnError)
{
    std::wstring source = MakeSource(L"a.txt");
    EXPECT_FALSE(m_job->CopyOneFile(L"", (Dest() + L"a.txt").c_str()));
    EXPECT_FALSE(m_job->CopyOneFile(nullptr, nullptr));
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), L"a.txt"));
    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), Dest().c_str()));
    EXPECT_EQ(m_job->m_lastCopyError.Get(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(m_job->GetErrorCount(), 4);
}

TEST_F(CopyOneFile, RecycledCopyReplacesOnlyItsOwnEarlierCopyAndNumbersAnotherFilesName)
{
    std::wstring source = MakeSource(L"keep.txt", "newer");
    std::wstring place = RecycledPlace(source);
    CString made;
    ASSERT_TRUE(m_job->GetRecycledPath(source.c_str(), Dest().c_str(), made));
    ASSERT_EQ(std::wstring(made.GetString()), place);
    // The earlier fallback copy of this same file keeps its attributes when it is replaced.
    ASSERT_TRUE(::CopyFileW(source.c_str(), place.c_str(), FALSE));
    ASSERT_TRUE(AfxSetFileAttributes(place.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD kept = Attributes(place);
    EXPECT_TRUE(m_job->CopyToRecycledFolder(source.c_str()));
    EXPECT_EQ(ReadFileBytes(place), "newer");
    EXPECT_EQ(Attributes(place), kept);
    EXPECT_FALSE(
        Exists(Dest() + GetDestComputerName().GetString() + L"_" + source.substr(0, 1) + L"\\Recycled\\keep (2).txt"));

    // A file of the same name and size from another folder, but of another time, takes the next free number.
    std::wstring other = Src() + L"other\\";
    ASSERT_TRUE(::CreateDirectoryW(other.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(other + L"keep.txt", "other"));
    ASSERT_TRUE(runtest::SetWriteTime(other + L"keep.txt", source, 10));
    EXPECT_TRUE(m_job->CopyToRecycledFolder((other + L"keep.txt").c_str()));
    std::wstring numbered = place.substr(0, place.size() - 4) + L" (2).txt";
    EXPECT_EQ(ReadFileBytes(numbered), "other");
    EXPECT_EQ(ReadFileBytes(place), "newer");
    ::SetFileAttributesW(place.c_str(), FILE_ATTRIBUTE_NORMAL);

    // No place for a network source; a cancelled job makes no copy.
    EXPECT_TRUE(m_job->CopyToRecycledFolder(L"\\\\server\\share\\x.txt"));
    m_job->m_cancelFlag = TRUE;
    EXPECT_FALSE(m_job->CopyToRecycledFolder(source.c_str()));
    m_job->m_cancelFlag = FALSE;
}

TEST_F(CopyOneFile, FailedMoveGivesTheOldTargetItsAttributesBack)
{
    std::wstring source = MakeSource(L"plan.txt");
    std::wstring target = Dest() + L"plan.txt";
    ASSERT_TRUE(WriteFileBytes(target, "old plan"));
    ASSERT_TRUE(AfxSetFileAttributes(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD kept = Attributes(target);
    ScriptFileOps();
    MoveScript().failures = {ERROR_SHARING_VIOLATION};

    EXPECT_FALSE(m_job->CopyOneFile(source.c_str(), target.c_str()));
    EXPECT_EQ(ReadFileBytes(target), "old plan");
    EXPECT_EQ(Attributes(target), kept);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyOneFile, LogStringsTakeTheArgumentsTheirCallersPass)
{
    auto countPlaceholders = [](UINT id) {
        std::wstring text = Text(id);
        int count = 0;
        for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 2))
        {
            EXPECT_EQ(text[at + 1], L's') << id;
            ++count;
        }
        return count;
    };
    for (UINT id : {IDS_LOG_COPY_FAILED, IDS_LOG_FOLDER_NOT_MADE, IDS_LOG_ATTRIBUTES_FAILED, IDS_LOG_FILE_IN_USE,
                    IDS_ASK_BACKUP_IN_USE, IDS_ASK_RESTORE_IN_USE})
    {
        EXPECT_FALSE(Text(id).empty()) << id;
        EXPECT_EQ(countPlaceholders(id), 2) << id;
    }
    EXPECT_EQ(countPlaceholders(IDS_LOG_SOURCE_FORM), 1);
    for (UINT id : {IDS_PROGRAM_OUTLOOK, IDS_PROGRAM_OUTLOOK_EXPRESS, IDS_PROGRAM_WINDOWS_MAIL})
    {
        EXPECT_FALSE(Text(id).empty()) << id;
        EXPECT_EQ(countPlaceholders(id), 0) << id;
    }
}

} // namespace
