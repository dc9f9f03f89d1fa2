#include "ControlsTestDialog.h"

namespace controlstest
{

BEGIN_MESSAGE_MAP(CControlsTestDlg, CDialog)
ON_MESSAGE(WM_EDIT_BUTTON_CLICK, &CControlsTestDlg::OnButtonMessage)
END_MESSAGE_MAP()

} // namespace controlstest
