// BCMenu: item images: the shared image list, its washed and dark copies, disabled images, toolbar resources.
#include "ui/menu/BCMenu.h"

#include <algorithm>

#include "platform/system/Handles.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"

namespace
{

// RT_TOOLBAR: a version word (1), the button width and height, the item count, then one command per item
// (0 for a separator).
const LPCWSTR kToolbarType = MAKEINTRESOURCEW(241);

// The face colour as a bitmap compatible with hDC stores it.
COLORREF StoredFaceColour(HDC hDC, int width, int height)
{
    CDCOwner memory(::CreateCompatibleDC(hDC));
    CGdiObjectOwner<HBITMAP> probe(::CreateCompatibleBitmap(hDC, std::max(width, 2), std::max(height, 2)));
    if (!memory.IsValid() || !probe.IsValid())
        return ::GetSysColor(COLOR_BTNFACE);
    CSelectObjectGuard selected(memory.Get(), probe.Get());
    RECT all = {0, 0, std::max(width, 2), std::max(height, 2)};
    ::FillRect(memory, &all, ::GetSysColorBrush(COLOR_BTNFACE));
    return ::GetPixel(memory, 1, 1);
}

// Replaces every pixel other than the face colour by what recolour makes of it, column by column.
template <class Recolour> void RecolourBitmap(CBitmap &bitmap, Recolour recolour)
{
    BITMAP info = {};
    if (bitmap.GetSafeHandle() == nullptr || bitmap.GetBitmap(&info) == 0)
        return;
    CWindowDCOwner screen(nullptr);
    CDCOwner memory(::CreateCompatibleDC(screen));
    if (!memory.IsValid())
        return;
    const COLORREF face = StoredFaceColour(screen, info.bmWidth, info.bmHeight);
    CSelectObjectGuard selected(memory.Get(), bitmap.GetSafeHandle());
    for (int x = 0; x < info.bmWidth; ++x)
    {
        for (int y = 0; y < info.bmHeight; ++y)
        {
            const COLORREF pixel = ::GetPixel(memory, x, y);
            if (pixel != face)
                ::SetPixelV(memory, x, y, recolour(pixel));
        }
    }
}

} // namespace

// Never destroyed, like the list of menus: menus held by static objects may still draw or add images while the
// program ends.
CImageList &BCMenu::SharedImageList()
{
    static auto *images = new CImageList;
    return *images;
}

CArray<UINT, UINT> &BCMenu::SharedIds()
{
    static auto *ids = new CArray<UINT, UINT>;
    return *ids;
}

CImageList *BCMenu::SharedImages()
{
    CImageList &images = SharedImageList();
    return images.GetSafeHandle() != nullptr ? &images : nullptr;
}

const CArray<UINT, UINT> &BCMenu::SharedImageIds()
{
    return SharedIds();
}

BOOL BCMenu::HasImageCopies(int nPosition)
{
    const CArray<UINT, UINT> &ids = SharedIds();
    if (nPosition < 0 || nPosition + 2 >= ids.GetSize())
        return FALSE;
    return ids[nPosition] == ids[nPosition + 1] && ids[nPosition] == ids[nPosition + 2];
}

