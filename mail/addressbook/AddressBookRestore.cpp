#include <objbase.h>

#include "mail/addressbook/AddressAssistant.h"
#include "mail/addressbook/AddressBook.h"
#include "mail/addressbook/BookRows.h"
#include "mail/addressbook/MailUser.h"
#include "mail/frame/BackupPath.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/storage/Storager.h"

namespace
{

bool BookHasName(const CBookRows &rows, const wchar_t *pszName)
{
    for (size_t i = 0; i < rows.GetCount(); ++i)
        if (SameIndexName(BookRowName(rows[i]), pszName))
            return true;
    return false;
}

BOOL RestoreUser(CAddressBook &book, std::vector<BYTE> &templateId, const ADDRESSINFO &record, CStorager &storager)
{
    CString name;
    name.Format(L"%u", record.dwId);
    CComPtr<IStream> stream;
    if (!storager.OpenStream(&stream, name, FALSE))
    {
        DebugPrintf(POSTREL_TRACE, L"Can not read stream: %s.\n", name.GetString());
        return FALSE;
    }
    CComPtr<IMailUser> user;
    return book.CreateUser(templateId, user) && MailUser(user, book.Wab()).Load(stream);
}

} // namespace

BOOL RestoreAddressBook(LPCWSTR pszPath)
{
    if (!FileExists(pszPath))
    {
        DebugPrintf(POSTREL_TRACE, L"Invalid file path\n");
        return FALSE;
    }
    if (POSTREL_CALL(::StgIsStorageFile(pszPath)) != S_OK)
    {
        DebugPrintf(POSTREL_TRACE, L"The file is not a storage file.\n");
        return FALSE;
    }
    CAddressBook book;
    std::vector<BYTE> templateId;
    if (!book.Open() || !book.ReadUserTemplate(templateId))
        return FALSE;

    // Only read: a restore never changes the backup, which may lie on write-protected media.
    CStorager storager;
    AddressAssistant index;
    if (!storager.Open(pszPath, FALSE, TRUE) || !storager.OpenStorage(g_szAddressBook) ||
        !index.Open(storager, FALSE) || !index.ReadAll())
    {
        DebugPrintf(POSTREL_TRACE, L"Can not read the address book of %s\n", pszPath);
        return FALSE;
    }
    CBookRows rows(book.Wab());
    if (!book.QueryContents(rows))
        return FALSE;

    BOOL result = TRUE;
    for (const ADDRESSINFO &record : index.Records())
    {
        if (BookHasName(rows, record.szDisplayName))
            continue;
        if (!RestoreUser(book, templateId, record, storager))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not restore the user %s\n", record.szDisplayName);
            result = FALSE;
        }
    }
    return result;
}
