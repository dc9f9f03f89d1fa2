#include "platform/drawing/Dc.h"

#include <cwchar>

#include "platform/windows/HandleMap.h"
#include "platform/windows/Wnd.h"

namespace
{

struct DcHandlePolicy
{
    static void SetHandle(CDC &dc, HDC h)
    {
        dc.m_hDC = h;
        dc.m_hAttribDC = h;
    }
};

HDC HandleOf(const CDC *pDC)
{
    return pDC != nullptr ? pDC->m_hDC : nullptr;
}

RECT Normalized(int x1, int y1, int x2, int y2)
{
    RECT r;
    r.left = x1 < x2 ? x1 : x2;
    r.right = x1 < x2 ? x2 : x1;
    r.top = y1 < y2 ? y1 : y2;
    r.bottom = y1 < y2 ? y2 : y1;
    return r;
}

} // namespace

CDC::~CDC()
{
    DeleteDC();
}

HDC CDC::GetSafeHdc() const
{
    const CDC *self = AfxSafeThis(this);
    return self != nullptr ? self->m_hDC : nullptr;
}

CDC *CDC::FromHandle(HDC hDC)
{
    return CTempHandleMap<HDC, CDC, DcHandlePolicy>::ForThisThread().FromHandle(hDC);
}

BOOL CDC::Attach(HDC hDC)
{
    if (hDC == nullptr || m_hDC != nullptr)
        return FALSE;
    m_hDC = hDC;
    m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC h = m_hDC;
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr)
        return FALSE;
    return ::DeleteDC(Detach());
}

BOOL CDC::CreateCompatibleDC(CDC *pDC)
{
    if (m_hDC != nullptr)
        return FALSE;
    HDC created = ::CreateCompatibleDC(HandleOf(pDC));
    if (created == nullptr)
        return FALSE;
    Attach(created);
    return TRUE;
}

BOOL CDC::CreateDC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput, const DEVMODEW *lpInitData)
{
    if (m_hDC != nullptr)
        return FALSE;
    HDC created = ::CreateDCW(lpszDriverName, lpszDeviceName, lpszOutput, lpInitData);
    if (created == nullptr)
        return FALSE;
    Attach(created);
    return TRUE;
}

CWnd *CDC::GetWindow() const
{
    return CWnd::FromHandle(::WindowFromDC(m_hDC));
}

int CDC::SaveDC()
{
    return ::SaveDC(m_hDC);
}
BOOL CDC::RestoreDC(int nSavedDC)
{
    return ::RestoreDC(m_hDC, nSavedDC);
}
int CDC::GetDeviceCaps(int nIndex) const
{
    return ::GetDeviceCaps(m_hAttribDC, nIndex);
}

// --- Objects ---

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject)
{
    if (m_hDC == nullptr || hObject == nullptr)
        return nullptr;
    return ::SelectObject(m_hDC, hObject);
}

CPen *CDC::SelectObject(CPen *pPen)
{
    return pPen != nullptr ? CPen::FromHandle(static_cast<HPEN>(SelectObject(pPen->m_hObject))) : nullptr;
}

CBrush *CDC::SelectObject(CBrush *pBrush)
{
    return pBrush != nullptr ? CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(pBrush->m_hObject))) : nullptr;
}

CFont *CDC::SelectObject(CFont *pFont)
{
    return pFont != nullptr ? CFont::FromHandle(static_cast<HFONT>(SelectObject(pFont->m_hObject))) : nullptr;
}

CBitmap *CDC::SelectObject(CBitmap *pBitmap)
{
    return pBitmap != nullptr ? CBitmap::FromHandle(static_cast<HBITMAP>(SelectObject(pBitmap->m_hObject))) : nullptr;
}

CGdiObject *CDC::SelectObject(CGdiObject *pObject)
{
    return pObject != nullptr ? CGdiObject::FromHandle(SelectObject(pObject->m_hObject)) : nullptr;
}

int CDC::SelectObject(CRgn *pRgn)
{
    if (m_hDC == nullptr || pRgn == nullptr || pRgn->m_hObject == nullptr)
        return ERROR;
    // For a region SelectObject answers the region type, not a handle.
    return static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, pRgn->m_hObject)));
}

CGdiObject *CDC::SelectStockObject(int nIndex)
{
    return CGdiObject::FromHandle(SelectObject(::GetStockObject(nIndex)));
}

