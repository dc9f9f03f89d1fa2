// CSyncJob's snapshot batch: handing a full batch of open-file copies to the agent.
#include "engine/job/SyncJob.h"

#include "engine/snapshot/VssCopy.h"

void CSyncJob::FlushVssCopyBatch(std::vector<VSSCOPYING> &batch)
{
    if (batch.size() < kVssBatchSize || m_cancelFlag)
        return;
    VssCopyFiles(batch, m_jobDef->GetMaxVer(), this);
    batch.clear();
}
