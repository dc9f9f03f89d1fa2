#include "tray/logic/TrayRemoval.h"

#include <errno.h>
#include <stdlib.h>

namespace
{

const size_t kMaxCommandLine = 511;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

} // namespace

std::wstring BuildRemovalCommandLine(const std::wstring &copyPath, HANDLE process)
{
    const std::wstring commandLine = L"\"" + copyPath + L"\" " + std::to_wstring(HandleToLong(process));
    return commandLine.size() <= kMaxCommandLine ? commandLine : std::wstring();
}

BOOL ParseRemovalHandle(LPCWSTR arguments, HANDLE &process)
{
    process = nullptr;
    if (arguments == nullptr)
        return FALSE;
    while (IsBlank(*arguments))
        ++arguments;
    if (*arguments < L'0' || *arguments > L'9')
        return FALSE;
    wchar_t *end = nullptr;
    errno = 0;
    const long value = wcstol(arguments, &end, 10);
    while (IsBlank(*end))
        ++end;
    if (*end != 0 || errno == ERANGE || value <= 0)
        return FALSE;
    process = LongToHandle(value);
    return TRUE;
}
