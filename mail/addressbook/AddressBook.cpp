// The way into the personal address book: the library, the book, its container and contents.
#include "mail/addressbook/AddressBook.h"

#include <shlobj.h>

#include "mail/addressbook/BookRows.h"
#include "mail/frame/BackupPath.h"
#include "mail/frame/Trace.h"

Seam<PFN_WAB32_PATH> g_pfnWab32Path{&DefaultWab32Path};

namespace
{

// The personal address book's own entry id, freed with the library object whatever comes of opening it.
class CBookEntryId
{
  public:
    explicit CBookEntryId(IWABObject *pWab) : m_wab(pWab)
    {
    }
    ~CBookEntryId()
    {
        if (m_id != nullptr)
            m_wab->FreeBuffer(m_id);
    }
    CBookEntryId(const CBookEntryId &) = delete;
    CBookEntryId &operator=(const CBookEntryId &) = delete;

    ULONG m_cb = 0;
    LPENTRYID m_id = nullptr;

  private:
    IWABObject *m_wab;
};

} // namespace

CString DefaultWab32Path()
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(POSTREL_CALL(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder))))
        return CString();
    return JoinPath(folder, L"Common Files\\System\\wab32.dll");
}

BOOL OpenAddressBook(CComPtr<IAddrBook> &book, CComPtr<IWABObject> &wab)
{
    const CString path = g_pfnWab32Path();
    HMODULE library = path.IsEmpty() ? nullptr : ::LoadLibraryW(path);
    if (library == nullptr)
    {
        DebugPrintf(POSTREL_TRACE, L"Unable to load wab32.dll.\n");
        return FALSE;
    }
    auto open = reinterpret_cast<LPWABOPEN>(reinterpret_cast<void *>(::GetProcAddress(library, "WABOpen")));
    if (open == nullptr)
    {
        DebugPrintf(POSTREL_TRACE, L"can not find WABOpen() function in wab32.dll\n");
        return FALSE;
    }
    WAB_PARAM param = {};
    param.cbSize = sizeof(param);
    return SUCCEEDED(POSTREL_CALL(open(&book, &wab, &param, 0))) && book && wab;
}

BOOL CAddressBook::Open()
{
    if (!OpenAddressBook(m_book, m_wab))
        return FALSE;
    CBookEntryId pab(m_wab);
    ULONG type = 0;
    CComPtr<IUnknown> entry;
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, m_book->GetPAB(&pab.m_cb, &pab.m_id));
    POSTREL_STEP(hr, m_book->OpenEntry(pab.m_cb, pab.m_id, nullptr, MAPI_BEST_ACCESS, &type, &entry));
    if (FAILED(hr) || !entry)
        return FALSE;
    if (type != MAPI_ABCONT)
    {
        DebugPrintf(POSTREL_TRACE, L"The personal address book is an object of type %lu.\n", type);
        return FALSE;
    }
    // An entry of type 4 is an address-book container; the book hands it out as such.
    m_container = reinterpret_cast<IABContainer *>(entry.p);
    return TRUE;
}

BOOL CAddressBook::QueryContents(CBookRows &rows)
{
    SizedSPropTagArray(3, columns) = {3, {PR_DISPLAY_NAME_W, PR_ENTRYID, PR_OBJECT_TYPE}};
    CComPtr<IMAPITable> table;
    HRESULT hr = POSTREL_CALL(m_container->GetContentsTable(0, &table));
    if (SUCCEEDED(hr) && table)
        hr = rows.QueryAll(table, reinterpret_cast<LPSPropTagArray>(&columns));
    return SUCCEEDED(hr) && table;
}

BOOL CAddressBook::OpenUser(const SBinary &entryId, CComPtr<IMailUser> &user)
{
    ULONG type = 0;
    CComPtr<IUnknown> entry;
    HRESULT hr = POSTREL_CALL(
        m_book->OpenEntry(entryId.cb, reinterpret_cast<LPENTRYID>(entryId.lpb), nullptr, 0, &type, &entry));
    if (FAILED(hr) || !entry || type != MAPI_MAILUSER)
        return FALSE;
    user = reinterpret_cast<IMailUser *>(entry.p);
    return TRUE;
}

BOOL CAddressBook::ReadUserTemplate(std::vector<BYTE> &templateId)
{
    SizedSPropTagArray(1, tags) = {1, {PR_DEF_CREATE_MAILUSER}};
    ULONG count = 0;
    LPSPropValue props = nullptr;
    HRESULT hr = POSTREL_CALL(m_container->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &props));
    const bool found = SUCCEEDED(hr) && props != nullptr && count == 1 &&
                       props[0].ulPropTag == PR_DEF_CREATE_MAILUSER && props[0].Value.bin.lpb != nullptr;
    if (found)
        templateId.assign(props[0].Value.bin.lpb, props[0].Value.bin.lpb + props[0].Value.bin.cb);
    if (props != nullptr)
        m_wab->FreeBuffer(props);
    return found;
}

BOOL CAddressBook::CreateUser(std::vector<BYTE> &templateId, CComPtr<IMailUser> &user)
{
    CComPtr<IMAPIProp> entry;
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, m_container->CreateEntry(static_cast<ULONG>(templateId.size()),
                                              reinterpret_cast<LPENTRYID>(templateId.data()), 0, &entry));
    POSTREL_STEP(hr, entry.QueryInterface(IID_IMailUser, &user));
    return SUCCEEDED(hr) && user;
}

CString BookRowName(const SRow &row)
{
    if (row.cValues <= BOOK_COLUMN_NAME || row.lpProps == nullptr)
        return CString();
    const SPropValue &name = row.lpProps[BOOK_COLUMN_NAME];
    return name.ulPropTag == PR_DISPLAY_NAME_W && name.Value.lpszW != nullptr ? CString(name.Value.lpszW) : CString();
}

ULONG BookRowType(const SRow &row)
{
    if (row.cValues <= BOOK_COLUMN_TYPE || row.lpProps == nullptr)
        return 0;
    const SPropValue &type = row.lpProps[BOOK_COLUMN_TYPE];
    return type.ulPropTag == PR_OBJECT_TYPE ? static_cast<ULONG>(type.Value.l) : 0;
}
