// The library's debug trace and the report of failed platform calls. The trace goes to the debugger and,
// once ConfigurateDebug has opened a log, to that file; nothing is written while the trace mask is 0.
// The state is process-wide and unlocked: the library is used from one thread at a time.
#pragma once
#include <windows.h>

// The mask of every trace of the library.
constexpr DWORD POSTREL_TRACE = 0x40;

// printf-style (wide rules: %s wide, %hs narrow); one line is cut at 4095 characters.
void DebugPrintf(DWORD dwMask, LPCWSTR pszFormat, ...);
// The body of ConfigurateDebug: the path is taken literally (cut to 259 characters).
DWORD ConfigureTrace(LPCWSTR pszLogPath, DWORD dwMask);
// Closes the log and forgets the trace state (the library's unloading; tests).
void ResetTrace();

// An "Error:" (negative code) or "Warning:" block naming the code, the call, the file and the line.
void ReportHResult(HRESULT hr, const char *pszExpression, const char *pszFile, int nLine);
// The note that a step was not attempted because an earlier one failed.
void ReportSkipped(const char *pszExpression, HRESULT hr);
// The symbolic name of a storage or registration code; any other code as "0x%08X" in a buffer that the next
// such call overwrites.
LPCWSTR GetHResultName(HRESULT hr);

namespace postrel_detail
{
constexpr const char *BaseName(const char *path)
{
    const char *name = path;
    for (const char *at = path; *at != '\0'; ++at)
        if (*at == '/' || *at == '\\')
            name = at + 1;
    return name;
}
inline HRESULT Reported(HRESULT hr, const char *pszExpression, const char *pszFile, int nLine)
{
    if (hr != S_OK)
        ReportHResult(hr, pszExpression, pszFile, nLine);
    return hr;
}
} // namespace postrel_detail

// Evaluates a platform call, reports any result but S_OK and yields the result.
#define POSTREL_CALL(expr) postrel_detail::Reported((expr), #expr, postrel_detail::BaseName(__FILE__), __LINE__)
// One step of a sequence: runs only while hr is not negative (else it is reported as skipped); hr takes the
// step's result.
#define POSTREL_STEP(hr, expr) ((hr) = SUCCEEDED(hr) ? POSTREL_CALL(expr) : (ReportSkipped(#expr, (hr)), (hr)))
