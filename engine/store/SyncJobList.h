// CSyncJobList: every job of the program. It holds the job store document ("Zel.xml": root "Tessel" in the
// namespace "ORVANE", one "jobdef" element per job) and owns one CSyncJob per "jobdef", in the order the user
// sees them. It loads and saves the store, imports the legacy "Zel.ini" once, picks the next due job for the
// schedule timer and tells change processing which job handles a changed file.
//
// Everything but IsPathInJob runs on the user-interface thread. The array of jobs changes only under the list
// lock, which another thread takes (ListLock) to read the collection; Save holds it too. Lock order: the list
// lock, then the DOM lock (XmlDomLock).
#pragma once
#include <windows.h>

#include <utility>
#include <vector>

#include "platform/text/String.h"
#include "platform/system/Seam.h"
#include "platform/system/Sync.h"
#include "platform/system/XmlDom.h"

class CSyncJob;

// The write of the store document to a file: the document's own save unless a test makes the written file differ
// from the document, as a drive that drops part of a write does.
using PFN_WRITE_STORE_DOCUMENT = HRESULT (*)(IXMLDOMDocument2 *document, LPCWSTR path);
HRESULT WriteStoreDocument(IXMLDOMDocument2 *document, LPCWSTR path);
extern Seam<PFN_WRITE_STORE_DOCUMENT> g_pfnWriteStoreDocument;

// One job that covers a changed path (CSyncJobList::FindJobsForPath).
struct ChangedPathMatch
{
    // The job's "dest", the key change processing hands to IsPathInJob; for a change on the destination side
    // of a two-way job, the "path" of the source it goes back to.
    CString root;
    // Where the change goes: its copy under the source's destination, or its source for a change on the
    // destination side.
    CString copyPath;
    // Where the revisions of that copy are kept (MakeRevisionPath); empty when that path cannot be made.
    CString revisionPath;
    // The job that covers the path.
    CSyncJob *job = nullptr;
    // Why copyPath (empty then) or revisionPath cannot be made; 0 when both were.
    DWORD pathError = 0;
};
// The most jobs FindJobsForPath gives for one change.
constexpr size_t kMaxChangedPathMatches = 10;

class CSyncJobList
{
  public:
    // Holds the collection's list lock for its own lifetime. While it is held no job joins or leaves the
    // collection, and none is deleted by RemoveJob.
    class ListLock
    {
      public:
        explicit ListLock(const CSyncJobList &list) : m_hold(&list.m_lock, TRUE)
        {
        }
        ListLock(const ListLock &) = delete;
        ListLock &operator=(const ListLock &) = delete;

      private:
        CSingleLock m_hold;
    };

    // Creates the store document and makes it the process's store document (SetXmlStoreDocument). When the
    // legacy job file exists it is imported, the store saved and the file moved to its ".bak" name (only when
    // the save succeeded). Then Load. Null paths mean g_strJobsXmlPath and g_strIniPath. COM failures raise
    // _com_error.
    explicit CSyncJobList(LPCWSTR storePath = nullptr, LPCWSTR iniPath = nullptr);
    // Deletes every job (each stops its own worker) and releases the document.
    ~CSyncJobList();
    CSyncJobList(const CSyncJobList &) = delete;
    CSyncJobList &operator=(const CSyncJobList &) = delete;

