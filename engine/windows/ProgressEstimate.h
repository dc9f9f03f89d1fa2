// The progress window's arithmetic: percent done, transfer rate, remaining time and the status line, kept
// apart from the window so that it can be run with chosen byte counts and times.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// What the estimate keeps from one update to the next.
struct ProgressEstimate
{
    bool started = false;     // set by the first update with bytes done; the clock starts there
    __time64_t startTime = 0; // seconds since 1970
    __int64 elapsedSeconds = 0;
    double rate = 0; // bytes per second; 0 until a whole second has passed
    bool remainingValid = false;
    __int64 remainingSeconds = 0;
    int refreshCounter = 0; // 0, 1500 or 3000: the remaining-time text is renewed every third update
    CString remainingText;  // "HH:MM:SS " or empty

    // Back to the state of a new window: not started, everything zero and empty.
    void Reset();
};

// The texts the status line is made of, from the language library.
struct ProgressStatusStrings
{
    CString statusFormat; // four %s: done, total, remaining time, rate (total first for CHS and CHT)
    CString preparing;    // shown, followed by "...", while nothing has been copied
    bool totalFirst = false;
};

// True for the languages whose status format takes the total before the bytes done ("CHS", "CHT").
bool IsTotalFirstLanguage(LPCWSTR language);

// Percent done, 0-100, truncated: done is taken as total when it is larger; 0 when total is 0.
int ProgressPercent(ULONGLONG done, ULONGLONG total);

// A remaining time as "%H:%M:%S " (hours of the day, each part two digits, a trailing blank); empty when it
// is not known.
CString FormatRemainingTime(bool valid, __int64 seconds);

// One step of the estimate for done of total bytes at now (seconds since 1970). Returns true when the status
// line is due: the clock was already running. The first step with bytes done only starts the clock. Done is
// taken as total when it is larger; a total of 0 changes nothing.
bool StepProgressEstimate(ProgressEstimate &estimate, ULONGLONG done, ULONGLONG total, __time64_t now);

// The status line of the estimate: the format with done, total, remaining time and rate (each size with one
// decimal and its unit; the rate as whole bytes per second), followed by "\n".
CString FormatProgressStatus(const ProgressEstimate &estimate, ULONGLONG done, ULONGLONG total,
                             const ProgressStatusStrings &strings);

// What one periodic update shows: the bar position and the status text.
struct ProgressUpdate
{
    int percent = 0;
    CString statusText;
};

// One periodic update for done of total bytes at now. A total of 0 gives an empty bar and text. At 100 % the
// bar is full and the text empty; below 1 % the text is the preparing text followed by "..."; otherwise the
// estimate runs and the text is its status line once the clock has been running for an update.
ProgressUpdate ComputeProgressUpdate(ProgressEstimate &estimate, ULONGLONG done, ULONGLONG total, __time64_t now,
                                     const ProgressStatusStrings &strings);
