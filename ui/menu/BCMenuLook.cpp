// BCMenu: which look applies on this system, colours, and measuring the items.
#include "ui/menu/BCMenu.h"

#include "platform/system/Handles.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"
#include "ui/menu/MenuGeometry.h"

namespace
{

// The look on themed Windows XP and the look elsewhere.
enum : int
{
    MENU_LOOK_CLASSIC = 0,
    MENU_LOOK_FLAT = 1,
};
const int kThemedXPLook = MENU_LOOK_FLAT;
const int kOtherLook = MENU_LOOK_CLASSIC;

int SystemWinVersionCode()
{
    static const int code = []() -> int {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        if (!::GetVersionExW(&version))
            return (::GetVersion() & 0x80000000u) != 0 ? WIN_VERSION_95 : WIN_VERSION_NT_OTHER;
        return WinVersionCodeOf(version);
    }();
    return code;
}

bool EndsWithNoCase(const CString &text, LPCWSTR suffix)
{
    const int length = ::lstrlenW(suffix);
    return text.GetLength() >= length && text.Right(length).CompareNoCase(suffix) == 0;
}

BOOL SystemIsClassicTheme()
{
    static const BOOL classic = [] {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Plus!\\Themes\\Current", 0, KEY_READ, &opened) !=
            ERROR_SUCCESS)
            return FALSE;
        CRegKeyOwner key(opened);
        wchar_t value[MAX_PATH + 1] = {};
        DWORD type = 0;
        DWORD bytes = MAX_PATH * sizeof(wchar_t);
        if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(value), &bytes) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return FALSE;
        // The stored value need not carry its terminator.
        value[bytes / sizeof(wchar_t)] = L'\0';
        return EndsWithNoCase(CString(value), L"Windows Classic.theme") ? TRUE : FALSE;
    }();
    return classic;
}

} // namespace

Seam<PFN_WIN_VERSION_CODE> g_pfnWinVersionCode{&SystemWinVersionCode};
Seam<PFN_IS_CLASSIC_THEME> g_pfnIsClassicTheme{&SystemIsClassicTheme};

int WinVersionCodeOf(const OSVERSIONINFOW &version)
{
    const DWORD major = version.dwMajorVersion;
    const DWORD minor = version.dwMinorVersion;
    if (version.dwPlatformId == VER_PLATFORM_WIN32s || major < 4)
        return WIN_VERSION_OLD;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
    {
        if (major == 4 && minor == 10)
            return WIN_VERSION_98;
        if (major == 4 && minor == 90)
            return WIN_VERSION_ME;
        return WIN_VERSION_95;
    }
    if (major == 4 && minor == 0)
        return WIN_VERSION_NT4;
    if (major == 5 && minor == 0)
        return WIN_VERSION_2000;
    if (major == 5 && minor == 1)
        return WIN_VERSION_XP;
    return WIN_VERSION_NT_OTHER;
}

int GetWinVersionCode()
{
    return g_pfnWinVersionCode();
}

BOOL BCMenu::IsClassicTheme()
{
    return g_pfnIsClassicTheme();
}

bool BCMenu::IsThemedXP()
{
    return GetWinVersionCode() == WIN_VERSION_XP && !IsClassicTheme();
}

bool BCMenu::UsesFlatLook()
{
    return (IsThemedXP() ? kThemedXPLook : kOtherLook) == MENU_LOOK_FLAT;
}

COLORREF BCMenu::LightenColor(COLORREF colour, double factor)
{
    if (!(factor > 0.0 && factor <= 1.0))
        return colour;
    auto lighten = [factor](BYTE channel) {
        return static_cast<BYTE>(static_cast<int>(channel + (255 - channel) * factor));
    };
    return RGB(lighten(GetRValue(colour)), lighten(GetGValue(colour)), lighten(GetBValue(colour)));
}

void BCMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMIS)
{
    if (lpMIS == nullptr || lpMIS->CtlType != ODT_MENU)
        return;
    auto *record = reinterpret_cast<BCMenuData *>(lpMIS->itemData);
    if (record == nullptr)
        return;
    const int extra = IsThemedXP() ? 7 : 4;
    const int cyMenu = ::GetSystemMetrics(SM_CYMENU);
    if (record->m_flags & MF_SEPARATOR)
    {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight = static_cast<UINT>(menugeometry::SeparatorHeight(cyMenu, m_iconY, extra));
        return;
    }
    int textWidth = 0;
    const int version = GetWinVersionCode();
    if (version != WIN_VERSION_OLD)
    {
        CWnd *main = AfxGetMainWnd();
        HWND window = main != nullptr && main->GetSafeHwnd() != nullptr ? main->GetSafeHwnd() : ::GetDesktopWindow();
        CWindowDCOwner dc(window);
        CFont font;
        if (dc.IsValid())
        {
            CSelectObjectGuard selected(dc.Get(), nullptr);
            if (version >= WIN_VERSION_95 && CreateMenuFont(font))
                selected.Select(font.GetSafeHandle());
            SIZE size = {0, 0};
            ::GetTextExtentPoint32W(dc.Get(), record->m_text, record->m_text.GetLength(), &size);
            textWidth = size.cx;
        }
    }
    const CSize size = menugeometry::ItemSize(textWidth, cyMenu, m_iconX, m_iconY, extra, UsesFlatLook());
    lpMIS->itemWidth = static_cast<UINT>(size.cx);
    lpMIS->itemHeight = static_cast<UINT>(size.cy);
}
