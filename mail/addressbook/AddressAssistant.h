// The "addressbook" index stream: one ADDRESSINFO per saved user.
#pragma once
#include <windows.h>

#include <vector>

#include "mail/storage/IndexRecords.h"
#include "platform/system/ComPtr.h"
#include "platform/text/String.h"

class CStorager;

class AddressAssistant
{
  public:
    virtual ~AddressAssistant() = default;

    // Opens the index of the storager's top storage, creating it when asked.
    BOOL Open(CStorager &storager, BOOL bCreate);
    // Reads every record (a part record at the end is left out); Exists looks at these alone.
    BOOL ReadAll();
    // An id above every record's, 1 for an empty index.
    DWORD GetNextId() const;
    // TRUE when a record read by ReadAll has that display name. Users saved since are not looked at: two
    // users of one name are both saved by one run, and neither again by the next.
    BOOL Exists(const ADDRESSINFO &record) const;
    // Appends the record at the index's end.
    BOOL Append(const ADDRESSINFO &record);

    const std::vector<ADDRESSINFO> &Records() const
    {
        return m_records;
    }

  private:
    CComPtr<IStream> m_stream;
    std::vector<ADDRESSINFO> m_records;
    size_t m_read = 0;
};

// A record of that display name (its first 59 characters) and id.
ADDRESSINFO MakeAddressInfo(const CString &strName, DWORD dwId = 0);
