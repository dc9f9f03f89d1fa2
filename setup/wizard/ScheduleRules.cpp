#include "setup/wizard/ScheduleRules.h"

#include <cwctype>

#include "engine/program/NetPath.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

namespace
{

const int kMinutesPerHour = 60;
const int kMinutesPerDay = 1440;
// Room the backed-up path takes beyond the source path, the computer's name and the destination.
const int kPathExtra = 5;

void RemoveAll(CString &text, const CString &piece)
{
    if (!piece.IsEmpty())
        text.Replace(piece, L"");
}

bool IsDigitAt(LPCWSTR text, int index)
{
    return text[index] >= L'0' && text[index] <= L'9';
}

} // namespace

IntervalRange IntervalRangeOf(int unit)
{
    switch (unit)
    {
    case UNIT_HOURS:
        return {1, 23};
    case UNIT_DAYS:
        return {1, 31};
    default:
        return {1, 59};
    }
}

int MinutesPerUnit(int unit)
{
    switch (unit)
    {
    case UNIT_HOURS:
        return kMinutesPerHour;
    case UNIT_DAYS:
        return kMinutesPerDay;
    default:
        return 1;
    }
}

IntervalShown IntervalFromMinutes(int jsMins)
{
    const int minutes = jsMins > 0 ? jsMins : 1;
    IntervalShown shown = {};
    if (minutes < kMinutesPerHour)
        shown.unit = UNIT_MINUTES;
    else if (minutes < kMinutesPerDay)
        shown.unit = UNIT_HOURS;
    else
        shown.unit = UNIT_DAYS;
    shown.position = minutes / MinutesPerUnit(shown.unit);
    if (minutes % kMinutesPerDay == 0)
    {
        shown.textId = IDS_SCHEDULE_DAYS;
        shown.textValue = minutes / kMinutesPerDay;
    }
    else if (minutes % kMinutesPerHour == 0)
    {
        shown.textId = IDS_SCHEDULE_HOURS;
        shown.textValue = minutes / kMinutesPerHour;
    }
    else
    {
        shown.textId = IDS_SCHEDULE_MINUTES;
        shown.textValue = minutes;
    }
    return shown;
}

UINT WeekdayCheckId(int day)
{
    return static_cast<UINT>(IDC_SCHEDULE_SUNDAY + day);
}

UINT WeekdayNameId(int day)
{
    return static_cast<UINT>(IDS_DAY_SUNDAY + day);
}

int WeekdayBit(int day)
{
    return 1 << (kWeekdayCount - 1 - day);
}

int DayMaskFromFlags(const int flags[kWeekdayCount])
{
    int mask = 0;
    for (int day = 0; day < kWeekdayCount; ++day)
    {
        if (flags[day] != 0)
            mask |= WeekdayBit(day);
    }
    return mask;
}

void FlagsFromDayMask(int mask, int flags[kWeekdayCount])
{
    for (int day = 0; day < kWeekdayCount; ++day)
        flags[day] = (mask & WeekdayBit(day)) != 0 ? 1 : 0;
}

CString DayMaskText(int mask)
{
    CString text;
    for (int day = 0; day < kWeekdayCount; ++day)
    {
        if ((mask & WeekdayBit(day)) == 0)
            continue;
        if (!text.IsEmpty())
            text += L", ";
        text += AfxLoadText(WeekdayNameId(day));
    }
    return text;
}

CString CheckedDaysText(const int flags[kWeekdayCount])
{
    CString text;
    for (int day = 0; day < kWeekdayCount; ++day)
    {
        if (flags[day] != 0)
            text += AfxLoadText(WeekdayNameId(day)) + L",";
    }
    if (!text.IsEmpty())
        text.Delete(text.GetLength() - 1);
    return text;
}

CString PickerTimeFormat(LPCWSTR format, LPCWSTR separator)
{
    if (format == nullptr || separator == nullptr)
        return L"h:m tt";
    CString text(format);
    const CString sep(separator);
    for (const CString &piece :
         {sep + L"ss" + sep, CString(L"ss") + sep, sep + L"ss", sep + L"s" + sep, CString(L"s") + sep, sep + L"s"})
        RemoveAll(text, piece);
    text.Remove(L's');
    return text;
}

void ClampScheduleTime(int &hours, int &minutes)
{
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
    {
        hours = 0;
        minutes = 0;
    }
}

CString FormatScheduleTime(LPCWSTR jsTime)
{
    if (jsTime == nullptr || ::lstrlenW(jsTime) != 5 || jsTime[2] != L':' || !IsDigitAt(jsTime, 0) ||
        !IsDigitAt(jsTime, 1) || !IsDigitAt(jsTime, 3) || !IsDigitAt(jsTime, 4))
        return CString();
    int hours = (jsTime[0] - L'0') * 10 + (jsTime[1] - L'0');
    const int minutes = (jsTime[3] - L'0') * 10 + (jsTime[4] - L'0');
    if (hours > 23 || minutes > 59)
        return CString();
    const bool afternoon = hours >= 12;
    if (hours > 12)
        hours -= 12;
    else if (hours == 0)
        hours = 12;
    CString text;
    text.Format(L"%d:%02d %s", hours, minutes, afternoon ? L"PM" : L"AM");
    return text;
}

CString RevisionsText(int maxVer)
{
    CString text;
    if (maxVer > 0)
        text.Format(IDS_REVISIONS_COUNT, maxVer);
    else if (maxVer < 0)
        text = AfxLoadText(IDS_REVISIONS_UNLIMITED);
    else
        text = AfxLoadText(IDS_REVISIONS_NONE);
    return text;
}

BOOL CorrectIntervalText(CString &text, int upper)
{
    if (upper <= 0 || _wtoi(text) <= upper)
        return FALSE;
    if (text.GetLength() == 1)
        text.Format(L"%d", _wtoi(text) % upper);
    else
        text = text.Left(text.GetLength() - 1);
    return TRUE;
}

BOOL ReadComputerNameForPathCheck(CString &name)
{
    wchar_t buffer[kComputerNameRoom] = {};
    DWORD size = kComputerNameRoom;
    if (!g_netPathPlatform->ComputerName(buffer, &size))
        return FALSE;
    name = buffer;
    return TRUE;
}

BOOL FindTooLongSourcePath(IXMLDOMElement *jobElement, const CString &dest, const CString &computerName, CString &path)
{
    XmlDomLock lock;
    XmlElementIterator children(jobElement);
    while (children.Next())
    {
        path = XmlGetAttributeString(children.GetElement(), L"path");
        if (path.GetLength() + computerName.GetLength() + dest.GetLength() + kPathExtra > MAX_PATH)
            return TRUE;
    }
    path.Empty();
    return FALSE;
}
