// CMemDC: an off-screen device context over a rectangle of a target DC. Drawing goes into a bitmap of the
// rectangle's size, which the destructor copies to the target in one step, so that a window painted piece by
// piece never flickers. On a printer DC it draws straight into the target.
//
// The memory DC has the target's mapping mode and extents, and its window origin at the rectangle's top-left
// corner: what is drawn at the target's logical coordinates lands in the bitmap at the same place.
#pragma once
#include <windows.h>

#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"

class CMemDC : public CDC
{
  public:
    // pRect in the target's logical coordinates; null takes the target's clip box. The rectangle is filled with
    // the target's background colour.
    explicit CMemDC(CDC *pDC, const CRect *pRect = nullptr);
    // Copies the bitmap to the target over the rectangle (not for a printer DC) and frees it.
    ~CMemDC() override;
    CMemDC(const CMemDC &) = delete;
    CMemDC &operator=(const CMemDC &) = delete;

    // The rectangle drawn, in the target's logical coordinates.
    const CRect &GetRect() const
    {
        return m_rect;
    }
    // FALSE when no off-screen bitmap could be made: the DC then draws straight into the target.
    BOOL IsOffScreen() const
    {
        return m_bMemDC;
    }

  private:
    CDC *m_pDC;
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    CRect m_rect;
    BOOL m_bMemDC = FALSE;
};
