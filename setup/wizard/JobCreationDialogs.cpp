#include "setup/wizard/JobCreationDialogs.h"

#include <shlwapi.h>

#include "engine/program/ProgramObjects.h"
#include "platform/system/Handles.h"
#include "setup/jobdialogs/DialogStartBackup.h"
#include "setup/jobdialogs/OverWriteOption.h"
#include "setup/wizard/SetupReports.h"
#include "setup/wizard/TesselWizard.h"

namespace
{

// HTML help's command that opens a topic by its context number.
const UINT kHelpContextCommand = 0x000F;
typedef HWND(WINAPI *PFN_HTML_HELP)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

INT_PTR RunWizard(CSyncJob *job, CWnd *parent)
{
    CTesselWizard wizard(job, CTesselWizard::STEP_SOURCE, parent);
    return RunSetupDialog(wizard);
}

INT_PTR RunOverwriteChoice(CSyncJob *job, CWnd *parent)
{
    COverWriteOption choice(job, parent);
    return RunSetupDialog(choice);
}

INT_PTR RunStartBackup(BOOL &checked)
{
    CDialogStartBackup prompt(nullptr);
    const INT_PTR result = RunSetupDialog(prompt);
    checked = prompt.IsChecked();
    return result;
}

void OpenHelp(CWnd *owner)
{
    OpenHelpFile(owner, 2);
}

} // namespace

Seam<JobCreationDialogs> g_jobCreationDialogs{
    JobCreationDialogs{&RunWizard, &RunOverwriteChoice, &RunStartBackup, &OpenHelp}};

void OpenHelpFile(CWnd *owner, DWORD context)
{
    const CString file = g_strLanguageFolder + L"zel.chm";
    if (g_strLanguageFolder.IsEmpty() || !::PathFileExistsW(file))
        return;
    // HTML help is a library of the system, loaded only when a help file is there to show, and kept to the end of
    // the process: its viewer window outlives the call.
    static CModuleOwner library(::LoadLibraryW(L"hhctrl.ocx"));
    if (!library.IsValid())
        return;
    auto htmlHelp =
        reinterpret_cast<PFN_HTML_HELP>(reinterpret_cast<void *>(::GetProcAddress(library.Get(), "HtmlHelpW")));
    if (htmlHelp != nullptr)
        htmlHelp(owner != nullptr ? owner->GetSafeHwnd() : nullptr, file, kHelpContextCommand, context);
}
