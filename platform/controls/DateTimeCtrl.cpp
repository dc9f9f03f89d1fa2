#include "platform/controls/DateTimeCtrl.h"

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create(DATETIMEPICK_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CDateTimeCtrl::SetFormat(LPCWSTR pstrFormat)
{
    return static_cast<BOOL>(SendMessage(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(pstrFormat)));
}

BOOL CDateTimeCtrl::SetTime(const CTime &time)
{
    SYSTEMTIME st = {};
    if (!time.GetAsSystemTime(st))
        return FALSE;
    return SetTime(&st);
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME *pTime)
{
    const WPARAM flag = pTime != nullptr ? GDT_VALID : GDT_NONE;
    return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, flag, reinterpret_cast<LPARAM>(pTime)));
}

DWORD CDateTimeCtrl::GetTime(CTime &time) const
{
    SYSTEMTIME st = {};
    const DWORD result = GetTime(&st);
    if (result == GDT_VALID)
        time = CTime(st);
    return result;
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME *pTime) const
{
    if (pTime == nullptr)
        return static_cast<DWORD>(GDT_ERROR);
    return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(pTime)));
}
