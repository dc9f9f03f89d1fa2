// Helpers for tests that look at pictures through GDI+ (a session has to be running).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

namespace testsupport
{

// The class id of GDI+'s PNG encoder; false when GDI+ offers none.
bool PngEncoder(CLSID &clsid);

// Saves the pixels of a 32-bit DIB section (width x height, rows top-down or bottom-up) as a PNG file; false
// when that failed. The section may stay selected into a DC: GDI+ reads the pixels, not the bitmap.
bool SaveSectionAsPng(const void *pBits, int nWidth, int nHeight, bool bTopDown, const std::wstring &path);

} // namespace testsupport
