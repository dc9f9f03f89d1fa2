// Device contexts: CDC (owns a DC it created), and the scoped DCs CPaintDC, CClientDC and CWindowDC.
#pragma once
#include <windows.h>

#include "platform/drawing/GdiObjects.h"
#include "platform/text/Geometry.h"
#include "platform/text/String.h"

class CWnd;

class CDC
{
  public:
    CDC() = default;
    // Deletes a DC that this object holds (one made by CreateCompatibleDC or CreateDC, or attached).
    virtual ~CDC();
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;

    // A temporary wrapper that does not own the DC.
    static CDC *FromHandle(HDC hDC);

    operator HDC() const
    {
        return m_hDC;
    }
    // Null also when called through a null pointer.
    HDC GetSafeHdc() const;
    // FALSE when the object already holds a DC or hDC is null.
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL DeleteDC();

    BOOL CreateCompatibleDC(CDC *pDC);
    BOOL CreateDC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput, const DEVMODEW *lpInitData);
    BOOL IsPrinting() const
    {
        return m_bPrinting;
    }
    CWnd *GetWindow() const;

    // --- State ---
    int SaveDC();
    BOOL RestoreDC(int nSavedDC);
    int GetDeviceCaps(int nIndex) const;

    // --- Objects; each returns the object it replaced (a temporary wrapper unless noted) ---
    CPen *SelectObject(CPen *pPen);
    CBrush *SelectObject(CBrush *pBrush);
    CFont *SelectObject(CFont *pFont);
    CBitmap *SelectObject(CBitmap *pBitmap);
    CGdiObject *SelectObject(CGdiObject *pObject);
    // The region type (SIMPLEREGION, COMPLEXREGION, NULLREGION) or ERROR.
    int SelectObject(CRgn *pRgn);
    HGDIOBJ SelectObject(HGDIOBJ hObject);
    CGdiObject *SelectStockObject(int nIndex);
    CPen *GetCurrentPen() const;
    CBrush *GetCurrentBrush() const;
    CFont *GetCurrentFont() const;
    CBitmap *GetCurrentBitmap() const;

    // --- Colours and modes ---
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF crColor);
    COLORREF GetBkColor() const;
    int SetBkMode(int nBkMode);
    int GetBkMode() const;
    int SetROP2(int nDrawMode);
    int SetStretchBltMode(int nStretchMode);
    int GetStretchBltMode() const;
    UINT SetTextAlign(UINT nFlags);

    // --- Coordinates ---
    int SetMapMode(int nMapMode);
    int GetMapMode() const;
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT point);
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT point);
    CPoint GetViewportOrg() const;
    CPoint OffsetViewportOrg(int nWidth, int nHeight);
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(SIZE size);
    CSize GetWindowExt() const;
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(SIZE size);
    CSize GetViewportExt() const;
    void DPtoLP(LPPOINT lpPoints, int nCount = 1) const;
    void DPtoLP(LPRECT lpRect) const;
    void DPtoLP(LPSIZE lpSize) const;
    void LPtoDP(LPPOINT lpPoints, int nCount = 1) const;
    void LPtoDP(LPRECT lpRect) const;
    void LPtoDP(LPSIZE lpSize) const;

    // --- Clipping ---
    int GetClipBox(LPRECT lpRect) const;
    int IntersectClipRect(int x1, int y1, int x2, int y2);
    int IntersectClipRect(LPCRECT lpRect);
    int ExcludeClipRect(int x1, int y1, int x2, int y2);
    int ExcludeClipRect(LPCRECT lpRect);
    // A null region removes the clipping region.
    int SelectClipRgn(CRgn *pRgn);
    int SelectClipRgn(CRgn *pRgn, int nMode);

    // --- Lines and shapes ---
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT point);
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT point);
    CPoint GetCurrentPosition() const;
    BOOL Polyline(const POINT *lpPoints, int nCount);
    BOOL Polygon(const POINT *lpPoints, int nCount);
    BOOL Rectangle(int x1, int y1, int x2, int y2);
    BOOL Rectangle(LPCRECT lpRect);
    BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    BOOL RoundRect(LPCRECT lpRect, POINT point);
    BOOL Ellipse(int x1, int y1, int x2, int y2);
    BOOL Ellipse(LPCRECT lpRect);

    // --- Fills ---
    void FillRect(LPCRECT lpRect, CBrush *pBrush);
    void FrameRect(LPCRECT lpRect, CBrush *pBrush);
    // Fills with the colour through the background colour, which keeps that colour afterwards.
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags);
    void DrawFocusRect(LPCRECT lpRect);
    BOOL FillRgn(CRgn *pRgn, CBrush *pBrush);
    BOOL FrameRgn(CRgn *pRgn, CBrush *pBrush, int nWidth, int nHeight);
    BOOL PaintRgn(CRgn *pRgn);
    BOOL InvertRect(LPCRECT lpRect);

    // --- Pixels and bitmaps ---
    COLORREF SetPixel(int x, int y, COLORREF crColor);
    COLORREF SetPixel(POINT point, COLORREF crColor);
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT point) const;
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC *pSrcDC, int xSrc, int ySrc, DWORD dwRop);
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC *pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                    int nSrcHeight, DWORD dwRop);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop);
    BOOL TransparentBlt(int xDest, int yDest, int nDestWidth, int nDestHeight, CDC *pSrcDC, int xSrc, int ySrc,
                        int nSrcWidth, int nSrcHeight, UINT clrTransparent);
    BOOL AlphaBlend(int xDest, int yDest, int nDestWidth, int nDestHeight, CDC *pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, BLENDFUNCTION blend);
    BOOL DrawIcon(int x, int y, HICON hIcon);
    BOOL DrawIcon(POINT point, HICON hIcon);
    // The icon in a state (DSS_NORMAL, DSS_DISABLED, ...) at pt, stretched to size (0, 0: its own size); hBrush
    // colours a DSS_MONO image.
    BOOL DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush = nullptr);

    // --- Text ---
    BOOL TextOut(int x, int y, LPCWSTR lpszString, int nCount);
    BOOL TextOut(int x, int y, const CString &str);
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString, UINT nCount, LPINT lpDxWidths);
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, const CString &str, LPINT lpDxWidths);
    // The height of the text (DrawTextW's result); nCount -1 takes the string up to its terminator.
    int DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
    int DrawText(const CString &str, LPRECT lpRect, UINT nFormat);
    CSize GetTextExtent(LPCWSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString &str) const;
    CSize GetOutputTextExtent(const CString &str) const;
    BOOL GetTextMetrics(LPTEXTMETRICW lpMetrics) const;
    int GetTextFace(int nCount, LPWSTR lpszFacename) const;

    HDC m_hDC = nullptr;
    // Where attributes are read from; always the same DC here.
    HDC m_hAttribDC = nullptr;

  protected:
    BOOL m_bPrinting = FALSE;
};

