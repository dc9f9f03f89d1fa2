#include "mail/frame/SystemVersion.h"

#include "mail/frame/Trace.h"

Seam<PFN_GET_VERSION_EX> g_pfnGetVersionEx{&::GetVersionExW};

namespace
{

bool GetSystemVersion(OSVERSIONINFOEXW &version)
{
    version = OSVERSIONINFOEXW();
    version.dwOSVersionInfoSize = sizeof(version);
    if (g_pfnGetVersionEx(reinterpret_cast<LPOSVERSIONINFOW>(&version)))
        return true;
    DebugPrintf(POSTREL_TRACE, L"The system's version cannot be had (error %lu).\n", ::GetLastError());
    return false;
}

} // namespace

BOOL IsWindowsMailVersion(const OSVERSIONINFOEXW &version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6 && version.dwMinorVersion == 0;
}

BOOL IsOutlookExpressVersion(const OSVERSIONINFOEXW &version)
{
    return !(version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5);
}

BOOL IsWindowsMailSystem()
{
    OSVERSIONINFOEXW version;
    return GetSystemVersion(version) && IsWindowsMailVersion(version);
}

BOOL IsOutlookExpressSystem()
{
    OSVERSIONINFOEXW version;
    return GetSystemVersion(version) && IsOutlookExpressVersion(version);
}
