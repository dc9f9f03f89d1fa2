// The windows the main window's job commands open, in one replaceable set: the job type chooser (the new-job
// command and "--create"), the job selection dialog ("--select"), the folder browser of the restore page and the
// job menu of the job list. The defaults are the platform's and job setup's; tests put scripted ones in place.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>

#include "platform/system/Seam.h"

class CWnd;

struct JobCommandWindows
{
    // Builds the job type chooser (which sets up a first job at once) and runs it modally; its result.
    std::function<INT_PTR(CWnd *parent)> runJobTypeChooser;
    // Runs the job selection dialog modally, without a parent; IDOK when the pending paths joined a job.
    std::function<INT_PTR()> runJobSelection;
    // SHBrowseForFolderW.
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOW *info)> browseForFolder;
    // TrackPopupMenu with the flags, at the screen point, for the owner.
    std::function<BOOL(HMENU menu, UINT flags, int x, int y, HWND owner)> trackMenu;
};
extern Seam<JobCommandWindows> g_jobCommandWindows;
