// What the filter dialogs ask of the user through the platform: a text in the input box and a folder from the
// shell's folder browser. Tests put their own answers in place.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"
#include "platform/text/String.h"

class CWnd;

// Shows the input box (the prompt above an empty edit box) owned by parent; FALSE when it was cancelled. The
// entered text is in text.
typedef BOOL (*PFN_ASK_FILTER_TEXT)(CWnd *parent, const CString &prompt, CString &text);
extern Seam<PFN_ASK_FILTER_TEXT> g_pfnAskFilterText;

// The shell's folder browser (new style, with an edit box) owned by owner; FALSE when it was cancelled or gave
// no file-system folder. The chosen folder is in path.
typedef BOOL (*PFN_BROWSE_FILTER_FOLDER)(HWND owner, CString &path);
extern Seam<PFN_BROWSE_FILTER_FOLDER> g_pfnBrowseFilterFolder;

// The main window's view state, the wizard state of the filter page: 0 when there is no main window.
int FilterWizardState();
