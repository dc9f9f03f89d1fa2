// Tarnvel_Tray.exe: the notification-area companion of the main program, run from the user's Startup folder.
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "tray/logic/ProgramResourceIds.h"
#include "tray/logic/TrayMessages.h"
#include "tray/logic/TrayPlaces.h"
#include "tray/program/TrayProgram.h"

TrayState *g_pTray = nullptr;
BOOL g_autoBackupOff = FALSE;
BOOL g_removalRequested = FALSE;
HMODULE g_languageLibrary = nullptr;
HINSTANCE g_instance = nullptr;
wchar_t g_windowTitle[64] = {};

namespace
{

void LoadLanguageLibrary()
{
    wchar_t abbreviation[4] = {};
    if (!::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SABBREVLANGNAME, abbreviation, 4))
        abbreviation[0] = 0;
    const std::wstring path = LanguageLibraryPath(abbreviation);
    if (!path.empty())
        g_languageLibrary = ::LoadLibraryW(path.c_str());
}

void FreeLanguageLibrary()
{
    if (g_languageLibrary != nullptr)
        ::FreeLibrary(g_languageLibrary);
    g_languageLibrary = nullptr;
}

// Whatever way the program ends: first the removal from autostart (it may still want the library's place),
// then the library goes.
struct ProcessEnd
{
    ~ProcessEnd()
    {
        OnExitRemoveFromStartup();
        FreeLanguageLibrary();
    }
};

bool IsBlank(LPCWSTR text)
{
    for (; text != nullptr && *text != 0; ++text)
    {
        if (*text != L' ' && *text != L'\t')
            return false;
    }
    return true;
}

bool RunsAsStartupCopy()
{
    wchar_t own[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::wstring startup = StartupCopyPath();
    return length != 0 && length < MAX_PATH && !startup.empty() && ::lstrcmpiW(own, startup.c_str()) == 0;
}

int RunMessageLoop(HINSTANCE instance)
{
    HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_PROGRAM_ACCELERATORS));
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (accelerators == nullptr || !::TranslateAcceleratorW(msg.hwnd, accelerators, &msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

std::wstring LoadLanguageString(UINT id, int maxLength)
{
    if (g_languageLibrary == nullptr || maxLength <= 1)
        return std::wstring();
    std::wstring text(static_cast<size_t>(maxLength), L'\0');
    const int length = ::LoadStringW(g_languageLibrary, id, &text[0], maxLength);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    LoadLanguageLibrary();
    ProcessEnd atEnd;

    // The removal copy comes first: the tray program that started it ends only after it has started, with its
    // window still there, and the single-instance test would send the copy away without removing anything.
    if (!IsBlank(commandLine))
        return RunRemovalMode(commandLine);
    if (::FindWindowW(kTrayWindowClass, kProductTitle) != nullptr)
        return 0;
    if (!RunsAsStartupCopy())
        return 0;

    TrayState tray;
    g_pTray = &tray;
    g_autoBackupOff = !ReadAutoBackupSetting();
    ::LoadStringW(instance, IDS_PROGRAM_TITLE, g_windowTitle, _countof(g_windowTitle));

    int code = 0;
    RegisterTrayWindowClass(instance);
    if (CreateTrayWindow(instance))
        code = RunMessageLoop(instance);
    g_pTray = nullptr;
    return code;
}
