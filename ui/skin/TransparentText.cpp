#include "ui/skin/TransparentText.h"

#include "platform/drawing/Dc.h"

BEGIN_MESSAGE_MAP(CTransparentText, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CTransparentText::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CString text;
    GetWindowText(text);

    CSelectObjectGuard font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(text, &client, 0);
    dc.SetBkMode(OPAQUE);
}

BOOL CTransparentText::OnEraseBkgnd(CDC *)
{
    return TRUE;
}