CPen *CDC::GetCurrentPen() const
{
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush *CDC::GetCurrentBrush() const
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CFont *CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap *CDC::GetCurrentBitmap() const
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

// --- Colours and modes ---

COLORREF CDC::SetTextColor(COLORREF crColor)
{
    return ::SetTextColor(m_hDC, crColor);
}
COLORREF CDC::GetTextColor() const
{
    return ::GetTextColor(m_hAttribDC);
}
COLORREF CDC::SetBkColor(COLORREF crColor)
{
    return ::SetBkColor(m_hDC, crColor);
}
COLORREF CDC::GetBkColor() const
{
    return ::GetBkColor(m_hAttribDC);
}
int CDC::SetBkMode(int nBkMode)
{
    return ::SetBkMode(m_hDC, nBkMode);
}
int CDC::GetBkMode() const
{
    return ::GetBkMode(m_hAttribDC);
}
int CDC::SetROP2(int nDrawMode)
{
    return ::SetROP2(m_hDC, nDrawMode);
}
int CDC::SetStretchBltMode(int nStretchMode)
{
    return ::SetStretchBltMode(m_hDC, nStretchMode);
}
int CDC::GetStretchBltMode() const
{
    return ::GetStretchBltMode(m_hAttribDC);
}
UINT CDC::SetTextAlign(UINT nFlags)
{
    return ::SetTextAlign(m_hDC, nFlags);
}

// --- Coordinates ---

int CDC::SetMapMode(int nMapMode)
{
    return ::SetMapMode(m_hDC, nMapMode);
}
int CDC::GetMapMode() const
{
    return ::GetMapMode(m_hAttribDC);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT previous = {0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

CPoint CDC::SetWindowOrg(POINT point)
{
    return SetWindowOrg(point.x, point.y);
}

CPoint CDC::GetWindowOrg() const
{
    POINT point = {0, 0};
    ::GetWindowOrgEx(m_hAttribDC, &point);
    return CPoint(point);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT previous = {0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

CPoint CDC::SetViewportOrg(POINT point)
{
    return SetViewportOrg(point.x, point.y);
}

CPoint CDC::GetViewportOrg() const
{
    POINT point = {0, 0};
    ::GetViewportOrgEx(m_hAttribDC, &point);
    return CPoint(point);
}

CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight)
{
    POINT previous = {0, 0};
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &previous);
    return CPoint(previous);
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    SIZE previous = {0, 0};
    ::SetWindowExtEx(m_hDC, cx, cy, &previous);
    return CSize(previous);
}

CSize CDC::SetWindowExt(SIZE size)
{
    return SetWindowExt(size.cx, size.cy);
}

CSize CDC::GetWindowExt() const
{
    SIZE size = {0, 0};
    ::GetWindowExtEx(m_hAttribDC, &size);
    return CSize(size);
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    SIZE previous = {0, 0};
    ::SetViewportExtEx(m_hDC, cx, cy, &previous);
    return CSize(previous);
}

CSize CDC::SetViewportExt(SIZE size)
{
    return SetViewportExt(size.cx, size.cy);
}

CSize CDC::GetViewportExt() const
{
    SIZE size = {0, 0};
    ::GetViewportExtEx(m_hAttribDC, &size);
    return CSize(size);
}

void CDC::DPtoLP(LPPOINT lpPoints, int nCount) const
{
    ::DPtoLP(m_hAttribDC, lpPoints, nCount);
}
void CDC::DPtoLP(LPRECT lpRect) const
{
    ::DPtoLP(m_hAttribDC, reinterpret_cast<LPPOINT>(lpRect), 2);
}
void CDC::LPtoDP(LPPOINT lpPoints, int nCount) const
{
    ::LPtoDP(m_hAttribDC, lpPoints, nCount);
}
void CDC::LPtoDP(LPRECT lpRect) const
{
    ::LPtoDP(m_hAttribDC, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CDC::DPtoLP(LPSIZE lpSize) const
{
    // A size is the distance between two points, converted without the origins.
    POINT points[2] = {{0, 0}, {lpSize->cx, lpSize->cy}};
    ::DPtoLP(m_hAttribDC, points, 2);
    lpSize->cx = points[1].x - points[0].x;
    lpSize->cy = points[1].y - points[0].y;
}

void CDC::LPtoDP(LPSIZE lpSize) const
{
    POINT points[2] = {{0, 0}, {lpSize->cx, lpSize->cy}};
    ::LPtoDP(m_hAttribDC, points, 2);
    lpSize->cx = points[1].x - points[0].x;
    lpSize->cy = points[1].y - points[0].y;
}

// --- Clipping ---

int CDC::GetClipBox(LPRECT lpRect) const
{
    return ::GetClipBox(m_hDC, lpRect);
}
int CDC::IntersectClipRect(int x1, int y1, int x2, int y2)
{
    return ::IntersectClipRect(m_hDC, x1, y1, x2, y2);
}

int CDC::IntersectClipRect(LPCRECT lpRect)
{
    return IntersectClipRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2)
{
    return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2);
}

int CDC::ExcludeClipRect(LPCRECT lpRect)
{
    return ExcludeClipRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

int CDC::SelectClipRgn(CRgn *pRgn)
{
    return ::SelectClipRgn(m_hDC, pRgn != nullptr ? static_cast<HRGN>(pRgn->m_hObject) : nullptr);
}

int CDC::SelectClipRgn(CRgn *pRgn, int nMode)
{
    return ::ExtSelectClipRgn(m_hDC, pRgn != nullptr ? static_cast<HRGN>(pRgn->m_hObject) : nullptr, nMode);
}

// --- Lines and shapes ---

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous = {0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

CPoint CDC::MoveTo(POINT point)
{
    return MoveTo(point.x, point.y);
}
BOOL CDC::LineTo(int x, int y)
{
    return ::LineTo(m_hDC, x, y);
}
BOOL CDC::LineTo(POINT point)
{
    return LineTo(point.x, point.y);
}

CPoint CDC::GetCurrentPosition() const
{
    POINT point = {0, 0};
    ::GetCurrentPositionEx(m_hAttribDC, &point);
    return CPoint(point);
}

BOOL CDC::Polyline(const POINT *lpPoints, int nCount)
{
    return ::Polyline(m_hDC, lpPoints, nCount);
}
BOOL CDC::Polygon(const POINT *lpPoints, int nCount)
{
    return ::Polygon(m_hDC, lpPoints, nCount);
}
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2)
{
    return ::Rectangle(m_hDC, x1, y1, x2, y2);
}
BOOL CDC::Rectangle(LPCRECT r)
{
    return Rectangle(r->left, r->top, r->right, r->bottom);
}

BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}

BOOL CDC::RoundRect(LPCRECT r, POINT point)
{
    return RoundRect(r->left, r->top, r->right, r->bottom, point.x, point.y);
}
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2)
{
    return ::Ellipse(m_hDC, x1, y1, x2, y2);
}
BOOL CDC::Ellipse(LPCRECT r)
{
    return Ellipse(r->left, r->top, r->right, r->bottom);
}

// --- Fills ---

void CDC::FillRect(LPCRECT lpRect, CBrush *pBrush)
{
    if (lpRect != nullptr && pBrush != nullptr)
        ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}

void CDC::FrameRect(LPCRECT lpRect, CBrush *pBrush)
{
    if (lpRect != nullptr && pBrush != nullptr)
        ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    if (lpRect == nullptr)
        return;
    RECT r = Normalized(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr)
{
    RECT r = Normalized(x, y, x + cx, y + cy);
    FillSolidRect(&r, clr);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    if (lpRect != nullptr)
        Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, clrTopLeft,
                   clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    // Top and left edges in the first colour, bottom and right edges (the corner pixels at top right and
    // bottom left included) in the second.
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}

BOOL CDC::DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags)
{
    return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags);
}
void CDC::DrawFocusRect(LPCRECT lpRect)
{
    ::DrawFocusRect(m_hDC, lpRect);
}

BOOL CDC::FillRgn(CRgn *pRgn, CBrush *pBrush)
{
    if (pRgn == nullptr || pBrush == nullptr)
        return FALSE;
    return ::FillRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject), static_cast<HBRUSH>(pBrush->m_hObject));
}

