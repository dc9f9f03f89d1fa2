// The places a two-way (folder-to-folder) job may not copy to and from. Such a job copies each side into the other
// and carries a removal on one side over to the other, so a side that holds the program, its data folder or
// another job's backups would take them in, and a removal in the user's folder would delete the originals. A
// one-way job's destination may hold the data folder, as the one-click job's does.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CJobDef;
class CSyncJob;
class CSyncJobList;

// TRUE for a job that copies both ways between each source and its destination folder itself (sync type 2 and
// folder to folder).
BOOL IsTwoWayFolderJob(const CJobDef &def);

// The place that path (a side of a two-way job: its destination, or a source added later) meets, empty when none:
// the program's folder or its data folder when path is, holds or lies inside it; another job's destination when
// path is or holds it. job (null, or the wizard's job the collection does not hold yet) is passed over among the
// collection's jobs. Letter case and trailing backslashes do not matter.
CString FindTwoWayPlaceClash(const CSyncJobList &jobs, const CSyncJob *job, const CString &path);

// A stored two-way job whose destination meets such a place is disabled, with a line in its log, and never runs:
// TRUE when it was.
BOOL DisableTwoWayJobInUnsafePlace(const CSyncJobList &jobs, CSyncJob &job);
