#include "ui/buttons/TransparentStatic.h"

#include "platform/drawing/Dc.h"

BEGIN_MESSAGE_MAP(CTransparentStatic, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

HBRUSH CTransparentStatic::CtlColor(CDC *pDC, UINT)
{
    if (pDC != nullptr)
        pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
