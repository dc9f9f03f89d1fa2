// Which mail programs the system has, told from its version alone.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"

using PFN_GET_VERSION_EX = BOOL(WINAPI *)(LPOSVERSIONINFOW);
// Fills the extended version record (its size field set by the caller); the platform's GetVersionExW.
extern Seam<PFN_GET_VERSION_EX> g_pfnGetVersionEx;

// The rules over a version record.
BOOL IsWindowsMailVersion(const OSVERSIONINFOEXW &version);
BOOL IsOutlookExpressVersion(const OSVERSIONINFOEXW &version);

// The rules over the running system; FALSE when its version cannot be had.
BOOL IsWindowsMailSystem();
BOOL IsOutlookExpressSystem();
