#include "engine/windows/ProgressEstimate.h"

#include <cmath>

#include "engine/program/AppPaths.h"
#include "platform/text/Time.h"

namespace
{

// A remaining time beyond this many seconds (about 30,000 years) is not worth showing.
const double kLongestRemaining = 1e12;

// A product of a small factor and a 64-bit value as two 64-bit words.
struct WideProduct
{
    ULONGLONG high;
    ULONGLONG low;
    bool operator<(const WideProduct &other) const
    {
        return high != other.high ? high < other.high : low < other.low;
    }
};

WideProduct Multiply(unsigned factor, ULONGLONG value)
{
    const ULONGLONG lowPart = static_cast<ULONGLONG>(factor) * (value & 0xFFFFFFFFu);
    const ULONGLONG highPart = static_cast<ULONGLONG>(factor) * (value >> 32) + (lowPart >> 32);
    return WideProduct{highPart >> 32, (highPart << 32) | (lowPart & 0xFFFFFFFFu)};
}

} // namespace

void ProgressEstimate::Reset()
{
    *this = ProgressEstimate();
}

bool IsTotalFirstLanguage(LPCWSTR language)
{
    return language != nullptr && (::lstrcmpiW(language, L"CHS") == 0 || ::lstrcmpiW(language, L"CHT") == 0);
}

int ProgressPercent(ULONGLONG done, ULONGLONG total)
{
    if (total == 0)
        return 0;
    if (done >= total)
        return 100;
    if (done <= ~0ULL / 100)
        return static_cast<int>(done * 100 / total);
    // done * 100 would overflow 64 bits: the largest p with p * total <= 100 * done, in two-word products.
    const WideProduct hundredDone = Multiply(100, done);
    int percent = 0;
    while (percent < 99 && !(hundredDone < Multiply(static_cast<unsigned>(percent + 1), total)))
        ++percent;
    return percent;
}

CString FormatRemainingTime(bool valid, __int64 seconds)
{
    if (!valid || seconds < 0)
        return CString();
    return CTimeSpan(seconds).Format(L"%H:%M:%S ");
}

bool StepProgressEstimate(ProgressEstimate &estimate, ULONGLONG done, ULONGLONG total, __time64_t now)
{
    if (total == 0)
        return false;
    if (done > total)
        done = total;

    if (!estimate.started)
    {
        if (done == 0)
            return false;
        estimate.Reset();
        estimate.started = true;
        estimate.startTime = now;
        return false;
    }

    estimate.elapsedSeconds = now - estimate.startTime;
    // Until a whole second has passed (or when the clock went back) there is no rate to divide by.
    if (estimate.elapsedSeconds >= 1 && done > 0)
    {
        estimate.rate = static_cast<double>(done) / static_cast<double>(estimate.elapsedSeconds);
        const double remaining = static_cast<double>(total - done) / estimate.rate;
        estimate.remainingValid = remaining <= kLongestRemaining;
        estimate.remainingSeconds = estimate.remainingValid ? std::llround(remaining) : 0;
    }
    else
    {
        estimate.rate = 0;
        estimate.remainingValid = false;
        estimate.remainingSeconds = 0;
    }

    if (estimate.refreshCounter >= 3000)
    {
        estimate.remainingText = FormatRemainingTime(estimate.remainingValid, estimate.remainingSeconds);
        estimate.refreshCounter = 0;
    }
    else
    {
        estimate.refreshCounter += 1500;
    }
    return true;
}

CString FormatProgressStatus(const ProgressEstimate &estimate, ULONGLONG done, ULONGLONG total,
                             const ProgressStatusStrings &strings)
{
    if (done > total)
        done = total;
    // The rate is shown as whole bytes per second in 32 bits.
    const double rate = estimate.rate < 0 ? 0 : estimate.rate;
    const DWORD rateBytes = rate >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<DWORD>(rate);
    const CString doneText = FormatSizeUnits(done);
    const CString totalText = FormatSizeUnits(total);
    const CString rateText = FormatSizeUnits(rateBytes);

    CString status;
    if (!strings.statusFormat.IsEmpty())
    {
        if (strings.totalFirst)
            status.Format(strings.statusFormat, totalText, doneText, estimate.remainingText, rateText);
        else
            status.Format(strings.statusFormat, doneText, totalText, estimate.remainingText, rateText);
    }
    status += L"\n";
    return status;
}

ProgressUpdate ComputeProgressUpdate(ProgressEstimate &estimate, ULONGLONG done, ULONGLONG total, __time64_t now,
                                     const ProgressStatusStrings &strings)
{
    ProgressUpdate update;
    // Without a total there is nothing to estimate or say yet.
    if (total == 0)
        return update;
    update.percent = ProgressPercent(done, total);
    if (update.percent == 100)
        return update;
    if (update.percent > 0)
    {
        if (StepProgressEstimate(estimate, done, total, now))
            update.statusText = FormatProgressStatus(estimate, done, total, strings);
        return update;
    }
    if (!estimate.started)
        StepProgressEstimate(estimate, 0, total, now);
    update.statusText = strings.preparing + L"...";
    return update;
}
