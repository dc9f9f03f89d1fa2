// CPoint, CSize and CRect: the Win32 POINT, SIZE and RECT with the members code written against MFC expects.
// Everything is inline arithmetic; CRect's set operations use the Win32 rectangle functions.
#pragma once
#include <windows.h>

class CSize;
class CRect;

class CPoint : public POINT
{
  public:
    CPoint()
    {
        x = 0;
        y = 0;
    }
    CPoint(int initX, int initY)
    {
        x = initX;
        y = initY;
    }
    CPoint(POINT pt)
    {
        x = pt.x;
        y = pt.y;
    }
    CPoint(SIZE size)
    {
        x = size.cx;
        y = size.cy;
    }
    // Low word x, high word y, both signed (as in mouse-message positions).
    explicit CPoint(LPARAM dwPoint)
    {
        x = static_cast<short>(LOWORD(dwPoint));
        y = static_cast<short>(HIWORD(dwPoint));
    }

    void Offset(int xOffset, int yOffset)
    {
        x += xOffset;
        y += yOffset;
    }
    void Offset(POINT pt)
    {
        Offset(pt.x, pt.y);
    }
    void Offset(SIZE size)
    {
        Offset(size.cx, size.cy);
    }
    void SetPoint(int newX, int newY)
    {
        x = newX;
        y = newY;
    }

    bool operator==(POINT pt) const
    {
        return x == pt.x && y == pt.y;
    }
    bool operator!=(POINT pt) const
    {
        return !(*this == pt);
    }
    void operator+=(SIZE size)
    {
        Offset(size);
    }
    void operator-=(SIZE size)
    {
        Offset(-size.cx, -size.cy);
    }
    void operator+=(POINT pt)
    {
        Offset(pt);
    }
    void operator-=(POINT pt)
    {
        Offset(-pt.x, -pt.y);
    }
    CPoint operator+(SIZE size) const
    {
        return CPoint(x + size.cx, y + size.cy);
    }
    CPoint operator-(SIZE size) const
    {
        return CPoint(x - size.cx, y - size.cy);
    }
    CPoint operator-() const
    {
        return CPoint(-x, -y);
    }
    CPoint operator+(POINT pt) const
    {
        return CPoint(x + pt.x, y + pt.y);
    }
    inline CSize operator-(POINT pt) const;
    inline CRect operator+(const RECT *lpRect) const;
    inline CRect operator-(const RECT *lpRect) const;
};

class CSize : public SIZE
{
  public:
    CSize()
    {
        cx = 0;
        cy = 0;
    }
    CSize(int initCX, int initCY)
    {
        cx = initCX;
        cy = initCY;
    }
    CSize(SIZE size)
    {
        cx = size.cx;
        cy = size.cy;
    }
    CSize(POINT pt)
    {
        cx = pt.x;
        cy = pt.y;
    }
    explicit CSize(DWORD dwSize)
    {
        cx = static_cast<short>(LOWORD(dwSize));
        cy = static_cast<short>(HIWORD(dwSize));
    }

    void SetSize(int newCX, int newCY)
    {
        cx = newCX;
        cy = newCY;
    }

    bool operator==(SIZE size) const
    {
        return cx == size.cx && cy == size.cy;
    }
    bool operator!=(SIZE size) const
    {
        return !(*this == size);
    }
    void operator+=(SIZE size)
    {
        cx += size.cx;
        cy += size.cy;
    }
    void operator-=(SIZE size)
    {
        cx -= size.cx;
        cy -= size.cy;
    }
    CSize operator+(SIZE size) const
    {
        return CSize(cx + size.cx, cy + size.cy);
    }
    CSize operator-(SIZE size) const
    {
        return CSize(cx - size.cx, cy - size.cy);
    }
    CSize operator-() const
    {
        return CSize(-cx, -cy);
    }
    CPoint operator+(POINT pt) const
    {
        return CPoint(cx + pt.x, cy + pt.y);
    }
    CPoint operator-(POINT pt) const
    {
        return CPoint(cx - pt.x, cy - pt.y);
    }
};

