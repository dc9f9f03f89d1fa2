// Helpers for tests that look at pictures through GDI+ (a session has to be running).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace testsupport
{

// The class id of GDI+'s PNG encoder; false when GDI+ offers none.
bool PngEncoder(CLSID &clsid);

} // namespace testsupport
