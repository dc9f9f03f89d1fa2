// Two-way reconciliation of one file pair against the two folders' list files.
#include "engine/continuous/Reconcile.h"

#include <mutex>
#include <set>
#include <vector>

#include "engine/continuous/RemovalRules.h"
#include "engine/job/SyncJob.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/run/RunThread.h"
#include "engine/store/PathMatch.h"
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
          TesselDirText &listA, TesselDirText &listB, PairSource source, IReplaceGuard *guard)
        : m_job(job), m_pathA(pathA), m_pathB(pathB), m_name(name), m_direction(direction), m_listA(listA),
          m_listB(listB), m_source(source), m_guard(guard), m_inA(IsListed(listA, name) != FALSE),
          m_inB(IsListed(listB, name) != FALSE)
    {
    }

    int Reconcile();

  private:
    int Copy(bool fromA);
    // The removal of one side carried over to the other, whose attribute record is doomedData.
    int CarryOverRemoval(bool deleteA, const WIN32_FILE_ATTRIBUTE_DATA &doomedData);
    int BothPresent(const WIN32_FILE_ATTRIBUTE_DATA &dataA, const WIN32_FILE_ATTRIBUTE_DATA &dataB, bool inStep);
    // Once per pair and program start: the log says the overwrite choice keeps the two copies apart.
    void ReportKeptApart();
    // The pair stands in step: listed on both sides, a file pair with the later of its two last-write times
    // (null for a folder pair).
    void ListOnBothSides(const FILETIME *written);

    CSyncJob &m_job;
    const CString &m_pathA;
    const CString &m_pathB;
    const CString &m_name;
    DWORD &m_direction;
    TesselDirText &m_listA;
    TesselDirText &m_listB;
    const PairSource m_source;
    IReplaceGuard *const m_guard;
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
    // Only a name both lists hold was ever in step on both sides, so only such a name can have been removed.
    const bool wasInStep = m_inA && m_inB && m_job.m_firstPass == 0;

    if (a == Presence::Absent && b == Presence::Absent)
    {
        if (m_inB)
            Unlist(m_listB, m_name);
        if (m_inA)
            Unlist(m_listA, m_name);
        return 1;
    }
    if (b == Presence::Absent)
        return wasInStep ? CarryOverRemoval(true, dataA) : Copy(true);
    if (a == Presence::Absent)
    {
        if (wasInStep)
            return CarryOverRemoval(false, dataB);
        m_direction = 0;
        return Copy(false);
    }
    return BothPresent(dataA, dataB, wasInStep);
}

void CPair::ListOnBothSides(const FILETIME *written)
{
    for (TesselDirText *list : {&m_listA, &m_listB})
    {
        // A name the pass listed as a folder keeps its folder line.
        if (written != nullptr && !list->Contains(m_name, 1))
            list->MarkInStep(m_name, *written);
        else if (!IsListed(*list, m_name))
            list->Add(m_name, 0);
    }
}

int CPair::Copy(bool fromA)
{
    const CString &from = fromA ? m_pathA : m_pathB;
    const CString &to = fromA ? m_pathB : m_pathA;
    m_direction = fromA ? 1 : 0;
    const bool replacing = ::GetFileAttributesW(to) != INVALID_FILE_ATTRIBUTES;
    MarkJobBusy(m_job);
    // The copy it replaces is kept (a revision) once the new copy stands whole beside it, and only then: a copy
    // that cannot be made keeps nothing. Without it the pair stays as it is.
    bool left = false;
    const auto keepReplaced = [&]() {
        left = m_guard != nullptr && !m_guard->BeforeReplace(to, CString());
        return !left;
    };
    // A folder is made, not copied: the copy routine passes a folder over as nothing to do, and a folder listed
    // on both sides that stands on one only reads as deleted on the other.
    const bool folder = IsFolderPath(from);
    const int result = folder ? (CreateDestinationFolder(to, 1) ? TASK_DONE : TASK_FAILED)
                              : CopyFileViaTemp(&m_job, from, to, keepReplaced);
    if (left)
        return 1;
    if (result != TASK_DONE)
    {
        // The lists stay as they were: the name is not in step, and the next pass looks at it again.
        const DWORD error = ::GetLastError();
        m_job.m_lastCopyError = error != 0 ? error : ERROR_GEN_FAILURE;
        ::SetLastError(error);
        return 0;
    }
    WIN32_FILE_ATTRIBUTE_DATA dataFrom, dataTo;
    if (!folder && g_pfnGetFileAttributesEx(from, GetFileExInfoStandard, &dataFrom) &&
        g_pfnGetFileAttributesEx(to, GetFileExInfoStandard, &dataTo))
        ListOnBothSides(::CompareFileTime(&dataFrom.ftLastWriteTime, &dataTo.ftLastWriteTime) > 0
                            ? &dataFrom.ftLastWriteTime
                            : &dataTo.ftLastWriteTime);
    else
        ListOnBothSides(nullptr);
    if (replacing)
    {
        // Every replacement says so, on either side: the source's is the user's own file.
        const bool sourceReplaced = (m_source == PairSource::A) != fromA;
        m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, 0, LM_INFO,
                               sourceReplaced ? IDS_LOG_SYNC_SOURCE_REPLACED : IDS_LOG_SYNC_COPY_REPLACED,
                               FormatNow().GetString(), to.GetString(), from.GetString());
    }
    return 1;
}

