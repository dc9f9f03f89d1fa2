#include <objbase.h>
#include <shlwapi.h>

#include "mail/contacts/Contacts.h"
#include "mail/frame/BackupPath.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/storage/Storager.h"

namespace
{

bool HasGuid(const CStringArray &ids, const wchar_t *pszGuid)
{
    for (INT_PTR i = 0; i < ids.GetSize(); ++i)
        if (ids[i].CompareNoCase(pszGuid) == 0)
            return true;
    return false;
}

// Writes the saved contact as a new file of the folder. A file that exists is left alone; a file that could
// not be written whole is taken away again, so that no damaged contact is left behind.
BOOL RestoreContactFile(const CONTACTINFO &record, const CString &strFolder, CStorager &storager)
{
    const CString name = record.szFileName;
    if (!IsPlainFileName(name))
    {
        DebugPrintf(POSTREL_TRACE, L"The contact file name \"%s\" is refused.\n", name.GetString());
        return FALSE;
    }
    const CString path = JoinPath(strFolder, name);
    if (strFolder.IsEmpty() || path.GetLength() >= MAX_PATH)
    {
        DebugPrintf(POSTREL_TRACE, L"The contact file %s has no place.\n", path.GetString());
        return FALSE;
    }
    CComPtr<IStream> file;
    if (FAILED(POSTREL_CALL(::SHCreateStreamOnFileEx(path, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_FAILIFTHERE,
                                                     FILE_ATTRIBUTE_NORMAL, TRUE, nullptr, &file))))
        return FALSE;
    if (storager.CopyStreamTo(file, ContactStreamName(record.szContactId)))
        return TRUE;
    DebugPrintf(POSTREL_TRACE, L"Can not read stream: %s.\n", ContactStreamName(record.szContactId).GetString());
    file.Release();
    ::DeleteFileW(path);
    return FALSE;
}

// The saved records; a file without the contacts' storage or index has none.
BOOL ReadSavedContacts(CStorager &storager, ContactAssistant &index)
{
    if (!storager.OpenStorage(g_szContact))
        return storager.GetResult() == STG_E_FILENOTFOUND;
    if (!index.Open(storager, FALSE))
        return storager.GetResult() == STG_E_FILENOTFOUND;
    return index.ReadAll();
}

} // namespace

BOOL RestoreContacts(LPCWSTR pszPath)
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
    // Only read: a restore never changes the backup, which may lie on write-protected media.
    CStorager storager;
    ContactAssistant index;
    CComPtr<IContactCollection> collection;
    CStringArray ids;
    if (!storager.Open(pszPath, FALSE, TRUE) || !ReadSavedContacts(storager, index) ||
        FAILED(OpenContacts(collection)) || !ListContactIds(collection, ids))
    {
        DebugPrintf(POSTREL_TRACE, L"Can not read the contacts of %s\n", pszPath);
        return FALSE;
    }

    const CString folder = ContactsFolder();
    BOOL result = TRUE;
    for (const CONTACTINFO &record : index.Records())
    {
        if (HasGuid(ids, record.szContactId))
            continue;
        if (!RestoreContactFile(record, folder, storager))
            result = FALSE;
    }
    return result;
}
