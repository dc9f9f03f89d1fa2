#include "setup/wizard/JobNameRules.h"

#include <cwchar>

#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"

namespace
{

bool CannotStandInFileName(wchar_t ch)
{
    return ch < 0x20 || ch == 0x7F || std::wcschr(L"\\/:*?\"<>|", ch) != nullptr;
}

} // namespace

BOOL FilterJobNameText(CString &text)
{
    CString kept;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (!CannotStandInFileName(text[i]))
            kept.AppendChar(text[i]);
    }
    if (kept.GetLength() > kJobNameMaxLength)
        kept = kept.Left(kJobNameMaxLength);
    if (kept == text)
        return FALSE;
    text = kept;
    return TRUE;
}

BOOL IsJobNameTaken(const CSyncJobList *jobs, const CString &name, const CSyncJob *except)
{
    if (jobs == nullptr)
        return FALSE;
    CSyncJobList::ListLock hold(*jobs);
    for (INT_PTR i = 0; i < jobs->GetCount(); ++i)
    {
        const CSyncJob *job = jobs->GetAt(i);
        if (job != nullptr && job != except && job->GetJobDef()->GetName().CompareNoCase(name) == 0)
            return TRUE;
    }
    return FALSE;
}
