// The main dialog and the drives that come and go: an arriving drive gives its jobs their paths, watches and runs
// back; the program's own drive going ends the program.
#include "app/window/QordelDlg.h"

#include "app/run/DriveArrival.h"
#include "app/run/RunStopText.h"
#include "app/run/TrayLink.h"
#include "app/start/QordelObjects.h"
#include "app/start/QordelStartRules.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"

BOOL CQordelDlg::OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
{
    const VolumeChange change = DecodeVolumeChange(nEventType, dwData);
    for (wchar_t letter : change.letters)
    {
        if (change.event == VolumeEvent::Arrival)
            OnDriveArrived(letter);
        else if (change.event == VolumeEvent::Removal)
            OnDriveRemoved(letter);
    }
    return 0;
}

void CQordelDlg::OnDriveArrived(wchar_t letter)
{
    DriveArrivalActions actions;
    actions.watch = &m_changeWatch.GetWatcher();
    actions.handler = m_changeWatch.GetHandler();
    actions.setJobEnabled = [this](CSyncJob *job, BOOL enable, BOOL fromQuestion) {
        SetJobEnabled(job, enable, fromQuestion);
    };
    actions.startIdleJob = [this](CSyncJob *) { RunSelectedJob(TRUE); };
    int moved = 0;
    try
    {
        moved = ApplyDriveArrival(m_jobList, letter, actions);
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
    // The paths stay where the drive is now, also when the program ends without another save. A restore's job
    // holds the restore's form while it runs: the end of that run saves.
    if (moved > 0 && viewState != VIEW_RESTORE_RUNNING)
        SaveStore();
}

void CQordelDlg::OnDriveRemoved(wchar_t letter)
{
    if (g_strDataFolder.IsEmpty() || towlower(letter) != towlower(g_strDataFolder[0]))
        return;
    // Without its drive the program has neither its jobs' store nor its own files. A run that goes on is stopped
    // with it: the start did not do its work, and a one-shot run's tray program hears why, as for any run that
    // stopped.
    if (!m_runningJobs.empty())
    {
        AppLog.LogIdAt(L"QordelDlg", __LINE__, 0, LM_ERROR, IDS_LOG_PROGRAM_DRIVE_REMOVED,
                       static_cast<wchar_t>(towupper(letter)), static_cast<int>(m_runningJobs.size()));
        g_nProgramExitCode = EXIT_RUN_STOPPED;
        if (m_pOneShotJob != nullptr)
        {
            SendTrayHideBalloon();
            SendTrayRunStopped(RunStopTextId(RunStopCause::DestinationLost), ERROR_NOT_READY);
        }
    }
    viewState = VIEW_JOB_LIST;
    ::PostQuitMessage(g_nProgramExitCode);
}
