// The owner-drawn menu: loading a template, its records, the accelerator column, mnemonics, keeping the records
// in line with the system menu, destroying, measuring, damaged templates and the version codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "MenuTestIds.h"
#include "MenuTestSupport.h"
#include "platform/system/Handles.h"
#include "ui/menu/MenuGeometry.h"

using namespace menutest;

namespace
{

BCMenu *SubMenuOf(BCMenu &menu, int position)
{
    return dynamic_cast<BCMenu *>(CMenu::FromHandlePermanent(::GetSubMenu(menu.GetSafeHmenu(), position)));
}

UINT SystemType(HMENU menu, int position, ULONG_PTR *data = nullptr)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    EXPECT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
    if (data != nullptr)
        *data = info.dwItemData;
    return info.fType;
}

// The text's width on the desktop's DC, in the menu font or in the DC's own font.
int TextWidth(const CString &text, bool menuFont = true)
{
    CFont font;
    EXPECT_TRUE(CreateMenuFont(font));
    CWindowDCOwner dc(::GetDesktopWindow());
    CSelectObjectGuard selected(dc.Get(), menuFont ? font.GetSafeHandle() : nullptr);
    SIZE size = {};
    ::GetTextExtentPoint32W(dc.Get(), text, text.GetLength(), &size);
    return size.cx;
}

class OwnerMenu : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_menu.LoadMenu(IDR_TEST_MENU));
        m_file = SubMenuOf(m_menu, 0);
        ASSERT_NE(m_file, nullptr);
    }

    Look m_look{false};
    BCMenu m_menu;
    BCMenu *m_file = nullptr;
};

} // namespace

TEST_F(OwnerMenu, TopLevelStaysPlainWhileThePopupsAreOwnerDrawn)
{
    // The menu bar: plain strings, the popups keeping their sub-menus.
    struct TopItem
    {
        LPCWSTR text;
        UINT flags;
        bool popup;
    };
    const TopItem top[] = {{L"&File", 0x410, true}, {L"&Help", 0x410, true}, {L"&Quit", 0x400, false}};
    ASSERT_EQ(m_menu.m_menuItems.GetSize(), 3);
    ASSERT_EQ(m_menu.GetMenuItemCount(), 3);
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        BCMenuData *record = m_menu.m_menuItems[i];
        EXPECT_EQ(record->m_text, top[i].text);
        EXPECT_EQ(record->m_flags, top[i].flags);
        EXPECT_EQ(SystemType(m_menu.GetSafeHmenu(), i) & MFT_OWNERDRAW, 0u);
        EXPECT_EQ(::GetSubMenu(m_menu.GetSafeHmenu(), i) != nullptr, top[i].popup);
        CString text;
        m_menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        EXPECT_EQ(text, top[i].text);
    }
    EXPECT_EQ(m_menu.m_menuItems[2]->m_command, static_cast<UINT_PTR>(ID_TEST_QUIT));

    // Every item of a popup is owner-drawn and carries its record.
    struct FileItem
    {
        UINT_PTR command; // 0: separator, 1: the popup
        UINT flags;
    };
    const FileItem file[] = {{ID_TEST_NEW, 0x100},
                             {ID_TEST_OPEN, 0x100},
                             {ID_TEST_SAVE_AS, 0x100},
                             {0, 0x900},
                             {1, 0x110},
                             {ID_TEST_TWO_TABS, 0x100},
                             {0, 0x900},
                             {ID_TEST_EXIT, 0x100}};
    ASSERT_EQ(m_file->m_menuItems.GetSize(), 8);
    ASSERT_EQ(m_file->GetMenuItemCount(), 8);
    for (int i = 0; i < 8; ++i)
    {
        SCOPED_TRACE(i);
        BCMenuData *record = m_file->m_menuItems[i];
        ULONG_PTR data = 0;
        EXPECT_NE(SystemType(m_file->GetSafeHmenu(), i, &data) & MFT_OWNERDRAW, 0u);
        EXPECT_EQ(data, reinterpret_cast<ULONG_PTR>(record));
        EXPECT_EQ(record->m_flags, file[i].flags);
        if (file[i].command == 1)
        {
            HMENU recent = ::GetSubMenu(m_file->GetSafeHmenu(), i);
            EXPECT_EQ(record->m_command, reinterpret_cast<UINT_PTR>(recent));
            EXPECT_TRUE(BCMenu::IsMenuHandle(recent));
            EXPECT_EQ(record->m_text, L"&Recent");
        }
        else
        {
            EXPECT_EQ(record->m_command, file[i].command);
        }
    }
    EXPECT_EQ(m_file->m_menuItems[7]->m_text, L"E&xit");
    BCMenu *recent = SubMenuOf(*m_file, 4);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->m_menuItems.GetSize(), 2);
    EXPECT_TRUE(BCMenu::IsMenu(m_file));
    EXPECT_TRUE(BCMenu::IsMenu(recent));
}

