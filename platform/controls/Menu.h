// CMenu: a menu handle owned by an object (destroyed with it unless detached).
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CWnd;

class CMenu
{
  public:
    CMenu() = default;
    // Destroys the menu this object holds.
    virtual ~CMenu();
    CMenu(const CMenu &) = delete;
    CMenu &operator=(const CMenu &) = delete;

    // The object that holds hMenu, else a temporary wrapper valid until the thread's message loop goes idle.
    static CMenu *FromHandle(HMENU hMenu);
    // The object that holds hMenu, or null.
    static CMenu *FromHandlePermanent(HMENU hMenu);

    operator HMENU() const
    {
        return m_hMenu;
    }
    // Null also when called through a null pointer.
    HMENU GetSafeHmenu() const;
    // FALSE when this object holds a menu already, hMenu is null or another object holds it.
    BOOL Attach(HMENU hNewMenu);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // From the language library when it holds the menu, else from the program.
    BOOL LoadMenu(UINT nIDResource);
    BOOL LoadMenu(LPCWSTR lpszResourceName);
    BOOL LoadMenuIndirect(const void *lpMenuTemplate);
    BOOL DestroyMenu();

    // A sub-menu as a temporary wrapper (or its permanent object), null when the item has none.
    CMenu *GetSubMenu(int nPos) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd *pWnd, LPCRECT lpRect = nullptr);
    BOOL TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd *pWnd, LPTPMPARAMS lptpm);

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags);
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, LPWSTR lpString, int nMaxCount, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, CString &rString, UINT nFlags) const;
    BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE) const;
    BOOL SetMenuItemInfo(UINT uItem, LPCMENUITEMINFOW lpMenuItemInfo, BOOL fByPos = FALSE);

    // Owner-drawn items of this menu (the window layer routes WM_DRAWITEM/WM_MEASUREITEM here).
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

    HMENU m_hMenu = nullptr;
};
