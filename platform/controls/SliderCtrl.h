// CSliderCtrl: the trackbar control (class "msctls_trackbar32"): its range, tick frequency and position.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/windows/Wnd.h"

class CSliderCtrl : public CWnd
{
  public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);
    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE);
    void GetRange(int &nMin, int &nMax) const;
    // A tick every nFreq positions (for a slider with automatic ticks).
    void SetTicFreq(int nFreq);
    int GetPos() const;
    void SetPos(int nPos);
};