TEST_F(OwnerMenu, AcceleratorColumnIsPaddedInTheMenuFont)
{
    // The widest part before a TAB among the template's texts, with one space.
    int widest = 0;
    for (LPCWSTR text : {L"&New", L"Open", L"Save &As...", L"", L"&Recent", L"Both", L"", L"E&xit"})
        widest = std::max(widest, TextWidth(CString(text) + L" "));

    struct Padded
    {
        int position;
        LPCWSTR original;
        LPCWSTR after;
    };
    const Padded padded[] = {
        {1, L"Open", L"\tCtrl+O"}, {2, L"Save &As...", L"\tCtrl+Shift+S"}, {5, L"Both", L"\tone\ttwo"}};
    for (const Padded &item : padded)
    {
        SCOPED_TRACE(item.original);
        const CString text = m_file->m_menuItems[item.position]->m_text;
        const int tab = text.Find(L'\t');
        ASSERT_GT(tab, 0);
        EXPECT_EQ(text.Mid(tab), item.after);
        const CString left = text.Left(tab);
        EXPECT_EQ(left.Left(::lstrlenW(item.original)), item.original);
        EXPECT_EQ(left.Mid(::lstrlenW(item.original)).SpanIncluding(L" "), left.Mid(::lstrlenW(item.original)));
        // Padded as far as needed and no further.
        EXPECT_GE(TextWidth(left), widest);
        if (left.GetLength() > ::lstrlenW(item.original))
        {
            EXPECT_LT(TextWidth(left.Left(left.GetLength() - 1)), widest);
        }
    }
    // Texts without a TAB stay as they were.
    EXPECT_EQ(m_file->m_menuItems[0]->m_text, L"&New");
    EXPECT_EQ(m_file->m_menuItems[7]->m_text, L"E&xit");
}

TEST(OwnerMenuPadding, StopsWhenASpaceAddsNoWidth)
{
    // A measure in which spaces weigh nothing would otherwise pad for ever.
    int calls = 0;
    const CString padded = menugeometry::PadBeforeTab(L"Open\tCtrl+O", 500, [&calls](const CString &text) {
        ++calls;
        return text.SpanExcluding(L" ").GetLength() * 7;
    });
    EXPECT_EQ(padded, L"Open\tCtrl+O");
    EXPECT_LE(calls, 3);
    EXPECT_EQ(menugeometry::PadBeforeTab(L"No tab", 500, [](const CString &) { return 0; }), L"No tab");
}

TEST_F(OwnerMenu, MenuCharExecutesTheItemOfTheMnemonic)
{
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    plain.AppendMenu(MF_STRING, ID_TEST_EXIT, L"E&xit");
    struct Case
    {
        UINT typed;
        UINT flags;
        CMenu *menu;
        LRESULT expected;
    };
    const Case cases[] = {
        {'X', MF_POPUP, m_file, 7 | 0x20000}, {'x', MF_POPUP, m_file, 7 | 0x20000},
        {'N', MF_POPUP, m_file, 0 | 0x20000}, {'r', MF_POPUP, m_file, 4 | 0x20000},
        {'a', MF_POPUP, m_file, 2 | 0x20000}, {'X', 0, m_file, 0},
        {'Z', MF_POPUP, m_file, 0},           {'X', MF_POPUP, &plain, 0},
        {'X', MF_POPUP, nullptr, 0},          {'F', MF_POPUP, &m_menu, 0 | 0x20000},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << static_cast<char>(c.typed) << " flags " << c.flags);
        EXPECT_EQ(BCMenu::FindKeyboardShortcut(c.typed, c.flags, c.menu), c.expected);
    }
}

