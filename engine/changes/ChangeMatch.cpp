#include "engine/changes/ChangeMatch.h"

#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "engine/run/RunThread.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SourceList.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "engine/watch/DirectoryChangeHandler.h"

namespace
{

bool SameOrBelow(const CString &folder, const CString &path)
{
    if (folder.IsEmpty())
        return false;
    return CutTrailingBackslashes(folder).CompareNoCase(CutTrailingBackslashes(path)) == 0 ||
           CSyncJobList::IsPathBelow(folder, path) != 0;
}

// Whether the filters of the source that covers the path are on; a path no source covers gets them.
bool SourceFiltersActive(CSyncJob &job, const CString &path)
{
    std::vector<RunSource> sources;
    if (!ReadRunSources(job.GetElement(), sources))
        return true;
    for (const RunSource &source : sources)
    {
        const bool covers = IsMailStoreSourcePath(source.path)
                                ? CutTrailingBackslashes(source.path).CompareNoCase(path) == 0
                                : SameOrBelow(source.path, path);
        if (covers || SameOrBelow(source.destination, path))
            return source.filtersActive;
    }
    return true;
}

CString WithBackslash(const CString &path)
{
    return path.Right(1) == L"\\" ? path : path + L"\\";
}

} // namespace

bool PathExists(LPCWSTR path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolderPath(LPCWSTR path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CString SiblingPath(const CString &path, const CString &name)
{
    return path.Left(path.ReverseFind(L'\\') + 1) + name;
}

CString LastComponent(const CString &path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

bool PassesExtensionFilters(CSyncJob &job, LPCWSTR path)
{
    const CString text(path);
    if (!SourceFiltersActive(job, text))
        return true;
    const CString name = LastComponent(CutTrailingBackslashes(text));
    const CExtFilterPair &filters = job.GetJobDef()->GetFilterPair();
    return !filters.IsExcludedExt(name) && filters.IsIncludedExt(name);
}

bool PassesJobFilters(CSyncJob &job, LPCWSTR path)
{
    return !IsExcludedFile(path) && PassesExtensionFilters(job, path);
}

IXMLDOMElementPtr MatchSourceNode(CSyncJob &job, LPCWSTR path)
{
    const CString changed = CutTrailingBackslashes(path);
    XmlDomLock lock;
    XmlElementIterator sources(job.GetElement());
    while (sources.Next())
    {
        if (sources.GetName() == L"src" &&
            CutTrailingBackslashes(GetXmlPathAttribute(sources.GetElement())).CompareNoCase(changed) == 0)
            return sources.GetElement();
    }
    return nullptr;
}

bool IsInRevisionFolder(CSyncJob &job, LPCWSTR path)
{
    std::vector<CString> roots{job.GetJobDef()->GetDest()};
    {
        XmlDomLock lock;
        XmlElementIterator sources(job.GetElement());
        while (sources.Next())
            roots.push_back(GetXmlPathAttribute(sources.GetElement()));
    }
    const CString text(path);
    for (const CString &root : roots)
    {
        if (root.IsEmpty())
            continue;
        const CString revisions = WithBackslash(root) + L"Revision";
        if (text.GetLength() >= revisions.GetLength() && text.Left(revisions.GetLength()).CompareNoCase(revisions) == 0)
            return true;
    }
    return false;
}

void BecomeAdded(ChangeMatch &match)
{
    const CString name = LastComponent(match.secondPath);
    match.action = kChangeAdded;
    match.counterpart = SiblingPath(match.counterpart, name);
    match.revision = SiblingPath(match.revision, name);
    match.path = match.secondPath;
    match.secondPath.Empty();
}
