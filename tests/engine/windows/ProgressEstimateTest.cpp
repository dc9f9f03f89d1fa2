// The progress window's arithmetic: percent, the clock's start, rate and remaining time, the status line.
#include <gtest/gtest.h>

#include <string>

#include "engine/windows/ProgressEstimate.h"
#include "platform/system/Resources.h"
#include "support/TestSupport.h"

namespace
{

const ULONGLONG MB = 1024 * 1024;
const __time64_t kStart = 1700000000;

ProgressStatusStrings Strings(bool totalFirst = false)
{
    ProgressStatusStrings strings;
    strings.statusFormat = L"%s|%s|%s|%s";
    strings.preparing = L"Preparing";
    strings.totalFirst = totalFirst;
    return strings;
}

std::wstring Text(const CString &text)
{
    return std::wstring(static_cast<LPCWSTR>(text));
}

} // namespace

TEST(ProgressEstimate, PercentIsTruncatedClampedAndSafeFromOverflow)
{
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(5, 0), 0);
    EXPECT_EQ(ProgressPercent(999, 1000), 99);
    EXPECT_EQ(ProgressPercent(1000, 1000), 100);
    EXPECT_EQ(ProgressPercent(3000, 1000), 100) << "more done than the total is the total";
    const ULONGLONG huge = ~0ULL;
    EXPECT_EQ(ProgressPercent(huge / 2, huge), 49);
    EXPECT_EQ(ProgressPercent(huge - 1, huge), 99);
}

TEST(ProgressEstimate, WithoutATotalNothingHappens)
{
    ProgressEstimate estimate;
    EXPECT_FALSE(StepProgressEstimate(estimate, 10, 0, kStart));
    EXPECT_FALSE(estimate.started);

    const ProgressUpdate update = ComputeProgressUpdate(estimate, 10, 0, kStart, Strings());
    EXPECT_EQ(update.percent, 0);
    EXPECT_TRUE(update.statusText.IsEmpty());
    EXPECT_FALSE(estimate.started);
}

TEST(ProgressEstimate, FirstUpdateStartsTheClockTextsFollowAndTheRemainingTimeOnTheThird)
{
    ProgressEstimate estimate;
    const ProgressStatusStrings strings = Strings();

    // The first update with bytes done only starts the clock.
    ProgressUpdate update = ComputeProgressUpdate(estimate, 1 * MB, 4 * MB, kStart, strings);
    EXPECT_EQ(update.percent, 25);
    EXPECT_TRUE(update.statusText.IsEmpty());
    EXPECT_TRUE(estimate.started);
    EXPECT_EQ(estimate.startTime, kStart);

    // 1 MB in 2 s: 512 KB/s; the remaining-time text is not there yet.
    update = ComputeProgressUpdate(estimate, 1 * MB, 4 * MB, kStart + 2, strings);
    EXPECT_EQ(Text(update.statusText), L"1.0 MB|4.0 MB||512.0 KB\n");
    EXPECT_DOUBLE_EQ(estimate.rate, 512.0 * 1024);
    EXPECT_TRUE(estimate.remainingValid);
    EXPECT_EQ(estimate.remainingSeconds, 6);

    update = ComputeProgressUpdate(estimate, 2 * MB, 4 * MB, kStart + 4, strings);
    EXPECT_EQ(Text(update.statusText), L"2.0 MB|4.0 MB||512.0 KB\n");

    // The third update after the start brings it: 1 MB left at 768 KB/s.
    update = ComputeProgressUpdate(estimate, 3 * MB, 4 * MB, kStart + 4, strings);
    EXPECT_EQ(Text(update.statusText), L"3.0 MB|4.0 MB|00:00:01 |768.0 KB\n");
    EXPECT_EQ(estimate.refreshCounter, 0);

    // Kept through the next two updates, renewed on the third.
    update = ComputeProgressUpdate(estimate, 3 * MB, 4 * MB, kStart + 6, strings);
    EXPECT_EQ(Text(update.statusText), L"3.0 MB|4.0 MB|00:00:01 |512.0 KB\n");
    ComputeProgressUpdate(estimate, 3 * MB, 4 * MB, kStart + 6, strings);
    update = ComputeProgressUpdate(estimate, 3 * MB, 4 * MB, kStart + 6, strings);
    EXPECT_EQ(Text(update.statusText), L"3.0 MB|4.0 MB|00:00:02 |512.0 KB\n");
}

TEST(ProgressEstimate, UnderOneSecondThereIsNoRateAndNoDivisionByZero)
{
    ProgressEstimate estimate;
    const ProgressStatusStrings strings = Strings();
    ComputeProgressUpdate(estimate, 1 * MB, 2 * MB, kStart, strings);
    ProgressUpdate update;
    for (int i = 0; i < 4; ++i)
        update = ComputeProgressUpdate(estimate, 1 * MB, 2 * MB, kStart, strings);
    EXPECT_EQ(estimate.rate, 0.0);
    EXPECT_FALSE(estimate.remainingValid);
    EXPECT_EQ(Text(update.statusText), L"1.0 MB|2.0 MB||0.0 KB\n");

    // A clock that went back is no better.
    update = ComputeProgressUpdate(estimate, 1 * MB, 2 * MB, kStart - 30, strings);
    EXPECT_EQ(estimate.rate, 0.0);

    // From one second on the rate is there.
    ComputeProgressUpdate(estimate, 1 * MB, 2 * MB, kStart + 1, strings);
    EXPECT_DOUBLE_EQ(estimate.rate, 1.0 * MB);
    EXPECT_TRUE(estimate.remainingValid);
    EXPECT_EQ(estimate.remainingSeconds, 1);
}

