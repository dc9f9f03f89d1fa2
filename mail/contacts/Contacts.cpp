// What backup and restore of contacts share: the contact manager, id texts and the index.
#include "mail/contacts/Contacts.h"

#include <shlobj.h>

#include <cwchar>

#include "mail/frame/BackupPath.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/storage/Storager.h"

Seam<PFN_PROFILE_FOLDER> g_pfnProfileFolder{&DefaultProfileFolder};

namespace
{

// The characters of an id text read (the terminator included).
constexpr DWORD kContactIdChars = 520;
constexpr int kGuidChars = 49;
constexpr int kFileNameChars = 99;
constexpr int kStreamNameChars = 30;

template <size_t N> void CopyField(wchar_t (&field)[N], const CString &text)
{
    wmemset(field, L'\0', N);
    wcsncpy(field, text, N - 1);
}

} // namespace

CString DefaultProfileFolder()
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(POSTREL_CALL(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, folder))))
        return CString();
    return folder;
}

CString ContactsFolder()
{
    const CString profile = g_pfnProfileFolder();
    return profile.IsEmpty() ? CString() : JoinPath(profile, L"Contacts");
}

HRESULT OpenContacts(CComPtr<IContactCollection> &collection)
{
    CComPtr<IContactManager> manager;
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, manager.CoCreateInstance(CLSID_ContactManager, IID_IContactManager, CLSCTX_ALL));
    POSTREL_STEP(hr, manager->Initialize(L"Postrel", L"1.0"));
    POSTREL_STEP(hr, manager->GetContactCollection(&collection));
    if (SUCCEEDED(hr) && !collection)
        hr = E_POINTER;
    return hr;
}

BOOL ReadContactId(IContact *pContact, CString &strId)
{
    wchar_t text[kContactIdChars] = {};
    DWORD needed = 0;
    if (FAILED(POSTREL_CALL(pContact->GetContactID(text, kContactIdChars, &needed))))
        return FALSE;
    text[kContactIdChars - 1] = L'\0';
    strId = text;
    return TRUE;
}

BOOL ParseContactId(const CString &strId, CONTACTINFO &record)
{
    const int open = strId.Find(L'"');
    const int close = open < 0 ? -1 : strId.Find(L'"', open + 1);
    const int last = strId.ReverseFind(L'"');
    const int slash = strId.ReverseFind(L'\\');
    if (close < 0 || last <= close || slash <= close || slash >= last)
        return FALSE;
    const CString guid = strId.Mid(open + 1, close - open - 1).Left(kGuidChars);
    const CString name = strId.Mid(slash + 1, last - slash - 1).Left(kFileNameChars);
    if (guid.IsEmpty() || name.IsEmpty())
        return FALSE;
    CopyField(record.szContactId, guid);
    CopyField(record.szFileName, name);
    return TRUE;
}

BOOL ListContactIds(IContactCollection *pCollection, CStringArray &ids)
{
    ids.RemoveAll();
    HRESULT hr = POSTREL_CALL(pCollection->Reset());
    while (SUCCEEDED(hr) && (hr = POSTREL_CALL(pCollection->Next())) == S_OK)
    {
        CComPtr<IContact> contact;
        CString text;
        hr = POSTREL_CALL(pCollection->GetCurrent(&contact));
        if (FAILED(hr) || !contact || !ReadContactId(contact, text))
            return FALSE;
        CONTACTINFO record;
        if (ParseContactId(text, record))
            ids.Add(record.szContactId);
        else
            DebugPrintf(POSTREL_TRACE, L"The contact id %s has no GUID.\n", text.GetString());
    }
    return SUCCEEDED(hr);
}

CString ContactStreamName(const wchar_t *pszGuid)
{
    return CString(pszGuid).Left(kStreamNameChars);
}

bool IsPlainFileName(const CString &strName)
{
    if (strName.IsEmpty() || strName.Compare(L".") == 0 || strName.Compare(L"..") == 0)
        return false;
    for (int i = 0; i < strName.GetLength(); ++i)
        if (strName[i] < 32 || wcschr(L"\\/:*?\"<>|", strName[i]) != nullptr)
            return false;
    return true;
}

BOOL ContactAssistant::Open(CStorager &storager, BOOL bCreate)
{
    m_records.clear();
    return storager.OpenStream(&m_stream, g_szContact, bCreate);
}

BOOL ContactAssistant::ReadAll()
{
    return m_stream && SUCCEEDED(ReadIndex(m_stream, m_records));
}

BOOL ContactAssistant::Append(const CONTACTINFO &record)
{
    if (!m_stream || FAILED(AppendIndexRecord(m_stream.p, record)))
        return FALSE;
    m_records.push_back(record);
    return TRUE;
}

BOOL ContactAssistant::Contains(const wchar_t *pszGuid) const
{
    for (const CONTACTINFO &record : m_records)
        if (_wcsicmp(record.szContactId, pszGuid) == 0)
            return TRUE;
    return FALSE;
}
