// BCMenu: walking the menu and keeping the item records in line with the system menu.
#include "ui/menu/BCMenu.h"

namespace
{

CString ItemString(HMENU hMenu, int position)
{
    CString text;
    const int length = ::GetMenuStringW(hMenu, static_cast<UINT>(position), nullptr, 0, MF_BYPOSITION);
    if (length <= 0)
        return text;
    LPWSTR buffer = text.GetBuffer(length);
    const int copied = ::GetMenuStringW(hMenu, static_cast<UINT>(position), buffer, length + 1, MF_BYPOSITION);
    text.ReleaseBuffer(copied > 0 && copied <= length ? copied : 0);
    return text;
}

} // namespace

BCMenu *BCMenu::FindMenuOption(UINT nCommand, int &position)
{
    const int count = GetMenuItemCount();
    for (int i = 0; i < count; ++i)
    {
        HMENU hSub = ::GetSubMenu(m_hMenu, i);
        if (auto *sub = dynamic_cast<BCMenu *>(CMenu::FromHandlePermanent(hSub)))
        {
            if (BCMenu *found = sub->FindMenuOption(nCommand, position))
                return found;
        }
        else if (hSub == nullptr && GetMenuItemID(i) == nCommand)
        {
            position = i;
            return this;
        }
    }
    position = -1;
    return nullptr;
}

BOOL BCMenu::GetMenuText(UINT nIdOrPosition, CString &text, UINT nFlags)
{
    if (nFlags & MF_BYPOSITION)
    {
        if (static_cast<INT_PTR>(nIdOrPosition) > m_menuItems.GetSize() - 1)
            return FALSE;
        text = m_menuItems[static_cast<INT_PTR>(nIdOrPosition)]->m_text;
        return TRUE;
    }
    int position = -1;
    BCMenu *menu = FindMenuOption(nIdOrPosition, position);
    if (menu == nullptr || position < 0)
        return FALSE;
    return menu->GetMenuText(static_cast<UINT>(position), text, MF_BYPOSITION);
}

int BCMenu::GetMenuStart()
{
    if (!m_loaded)
        return 0;
    const int count = GetMenuItemCount();
    for (int position = 0; position < count; ++position)
    {
        const CString text = ItemString(m_hMenu, position);
        if (text.IsEmpty())
            continue;
        for (INT_PTR r = 0; r < m_menuItems.GetSize(); ++r)
        {
            if (m_menuItems[r]->m_text == text)
                return r <= position ? position - static_cast<int>(r) : 0;
        }
    }
    return 0;
}

void BCMenu::RefreshTopLevel()
{
    const int start = GetMenuStart();
    const int count = GetMenuItemCount();
    for (int position = start; position < count && position - start < m_menuItems.GetSize(); ++position)
    {
        HMENU hSub = ::GetSubMenu(m_hMenu, position);
        if (hSub == nullptr)
            continue;
        BCMenuData *record = m_menuItems[position - start];
        record->m_flags = MF_BYPOSITION | MF_POPUP;
        ::ModifyMenuW(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP | MF_STRING,
                      reinterpret_cast<UINT_PTR>(hSub), record->m_text);
    }
}

BCMenuData *BCMenu::FindUnmarkedRecord(UINT_PTR nID)
{
    for (INT_PTR i = 0; i < m_menuItems.GetSize(); ++i)
    {
        BCMenuData *record = m_menuItems[i];
        if (record->m_syncMark == 0 && record->m_command == nID)
        {
            record->m_syncMark = 1;
            return record;
        }
    }
    return nullptr;
}

void BCMenu::DeleteUnmarkedRecords()
{
    for (INT_PTR i = m_menuItems.GetSize() - 1; i >= 0; --i)
    {
        if (m_menuItems[i]->m_syncMark == 0)
        {
            delete m_menuItems[i];
            m_menuItems.RemoveAt(i);
        }
    }
}

BCMenuData *BCMenu::ModifyODMenuAt(int nPosition, UINT nFlags, UINT_PTR nID, LPCWSTR lpszText)
{
    auto *record = new BCMenuData;
    record->m_text = lpszText != nullptr ? lpszText : L"";
    record->m_flags = nFlags;
    record->m_command = nID;
    LPCWSTR data = (nFlags & MF_OWNERDRAW) ? reinterpret_cast<LPCWSTR>(record) : nullptr;
    ::ModifyMenuW(m_hMenu, static_cast<UINT>(nPosition), nFlags, nID, data);
    return record;
}

void BCMenu::SynchronizeMenu()
{
    for (INT_PTR i = 0; i < m_menuItems.GetSize(); ++i)
        m_menuItems[i]->m_syncMark = 0;
    CTypedPtrArray<CPtrArray, BCMenuData *> inLine;
    const int count = GetMenuItemCount();
    for (int position = 0; position < count; ++position)
    {
        const UINT state = GetMenuState(static_cast<UINT>(position), MF_BYPOSITION);
        const CString text = ItemString(m_hMenu, position);
        const UINT byPosition = static_cast<UINT>(position);
        BCMenuData *record = nullptr;
        if (state & MF_POPUP)
        {
            HMENU hSub = ::GetSubMenu(m_hMenu, position);
            const UINT_PTR handle = reinterpret_cast<UINT_PTR>(hSub);
            record = FindUnmarkedRecord(handle);
            if (record == nullptr)
                record =
                    ModifyODMenuAt(position, (state & 0xEF) | MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP, handle, text);
            else if (!text.IsEmpty())
                record->m_text = text;
        }
        else if (state & MF_SEPARATOR)
        {
            record = FindUnmarkedRecord(0);
            if (record != nullptr)
                ::ModifyMenuW(m_hMenu, byPosition, MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW, 0,
                              reinterpret_cast<LPCWSTR>(record));
            else
                record = ModifyODMenuAt(position, state | MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW, 0, L"");
        }
        else
        {
            const UINT command = GetMenuItemID(position);
            const UINT flags = state | MF_BYPOSITION | MF_OWNERDRAW;
            record = FindUnmarkedRecord(command);
            if (record != nullptr)
            {
                record->m_flags = flags;
                if (!text.IsEmpty())
                    record->m_text = text;
                ::ModifyMenuW(m_hMenu, byPosition, flags, command, reinterpret_cast<LPCWSTR>(record));
            }
            else
            {
                record = ModifyODMenuAt(position, flags, command, text);
            }
        }
        inLine.Add(record);
    }
    DeleteUnmarkedRecords();
    m_menuItems.RemoveAll();
    for (INT_PTR i = 0; i < inLine.GetSize(); ++i)
        m_menuItems.Add(inLine[i]);
}
