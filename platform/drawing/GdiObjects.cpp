#include "platform/drawing/GdiObjects.h"

#include <cstdlib>
#include <cwchar>

#include "platform/drawing/Dc.h"
#include "platform/windows/HandleMap.h"
#include "platform/system/Resources.h"

namespace
{

struct GdiHandlePolicy
{
    template <class T> static void SetHandle(T &object, HGDIOBJ h)
    {
        object.m_hObject = h;
    }
};

template <class T> T *TempGdiObject(HGDIOBJ h)
{
    return CTempHandleMap<HGDIOBJ, T, GdiHandlePolicy>::ForThisThread().FromHandle(h);
}

// Takes a freshly created handle; one that cannot be taken (null, or the object is not empty) is deleted.
BOOL AttachNew(CGdiObject &object, HGDIOBJ h)
{
    if (h == nullptr)
        return FALSE;
    if (!object.Attach(h))
    {
        ::DeleteObject(h);
        return FALSE;
    }
    return TRUE;
}

HDC HandleOf(const CDC *pDC)
{
    return pDC != nullptr ? pDC->m_hAttribDC : nullptr;
}

} // namespace

// --- CGdiObject ---

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

HGDIOBJ CGdiObject::GetSafeHandle() const
{
    const CGdiObject *self = AfxSafeThis(this);
    return self != nullptr ? self->m_hObject : nullptr;
}

CGdiObject *CGdiObject::FromHandle(HGDIOBJ hObject)
{
    return TempGdiObject<CGdiObject>(hObject);
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject == nullptr || m_hObject != nullptr)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == nullptr)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject != nullptr ? ::GetObjectW(m_hObject, nCount, lpObject) : 0;
}

UINT CGdiObject::GetObjectType() const
{
    return m_hObject != nullptr ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0;
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    // Stock objects are shared; DeleteObject on one is a no-op, so owning it is harmless.
    return AttachNew(*this, ::GetStockObject(nIndex));
}

BOOL CGdiObject::UnrealizeObject()
{
    return m_hObject != nullptr && ::UnrealizeObject(m_hObject);
}

// --- CPen ---

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor)
{
    CreatePen(nPenStyle, nWidth, crColor);
}

