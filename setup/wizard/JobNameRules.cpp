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

BOOL IsReservedDeviceName(const CString &name)
{
    // The system reads a device name up to the first dot, without the blanks before it.
    CString base = name;
    const int dot = base.Find(L'.');
    if (dot >= 0)
        base = base.Left(dot);
    base.TrimRight(L' ');
    base.MakeUpper();
    for (LPCWSTR device : {L"CON", L"PRN", L"AUX", L"NUL"})
    {
        if (base == device)
            return TRUE;
    }
    if (base.GetLength() != 4 || (base.Left(3) != L"COM" && base.Left(3) != L"LPT"))
        return FALSE;
    const wchar_t number = base[3];
    return (number >= L'1' && number <= L'9') || number == 0x00B9 || number == 0x00B2 || number == 0x00B3 ? TRUE
                                                                                                          : FALSE;
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