void BCMenu::DrawEmbossed(CDC *pDC, int x, int y, int width, int height, HBITMAP hSource, int sourceX, int sourceY,
                          COLORREF background)
{
    if (pDC == nullptr || hSource == nullptr || width <= 0 || height <= 0)
        return;
    // The mask: white where the image is face- or highlight-coloured, black elsewhere.
    CDCOwner maskDC(::CreateCompatibleDC(nullptr));
    CGdiObjectOwner<HBITMAP> mask(::CreateBitmap(width, height, 1, 1, nullptr));
    CDCOwner sourceDC(::CreateCompatibleDC(pDC->GetSafeHdc()));
    CDCOwner imageDC(::CreateCompatibleDC(pDC->GetSafeHdc()));
    CGdiObjectOwner<HBITMAP> image(::CreateCompatibleBitmap(pDC->GetSafeHdc(), width + 1, height + 1));
    if (!maskDC.IsValid() || !mask.IsValid() || !sourceDC.IsValid() || !imageDC.IsValid() || !image.IsValid())
        return;
    CSelectObjectGuard maskSelected(maskDC.Get(), mask.Get());
    CSelectObjectGuard sourceSelected(sourceDC.Get(), hSource);
    CSelectObjectGuard imageSelected(imageDC.Get(), image.Get());
    ::PatBlt(maskDC, 0, 0, width, height, WHITENESS);
    ::SetBkColor(sourceDC, ::GetSysColor(COLOR_BTNFACE));
    ::BitBlt(maskDC, 0, 0, width, height, sourceDC, sourceX, sourceY, SRCCOPY);
    ::SetBkColor(sourceDC, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::BitBlt(maskDC, 0, 0, width, height, sourceDC, sourceX, sourceY, SRCPAINT);

    // The picture is put together in a scratch bitmap, so the caller's bitmap stays as it was.
    CGdiObjectOwner<HBRUSH> fill(::CreateSolidBrush(background));
    RECT all = {0, 0, width + 1, height + 1};
    ::FillRect(imageDC, &all, fill);
    ::SetBkColor(imageDC, RGB(0, 0, 0));
    ::SetTextColor(imageDC, RGB(255, 255, 255));
    // 0xE20746: the brush where the mask is black, the destination elsewhere.
    const DWORD kBrushThroughMask = 0xE20746;
    {
        CSelectObjectGuard brush(imageDC.Get(), ::GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        ::BitBlt(imageDC, 0, 0, width, height, maskDC, 0, 0, kBrushThroughMask);
        ::BitBlt(pDC->GetSafeHdc(), x + 1, y + 1, width, height, imageDC, 0, 0, SRCCOPY);
        ::BitBlt(imageDC, 1, 1, width, height, maskDC, 0, 0, kBrushThroughMask);
    }
    {
        CSelectObjectGuard brush(imageDC.Get(), ::GetSysColorBrush(COLOR_BTNSHADOW));
        ::BitBlt(imageDC, 0, 0, width, height, maskDC, 0, 0, kBrushThroughMask);
        ::BitBlt(pDC->GetSafeHdc(), x, y, width, height, imageDC, 0, 0, SRCCOPY);
    }
}

BOOL BCMenu::GetBitmapFromImageList(CDC *pDC, CImageList *pList, int nIndex, CBitmap &bitmap)
{
    if (pDC == nullptr || pList == nullptr)
        return FALSE;
    CIconOwner icon(pList->ExtractIcon(nIndex));
    if (!icon.IsValid())
        return FALSE;
    bitmap.DeleteObject();
    if (!bitmap.CreateCompatibleBitmap(pDC, m_iconX, m_iconY))
        return FALSE;
    CDCOwner memory(::CreateCompatibleDC(pDC->GetSafeHdc()));
    if (!memory.IsValid())
        return FALSE;
    CSelectObjectGuard selected(memory.Get(), bitmap.GetSafeHandle());
    ::DrawIconEx(memory, 0, 0, icon, m_iconX, m_iconY, 0, ::GetSysColorBrush(COLOR_BTNFACE), DI_NORMAL);
    return TRUE;
}

void BCMenu::WashBitmap(CBitmap &bitmap)
{
    RecolourBitmap(bitmap, [](COLORREF pixel) { return LightenColor(pixel, 0.3); });
}

void BCMenu::DarkenBitmap(CBitmap &bitmap)
{
    const COLORREF dark =
        IsThemedXP() ? ::GetSysColor(COLOR_BTNSHADOW) : LightenColor(::GetSysColor(COLOR_BTNSHADOW), 0.49);
    RecolourBitmap(bitmap, [dark](COLORREF) { return dark; });
}

BOOL BCMenu::MakeImageCopies(CImageList *pList, int nIndex, CBitmap &washed, CBitmap &dark)
{
    // The DC of the main window (the screen's without one).
    CClientDC dc(AfxGetMainWnd());
    if (dc.GetSafeHdc() == nullptr)
        return FALSE;
    if (!GetBitmapFromImageList(&dc, pList, nIndex, washed) || !GetBitmapFromImageList(&dc, pList, nIndex, dark))
        return FALSE;
    WashBitmap(washed);
    DarkenBitmap(dark);
    return TRUE;
}

WORD BCMenu::GetBitmapColorCount(const BITMAPINFOHEADER &header)
{
    if (header.biClrUsed != 0)
        return static_cast<WORD>(header.biClrUsed);
    switch (header.biBitCount)
    {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

HBITMAP BCMenu::LoadSysColorBitmap(UINT nResourceId)
{
    LPCWSTR name = MAKEINTRESOURCEW(nResourceId);
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    HRSRC found = ::FindResourceW(module, name, RT_BITMAP);
    if (found == nullptr)
        return nullptr;
    HGLOBAL loaded = ::LoadResource(module, found);
    const void *data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || ::SizeofResource(module, found) < sizeof(BITMAPINFOHEADER))
        return nullptr;
    const auto *header = static_cast<const BITMAPINFOHEADER *>(data);
    if (GetBitmapColorCount(*header) != 16)
        return nullptr;
    CBitmap bitmap;
    if (!bitmap.LoadMappedBitmap(nResourceId))
        return nullptr;
    return static_cast<HBITMAP>(bitmap.Detach());
}

BOOL BCMenu::GetToolBarImageOffset(UINT nCommand, UINT nToolbarId, int &offset)
{
    LPCWSTR name = MAKEINTRESOURCEW(nToolbarId);
    HINSTANCE module = AfxFindResourceHandle(name, kToolbarType);
    HRSRC found = ::FindResourceW(module, name, kToolbarType);
    if (found == nullptr)
        return FALSE;
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto *words = loaded != nullptr ? static_cast<const WORD *>(::LockResource(loaded)) : nullptr;
    const DWORD count = ::SizeofResource(module, found) / sizeof(WORD);
    if (words == nullptr || count < 4)
        return FALSE;
    const DWORD items = std::min<DWORD>(words[3], count - 4);
    int image = 0;
    for (DWORD i = 0; i < items; ++i)
    {
        const WORD command = words[4 + i];
        if (command == 0)
            continue;
        if (command == nCommand)
        {
            if (image > 0)
                offset = image;
            return TRUE;
        }
        ++image;
    }
    return FALSE;
}

BOOL BCMenu::AddBitmapToImageList(CImageList *pList, UINT nResourceId)
{
    if (pList == nullptr || pList->GetSafeHandle() == nullptr)
        return FALSE;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    BOOL added = FALSE;
    CBitmap bitmap;
    if (bitmap.Attach(LoadSysColorBitmap(nResourceId)))
    {
        added = pList->Add(&bitmap, face) >= 0;
    }
    else if (bitmap.LoadBitmap(nResourceId))
    {
        added = pList->Add(&bitmap, m_useBitmapBackground ? m_bitmapBackground : face) >= 0;
    }
    if (!added)
        return FALSE;
    if (UsesFlatLook())
    {
        CBitmap washed;
        CBitmap dark;
        if (MakeImageCopies(pList, 0, washed, dark))
        {
            pList->Add(&washed, face);
            pList->Add(&dark, face);
        }
    }
    return TRUE;
}

int BCMenu::AddToGlobalImageList(CImageList *pList, int nIndex, UINT nCommand)
{
    if (pList == nullptr)
        return -1;
    CImageList &shared = SharedImageList();
    if (shared.GetSafeHandle() == nullptr && !shared.Create(m_iconX, m_iconY, ILC_COLORDDB | ILC_MASK, 1, 1))
        return -1;
    CIconOwner icon(pList->ExtractIcon(nIndex));
    if (!icon.IsValid())
        return -1;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const bool copies = UsesFlatLook();
    CBitmap washed;
    CBitmap dark;
    const bool haveCopies = copies && MakeImageCopies(pList, nIndex, washed, dark);

    CArray<UINT, UINT> &ids = SharedIds();
    for (INT_PTR p = 0; p < ids.GetSize(); ++p)
    {
        if (ids[p] != nCommand)
            continue;
        shared.Replace(static_cast<int>(p), icon);
        if (haveCopies && p + 2 < ids.GetSize() && ids[p + 1] == nCommand && ids[p + 2] == nCommand)
        {
            CImageList temporary;
            if (temporary.Create(m_iconX, m_iconY, ILC_COLORDDB | ILC_MASK, 1, 1) &&
                temporary.Add(&washed, face) >= 0 && temporary.Add(&dark, face) >= 0)
            {
                CIconOwner washedIcon(temporary.ExtractIcon(0));
                CIconOwner darkIcon(temporary.ExtractIcon(1));
                shared.Replace(static_cast<int>(p + 1), washedIcon);
                shared.Replace(static_cast<int>(p + 2), darkIcon);
            }
        }
        return static_cast<int>(p);
    }

    const int position = static_cast<int>(ids.GetSize());
    if (shared.Add(icon) < 0)
        return -1;
    ids.Add(nCommand);
    if (haveCopies && shared.Add(&washed, face) >= 0)
    {
        ids.Add(nCommand);
        if (shared.Add(&dark, face) >= 0)
            ids.Add(nCommand);
    }
    return position;
}
