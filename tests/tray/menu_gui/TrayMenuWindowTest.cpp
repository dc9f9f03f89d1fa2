// The tray menu as the tray program shows it: menu 143 of the built English language library, its drive popups
// filled with injected drives, and the check mark of the automatic backup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/Phrasel/PhraselIds.h"
#include "support/TestSupport.h"
#include "tray/logic/TrayDrives.h"

namespace
{

std::wstring TextAt(HMENU menu, UINT position)
{
    wchar_t text[512] = {};
    GetMenuStringW(menu, position, text, 511, MF_BYPOSITION);
    return text;
}

class TrayMenuWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(m_library, nullptr);
        ASSERT_NE(m_menu, nullptr);
        ASSERT_NE(m_submenu, nullptr);
    }
    void TearDown() override
    {
        DestroyMenu(m_menu);
        FreeLibrary(m_library);
    }

    // The item as the user meets it: "<text>: <id> <text> ..." for a popup, "<text> <id>" (and " disabled")
    // for a plain item.
    std::wstring Describe(UINT position) const
    {
        std::wstring description = TextAt(m_submenu, position);
        if (HMENU popup = GetSubMenu(m_submenu, static_cast<int>(position)))
        {
            description += L":";
            for (int i = 0; i < GetMenuItemCount(popup); ++i)
                description += L" " + std::to_wstring(GetMenuItemID(popup, i)) + L" " + TextAt(popup, i);
        }
        else
        {
            description += L" " + std::to_wstring(GetMenuItemID(m_submenu, static_cast<int>(position)));
        }
        if (GetMenuState(m_submenu, position, MF_BYPOSITION) & MF_DISABLED)
            description += L" disabled";
        return description;
    }

    HMODULE m_library = LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str());
    HMENU m_menu = LoadMenuW(m_library, MAKEINTRESOURCEW(IDR_TRAY_MENU));
    HMENU m_submenu = GetSubMenu(m_menu, 1);
};

} // namespace

TEST_F(TrayMenuWindow, TheDrivePopupsFollowTheDrives)
{
    const std::vector<std::wstring> drives = {L"e:\\", L"g:\\"};
    const struct
    {
        std::vector<std::wstring> drives;
        std::wstring atZero;
        std::wstring atThree;
    } rounds[] = {
        {drives, L"Back up &from: 3004 e:\\ 3006 g:\\", L"&Open from: 2004 e:\\ 2006 g:\\"},
        {{}, L"Back up &from 0 disabled", L"&Open from 0 disabled"},
        {drives, L"Back up &from: 3004 e:\\ 3006 g:\\", L"&Open from: 2004 e:\\ 2006 g:\\"},
    };
    for (const auto &round : rounds)
    {
        FillDriveSubmenu(round.drives, m_submenu, 0);
        FillDriveSubmenu(round.drives, m_submenu, 3);
        EXPECT_EQ(Describe(0), round.atZero);
        EXPECT_EQ(Describe(3), round.atThree);
        EXPECT_EQ(Describe(1), L"&Back up now 32843");
    }
}

TEST_F(TrayMenuWindow, TheCheckMarkFollowsTheSetting)
{
    for (BOOL off : {TRUE, FALSE, TRUE})
    {
        SetAutoBackupCheck(m_menu, off);
        const UINT state = GetMenuState(m_menu, ID_TRAY_DISABLE_AUTO_BACKUP, MF_BYCOMMAND);
        EXPECT_EQ((state & MF_CHECKED) != 0, off != FALSE);
    }
}
