// A static text control that paints its text without a background, over whatever its parent drew.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"

class CTransparentText : public CStatic
{
  protected:
    // The window text in the control's own font, left and top aligned, background mode transparent.
    afx_msg void OnPaint();
    // The control erases nothing: the parent's drawing shows through.
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    DECLARE_MESSAGE_MAP()
};
