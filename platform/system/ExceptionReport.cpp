#include "platform/system/ExceptionReport.h"

#include <cstdio>
#include <string>

void ReportExceptionToDebugger(const char *where, const char *what)
{
    std::string text = "Exception stopped in ";
    text += where != nullptr ? where : "?";
    if (what != nullptr)
    {
        text += ": ";
        text += what;
    }
    text += "\n";
    ::OutputDebugStringA(text.c_str());
}

Seam<PFN_EXCEPTION_REPORTER> g_pfnReportException{&ReportExceptionToDebugger};

void AfxReportCurrentException(const char *where, UINT message) noexcept
{
    char place[160];
    if (message != 0)
        std::snprintf(place, sizeof place, "%s (message 0x%04X)", where != nullptr ? where : "?", message);
    else
        std::snprintf(place, sizeof place, "%s", where != nullptr ? where : "?");
    // The text is copied: the exception object may be gone once the rethrown copy's handler ends.
    char text[512];
    const char *what = nullptr;
    try
    {
        std::exception_ptr current = std::current_exception();
        if (current)
            std::rethrow_exception(current);
    }
    catch (const std::exception &e)
    {
        std::snprintf(text, sizeof text, "%s", e.what());
        what = text;
    }
    catch (...)
    {
    }
    try
    {
        g_pfnReportException(place, what);
    }
    catch (...)
    {
        ReportExceptionToDebugger(place, what);
    }
}
