// The schedule page's rules, apart from its window: how "js_mins" shows as a count of minutes, hours or days, the
// weekday bits of "js_day", the time picker's format, the texts of the summary, the correction of the interval
// typed, and the check that every source's path still fits the path limit once it is backed up.
#pragma once
#include <windows.h>

#include "platform/system/XmlDom.h"
#include "platform/text/String.h"

// The interval's units, in the order of the unit combo box (strings 225, 226, 227).
enum ScheduleUnit
{
    UNIT_MINUTES = 0,
    UNIT_HOURS = 1,
    UNIT_DAYS = 2,
};
constexpr int kScheduleUnitCount = 3;

// The schedule kinds of "js_type", in the order of the kind combo box.
enum ScheduleKind
{
    KIND_ON_CHANGE = 0,
    KIND_INTERVAL = 1,
    KIND_WEEKLY = 2,
};

struct IntervalRange
{
    int lower;
    int upper;
};
// Minutes 1-59, hours 1-23, days 1-31; an unknown unit counts as minutes.
IntervalRange IntervalRangeOf(int unit);
// The minutes of one unit: 1, 60 or 1440.
int MinutesPerUnit(int unit);

// How a stored interval shows: the unit and the spin position, and the summary text (string textId with value).
struct IntervalShown
{
    int unit;
    int position;
    UINT textId;
    int textValue;
};
// "js_mins" below 60 shows as minutes, below 1440 as hours (rounded down), else as days. The text names days when
// the minutes are whole days, else hours when whole hours, else minutes. A stored value of 0 or less shows as one
// minute.
IntervalShown IntervalFromMinutes(int jsMins);

// The weekday check boxes in order, their day names and their bits in "js_day": the first box (Sunday, string
// 45001) is bit 6 (64), the last (Saturday, 45007) bit 0.
constexpr int kWeekdayCount = 7;
UINT WeekdayCheckId(int day);
UINT WeekdayNameId(int day);
int WeekdayBit(int day);
int DayMaskFromFlags(const int flags[kWeekdayCount]);
void FlagsFromDayMask(int mask, int flags[kWeekdayCount]);
// The summary's day text: the names of the days in the mask, Sunday first, joined by ", ".
CString DayMaskText(int mask);
// The weekly sentence's day text: the names of the checked days in order, joined by ",".
CString CheckedDaysText(const int flags[kWeekdayCount]);

// The time picker's format: the user's time format (as the locale gives it) without its seconds, that is without
// every separator+"ss"+separator, "ss"+separator, separator+"ss", separator+"s"+separator, "s"+separator,
// separator+"s" and then every remaining "s", in that order. A read that failed (null) gives "h:m tt".
CString PickerTimeFormat(LPCWSTR format, LPCWSTR separator);

// The stored time of day as the page shows it: hours above 23 or minutes above 59 (a damaged store) show as 00:00.
void ClampScheduleTime(int &hours, int &minutes);

// "js_time" ("hh:mm", two digits each) as a time of day for the job's texts: "7:05 AM", "12:30 PM", "12:30 AM"
// for 00:30. Any other text gives "".
CString FormatScheduleTime(LPCWSTR jsTime);

// The revisions row of the summary: string 222 with the count above 0, string 223 (every revision) below 0,
// string 224 for none.
CString RevisionsText(int maxVer);

// The interval edit's text once corrected: when the number it holds exceeds upper, a single digit becomes that
// digit modulo upper and a longer text loses its last character. TRUE when the text changed.
BOOL CorrectIntervalText(CString &text, int upper);

// The room the path-length check keeps for the computer's name: 15 characters and the terminator.
constexpr DWORD kComputerNameRoom = 16;
// The computer's name for the path-length check, read through g_netPathPlatform; FALSE when it cannot be read.
BOOL ReadComputerNameForPathCheck(CString &name);
// Finds the first child of the job's element whose "path" would not fit the path limit once backed up under dest
// with the computer's name: length(path) + length(computer name) + length(dest) + 5 above 260. TRUE with that path
// when there is one.
BOOL FindTooLongSourcePath(IXMLDOMElement *jobElement, const CString &dest, const CString &computerName, CString &path);
