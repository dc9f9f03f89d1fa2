#include "app/run/RunRoadRules.h"

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

namespace
{

CString WithoutTrailingBackslashes(CString path)
{
    path.TrimRight(L'\\');
    return path;
}

} // namespace

RunEndView ViewAfterRunEnd(int viewState, RunEnd end)
{
    if (viewState == VIEW_BACKUP_RUNNING)
        return {VIEW_BACKUP_PAGE, true, false};
    if (viewState != VIEW_RESTORE_RUNNING)
        return {viewState, false, false};
    switch (end)
    {
    case RunEnd::Finished:
        return {VIEW_RESTORE_PAGE, true, false};
    case RunEnd::Cancelled:
        return {VIEW_JOB_LIST, true, true};
    case RunEnd::Failed:
        break;
    }
    return {VIEW_RESTORE_PAGE, false, false};
}

UINT ChooseFinishedMessage(const FinishedRunFacts &facts)
{
    if (facts.cancelled)
        return IDS_BACKUP_INCOMPLETE;
    if (facts.firstBackup && facts.allProcessed)
        return IDS_FIRST_BACKUP_FINISHED;
    if (facts.errorCount == 0)
        return IDS_BACKUP_FINISHED;
    if (facts.hasErrorItems && facts.completeStatus == 2)
        return IDS_BACKUP_FINISHED_WITH_ERRORS;
    return IDS_BACKUP_INCOMPLETE;
}

CString EndMessageText(UINT messageId, int viewState)
{
    CString text = AfxLoadText(messageId);
    if (viewState == VIEW_RESTORE_RUNNING)
    {
        const CString backupWord = AfxLoadText(IDS_MAIN_BACKUP);
        if (!backupWord.IsEmpty())
            text.Replace(backupWord, AfxLoadText(IDS_MAIN_RESTORE));
    }
    return text;
}

int TrayPercent(int ownPercent, ULONGLONG totalBytes, ULONGLONG doneBytes)
{
    if (totalBytes == 0)
        return ownPercent;
    return static_cast<int>(doneBytes * 100 / totalBytes);
}

CString DefaultJobDestination(const CString &programDrive, const CString &computerName)
{
    return programDrive + L"Backup Data\\" + computerName + L"\\";
}

bool IsDefaultJobDefinition(const CString &name, const CString &dest, const CString &computerName)
{
    if (computerName.IsEmpty() || name.CompareNoCase(computerName) != 0)
        return false;
    // "X:\Backup Data\<computer>": a letter, then the folder the rebuild writes, whatever the letter.
    const CString folder = WithoutTrailingBackslashes(dest);
    if (folder.GetLength() < 3 || !iswalpha(folder[0]) || folder[1] != L':' || folder[2] != L'\\')
        return false;
    return folder.Mid(3).CompareNoCase(CString(L"Backup Data\\") + computerName) == 0;
}

int PickRebuildTarget(const std::vector<RebuildCandidate> &jobs, int selected, const CString &computerName)
{
    auto isDefault = [&](const RebuildCandidate &job) {
        return job.madeByRebuild || IsDefaultJobDefinition(job.name, job.dest, computerName);
    };
    if (selected >= 0 && selected < static_cast<int>(jobs.size()) && isDefault(jobs[selected]))
        return selected;
    for (size_t i = 0; i < jobs.size(); ++i)
    {
        if (isDefault(jobs[i]))
            return static_cast<int>(i);
    }
    return -1;
}

BOOL HoldJobForPage(CSyncJob &job)
{
    if (job.GetJobDef()->GetState() == 0)
        return FALSE;
    // A change-processing thread may claim the job at any moment: idle to parked in one step.
    return job.m_runState.CompareExchange(JOB_IDLE, JOB_DISABLED) ? TRUE : FALSE;
}

void ReleasePageHold(CSyncJob &job)
{
    if (job.GetJobDef()->GetState() != 0)
        job.m_runState.CompareExchange(JOB_DISABLED, JOB_IDLE);
}
