// The backup run: the worker thread of one run of a job whose sync_type is not 2. It backs up the job's sources
// in store order (one file, one mail store or one folder tree each) and ends by posting exactly one of
// WM_JOB_FINISHED, WM_JOB_CANCELLED or WM_JOB_FAILED to the main window.
//
// The thread runs on a 64 KB stack: the folder walk keeps its listing record and its path texts off the stack
// of its recursive frames.
//
// The source list is read once, when the run starts: the walk itself makes no call into the store document,
// and an edit of the job while it runs does not change what this run copies.
#pragma once
#include <windows.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/run/RunFolders.h"
#include "engine/run/TargetFolders.h"
#include "platform/text/String.h"
#include "platform/system/Seam.h"
#include "platform/system/XmlDom.h"

// One "src" element of a job, as read at the start of a run.
struct RunSource
{
    CString path;
    CString destination;       // as stored; empty: the source's default place
    bool filtersActive = true; // "rapid" is not "0"
    // The "path" of each "file" child in document order; without any the whole tree below the source counts.
    std::vector<CString> files;
    // The same paths upper-cased, for FindSourceNode.
    std::unordered_set<CString> fileKeys;
    // Kept for mail stores only: the mail library reads the chosen folders from it.
    IXMLDOMElementPtr element;
};

enum class RunSourceKind
{
    Invalid,   // an empty path
    File,      // longer than 3 characters and not ending in a backslash
    MailStore, // ends in "pst\"
    Folder     // a folder or a drive root
};
RunSourceKind GetRunSourceKind(LPCWSTR path);

// Appends one RunSource per "src" child of the "jobdef" element, in document order, under the DOM lock. FALSE
// (sources left empty) for a null element or when the store raised an error.
BOOL ReadRunSources(IXMLDOMElement *jobElement, std::vector<RunSource> &sources);
// The run reads its sources through here: ReadRunSources unless a test makes the read fail.
using PFN_READ_RUN_SOURCES = BOOL (*)(IXMLDOMElement *jobElement, std::vector<RunSource> &sources);
extern Seam<PFN_READ_RUN_SOURCES> g_pfnReadRunSources;

// The index in source.files of the "file" child whose path is path (case ignored); -1 when there is none.
int FindSourceNode(const RunSource &source, LPCWSTR path);

// The target of a file below a source: destination, one backslash, then the file's part after root. FALSE
// (target emptied) when the file does not lie under root, the destination is empty, or the result does not fit
// in kMaxPathChars characters.
BOOL MakeRevisionPath(LPCWSTR file, LPCWSTR root, LPCWSTR destination, CString &target);

// Where a file source goes: a stored destination ending in a backslash gets the file's name; another stored
// destination is the target itself; without one, "dest" joined with the file's name. FALSE when none fits.
BOOL MakeFileSourceTarget(const CString &source, const CString &destination, const CString &dest, CString &target);

// Compare mode: TRUE when the last-write times, in whole seconds, are less than five seconds apart.
BOOL IsUpToDate(const FILETIME &sourceTime, const FILETIME &targetTime);

// TRUE when the run is to end at once: cancelled, a network error, the destination gone or full.
BOOL IsRunStopped(const CSyncJob &job);

// The folder scan and compare of one folder source (see ScanAndCopy).
class CBackupScan
{
  public:
    // folders is the run's: the scan passes over the job's own folders and records the ones it cannot list.
    CBackupScan(CSyncJob &job, const CString &jobName, const RunSource &source, CRunFolders &folders);
    CBackupScan(const CBackupScan &) = delete;
    CBackupScan &operator=(const CBackupScan &) = delete;

    // Walks folder (ending in a backslash; or the source path itself for a single file) depth first and copies
    // what is missing or changed at destination. root is the source path; wholeTree 1 counts every entry below
    // it, 0 only the files that have their own "file" element (and does not descend). Nonzero when the folder
    // was walked to its end; 0 when its listing failed or broke off (counted and logged; the caller goes on
    // unless MustStop), or when the run was cancelled or an error ends the run (the job's flags tell which).
    int ScanAndCopy(BOOL fullCopy, const CString &root, const CString &folder, const CString &destination,
                    int wholeTree);

  private:
    enum class Step
    {
        Next,
        Stop
    };
    bool MustStop() const;
    // A folder that could not be listed (or whose listing broke off): one error, one log entry and one line of
    // the copy-error list; a network error also sets the network-retry flag, which ends the run. The folder is
    // recorded as unlisted.
    void ReportFolderFailure(const CString &folder, DWORD error, UINT stringId);
    // Whether a path that was not found means that the whole source went (its drive pulled, its folder
    // removed) rather than one entry: then the run stops as its destination went (a restore's source is the
    // backup on that drive), or the source's root is reported as read only in part and its walk ends.
    bool SourceWentAway(const CString &root, DWORD error);
    // Takes the entry's name for the listing being walked; FALSE (one error, logged with both paths) when an
    // earlier entry of that listing has the name in another case.
    bool ClaimName(const CString &full);
    Step CopyEntry(BOOL fullCopy, const CString &root, const CString &full, const CString &destination, int wholeTree);
    // A file whose target is up to date: its size counts as done, and the pair goes into the journal.
    void UpToDate(const WIN32_FILE_ATTRIBUTE_DATA &present, const CString &target, const CString &full);
    Step EnsureTargetFolder(const CString &target, bool &skip);
    Step CopyTarget(const CString &full, const CString &target, bool targetPresent, const CSyncJob::KnownTarget &known);

    CSyncJob &m_job;
    const CString m_jobName;
    const RunSource &m_source;
    // The listing record of the entry being looked at; shared by every level of the walk, as no level needs it
    // after it goes down into a subfolder.
    WIN32_FIND_DATAW m_found;
    // The last target folder made or found, so that each folder is made once.
    CString m_madeFolder;
    // The target folders of the listings being walked, one per level.
    CTargetFolders m_targets;
    CRunFolders &m_folders;
    // Per level of the walk (its depth the index), the names taken so far in upper case, with the path of the
    // entry that took each.
    std::vector<std::unordered_map<CString, CString>> m_names;
    size_t m_depth = 0;
    // The source's root went during the walk: reported once, nothing more of it is looked at.
    bool m_sourceGone = false;
};

// The log text of a folder the walk could not read (whole or in part): a restore's own where the run restores.
UINT FolderFailureText(const CSyncJob &job, UINT backupId);

// The log entries of a run that ended without being cancelled before its end: string 264, then why (the
// destination went away, the destination is full, or string 1151), each with the time.
void LogRunFailure(CSyncJob &job);

// The thread procedure of a backup run; the argument is the CSyncJob. Returns 0.
unsigned __stdcall RunThreadProc(void *job);

// Makes RunThreadProc the worker CSyncJob::Start gives a run whose sync_type is not 2 (the list-file worker is
// kept). The program calls it once at start-up, before any job runs.
void InstallBackupRunThread();
