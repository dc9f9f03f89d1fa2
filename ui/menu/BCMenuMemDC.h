// BCMenuMemDC: an off-screen surface over a rectangle of a target DC, in the target's coordinates; its
// destruction copies the picture to the target in one block. On a printer DC it draws straight through.
#pragma once
#include <windows.h>

#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/text/Geometry.h"

class BCMenuMemDC : public CDC
{
  public:
    BCMenuMemDC(CDC *pDC, const CRect &rect);
    ~BCMenuMemDC() override;
    BCMenuMemDC(const BCMenuMemDC &) = delete;
    BCMenuMemDC &operator=(const BCMenuMemDC &) = delete;

  private:
    CDC *m_pTarget;
    CRect m_rect;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap;
    bool m_offScreen;
};
