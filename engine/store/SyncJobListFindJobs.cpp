// Which jobs cover a changed path, and where the change goes for each.
#include "engine/store/SyncJobList.h"

#include "engine/continuous/RevisionPath.h"
#include "engine/job/SyncJob.h"
#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SourceList.h"
#include "engine/store/XmlLayer.h"

namespace
{

struct SourcePair
{
    CString path;
    CString destination;
};

// Every child element's "path" and "destination", read under the DOM lock so that nothing else holds the
// lock while the paths are made.
std::vector<SourcePair> ReadSourcePairs(IXMLDOMElement *jobElement)
{
    std::vector<SourcePair> pairs;
    XmlDomLock lock;
    XmlElementIterator children(jobElement);
    while (children.Next())
    {
        IXMLDOMElementPtr child = children.GetElement();
        pairs.push_back({GetXmlPathAttribute(child), XmlGetAttributeString(child, L"destination")});
    }
    return pairs;
}

bool IsWatchedNow(CSyncJob &job)
{
    CJobDef *def = job.GetJobDef();
    if (def->GetState() == 0)
        return false;
    if (def->GetJsType() != 0)
        return job.m_runState == JOB_BUSY;
    return job.m_runState == JOB_IDLE || (job.m_runState == JOB_BUSY && job.m_startArgument != 0);
}

bool CoversPath(const CString &source, const CString &path)
{
    if (IsMailStoreSourcePath(source))
        return CutTrailingBackslashes(source).CompareNoCase(path) == 0;
    return CSyncJobList::IsPathBelow(source, path) != 0;
}

} // namespace

size_t CSyncJobList::FindJobsForPath(LPCWSTR changedPath, std::vector<ChangedPathMatch> &matches)
{
    matches.clear();
    if (changedPath == nullptr || *changedPath == L'\0')
        return 0;
    const CString path = StripLongPathPrefix(changedPath);
    ListLock hold(*this);
    for (CSyncJob *job : m_jobs)
    {
        if (matches.size() >= kMaxChangedPathMatches)
            break;
        if (!IsWatchedNow(*job))
            continue;
        CJobDef *def = job->GetJobDef();
        const std::vector<SourcePair> pairs = ReadSourcePairs(def->GetElement());
        for (const SourcePair &pair : pairs)
        {
            ChangedPathMatch match;
            if (!CoversPath(pair.path, path) ||
                !MakeRevisionPath(*job, path, pair.path, pair.destination, match.copyPath, &match.revisionPath))
                continue;
            match.root = def->GetDest();
            matches.push_back(match);
            break;
        }
        if (matches.size() >= kMaxChangedPathMatches || def->GetSyncType() != 2 || !IsPathBelow(def->GetDest(), path))
            continue;
        // A change on the destination side of a two-way job goes back to its source.
        for (const SourcePair &pair : pairs)
        {
            if (pair.destination.IsEmpty() ||
                (CutTrailingBackslashes(pair.destination).CompareNoCase(CutTrailingBackslashes(path)) != 0 &&
                 !IsPathBelow(pair.destination, path)))
                continue;
            ChangedPathMatch match;
            if (!MakeRevisionPath(*job, path, pair.destination, pair.path, match.copyPath, &match.revisionPath))
                continue;
            match.root = pair.path;
            matches.push_back(match);
            return matches.size();
        }
    }
    return matches.size();
}
