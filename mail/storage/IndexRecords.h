// The fixed-size index records of the backup files, appended one after another to an index stream and read
// back as one array. Their sizes are part of the file format.
#pragma once
#include <objidl.h>
#include <windows.h>

#include <cstddef>
#include <vector>

// A mail user of the address book.
struct ADDRESSINFO
{
    DWORD dwId;
    wchar_t szDisplayName[60];
};
static_assert(sizeof(ADDRESSINFO) == 124, "ADDRESSINFO is 124 bytes");

// A contact of Windows Contacts.
struct CONTACTINFO
{
    wchar_t szContactId[50];
    wchar_t szFileName[100];
};
static_assert(sizeof(CONTACTINFO) == 300, "CONTACTINFO is 300 bytes");

// A mail folder and the storage that holds it.
struct CATALOGINFO
{
    wchar_t szStorageName[32];
    wchar_t szFolderName[100];
};
static_assert(sizeof(CATALOGINFO) == 264, "CATALOGINFO is 264 bytes");

// A saved message: the number that names its stream and its size in bytes.
struct MESSAGEINFO
{
    DWORD dwNumber;
    DWORD dwSize;
};
static_assert(sizeof(MESSAGEINFO) == 8, "MESSAGEINFO is 8 bytes");

// An index stream larger than this is refused as damaged.
constexpr ULONGLONG MAX_INDEX_STREAM_BYTES = 64ull * 1024 * 1024;

// The name fields of a record read from a file end within their field.
void TerminateNames(ADDRESSINFO &record);
void TerminateNames(CONTACTINFO &record);
void TerminateNames(CATALOGINFO &record);
inline void TerminateNames(MESSAGEINFO &)
{
}

namespace index_detail
{
// Reads the whole records of the stream (a part record at the end is left out): count × size bytes.
HRESULT ReadRecords(IStream *pStream, size_t recordSize, std::vector<BYTE> &bytes, size_t &count);
HRESULT AppendRecord(IStream *pStream, const void *record, ULONG recordSize);
} // namespace index_detail

// Reads every whole record of an index stream; an empty stream gives none.
template <class T> HRESULT ReadIndex(IStream *pStream, std::vector<T> &records)
{
    records.clear();
    std::vector<BYTE> bytes;
    size_t count = 0;
    HRESULT hr = index_detail::ReadRecords(pStream, sizeof(T), bytes, count);
    if (FAILED(hr))
        return hr;
    records.resize(count);
    for (size_t i = 0; i < count; ++i)
    {
        memcpy(static_cast<void *>(&records[i]), bytes.data() + i * sizeof(T), sizeof(T));
        TerminateNames(records[i]);
    }
    return S_OK;
}

// Appends one record at the stream's end.
template <class T> HRESULT AppendIndexRecord(IStream *pStream, const T &record)
{
    return index_detail::AppendRecord(pStream, &record, sizeof(T));
}
