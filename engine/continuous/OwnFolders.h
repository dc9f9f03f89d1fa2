// The folders that a watched or two-way job never carries over as the user's files: its own destination
// ("dest"), the program's data folder and the program folder (a source that holds them would copy the backup,
// the job's log and the program into themselves, one level deeper each time), and for a two-way job every other
// job's destination (another job's backups are no data of the user's, and a deletion carried over there would
// delete that job's backup).
//
// A folder that is, or holds, one of the job's own folders (a source, a source's "destination") is none of them:
// the job's files lie in it, and passing it over would pass over the whole job. So a two-way job whose
// destination folders lie in its "dest" keeps them, and a job kept in step inside another job's backup folder
// works as before.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/text/String.h"

class CSyncJob;

struct OwnFolder
{
    enum Kind
    {
        Destination, // the job's own "dest"
        Program,     // the program's data folder or the program folder
        OtherJob,    // another job's "dest"
    };
    CString path; // without a trailing backslash
    Kind kind;
    bool logged; // the pass has said that it passes it over

    // The path is this folder or lies below it (case ignored).
    bool Holds(const CString &other) const;
};

// The job's folders as above, read once (a pass or a change takes them at its start).
std::vector<OwnFolder> GetJobOwnFolders(CSyncJob &job);
