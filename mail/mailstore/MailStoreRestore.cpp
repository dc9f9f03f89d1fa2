#include <objbase.h>

#include "mail/frame/BackupPath.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/mailstore/CatalogAssistant.h"
#include "mail/mailstore/MailStore.h"
#include "mail/mailstore/MessageDigests.h"
#include "mail/storage/Storager.h"

namespace
{

// The store folder has the saved message when one of its messages of the same size has the same bytes.
bool StoreHasMessage(const MESSAGEINFO &record, const std::vector<StoreMessage> &present, IStoreFolder *pFolder,
                     CStorager &storager, CMessageDigests &digests)
{
    StreamDigest saved;
    bool savedRead = false;
    for (const StoreMessage &message : present)
    {
        if (message.size != record.dwSize)
            continue;
        if (!savedRead)
        {
            if (!digests.Saved(storager, record.dwNumber, saved))
                return false;
            savedRead = true;
        }
        StreamDigest stored;
        if (digests.Stored(pFolder, message.id, stored) && stored == saved)
            return true;
    }
    return false;
}

BOOL RestoreMessage(IStoreFolder *pFolder, const MESSAGEINFO &record, CStorager &storager)
{
    CComPtr<IStream> stream;
    MESSAGEID id = 0;
    if (FAILED(POSTREL_CALL(pFolder->CreateStream(nullptr, 0, &stream, &id))) || !stream)
        return FALSE;
    const CString name = MessageStreamName(record.dwNumber);
    if (!storager.CopyStreamTo(stream, name))
    {
        DebugPrintf(POSTREL_TRACE, L"Can not read stream: %s.\n", name.GetString());
        return FALSE;
    }
    return SUCCEEDED(POSTREL_CALL(pFolder->CommitStream(nullptr, 0, 0, stream, id, nullptr)));
}

} // namespace

BOOL RestoreMailFolder(IStoreNamespace *pNamespace, IStoreFolder *pFolder, CStorager &storager)
{
    CatalogAssistant catalog;
    CComPtr<IStream> index;
    std::vector<MESSAGEINFO> records;
    std::vector<StoreMessage> present;
    if (!catalog.Open(storager, FALSE) || !catalog.ReadAll() || !storager.OpenStream(&index, g_szMessage, FALSE) ||
        !ReadMessageIndex(index, records) || !ListFolderMessages(pFolder, present))
        return FALSE;

    BOOL result = TRUE;
    CMessageDigests digests;
    for (const MESSAGEINFO &record : records)
    {
        if (!StoreHasMessage(record, present, pFolder, storager, digests) && !RestoreMessage(pFolder, record, storager))
            result = FALSE;
    }

    for (const CATALOGINFO &record : catalog.Records())
    {
        CComPtr<IStoreFolder> subFolder;
        if (!OpenStoreSubFolder(pNamespace, record.szFolderName, subFolder, pFolder))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not open storefolder %s.\n", record.szFolderName);
            result = FALSE;
            continue;
        }
        if (!storager.OpenStorage(record.szStorageName))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not open storage %s.\n", record.szStorageName);
            result = FALSE;
            continue;
        }
        if (result && !RestoreMailFolder(pNamespace, subFolder, storager))
            result = FALSE;
        storager.CloseStorage();
    }
    return result;
}

BOOL RestoreMailStore(LPCWSTR pszPath, const CStringArray &wanted)
{
    if (wanted.GetSize() == 0)
        return TRUE;
    CComPtr<IStoreNamespace> ns;
    if (FAILED(OpenMailStore(ns)))
        return FALSE;
    if (!FileExists(pszPath))
    {
        DebugPrintf(POSTREL_TRACE, L"Invalid file path");
        return FALSE;
    }
    if (POSTREL_CALL(::StgIsStorageFile(pszPath)) != S_OK)
    {
        DebugPrintf(POSTREL_TRACE, L"The file is not a compound file.");
        return FALSE;
    }
    // Only read: a restore never changes the backup, which may lie on write-protected media.
    CStorager storager;
    if (!storager.Open(pszPath, FALSE, TRUE))
    {
        DebugPrintf(POSTREL_TRACE, L"Can not open the compound file\n");
        return FALSE;
    }
    if (!storager.OpenStorage(g_szLocalMail))
    {
        DebugPrintf(POSTREL_TRACE, L"Can not open local mail folder.\n");
        return FALSE;
    }
    CatalogAssistant catalog;
    if (!catalog.Open(storager, FALSE))
        return FALSE;
    if (!catalog.ReadAll())
    {
        DebugPrintf(POSTREL_TRACE, L"there are no folders under the local mail folder.\n");
        return FALSE;
    }

    BOOL result = TRUE;
    for (INT_PTR i = 0; i < wanted.GetSize(); ++i)
    {
        const CATALOGINFO *found = nullptr;
        for (const CATALOGINFO &record : catalog.Records())
        {
            if (SameFolderName(record.szFolderName, wanted[i], true))
            {
                found = &record;
                break;
            }
        }
        if (found == nullptr)
            continue;
        CComPtr<IStoreFolder> folder;
        if (!OpenOrCreateStoreFolder(ns, FOLDERID_ROOT, found->szFolderName, folder))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not open or create the %s folder", found->szFolderName);
            result = FALSE;
            continue;
        }
        if (!storager.OpenStorage(found->szStorageName))
        {
            result = FALSE;
            continue;
        }
        if (result && !RestoreMailFolder(ns, folder, storager))
            result = FALSE;
        storager.CloseStorage();
    }
    return result;
}
