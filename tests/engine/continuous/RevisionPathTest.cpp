// Targets and revision paths of a job's files, by job kind and path form.
#include <string>

#include "ContinuousTestSupport.h"
#include "engine/continuous/RevisionPath.h"
#include "engine/run/RunThread.h"
#include "engine/store/JobDef.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace continuoustest;

namespace
{

class RevisionPath : public ContinuousTest
{
};

} // namespace

TEST_F(RevisionPath, TargetAndRevisionByJobKindAndPathForm)
{
    const std::wstring deep = L"D:\\" + std::wstring(245, L'd') + L"\\";
    struct Row
    {
        int syncType;
        const wchar_t *name, *dest, *file, *root, *destination, *target, *revision;
        DWORD error;
    };
    const Row rows[] = {
        {2, L"Job", L"D:\\dst\\", L"C:\\src\\sub\\f.txt", L"C:\\src\\", L"D:\\dst\\", L"D:\\dst\\sub\\f.txt",
         L"D:\\Revision\\Job\\dst\\sub\\f.txt", 0},
        {2, L"Job", L"\\\\srv\\share\\", L"C:\\src\\d\\f", L"C:\\src", L"\\\\srv\\share\\", L"\\\\srv\\share\\d\\f",
         L"\\\\srv\\share\\Revision\\Job\\d\\f", 0},
        {2, L"Job", L"\\\\srv", L"C:\\src", L"C:\\src\\", L"\\\\srv\\share", L"\\\\srv\\share",
         L"\\\\srv\\share\\Revision\\Job\\", 0},
        {2, L"Job", L"dst\\", L"C:\\src\\f", L"C:\\src\\", L"dst\\x", nullptr, nullptr, ERROR_BAD_PATHNAME},
        {2, L"Job", deep.c_str(), L"C:\\src\\f.txt", L"C:\\src\\", deep.c_str(), nullptr, nullptr,
         ERROR_FILENAME_EXCED_RANGE},
        // A job name that is no folder name takes the log file's form of it.
        {2, L"Work/Home", L"D:\\dst\\", L"C:\\src\\f", L"C:\\src\\", L"D:\\dst\\", L"D:\\dst\\f",
         L"D:\\Revision\\Work_Home\\dst\\f", 0},
        {2, L"..Photos 2024.", L"D:\\dst\\", L"C:\\src\\f", L"C:\\src\\", L"D:\\dst\\", L"D:\\dst\\f",
         L"D:\\Revision\\__Photos 2024_\\dst\\f", 0},
        {2, L"", L"D:\\dst\\", L"C:\\src\\f", L"C:\\src\\", L"D:\\dst\\", nullptr, nullptr, ERROR_INVALID_NAME},
        // A change on the destination side goes back to its source; its revision stays under "dest".
        {2, L"Job", L"D:\\dst\\", L"d:\\DST\\sub\\f.txt", L"D:\\dst\\", L"C:\\src\\", L"C:\\src\\sub\\f.txt",
         L"D:\\dst\\Revision\\sub\\f.txt", 0},
        {1, L"Job", L"E:\\Backup", L"C:\\src\\sub\\f.txt", L"C:\\src\\", L"E:\\Backup\\src",
         L"E:\\Backup\\src\\sub\\f.txt", L"E:\\Backup\\Revision\\src\\sub\\f.txt", 0},
        {2, L"Job", L"D:\\dst\\", L"C:\\src2\\f", L"C:\\src\\", L"D:\\dst\\", nullptr, nullptr, ERROR_BAD_PATHNAME},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.file)));
        m_job->GetJobDef()->SetSyncType(row.syncType);
        m_job->GetJobDef()->SetName(row.name);
        m_job->GetJobDef()->SetDest(row.dest);
        CString target, revision;
        const BOOL made = MakeRevisionPath(*m_job, row.file, row.root, row.destination, target, &revision);
        EXPECT_EQ(made, row.target != nullptr);
        EXPECT_EQ(target, CString(row.target != nullptr ? row.target : L""));
        EXPECT_EQ(revision, CString(row.revision != nullptr ? row.revision : L""));
        if (!made)
        {
            EXPECT_EQ(::GetLastError(), row.error);
        }
        // The backup run's own targets are as they were.
        CString backupTarget;
        if (row.syncType != 2 && MakeRevisionPath(row.file, row.root, row.destination, backupTarget))
        {
            EXPECT_EQ(backupTarget, target);
        }
    }
    EXPECT_EQ(CountLines(JobLogLines(*m_job), EntryLine(IDS_LOG_SOURCE_FORM, L"dst\\x\\f")), 1);
}
