// One hook answers every message box of the program, the platform's and the skinned ones, without showing it:
// tests of code that asks questions put their answer here through a SeamOverride. It is called on the thread
// that asks, with the string number (0 for a given text), the text and the flags, and returns the button.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/system/Seam.h"
#include "platform/text/String.h"

using MessageBoxAnswer = std::function<int(UINT textId, const CString &text, UINT flags)>;
// Empty unless a test answers.
extern Seam<MessageBoxAnswer> g_messageBoxAnswer;

// The platform's message box (MessageBoxW), unless the hook answers.
int AfxShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags);
