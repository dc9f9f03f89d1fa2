// The rules of job setup apart from its windows: the schedule page's intervals, weekdays, time format and times,
// the revisions that the revisions dialog keeps, the path-length check with the computer's name, and the job name's
// characters and likeness to other jobs' names.
#include <gtest/gtest.h>

#include <iterator>

#include "engine/job/SyncJob.h"
#include "engine/program/NetPath.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/jobdialogs/DialogAutoDel.h"
#include "setup/support/JobSetupTestSupport.h"
#include "setup/wizard/JobNameRules.h"
#include "setup/wizard/ScheduleRules.h"

namespace
{

// Answers the computer's name as GetComputerNameW does: a buffer too small for the name and its terminator fails.
class NamedComputer : public CNetPathPlatform
{
  public:
    explicit NamedComputer(LPCWSTR name) : m_name(name)
    {
    }
    BOOL ComputerName(LPWSTR buffer, LPDWORD size) override
    {
        const DWORD needed = static_cast<DWORD>(m_name.GetLength()) + 1;
        if (*size < needed)
        {
            *size = needed;
            ::SetLastError(ERROR_BUFFER_OVERFLOW);
            return FALSE;
        }
        ::lstrcpyW(buffer, m_name);
        *size = needed - 1;
        return TRUE;
    }

  private:
    CString m_name;
};

} // namespace

TEST(JobSetupRules, StoredMinutesShowInTheUnitThatFitsThem)
{
    const struct
    {
        int jsMins;
        int unit;
        int position;
        UINT textId;
        int textValue;
    } rows[] = {
        {120, UNIT_HOURS, 2, IDS_SCHEDULE_HOURS, 2},
        {1440, UNIT_DAYS, 1, IDS_SCHEDULE_DAYS, 1},
        {90, UNIT_HOURS, 1, IDS_SCHEDULE_MINUTES, 90},
        {45, UNIT_MINUTES, 45, IDS_SCHEDULE_MINUTES, 45},
        {4320, UNIT_DAYS, 3, IDS_SCHEDULE_DAYS, 3},
        // A damaged store: no interval at all shows as one minute.
        {0, UNIT_MINUTES, 1, IDS_SCHEDULE_MINUTES, 1},
        {-30, UNIT_MINUTES, 1, IDS_SCHEDULE_MINUTES, 1},
    };
    for (const auto &row : rows)
    {
        const IntervalShown shown = IntervalFromMinutes(row.jsMins);
        EXPECT_EQ(shown.unit, row.unit) << row.jsMins;
        EXPECT_EQ(shown.position, row.position) << row.jsMins;
        EXPECT_EQ(shown.textId, row.textId) << row.jsMins;
        EXPECT_EQ(shown.textValue, row.textValue) << row.jsMins;
        const IntervalRange range = IntervalRangeOf(shown.unit);
        EXPECT_GE(shown.position, range.lower) << row.jsMins;
        EXPECT_LE(shown.position, range.upper) << row.jsMins;
    }
}

