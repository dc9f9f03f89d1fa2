// What one backup run keeps about the folders it walks, shared by the scans of all its sources: the folders it
// never backs up into themselves, and the folders it could not list.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/text/String.h"

class CSyncJob;

class CRunFolders
{
  public:
    // dest is the job's destination, dataFolder the program's data folder; either may be empty (then nothing
    // is passed over for it). Trailing backslashes do not matter.
    CRunFolders(const CString &dest, const CString &dataFolder);

    // TRUE when the folder (without a trailing backslash) is the job's destination or the program's data folder:
    // a source that holds them would otherwise copy the backup into itself, one level deeper on every run. The
    // first time a run meets each one it is logged in the job's log.
    bool IsOwnFolder(CSyncJob &job, const CString &folder);

    // A folder (with its trailing backslash) whose listing failed or broke off.
    void AddUnlisted(const CString &folder);
    const std::vector<CString> &GetUnlisted() const
    {
        return m_unlisted;
    }

  private:
    struct OwnFolder
    {
        CString path;
        bool logged;
    };
    std::vector<OwnFolder> m_own;
    std::vector<CString> m_unlisted;
};
