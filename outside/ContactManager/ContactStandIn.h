// Test stand-in for the contact manager of Windows Contacts (class CLSID_ContactManager), never shipped. Tests
// register its class factory with CoRegisterClassObject; the library then creates it as it would create the
// platform's.
//
// The collection is a snapshot, taken by GetContactCollection, of the "*.contact" files of the profile
// folder's "Contacts", in name order. A contact's GUID is its file's first line "ContactID={guid}"; its id text
// is /GUID:"{guid}" /PATH:"<full path>", or the bare path for a file without that line. A contact saves
// itself (IPersistStreamInit::Save) as its file's bytes.
#pragma once
#include <objbase.h>
#include <windows.h>

#include <string>

namespace contactstandin
{

// The profile folder whose "Contacts" the manager lists.
void SetProfile(const std::wstring &folder);
// Forgets the folder, the scripted failures and the call counts.
void Reset();
// Makes calls fail with hr: "Initialize", "GetContactCollection" and "Save" on their which-th call (from 1)
// since the last Reset, a failing Save writing the file's bytes and a longer tail first; "Persist": the
// which-th contact handed out has no IPersistStreamInit.
void ScriptFailure(const std::wstring &call, DWORD which, HRESULT hr);
// The class factory (one for the process; it is never freed).
IClassFactory *ClassFactory();

} // namespace contactstandin