int CPair::CarryOverRemoval(bool deleteA, const WIN32_FILE_ATTRIBUTE_DATA &doomedData)
{
    const CString &doomed = deleteA ? m_pathA : m_pathB;
    const CString &removed = deleteA ? m_pathB : m_pathA;
    TesselDirText &doomedList = deleteA ? m_listA : m_listB;
    TesselDirText &removedList = deleteA ? m_listB : m_listA;
    if (!FolderIsThere(removed))
        return NotExamined(m_job, ::GetLastError());
    if (doomedData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        MarkJobBusy(m_job);
        if (CarryOverFolderRemoval(m_job, CutTrailingBackslashes(doomed), CutTrailingBackslashes(removed), m_guard))
        {
            Unlist(removedList, m_name);
            Unlist(doomedList, m_name);
            return 1;
        }
        // What stayed of the folder comes back to the other side with it.
        Copy(deleteA);
        return 1;
    }
    switch (CarryOverFileRemoval(m_job, doomed, doomedData.ftLastWriteTime, removed, doomedList, m_guard))
    {
    case RemovalOutcome::Left:
        return 1;
    case RemovalOutcome::Deleted:
        Unlist(removedList, m_name);
        Unlist(doomedList, m_name);
        return 1;
    case RemovalOutcome::Kept:
        // Changed since the last pass: it is the newest copy there is.
        return Copy(deleteA);
    case RemovalOutcome::Failed:
    default:
        // The copy that could not be deleted goes back to the other side: both stay in step, nothing is lost.
        Copy(deleteA);
        return 1;
    }
}

int CPair::BothPresent(const WIN32_FILE_ATTRIBUTE_DATA &dataA, const WIN32_FILE_ATTRIBUTE_DATA &dataB, bool inStep)
{
    if (dataA.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        ListOnBothSides(nullptr);
        return 1;
    }
    NewerCopy newer = NewerCopy::Same;
    bool keptApart = false;
    if (!DecideBothPresent(m_job, dataA, dataB, inStep, m_source, newer, keptApart))
        return NotExamined(m_job, ERROR_INVALID_TIME);
    if (keptApart)
    {
        // Unlisted, neither copy can ever count as removed; the next pass asks the choice again.
        Unlist(m_listA, m_name);
        Unlist(m_listB, m_name);
        ReportKeptApart();
        return 1;
    }
    switch (newer)
    {
    case NewerCopy::Same:
        ListOnBothSides(::CompareFileTime(&dataA.ftLastWriteTime, &dataB.ftLastWriteTime) > 0 ? &dataA.ftLastWriteTime
                                                                                              : &dataB.ftLastWriteTime);
        return 1;
    case NewerCopy::Conflict:
        // Neither copy is known to be the newer one; unlisted, the one the user removes is no removal to carry
        // over, and the other comes back in its place.
        ++m_job.m_errorCount;
        m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_FILE_EXISTS, LM_ERROR, IDS_LOG_SYNC_CONFLICT,
                               FormatNow().GetString(), m_pathA.GetString(), m_pathB.GetString());
        Unlist(m_listA, m_name);
        Unlist(m_listB, m_name);
        return 1;
    case NewerCopy::A:
        return Copy(true);
    case NewerCopy::B:
    default:
        return Copy(false);
    }
}

// The pairs whose copies were kept apart and logged since the program started, as "JobUUID|A|B" in upper case.
std::mutex g_keptApartLock;
std::set<CString> g_keptApartLogged;

void CPair::ReportKeptApart()
{
    CString key = m_job.GetJobDef()->GetJobUUID() + L"|" + m_pathA + L"|" + m_pathB;
    key.MakeUpper();
    {
        std::lock_guard<std::mutex> hold(g_keptApartLock);
        if (!g_keptApartLogged.insert(key).second)
            return;
    }
    const bool sourceIsA = m_source == PairSource::A;
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, 0, LM_NOTICE, IDS_LOG_SYNC_KEPT_APART, FormatNow().GetString(),
                           (sourceIsA ? m_pathA : m_pathB).GetString(), (sourceIsA ? m_pathB : m_pathA).GetString());
}

} // namespace

