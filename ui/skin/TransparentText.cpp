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

    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HGDIOBJ previousFont = font != nullptr ? ::SelectObject(dc.GetSafeHdc(), font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(text, &client, 0);
    dc.SetBkMode(OPAQUE);
    if (previousFont != nullptr)
        ::SelectObject(dc.GetSafeHdc(), previousFont);
}

BOOL CTransparentText::OnEraseBkgnd(CDC *)
{
    return TRUE;
}
