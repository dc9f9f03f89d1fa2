// What a job reports: the copy progress rule (directly and through a real copy), its copy-error items, and
// its texts for the job list and the log, read from the language library.
#include "SyncJobTestSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system/CopyFile.h"

using namespace syncjobtest;

namespace
{

const LONGLONG MiB = 1024 * 1024;

DWORD Progress(CSyncJob *job, DWORD reason, LONGLONG transferred, LONGLONG size)
{
    LARGE_INTEGER total, done;
    total.QuadPart = size;
    done.QuadPart = transferred;
    return CSyncJob::CopyProgressRoutine(total, done, total, done, 1, reason, nullptr, nullptr, job);
}

class SyncJobProgressTest : public JobTest
{
};

class SyncJobReportTest : public JobTest
{
  protected:
    std::wstring ReadLog(const std::wstring &path)
    {
        CKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        if (!file.IsValid())
            return std::wstring();
        std::wstring text(::GetFileSize(file.Get(), nullptr) / 2, L'\0');
        DWORD read = 0;
        ::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size() * 2), &read, nullptr);
        return text;
    }
};

} // namespace

TEST_F(SyncJobProgressTest, CountsStepsOfAtMostOneMebibyteAndTheLastChunkOnce)
{
    auto job = NewJob(L"Watched", Dest());
    job->GetJobDef()->SetJsType(0);
    job->m_bytesTotal = 999;
    job->m_bytesDone = 777;
    job->m_progressPercent = 40;

    // A single changed file of a watched job: the stream switch makes its size the run's total.
    EXPECT_EQ(Progress(job.get(), CALLBACK_STREAM_SWITCH, 0, 3 * MiB), static_cast<DWORD>(PROGRESS_CONTINUE));
    EXPECT_EQ(job->m_bytesTotal, static_cast<ULONGLONG>(3 * MiB));
    EXPECT_EQ(job->m_bytesDone, 0u);
    EXPECT_EQ(job->m_progressPercent, 0);

    Progress(job.get(), CALLBACK_CHUNK_FINISHED, 1 * MiB, 3 * MiB);
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(1 * MiB));
    Progress(job.get(), CALLBACK_CHUNK_FINISHED, 5 * MiB / 2, 3 * MiB);
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(1 * MiB)) << "a 1.5 MiB step is not counted";
    EXPECT_EQ(job->m_lastTransferred, static_cast<ULONGLONG>(1 * MiB));
    Progress(job.get(), CALLBACK_CHUNK_FINISHED, 2 * MiB, 3 * MiB);
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(2 * MiB));
    Progress(job.get(), CALLBACK_CHUNK_FINISHED, 3 * MiB, 3 * MiB);
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(3 * MiB));

    // A run started from the window keeps its totals across files; only the file's own mark restarts.
    job->m_startArgument = 1;
    Progress(job.get(), CALLBACK_STREAM_SWITCH, 0, 10);
    EXPECT_EQ(job->m_bytesTotal, static_cast<ULONGLONG>(3 * MiB));
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(3 * MiB));
    EXPECT_EQ(job->m_lastTransferred, 0u);

    job->m_secondPercent = 50;
    job->m_cancelFlag = TRUE;
    EXPECT_EQ(Progress(job.get(), CALLBACK_CHUNK_FINISHED, 5, 10), static_cast<DWORD>(PROGRESS_CANCEL));
    EXPECT_EQ(job->m_secondPercent, 0);
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(3 * MiB));
    job->m_cancelFlag = FALSE;
    job->IsRetryableError(ERROR_NETNAME_DELETED);
    EXPECT_EQ(Progress(job.get(), CALLBACK_CHUNK_FINISHED, 5, 10), static_cast<DWORD>(PROGRESS_CANCEL));
    job->IsRetryableError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(Progress(job.get(), CALLBACK_CHUNK_FINISHED, 5, 10), static_cast<DWORD>(PROGRESS_CONTINUE));
}

TEST_F(SyncJobProgressTest, RealCopyCountsEveryByteOnceAndThePresetCancelFlagStopsIt)
{
    std::wstring source = m_folder / L"source.bin";
    std::wstring target = m_folder / L"target.bin";
    ASSERT_TRUE(testsupport::WriteFileBytes(source, std::string(static_cast<size_t>(7 * MiB / 2), 'x')));
    auto job = NewJob(L"Copy", Dest());
    job->m_startArgument = 1;

    ASSERT_TRUE(CopyFileWithProgress(source.c_str(), target.c_str(), &CSyncJob::CopyProgressRoutine, job.get(),
                                     job->GetCancelPointer(), 0));
    EXPECT_EQ(job->m_bytesDone, static_cast<ULONGLONG>(7 * MiB / 2));

    ASSERT_TRUE(::DeleteFileW(target.c_str()));
    job->m_cancelFlag = TRUE;
    EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), &CSyncJob::CopyProgressRoutine, job.get(),
                                      job->GetCancelPointer(), 0));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SyncJobErrorListTest, MergesARepeatOfTheLastTextAndTrimsWhatItKeeps)
{
    CCopyErrorList list;
    list.AddErrorItem(L"A", 10);
    list.AddErrorItem(L"A", 20);
    ASSERT_EQ(list.GetCount(), 1u);
    CopyErrorItem item;
    ASSERT_TRUE(list.GetItem(0, item));
    EXPECT_EQ(item.time, 20);

    list.AddErrorItem(L"B", 30);
    list.AddErrorItem(L"A", 40);
    EXPECT_EQ(list.GetCount(), 3u);

    list.AddErrorItem(L"x\r\n", 50);
    list.AddErrorItem(L"x\r\n", 60);
    ASSERT_EQ(list.GetCount(), 5u) << "the trimmed text never equals the next text with its line break";
    list.GetItem(4, item);
    EXPECT_EQ(item.text, CString(L"x"));
    list.AddErrorItem(nullptr, 70);
    EXPECT_EQ(list.GetCount(), 6u);
    EXPECT_FALSE(list.GetItem(6, item));
}

