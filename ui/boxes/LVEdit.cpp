#include "ui/boxes/LVEdit.h"

BEGIN_MESSAGE_MAP(CLVEdit, CEdit)
ON_WM_WINDOWPOSCHANGING()
END_MESSAGE_MAP()

void CLVEdit::OnWindowPosChanging(WINDOWPOS *lpwndpos)
{
    if (lpwndpos != nullptr)
    {
        lpwndpos->x = m_x;
        lpwndpos->y = m_y;
    }
    CEdit::OnWindowPosChanging(lpwndpos);
}
