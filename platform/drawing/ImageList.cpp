#include "platform/drawing/ImageList.h"

#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/windows/HandleMap.h"
#include "platform/system/Resources.h"

namespace
{

struct ImageListHandlePolicy
{
    static void SetHandle(CImageList &list, HIMAGELIST h)
    {
        list.m_hImageList = h;
    }
};

HBITMAP BitmapOf(const CBitmap *pBitmap)
{
    return pBitmap != nullptr ? static_cast<HBITMAP>(pBitmap->m_hObject) : nullptr;
}

// Takes a freshly made list; one that cannot be taken is destroyed.
BOOL AttachNew(CImageList &list, HIMAGELIST hList)
{
    if (hList == nullptr)
        return FALSE;
    if (!list.Attach(hList))
    {
        ::ImageList_Destroy(hList);
        return FALSE;
    }
    return TRUE;
}

} // namespace

CImageList::~CImageList()
{
    DeleteImageList();
}

HIMAGELIST CImageList::GetSafeHandle() const
{
    const CImageList *self = AfxSafeThis(this);
    return self != nullptr ? self->m_hImageList : nullptr;
}

CImageList *CImageList::FromHandle(HIMAGELIST hImageList)
{
    return CTempHandleMap<HIMAGELIST, CImageList, ImageListHandlePolicy>::ForThisThread().FromHandle(hImageList);
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (hImageList == nullptr || m_hImageList != nullptr)
        return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST h = m_hImageList;
    m_hImageList = nullptr;
    return h;
}

BOOL CImageList::DeleteImageList()
{
    if (m_hImageList == nullptr)
        return FALSE;
    return ::ImageList_Destroy(Detach());
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    return AttachNew(*this, ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(nBitmapID), RT_BITMAP);
    return AttachNew(*this, ::ImageList_LoadImageW(module, MAKEINTRESOURCEW(nBitmapID), cx, nGrow, crMask, IMAGE_BITMAP,
                                                   LR_CREATEDIBSECTION));
}

int CImageList::GetImageCount() const
{
    return m_hImageList != nullptr ? ::ImageList_GetImageCount(m_hImageList) : 0;
}

BOOL CImageList::GetImageInfo(int nImage, IMAGEINFO *pImageInfo) const
{
    return m_hImageList != nullptr && pImageInfo != nullptr &&
           ::ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
}

int CImageList::Add(CBitmap *pbmImage, CBitmap *pbmMask)
{
    if (m_hImageList == nullptr || BitmapOf(pbmImage) == nullptr)
        return -1;
    return ::ImageList_Add(m_hImageList, BitmapOf(pbmImage), BitmapOf(pbmMask));
}

int CImageList::Add(CBitmap *pbmImage, COLORREF crMask)
{
    if (m_hImageList == nullptr || BitmapOf(pbmImage) == nullptr)
        return -1;
    return ::ImageList_AddMasked(m_hImageList, BitmapOf(pbmImage), crMask);
}

int CImageList::Add(HICON hIcon)
{
    if (m_hImageList == nullptr || hIcon == nullptr)
        return -1;
    return ::ImageList_AddIcon(m_hImageList, hIcon);
}

BOOL CImageList::Replace(int nImage, CBitmap *pbmImage, CBitmap *pbmMask)
{
    return m_hImageList != nullptr && ::ImageList_Replace(m_hImageList, nImage, BitmapOf(pbmImage), BitmapOf(pbmMask));
}

int CImageList::Replace(int nImage, HICON hIcon)
{
    return m_hImageList != nullptr ? ::ImageList_ReplaceIcon(m_hImageList, nImage, hIcon) : -1;
}

BOOL CImageList::Remove(int nImage)
{
    return m_hImageList != nullptr && ::ImageList_Remove(m_hImageList, nImage);
}

BOOL CImageList::SetImageCount(UINT uNewCount)
{
    return m_hImageList != nullptr && ::ImageList_SetImageCount(m_hImageList, uNewCount);
}

HICON CImageList::ExtractIcon(int nImage)
{
    return m_hImageList != nullptr ? ::ImageList_GetIcon(m_hImageList, nImage, ILD_NORMAL) : nullptr;
}

BOOL CImageList::Draw(CDC *pDC, int nImage, POINT pt, UINT nStyle)
{
    if (m_hImageList == nullptr || pDC == nullptr)
        return FALSE;
    return ::ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}

BOOL CImageList::DrawEx(CDC *pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg, UINT nStyle)
{
    if (m_hImageList == nullptr || pDC == nullptr)
        return FALSE;
    return ::ImageList_DrawEx(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, sz.cx, sz.cy, clrBk, clrFg, nStyle);
}

COLORREF CImageList::SetBkColor(COLORREF cr)
{
    return m_hImageList != nullptr ? ::ImageList_SetBkColor(m_hImageList, cr) : CLR_NONE;
}

COLORREF CImageList::GetBkColor() const
{
    return m_hImageList != nullptr ? ::ImageList_GetBkColor(m_hImageList) : CLR_NONE;
}

BOOL CImageList::SetOverlayImage(int nImage, int nOverlay)
{
    return m_hImageList != nullptr && ::ImageList_SetOverlayImage(m_hImageList, nImage, nOverlay);
}