TEST_F(OwnerMenu, SynchronizeAfterAppendAndRemoveFollowsTheSystemMenu)
{
    BCMenuData *open = m_file->m_menuItems[1];
    BCMenuData *exitRecord = m_file->m_menuItems[7];
    BCMenuData *removed = m_file->m_menuItems[0];
    ASSERT_TRUE(m_file->AppendMenu(MF_STRING, 150, L"Added"));
    ASSERT_TRUE(m_file->RemoveMenu(ID_TEST_NEW, MF_BYCOMMAND));
    m_file->SynchronizeMenu();

    ASSERT_EQ(m_file->GetMenuItemCount(), 8);
    ASSERT_EQ(m_file->m_menuItems.GetSize(), 8);
    EXPECT_EQ(m_file->m_menuItems[0], open);
    EXPECT_EQ(m_file->m_menuItems[6], exitRecord);
    for (INT_PTR i = 0; i < m_file->m_menuItems.GetSize(); ++i)
        EXPECT_NE(m_file->m_menuItems[i], removed);
    BCMenuData *added = m_file->m_menuItems[7];
    EXPECT_EQ(added->m_text, L"Added");
    EXPECT_EQ(added->m_command, 150u);
    EXPECT_EQ(added->m_flags & (MF_OWNERDRAW | MF_BYPOSITION), static_cast<UINT>(MF_OWNERDRAW | MF_BYPOSITION));
    // Every item is owner-drawn again, with its record.
    for (int i = 0; i < 8; ++i)
    {
        ULONG_PTR data = 0;
        EXPECT_NE(SystemType(m_file->GetSafeHmenu(), i, &data) & MFT_OWNERDRAW, 0u) << i;
        EXPECT_EQ(data, reinterpret_cast<ULONG_PTR>(m_file->m_menuItems[i])) << i;
    }
    // The mnemonic search reads the records in their new order.
    EXPECT_EQ(BCMenu::FindKeyboardShortcut('x', MF_POPUP, m_file), 6 | 0x20000);
}

TEST_F(OwnerMenu, MenuCharBringsTheRecordsInLineFirst)
{
    ASSERT_TRUE(m_file->AppendMenu(MF_STRING, 151, L"&Zoom"));
    EXPECT_EQ(BCMenu::FindKeyboardShortcut('z', MF_POPUP, m_file), 8 | 0x20000);
    EXPECT_EQ(m_file->m_menuItems.GetSize(), 9);
}

TEST_F(OwnerMenu, DestroyMenuEmptiesTheGlobalList)
{
    std::vector<HMENU> subMenus = {::GetSubMenu(m_menu.GetSafeHmenu(), 0), ::GetSubMenu(m_menu.GetSafeHmenu(), 1),
                                   ::GetSubMenu(m_file->GetSafeHmenu(), 4)};
    for (HMENU sub : subMenus)
        EXPECT_TRUE(BCMenu::IsMenuHandle(sub));
    EXPECT_TRUE(m_menu.DestroyMenu());
    for (HMENU sub : subMenus)
    {
        EXPECT_FALSE(BCMenu::IsMenuHandle(sub));
        EXPECT_EQ(CMenu::FromHandlePermanent(sub), nullptr);
        EXPECT_FALSE(::IsMenu(sub));
    }
    EXPECT_EQ(m_menu.GetSafeHmenu(), nullptr);
    EXPECT_EQ(m_menu.m_menuItems.GetSize(), 0);
    EXPECT_EQ(m_menu.m_subMenus.GetSize(), 0);

    // The destructor of a loaded menu does the same.
    auto loaded = std::make_unique<BCMenu>();
    ASSERT_TRUE(loaded->LoadMenu(IDR_TEST_MENU));
    HMENU help = ::GetSubMenu(loaded->GetSafeHmenu(), 1);
    EXPECT_TRUE(BCMenu::IsMenuHandle(help));
    loaded.reset();
    EXPECT_FALSE(BCMenu::IsMenuHandle(help));
    EXPECT_FALSE(::IsMenu(help));
}

