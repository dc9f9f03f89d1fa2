#include "engine/snapshot/VssCopy.h"

#include <algorithm>
#include <cwchar>
#include <memory>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/DestPaths.h"
#include "engine/snapshot/ZorbitInfo.h"
#include "engine/task/SyncTask.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

bool Fits(LPCWSTR path)
{
    return wcslen(path) < static_cast<size_t>(kMaxPathChars);
}

// The buffers handed to the agent: each source as a path of the snapshot's length, and an empty place for
// the path of its copy.
struct AgentBuffers
{
    explicit AgentBuffers(const VssCopyBatch &batch)
    {
        for (const VSSCOPYING &record : batch)
        {
            owned.emplace_back(new wchar_t[kSnapshotPathChars]());
            wcsncpy(owned.back().get(), record.source, kSnapshotPathChars - 1);
            sources.push_back(owned.back().get());
            owned.emplace_back(new wchar_t[kSnapshotPathChars]());
            outputs.push_back(owned.back().get());
        }
    }

    std::vector<std::unique_ptr<wchar_t[]>> owned;
    std::vector<const wchar_t *> sources;
    std::vector<wchar_t *> outputs;
};

} // namespace

BOOL AddVssCopyItem(CSyncJob *job, VssCopyBatch &batch, DWORD kind, LPCWSTR source, LPCWSTR destination)
{
    if (source == nullptr || destination == nullptr)
        return FALSE;
    // A path cut to fit would copy the file onto another name.
    for (LPCWSTR path : {source, destination})
    {
        if (!Fits(path))
        {
            if (job != nullptr)
                job->LogError(ERROR_FILENAME_EXCED_RANGE, path);
            return FALSE;
        }
    }
    VSSCOPYING record = {};
    record.kind = kind;
    wcscpy(record.source, source);
    wcscpy(record.destination, destination);
    batch.push_back(record);
    return TRUE;
}

size_t VssCopyFiles(VssCopyBatch batch, int maxVersions, CSyncJob *job)
{
    if (batch.empty())
        return 0;
    CSingleLock hold(&CopyLock, TRUE);
    AgentBuffers buffers(batch);
    CLogMsg &log = job != nullptr ? job->GetLog() : AppLog;

    // A library that is missing, or lacks an entry point, is the error the system gives for a missing module.
    const bool bound = CZorbitInfo::IsBound();
    int result = ERROR_MOD_NOT_FOUND;
    if (bound)
    {
        int settings[3] = {1, 4, 0};
        g_pfnVssSetting(settings);
        result = g_pfnVssStartBackup2(buffers.sources.data(), buffers.outputs.data(), static_cast<int>(batch.size()));
    }

    size_t failed = 0;
    if (result != 0)
    {
        failed = batch.size();
        log.LogAt(L"SyncTask", __LINE__, static_cast<DWORD>(result), LM_INFO, L"%s :Call VssStartBackup2() faild\n",
                  FormatNow().GetString());
        for (const VSSCOPYING &record : batch)
        {
            log.LogAt(L"SyncTask", __LINE__, static_cast<DWORD>(result), LM_INFO,
                      L"VSS Copy Error:\nSource:%s\nDest:%s\n", record.source, record.destination);
            if (job != nullptr)
                job->LogError(static_cast<DWORD>(result), record.source);
        }
    }
    else
    {
        // The copies whose revision could not be made: the old copy is the only older version there is.
        std::vector<CString> notRevised;
        for (size_t i = 0; i < batch.size(); ++i)
        {
            const VSSCOPYING &record = batch[i];
            if (record.kind == 0 && std::any_of(notRevised.begin(), notRevised.end(), [&](const CString &path) {
                    return path.CompareNoCase(record.destination) == 0;
                }))
            {
                // It stays as it is, and the error its queuing counted stays: the next pass tries again.
                ++failed;
                continue;
            }
            wchar_t *snapshotPath = buffers.outputs[i];
            snapshotPath[kSnapshotPathChars - 1] = L'\0';
            const int copied = record.kind != 0 ? CopyFileWithRevisions(snapshotPath, record.destination, maxVersions)
                                                : CopyFileViaTemp(job, snapshotPath, record.destination);
            const DWORD error = ::GetLastError();
            if (copied != TASK_DONE)
            {
                ++failed;
                if (record.kind != 0)
                {
                    notRevised.push_back(record.source);
                    log.LogIdAt(L"SyncTask", __LINE__, error, LM_ERROR, IDS_LOG_REVISION_NOT_MADE,
                                FormatNow().GetString(), record.source, GetSystemErrorText(error).GetString());
                }
                else
                {
                    log.LogIdAt(L"SyncTask", __LINE__, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                                record.source);
                }
                if (job != nullptr)
                    job->LogError(error, record.source);
            }
            else if (job != nullptr && record.kind == 0 && job->m_errorCount > 0)
            {
                // Every batch takes CopyLock, so no other batch lowers the count between the test and the step.
                job->m_errorCount += -1;
            }
        }
    }

    if (bound)
        g_pfnVssBackupComplete(0);
    return failed;
}
