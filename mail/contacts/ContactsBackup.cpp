#include <ocidl.h>

#include "mail/contacts/Contacts.h"
#include "mail/frame/BackupPath.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/storage/Storager.h"

namespace
{

// Saves the contact into its stream, which then ends where the contact's bytes end: a stream of that name
// left longer by an earlier save that failed keeps no tail.
BOOL SaveContact(IContact *pContact, const CONTACTINFO &record, CStorager &storager)
{
    CComPtr<IPersistStreamInit> persist;
    HRESULT hr = POSTREL_CALL(pContact->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void **>(&persist)));
    if (FAILED(hr) || !persist)
        return FALSE;
    CComPtr<IStream> stream;
    if (!storager.OpenStream(&stream, ContactStreamName(record.szContactId), TRUE))
        return FALSE;
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER end = {};
    POSTREL_STEP(hr, persist->Save(stream, TRUE));
    POSTREL_STEP(hr, stream->Seek(zero, STREAM_SEEK_CUR, &end));
    POSTREL_STEP(hr, stream->SetSize(end));
    return SUCCEEDED(hr);
}

} // namespace

BOOL BackupContacts(CString &strPath, int nMaxPath)
{
    CString path = strPath;
    if (!MakeBackupFilePath(path) || (nMaxPath > 0 && path.GetLength() >= nMaxPath))
    {
        DebugPrintf(POSTREL_TRACE, L"The file path is wrong.\n");
        return FALSE;
    }
    strPath = path;

    CStorager storager;
    ContactAssistant index;
    if (!storager.Open(path, TRUE) || !storager.OpenStorage(g_szContact) || !index.Open(storager, TRUE))
    {
        DebugPrintf(POSTREL_TRACE, L"Can not open the compound file %s\n", path.GetString());
        return FALSE;
    }
    CComPtr<IContactCollection> collection;
    if (FAILED(OpenContacts(collection)) || !index.ReadAll())
        return FALSE;

    // Once a contact fails, the later ones are not saved.
    BOOL result = TRUE;
    HRESULT hr = POSTREL_CALL(collection->Reset());
    while (result && SUCCEEDED(hr) && (hr = POSTREL_CALL(collection->Next())) == S_OK)
    {
        CComPtr<IContact> contact;
        CString text;
        CONTACTINFO record;
        hr = POSTREL_CALL(collection->GetCurrent(&contact));
        if (FAILED(hr) || !contact || !ReadContactId(contact, text) || !ParseContactId(text, record))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not read the contact id %s\n", text.GetString());
            result = FALSE;
            break;
        }
        if (index.Contains(record.szContactId))
            continue;
        if (!SaveContact(contact, record, storager) || !index.Append(record))
        {
            DebugPrintf(POSTREL_TRACE, L"Can not save the contact %s\n", record.szFileName);
            result = FALSE;
        }
    }
    return result && SUCCEEDED(hr);
}
