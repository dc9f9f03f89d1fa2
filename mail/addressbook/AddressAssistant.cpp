#include "mail/addressbook/AddressAssistant.h"

#include <cwchar>

#include "mail/addressbook/AddressBook.h"
#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/storage/Storager.h"

ADDRESSINFO MakeAddressInfo(const CString &strName, DWORD dwId)
{
    ADDRESSINFO record;
    record.dwId = dwId;
    wmemset(record.szDisplayName, L'\0', _countof(record.szDisplayName));
    wcsncpy(record.szDisplayName, strName, ADDRESS_NAME_CHARS);
    return record;
}

bool SameIndexName(const CString &a, const CString &b)
{
    return a.Left(ADDRESS_NAME_CHARS).Compare(b.Left(ADDRESS_NAME_CHARS)) == 0;
}

BOOL AddressAssistant::Open(CStorager &storager, BOOL bCreate)
{
    m_records.clear();
    m_read = 0;
    if (!storager.OpenStream(&m_stream, g_szAddressBook, bCreate))
    {
        DebugPrintf(POSTREL_TRACE, L"The address book index cannot be opened (0x%08X).\n",
                    static_cast<unsigned>(storager.GetResult()));
        return FALSE;
    }
    return TRUE;
}

BOOL AddressAssistant::ReadAll()
{
    if (!m_stream || FAILED(ReadIndex(m_stream, m_records)))
        return FALSE;
    m_read = m_records.size();
    return TRUE;
}

DWORD AddressAssistant::GetNextId() const
{
    // The last record's id plus one in every index this library writes; the highest keeps a damaged index
    // whose ids run backwards from handing out the id of a saved user, whose stream would then be replaced.
    DWORD highest = 0;
    for (const ADDRESSINFO &record : m_records)
        if (record.dwId > highest)
            highest = record.dwId;
    return highest + 1;
}

BOOL AddressAssistant::Exists(const ADDRESSINFO &record) const
{
    for (size_t i = 0; i < m_read; ++i)
        if (SameIndexName(m_records[i].szDisplayName, record.szDisplayName))
            return TRUE;
    return FALSE;
}

BOOL AddressAssistant::Append(const ADDRESSINFO &record)
{
    if (!m_stream || FAILED(AppendIndexRecord(m_stream.p, record)))
        return FALSE;
    m_records.push_back(record);
    return TRUE;
}
