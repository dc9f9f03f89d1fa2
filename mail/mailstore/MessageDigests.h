// The digests of one folder walk, each stream read at most once: the saved message streams of the folder's
// storage (by number) and the store folder's messages (by id).
#pragma once
#include <windows.h>

#include <map>

#include "mail/mailstore/StoreNamespace.h"
#include "mail/storage/StreamDigest.h"
#include "platform/text/String.h"

class CStorager;

// The name of a saved message's stream: its number in decimal.
CString MessageStreamName(DWORD dwNumber);

class CMessageDigests
{
  public:
    // The saved stream of that number in the storager's top storage; false when it cannot be read.
    bool Saved(CStorager &storager, DWORD dwNumber, StreamDigest &digest);
    // A message of the store folder; false when it cannot be read.
    bool Stored(IStoreFolder *pFolder, MESSAGEID id, StreamDigest &digest);
    // What a message just saved under that number digested to.
    void RememberSaved(DWORD dwNumber, const StreamDigest &digest);

  private:
    struct Entry
    {
        bool read;
        StreamDigest digest;
    };
    static bool Answer(const Entry &entry, StreamDigest &digest);

    std::map<DWORD, Entry> m_saved;
    std::map<MESSAGEID, Entry> m_stored;
};
