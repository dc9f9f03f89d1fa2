#include "engine/run/MailStoreBackup.h"

#include <cwchar>
#include <memory>
#include <utility>
#include <vector>

#include "engine/store/PathMatch.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/ComGlue.h"

namespace
{

using CatalogArray = std::unique_ptr<_OLCATALOGDATA[]>;

// The last error of a failed library call; a library that failed without saying why must still not be taken
// for a success by the caller.
DWORD FailureCode()
{
    const DWORD code = ::GetLastError();
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

void SetJobCallback(COutlookFacade &facade, CSyncJob &job)
{
    const CALLBACKDATAS callback{OL_CALLBACK_PROGRESS, &MailProgressRoutine};
    facade.SetCallBack(callback, &job);
}

// GetCatalog into an owned array; 0 or the failure code.
DWORD GetOwnedCatalog(COutlookFacade &facade, LPCWSTR store, CatalogArray &catalog, unsigned long &count)
{
    _OLCATALOGDATA *entries = nullptr;
    count = 0;
    const BOOL got = facade.GetCatalog(store, &entries, &count);
    const DWORD code = got ? 0 : FailureCode();
    catalog.reset(entries);
    if (!got)
        count = 0;
    return code;
}

// GetCatalog of from, then SyncMessage from -> to; the catalog is freed before returning.
DWORD SyncOneWay(COutlookFacade &facade, LPCWSTR from, LPCWSTR to)
{
    CatalogArray catalog;
    unsigned long count = 0;
    DWORD code = GetOwnedCatalog(facade, from, catalog, count);
    if (code == 0 && !facade.SyncMessage(from, to, catalog.get(), count))
        code = FailureCode();
    return code;
}

struct MailFolderChoice
{
    DWORD itemID;
    CString path;
};

} // namespace

int CALLBACK MailProgressRoutine(unsigned long bytes, unsigned long, void *data)
{
    if (data != nullptr)
        static_cast<CSyncJob *>(data)->m_bytesDone += static_cast<ULONGLONG>(bytes);
    return 0;
}

DWORD BackupMailStore(CSyncJob &job, LPCWSTR store, LPCWSTR destination)
{
    COutlookFacade facade;
    CatalogArray catalog;
    DWORD code = 0;
    if (!COutlookFacade::Init())
    {
        code = FailureCode();
    }
    else
    {
        SetJobCallback(facade, job);
        unsigned long count = 0;
        code = GetOwnedCatalog(facade, store, catalog, count);
        CString target(destination);
        if (code == 0 && !facade.BackupMessage(store, target, catalog.get(), count))
            code = FailureCode();
    }
    COutlookFacade::Term();
    return code;
}

DWORD SyncMailStore(CSyncJob &job, LPCWSTR store, LPCWSTR destination)
{
    COutlookFacade facade;
    DWORD code = 0;
    if (!COutlookFacade::Init())
    {
        code = FailureCode();
    }
    else
    {
        SetJobCallback(facade, job);
        code = SyncOneWay(facade, store, destination);
        if (code == 0)
            code = SyncOneWay(facade, destination, store);
    }
    COutlookFacade::Term();
    return code;
}

DWORD BackupMailFolders(CSyncJob &job, LPCWSTR destination, LPCWSTR store, _OLCATALOGDATA *catalog, unsigned long count)
{
    COutlookFacade facade;
    DWORD code = 0;
    if (!COutlookFacade::Init())
    {
        code = FailureCode();
    }
    else
    {
        SetJobCallback(facade, job);
        CString target(destination);
        if (job.GetJobDef()->GetSyncType() == 1)
        {
            if (!facade.BackupMessage(store, target, catalog, count))
                code = FailureCode();
        }
        else
        {
            if (::GetFileAttributesW(destination) == INVALID_FILE_ATTRIBUTES)
            {
                // The destination store is made first with nothing chosen: one zeroed entry, and the count
                // says one, so the library reads no further than the array goes.
                CatalogArray empty(new _OLCATALOGDATA[1]);
                if (!facade.BackupMessage(store, target, empty.get(), 1))
                    code = FailureCode();
            }
            if (code == 0 && !facade.SyncMessage(store, destination, catalog, count))
                code = FailureCode();
        }
    }
    COutlookFacade::Term();
    return code;
}

void FillMailCatalogEntry(_OLCATALOGDATA &entry, DWORD itemID, LPCWSTR folderPath, LPCWSTR storePath)
{
    const CString folder = CutTrailingBackslashes(CString(folderPath));
    const CString store = CutTrailingBackslashes(CString(storePath));
    const int storeLength = store.GetLength();
    CString name;
    if (storeLength > 0 && folder.GetLength() >= storeLength && folder.Left(storeLength).CompareNoCase(store) == 0 &&
        (folder.GetLength() == storeLength || folder[storeLength] == L'\\'))
        name = folder.Mid(folder.GetLength() == storeLength ? storeLength : storeLength + 1);
    else
        name = folder.Mid(folder.ReverseFind(L'\\') + 1);

    entry.itemID = itemID;
    wmemset(entry.name, L'\0', sizeof(entry.name) / sizeof(entry.name[0]));
    const int length = name.GetLength() < kMailFolderNameChars ? name.GetLength() : kMailFolderNameChars;
    wmemcpy(entry.name, name.GetString(), static_cast<size_t>(length));
}

DWORD BackupMailStores(CSyncJob &job, IXMLDOMElement *element, LPCWSTR path, LPCWSTR destination)
{
    const CString store = CutTrailingBackslashes(CString(path));
    const CString target = CutTrailingBackslashes(CString(destination));

    std::vector<MailFolderChoice> folders;
    try
    {
        XmlDomLock hold;
        XmlElementIterator children(element);
        while (children.Next())
        {
            if (children.GetName() != L"file")
                continue;
            IXMLDOMElementPtr child = children.GetElement();
            folders.push_back(MailFolderChoice{static_cast<DWORD>(XmlGetAttributeInt(child, L"itemID")),
                                               XmlGetAttributeString(child, L"path")});
        }
    }
    catch (const _com_error &)
    {
        return ERROR_INVALID_DATA;
    }

    if (folders.empty())
    {
        if (job.GetJobDef()->GetSyncType() == 1)
            return BackupMailStore(job, store, target);
        return SyncMailStore(job, store, target);
    }

    const unsigned long count = static_cast<unsigned long>(folders.size());
    CatalogArray catalog(new _OLCATALOGDATA[count]);
    for (unsigned long i = 0; i < count; ++i)
        FillMailCatalogEntry(catalog[i], folders[i].itemID, folders[i].path, store);
    return BackupMailFolders(job, target, store, catalog.get(), count);
}

BOOL GetMailStoreDestPath(CSyncJob &job, LPCWSTR source, CString &out)
{
    CJobDef *definition = job.GetJobDef();
    const CString dest = definition->GetDest();
    if (definition->GetFolder2Folder() != 0)
    {
        if (dest.IsEmpty())
            return FALSE;
        out = dest;
        return TRUE;
    }
    if (definition->GetRetainFullPath() != 0)
        return job.GetDestFolderName(source, dest, out);
    return CSyncJob::GetPstFolder(source, dest, out);
}
