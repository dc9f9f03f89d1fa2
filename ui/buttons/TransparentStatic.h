// CTransparentStatic: a static text control whose text is drawn over its parent's background.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"

class CTransparentStatic : public CStatic
{
  protected:
    afx_msg HBRUSH CtlColor(CDC *pDC, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};
