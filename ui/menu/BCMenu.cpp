// BCMenu: loading a template, the records, appending, destroying, and the keyboard mnemonics.
#include "ui/menu/BCMenu.h"

#include <algorithm>
#include <vector>

#include "platform/system/Handles.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"
#include "ui/menu/MenuGeometry.h"

namespace
{

// Reads a menu template without ever reading past its end.
class TemplateReader
{
  public:
    TemplateReader(const BYTE *data, DWORD size) : m_data(data), m_size(size)
    {
    }
    bool AtEnd() const
    {
        return m_offset >= m_size;
    }
    bool Skip(DWORD bytes)
    {
        if (bytes > m_size - m_offset)
            return false;
        m_offset += bytes;
        return true;
    }
    bool Word(WORD &value)
    {
        if (m_size - m_offset < sizeof(WORD))
            return false;
        value = static_cast<WORD>(m_data[m_offset] | (m_data[m_offset + 1] << 8));
        m_offset += sizeof(WORD);
        return true;
    }
    // A NUL-terminated wide string; false when the template ends before the terminator.
    bool String(CString &text)
    {
        text.Empty();
        WORD ch = 0;
        while (Word(ch))
        {
            if (ch == 0)
                return true;
            text.AppendChar(static_cast<wchar_t>(ch));
        }
        return false;
    }

  private:
    const BYTE *m_data;
    DWORD m_size;
    DWORD m_offset = 0;
};

// The DC of the application's main window, else of the desktop window.
HWND MeasuringWindow()
{
    CWnd *main = AfxGetMainWnd();
    if (main != nullptr && main->GetSafeHwnd() != nullptr)
        return main->GetSafeHwnd();
    return ::GetDesktopWindow();
}

} // namespace

BOOL CreateMenuFont(CFont &font)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return FALSE;
    return font.CreateFontIndirect(&metrics.lfMenuFont);
}

BCMenuData::~BCMenuData()
{
    delete m_imageList;
}

BCMenu::BCMenu()
    : m_iconX(16), m_iconY(15), m_bitmapBackground(RGB(192, 192, 192)), m_useBitmapBackground(FALSE), m_loaded(FALSE)
{
}

BCMenu::~BCMenu()
{
    DestroyMenu();
}

// --- Process-wide lists ---

CArray<HMENU, HMENU> &BCMenu::KnownMenus()
{
    // Never destroyed: menus held by static objects are destroyed while the program ends.
    static auto *menus = new CArray<HMENU, HMENU>;
    return *menus;
}

void BCMenu::ForgetMenu(HMENU hMenu)
{
    CArray<HMENU, HMENU> &menus = KnownMenus();
    for (INT_PTR i = menus.GetSize() - 1; i >= 0; --i)
    {
        if (menus[i] == hMenu)
            menus.RemoveAt(i);
    }
}

BOOL BCMenu::IsMenuHandle(HMENU hMenu)
{
    if (hMenu == nullptr)
        return FALSE;
    const CArray<HMENU, HMENU> &menus = KnownMenus();
    for (INT_PTR i = 0; i < menus.GetSize(); ++i)
    {
        if (menus[i] == hMenu)
            return TRUE;
    }
    return FALSE;
}

BOOL BCMenu::IsMenu(CMenu *pMenu)
{
    return pMenu != nullptr && IsMenuHandle(pMenu->GetSafeHmenu());
}

CMenu *BCMenu::GetSubMenuFromHandle(HMENU hMenu, int nPos)
{
    return CMenu::FromHandle(::GetSubMenu(hMenu, nPos));
}

// --- Loading ---

BOOL BCMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEW(nIDResource));
}