// A CDC over a DC that someone else owns (an owner-draw item's, a menu's), for the length of one drawing: it
// never deletes or releases the DC.
class CBorrowedDC : public CDC
{
  public:
    explicit CBorrowedDC(HDC hDC)
    {
        Attach(hDC);
    }
    ~CBorrowedDC() override
    {
        Detach();
    }
};

// BeginPaint/EndPaint for one WM_PAINT.
class CPaintDC : public CDC
{
  public:
    explicit CPaintDC(CWnd *pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

  protected:
    HWND m_hWnd = nullptr;
};

// The client area's DC (GetDC/ReleaseDC); a null window gives the screen's DC.
class CClientDC : public CDC
{
  public:
    explicit CClientDC(CWnd *pWnd);
    ~CClientDC() override;

  protected:
    HWND m_hWnd = nullptr;
};

// The whole window's DC (GetWindowDC/ReleaseDC); a null window gives the screen's DC.
class CWindowDC : public CDC
{
  public:
    explicit CWindowDC(CWnd *pWnd);
    ~CWindowDC() override;

  protected:
    HWND m_hWnd = nullptr;
};

// Selects GDI objects into a DC for the guard's lifetime and selects the DC's original object of that kind back
// at the end. A null DC or object selects nothing.
class CSelectObjectGuard
{
  public:
    CSelectObjectGuard(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC)
    {
        Select(hObject);
    }
    CSelectObjectGuard(CDC &dc, HGDIOBJ hObject) : CSelectObjectGuard(dc.GetSafeHdc(), hObject)
    {
    }
    ~CSelectObjectGuard()
    {
        if (m_hOriginal != nullptr)
            ::SelectObject(m_hDC, m_hOriginal);
    }
    CSelectObjectGuard(const CSelectObjectGuard &) = delete;
    CSelectObjectGuard &operator=(const CSelectObjectGuard &) = delete;

    // Selects another object of the same kind; the original one is still the one put back.
    void Select(HGDIOBJ hObject)
    {
        if (m_hDC == nullptr || hObject == nullptr)
            return;
        HGDIOBJ previous = ::SelectObject(m_hDC, hObject);
        if (m_hOriginal == nullptr)
            m_hOriginal = previous;
    }

  private:
    HDC m_hDC;
    HGDIOBJ m_hOriginal = nullptr;
};
