// The windows that job creation opens, in one replaceable set: the new-job wizard, the overwrite choice, the
// start-backup prompt and the help file. The defaults are the real windows; tests put scripted ones in place, so
// that job creation runs without a display.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/system/Seam.h"

class CSyncJob;
class CWnd;

struct JobCreationDialogs
{
    // The wizard for the job from its first step, modal, owned by parent; IDOK when it was finished.
    std::function<INT_PTR(CSyncJob *job, CWnd *parent)> runWizard;
    // The overwrite choice of a folder-to-folder job, modal; it stores the answer ("ow_type") itself.
    std::function<INT_PTR(CSyncJob *job, CWnd *parent)> runOverwriteChoice;
    // The start-backup prompt, modal, with no parent: IDOK to start the first backup now. checked: its check box.
    std::function<INT_PTR(BOOL &checked)> runStartBackup;
    // The program's help file at context 2 (the job types), owned by owner.
    std::function<void(CWnd *owner)> openHelp;
};

extern Seam<JobCreationDialogs> g_jobCreationDialogs;

// The help file of the language folder ("zel.chm"), opened by HTML help at the context number when it exists;
// nothing happens without it.
void OpenHelpFile(CWnd *owner, DWORD context);
