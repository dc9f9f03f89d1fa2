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

// Saves the pixels of a top-down 32-bit DIB section (width x height, rows of width x 4 bytes) as a PNG file;
// false when that failed. The pixels are read straight from the section: a bitmap still selected into a DC must
// not be handed to GDI+.
bool SaveSectionPng(const void *bits, int width, int height, const std::wstring &path);

} // namespace testsupport
