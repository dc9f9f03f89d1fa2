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

// The match of a change of path below root, whose copy goes below destination. A match whose paths cannot be
// made says why, so that its job can tell the user and run; the copy's path alone stays when only its
// revision's does not fit.
ChangedPathMatch MakeMatch(CSyncJob &job, const CString &path, const CString &root, const CString &destination,
                           const CString &key)
{
    ChangedPathMatch match;
    match.job = &job;
    match.root = key;
    if (!MakeRevisionPath(job, path, root, destination, match.copyPath, &match.revisionPath))
    {
        match.pathError = ::GetLastError();
        if (match.pathError == 0)
            match.pathError = ERROR_BAD_PATHNAME;
        if (!MakeRevisionPath(job, path, root, destination, match.copyPath, nullptr))
            match.copyPath.Empty();
    }
    return match;
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
            if (!CoversPath(pair.path, path))
                continue;
            matches.push_back(MakeMatch(*job, path, pair.path, pair.destination, def->GetDest()));
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
            matches.push_back(MakeMatch(*job, path, pair.destination, pair.path, pair.path));
            return matches.size();
        }
    }
    return matches.size();
}
