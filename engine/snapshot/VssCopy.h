// Open-file copies through the snapshot agent (ZorbitInfo.h). Files that another program holds open are
// collected in a batch of records; a batch goes to the agent whole, which makes one snapshot of their volumes,
// and each file is then copied from its place in the snapshot.
//
// Batches of all jobs and threads run one at a time, under CopyLock. The caller that fills a batch hands it on
// at 100 records (CSyncJob::FlushVssCopyBatch) and at the end of its pass (VssCopyFiles).
#pragma once
#include <windows.h>

#include <vector>

class CSyncJob;

// One open-file copy, kept by value.
struct VSSCOPYING
{
    // 0: a copy over the destination (CopyFileViaTemp); the queuing code counted it as one of the job's
    // errors, which its successful copy takes back. Else: a copy into the destination's next revision
    // (CopyFileWithRevisions).
    DWORD kind;
    wchar_t source[MAX_PATH];
    wchar_t destination[MAX_PATH];
};
static_assert(sizeof(VSSCOPYING) == 1044, "a snapshot copy record is 1044 bytes");

using VssCopyBatch = std::vector<VSSCOPYING>;

// The batch size at which FlushVssCopyBatch hands a batch on.
constexpr size_t kVssBatchSize = 100;

// Appends one record. A path that does not fit whole in its field (kMaxPathChars characters or more) is not
// queued: it is reported for the job (may be null) as error 206, and the result is FALSE.
BOOL AddVssCopyItem(CSyncJob *job, VssCopyBatch &batch, DWORD kind, LPCWSTR source, LPCWSTR destination);

// Copies every record of the batch from the snapshot the agent makes: VssSetting({1, 4, 0}),
// VssStartBackup2, one copy per record from the path the agent gave, VssBackupComplete(0). When the agent is not
// bound whole nothing is called and the batch fails with 126. A failed snapshot is logged (source "SyncTask")
// and reported for every record; so is each copy that fails (an LM_ERROR entry and a copy-error line). A copy
// over a target whose revision record failed earlier in the batch is not made: the old copy stays, and the
// error its queuing counted stays. maxVersions as CopyFileWithRevisions takes it. Returns the number of
// records not copied.
size_t VssCopyFiles(VssCopyBatch batch, int maxVersions, CSyncJob *job);
