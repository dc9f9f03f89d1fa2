// A modeless dialog from the test template with the list and the edit box subclassed, recording what reaches
// it: the list's commands and the edit box's button message.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/windows/Dialog.h"
#include "ui/controls/EditWithButton.h"
#include "ui/controls/MultiLineList.h"
#include "ui/controls_gui/ControlsTestResources.h"

namespace controlstest
{

struct Command
{
    WPARAM wParam;
    LPARAM lParam;
};

class CControlsTestDlg : public CDialog
{
  public:
    CControlsTestDlg() : CDialog(IDD_CONTROLS_TEST)
    {
    }

    CMultilineList m_list;
    CEditWithButton m_edit;
    std::vector<Command> listCommands;
    int buttonMessages = 0;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_list.SubclassDlgItem(IDC_TEST_LIST, this);
        m_edit.SetFrameBitmaps(IDB_EDIT_FRAME_LEFT, IDB_EDIT_FRAME_MIDDLE, IDB_EDIT_FRAME_RIGHT);
        m_edit.SetActiveFrameBitmaps(IDB_EDIT_FRAME2_LEFT, IDB_EDIT_FRAME2_MIDDLE, IDB_EDIT_FRAME2_RIGHT);
        m_edit.SubclassDlgItem(IDC_TEST_EDIT, this);
        m_edit.SetButtonMessage(WM_EDIT_BUTTON_CLICK);
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_TEST_LIST)
            listCommands.push_back({wParam, lParam});
        return CDialog::OnCommand(wParam, lParam);
    }

  protected:
    afx_msg LRESULT OnButtonMessage(WPARAM, LPARAM)
    {
        ++buttonMessages;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

// Dispatches the thread's waiting messages.
inline void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Dispatches messages for about ms milliseconds.
inline void PumpFor(DWORD ms)
{
    DWORD start = ::GetTickCount();
    do
    {
        PumpPending();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
    PumpPending();
}

} // namespace controlstest
