// Shared by the menu tests: both looks in one process, and drawing an item into a canvas.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"
#include "support/ImageSupport.h"
#include "ui/menu/BCMenu.h"

namespace menutest
{

inline int VersionXP()
{
    return WIN_VERSION_XP;
}
inline int VersionVista()
{
    return WIN_VERSION_NT_OTHER;
}
inline BOOL NotClassicTheme()
{
    return FALSE;
}
inline BOOL ClassicTheme()
{
    return TRUE;
}

// The look of themed Windows XP (flat) or of any other system (classic), for the life of the object.
class Look
{
  public:
    explicit Look(bool flat)
        : m_version(g_pfnWinVersionCode, flat ? &VersionXP : &VersionVista),
          m_classic(g_pfnIsClassicTheme, &NotClassicTheme)
    {
    }

  private:
    SeamOverride<PFN_WIN_VERSION_CODE> m_version;
    SeamOverride<PFN_IS_CLASSIC_THEME> m_classic;
};

// Draws the item of a record into the canvas at rect, as the menu loop would ask for it.
inline void DrawRecord(BCMenu &menu, BCMenuData *record, UINT state, testsupport::DibCanvas &canvas, const RECT &rect)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.itemID = static_cast<UINT>(record->m_command);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = reinterpret_cast<HWND>(menu.GetSafeHmenu());
    item.hDC = canvas.Dc();
    item.rcItem = rect;
    item.itemData = reinterpret_cast<ULONG_PTR>(record);
    menu.DrawItem(&item);
}

} // namespace menutest
