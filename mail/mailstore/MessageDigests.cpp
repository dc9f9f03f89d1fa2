#include "mail/mailstore/MessageDigests.h"

#include "mail/frame/Trace.h"
#include "mail/storage/Storager.h"
#include "platform/system/ComPtr.h"

CString MessageStreamName(DWORD dwNumber)
{
    CString name;
    name.Format(L"%d", static_cast<int>(dwNumber));
    return name;
}

bool CMessageDigests::Answer(const Entry &entry, StreamDigest &digest)
{
    if (entry.read)
        digest = entry.digest;
    return entry.read;
}

bool CMessageDigests::Saved(CStorager &storager, DWORD dwNumber, StreamDigest &digest)
{
    auto found = m_saved.find(dwNumber);
    if (found != m_saved.end())
        return Answer(found->second, digest);
    Entry entry = {};
    CComPtr<IStream> stream;
    entry.read = storager.OpenStream(&stream, MessageStreamName(dwNumber), FALSE) &&
                 SUCCEEDED(DigestStream(stream, entry.digest));
    m_saved[dwNumber] = entry;
    return Answer(entry, digest);
}

bool CMessageDigests::Stored(IStoreFolder *pFolder, MESSAGEID id, StreamDigest &digest)
{
    auto found = m_stored.find(id);
    if (found != m_stored.end())
        return Answer(found->second, digest);
    Entry entry = {};
    CComPtr<IStream> stream;
    entry.read = SUCCEEDED(POSTREL_CALL(pFolder->OpenMessage(id, IID_IStream, reinterpret_cast<void **>(&stream)))) &&
                 stream && SUCCEEDED(DigestStream(stream, entry.digest));
    m_stored[id] = entry;
    return Answer(entry, digest);
}

void CMessageDigests::RememberSaved(DWORD dwNumber, const StreamDigest &digest)
{
    m_saved[dwNumber] = Entry{true, digest};
}
