#include "ui/menu/BCMenuMemDC.h"

BCMenuMemDC::BCMenuMemDC(CDC *pDC, const CRect &rect)
    : m_pTarget(pDC), m_rect(rect), m_oldBitmap(nullptr), m_offScreen(pDC != nullptr && !pDC->IsPrinting())
{
    if (pDC == nullptr)
        return;
    if (!m_offScreen)
    {
        // The target's own handles, let go again (not deleted) by the destructor.
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
        m_bPrinting = pDC->IsPrinting();
        return;
    }
    if (!CreateCompatibleDC(pDC) || !m_bitmap.CreateCompatibleBitmap(pDC, rect.Width(), rect.Height()))
    {
        // Without a surface the drawing goes straight to the target.
        DeleteDC();
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
        m_offScreen = false;
        return;
    }
    m_oldBitmap = ::SelectObject(m_hDC, m_bitmap.GetSafeHandle());
    SetWindowOrg(rect.left, rect.top);
}

BCMenuMemDC::~BCMenuMemDC()
{
    if (!m_offScreen)
    {
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
        return;
    }
    m_pTarget->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top, SRCCOPY);
    ::SelectObject(m_hDC, m_oldBitmap);
    DeleteDC();
}
