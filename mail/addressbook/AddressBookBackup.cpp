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

CString UserStreamName(DWORD dwId)
{
    CString name;
    name.Format(L"%u", dwId);
    return name;
}

// Saves the user of the row under the next id; FALSE when the user cannot be saved.
BOOL BackupUser(CAddressBook &book, const SRow &row, ADDRESSINFO &record, CStorager &storager, AddressAssistant &index)
{
    const SPropValue &entryId = row.lpProps[BOOK_COLUMN_ENTRYID];
    if (entryId.ulPropTag != PR_ENTRYID)
        return FALSE;
    CComPtr<IMailUser> user;
    if (!book.OpenUser(entryId.Value.bin, user))
        return FALSE;
    record.dwId = index.GetNextId();
    // A stream of that id left by a save that failed is replaced.
    CComPtr<IStream> stream;
    return storager.CreateStream(&stream, UserStreamName(record.dwId)) && MailUser(user, book.Wab()).Save(stream) &&
           index.Append(record);
}

} // namespace

BOOL BackupAddressBook(CString &strPath, int nMaxPath)
{
    CString path = strPath;
    if (!MakeBackupFilePath(path))
    {
        DebugPrintf(POSTREL_TRACE, L"The backup path %s cannot be completed.\n", strPath.GetString());
        return FALSE;
    }
    if (nMaxPath > 0 && path.GetLength() >= nMaxPath)
    {
        DebugPrintf(POSTREL_TRACE, L"The backup path %s does not fit %d characters.\n", path.GetString(), nMaxPath);
        return FALSE;
    }
    strPath = path;

    CAddressBook book;
    if (!book.Open())
        return FALSE;
    CBookRows rows(book.Wab());
    if (!book.QueryContents(rows))
        return FALSE;
    CStorager storager;
    AddressAssistant index;
    if (!storager.Open(path, TRUE) || !storager.OpenStorage(g_szAddressBook) || !index.Open(storager, TRUE) ||
        !index.ReadAll())
    {
        DebugPrintf(POSTREL_TRACE, L"Can not open the compound file %s\n", path.GetString());
        return FALSE;
    }

    BOOL result = TRUE;
    for (size_t i = 0; i < rows.GetCount(); ++i)
    {
        if (BookRowType(rows[i]) != MAPI_MAILUSER)
            continue;
        const CString name = BookRowName(rows[i]);
        ADDRESSINFO record = MakeAddressInfo(name);
        if (index.Exists(record))
            continue;
        if (!BackupUser(book, rows[i], record, storager, index))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not save the user %s\n", name.GetString());
            result = FALSE;
        }
    }
    return result;
}
