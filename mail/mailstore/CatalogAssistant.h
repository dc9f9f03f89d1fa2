// The "Catalog" stream of one storage level: which storage holds which mail folder, and the names that no
// folder's storage may take on that level.
#pragma once
#include <windows.h>

#include <vector>

#include "mail/storage/IndexRecords.h"
#include "platform/system/ComPtr.h"
#include "platform/text/Collections.h"
#include "platform/text/String.h"

class CStorager;

class CatalogAssistant
{
  public:
    // Opens the catalog of the storager's top storage, creating it when asked.
    BOOL Open(CStorager &storager, BOOL bCreate);
    // Reads every record (a part record at the end is left out).
    BOOL ReadAll();
    // Appends a record for the folder (its first 99 characters) and its storage.
    BOOL AddRecord(const CString &strFolderName, const CString &strStorageName);
    // The storage of the first record read whose folder name is the given one.
    BOOL FindStorageName(CString &strStorageName, const CString &strFolderName, bool ignoreCase = false) const;
    // A name that a folder's storage must not take on this level (compared without regard to case).
    void AddReservedName(const CString &strName);
    // A storage name for a new folder: a valid element name that no record of this level has.
    BOOL MakeStorageName(CString &strStorageName, const CString &strFolderName);

    const std::vector<CATALOGINFO> &Records() const
    {
        return m_records;
    }

  private:
    CComPtr<IStream> m_stream;
    std::vector<CATALOGINFO> m_records;
    CStringArray m_reserved;
};
