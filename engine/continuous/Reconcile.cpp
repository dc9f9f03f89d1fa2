// Two-way reconciliation of one file pair against the two folders' list files.
#include "engine/continuous/Reconcile.h"

#include "engine/job/SyncJob.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/task/SyncTask.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/text/Time.h"

namespace
{

enum class Presence
{
    Present,
    Absent, // the system says "not found"
    Unknown // any other answer: the last error says what
};

Presence Probe(const CString &path, WIN32_FILE_ATTRIBUTE_DATA &data)
{
    if (g_pfnGetFileAttributesEx(path, GetFileExInfoStandard, &data))
        return Presence::Present;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::Absent : Presence::Unknown;
}

// The folder of path is there, so a copy missing from it was removed and not cut off with its drive.
bool FolderIsThere(const CString &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!g_pfnGetFileAttributesEx(path.Left(path.ReverseFind(L'\\') + 1), GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return true;
    ::SetLastError(ERROR_DIRECTORY);
    return false;
}

bool IsFolderPath(const CString &path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The pair was not examined: no copy was tried, the last error says why.
int NotExamined(CSyncJob &job, DWORD error)
{
    job.m_lastCopyError = 0;
    ::SetLastError(error);
    return 0;
}

class CPair
{
  public:
    CPair(CSyncJob &job, const CString &pathA, const CString &pathB, const CString &name, DWORD &direction,
          TesselDirText &listA, TesselDirText &listB)
        : m_job(job), m_pathA(pathA), m_pathB(pathB), m_name(name), m_direction(direction), m_listA(listA),
          m_listB(listB), m_inA(IsListed(listA, name) != FALSE), m_inB(IsListed(listB, name) != FALSE)
    {
    }

    int Reconcile();

  private:
    int Copy(bool fromA);
    // Deletes one side because the other was removed; unlistRemoved first takes the name out of the removed
    // side's list.
    int Delete(bool deleteA, bool unlistRemoved);
    int BothPresent(const WIN32_FILE_ATTRIBUTE_DATA &dataA, const WIN32_FILE_ATTRIBUTE_DATA &dataB);

    CSyncJob &m_job;
    const CString &m_pathA;
    const CString &m_pathB;
    const CString &m_name;
    DWORD &m_direction;
    TesselDirText &m_listA;
    TesselDirText &m_listB;
    const bool m_inA;
    const bool m_inB;
};

int CPair::Reconcile()
{
    WIN32_FILE_ATTRIBUTE_DATA dataA, dataB;
    const Presence a = Probe(m_pathA, dataA);
    if (a == Presence::Unknown)
        return NotExamined(m_job, ::GetLastError());
    const Presence b = Probe(m_pathB, dataB);
    if (b == Presence::Unknown)
        return NotExamined(m_job, ::GetLastError());
    const bool firstPass = m_job.m_firstPass != 0;

    if (a == Presence::Absent && b == Presence::Absent)
    {
        if (m_inB)
            Unlist(m_listB, m_name);
        if (m_inA)
            Unlist(m_listA, m_name);
        return 1;
    }
    if (b == Presence::Absent)
    {
        if (m_inB && m_inA && !firstPass)
            return Delete(true, true);
        if (m_inB && !firstPass)
            return 1;
        return Copy(true);
    }
    if (a == Presence::Absent)
    {
        if (m_inA && m_inB && !firstPass)
            return Delete(false, true);
        if (m_inA && !firstPass)
            return 1;
        if (m_inB && !firstPass)
            return Delete(false, false);
        m_direction = 0;
        return Copy(false);
    }
    return BothPresent(dataA, dataB);
}

int CPair::Copy(bool fromA)
{
    const CString &from = fromA ? m_pathA : m_pathB;
    const CString &to = fromA ? m_pathB : m_pathA;
    MarkJobBusy(m_job);
    // A folder is made, not copied: the copy routine passes a folder over as nothing to do, and a folder listed
    // on both sides that stands on one only reads as deleted on the other.
    const int result = IsFolderPath(from) ? (CreateDestinationFolder(to, 1) ? TASK_DONE : TASK_FAILED)
                                          : CopyFileViaTemp(&m_job, from, to);
    if (result != TASK_DONE)
    {
        const DWORD error = ::GetLastError();
        m_job.m_lastCopyError = error != 0 ? error : ERROR_GEN_FAILURE;
        ::SetLastError(error);
        return 0;
    }
    if (!m_inA)
        m_listA.Add(m_name, 0);
    if (!m_inB)
        m_listB.Add(m_name, 0);
    return 1;
}

int CPair::Delete(bool deleteA, bool unlistRemoved)
{
    const CString &doomed = deleteA ? m_pathA : m_pathB;
    const CString &removed = deleteA ? m_pathB : m_pathA;
    if (!FolderIsThere(removed))
        return NotExamined(m_job, ::GetLastError());
    if (unlistRemoved)
        Unlist(deleteA ? m_listB : m_listA, m_name);
    MarkJobBusy(m_job);
    if (DeleteFolderTree(doomed, IsFolderPath(doomed) ? 1 : 0, &m_job))
    {
        Unlist(deleteA ? m_listA : m_listB, m_name);
        return 1;
    }
    const DWORD error = ::GetLastError();
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_SYNC_DELETE_FAILED, FormatNow().GetString(),
                           removed.GetString(), doomed.GetString());
    // The copy that could not be deleted goes back to the other side: both stay in step, nothing is lost.
    if (CopyFileViaTemp(&m_job, doomed, removed) == TASK_DONE && !deleteA && !m_inA)
        m_listA.Add(m_name, 0);
    return 1;
}

int CPair::BothPresent(const WIN32_FILE_ATTRIBUTE_DATA &dataA, const WIN32_FILE_ATTRIBUTE_DATA &dataB)
{
    if (!m_inA)
        m_listA.Add(m_name, 0);
    if (!m_inB)
        m_listB.Add(m_name, 0);
    if (dataA.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 1;
    int newer = 0;
    if (!CompareCopies(dataA.ftLastWriteTime, dataB.ftLastWriteTime, newer))
        return NotExamined(m_job, ERROR_INVALID_TIME);
    if (newer == 0)
        return 1;
    if (newer > 0)
        m_direction = 0;
    return Copy(newer < 0);
}

} // namespace

BOOL IsListed(const TesselDirText &list, LPCWSTR name)
{
    return list.Contains(name, 0) || list.Contains(name, 1);
}

void Unlist(TesselDirText &list, LPCWSTR name)
{
    list.Remove(name, 0);
    list.Remove(name, 1);
}

__int64 LocalWholeSeconds(const FILETIME &time)
{
    const __int64 seconds = CTime(time).GetTime();
    return seconds < 0 ? -1 : seconds;
}

BOOL CompareCopies(const FILETIME &timeA, const FILETIME &timeB, int &newer)
{
    newer = 0;
    const __int64 a = LocalWholeSeconds(timeA);
    const __int64 b = LocalWholeSeconds(timeB);
    if (a < 0 || b < 0)
        return FALSE;
    const __int64 difference = b - a;
    newer = difference >= 6 ? 1 : difference <= -6 ? -1 : 0;
    return TRUE;
}

void MarkJobBusy(CSyncJob &job)
{
    if (IMainWindowServices *window = g_pMainDlg.load())
        window->SetJobRunning(&job);
    else
        job.m_runState = JOB_BUSY;
    job.m_refreshFlag = TRUE;
}

int ReconcilePairInLists(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction, TesselDirText &listA,
                         TesselDirText &listB)
{
    direction = 1;
    if (pathA == nullptr || pathB == nullptr || job.GetJobDef()->GetSyncType() != 2)
        return NotExamined(job, ERROR_INVALID_PARAMETER);
    const CString a(pathA);
    const CString b(pathB);
    const int slash = a.ReverseFind(L'\\');
    if (slash <= 0 || slash == a.GetLength() - 1 || b.ReverseFind(L'\\') <= 0)
        return NotExamined(job, ERROR_INVALID_NAME);
    const CString name = a.Mid(slash + 1);
    CPair pair(job, a, b, name, direction, listA, listB);
    job.m_lastCopyError = 0;
    return pair.Reconcile();
}

int ReconcilePair(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction)
{
    const CString a(pathA != nullptr ? pathA : L"");
    const CString b(pathB != nullptr ? pathB : L"");
    const int slashA = a.ReverseFind(L'\\');
    const int slashB = b.ReverseFind(L'\\');
    if (slashA <= 0 || slashB <= 0)
        return NotExamined(job, ERROR_INVALID_NAME);
    const CString id = job.GetJobDef()->GetJobUUID();
    TesselDirText listA(id);
    TesselDirText listB(id);
    if (!listA.Open(a.Left(slashA + 1)) || !listB.Open(b.Left(slashB + 1)))
    {
        const DWORD error = ::GetLastError();
        listB.Close();
        listA.Close();
        return NotExamined(job, error);
    }
    const int result = ReconcilePairInLists(job, a, b, direction, listA, listB);
    const DWORD error = ::GetLastError();
    listB.Close();
    listA.Close();
    ::SetLastError(error);
    return result;
}
