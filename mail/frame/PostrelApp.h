// The library's application object and the names of the storages and streams in its backup files.
#pragma once
#include "platform/windows/WinApp.h"

class CPostrelApp : public CWinApp
{
  public:
    CPostrelApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// Storage and stream names of the backup files.
extern const wchar_t g_szAddressBook[]; // "addressbook"
extern const wchar_t g_szCatalog[];     // "Catalog"
extern const wchar_t g_szContact[];     // "contact"
extern const wchar_t g_szMessage[];     // "message"
