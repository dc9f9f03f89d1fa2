// The about box: a skinned dialog (template 100, background "dialog.png") whose control 1214 names the
// application and the version of the program's version block. Every other static lies transparently on the skin.
#pragma once
#include <windows.h>

#include "platform/text/String.h"
#include "ui/skin/SdSkinDlg.h"

class CAboutDlg : public CSdSkinDlg
{
  public:
    explicit CAboutDlg(CWnd *pParent = nullptr);

    BOOL OnInitDialog() override;

  protected:
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};

// The version "a.b.c.d" of the file's version block; empty when it has none.
CString GetFileVersionText(LPCWSTR path);
// The text of control 1214: the application's name and, on its own line, string 51202 with the version.
CString FormatAboutText(LPCWSTR appName, LPCWSTR version);
