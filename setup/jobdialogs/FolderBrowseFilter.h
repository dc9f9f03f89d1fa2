// The filter of the platform's folder browser for the main window's browse command: it names the browser, starts it
// at a folder and keeps OK off for anything but an existing file-system folder other than the one excluded (the
// job's own destination, for instance). Its record travels as the browser's lParam.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "platform/text/String.h"

struct FolderBrowseFilter
{
    // The browser window's title; empty leaves the platform's.
    CString title;
    // The folder selected when the browser opens; empty selects nothing.
    CString initialFolder;
    // The folder that cannot be chosen (letter case and a trailing backslash aside); empty excludes nothing.
    CString excludedFolder;
    // The BROWSEINFO flags the caller opens the browser with.
    UINT flags = 0;
};

// The browser's callback; data is the FolderBrowseFilter. On initialisation it takes the context help off the
// window, selects the initial folder and sets the title; on every selection change it enables OK only for an item
// whose file-system path exists, is no shortcut and is not the excluded folder.
int CALLBACK FolderBrowseFilterProc(HWND hWnd, UINT message, LPARAM lParam, LPARAM data);

// Whether OK may be on for the selected path (empty: the item has no file-system path).
BOOL IsBrowsedFolderAcceptable(const CString &path, const CString &excludedFolder);
