// The job path check: watch registration of on-change jobs and the first run of a due job.
#include "engine/continuous/JobPaths.h"

#include <vector>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/run/RunThread.h"
#include "engine/store/PathMatch.h"
#include "engine/task/SyncTask.h"
#include "platform/system/Handles.h"

namespace
{

struct JobFolder
{
    CString watched;  // as the watcher gets it
    CString storeKey; // as the store check compares it: a mail store's folder keeps its backslash
};

JobFolder MakeJobFolder(const CString &path)
{
    JobFolder folder;
    folder.storeKey = IsMailStoreSourcePath(path) ? MailStoreFolder(path) : path;
    folder.watched = GetWatchedPath(path);
    return folder;
}

// The job's folders: each source, and for a two-way job each destination (only one that exists when
// existingDestinations is set).
std::vector<JobFolder> ReadJobFolders(CSyncJob &job, bool existingDestinations)
{
    std::vector<JobFolder> folders;
    std::vector<RunSource> sources;
    if (!ReadRunSources(job.GetElement(), sources))
        return folders;
    const bool twoWay = job.GetJobDef()->GetSyncType() == 2;
    for (const RunSource &source : sources)
    {
        if (!source.path.IsEmpty())
            folders.push_back(MakeJobFolder(source.path));
        if (!twoWay || source.destination.IsEmpty())
            continue;
        const JobFolder destination = MakeJobFolder(source.destination);
        if (!existingDestinations || ::GetFileAttributesW(destination.watched) != INVALID_FILE_ATTRIBUTES)
            folders.push_back(destination);
    }
    return folders;
}

bool HasNeverRun(CSyncJob &job)
{
    CTime lastRun;
    ParseLastRunTime(lastRun, job.GetElement());
    return lastRun.GetTime() == 0;
}

void Queue(CSyncJob &job, IMainWindowServices *mainWindow)
{
    if (mainWindow != nullptr)
        mainWindow->RunJobNow(&job, 1);
}

// Lists every folder of the tree below folder; links (reparse points) are not followed.
void ListFolderTree(const CString &folder)
{
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW(CutTrailingBackslashes(folder) + L"\\*", &found));
    for (bool more = listing.IsValid(); more; more = ::FindNextFileW(listing, &found) != FALSE)
    {
        const LPCWSTR name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))))
            continue;
        ListFolderTree(CutTrailingBackslashes(folder) + L"\\" + name);
    }
}

} // namespace

CString GetWatchedPath(const CString &path)
{
    return IsMailStoreSourcePath(path) ? CutTrailingBackslashes(MailStoreFolder(path)) : path;
}

std::vector<CString> GetJobWatchedFolders(CSyncJob &job)
{
    std::vector<CString> folders;
    for (const JobFolder &folder : ReadJobFolders(job, false))
        folders.push_back(folder.watched);
    return folders;
}

void WatchFolderOnce(IDirectoryWatch &watcher, LPCWSTR folder, CDirectoryChangeHandler *handler)
{
    if (folder == nullptr || *folder == L'\0' || watcher.IsWatching(folder))
        return;
    // Wine reports the changes in a folder that was there before the watch began only once the folder has been
    // opened since (Windows reports them all): the tree is listed once, which on Windows changes nothing.
    if (watcher.AddWatch(folder, kJobWatchFilter, handler, TRUE) == 0)
        ListFolderTree(folder);
}

void CheckJobPaths(CSyncJob &job, IDirectoryWatch &watcher, CDirectoryChangeHandler *handler,
                   IMainWindowServices *mainWindow)
{
    CJobDef *def = job.GetJobDef();
    const int jsType = def->GetJsType();
    if (jsType == 0 && def->GetState() == 0 && job.m_watchFlag)
    {
        for (const JobFolder &folder : ReadJobFolders(job, false))
        {
            // The saved store says whether another enabled on-change job still needs the folder.
            if (!job.CheckPathInStore(folder.storeKey))
                watcher.RemoveWatch(folder.watched);
        }
        job.m_watchFlag = FALSE;
        return;
    }
    if (jsType == 0)
    {
        const bool watched = job.m_watchFlag != FALSE;
        for (const JobFolder &folder : ReadJobFolders(job, true))
            WatchFolderOnce(watcher, folder.watched, handler);
        job.m_watchFlag = TRUE;
        // A new job whose first backup the user put off waits for its first change.
        const bool putOff = job.m_waitForFirstChange.Exchange(FALSE) != FALSE;
        // What changed while nothing watched the job's folders (the program was not running, or the job was
        // disabled, or changes were still settling when the program ended) is caught by one run.
        if (!watched && !putOff && job.m_runState != JOB_BUSY)
        {
            if (HasNeverRun(job))
                job.m_runState = JOB_IDLE;
            if (job.ValidateDueRun())
                Queue(job, mainWindow);
        }
        return;
    }
    // A job that has never run is due on its schedule as well: its first backup may have been put off when it was
    // made, and nothing else would ever run it.
    if ((jsType == 1 || jsType == 2) && job.ValidateDueRun())
        Queue(job, mainWindow);
}