    // The first call reads the store file and makes one job per "jobdef" element (a comment or other node
    // under the root makes none). A missing store is read from "Zel.xml.tmp" when a cut-off save left one
    // that holds a store (see GetRecoveredStoreCopy), else gives an empty collection; a store that cannot be
    // read is first copied to "Zel.xml.bad" (see GetBrokenStoreCopy). Later calls keep the document and the jobs and
    // add jobs only for elements that no job is bound to. A two-way job added here whose destination meets the
    // program's places or another job's destination is disabled (DisableTwoWayJobInUnsafePlace). Returns 1.
    int Load();
    // Puts every job's element under the root in collection order and writes the document (with no declared
    // encoding: UTF-8) to "Zel.xml.tmp", which replaces the store only when it reads back with as many jobs.
    // On failure the old store stays as it was, the temporary file is deleted and _com_error is raised. A
    // recovered store's copy is deleted after a save that succeeded. Returns 1.
    int Save();
    // What the end of every run does, for a run the window started as much as for the schedule's, the watch's and
    // the one-shot start's: the run queue hears of it (onlyWaiting: a waiting job taken out of the queue, which had
    // no run), the journal is closed (the new one kept after a finished run, the previous one put back otherwise),
    // the job's running bit goes, the end-of-run reset stamps "neverrun", a backup the window followed
    // (countBackup) counts one backup more, and the store is saved, so that the next start finds every run. S_OK,
    // or the error of the save that failed (the store is then left as it was last saved).
    HRESULT RecordRunEnd(CSyncJob &job, bool finished, bool onlyWaiting, bool countBackup);
    // Save, when the document differs from what the last load or save left (a job's element changed, a stored
    // job was removed); a job whose element has never been stored does not count. 1 when it saved, 0 when there
    // was nothing to save; a failed save raises as Save does.
    int SaveIfChanged();
    // The legacy "Zel.ini" jobs, appended to the root as "jobdef" elements (called by the constructor).
    void ImportIniJobs();
    // Drops the unsaved edits of one job: its stored element (found by "JobUUID") is read from the store file
    // and copied into the live element, which the job then reads again. Other jobs are left alone. 1 when the
    // job was reloaded, 0 when the file or the job's stored element could not be had.
    int ReloadJob(CSyncJob *job);
    // Makes the job's live element hold exactly the attributes and children of kept (a copy of it taken earlier,
    // or an element of another document), and the job reads it again. 1 when done, 0 without either element.
    int PutBackJob(CSyncJob *job, IXMLDOMElement *kept);
    // While a form is set, every save writes it for the job in place of the job's element as it stands (a job
    // that the restore page has turned into its restore's form is stored as its backup); the element itself is
    // left as it is. A null form ends that. A job that leaves the collection takes its form along.
    void SetSavedForm(CSyncJob *job, IXMLDOMElement *form);

    // Appends the job (the collection takes ownership); its element joins the document at the next Save.
    // Returns 1000.
    int Add(CSyncJob *job);
    // Takes the job out of the collection, then cancels it, takes its element out of the document, waits a
    // second and deletes it; a job another thread has borrowed (CSyncJob::AddBorrow) is deleted only once the
    // borrow is back, the caller's messages dispatched meanwhile. A job not in the collection is left alone. The
    // store is not saved. Returns 1000.
    int RemoveJob(CSyncJob *job);
    // Moves the job at index to the front; 0 when index is at or past the end. A negative index raises
    // _com_error(E_INVALIDARG).
    int MoveToFront(INT_PTR index);

    // TRUE when a job other than except has the "name" (exact comparison).
    BOOL FindByName(LPCWSTR name, CSyncJob *except = nullptr) const;
    CSyncJob *GetAt(INT_PTR index) const;
    INT_PTR GetCount() const
    {
        return static_cast<INT_PTR>(m_jobs.size());
    }
    // TRUE while the job belongs to the collection (end-of-run handlers drop removed jobs with it).
    BOOL Contains(const CSyncJob *job) const;

    IXMLDOMDocument2Ptr GetDocument() const
    {
        return m_document;
    }
    // The path of the copy kept of a store that could not be read ("Zel.xml.bad", or "Zel.xml.bad.1" and so on
    // when earlier copies of other broken stores are there); empty when the store read fine. When the copy itself
    // failed the text still names where it should have gone.
    const CString &GetBrokenStoreCopy() const
    {
        return m_brokenStoreCopy;
    }
    // The store read back from a save that was cut off before it replaced a missing "Zel.xml"
    // ("Zel.xml.recovered", kept until the next save succeeds); empty when the store was read as usual.
    const CString &GetRecoveredStoreCopy() const
    {
        return m_recoveredStoreCopy;
    }
    // TRUE when a broken store was met but could not be copied aside.
    BOOL IsBrokenStoreCopyMissing() const
    {
        return m_brokenCopyFailed;
    }