CPen *CPen::FromHandle(HPEN hPen)
{
    return TempGdiObject<CPen>(hPen);
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return AttachNew(*this, ::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CPen::CreatePenIndirect(const LOGPEN *lpLogPen)
{
    return lpLogPen != nullptr && AttachNew(*this, ::CreatePenIndirect(lpLogPen));
}

int CPen::GetLogPen(LOGPEN *pLogPen) const
{
    return GetObject(sizeof(LOGPEN), pLogPen);
}

// --- CBrush ---

CBrush::CBrush(COLORREF crColor)
{
    CreateSolidBrush(crColor);
}

CBrush::CBrush(int nIndex, COLORREF crColor)
{
    CreateHatchBrush(nIndex, crColor);
}

CBrush::CBrush(CBitmap *pBitmap)
{
    CreatePatternBrush(pBitmap);
}

CBrush *CBrush::FromHandle(HBRUSH hBrush)
{
    return TempGdiObject<CBrush>(hBrush);
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return AttachNew(*this, ::CreateSolidBrush(crColor));
}

BOOL CBrush::CreateHatchBrush(int nIndex, COLORREF crColor)
{
    return AttachNew(*this, ::CreateHatchBrush(nIndex, crColor));
}

BOOL CBrush::CreatePatternBrush(CBitmap *pBitmap)
{
    if (pBitmap == nullptr || pBitmap->m_hObject == nullptr)
        return FALSE;
    return AttachNew(*this, ::CreatePatternBrush(static_cast<HBITMAP>(pBitmap->m_hObject)));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH *lpLogBrush)
{
    return lpLogBrush != nullptr && AttachNew(*this, ::CreateBrushIndirect(lpLogBrush));
}

BOOL CBrush::CreateSysColorBrush(int nIndex)
{
    // The system owns its colour brushes; deleting one later is refused by GDI and does no harm.
    return AttachNew(*this, ::GetSysColorBrush(nIndex));
}

int CBrush::GetLogBrush(LOGBRUSH *pLogBrush) const
{
    return GetObject(sizeof(LOGBRUSH), pLogBrush);
}

// --- CFont ---

CFont *CFont::FromHandle(HFONT hFont)
{
    return TempGdiObject<CFont>(hFont);
}

BOOL CFont::CreateFontIndirect(const LOGFONTW *lpLogFont)
{
    return lpLogFont != nullptr && AttachNew(*this, ::CreateFontIndirectW(lpLogFont));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename)
{
    return AttachNew(*this,
                     ::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                                   nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC *pDC)
{
    LOGFONTW logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = nPointSize;
    if (lpszFaceName != nullptr)
        ::wcsncpy(logFont.lfFaceName, lpszFaceName, LF_FACESIZE - 1);
    return CreatePointFontIndirect(&logFont, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTW *lpLogFont, CDC *pDC)
{
    if (lpLogFont == nullptr)
        return FALSE;
    HDC hDC = HandleOf(pDC);
    bool screen = hDC == nullptr;
    if (screen)
        hDC = ::GetDC(nullptr);
    LOGFONTW logFont = *lpLogFont;
    // Tenths of a point to logical units of the DC: device pixels first, then through its mapping mode.
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), logFont.lfHeight, 720)};
    POINT origin = {0, 0};
    ::DPtoLP(hDC, &pt, 1);
    ::DPtoLP(hDC, &origin, 1);
    logFont.lfHeight = -std::abs(pt.y - origin.y);
    if (screen)
        ::ReleaseDC(nullptr, hDC);
    return CreateFontIndirect(&logFont);
}

int CFont::GetLogFont(LOGFONTW *pLogFont) const
{
    return GetObject(sizeof(LOGFONTW), pLogFont);
}

// --- CBitmap ---

CBitmap *CBitmap::FromHandle(HBITMAP hBitmap)
{
    return TempGdiObject<CBitmap>(hBitmap);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return LoadBitmap(MAKEINTRESOURCEW(nIDResource));
}

BOOL CBitmap::LoadBitmap(LPCWSTR lpszResourceName)
{
    if (lpszResourceName == nullptr)
        return FALSE;
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
    return AttachNew(*this, ::LoadBitmapW(module, lpszResourceName));
}

BOOL CBitmap::LoadOEMBitmap(UINT nIDBitmap)
{
    return AttachNew(*this, ::LoadBitmapW(nullptr, MAKEINTRESOURCEW(nIDBitmap)));
}

BOOL CBitmap::LoadMappedBitmap(UINT nIDBitmap, UINT nFlags, LPCOLORMAP lpColorMap, int nMapSize)
{
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(nIDBitmap), RT_BITMAP);
    return AttachNew(*this,
                     ::CreateMappedBitmap(module, static_cast<INT_PTR>(nIDBitmap), nFlags, lpColorMap, nMapSize));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void *lpBits)
{
    return AttachNew(*this, ::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateBitmapIndirect(const BITMAP *lpBitmap)
{
    return lpBitmap != nullptr && AttachNew(*this, ::CreateBitmapIndirect(lpBitmap));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC *pDC, int nWidth, int nHeight)
{
    HDC hDC = pDC != nullptr ? pDC->m_hDC : nullptr;
    if (hDC == nullptr)
        return FALSE;
    return AttachNew(*this, ::CreateCompatibleBitmap(hDC, nWidth, nHeight));
}

BOOL CBitmap::CreateDiscardableBitmap(CDC *pDC, int nWidth, int nHeight)
{
    return CreateCompatibleBitmap(pDC, nWidth, nHeight);
}

int CBitmap::GetBitmap(BITMAP *pBitMap) const
{
    return GetObject(sizeof(BITMAP), pBitMap);
}

CSize CBitmap::GetBitmapDimension() const
{
    SIZE size = {0, 0};
    if (m_hObject != nullptr)
        ::GetBitmapDimensionEx(static_cast<HBITMAP>(m_hObject), &size);
    return CSize(size);
}

CSize CBitmap::SetBitmapDimension(int nWidth, int nHeight)
{
    SIZE previous = {0, 0};
    if (m_hObject != nullptr)
        ::SetBitmapDimensionEx(static_cast<HBITMAP>(m_hObject), nWidth, nHeight, &previous);
    return CSize(previous);
}

DWORD CBitmap::GetBitmapBits(DWORD dwCount, LPVOID lpBits) const
{
    return m_hObject != nullptr ? static_cast<DWORD>(::GetBitmapBits(static_cast<HBITMAP>(m_hObject),
                                                                     static_cast<LONG>(dwCount), lpBits))
                                : 0;
}

DWORD CBitmap::SetBitmapBits(DWORD dwCount, const void *lpBits)
{
    return m_hObject != nullptr ? static_cast<DWORD>(::SetBitmapBits(static_cast<HBITMAP>(m_hObject), dwCount, lpBits))
                                : 0;
}

// --- CRgn ---

CRgn *CRgn::FromHandle(HRGN hRgn)
{
    return TempGdiObject<CRgn>(hRgn);
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2)
{
    return AttachNew(*this, ::CreateRectRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect)
{
    return lpRect != nullptr && AttachNew(*this, ::CreateRectRgnIndirect(lpRect));
}

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2)
{
    return AttachNew(*this, ::CreateEllipticRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateEllipticRgnIndirect(LPCRECT lpRect)
{
    return lpRect != nullptr && AttachNew(*this, ::CreateEllipticRgnIndirect(lpRect));
}

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return AttachNew(*this, ::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}

BOOL CRgn::CreatePolygonRgn(const POINT *lpPoints, int nCount, int nMode)
{
    return lpPoints != nullptr && nCount > 0 && AttachNew(*this, ::CreatePolygonRgn(lpPoints, nCount, nMode));
}

int CRgn::CombineRgn(const CRgn *pRgn1, const CRgn *pRgn2, int nCombineMode)
{
    if (m_hObject == nullptr || pRgn1 == nullptr || pRgn1->m_hObject == nullptr)
        return ERROR;
    HRGN second = pRgn2 != nullptr ? static_cast<HRGN>(pRgn2->m_hObject) : nullptr;
    if (second == nullptr && nCombineMode != RGN_COPY)
        return ERROR;
    return ::CombineRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(pRgn1->m_hObject), second, nCombineMode);
}

int CRgn::CopyRgn(const CRgn *pRgnSrc)
{
    return CombineRgn(pRgnSrc, nullptr, RGN_COPY);
}

BOOL CRgn::EqualRgn(const CRgn *pRgn) const
{
    if (m_hObject == nullptr || pRgn == nullptr || pRgn->m_hObject == nullptr)
        return FALSE;
    return ::EqualRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(pRgn->m_hObject));
}

int CRgn::OffsetRgn(int x, int y)
{
    return m_hObject != nullptr ? ::OffsetRgn(static_cast<HRGN>(m_hObject), x, y) : ERROR;
}

int CRgn::OffsetRgn(POINT point)
{
    return OffsetRgn(point.x, point.y);
}

int CRgn::GetRgnBox(LPRECT lpRect) const
{
    return m_hObject != nullptr && lpRect != nullptr ? ::GetRgnBox(static_cast<HRGN>(m_hObject), lpRect) : ERROR;
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return m_hObject != nullptr && ::PtInRegion(static_cast<HRGN>(m_hObject), x, y);
}

BOOL CRgn::PtInRegion(POINT point) const
{
    return PtInRegion(point.x, point.y);
}

BOOL CRgn::RectInRegion(LPCRECT lpRect) const
{
    return m_hObject != nullptr && lpRect != nullptr && ::RectInRegion(static_cast<HRGN>(m_hObject), lpRect);
}

void CRgn::SetRectRgn(int x1, int y1, int x2, int y2)
{
    if (m_hObject != nullptr)
        ::SetRectRgn(static_cast<HRGN>(m_hObject), x1, y1, x2, y2);
}

void CRgn::SetRectRgn(LPCRECT lpRect)
{
    if (lpRect != nullptr)
        SetRectRgn(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}