TEST(OwnerMenuTemplates, DamagedOrMissingTemplatesAreNeverReadPastTheirEnd)
{
    struct Case
    {
        LPCWSTR what;
        UINT id;
        BOOL loads;
        int topItems;
    };
    const Case cases[] = {
        {L"missing", 9999, FALSE, 0},
        {L"header pointing past the end", IDR_BAD_HEADER_MENU, FALSE, 0},
        {L"text without its terminator", IDR_UNTERMINATED_MENU, TRUE, 0},
        {L"cut inside an item", IDR_TRUNCATED_MENU, TRUE, 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        BCMenu menu;
        EXPECT_EQ(menu.LoadMenu(c.id), c.loads);
        EXPECT_EQ(menu.GetSafeHmenu() != nullptr, c.loads != FALSE);
        if (!c.loads)
            continue;
        EXPECT_EQ(menu.GetMenuItemCount(), c.topItems);
        EXPECT_EQ(menu.m_menuItems.GetSize(), c.topItems);
    }
    // The item cut short is dropped; its popup stays, empty.
    BCMenu truncated;
    ASSERT_TRUE(truncated.LoadMenu(IDR_TRUNCATED_MENU));
    BCMenu *popup = SubMenuOf(truncated, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 0);
    EXPECT_EQ(truncated.m_menuItems[0]->m_text, L"F");
}

TEST_F(OwnerMenu, MeasuresItemsInEitherLook)
{
    const int cyMenu = ::GetSystemMetrics(SM_CYMENU);
    struct Case
    {
        bool flat;
        int extra;
    };
    for (const Case &c : {Case{false, 4}, Case{true, 7}})
    {
        SCOPED_TRACE(c.flat ? "flat" : "classic");
        Look look(c.flat);
        MEASUREITEMSTRUCT separator = {ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(m_file->m_menuItems[3])};
        m_file->MeasureItem(&separator);
        EXPECT_EQ(separator.itemWidth, 0u);
        EXPECT_EQ(static_cast<int>(separator.itemHeight), std::max(cyMenu / 2, (15 + c.extra) / 2));

        BCMenuData *exitRecord = m_file->m_menuItems[7];
        MEASUREITEMSTRUCT item = {ODT_MENU, 0, ID_TEST_EXIT, 0, 0, reinterpret_cast<ULONG_PTR>(exitRecord)};
        m_file->MeasureItem(&item);
        // Only version codes of 2 and above (the 9x family, NT 4 to XP) measure in the menu font.
        const int text = TextWidth(exitRecord->m_text, c.flat);
        EXPECT_EQ(static_cast<int>(item.itemWidth), c.flat ? text + 16 + 7 + 8 : text + 2 * 16 + 1);
        EXPECT_EQ(static_cast<int>(item.itemHeight), std::max(cyMenu, 15 + c.extra));
    }
}

TEST(OwnerMenuVersion, CodeOfEachVersionRecord)
{
    struct Case
    {
        DWORD platform;
        DWORD major;
        DWORD minor;
        int code;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, WIN_VERSION_OLD},        {VER_PLATFORM_WIN32_WINDOWS, 3, 95, WIN_VERSION_OLD},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, WIN_VERSION_95},   {VER_PLATFORM_WIN32_WINDOWS, 4, 3, WIN_VERSION_95},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, WIN_VERSION_98},  {VER_PLATFORM_WIN32_WINDOWS, 4, 90, WIN_VERSION_ME},
        {VER_PLATFORM_WIN32_NT, 3, 51, WIN_VERSION_OLD},      {VER_PLATFORM_WIN32_NT, 4, 0, WIN_VERSION_NT4},
        {VER_PLATFORM_WIN32_NT, 5, 0, WIN_VERSION_2000},      {VER_PLATFORM_WIN32_NT, 5, 1, WIN_VERSION_XP},
        {VER_PLATFORM_WIN32_NT, 5, 2, WIN_VERSION_NT_OTHER},  {VER_PLATFORM_WIN32_NT, 6, 1, WIN_VERSION_NT_OTHER},
        {VER_PLATFORM_WIN32_NT, 10, 0, WIN_VERSION_NT_OTHER},
    };
    for (const Case &c : cases)
    {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        EXPECT_EQ(WinVersionCodeOf(version), c.code) << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST(OwnerMenuVersion, TheRunningSystemAndTheOverride)
{
    // Wine reports Windows 7 (6.1): an NT that is neither 4.0, 5.0 nor 5.1.
    EXPECT_EQ(GetWinVersionCode(), WIN_VERSION_NT_OTHER);
    EXPECT_FALSE(BCMenu::UsesFlatLook());
    {
        Look flat(true);
        EXPECT_EQ(GetWinVersionCode(), WIN_VERSION_XP);
        EXPECT_TRUE(BCMenu::IsThemedXP());
        EXPECT_TRUE(BCMenu::UsesFlatLook());
        SeamOverride<PFN_IS_CLASSIC_THEME> classic(g_pfnIsClassicTheme, &ClassicTheme);
        EXPECT_FALSE(BCMenu::UsesFlatLook());
    }
    EXPECT_EQ(GetWinVersionCode(), WIN_VERSION_NT_OTHER);
}