TEST(JobSetupRules, ThePickerShowsTheTimeFormatWithoutSeconds)
{
    const struct
    {
        LPCWSTR format;
        LPCWSTR separator;
        LPCWSTR picker;
    } rows[] = {
        {L"h:mm:ss tt", L":", L"h:mm tt"},   {L"H.mm.ss", L".", L"H.mm"}, {L"HH:mm:ss", L":", L"HH:mm"},
        {L"ss:HH:mm", L":", L"HH:mm"},       {L"H:mm:s", L":", L"H:mm"},  {nullptr, L":", L"h:m tt"},
        {L"h:mm:ss tt", nullptr, L"h:m tt"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(PickerTimeFormat(row.format, row.separator), CString(row.picker))
            << (row.format != nullptr ? CStringA(row.format).GetString() : "(no format)");
}

TEST(JobSetupRules, WeekdaysAreBitsFromSundayDown)
{
    enginetest::UseLanguageLibrary();
    int first[kWeekdayCount] = {1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DayMaskFromFlags(first), 64);
    int weekend[kWeekdayCount] = {};
    FlagsFromDayMask(65, weekend);
    EXPECT_EQ(std::vector<int>(std::begin(weekend), std::end(weekend)), (std::vector<int>{1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(DayMaskText(65), L"Sunday, Saturday");
    EXPECT_EQ(CheckedDaysText(weekend), L"Sunday,Saturday");
    int none[kWeekdayCount] = {};
    EXPECT_EQ(CheckedDaysText(none), L"");
}

TEST(JobSetupRules, StoredTimesOfDayShowAsTheUserReadsThem)
{
    // The job's texts: two-digit minutes, and the hour after midnight as 12.
    const struct
    {
        LPCWSTR jsTime;
        LPCWSTR shown;
    } texts[] = {
        {L"07:05", L"7:05 AM"},
        {L"00:30", L"12:30 AM"},
        {L"12:00", L"12:00 PM"},
        {L"23:59", L"11:59 PM"},
        {L"13:07", L"1:07 PM"},
        {L"7:05", L""},
        {L"", L""},
        {L"ab:cd", L""},
        {L"24:00", L""},
        {L"07:60", L""},
        {L"07:05x", L""},
    };
    for (const auto &row : texts)
        EXPECT_EQ(FormatScheduleTime(row.jsTime), CString(row.shown)) << CStringA(row.jsTime).GetString();

    // The page: a damaged "js_time" past 23:59 shows midnight instead of stopping the wizard.
    const struct
    {
        int hours, minutes, shownHours, shownMinutes;
    } times[] = {{7, 5, 7, 5}, {23, 59, 23, 59}, {24, 0, 0, 0}, {12, 60, 0, 0}, {99, 99, 0, 0}};
    for (const auto &row : times)
    {
        int hours = row.hours;
        int minutes = row.minutes;
        ClampScheduleTime(hours, minutes);
        EXPECT_EQ(hours, row.shownHours) << row.hours << ":" << row.minutes;
        EXPECT_EQ(minutes, row.shownMinutes) << row.hours << ":" << row.minutes;
    }
}

TEST(JobSetupRules, AnIntervalTypedPastItsRangeLosesADigit)
{
    const struct
    {
        LPCWSTR typed;
        int upper;
        LPCWSTR kept;
    } rows[] = {{L"75", 59, L"7"}, {L"59", 59, L"59"}, {L"240", 23, L"24"}, {L"32", 31, L"3"}, {L"5", 23, L"5"}};
    for (const auto &row : rows)
    {
        CString text(row.typed);
        EXPECT_EQ(CorrectIntervalText(text, row.upper) != FALSE, CString(row.typed) != row.kept)
            << CStringA(row.typed).GetString();
        EXPECT_EQ(text, row.kept) << CStringA(row.typed).GetString();
    }
}

TEST(JobSetupRules, RevisionsWithoutAnEntryStayThroughOpenAndOk)
{
    const struct
    {
        int stored;
        int index;
    } rows[] = {{-1, autodel::kUnlimitedIndex}, {10, 9}, {1, 0}, {15, -1}, {-5, -1}};
    for (const auto &row : rows)
    {
        EXPECT_EQ(autodel::RevisionIndexFor(row.stored), row.index) << row.stored;
        // OK with nothing picked keeps what the dialog opened with.
        EXPECT_EQ(autodel::MaxVerAfterOk(row.stored, TRUE, autodel::RevisionIndexFor(row.stored)), row.stored)
            << row.stored;
        // The box cleared turns revisions off; an entry picked counts.
        EXPECT_EQ(autodel::MaxVerAfterOk(row.stored, FALSE, row.index), 0) << row.stored;
        EXPECT_EQ(autodel::MaxVerAfterOk(row.stored, TRUE, 3), 4) << row.stored;
        EXPECT_EQ(autodel::MaxVerAfterOk(row.stored, TRUE, autodel::kUnlimitedIndex), -1) << row.stored;
    }
}

class JobSetupRulesStore : public setuptest::JobSetupTest
{
};

TEST_F(JobSetupRulesStore, APathFitsTheLimitWithAFifteenCharacterComputerName)
{
    NamedComputer computer(L"WORKSTATION-123");
    SeamOverride<CNetPathPlatform *> platform(g_netPathPlatform, &computer);
    CString name;
    ASSERT_TRUE(ReadComputerNameForPathCheck(name));
    EXPECT_EQ(name, L"WORKSTATION-123");

    const CString dest = L"E:\\Backup\\";
    // path + 15 + 10 + 5: 230 characters make 260, which fits; 231 make 261.
    const struct
    {
        int pathLength;
        bool refused;
    } rows[] = {{230, false}, {231, true}, {20, false}};
    for (const auto &row : rows)
    {
        CSyncJob *job = AddJob(L"Long", dest);
        CString path = L"C:\\" + CString(L'p', row.pathLength - 4) + L"\\";
        ASSERT_EQ(path.GetLength(), row.pathLength);
        job->GetJobDef()->AddSourcePath(path, nullptr);
        CString found;
        EXPECT_EQ(FindTooLongSourcePath(job->GetElement(), dest, name, found) != FALSE, row.refused) << row.pathLength;
        EXPECT_EQ(found, row.refused ? path : CString()) << row.pathLength;
    }
}

TEST_F(JobSetupRulesStore, JobNamesLoseWhatCannotStandInAFileNameAndCompareWithoutCase)
{
    const struct
    {
        LPCWSTR typed;
        LPCWSTR kept;
    } rows[] = {
        {L"Docs", L"Docs"},
        {L"a:b", L"ab"},
        {L"C:\\x/y*?\"<>|z", L"Cxyz"},
        {L"tab\there", L"tabhere"},
        {L"line\r\nend", L"lineend"},
        {L"  spaced  ", L"  spaced  "},
    };
    for (const auto &row : rows)
    {
        CString text(row.typed);
        EXPECT_EQ(FilterJobNameText(text) != FALSE, CString(row.typed) != row.kept) << CStringA(row.typed).GetString();
        EXPECT_EQ(text, row.kept) << CStringA(row.typed).GetString();
    }
    CString longName(L'n', kJobNameMaxLength + 1);
    EXPECT_TRUE(FilterJobNameText(longName));
    EXPECT_EQ(longName.GetLength(), kJobNameMaxLength);

    CSyncJob *docs = AddJob(L"docs", L"E:\\Docs\\");
    AddJob(L"Pictures", L"E:\\Pictures\\");
    EXPECT_TRUE(IsJobNameTaken(m_jobs.get(), L"DOCS", nullptr));
    EXPECT_TRUE(IsJobNameTaken(m_jobs.get(), L"pictures", docs));
    EXPECT_FALSE(IsJobNameTaken(m_jobs.get(), L"Docs", docs));
    EXPECT_FALSE(IsJobNameTaken(m_jobs.get(), L"doc", nullptr));
    EXPECT_FALSE(IsJobNameTaken(nullptr, L"docs", nullptr));
}

TEST(JobSetupRules, ADevicesNameIsNoJobNameWhateverFollowsIt)
{
    // Each would make "<name>.log" the device itself: the log and the restore list would go nowhere.
    for (LPCWSTR name : {L"NUL", L"nul", L"Con", L"PRN", L"aux", L"COM1", L"com9", L"LPT1", L"lpt9", L"NUL.txt",
                         L"con.log", L"NUL.", L"NUL...", L"NUL  ", L"AUX .x", L"COM\u00B9", L"LPT\u00B3.a"})
        EXPECT_TRUE(IsReservedDeviceName(name)) << CStringA(name).GetString();
    for (LPCWSTR name : {L"Nullify", L"CONSOLE", L"COM", L"COM0", L"COM10", L"LPT", L"xNUL", L"My NUL", L"AUX2",
                         L"Backup.NUL", L"C0N"})
        EXPECT_FALSE(IsReservedDeviceName(name)) << CStringA(name).GetString();
}
