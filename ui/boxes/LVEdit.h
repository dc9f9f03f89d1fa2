// The label-edit control of a list view, held at a fixed place: the owner subclasses the list view's edit
// into it when a label edit starts and writes the place into m_x and m_y.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"

class CLVEdit : public CEdit
{
  public:
    CLVEdit() = default;
    ~CLVEdit() override = default;

    // Where the edit stays, in the owner's client coordinates.
    int m_x = 0;
    int m_y = 0;

  protected:
    // Every move is turned back to (m_x, m_y); size and z-order changes pass.
    afx_msg void OnWindowPosChanging(WINDOWPOS *lpwndpos);

    DECLARE_MESSAGE_MAP()
};
