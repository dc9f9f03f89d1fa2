// How job setup tells of what went wrong: an entry in the program's log first, then a message to the user. Used by
// job creation, the wizard and the job selection dialog.
#pragma once
#include <windows.h>

class CDialog;
class CSyncJobList;

// Runs the dialog modally. A dialog whose template the language library lacks (DoModal -1) is logged (string
// 52801 with the template's number), told (52802) and counts as cancelled (IDCANCEL); one that the program's end
// broke off (WM_QUIT) counts as cancelled without a word.
INT_PTR RunSetupDialog(CDialog &dialog);

// Saves the job store. A save that fails is logged as the main window logs it (52752, the store's path and the
// error) and the system's text for the error is shown (52808); the jobs stay as they are in memory. FALSE then.
BOOL SaveJobStoreReporting(CSyncJobList &jobs);

// Shows string textId formatted with the system's text of the error.
void ShowWithSystemText(UINT textId, DWORD error);
