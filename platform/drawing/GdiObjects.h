// GDI object wrappers: pens, brushes, fonts, bitmaps and regions. Each object owns its handle and deletes it
// on destruction unless the handle was detached. FromHandle gives a temporary wrapper that does not own the
// handle (valid until the thread's message loop next goes idle).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/text/Geometry.h"

class CDC;

class CGdiObject
{
  public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject &) = delete;
    CGdiObject &operator=(const CGdiObject &) = delete;

    static CGdiObject *FromHandle(HGDIOBJ hObject);

    operator HGDIOBJ() const
    {
        return m_hObject;
    }
    // Null also when called through a null pointer.
    HGDIOBJ GetSafeHandle() const;

    // Takes ownership of hObject; FALSE when the object already holds a handle or hObject is null.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    // Deletes the handle (FALSE when there is none or GDI refuses).
    BOOL DeleteObject();

    int GetObject(int nCount, LPVOID lpObject) const;
    UINT GetObjectType() const;
    BOOL CreateStockObject(int nIndex);
    BOOL UnrealizeObject();

    HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject
{
  public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor);
    static CPen *FromHandle(HPEN hPen);

    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    BOOL CreatePenIndirect(const LOGPEN *lpLogPen);
    int GetLogPen(LOGPEN *pLogPen) const;
    operator HPEN() const
    {
        return static_cast<HPEN>(m_hObject);
    }
};

class CBitmap;

class CBrush : public CGdiObject
{
  public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor);
    CBrush(int nIndex, COLORREF crColor);
    explicit CBrush(CBitmap *pBitmap);
    static CBrush *FromHandle(HBRUSH hBrush);

    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreateHatchBrush(int nIndex, COLORREF crColor);
    BOOL CreatePatternBrush(CBitmap *pBitmap);
    BOOL CreateBrushIndirect(const LOGBRUSH *lpLogBrush);
    BOOL CreateSysColorBrush(int nIndex);
    int GetLogBrush(LOGBRUSH *pLogBrush) const;
    operator HBRUSH() const
    {
        return static_cast<HBRUSH>(m_hObject);
    }
};

class CFont : public CGdiObject
{
  public:
    static CFont *FromHandle(HFONT hFont);

    BOOL CreateFontIndirect(const LOGFONTW *lpLogFont);
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename);
    // nPointSize is in tenths of a point, converted through pDC (the screen when null).
    BOOL CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC *pDC = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONTW *lpLogFont, CDC *pDC = nullptr);
    int GetLogFont(LOGFONTW *pLogFont) const;
    operator HFONT() const
    {
        return static_cast<HFONT>(m_hObject);
    }
};

class CBitmap : public CGdiObject
{
  public:
    static CBitmap *FromHandle(HBITMAP hBitmap);

    // From the language library when it holds the bitmap, else from the program.
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(LPCWSTR lpszResourceName);
    BOOL LoadOEMBitmap(UINT nIDBitmap);
    // A 16-colour bitmap resource with its button-face shades mapped to the current system colours.
    BOOL LoadMappedBitmap(UINT nIDBitmap, UINT nFlags = 0, LPCOLORMAP lpColorMap = nullptr, int nMapSize = 0);
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void *lpBits);
    BOOL CreateBitmapIndirect(const BITMAP *lpBitmap);
    BOOL CreateCompatibleBitmap(CDC *pDC, int nWidth, int nHeight);
    BOOL CreateDiscardableBitmap(CDC *pDC, int nWidth, int nHeight);

    int GetBitmap(BITMAP *pBitMap) const;
    CSize GetBitmapDimension() const;
    CSize SetBitmapDimension(int nWidth, int nHeight);
    DWORD GetBitmapBits(DWORD dwCount, LPVOID lpBits) const;
    DWORD SetBitmapBits(DWORD dwCount, const void *lpBits);
    operator HBITMAP() const
    {
        return static_cast<HBITMAP>(m_hObject);
    }
};

class CRgn : public CGdiObject
{
  public:
    static CRgn *FromHandle(HRGN hRgn);

    BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRectRgnIndirect(LPCRECT lpRect);
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
    BOOL CreateEllipticRgnIndirect(LPCRECT lpRect);
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
    BOOL CreatePolygonRgn(const POINT *lpPoints, int nCount, int nMode);

    // This region := pRgn1 combined with pRgn2 by nCombineMode (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY);
    // the result type (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR. The region must exist already.
    int CombineRgn(const CRgn *pRgn1, const CRgn *pRgn2, int nCombineMode);
    int CopyRgn(const CRgn *pRgnSrc);
    BOOL EqualRgn(const CRgn *pRgn) const;
    int OffsetRgn(int x, int y);
    int OffsetRgn(POINT point);
    int GetRgnBox(LPRECT lpRect) const;
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT point) const;
    BOOL RectInRegion(LPCRECT lpRect) const;
    void SetRectRgn(int x1, int y1, int x2, int y2);
    void SetRectRgn(LPCRECT lpRect);
    operator HRGN() const
    {
        return static_cast<HRGN>(m_hObject);
    }
};
