// Dialog data exchange: DoDataExchange moves values between member variables and controls in either
// direction, one DDX_ call per control. A value that fails validation makes UpdateData return FALSE.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CWnd;

// Thrown by CDataExchange::Fail and caught by UpdateData.
class CDataExchangeFailure
{
};

class CDataExchange
{
  public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate);

    // TRUE: from the controls into the variables (and validate); FALSE: into the controls.
    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;

    // The control nIDC of the dialog; a control missing from the dialog fails the exchange.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Ends the exchange as failed; when saving, the focus goes to the last control prepared.
    [[noreturn]] void Fail();
};

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value);
// Saving accepts an optionally signed decimal number within int, with blanks around it; anything else tells
// the user and fails.
void DDX_Text(CDataExchange *pDX, int nIDC, int &value);
// Check box state (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE); out-of-range values load as unchecked.
void DDX_Check(CDataExchange *pDX, int nIDC, int &value);
// nIDC is the first radio button of a group; value is the index of the checked button in the group, -1 for
// none.
void DDX_Radio(CDataExchange *pDX, int nIDC, int &value);
// The selected index of a combo box (-1 for none).
void DDX_CBIndex(CDataExchange *pDX, int nIDC, int &index);
// Subclasses the control into rControl the first time (rControl then handles the control's messages).
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);