BOOL CDC::FrameRgn(CRgn *pRgn, CBrush *pBrush, int nWidth, int nHeight)
{
    if (pRgn == nullptr || pBrush == nullptr)
        return FALSE;
    return ::FrameRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject), static_cast<HBRUSH>(pBrush->m_hObject), nWidth,
                      nHeight);
}

BOOL CDC::PaintRgn(CRgn *pRgn)
{
    return pRgn != nullptr && ::PaintRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject));
}

BOOL CDC::InvertRect(LPCRECT lpRect)
{
    return ::InvertRect(m_hDC, lpRect);
}

// --- Pixels and bitmaps ---

COLORREF CDC::SetPixel(int x, int y, COLORREF crColor)
{
    return ::SetPixel(m_hDC, x, y, crColor);
}
COLORREF CDC::SetPixel(POINT point, COLORREF crColor)
{
    return SetPixel(point.x, point.y, crColor);
}
COLORREF CDC::GetPixel(int x, int y) const
{
    return ::GetPixel(m_hDC, x, y);
}
COLORREF CDC::GetPixel(POINT point) const
{
    return GetPixel(point.x, point.y);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC *pSrcDC, int xSrc, int ySrc, DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, HandleOf(pSrcDC), xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC *pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                     int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, HandleOf(pSrcDC), xSrc, ySrc, nSrcWidth, nSrcHeight, dwRop);
}

BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
{
    return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
}

BOOL CDC::TransparentBlt(int xDest, int yDest, int nDestWidth, int nDestHeight, CDC *pSrcDC, int xSrc, int ySrc,
                         int nSrcWidth, int nSrcHeight, UINT clrTransparent)
{
    return ::TransparentBlt(m_hDC, xDest, yDest, nDestWidth, nDestHeight, HandleOf(pSrcDC), xSrc, ySrc, nSrcWidth,
                            nSrcHeight, clrTransparent);
}

BOOL CDC::AlphaBlend(int xDest, int yDest, int nDestWidth, int nDestHeight, CDC *pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, BLENDFUNCTION blend)
{
    return ::AlphaBlend(m_hDC, xDest, yDest, nDestWidth, nDestHeight, HandleOf(pSrcDC), xSrc, ySrc, nSrcWidth,
                        nSrcHeight, blend);
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon)
{
    return ::DrawIcon(m_hDC, x, y, hIcon);
}
BOOL CDC::DrawIcon(POINT point, HICON hIcon)
{
    return DrawIcon(point.x, point.y, hIcon);
}

BOOL CDC::DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush)
{
    return ::DrawStateW(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, pt.x, pt.y, size.cx, size.cy,
                        (nFlags & ~0x000Fu) | DST_ICON);
}

// --- Text ---

BOOL CDC::TextOut(int x, int y, LPCWSTR lpszString, int nCount)
{
    if (lpszString == nullptr || nCount < 0)
        return FALSE;
    return ::TextOutW(m_hDC, x, y, lpszString, nCount);
}

BOOL CDC::TextOut(int x, int y, const CString &str)
{
    return TextOut(x, y, str.GetString(), str.GetLength());
}

BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString, UINT nCount, LPINT lpDxWidths)
{
    return ::ExtTextOutW(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
}

BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, const CString &str, LPINT lpDxWidths)
{
    return ExtTextOut(x, y, nOptions, lpRect, str.GetString(), static_cast<UINT>(str.GetLength()), lpDxWidths);
}

int CDC::DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
{
    if (lpszString == nullptr || lpRect == nullptr)
        return 0;
    // DT_MODIFYSTRING writes into the text; the caller's string is never the place for that.
    return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat & ~static_cast<UINT>(DT_MODIFYSTRING));
}

int CDC::DrawText(const CString &str, LPRECT lpRect, UINT nFormat)
{
    return DrawText(str.GetString(), str.GetLength(), lpRect, nFormat);
}

CSize CDC::GetTextExtent(LPCWSTR lpszString, int nCount) const
{
    SIZE size = {0, 0};
    if (lpszString != nullptr && nCount > 0)
        ::GetTextExtentPoint32W(m_hAttribDC, lpszString, nCount, &size);
    return CSize(size);
}

CSize CDC::GetTextExtent(const CString &str) const
{
    return GetTextExtent(str.GetString(), str.GetLength());
}

CSize CDC::GetOutputTextExtent(const CString &str) const
{
    SIZE size = {0, 0};
    if (str.GetLength() > 0)
        ::GetTextExtentPoint32W(m_hDC, str.GetString(), str.GetLength(), &size);
    return CSize(size);
}

BOOL CDC::GetTextMetrics(LPTEXTMETRICW lpMetrics) const
{
    return ::GetTextMetricsW(m_hAttribDC, lpMetrics);
}
int CDC::GetTextFace(int nCount, LPWSTR lpszFacename) const
{
    return ::GetTextFaceW(m_hAttribDC, nCount, lpszFacename);
}

// --- Scoped DCs ---

CPaintDC::CPaintDC(CWnd *pWnd)
{
    m_hWnd = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    if (m_hWnd != nullptr)
        Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hWnd != nullptr)
    {
        ::EndPaint(m_hWnd, &m_ps);
        Detach();
    }
}

CClientDC::CClientDC(CWnd *pWnd)
{
    m_hWnd = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    HDC hDC = Detach();
    if (hDC != nullptr)
        ::ReleaseDC(m_hWnd, hDC);
}

CWindowDC::CWindowDC(CWnd *pWnd)
{
    m_hWnd = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    HDC hDC = Detach();
    if (hDC != nullptr)
        ::ReleaseDC(m_hWnd, hDC);
}