BOOL BCMenu::LoadMenu(LPCWSTR lpszResourceName)
{
    if (lpszResourceName == nullptr)
        return FALSE;
    HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_MENU);
    HRSRC found = ::FindResourceW(module, lpszResourceName, RT_MENU);
    if (found == nullptr)
        return FALSE;
    HGLOBAL loaded = ::LoadResource(module, found);
    const BYTE *data = loaded != nullptr ? static_cast<const BYTE *>(::LockResource(loaded)) : nullptr;
    const DWORD size = ::SizeofResource(module, found);
    if (data == nullptr)
        return FALSE;

    DestroyMenu();
    HMENU hMenu = ::CreateMenu();
    if (hMenu == nullptr)
        return FALSE;
    if (!Attach(hMenu))
    {
        ::DestroyMenu(hMenu);
        return FALSE;
    }
    if (!LoadTemplate(data, size))
    {
        DestroyMenu();
        return FALSE;
    }
    // The menu bar itself stays plain: its items go back to strings (popups keep their sub-menus).
    for (INT_PTR i = 0; i < m_menuItems.GetSize(); ++i)
    {
        BCMenuData *record = m_menuItems[i];
        const UINT position = static_cast<UINT>(i);
        if (record->m_flags & MF_POPUP)
        {
            record->m_flags = MF_BYPOSITION | MF_POPUP;
            ::ModifyMenuW(m_hMenu, position, MF_BYPOSITION | MF_POPUP | MF_STRING, record->m_command, record->m_text);
        }
        else
        {
            record->m_flags = MF_BYPOSITION;
            ::ModifyMenuW(m_hMenu, position, MF_BYPOSITION | MF_STRING, record->m_command, record->m_text);
        }
    }
    m_loaded = TRUE;
    return TRUE;
}

BOOL BCMenu::LoadTemplate(const BYTE *data, DWORD size)
{
    TemplateReader reader(data, size);
    WORD version = 0;
    WORD headerSize = 0;
    if (!reader.Word(version) || !reader.Word(headerSize))
        return FALSE;
    // Only the plain template form: an extended one lays its items out otherwise.
    if (version != 0 || !reader.Skip(headerSize))
        return FALSE;

    struct Level
    {
        BCMenu *menu;
        bool ends;
    };
    std::vector<Level> stack;
    stack.push_back({this, false});
    while (!stack.empty())
    {
        WORD flags = 0;
        WORD command = 0;
        CString text;
        if (!reader.Word(flags))
            break;
        const bool popup = (flags & MF_POPUP) != 0;
        if (!popup && !reader.Word(command))
            break;
        // A text without its terminator at the end of the template: the item is dropped.
        if (!reader.String(text))
            break;
        const bool last = (flags & MF_END) != 0;
        const UINT itemFlags = flags & ~static_cast<UINT>(MF_END);
        if (popup)
        {
            if (last)
                stack.back().ends = true;
            BCMenu *sub = new BCMenu;
            sub->m_iconX = m_iconX;
            sub->m_iconY = m_iconY;
            sub->m_bitmapBackground = m_bitmapBackground;
            sub->m_useBitmapBackground = m_useBitmapBackground;
            if (!sub->CreatePopupMenu())
            {
                delete sub;
                return FALSE;
            }
            stack.back().menu->AppendODMenu(text, itemFlags, reinterpret_cast<UINT_PTR>(sub->m_hMenu), -1);
            stack.push_back({sub, false});
        }
        else
        {
            stack.back().menu->AppendODMenu(text, itemFlags, command, -1);
            if (last)
                stack.back().ends = true;
            while (!stack.empty() && stack.back().ends)
            {
                stack.back().menu->AlignAccelerators();
                stack.pop_back();
            }
        }
    }
    // A template cut short leaves its open levels as they stand; their accelerators are still aligned.
    for (const Level &level : stack)
        level.menu->AlignAccelerators();
    return TRUE;
}

void BCMenu::AlignAccelerators()
{
    CFont font;
    if (!CreateMenuFont(font))
        return;
    HWND window = MeasuringWindow();
    CWindowDCOwner dc(window);
    if (!dc.IsValid())
        return;
    CSelectObjectGuard selected(dc.Get(), font.GetSafeHandle());
    auto widthOf = [&](const CString &text) {
        SIZE size = {0, 0};
        ::GetTextExtentPoint32W(dc.Get(), text, text.GetLength(), &size);
        return static_cast<int>(size.cx);
    };
    int widest = 0;
    for (INT_PTR i = 0; i < m_menuItems.GetSize(); ++i)
        widest = std::max(widest, widthOf(menugeometry::BeforeTab(m_menuItems[i]->m_text) + L" "));
    for (INT_PTR i = 0; i < m_menuItems.GetSize(); ++i)
    {
        BCMenuData *record = m_menuItems[i];
        if (record->m_text.Find(L'\t') >= 0)
            record->m_text = menugeometry::PadBeforeTab(record->m_text, widest, widthOf);
    }
}

// --- Appending and destroying ---

