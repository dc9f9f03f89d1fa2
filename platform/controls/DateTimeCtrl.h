// CDateTimeCtrl: the date and time picker control (class "SysDateTimePick32").
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/text/Time.h"
#include "platform/windows/Wnd.h"

class CDateTimeCtrl : public CWnd
{
  public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);
    // The display format (the picker's format letters: "h:mm tt", "HH:mm" ...); null brings the locale's back.
    BOOL SetFormat(LPCWSTR pstrFormat);
    // FALSE when the time cannot be shown (out of the picker's range) or the control refused it.
    BOOL SetTime(const CTime &time);
    BOOL SetTime(const SYSTEMTIME *pTime);
    // GDT_VALID with the time, GDT_NONE when the picker shows no time, GDT_ERROR on failure.
    DWORD GetTime(CTime &time) const;
    DWORD GetTime(SYSTEMTIME *pTime) const;
};
