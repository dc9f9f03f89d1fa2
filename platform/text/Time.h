// CTime: a moment as seconds since 1970-01-01 00:00:00 UTC, read and built in local time; CTimeSpan: a signed
// number of seconds.
//
// CTime covers 1970-01-01 to 3000-12-31 (local time). A date outside that range or one that does not exist
// (month 13, 31 February, hour 24, a FILETIME too large to convert) gives the invalid time, whose GetTime() is
// -1; its parts (GetYear ...) read 0, Format gives an empty string and GetAsSystemTime fails.
#pragma once
#include <windows.h>
#include <ctime>
#include "platform/text/String.h"

// winbase.h maps GetCurrentTime() to GetTickCount(); here it is CTime's member.
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif

class CTimeSpan
{
  public:
    CTimeSpan() = default;
    CTimeSpan(__time64_t time) : m_span(time)
    {
    }
    CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
        : m_span(((static_cast<__time64_t>(lDays) * 24 + nHours) * 60 + nMins) * 60 + nSecs)
    {
    }

    LONGLONG GetDays() const
    {
        return m_span / (24 * 3600);
    }
    LONGLONG GetTotalHours() const
    {
        return m_span / 3600;
    }
    LONG GetHours() const
    {
        return static_cast<LONG>(GetTotalHours() - GetDays() * 24);
    }
    LONGLONG GetTotalMinutes() const
    {
        return m_span / 60;
    }
    LONG GetMinutes() const
    {
        return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60);
    }
    LONGLONG GetTotalSeconds() const
    {
        return m_span;
    }
    LONG GetSeconds() const
    {
        return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60);
    }
    __time64_t GetTimeSpan() const
    {
        return m_span;
    }

    // %D days, %H hours (00-23), %M minutes (00-59), %S seconds (00-59), %% a percent sign; other
    // characters are copied.
    CString Format(LPCWSTR pszFormat) const;

    CTimeSpan operator+(CTimeSpan span) const
    {
        return CTimeSpan(m_span + span.m_span);
    }
    CTimeSpan operator-(CTimeSpan span) const
    {
        return CTimeSpan(m_span - span.m_span);
    }
    CTimeSpan &operator+=(CTimeSpan span)
    {
        m_span += span.m_span;
        return *this;
    }
    CTimeSpan &operator-=(CTimeSpan span)
    {
        m_span -= span.m_span;
        return *this;
    }
    bool operator==(CTimeSpan span) const
    {
        return m_span == span.m_span;
    }
    bool operator!=(CTimeSpan span) const
    {
        return m_span != span.m_span;
    }
    bool operator<(CTimeSpan span) const
    {
        return m_span < span.m_span;
    }
    bool operator>(CTimeSpan span) const
    {
        return m_span > span.m_span;
    }
    bool operator<=(CTimeSpan span) const
    {
        return m_span <= span.m_span;
    }
    bool operator>=(CTimeSpan span) const
    {
        return m_span >= span.m_span;
    }

  private:
    __time64_t m_span = 0;
};

class CTime
{
  public:
    static CTime GetCurrentTime();

    CTime() = default;
    CTime(__time64_t time) : m_time(time)
    {
    }
    // Local time; nDST: 0 standard time, >0 daylight saving time, <0 as the system decides.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    // Local time.
    CTime(const SYSTEMTIME &st, int nDST = -1);
    // UTC, as file times are.
    CTime(const FILETIME &ft, int nDST = -1);

    __time64_t GetTime() const
    {
        return m_time;
    }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // 1 = Sunday ... 7 = Saturday.
    int GetDayOfWeek() const;
    // Local time; false for the invalid time.
    bool GetAsSystemTime(SYSTEMTIME &st) const;

    // wcsftime codes in local time (Format) or UTC (FormatGmt). An unknown code or the invalid time gives an
    // empty string.
    CString Format(LPCWSTR pszFormat) const;
    CString FormatGmt(LPCWSTR pszFormat) const;

    CTimeSpan operator-(CTime time) const
    {
        return CTimeSpan(m_time - time.m_time);
    }
    CTime operator+(CTimeSpan span) const
    {
        return CTime(m_time + span.GetTimeSpan());
    }
    CTime operator-(CTimeSpan span) const
    {
        return CTime(m_time - span.GetTimeSpan());
    }
    CTime &operator+=(CTimeSpan span)
    {
        m_time += span.GetTimeSpan();
        return *this;
    }
    CTime &operator-=(CTimeSpan span)
    {
        m_time -= span.GetTimeSpan();
        return *this;
    }
    bool operator==(CTime time) const
    {
        return m_time == time.m_time;
    }
    bool operator!=(CTime time) const
    {
        return m_time != time.m_time;
    }
    bool operator<(CTime time) const
    {
        return m_time < time.m_time;
    }
    bool operator>(CTime time) const
    {
        return m_time > time.m_time;
    }
    bool operator<=(CTime time) const
    {
        return m_time <= time.m_time;
    }
    bool operator>=(CTime time) const
    {
        return m_time >= time.m_time;
    }

  private:
    bool LocalParts(struct tm &parts) const;
    void SetLocal(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST);

    __time64_t m_time = 0;
};
