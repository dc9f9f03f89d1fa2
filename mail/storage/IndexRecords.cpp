#include "mail/storage/IndexRecords.h"

#include "mail/frame/Trace.h"

namespace
{

template <size_t N> void Terminate(wchar_t (&field)[N])
{
    field[N - 1] = L'\0';
}

} // namespace

void TerminateNames(ADDRESSINFO &record)
{
    Terminate(record.szDisplayName);
}

void TerminateNames(CONTACTINFO &record)
{
    Terminate(record.szContactId);
    Terminate(record.szFileName);
}

void TerminateNames(CATALOGINFO &record)
{
    Terminate(record.szStorageName);
    Terminate(record.szFolderName);
}

HRESULT index_detail::ReadRecords(IStream *pStream, size_t recordSize, std::vector<BYTE> &bytes, size_t &count)
{
    bytes.clear();
    count = 0;
    if (pStream == nullptr || recordSize == 0)
        return E_INVALIDARG;
    STATSTG stat = {};
    HRESULT hr = POSTREL_CALL(pStream->Stat(&stat, STATFLAG_NONAME));
    if (FAILED(hr))
        return hr;
    if (stat.cbSize.QuadPart > MAX_INDEX_STREAM_BYTES)
    {
        DebugPrintf(POSTREL_TRACE, L"An index stream of %I64u bytes is refused.\n", stat.cbSize.QuadPart);
        return E_FAIL;
    }
    const size_t records = static_cast<size_t>(stat.cbSize.QuadPart) / recordSize;
    if (records == 0)
        return S_OK;
    const ULONG wanted = static_cast<ULONG>(records * recordSize);
    bytes.resize(wanted);
    LARGE_INTEGER start = {};
    ULONG read = 0;
    POSTREL_STEP(hr, pStream->Seek(start, STREAM_SEEK_SET, nullptr));
    POSTREL_STEP(hr, pStream->Read(bytes.data(), wanted, &read));
    if (FAILED(hr) || read != wanted)
    {
        bytes.clear();
        return FAILED(hr) ? hr : E_FAIL;
    }
    count = records;
    return S_OK;
}

HRESULT index_detail::AppendRecord(IStream *pStream, const void *record, ULONG recordSize)
{
    if (pStream == nullptr || record == nullptr)
        return E_INVALIDARG;
    LARGE_INTEGER zero = {};
    ULONG written = 0;
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, pStream->Seek(zero, STREAM_SEEK_END, nullptr));
    POSTREL_STEP(hr, pStream->Write(record, recordSize, &written));
    if (SUCCEEDED(hr) && written != recordSize)
        hr = STG_E_WRITEFAULT;
    return hr;
}