NewerCopy OverwriteChoice(int owType, NewerCopy newer, PairSource source, bool &keptApart)
{
    keptApart = false;
    if (newer == NewerCopy::Same)
        return newer;
    switch (owType)
    {
    case 2:
        return source == PairSource::A ? NewerCopy::A : NewerCopy::B;
    case 3:
        keptApart = true;
        return NewerCopy::Same;
    default:
        return newer;
    }
}

BOOL DecideBothPresent(CSyncJob &job, const WIN32_FILE_ATTRIBUTE_DATA &a, const WIN32_FILE_ATTRIBUTE_DATA &b,
                       bool inStep, PairSource source, NewerCopy &newer, bool &keptApart)
{
    keptApart = false;
    if (!CompareCopies(a, b, newer))
        return FALSE;
    if (!inStep)
        newer = OverwriteChoice(job.GetJobDef()->GetOwType(), newer, source, keptApart);
    return TRUE;
}

bool IsPairInStep(CSyncJob &job, const CString &pathA, const CString &pathB)
{
    const int slashA = pathA.ReverseFind(L'\\');
    const int slashB = pathB.ReverseFind(L'\\');
    if (slashA <= 0 || slashB <= 0 || job.m_firstPass != 0)
        return false;
    const CString id = job.GetJobDef()->GetJobUUID();
    TesselDirText listA(id, &job.GetLog());
    TesselDirText listB(id, &job.GetLog());
    const CString name = pathA.Mid(slashA + 1);
    const bool inStep = listA.Open(pathA.Left(slashA + 1)) && listB.Open(pathB.Left(slashB + 1)) &&
                        IsListed(listA, name) && IsListed(listB, name);
    listB.Close();
    listA.Close();
    return inStep;
}

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

BOOL CompareCopies(const WIN32_FILE_ATTRIBUTE_DATA &a, const WIN32_FILE_ATTRIBUTE_DATA &b, NewerCopy &newer)
{
    newer = NewerCopy::Same;
    const __int64 secondsA = LocalWholeSeconds(a.ftLastWriteTime);
    const __int64 secondsB = LocalWholeSeconds(b.ftLastWriteTime);
    if (secondsA < 0 || secondsB < 0)
        return FALSE;
    const __int64 difference = secondsB - secondsA;
    if (difference >= 6 || difference <= -6)
    {
        newer = difference > 0 ? NewerCopy::B : NewerCopy::A;
        return TRUE;
    }
    // Within 5 seconds one size is taken for one copy (file systems store times to different precisions);
    // two sizes are two versions, a quick second save or a cut-off copy, and the later one wins.
    if (a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow)
        return TRUE;
    const LONG order = ::CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime);
    newer = order < 0 ? NewerCopy::B : order > 0 ? NewerCopy::A : NewerCopy::Conflict;
    return TRUE;
}

bool IsInJobSource(CSyncJob &job, LPCWSTR path)
{
    std::vector<RunSource> sources;
    if (path == nullptr || !ReadRunSources(job.GetElement(), sources))
        return false;
    const CString text(path);
    for (const RunSource &source : sources)
    {
        const CString root = CutTrailingBackslashes(source.path);
        if (!root.IsEmpty() && text.GetLength() > root.GetLength() && text[root.GetLength()] == L'\\' &&
            text.Left(root.GetLength()).CompareNoCase(root) == 0)
            return true;
    }
    return false;
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
                         TesselDirText &listB, PairSource source, IReplaceGuard *guard)
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
    CPair pair(job, a, b, name, direction, listA, listB, source, guard);
    job.m_lastCopyError = 0;
    return pair.Reconcile();
}

int ReconcilePair(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction, IReplaceGuard *guard)
{
    const CString a(pathA != nullptr ? pathA : L"");
    const CString b(pathB != nullptr ? pathB : L"");
    const int slashA = a.ReverseFind(L'\\');
    const int slashB = b.ReverseFind(L'\\');
    if (slashA <= 0 || slashB <= 0)
        return NotExamined(job, ERROR_INVALID_NAME);
    const CString id = job.GetJobDef()->GetJobUUID();
    TesselDirText listA(id, &job.GetLog());
    TesselDirText listB(id, &job.GetLog());
    if (!listA.Open(a.Left(slashA + 1)) || !listB.Open(b.Left(slashB + 1)))
    {
        const DWORD error = ::GetLastError();
        listB.Close();
        listA.Close();
        return NotExamined(job, error);
    }
    const int result = ReconcilePairInLists(job, a, b, direction, listA, listB,
                                            IsInJobSource(job, a) ? PairSource::A : PairSource::B, guard);
    const DWORD error = ::GetLastError();
    listB.Close();
    listA.Close();
    ::SetLastError(error);
    return result;
}
