#include "platform/text/Time.h"
#include <cwchar>
#include <vector>

namespace
{

const __time64_t kInvalid = -1;
const int kFirstYear = 1970;
const int kLastYear = 3000;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// The runtime's time formatting stops the program on some codes it does not know, so only the codes every
// runtime knows (optionally with the '#' flag) are passed on.
bool IsKnownFormat(LPCWSTR format)
{
    for (const wchar_t *p = format; *p; ++p)
    {
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'#')
            ++p;
        if (!*p || !wcschr(L"aAbBcdHIjmMpSUwWxXyYzZ%", *p))
            return false;
    }
    return true;
}

CString FormatParts(const struct tm &parts, LPCWSTR format)
{
    if (!format || !*format || !IsKnownFormat(format))
        return CString();
    // wcsftime answers 0 both for "does not fit" and for an empty result, so the buffer grows a few times
    // before the result is taken to be empty.
    for (size_t size = 256; size <= 65536; size *= 4)
    {
        std::vector<wchar_t> buffer(size);
        size_t written = wcsftime(buffer.data(), size, format, &parts);
        if (written > 0)
            return CString(buffer.data(), static_cast<int>(written));
    }
    return CString();
}

} // namespace

CTime CTime::GetCurrentTime()
{
    return CTime(_time64(nullptr));
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
{
    SetLocal(nYear, nMonth, nDay, nHour, nMin, nSec, nDST);
}

CTime::CTime(const SYSTEMTIME &st, int nDST)
{
    SetLocal(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
}

CTime::CTime(const FILETIME &ft, int nDST)
{
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&ft, &local) && FileTimeToSystemTime(&local, &st))
        SetLocal(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
    else
        m_time = kInvalid;
}

void CTime::SetLocal(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
{
    m_time = kInvalid;
    if (nYear < kFirstYear || nYear > kLastYear || nMonth < 1 || nMonth > 12 || nDay < 1 ||
        nDay > DaysInMonth(nYear, nMonth) || nHour < 0 || nHour > 23 || nMin < 0 || nMin > 59 || nSec < 0 || nSec > 59)
        return;
    struct tm parts = {};
    parts.tm_year = nYear - 1900;
    parts.tm_mon = nMonth - 1;
    parts.tm_mday = nDay;
    parts.tm_hour = nHour;
    parts.tm_min = nMin;
    parts.tm_sec = nSec;
    parts.tm_isdst = nDST;
    __time64_t time = _mktime64(&parts);
    if (time >= 0)
        m_time = time;
}

bool CTime::LocalParts(struct tm &parts) const
{
    return m_time >= 0 && _localtime64_s(&parts, &m_time) == 0;
}

int CTime::GetYear() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_year + 1900 : 0;
}

int CTime::GetMonth() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_mon + 1 : 0;
}

int CTime::GetDay() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_mday : 0;
}

int CTime::GetHour() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_hour : 0;
}

int CTime::GetMinute() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_min : 0;
}

int CTime::GetSecond() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_sec : 0;
}

int CTime::GetDayOfWeek() const
{
    struct tm parts;
    return LocalParts(parts) ? parts.tm_wday + 1 : 0;
}

bool CTime::GetAsSystemTime(SYSTEMTIME &st) const
{
    struct tm parts;
    if (!LocalParts(parts))
        return false;
    st.wYear = static_cast<WORD>(parts.tm_year + 1900);
    st.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    st.wDay = static_cast<WORD>(parts.tm_mday);
    st.wHour = static_cast<WORD>(parts.tm_hour);
    st.wMinute = static_cast<WORD>(parts.tm_min);
    st.wSecond = static_cast<WORD>(parts.tm_sec);
    st.wMilliseconds = 0;
    return true;
}

CString CTime::Format(LPCWSTR pszFormat) const
{
    struct tm parts;
    return LocalParts(parts) ? FormatParts(parts, pszFormat) : CString();
}

CString CTime::FormatGmt(LPCWSTR pszFormat) const
{
    struct tm parts;
    if (m_time < 0 || _gmtime64_s(&parts, &m_time) != 0)
        return CString();
    return FormatParts(parts, pszFormat);
}

CString CTimeSpan::Format(LPCWSTR pszFormat) const
{
    CString result;
    if (!pszFormat)
        return result;
    for (const wchar_t *p = pszFormat; *p; ++p)
    {
        if (*p != L'%' || !p[1])
        {
            result += *p;
            continue;
        }
        switch (*++p)
        {
        case L'D':
            result.AppendFormat(L"%I64d", static_cast<long long>(GetDays()));
            break;
        case L'H':
            result.AppendFormat(L"%02ld", GetHours());
            break;
        case L'M':
            result.AppendFormat(L"%02ld", GetMinutes());
            break;
        case L'S':
            result.AppendFormat(L"%02ld", GetSeconds());
            break;
        default:
            result += *p;
            break;
        }
    }
    return result;
}