    // The schedule: at most one due job per call, in collection order, or null. The time is the program's clock
    // (platform/system/Clock.h); local weekday, day of the month and time of day come from it in the process's
    // time zone. An interval job whose last start lies in the future (the clock went back) is due at once.
    CSyncJob *GetNextDueJob();

    // 1 when path lies inside folder: both without trailing backslashes and compared without regard to case,
    // the path starts with the folder and goes on with a backslash or slash. A path equal to the folder, a
    // null text or an empty folder gives 0.
    static int IsPathBelow(LPCWSTR folder, LPCWSTR path);
    // The first child of a "jobdef" whose "path" ends with "pst\" (a mail store), or null.
    static IXMLDOMElementPtr FindMailStoreSource(IXMLDOMElement *jobElement);

    // The jobs whose sources cover a changed path, in collection order, at most kMaxChangedPathMatches. A job
    // counts while enabled and, when it runs on change (js_type 0), idle or running a run started with an
    // argument; a scheduled job only while it runs. Per job the first source the path lies below (a mail store:
    // the path is the store) gives the match; then, for a two-way job and a path below its "dest", the first
    // source whose non-empty "destination" is the path or lies above it gives a match back to the source, and
    // ends the search. A match whose paths cannot be made (MakeRevisionPath: a path too long) says why, and
    // keeps its copy's path when only the revision's does not fit. A "\?" prefix of the path is dropped. Runs
    // on the change-processing thread, under the list lock.
    size_t FindJobsForPath(LPCWSTR changedPath, std::vector<ChangedPathMatch> &matches);

    // The job that is to handle a change of path (secondPath: the new name of a renamed file, else empty),
    // for the match whose job "dest" is destKey; null when none. With only given, no other job is taken: a match
    // is handled by its own job's rules, never by those of another job over the same folder. A renamed file
    // that a job lists by name is renamed in the job's source list as well. Runs on the change-processing
    // thread.
    CSyncJob *IsPathInJob(LPCWSTR path, LPCWSTR secondPath, LPCWSTR destKey, CSyncJob *only = nullptr);

  private:
    // Reads the store file into the document; a missing, empty or broken one gives a fresh root.
    void LoadDocumentFromFile();
    void MakeFreshDocument();
    // Loads "Zel.xml.tmp" (moved to "Zel.xml.recovered") when it holds a store; false when there is none.
    bool RecoverFromTemporary();
    // The root element, one wrapper for as long as the loaded document lasts: under Wine an element appended to
    // the root remembers the wrapper it was appended through, and the next append of that element (every save
    // appends every job's element again) calls it, so that wrapper must still be alive then.
    IXMLDOMElementPtr GetRoot() const;
    void AddJobForElement(IXMLDOMElement *element);
    // The "jobdef" elements under the root that no job of the collection is bound to, in document order.
    std::vector<IXMLDOMElementPtr> FindUnboundElements() const;
    void WriteDocumentTo(const CString &path);
    // The document as text, under the DOM lock.
    CString DocumentText() const;

    IXMLDOMDocument2Ptr m_document;
    mutable IXMLDOMElementPtr m_root;
    int m_loaded = 0;
    std::vector<CSyncJob *> m_jobs;
    mutable CCriticalSection m_lock{4000};
    CString m_storePath;
    CString m_iniPath;
    // The document's text after the last load or save, for SaveIfChanged.
    CString m_savedText;
    // The forms SetSavedForm gave, by job.
    std::vector<std::pair<CSyncJob *, IXMLDOMElementPtr>> m_savedForms;
    CString m_brokenStoreCopy;
    CString m_recoveredStoreCopy;
    BOOL m_brokenCopyFailed = FALSE;
};
