// BCMenu: a menu whose items below the top level are owner-drawn. It loads a menu template, keeps one record
// (BCMenuData) per item, measures and draws the items in one of two looks (a flat look on themed Windows XP,
// the classic look elsewhere) and answers the keyboard mnemonics of its owner-drawn items.
//
// The window layer routes WM_DRAWITEM and WM_MEASUREITEM of a menu item to the CMenu that holds the item's
// menu, so the virtual DrawItem and MeasureItem below are reached for every BCMenu, sub-menus included.
// Everything runs on the user-interface thread; the process-wide lists are not locked.
#pragma once
#include <windows.h>

#include "platform/controls/Menu.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/drawing/ImageList.h"
#include "platform/system/Seam.h"
#include "platform/text/Collections.h"
#include "platform/text/Geometry.h"
#include "platform/text/String.h"

// One item of a BCMenu, owned by its menu; the system item carries it as its item data.
class BCMenuData
{
  public:
    BCMenuData() = default;
    // Frees the record's own image list.
    ~BCMenuData();
    BCMenuData(const BCMenuData &) = delete;
    BCMenuData &operator=(const BCMenuData &) = delete;

    // The item text with its "&" mnemonic.
    CString m_text;
    // The item's image in the shared image list, -1 for none.
    int m_globalImage = -1;
    // The item's image in its own image list (nothing in the library fills that list).
    int m_xOffset = -1;
    // The menu flags the item was appended with (MF_OWNERDRAW included).
    UINT m_flags = 0;
    // The command id, or the sub-menu handle of a popup item.
    UINT_PTR m_command = 0;
    // Set while SynchronizeMenu matches records to items.
    int m_syncMark = 0;
    CImageList *m_imageList = nullptr;
};

// The platform's version, as the menus tell the looks apart.
enum : int
{
    WIN_VERSION_OLD = 0,      // Win32s or a Windows before version 4
    WIN_VERSION_NT_OTHER = 1, // any other NT (Windows Vista and later among them)
    WIN_VERSION_95 = 2,       // and any other 4.x of that family
    WIN_VERSION_98 = 3,
    WIN_VERSION_ME = 4,
    WIN_VERSION_NT4 = 5,
    WIN_VERSION_2000 = 6,
    WIN_VERSION_XP = 7,
};

// The code of a version record.
int WinVersionCodeOf(const OSVERSIONINFOW &version);
// The code of the running system, computed once.
int GetWinVersionCode();

// Where GetWinVersionCode and BCMenu::IsClassicTheme take their answers: the cached ones of the running
// system, or a test's, so that both looks can be seen in one process.
typedef int (*PFN_WIN_VERSION_CODE)();
typedef BOOL (*PFN_IS_CLASSIC_THEME)();
extern Seam<PFN_WIN_VERSION_CODE> g_pfnWinVersionCode;
extern Seam<PFN_IS_CLASSIC_THEME> g_pfnIsClassicTheme;

class BCMenu : public CMenu
{
  public:
    BCMenu();
    ~BCMenu() override;

