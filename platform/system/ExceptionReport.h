// An exception must not cross a window procedure, a thread's entry or the program's start: each of those
// boundaries catches it and reports it here. The default report goes to the debugger output; a program
// installs a reporter that writes to its log.
#pragma once
#include <windows.h>

#include <exception>

#include "platform/system/Seam.h"

// where: the boundary ("a window procedure (message 0x0111)"); what: the exception's text, or null when it was
// not a std::exception. A reporter must not throw.
using PFN_EXCEPTION_REPORTER = void (*)(const char *where, const char *what);
void ReportExceptionToDebugger(const char *where, const char *what);
extern Seam<PFN_EXCEPTION_REPORTER> g_pfnReportException;

// Reports the exception being handled (call it inside a catch block). message is the window message under way,
// 0 for none.
void AfxReportCurrentException(const char *where, UINT message = 0) noexcept;
