// Where resources come from. The instance handle is the program's own module; the resource handle is the
// language library once the program has loaded one (until then the program itself). Dialogs, strings and
// menus are looked up in the language library first, then in the program.
#pragma once
#include <windows.h>
#include <string>

#include "platform/text/String.h"

HINSTANCE AfxGetInstanceHandle();
void AfxSetInstanceHandle(HINSTANCE hInstance);
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);

// The module to load the resource (name, type) from: the resource handle when it holds the resource, else the
// instance handle when that holds it, else the resource handle (so that the caller's load fails there).
HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);

// Reads string nID straight from a module's string table (any length). False when the module has no such
// entry or the entry is empty.
bool AfxLoadStringFrom(HINSTANCE hModule, UINT nID, std::wstring &text);
// String nID from the language library when it holds it, else from the program; false when neither does.
bool AfxLoadStringResource(UINT nID, std::wstring &text);
// The same as text: every user-visible string of the program is loaded through here. Empty when neither module
// holds the string.
CString AfxLoadText(UINT nID);