TEST(ProgressEstimate, MoreDoneThanTheTotalCountsAsTheTotal)
{
    ProgressEstimate estimate;
    ASSERT_FALSE(StepProgressEstimate(estimate, 1 * MB, 4 * MB, kStart));
    ASSERT_TRUE(StepProgressEstimate(estimate, 8 * MB, 4 * MB, kStart + 4));
    EXPECT_DOUBLE_EQ(estimate.rate, 1.0 * MB);
    EXPECT_EQ(estimate.remainingSeconds, 0);
    EXPECT_EQ(Text(FormatProgressStatus(estimate, 8 * MB, 4 * MB, Strings())), L"4.0 MB|4.0 MB||1.0 MB\n");

    // As a periodic update it is a full bar and no text.
    const ProgressUpdate update = ComputeProgressUpdate(estimate, 8 * MB, 4 * MB, kStart + 5, Strings());
    EXPECT_EQ(update.percent, 100);
    EXPECT_TRUE(update.statusText.IsEmpty());
}

TEST(ProgressEstimate, AtOneHundredPercentTheBarIsFullAndTheTextEmpty)
{
    ProgressEstimate estimate;
    ComputeProgressUpdate(estimate, 1 * MB, 4 * MB, kStart, Strings());
    const ProgressUpdate update = ComputeProgressUpdate(estimate, 4 * MB, 4 * MB, kStart + 3, Strings());
    EXPECT_EQ(update.percent, 100);
    EXPECT_TRUE(update.statusText.IsEmpty());
    EXPECT_EQ(estimate.refreshCounter, 0) << "no estimate step at 100 %";
}

TEST(ProgressEstimate, BelowOnePercentItIsPreparingAndTheClockWaits)
{
    ProgressEstimate estimate;
    ProgressUpdate update = ComputeProgressUpdate(estimate, 0, 4 * MB, kStart, Strings());
    EXPECT_EQ(update.percent, 0);
    EXPECT_EQ(Text(update.statusText), L"Preparing...");
    update = ComputeProgressUpdate(estimate, 100, 4 * MB, kStart, Strings());
    EXPECT_EQ(Text(update.statusText), L"Preparing...");
    EXPECT_FALSE(estimate.started);
}

TEST(ProgressEstimate, ChineseLanguagesTakeTheTotalFirst)
{
    EXPECT_TRUE(IsTotalFirstLanguage(L"CHT"));
    EXPECT_TRUE(IsTotalFirstLanguage(L"CHS"));
    EXPECT_FALSE(IsTotalFirstLanguage(L"ENU"));
    EXPECT_FALSE(IsTotalFirstLanguage(nullptr));

    ProgressEstimate estimate;
    const ProgressStatusStrings strings = Strings(IsTotalFirstLanguage(L"CHT"));
    ComputeProgressUpdate(estimate, 1 * MB, 4 * MB, kStart, strings);
    const ProgressUpdate update = ComputeProgressUpdate(estimate, 1 * MB, 4 * MB, kStart + 1, strings);
    EXPECT_EQ(Text(update.statusText), L"4.0 MB|1.0 MB||1.0 MB\n");
}

TEST(ProgressEstimate, RemainingTimeShowsHoursOfTheDayAndNothingWhenUnknown)
{
    EXPECT_EQ(Text(FormatRemainingTime(true, 0)), L"00:00:00 ");
    EXPECT_EQ(Text(FormatRemainingTime(true, 3 * 3600 + 25 * 60 + 7)), L"03:25:07 ");
    EXPECT_EQ(Text(FormatRemainingTime(true, 86400 + 3600 + 61)), L"01:01:01 ");
    EXPECT_TRUE(FormatRemainingTime(false, 100).IsEmpty());

    // A crawl leaves the remaining time unknown rather than absurd.
    ProgressEstimate estimate;
    StepProgressEstimate(estimate, 1, ~0ULL, kStart);
    StepProgressEstimate(estimate, 1, ~0ULL, kStart + 1);
    EXPECT_FALSE(estimate.remainingValid);
}

TEST(ProgressEstimate, LanguageLibraryHoldsTheWindowsStrings)
{
    HMODULE library =
        ::LoadLibraryExW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr);
    std::wstring text;
    ASSERT_TRUE(AfxLoadStringFrom(library, 50004, text));
    size_t strings = 0;
    for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 2))
    {
        EXPECT_EQ(text[at + 1], L's') << "the status line takes four texts, nothing else";
        ++strings;
    }
    EXPECT_EQ(strings, 4u);
    for (UINT id : {175u, 177u, 248u, 257u, 405u, 408u, 1246u, 50007u, 50008u, 50009u, 50010u})
    {
        ASSERT_TRUE(AfxLoadStringFrom(library, id, text)) << id;
        EXPECT_EQ(text.find(L'%'), std::wstring::npos) << id;
    }
    EXPECT_NE(::FindResourceW(library, MAKEINTRESOURCEW(530), RT_DIALOG), nullptr);
    EXPECT_NE(::FindResourceW(library, MAKEINTRESOURCEW(140), RT_DIALOG), nullptr);
    ::FreeLibrary(library);
}
