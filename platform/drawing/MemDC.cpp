#include "platform/drawing/MemDC.h"

CMemDC::CMemDC(CDC *pDC, const CRect *pRect) : m_pDC(pDC)
{
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr)
        return;
    if (pRect != nullptr)
        m_rect = *pRect;
    else
        pDC->GetClipBox(&m_rect);

    if (!pDC->IsPrinting() && !m_rect.IsRectEmpty() && CreateCompatibleDC(pDC))
    {
        CRect device = m_rect;
        pDC->LPtoDP(&device);
        if (m_bitmap.CreateCompatibleBitmap(pDC, device.Width(), device.Height()))
        {
            m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap);
            SetMapMode(pDC->GetMapMode());
            SetWindowExt(pDC->GetWindowExt());
            SetViewportExt(pDC->GetViewportExt());
            SetWindowOrg(m_rect.left, m_rect.top);
            m_bMemDC = TRUE;
        }
        else
        {
            DeleteDC();
        }
    }
    if (!m_bMemDC)
    {
        // Straight into the target; the handle is borrowed and never deleted here.
        m_bPrinting = pDC->IsPrinting();
        m_hDC = pDC->GetSafeHdc();
        m_hAttribDC = m_hDC;
        return;
    }
    FillSolidRect(&m_rect, pDC->GetBkColor());
}

CMemDC::~CMemDC()
{
    if (m_bMemDC)
    {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top, SRCCOPY);
        ::SelectObject(m_hDC, m_hOldBitmap);
    }
    else
    {
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
}
