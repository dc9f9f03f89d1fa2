#include "setup/wizard/SetupReports.h"

#include <comdef.h>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/Dialog.h"
#include "ui/boxes/MessageBoxDlg.h"

INT_PTR RunSetupDialog(CDialog &dialog)
{
    const UINT quitsBefore = AfxGetModalQuitCount();
    const INT_PTR result = dialog.DoModal();
    if (result != -1)
        return result;
    // The program's end broke the dialog off: the user gave no answer, and nothing is missing.
    if (AfxGetModalQuitCount() != quitsBefore)
        return IDCANCEL;
    const UINT_PTR templateId =
        IS_INTRESOURCE(dialog.m_lpszTemplateName) ? reinterpret_cast<UINT_PTR>(dialog.m_lpszTemplateName) : 0;
    AppLog.LogIdAt(L"SetupReports", __LINE__, ::GetLastError(), LM_ERROR, IDS_LOG_TEMPLATE_MISSING,
                   static_cast<int>(templateId));
    SkinMessageBoxId(IDS_TEMPLATE_MISSING, MB_OK);
    return IDCANCEL;
}

BOOL SaveJobStoreReporting(CSyncJobList &jobs)
{
    try
    {
        jobs.Save();
        return TRUE;
    }
    catch (const _com_error &error)
    {
        const HRESULT hr = error.Error();
        AppLog.LogIdAt(L"SetupReports", __LINE__, 0, LM_ERROR, IDS_LOG_JOB_STORE_SAVE_FAILED,
                       g_strJobsXmlPath.GetString(), static_cast<unsigned>(hr));
        ShowWithSystemText(IDS_JOB_STORE_NOT_SAVED, static_cast<DWORD>(hr));
        return FALSE;
    }
}

void ShowWithSystemText(UINT textId, DWORD error)
{
    CString reason = GetSystemErrorText(error);
    if (reason.IsEmpty())
        reason.Format(L"0x%08x", static_cast<unsigned>(error));
    CString message;
    message.Format(textId, reason);
    SkinMessageBox(message, MB_OK);
}
