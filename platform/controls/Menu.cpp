#include "platform/controls/Menu.h"

#include "platform/windows/HandleMap.h"
#include "platform/system/Resources.h"
#include "platform/windows/Wnd.h"
#include "platform/windows/WndInternal.h"

namespace
{

struct MenuHandlePolicy
{
    static void SetHandle(CMenu &menu, HMENU h)
    {
        menu.m_hMenu = h;
    }
};

CPermanentHandleMap<HMENU, CMenu> &MenuMap()
{
    // Never destroyed: menus of static objects are destroyed while the program ends.
    static auto *map = new CPermanentHandleMap<HMENU, CMenu>;
    return *map;
}

// Takes a freshly made menu; one that cannot be taken is destroyed.
BOOL AttachNew(CMenu &menu, HMENU hMenu)
{
    if (hMenu == nullptr)
        return FALSE;
    if (!menu.Attach(hMenu))
    {
        ::DestroyMenu(hMenu);
        return FALSE;
    }
    return TRUE;
}

// Remembers which menu TrackPopupMenu shows, for the measuring of its owner-drawn items.
class TrackingMenu
{
  public:
    explicit TrackingMenu(HMENU hMenu) : m_previous(afx_internal::ThreadState().hTrackingMenu)
    {
        afx_internal::ThreadState().hTrackingMenu = hMenu;
    }
    ~TrackingMenu()
    {
        afx_internal::ThreadState().hTrackingMenu = m_previous;
    }
    TrackingMenu(const TrackingMenu &) = delete;
    TrackingMenu &operator=(const TrackingMenu &) = delete;

  private:
    HMENU m_previous;
};

} // namespace

CMenu::~CMenu()
{
    DestroyMenu();
}

HMENU CMenu::GetSafeHmenu() const
{
    const CMenu *self = AfxSafeThis(this);
    return self != nullptr ? self->m_hMenu : nullptr;
}

CMenu *CMenu::FromHandlePermanent(HMENU hMenu)
{
    return MenuMap().Lookup(hMenu);
}

CMenu *CMenu::FromHandle(HMENU hMenu)
{
    if (hMenu == nullptr)
        return nullptr;
    CMenu *pMenu = MenuMap().Lookup(hMenu);
    if (pMenu != nullptr)
        return pMenu;
    return CTempHandleMap<HMENU, CMenu, MenuHandlePolicy>::ForThisThread().FromHandle(hMenu);
}

BOOL CMenu::Attach(HMENU hNewMenu)
{
    if (hNewMenu == nullptr || m_hMenu != nullptr)
        return FALSE;
    if (!MenuMap().Add(hNewMenu, this))
        return FALSE;
    m_hMenu = hNewMenu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU hMenu = m_hMenu;
    if (hMenu != nullptr)
        MenuMap().Remove(hMenu, this);
    m_hMenu = nullptr;
    return hMenu;
}

BOOL CMenu::CreateMenu()
{
    return AttachNew(*this, ::CreateMenu());
}
BOOL CMenu::CreatePopupMenu()
{
    return AttachNew(*this, ::CreatePopupMenu());
}
BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEW(nIDResource));
}

BOOL CMenu::LoadMenu(LPCWSTR lpszResourceName)
{
    if (lpszResourceName == nullptr)
        return FALSE;
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_MENU);
    return AttachNew(*this, ::LoadMenuW(module, lpszResourceName));
}

BOOL CMenu::LoadMenuIndirect(const void *lpMenuTemplate)
{
    return lpMenuTemplate != nullptr && AttachNew(*this, ::LoadMenuIndirectW(lpMenuTemplate));
}

BOOL CMenu::DestroyMenu()
{
    if (m_hMenu == nullptr)
        return FALSE;
    return ::DestroyMenu(Detach());
}

CMenu *CMenu::GetSubMenu(int nPos) const
{
    return FromHandle(::GetSubMenu(m_hMenu, nPos));
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd *pWnd, LPCRECT lpRect)
{
    TrackingMenu tracking(m_hMenu);
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd != nullptr ? pWnd->m_hWnd : nullptr, lpRect);
}

BOOL CMenu::TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd *pWnd, LPTPMPARAMS lptpm)
{
    TrackingMenu tracking(m_hMenu);
    return ::TrackPopupMenuEx(m_hMenu, fuFlags, x, y, pWnd != nullptr ? pWnd->m_hWnd : nullptr, lptpm);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem)
{
    return ::ModifyMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    return ::RemoveMenu(m_hMenu, nPosition, nFlags);
}
BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags)
{
    return ::DeleteMenu(m_hMenu, nPosition, nFlags);
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
{
    return static_cast<UINT>(::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck));
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
{
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable));
}

BOOL CMenu::CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags)
{
    return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
}

BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos)
{
    return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos);
}
int CMenu::GetMenuItemCount() const
{
    return ::GetMenuItemCount(m_hMenu);
}
UINT CMenu::GetMenuItemID(int nPos) const
{
    return ::GetMenuItemID(m_hMenu, nPos);
}
UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    return ::GetMenuState(m_hMenu, nID, nFlags);
}

int CMenu::GetMenuString(UINT nIDItem, LPWSTR lpString, int nMaxCount, UINT nFlags) const
{
    return ::GetMenuStringW(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
}

int CMenu::GetMenuString(UINT nIDItem, CString &rString, UINT nFlags) const
{
    rString.Empty();
    int length = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (length <= 0)
        return 0;
    LPWSTR buffer = rString.GetBuffer(length);
    int copied = ::GetMenuStringW(m_hMenu, nIDItem, buffer, length + 1, nFlags);
    rString.ReleaseBuffer(copied > 0 ? copied : 0);
    return rString.GetLength();
}

BOOL CMenu::GetMenuItemInfo(UINT uItem, LPMENUITEMINFOW lpMenuItemInfo, BOOL fByPos) const
{
    return ::GetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

BOOL CMenu::SetMenuItemInfo(UINT uItem, LPCMENUITEMINFOW lpMenuItemInfo, BOOL fByPos)
{
    return ::SetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT)
{
}
void CMenu::MeasureItem(LPMEASUREITEMSTRUCT)
{
}
