#include "mail/frame/BackupPath.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/mailstore/CatalogAssistant.h"
#include "mail/mailstore/MailStore.h"
#include "mail/mailstore/MessageDigests.h"
#include "mail/storage/Storager.h"

namespace
{

bool IsWanted(const CString &name, const CStringArray &wanted)
{
    for (INT_PTR i = 0; i < wanted.GetSize(); ++i)
        if (name.CompareNoCase(wanted[i]) == 0)
            return true;
    return false;
}

// The file has the message when a saved one of the same size has the same bytes.
bool AlreadySaved(const MESSAGEPROPS &props, IStream *pMessage, const std::vector<MESSAGEINFO> &records,
                  CStorager &storager, CMessageDigests &digests, bool &digested, StreamDigest &digest)
{
    for (const MESSAGEINFO &record : records)
    {
        if (record.dwSize != props.cbMessage)
            continue;
        if (!digested)
        {
            if (FAILED(DigestStream(pMessage, digest)))
                return false;
            digested = true;
        }
        StreamDigest saved;
        if (digests.Saved(storager, record.dwNumber, saved) && saved == digest)
            return true;
    }
    return false;
}

// Saves the message unless the file has it; FALSE when it had to be saved and could not be.
BOOL BackupMessage(IStoreFolder *pFolder, const MESSAGEPROPS &props, CStorager &storager, IStream *pIndex,
                   std::vector<MESSAGEINFO> &records, CMessageDigests &digests)
{
    CComPtr<IStream> message;
    HRESULT hr =
        POSTREL_CALL(pFolder->OpenMessage(props.dwMessageId, IID_IStream, reinterpret_cast<void **>(&message)));
    if (SUCCEEDED(hr) && message)
    {
        bool digested = false;
        StreamDigest digest = {};
        if (AlreadySaved(props, message, records, storager, digests, digested, digest))
            return TRUE;
        MESSAGEINFO record = {MakeMessageNumber(records, props.dwMessageId), props.cbMessage};
        LARGE_INTEGER start = {};
        if (SUCCEEDED(POSTREL_CALL(message->Seek(start, STREAM_SEEK_SET, nullptr))) &&
            storager.SaveStream(message, MessageStreamName(record.dwNumber)) &&
            SUCCEEDED(AppendIndexRecord(pIndex, record)))
        {
            records.push_back(record);
            if (digested)
                digests.RememberSaved(record.dwNumber, digest);
            return TRUE;
        }
    }
    DebugPrintf(POSTREL_TRACE, L"Can not save message: %s\n", StoreNameToText(props.pszSubject).GetString());
    return FALSE;
}

BOOL BackupMessages(IStoreFolder *pFolder, CStorager &storager, IStream *pIndex)
{
    std::vector<MESSAGEINFO> records;
    if (!ReadMessageIndex(pIndex, records))
        return FALSE;
    CMessageDigests digests;
    BOOL result = TRUE;
    CStoreMessages messages(pFolder);
    HRESULT hr = messages.First();
    for (; hr == S_OK; hr = messages.Next())
        if (!BackupMessage(pFolder, messages.Props(), storager, pIndex, records, digests))
            result = FALSE;
    return SUCCEEDED(hr) && result;
}

BOOL BackupSubFolders(IStoreNamespace *pNamespace, STOREFOLDERID folderId, CStorager &storager,
                      CatalogAssistant &catalog)
{
    // The index stream of this level is named "message": no subfolder's storage may take that name.
    catalog.AddReservedName(g_szMessage);
    if (!catalog.ReadAll())
        return FALSE;
    BOOL result = TRUE;
    CStoreSubFolders subFolders(pNamespace);
    HRESULT hr = subFolders.First(folderId);
    for (; hr == S_OK; hr = subFolders.Next())
    {
        const CString name = subFolders.Name();
        CString storageName;
        bool isNew = false;
        if (!catalog.FindStorageName(storageName, name, true))
        {
            if (!catalog.MakeStorageName(storageName, name))
            {
                DebugPrintf(POSTREL_TRACE, L"Can not name the storage of %s\n", name.GetString());
                result = FALSE;
                continue;
            }
            isNew = true;
        }
        CComPtr<IStoreFolder> subFolder;
        if (FAILED(POSTREL_CALL(pNamespace->OpenFolder(subFolders.Props().dwFolderId, 0, &subFolder))) ||
            !storager.OpenStorage(storageName))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not open or create the storage: %s", name.GetString());
            result = FALSE;
            continue;
        }
        if (isNew && !catalog.AddRecord(name, storageName))
            result = FALSE;
        if (result && !BackupMailFolder(pNamespace, subFolder, storager))
            result = FALSE;
        storager.CloseStorage();
    }
    return SUCCEEDED(hr) && result;
}

} // namespace

BOOL BackupMailFolder(IStoreNamespace *pNamespace, IStoreFolder *pFolder, CStorager &storager)
{
    FOLDERPROPS props = {};
    props.cbSize = sizeof(props);
    if (FAILED(POSTREL_CALL(pFolder->GetFolderProps(0, &props))))
        return FALSE;
    CComPtr<IStream> index;
    CatalogAssistant catalog;
    if (!storager.OpenStream(&index, g_szMessage, TRUE) || !catalog.Open(storager, TRUE))
        return FALSE;

    BOOL result = TRUE;
    if (props.cMessage > 0 && !BackupMessages(pFolder, storager, index))
        result = FALSE;
    if (props.cSubFolders > 0 && !BackupSubFolders(pNamespace, props.dwFolderId, storager, catalog))
        result = FALSE;
    return result;
}

BOOL BackupMailStore(CString &strPath, int nMaxPath, const CStringArray &wanted)
{
    CComPtr<IStoreNamespace> ns;
    if (FAILED(OpenMailStore(ns)))
        return FALSE;
    CStoreSubFolders folders(ns);
    HRESULT hr = folders.First(FOLDERID_ROOT);
    if (FAILED(hr))
        return FALSE;
    if (hr != S_OK)
        return TRUE; // a store without folders: nothing to keep

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

    CStorager storager;
    CatalogAssistant catalog;
    if (!storager.Open(path, TRUE) || !storager.OpenStorage(g_szLocalMail) || !catalog.Open(storager, TRUE) ||
        !catalog.ReadAll())
    {
        DebugPrintf(POSTREL_TRACE, L"Can not open the compound file %s\n", path.GetString());
        return FALSE;
    }
    if (wanted.GetSize() == 0)
        return TRUE;

    BOOL result = TRUE;
    for (; hr == S_OK; hr = folders.Next())
    {
        const CString name = folders.Name();
        if (!IsWanted(name, wanted))
            continue;
        CString storageName;
        bool isNew = false;
        if (!catalog.FindStorageName(storageName, name))
        {
            if (!catalog.MakeStorageName(storageName, name))
            {
                DebugPrintf(POSTREL_TRACE, L"Can not name the storage of %s\n", name.GetString());
                result = FALSE;
                continue;
            }
            isNew = true;
        }
        if (!storager.OpenStorage(storageName))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not open or create a storage %s \n", storageName.GetString());
            result = FALSE;
            continue;
        }
        if (isNew && !catalog.AddRecord(name, storageName))
            result = FALSE;
        CComPtr<IStoreFolder> folder;
        if (FAILED(POSTREL_CALL(ns->OpenFolder(folders.Props().dwFolderId, 0, &folder))))
            result = FALSE;
        else if (result && !BackupMailFolder(ns, folder, storager))
            result = FALSE;
        storager.CloseStorage();
    }
    return SUCCEEDED(hr) && result;
}