    // Loads a menu template (the language library first, then the program): the top-level items stay plain
    // strings, every item below them becomes owner-drawn. FALSE when the resource is missing or unreadable
    // or the menu cannot be made; a truncated template is read up to its end and no further.
    virtual BOOL LoadMenu(UINT nIDResource);
    virtual BOOL LoadMenu(LPCWSTR lpszResourceName);
    // Removes the menu and its sub-menus from the process-wide list, deletes the sub-menu objects, frees
    // the records and destroys the system menu.
    virtual BOOL DestroyMenu();

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMIS) override;

    // Appends an owner-drawn item (command 0 makes a separator; a popup item passes its sub-menu handle)
    // with the image of the command on toolbar resource nToolbarId (-1: none). The system's append result.
    BOOL AppendODMenu(LPCWSTR lpszText, UINT nFlags = MF_OWNERDRAW, UINT_PTR nID = 0, int nToolbarId = -1);

    // The WM_MENUCHAR answer for a BCMenu popup: (position | MNC_EXECUTE << 16) of the first item whose text
    // holds "&" and the typed character, else 0.
    static LRESULT FindKeyboardShortcut(UINT nChar, UINT nFlags, CMenu *pMenu);
    // Whether the menu (its handle) was made as a sub-menu by a BCMenu.
    static BOOL IsMenu(CMenu *pMenu);
    static BOOL IsMenuHandle(HMENU hMenu);
    // The menu object of the system sub-menu at nPos.
    static CMenu *GetSubMenuFromHandle(HMENU hMenu, int nPos);
    // Whether the classic Windows theme is chosen (read once).
    static BOOL IsClassicTheme();
    // Each channel c becomes c + (255 - c) x factor (truncated) for 0 < factor <= 1; else the colour as given.
    static COLORREF LightenColor(COLORREF colour, double factor);

    // --- Drawing ---
    void DrawFlatItem(LPDRAWITEMSTRUCT lpDIS);
    void DrawClassicItem(LPDRAWITEMSTRUCT lpDIS);
    static void DrawCheckMark(CDC *pDC, int x, int y, COLORREF colour);
    static void DrawRadioDot(CDC *pDC, int x, int y, COLORREF colour);
    void DrawClassicCheck(CDC *pDC, const CRect &box, BOOL selected, HBITMAP hCheckedBitmap);
    void DrawFlatCheck(CDC *pDC, const CRect &box, HBITMAP hCheckedBitmap, COLORREF highlight);
    // A disabled image: an edge-dark silhouette over a highlight one moved by one pixel, on the background.
    static void DrawEmbossed(CDC *pDC, int x, int y, int width, int height, HBITMAP hSource, int sourceX, int sourceY,
                             COLORREF background);

    // --- Images ---
    BOOL GetBitmapFromImageList(CDC *pDC, CImageList *pList, int nIndex, CBitmap &bitmap);
    static void WashBitmap(CBitmap &bitmap);
    static void DarkenBitmap(CBitmap &bitmap);
    BOOL AddBitmapToImageList(CImageList *pList, UINT nResourceId);
    int AddToGlobalImageList(CImageList *pList, int nIndex, UINT nCommand);
    // Whether the command has a button on the toolbar resource; offset becomes its image index when above 0.
    static BOOL GetToolBarImageOffset(UINT nCommand, UINT nToolbarId, int &offset);
    // A 16-colour bitmap resource with the system colours mapped in; null for any other colour count.
    static HBITMAP LoadSysColorBitmap(UINT nResourceId);
    static WORD GetBitmapColorCount(const BITMAPINFOHEADER &header);
    // Whether the shared images at i, i + 1 and i + 2 belong to one command (the image, its washed copy and
    // its dark copy).
    static BOOL HasImageCopies(int nPosition);

    // --- Walking the menu and keeping the records in line with it ---
    BCMenu *FindMenuOption(UINT nCommand, int &position);
    BOOL GetMenuText(UINT nIdOrPosition, CString &text, UINT nFlags = MF_BYPOSITION);
    int GetMenuStart();
    void RefreshTopLevel();
    void SynchronizeMenu();
    BCMenuData *ModifyODMenuAt(int nPosition, UINT nFlags, UINT_PTR nID, LPCWSTR lpszText);
    BCMenuData *FindUnmarkedRecord(UINT_PTR nID);
    void DeleteUnmarkedRecords();

    // The item records in item order, and the handles of the sub-menus this menu made.
    CTypedPtrArray<CPtrArray, BCMenuData *> m_menuItems;
    CArray<HMENU, HMENU> m_subMenus;
    int m_iconX;
    int m_iconY;
    // Image masks use COLOR_BTNFACE unless the flag is set.
    COLORREF m_bitmapBackground;
    BOOL m_useBitmapBackground;
    BOOL m_loaded;

    // The shared image list (null until the first image) and the command of each of its images.
    static CImageList *SharedImages();
    static const CArray<UINT, UINT> &SharedImageIds();

    // Whether the running system is Windows XP with visual styles (the classic theme not chosen).
    static bool IsThemedXP();
    // Whether measuring and image copies follow the flat look on this system.
    static bool UsesFlatLook();

  private:
    static CArray<HMENU, HMENU> &KnownMenus();
    static void ForgetMenu(HMENU hMenu);
    static CImageList &SharedImageList();
    static CArray<UINT, UINT> &SharedIds();
    BOOL LoadTemplate(const BYTE *data, DWORD size);
    // Pads the part before the TAB of every item text to the widest such part (measured in the menu font).
    void AlignAccelerators();
    void FreeRecords();
    void DrawItemText(CDC *pDC, const CRect &textRect, const CString &text, COLORREF colour);
    // The checked-state bitmap of a command (MIIM_CHECKMARKS), null for the default tick.
    static HBITMAP CheckedBitmapOf(HMENU hMenu, UINT nCommand);
    // The washed and dark copies of an image of a list.
    BOOL MakeImageCopies(CImageList *pList, int nIndex, CBitmap &washed, CBitmap &dark);
};

// The menu font of the system (SPI_GETNONCLIENTMETRICS), made anew by each caller.
BOOL CreateMenuFont(CFont &font);
