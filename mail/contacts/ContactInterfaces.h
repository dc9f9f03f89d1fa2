// Windows Contacts as the platform offers it: the contact manager, its collection of the user's contacts and
// each contact, which saves itself through IPersistStreamInit as the bytes of its contact file.
//
// A contact's id text is /GUID:"{guid}" /PATH:"<full path of its file>". The collection starts before its
// first contact: Next moves on (S_FALSE after the last) and GetCurrent hands out the contact there.
#pragma once
#include <objbase.h>
#include <windows.h>

constexpr CLSID CLSID_ContactManager = {0x7165C8AB, 0xAF88, 0x42BD, {0x86, 0xFD, 0x53, 0x10, 0xB4, 0x28, 0x5A, 0x02}};
constexpr IID IID_IContactManager = {0xAD553D98, 0xDEB1, 0x474A, {0x8E, 0x17, 0xFC, 0x0C, 0x20, 0x75, 0xB7, 0x38}};
constexpr IID IID_IContactCollection = {0xB6AFA338, 0xD779, 0x11D9, {0x8B, 0xDE, 0xF6, 0x6B, 0xAD, 0x1E, 0x3F, 0x3A}};
constexpr IID IID_IContact = {0xF941B671, 0xBDA7, 0x4F77, {0x88, 0x4A, 0xF4, 0x64, 0x62, 0xF2, 0x26, 0xA7}};

struct IContact : public IUnknown
{
    // The id text into a buffer of cch characters; with a short buffer the needed length (terminator
    // included) and HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER).
    virtual HRESULT STDMETHODCALLTYPE GetContactID(LPWSTR pszContactID, DWORD cchContactID,
                                                   DWORD *pdwcchContactIDRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPath(LPWSTR pszPath, DWORD cchPath, DWORD *pdwcchPathRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitChanges(DWORD dwCommitFlags) = 0;
};

struct IContactCollection : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Next() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrent(IContact **ppContact) = 0;
};

struct IContactManager : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR pszAppName, LPCWSTR pszAppVersion) = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(LPCWSTR pszContactID, IContact **ppContact) = 0;
    virtual HRESULT STDMETHODCALLTYPE MergeContactIDs(LPCWSTR pszNewContactID, LPCWSTR pszOldContactID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMeContact(IContact **ppMeContact) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMeContact(IContact *pMeContact) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContactCollection(IContactCollection **ppContactCollection) = 0;
};
