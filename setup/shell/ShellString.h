// CShellString: a display name as the shell returns it (STRRET), read back as text whichever form the shell chose.
//
//     CShellString name;
//     folder->GetDisplayNameOf(item, SHGDN_INFOLDER, name.SetFromPidl(item));
//     CString text = name.GetText();
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "platform/text/String.h"
#include "setup/shell/ShellPidl.h"

class CShellString
{
  public:
    CShellString();
    ~CShellString();
    CShellString(const CShellString &) = delete;
    CShellString &operator=(const CShellString &) = delete;

    // Frees a wide-string answer and zeroes the record.
    void Clear();
    // Clears, keeps a copy of the item (an offset answer points into it) and hands back the record for the shell
    // to fill.
    STRRET *SetFromPidl(LPCITEMIDLIST pidl);
    // The wide string; the narrow string at its offset inside the kept item; the narrow string of the record,
    // converted with the thread's code page. Empty for any other form.
    CString GetText() const;

  private:
    CShellPidl m_pidl;
    STRRET m_result;
};

// The display name of an item of the folder in the SHGDN form; empty when the shell gives none.
CString ShellDisplayName(IShellFolder *folder, LPCITEMIDLIST item, SHGDNF form);
