#include "setup/filterui/FilterUiSeams.h"

#include <shlobj.h>

#include "engine/job/MainWindowServices.h"
#include "ui/boxes/InputDlg.h"

namespace
{

BOOL AskWithInputBox(CWnd *parent, const CString &prompt, CString &text)
{
    CInputDlg box(prompt, L"", L"", parent);
    if (box.DoModal() != IDOK)
        return FALSE;
    text = box.m_strValue;
    return TRUE;
}

BOOL BrowseWithShell(HWND owner, CString &path)
{
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (chosen == nullptr)
        return FALSE;
    wchar_t buffer[MAX_PATH] = {};
    const BOOL named = ::SHGetPathFromIDListW(chosen, buffer);
    ::CoTaskMemFree(chosen);
    if (!named || buffer[0] == L'\0')
        return FALSE;
    path = buffer;
    return TRUE;
}

} // namespace

Seam<PFN_ASK_FILTER_TEXT> g_pfnAskFilterText{&AskWithInputBox};
Seam<PFN_BROWSE_FILTER_FOLDER> g_pfnBrowseFilterFolder{&BrowseWithShell};

int FilterWizardState()
{
    IMainWindowServices *main = g_pMainDlg.load();
    return main != nullptr ? main->GetMode() : 0;
}
