#include "platform/drawing/GdiPlusSession.h"

#include <objidl.h>
#include <gdiplus.h>

CGdiPlusSession::CGdiPlusSession()
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok)
        m_token = 0;
}

CGdiPlusSession::~CGdiPlusSession()
{
    if (m_token != 0)
        Gdiplus::GdiplusShutdown(m_token);
}
