// What the advanced source page writes into its job when it is saved, worked out before the job is touched: the
// "src" (and "file") elements to write and the include text. The backup view makes the checked places of this
// computer the job's sources; what a restore writes is planned the same way (RestoreSave.h).
#pragma once
#include <windows.h>

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

// The backup: each checked folder or drive becomes a "src" (one trailing backslash, no destination), each checked
// file a "file" of its folder's "src" (made first when the plan has none). rapid as AddSource takes it.
SourceSavePlan PlanBackupSave(const std::vector<CString> &places, BOOL rapid);

// Writes the plan's elements into the job (after its old "src" elements went).
void ApplySourceWrites(CJobDef &def, const std::vector<SourceWrite> &writes);