inline CSize CPoint::operator-(POINT pt) const
{
    return CSize(x - pt.x, y - pt.y);
}

class CRect : public RECT
{
  public:
    CRect()
    {
        left = top = right = bottom = 0;
    }
    CRect(int l, int t, int r, int b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    CRect(const RECT &src)
    {
        CopyRect(&src);
    }
    // A null pointer gives the empty rectangle.
    CRect(const RECT *lpSrc)
    {
        CopyRect(lpSrc);
    }
    CRect(POINT point, SIZE size)
    {
        SetRect(point.x, point.y, point.x + size.cx, point.y + size.cy);
    }
    CRect(POINT topLeft, POINT bottomRight)
    {
        SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }

    int Width() const
    {
        return right - left;
    }
    int Height() const
    {
        return bottom - top;
    }
    CSize Size() const
    {
        return CSize(Width(), Height());
    }
    CPoint &TopLeft()
    {
        return *reinterpret_cast<CPoint *>(&left);
    }
    CPoint &BottomRight()
    {
        return *reinterpret_cast<CPoint *>(&right);
    }
    const CPoint &TopLeft() const
    {
        return *reinterpret_cast<const CPoint *>(&left);
    }
    const CPoint &BottomRight() const
    {
        return *reinterpret_cast<const CPoint *>(&right);
    }
    CPoint CenterPoint() const
    {
        return CPoint((left + right) / 2, (top + bottom) / 2);
    }

    operator LPRECT()
    {
        return this;
    }
    operator LPCRECT() const
    {
        return this;
    }

    // Empty: no area (width or height <= 0). Null: all four coordinates 0.
    bool IsRectEmpty() const
    {
        return Width() <= 0 || Height() <= 0;
    }
    bool IsRectNull() const
    {
        return left == 0 && right == 0 && top == 0 && bottom == 0;
    }
    // Left and top edges are inside, right and bottom edges outside.
    bool PtInRect(POINT point) const
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    bool EqualRect(const RECT *lpRect) const
    {
        return lpRect && left == lpRect->left && top == lpRect->top && right == lpRect->right &&
               bottom == lpRect->bottom;
    }

    void SetRect(int x1, int y1, int x2, int y2)
    {
        left = x1;
        top = y1;
        right = x2;
        bottom = y2;
    }
    void SetRect(POINT topLeft, POINT bottomRight)
    {
        SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    void SetRectEmpty()
    {
        left = top = right = bottom = 0;
    }
    void CopyRect(const RECT *lpSrc)
    {
        if (lpSrc)
            SetRect(lpSrc->left, lpSrc->top, lpSrc->right, lpSrc->bottom);
        else
            SetRectEmpty();
    }

    void OffsetRect(int x, int y)
    {
        left += x;
        right += x;
        top += y;
        bottom += y;
    }
    void OffsetRect(POINT point)
    {
        OffsetRect(point.x, point.y);
    }
    void OffsetRect(SIZE size)
    {
        OffsetRect(size.cx, size.cy);
    }
    void MoveToX(int x)
    {
        right = x + Width();
        left = x;
    }
    void MoveToY(int y)
    {
        bottom = y + Height();
        top = y;
    }
    void MoveToXY(int x, int y)
    {
        MoveToX(x);
        MoveToY(y);
    }
    void MoveToXY(POINT point)
    {
        MoveToXY(point.x, point.y);
    }

    // Inflate moves every side outward, Deflate inward.
    void InflateRect(int x, int y)
    {
        left -= x;
        top -= y;
        right += x;
        bottom += y;
    }
    void InflateRect(SIZE size)
    {
        InflateRect(size.cx, size.cy);
    }
    void InflateRect(int l, int t, int r, int b)
    {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void InflateRect(const RECT *lpRect)
    {
        if (lpRect)
            InflateRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    void DeflateRect(int x, int y)
    {
        InflateRect(-x, -y);
    }
    void DeflateRect(SIZE size)
    {
        InflateRect(-size.cx, -size.cy);
    }
    void DeflateRect(int l, int t, int r, int b)
    {
        InflateRect(-l, -t, -r, -b);
    }
    void DeflateRect(const RECT *lpRect)
    {
        if (lpRect)
            InflateRect(-lpRect->left, -lpRect->top, -lpRect->right, -lpRect->bottom);
    }
    // Swaps the sides so that left <= right and top <= bottom.
    void NormalizeRect()
    {
        if (left > right)
        {
            LONG t = left;
            left = right;
            right = t;
        }
        if (top > bottom)
        {
            LONG t = top;
            top = bottom;
            bottom = t;
        }
    }

    // The overlap of two rectangles; the empty (null) rectangle and false when they do not overlap.
    bool IntersectRect(const RECT *lpRect1, const RECT *lpRect2)
    {
        RECT r;
        bool overlap = lpRect1 && lpRect2 && ::IntersectRect(&r, lpRect1, lpRect2);
        if (overlap)
            CopyRect(&r);
        else
            SetRectEmpty();
        return overlap;
    }
    // The smallest rectangle holding both; empty rectangles take no part. False when the result is empty.
    bool UnionRect(const RECT *lpRect1, const RECT *lpRect2)
    {
        RECT r;
        bool any = lpRect1 && lpRect2 && ::UnionRect(&r, lpRect1, lpRect2);
        if (any)
            CopyRect(&r);
        else
            SetRectEmpty();
        return any;
    }

    bool operator==(const RECT &rect) const
    {
        return EqualRect(&rect);
    }
    bool operator!=(const RECT &rect) const
    {
        return !EqualRect(&rect);
    }
    void operator+=(POINT point)
    {
        OffsetRect(point);
    }
    void operator+=(SIZE size)
    {
        OffsetRect(size);
    }
    void operator+=(const RECT *lpRect)
    {
        InflateRect(lpRect);
    }
    void operator-=(POINT point)
    {
        OffsetRect(-point.x, -point.y);
    }
    void operator-=(SIZE size)
    {
        OffsetRect(-size.cx, -size.cy);
    }
    void operator-=(const RECT *lpRect)
    {
        DeflateRect(lpRect);
    }
    void operator&=(const RECT &rect)
    {
        CRect copy(*this);
        IntersectRect(&copy, &rect);
    }
    void operator|=(const RECT &rect)
    {
        CRect copy(*this);
        UnionRect(&copy, &rect);
    }
    CRect operator+(POINT point) const
    {
        CRect r(*this);
        r.OffsetRect(point);
        return r;
    }
    CRect operator-(POINT point) const
    {
        CRect r(*this);
        r.OffsetRect(-point.x, -point.y);
        return r;
    }
    CRect operator+(SIZE size) const
    {
        CRect r(*this);
        r.OffsetRect(size);
        return r;
    }
    CRect operator-(SIZE size) const
    {
        CRect r(*this);
        r.OffsetRect(-size.cx, -size.cy);
        return r;
    }
    CRect operator+(const RECT *lpRect) const
    {
        CRect r(*this);
        r.InflateRect(lpRect);
        return r;
    }
    CRect operator-(const RECT *lpRect) const
    {
        CRect r(*this);
        r.DeflateRect(lpRect);
        return r;
    }
    CRect operator&(const RECT &rect) const
    {
        CRect r;
        r.IntersectRect(this, &rect);
        return r;
    }
    CRect operator|(const RECT &rect) const
    {
        CRect r;
        r.UnionRect(this, &rect);
        return r;
    }
};

inline CRect CPoint::operator+(const RECT *lpRect) const
{
    CRect r(lpRect);
    r.OffsetRect(x, y);
    return r;
}
inline CRect CPoint::operator-(const RECT *lpRect) const
{
    CRect r(lpRect);
    r.OffsetRect(-x, -y);
    return r;
}