BOOL BCMenu::AppendODMenu(LPCWSTR lpszText, UINT nFlags, UINT_PTR nID, int nToolbarId)
{
    if (m_hMenu == nullptr)
        return FALSE;
    if (nID != 0)
        nFlags |= MF_OWNERDRAW;
    else
        nFlags = (nFlags & MF_BYPOSITION) | MF_SEPARATOR | MF_OWNERDRAW;
    if (nFlags & MF_POPUP)
    {
        HMENU hSub = reinterpret_cast<HMENU>(nID);
        KnownMenus().Add(hSub);
        m_subMenus.Add(hSub);
    }

    auto *record = new BCMenuData;
    record->m_text = lpszText != nullptr ? lpszText : L"";
    record->m_flags = nFlags;
    record->m_command = nID;
    const CArray<UINT, UINT> &ids = SharedIds();
    for (INT_PTR i = 0; i < ids.GetSize(); ++i)
    {
        if (nID != 0 && ids[i] == nID)
        {
            record->m_globalImage = static_cast<int>(i);
            break;
        }
    }
    if (nToolbarId >= 0 && nID != 0 && !(nFlags & MF_POPUP))
    {
        const UINT command = static_cast<UINT>(nID);
        int offset = 0;
        GetToolBarImageOffset(command, static_cast<UINT>(nToolbarId), offset);
        delete record->m_imageList;
        record->m_imageList = nullptr;
        CImageList images;
        if (images.Create(m_iconX, m_iconY, ILC_COLORDDB | ILC_MASK, 1, 1) &&
            AddBitmapToImageList(&images, static_cast<UINT>(nToolbarId)))
            record->m_globalImage = AddToGlobalImageList(&images, offset, command);
    }

    m_menuItems.Add(record);
    const BOOL appended =
        ::AppendMenuW(m_hMenu, nFlags, nID, reinterpret_cast<LPCWSTR>(static_cast<BCMenuData *>(record)));
    if (m_loaded)
        RefreshTopLevel();
    return appended;
}

void BCMenu::FreeRecords()
{
    for (INT_PTR i = 0; i < m_menuItems.GetSize(); ++i)
        delete m_menuItems[i];
    m_menuItems.RemoveAll();
}

BOOL BCMenu::DestroyMenu()
{
    ForgetMenu(m_hMenu);
    std::vector<BCMenu *> owned;
    for (INT_PTR i = 0; i < m_subMenus.GetSize(); ++i)
    {
        ForgetMenu(m_subMenus[i]);
        if (auto *sub = dynamic_cast<BCMenu *>(CMenu::FromHandlePermanent(m_subMenus[i])))
            owned.push_back(sub);
    }
    // The sub-menus that objects own leave this menu first, so that destroying it does not reach them.
    if (m_hMenu != nullptr)
    {
        for (int position = ::GetMenuItemCount(m_hMenu) - 1; position >= 0; --position)
        {
            HMENU hSub = ::GetSubMenu(m_hMenu, position);
            for (BCMenu *sub : owned)
            {
                if (sub->m_hMenu == hSub)
                {
                    ::RemoveMenu(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION);
                    break;
                }
            }
        }
    }
    for (BCMenu *sub : owned)
        delete sub;
    m_subMenus.RemoveAll();
    FreeRecords();
    m_loaded = FALSE;
    return CMenu::DestroyMenu();
}

// --- Keyboard mnemonics ---

LRESULT BCMenu::FindKeyboardShortcut(UINT nChar, UINT nFlags, CMenu *pMenu)
{
    auto *menu = pMenu != nullptr ? dynamic_cast<BCMenu *>(CMenu::FromHandlePermanent(pMenu->GetSafeHmenu())) : nullptr;
    if (menu == nullptr || !(nFlags & MF_POPUP))
        return 0;
    wchar_t typed[2] = {static_cast<wchar_t>(nChar), 0};
    ::CharLowerW(typed);
    CString key = CString(L"&") + typed;
    const int count = menu->GetMenuItemCount();
    if (count != static_cast<int>(menu->m_menuItems.GetSize()))
        menu->SynchronizeMenu();
    for (int position = 0; position < count; ++position)
    {
        CString text;
        if (!menu->GetMenuText(static_cast<UINT>(position), text, MF_BYPOSITION))
            continue;
        text.MakeLower();
        if (text.Find(key) >= 0)
            return MAKELRESULT(position, MNC_EXECUTE);
    }
    return 0;
}
