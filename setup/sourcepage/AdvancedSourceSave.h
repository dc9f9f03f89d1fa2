// What the advanced source page writes into its job when it is saved, worked out before the job is touched: the
// "src" (and "file") elements to write and the include text. The restore view turns the checked places at the
// destination into restore sources, each with the place it goes back to; the backup view makes the checked places
// of this computer the job's sources.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "platform/text/String.h"

class CJobDef;

// One element to write, in order.
struct SourceWrite
{
    enum Kind
    {
        SOURCE,      // CJobDef::AddSource(path, destination or none, rapid)
        SOURCE_PATH, // CJobDef::AddSourcePath(path, destination or none)
        FILE,        // CJobDef::FindSource(path, name): a file of the "src" path
    };
    Kind kind;
    CString path;
    CString destination; // empty: none
    BOOL rapid;
    CString name;
};

struct SourceSavePlan
{
    std::vector<SourceWrite> writes;
    CString include;
    // The checked places that have no place to go back to: they are left out.
    std::vector<CString> leftOut;
};

// The restore: places are the checked places (folders with a trailing backslash, kinds of files as
// "ZZZ;" + list + ";"), stored the job's "src" paths with their "destination" (where the backup put each).
// - A place that is a stored destination D, or lies below one, comes back to its source S (S and the rest of the
//   place below D); an entry without a destination (an older job's) is never taken.
// - A place of no stored destination but below the job's destination comes back to the rest of its path (a drive
//   letter's colon put back: "X:\Backup\C\Docs\" under "X:\Backup\" goes to "C:\Docs\"); a place with no target
//   that is a full path is left out.
// - The kinds of files join the include text; the first stored place with a destination is written once for them
//   (its destination back to its source), nothing when there is none.
// With toOtherFolder the user chose the folder the restore goes to: no source gets a destination.
SourceSavePlan PlanRestoreSave(const std::vector<CString> &places, const std::map<CString, CString> &stored,
                               const CString &jobDest, bool toOtherFolder);

// The backup: each checked folder or drive becomes a "src" (one trailing backslash, no destination), each checked
// file a "file" of its folder's "src" (made first when the plan has none). rapid as AddSource takes it.
SourceSavePlan PlanBackupSave(const std::vector<CString> &places, BOOL rapid);

// Writes the plan's elements into the job (after its old "src" elements went).
void ApplySourceWrites(CJobDef &def, const std::vector<SourceWrite> &writes);
