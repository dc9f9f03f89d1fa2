// What the restore page writes into its job when it is saved, worked out before the job is touched: a restore is
// the job's backup run the other way round, so each place is written with the backup's folder of it as the
// "src" path and the place itself as its "destination", and the run copies every file back to the path it was
// backed up from. Both source pages plan here: the basic page from its chosen folders and kinds of files, the
// advanced page from the places checked in its restore view.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/text/String.h"
#include "setup/sourcepage/AdvancedSourceSave.h"

// A "src" of the job as stored: the place it was backed up from, where the backup put it, and whether the backup
// took it whole ("rapid" "0") or through the kinds filter.
struct StoredSource
{
    CString path;
    CString destination; // empty: the store does not say
    bool whole = false;
};

// How the job's backup lays its places out (the job's "dest", "retain_full_path", "folder2folder"), for a place
// whose "destination" the store lacks, and for a place of the backup that no stored place names.
struct BackupLayout
{
    CString dest;
    bool retainFullPath = false;
    bool folderToFolder = false;
    CString computer; // as the destination's folder names spell it (GetDestComputerName)
};

// Where the backup put a stored place: its "destination", or where a run puts a place without one (the run's own
// rule: "dest" itself for a folder-to-folder job, the computer's and drive's folder when full paths are kept,
// else "dest" and the place's last name). Empty when neither tells.
CString BackupFolderOf(const StoredSource &source, const BackupLayout &layout);

// The place a folder of the backup came from when no stored place names it: below "dest", "C\Users\" came from
// "C:\Users\" and, with full paths kept, "<computer>_C\Users\" too. Empty when it cannot be worked out.
CString PlaceOfBackupFolder(const CString &folder, const BackupLayout &layout);

// The basic page: folders are the folders chosen in the category boxes (the places as the backup took them),
// extensions the chosen kinds of files ("." + extension + ";" each), which come back from every place the backup
// searched for them (a stored place that is not whole). A chosen folder comes back whole when the backup took it
// whole. A chosen folder that no stored place names, or whose backup folder cannot be worked out, is left out.
// With toOtherFolder the user chose the folder the restore goes to: no source gets a destination.
SourceSavePlan PlanBasicRestoreSave(const std::vector<CString> &folders, const CString &extensions,
                                    const std::vector<StoredSource> &stored, const BackupLayout &layout,
                                    bool toOtherFolder);

// The advanced page: places are the checked places of the restore view (folders of the backup with a trailing
// backslash, kinds of files as "ZZZ;" + list + ";"); stored in the order of their paths.
// - A place that is a stored place's backup folder, or lies below one, comes back to that place (and the rest of
//   its path below it), whole: the backup's folder holds only what was backed up.
// - Another place below the job's destination comes back where PlaceOfBackupFolder says; one that has no place
//   to go back to is left out.
// - The kinds of files join the include text; every stored place's backup folder is written once for them, back
//   to its place, through the kinds filter.
SourceSavePlan PlanRestoreSave(const std::vector<CString> &places, const std::vector<StoredSource> &stored,
                               const BackupLayout &layout, bool toOtherFolder);
