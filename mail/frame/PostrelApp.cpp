#include "mail/frame/PostrelApp.h"

const wchar_t g_szAddressBook[] = L"addressbook";
const wchar_t g_szCatalog[] = L"Catalog";
const wchar_t g_szContact[] = L"contact";
const wchar_t g_szMessage[] = L"message";

CPostrelApp::CPostrelApp() : CWinApp(nullptr)
{
}

BOOL CPostrelApp::InitInstance()
{
    CWinApp::InitInstance();
    return TRUE;
}

BEGIN_MESSAGE_MAP(CPostrelApp, CWinApp)
END_MESSAGE_MAP()
