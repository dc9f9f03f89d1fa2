// CImageList: an image list owned by the object (destroyed with it unless detached).
#pragma once
#include <windows.h>
#include <commctrl.h>

class CBitmap;
class CDC;

class CImageList
{
  public:
    CImageList() = default;
    virtual ~CImageList();
    CImageList(const CImageList &) = delete;
    CImageList &operator=(const CImageList &) = delete;

    // A temporary wrapper valid until the thread's message loop goes idle.
    static CImageList *FromHandle(HIMAGELIST hImageList);

    operator HIMAGELIST() const
    {
        return m_hImageList;
    }
    // Null also when called through a null pointer.
    HIMAGELIST GetSafeHandle() const;
    // FALSE when this object holds a list already or hImageList is null.
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    // nFlags: ILC_COLORxx, optionally with ILC_MASK.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // From a bitmap resource (language library first, then the program), images cx wide, masked by crMask.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);

    int GetImageCount() const;
    BOOL GetImageInfo(int nImage, IMAGEINFO *pImageInfo) const;
    // Each returns the index of the first image added, or -1.
    int Add(CBitmap *pbmImage, CBitmap *pbmMask);
    int Add(CBitmap *pbmImage, COLORREF crMask);
    int Add(HICON hIcon);
    BOOL Replace(int nImage, CBitmap *pbmImage, CBitmap *pbmMask);
    int Replace(int nImage, HICON hIcon);
    BOOL Remove(int nImage);
    BOOL SetImageCount(UINT uNewCount);
    HICON ExtractIcon(int nImage);
    BOOL Draw(CDC *pDC, int nImage, POINT pt, UINT nStyle);
    BOOL DrawEx(CDC *pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle);
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    BOOL SetOverlayImage(int nImage, int nOverlay);

    HIMAGELIST m_hImageList = nullptr;
};
