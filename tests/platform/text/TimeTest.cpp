// CTime and CTimeSpan: round trips through SYSTEMTIME and FILETIME, bad dates, formatting.
#include "platform/text/Time.h"
#include "PrintCString.h"

#include <gtest/gtest.h>

TEST(CTime, PartsAndSystemTimeRoundTrip)
{
    CTime t(2021, 3, 14, 15, 9, 26);
    ASSERT_NE(t.GetTime(), -1);
    EXPECT_EQ(t.GetYear(), 2021);
    EXPECT_EQ(t.GetMonth(), 3);
    EXPECT_EQ(t.GetDay(), 14);
    EXPECT_EQ(t.GetHour(), 15);
    EXPECT_EQ(t.GetMinute(), 9);
    EXPECT_EQ(t.GetSecond(), 26);
    EXPECT_EQ(t.GetDayOfWeek(), 1); // a Sunday

    SYSTEMTIME st = {};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wYear, 2021);
    EXPECT_EQ(st.wDayOfWeek, 0);
    EXPECT_EQ(CTime(st), t);

    CTime leap(2024, 2, 29, 0, 0, 0);
    EXPECT_EQ(leap.GetDay(), 29);
    EXPECT_EQ((leap + CTimeSpan(1, 0, 0, 0)).GetMonth(), 3);
}

TEST(CTime, FileTimeIsUtc)
{
    // 2020-01-01 00:00:00 UTC as a file time and as seconds since 1970.
    SYSTEMTIME utc = {2020, 1, 3, 1, 0, 0, 0, 0};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    CTime t(ft);
    EXPECT_EQ(t.GetTime(), 1577836800);
    EXPECT_EQ(t.FormatGmt(L"%Y-%m-%d %H:%M:%S"), L"2020-01-01 00:00:00");

    // And back: the local parts name the same moment.
    SYSTEMTIME local;
    ASSERT_TRUE(t.GetAsSystemTime(local));
    FILETIME localFt, back;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localFt));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localFt, &back));
    EXPECT_EQ(CTime(back), t);
}

TEST(CTime, BadDatesGiveTheInvalidTime)
{
    const int bad[][6] = {
        {2020, 13, 1, 0, 0, 0}, {2020, 0, 1, 0, 0, 0},  {1900, 1, 1, 0, 0, 0}, {3001, 1, 1, 0, 0, 0},
        {2021, 2, 29, 0, 0, 0}, {2020, 4, 31, 0, 0, 0}, {2020, 1, 0, 0, 0, 0}, {2020, 1, 1, 24, 0, 0},
        {2020, 1, 1, 0, 60, 0}, {2020, 1, 1, 0, 0, -1},
    };
    for (const auto &d : bad)
    {
        CTime t(d[0], d[1], d[2], d[3], d[4], d[5]);
        EXPECT_EQ(t.GetTime(), -1) << d[0] << "-" << d[1] << "-" << d[2] << " " << d[3] << ":" << d[4];
        EXPECT_EQ(t.GetYear(), 0);
        EXPECT_EQ(t.GetDayOfWeek(), 0);
        EXPECT_TRUE(t.Format(L"%Y").IsEmpty());
        SYSTEMTIME st;
        EXPECT_FALSE(t.GetAsSystemTime(st));
    }

    SYSTEMTIME zero = {};
    EXPECT_EQ(CTime(zero).GetTime(), -1);
    FILETIME huge = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(CTime(huge).GetTime(), -1);
    FILETIME before1970 = {0, 0};
    EXPECT_EQ(CTime(before1970).GetTime(), -1);
    EXPECT_EQ(CTime(static_cast<__time64_t>(-5)).GetYear(), 0);
}

TEST(CTime, FormatAndArithmetic)
{
    CTime t(2019, 12, 31, 23, 59, 58);
    EXPECT_EQ(t.Format(L"%d.%m.%Y %H:%M:%S %%"), L"31.12.2019 23:59:58 %");
    EXPECT_EQ(t.Format(L"%#d"), L"31");
    // Codes the runtime does not know give an empty string instead of stopping the program.
    EXPECT_TRUE(t.Format(L"%Q").IsEmpty());
    EXPECT_TRUE(t.Format(L"100%").IsEmpty());
    EXPECT_TRUE(t.Format(L"").IsEmpty());
    EXPECT_TRUE(t.Format(nullptr).IsEmpty());

    CTime later = t + CTimeSpan(0, 0, 0, 3);
    EXPECT_EQ(later.GetYear(), 2020);
    EXPECT_EQ(later.GetSecond(), 1);
    EXPECT_EQ((later - t).GetTotalSeconds(), 3);
    EXPECT_TRUE(t < later && later > t && t != later && t <= t);
    later -= CTimeSpan(3);
    EXPECT_EQ(later, t);

    CTime now = CTime::GetCurrentTime();
    EXPECT_GE(now.GetYear(), 2020);
}

TEST(CTimeSpan, PartsAndFormat)
{
    CTimeSpan span(3, 4, 5, 6);
    EXPECT_EQ(span.GetTotalSeconds(), ((3 * 24 + 4) * 60 + 5) * 60 + 6);
    EXPECT_EQ(span.GetDays(), 3);
    EXPECT_EQ(span.GetHours(), 4);
    EXPECT_EQ(span.GetMinutes(), 5);
    EXPECT_EQ(span.GetSeconds(), 6);
    EXPECT_EQ(span.GetTotalHours(), 76);
    EXPECT_EQ(span.GetTotalMinutes(), 76 * 60 + 5);
    EXPECT_EQ(span.Format(L"%D days %H:%M:%S %%"), L"3 days 04:05:06 %");
    EXPECT_EQ(CTimeSpan(0, 25, 0, 0).Format(L"%D/%H"), L"1/01");
    EXPECT_EQ(span.Format(L"trailing %"), L"trailing %");
    EXPECT_TRUE(span.Format(nullptr).IsEmpty());
    EXPECT_EQ((span - CTimeSpan(1, 0, 0, 0)).GetDays(), 2);
}
