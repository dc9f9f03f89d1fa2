// The tray program's process-wide state and the functions its window, its commands and its start share.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tray/logic/TrayBalloons.h"

// The notification-area icon of the tray window and its balloons.
class CTrayIcon : public ITrayBalloonSink
{
  public:
    CTrayIcon();
    // Adds the icon of the window; the platform's result.
    BOOL Add(HWND window, HICON icon);
    void Remove();
    void ShowBalloon(const std::wstring &text) override;
    void HideBalloon() override;

  private:
    NOTIFYICONDATAW m_data;
};

// The tray record: one, alive from the window's creation until the message loop ends.
struct TrayState
{
    TrayState();
    TrayState(const TrayState &) = delete;
    TrayState &operator=(const TrayState &) = delete;
    ~TrayState();

    WORD menuResource;
    HWND window = nullptr;
    // The context menu, loaded at its first showing and kept until the program ends.
    HMENU menu = nullptr;
    CTrayIcon icon;
    CTrayBalloons balloons;
};

extern TrayState *g_pTray;
// Set at start from the settings file, switched by the menu.
extern BOOL g_autoBackupOff;
// Set by the exit command and by a Yes to the removal question: the Startup copy goes when the program ends.
extern BOOL g_removalRequested;
// Null when no language library could be loaded: no menu and empty texts then.
extern HMODULE g_languageLibrary;
extern HINSTANCE g_instance;
// String 103 of the own resources.
extern wchar_t g_windowTitle[64];

// A string of the language library, at most maxLength - 1 characters; empty without the library.
std::wstring LoadLanguageString(UINT id, int maxLength);

BOOL RegisterTrayWindowClass(HINSTANCE instance);
// Makes the hidden tray window and adds its icon; FALSE when the window could not be made.
BOOL CreateTrayWindow(HINSTANCE instance);
// A menu command; FALSE when it is none of the tray program's.
BOOL OnTrayCommand(UINT id);

// The removal mode: waits until the process whose handle the arguments carry has ended, then deletes the
// Startup copy. Returns the program's exit code.
int RunRemovalMode(LPCWSTR arguments);
// At the end of the program: when the removal was asked for, starts a removal copy that deletes the Startup
// copy once this process has gone.
void OnExitRemoveFromStartup();
