// The stored form of the job that the restore page shows. The restore page's save turns the job itself into the
// restore's form (the backup's folders as its sources, the places they came from as their destinations, another
// "dest"), which the restore run reads; a save of the store in that form would make the job's next backup copy
// the backup over the originals. The keeper copies the job's element as the page opens; from the page's save on
// every save of the store writes that copy for the job (a restore may wait behind another job, whose end saves
// the store), and the copy is put back into the job at every end of a restore run, at a refused start, when the
// view leaves the restore page and when the window goes. Reading no file, it cannot lose the job.
#pragma once
#include <windows.h>

#include "platform/system/XmlDom.h"

class CSyncJob;
class CSyncJobList;

class CRestoreFormKeeper
{
  public:
    // Copies the job's element as it is now; a copy of another job is dropped. COM failures raise _com_error.
    void Keep(CSyncJob *job);
    // From now until PutBack every save of the store writes the copy for the job (CSyncJobList::SetSavedForm):
    // the page's save is about to turn the job into its restore's form.
    void GuardStore(CSyncJobList &jobs);
    // Puts the copy back into its job, which reads it again, and ends the guard; the copy stays for the next
    // restore of the page. FALSE without a copy, or when its job has left the collection (the copy is then
    // dropped).
    BOOL PutBack(CSyncJobList &jobs);
    // PutBack, then the copy is dropped: the job's later edits are the user's.
    BOOL Release(CSyncJobList &jobs);
    // The job leaves the collection: its copy goes.
    void Forget(const CSyncJob *job);
    CSyncJob *GetJob() const
    {
        return m_job;
    }

  private:
    CSyncJob *m_job = nullptr;
    IXMLDOMElementPtr m_copy;
};
