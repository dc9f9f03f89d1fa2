#include "mail/frame/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>

namespace
{

struct TraceState
{
    DWORD mask = 0;
    bool fileOutput = false;
    wchar_t logPath[MAX_PATH] = {};
    FILE *log = nullptr;
};

TraceState &State()
{
    static TraceState state;
    return state;
}

bool Enabled(DWORD dwMask)
{
    return dwMask != 0 && (dwMask & State().mask) != 0;
}

// The log is a text file in the ANSI code page, as the platform's own text-mode output would write it.
void WriteToLog(LPCWSTR text)
{
    TraceState &state = State();
    if (!state.fileOutput || state.log == nullptr)
        return;
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return;
    std::string narrow(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], bytes, nullptr, nullptr);
    fputs(narrow.c_str(), state.log);
    fflush(state.log);
}

void Output(LPCWSTR text)
{
    ::OutputDebugStringW(text);
    WriteToLog(text);
}

void TraceV(DWORD dwMask, LPCWSTR pszFormat, va_list args)
{
    if (!Enabled(dwMask))
        return;
    wchar_t message[4096];
    int written = _vsnwprintf(message, 4095, pszFormat, args);
    if (written < 0 || written > 4095)
        written = 4095;
    message[written] = L'\0';

    SYSTEMTIME now = {};
    ::GetSystemTime(&now);
    // The hour is shown on a 12-hour clock: up to 12 unchanged with "AM", a later one less 12 with "PM".
    const bool pm = now.wHour > 12;
    wchar_t prefix[128];
    _snwprintf(prefix, 127, L"0x%04x %02d:%02d:%02d.%03d%s  %02d-%02d-%4d 0x%08X: ", ::GetCurrentThreadId(),
               pm ? now.wHour - 12 : now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, pm ? L"PM" : L"AM",
               now.wMonth, now.wDay, now.wYear, dwMask);
    prefix[127] = L'\0';
    Output(prefix);
    Output(message);
}

} // namespace

void DebugPrintf(DWORD dwMask, LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    TraceV(dwMask, pszFormat, args);
    va_end(args);
}

DWORD ConfigureTrace(LPCWSTR pszLogPath, DWORD dwMask)
{
    TraceState &state = State();
    // Taken literally: a path may hold "%" ("C:\100%\x.log").
    wcsncpy(state.logPath, pszLogPath, MAX_PATH - 1);
    state.logPath[MAX_PATH - 1] = L'\0';
    state.fileOutput = true;
    if (state.log != nullptr)
    {
        fclose(state.log);
        state.log = nullptr;
    }
    state.log = _wfopen(state.logPath, L"a+");
    if (state.log == nullptr)
    {
        DWORD error = ::GetLastError();
        wchar_t *text = nullptr;
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
        wchar_t line[1024];
        _snwprintf(line, 1023, L"_tfopen failed, hRes = 0x%08X, dwErr = 0x%08X = \"%s\"\n",
                   static_cast<unsigned>(HRESULT_FROM_WIN32(error)), static_cast<unsigned>(error),
                   text != nullptr ? text : L"");
        line[1023] = L'\0';
        ::OutputDebugStringW(line);
        if (text != nullptr)
            ::LocalFree(text);
    }
    state.mask = dwMask;
    return dwMask;
}

void ResetTrace()
{
    TraceState &state = State();
    if (state.log != nullptr)
        fclose(state.log);
    state = TraceState();
}

void ReportHResult(HRESULT hr, const char *pszExpression, const char *pszFile, int nLine)
{
    if (!Enabled(POSTREL_TRACE))
        return;
    const wchar_t *pszTemplate =
        hr < 0 ? L"Error: %1\r\nCode: %2 == 0x%3!08X!\r\nFunction %4!hs!\r\nFile %5!hs!\r\nLine %6!d!"
               : L"Warning: %1\r\nCode: %2 == 0x%3!08X!\r\nFunction %4!hs!\r\nFile %5!hs!\r\nLine %6!d!";
    // The name is copied first: GetHResultName may hand out its one shared buffer.
    std::wstring name = GetHResultName(hr);
    DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(L""),
                        reinterpret_cast<DWORD_PTR>(name.c_str()),
                        static_cast<DWORD_PTR>(static_cast<DWORD>(hr)),
                        reinterpret_cast<DWORD_PTR>(pszExpression != nullptr ? pszExpression : ""),
                        reinterpret_cast<DWORD_PTR>(pszFile != nullptr ? pszFile : ""),
                        static_cast<DWORD_PTR>(nLine)};
    wchar_t *text = nullptr;
    DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                         pszTemplate, 0, 0, reinterpret_cast<LPWSTR>(&text), 0, reinterpret_cast<va_list *>(args));
    if (length == 0 || text == nullptr)
        return;
    DebugPrintf(POSTREL_TRACE, L"%s", text);
    ::LocalFree(text);
    Output(L"\n");
}

void ReportSkipped(const char *pszExpression, HRESULT hr)
{
    std::wstring name = GetHResultName(hr);
    DebugPrintf(POSTREL_TRACE, L"Skipping %hs because hRes = 0x%8x = %s.\n",
                pszExpression != nullptr ? pszExpression : "", static_cast<unsigned>(hr), name.c_str());
}