TEST_F(SyncJobReportTest, ErrorEntriesNeedTheMainWindowAndNameThePath)
{
    auto job = NewJob(L"Errors", Dest());
    job->LogError(ERROR_ACCESS_DENIED, L"C:\\a.txt");
    EXPECT_EQ(job->GetErrorList().GetCount(), 0u) << "no main window, no entry";

    FakeMainWindow window;
    job->LogError(ERROR_ACCESS_DENIED, L"C:\\a.txt");
    job->m_journalFlag = FALSE;
    job->LogError(ERROR_INVALID_PARAMETER, L"C:\\b.txt");
    job->AddStatusError(L"plain\r\n");
    std::vector<CopyErrorItem> items = job->GetErrorList().GetItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text.Find(L"Could not back up C:\\a.txt - "), 0) << CStringA(items[0].text).GetString();
    EXPECT_GT(items[0].text.GetLength(), 30) << "the system text follows";
    EXPECT_EQ(items[1].text, CString(L"Could not restore C:\\b.txt - The file name or path is not valid."));
    EXPECT_EQ(items[2].text, CString(L"plain"));
    EXPECT_EQ(job->GetErrorList().GetJobName(), CString(L"Errors"));
}

TEST_F(SyncJobReportTest, JobListTextsComeFromTheLanguageLibrary)
{
    auto job = NewJob(L"Texts", Dest());
    CJobDef *def = job->GetJobDef();
    CString filter;
    def->SetInclude(L".doc;.xls");
    def->SetExclude(L".tmp");
    job->GetFilterText(filter);
    EXPECT_EQ(filter, CString(L"Include: .doc;.xls"));
    def->SetInclude(L"");
    job->GetFilterText(filter);
    EXPECT_EQ(filter, CString(L"Exclude: .tmp"));
    def->SetExclude(L"");
    job->GetFilterText(filter);
    EXPECT_TRUE(filter.IsEmpty());

    def->SetJsType(1);
    def->SetJsMins(2880);
    EXPECT_EQ(job->GetScheduleText(), CString(L"Every 2 day(s)"));
    def->SetJsMins(120);
    EXPECT_EQ(job->GetScheduleText(), CString(L"Every 2 hour(s)"));
    def->SetJsMins(90);
    EXPECT_EQ(job->GetScheduleText(), CString(L"Every 90 minute(s)"));
    def->SetJsType(0);
    EXPECT_EQ(job->GetScheduleText(), CString(L"When files change"));
    def->SetJsType(2);
    def->SetJsDay(64 | 1);
    def->SetJsTime(CTime(2024, 1, 1, 8, 30, 0));
    CString weekly = job->GetScheduleText();
    EXPECT_EQ(weekly.Find(L"Every "), 0);
    EXPECT_EQ(weekly.Right(9), CString(L" at 08:30"));
    EXPECT_EQ(weekly.Find(L", "), weekly.ReverseFind(L',')) << "two day names";

    def->SetMaxVer(-1);
    EXPECT_EQ(job->GetRevisionText(), CString(L"Keeps every revision"));
    def->SetMaxVer(0);
    EXPECT_EQ(job->GetRevisionText(), CString(L"Keeps no revisions"));
    def->SetMaxVer(3);
    EXPECT_EQ(job->GetRevisionText(), CString(L"Keeps 3 revisions"));
}

TEST_F(SyncJobReportTest, SummaryNamesTheJobItsSourcesAndDestination)
{
    auto job = NewJob(L"Summary", Dest());
    job->GetJobDef()->AddSourcePath(L"C:\\Data\\", nullptr);
    job->GetJobDef()->AddSourcePath(L"C:\\Notes\\todo.txt", nullptr);
    job->GetJobDef()->SetInclude(L".txt");
    EXPECT_EQ(job->GetSourceListText(), CString(L"C:\\Data\\\nC:\\Notes\\todo.txt"));
    CString summary = job->GetSummaryText();
    EXPECT_EQ(summary.Find(L"Summary: C:\\Data\\; C:\\Notes\\todo.txt"), 0) << CStringA(summary).GetString();
    EXPECT_GE(summary.Find(Dest().c_str()), 0);

    job->FormatSummary(221);
    // The whole log: the byte-order mark, then the summary as one entry of whole lines.
    std::wstring log = ReadLog(m_folder / L"Summary.log");
    EXPECT_EQ(log, L"\xFEFF"
                   L"When files change\r\nJob: Summary\r\nDestination: " +
                       Dest() + L"\r\nSources:\r\nC:\\Data\\\r\nC:\\Notes\\todo.txt\r\nInclude: .txt\r\n");
}
