#include "engine/changes/ChangeMatch.h"

#include <algorithm>
#include <vector>

#include "engine/continuous/OwnFolders.h"
#include "engine/continuous/Reconcile.h"
#include "engine/continuous/RevisionPath.h"
#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "engine/run/RunThread.h"
#include "engine/run/SyncJobCopyOne.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SourceList.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "engine/task/SyncTask.h"
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

// The folder's names, sorted and upper-cased, without the program's own files.
std::vector<CString> FolderNames(const CString &folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW(WithBackslash(folder) + L"*", &found));
    for (bool more = listing.IsValid(); more; more = ::FindNextFileW(listing, &found) != FALSE)
    {
        CString name(found.cFileName);
        if (name == L"." || name == L".." || IsProgramFileName(name))
            continue;
        name.MakeUpper();
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

bool EndsWithNoCase(const CString &text, LPCWSTR suffix)
{
    const int length = static_cast<int>(wcslen(suffix));
    return text.GetLength() >= length && text.Right(length).CompareNoCase(suffix) == 0;
}

void WarnWhenNearlyFull(ChangeMatch &match)
{
    ULONGLONG total = 0, used = 0, free = 0;
    GetPathDiskSpace(match.counterpart, total, used, free);
    const int threshold = match.def.GetThreshold();
    if (total != 0 && static_cast<double>(used) / static_cast<double>(total) * 100.0 > threshold &&
        match.def.GetWarningThreshold() != 0 && threshold >= 50)
    {
        match.job.ShowBalloon(FALSE, nullptr);
        match.job.ShowBalloon(TRUE, match.counterpart);
    }
}

// The snapshot batch goes now: a copy that comes next would replace or delete what it is to copy. FALSE when
// a record of it could not be copied.
bool HandOverBatch(ChangeMatch &match)
{
    size_t failed = 0;
    if (!match.batch.empty())
        failed = VssCopyFiles(std::move(match.batch), match.def.GetMaxVer(), &match.job);
    match.batch.clear();
    return failed == 0;
}

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

bool IsProgramFileName(LPCWSTR path)
{
    const CString name = LastComponent(CutTrailingBackslashes(path));
    return IsTemporaryCopyName(name) || name.CompareNoCase(GetTesselDirListFileName()) == 0;
}

bool IsInProgramFolder(CSyncJob &job, LPCWSTR path)
{
    std::vector<RunSource> sources;
    if (job.GetJobDef()->GetSyncType() != 2 || !ReadRunSources(job.GetElement(), sources))
        return false;
    std::vector<CString> roots{job.GetJobDef()->GetDest()};
    for (const RunSource &source : sources)
    {
        roots.push_back(source.path);
        roots.push_back(source.destination);
    }
    const CString text = CutTrailingBackslashes(path);
    for (const CString &root : roots)
    {
        if (!CSyncJobList::IsPathBelow(root, text))
            continue;
        const CString rest = text.Mid(CutTrailingBackslashes(root).GetLength() + 1) + L"\\";
        for (int start = 0, end; (end = rest.Find(L'\\', start)) >= 0; start = end + 1)
        {
            const CString part = rest.Mid(start, end - start);
            if (part.CompareNoCase(L"Revision") == 0 || part.CompareNoCase(L"Recycled") == 0)
                return true;
        }
    }
    return false;
}

bool IsInJobOwnFolder(CSyncJob &job, const CString &path, const CString &counterpart)
{
    const bool twoWay = job.GetJobDef()->GetSyncType() == 2;
    for (const OwnFolder &folder : GetJobOwnFolders(job))
    {
        // A two-way job's destination side lies in its "dest": a change there goes back to its source.
        if (folder.Holds(path) &&
            (folder.kind != OwnFolder::Destination || !twoWay || (!counterpart.IsEmpty() && folder.Holds(counterpart))))
            return true;
    }
    return false;
}

BOOL MakeFileRevisionPath(CSyncJob &job, const CString &file, CString &revision)
{
    revision.Empty();
    std::vector<RunSource> sources;
    if (!ReadRunSources(job.GetElement(), sources))
        return FALSE;
    for (const RunSource &source : sources)
    {
        for (const CString &root : {source.path, source.destination})
        {
            if (IsMailStoreSourcePath(root) || !SameOrBelow(root, file))
                continue;
            CString target;
            return MakeRevisionPath(job, file, root, root, target, &revision);
        }
    }
    ::SetLastError(ERROR_BAD_PATHNAME);
    return FALSE;
}

bool IsCopyOf(const CString &copy, const CString &original)
{
    WIN32_FILE_ATTRIBUTE_DATA a, b;
    if (!::GetFileAttributesExW(copy, GetFileExInfoStandard, &a) ||
        !::GetFileAttributesExW(original, GetFileExInfoStandard, &b))
        return false;
    const bool folderA = (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folderA != ((b.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
        return false;
    if (folderA)
        return FolderNames(copy) == FolderNames(original);
    const __int64 secondsA = LocalWholeSeconds(a.ftLastWriteTime), secondsB = LocalWholeSeconds(b.ftLastWriteTime);
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow && secondsA >= 0 && secondsB >= 0 &&
           secondsA - secondsB <= 5 && secondsB - secondsA <= 5;
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

bool IsOfficeSaveRename(const ChangeMatch &match)
{
    return IsDocumentExtension(match.path) && EndsWithNoCase(match.secondPath, L".tmp");
}

void BecomeRemoved(ChangeMatch &match)
{
    match.action = kChangeRemoved;
    match.secondPath.Empty();
}
