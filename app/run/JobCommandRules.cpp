#include "app/run/JobCommandRules.h"

#include <shlwapi.h>

#include "app/start/QordelStartRules.h"
#include "engine/job/SyncJob.h"
#include "engine/job/TwoWayPlaces.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "setup/filters/FilterTree.h"

namespace
{

CString WithoutTrailingBackslashes(CString path)
{
    path.TrimRight(L'\\');
    return path;
}

int ModeOfWord(const CString &word)
{
    if (word == L"--select" || word == L"-s")
        return START_MODE_SELECT;
    if (word == L"--create" || word == L"-c")
        return START_MODE_CREATE;
    return START_MODE_NONE;
}

// The "path" of every child element of the job's element.
std::vector<CString> ChildPaths(CSyncJob &job)
{
    std::vector<CString> paths;
    XmlDomLock lock;
    XmlElementIterator children(job.GetElement());
    while (children.Next())
    {
        const CString path = XmlGetAttributeString(children.GetElement(), L"path");
        if (!path.IsEmpty())
            paths.push_back(path);
    }
    return paths;
}

bool SamePath(const CString &a, const CString &b)
{
    return WithoutTrailingBackslashes(a).CompareNoCase(WithoutTrailingBackslashes(b)) == 0;
}

bool Inside(const CString &folder, const CString &path)
{
    return CSyncJobList::IsPathBelow(folder, path) != 0;
}

} // namespace

CString CopyDataText(const void *data, DWORD cbData)
{
    if (data == nullptr)
        return CString();
    const auto *text = static_cast<const wchar_t *>(data);
    const size_t most = cbData / sizeof(wchar_t);
    size_t length = 0;
    while (length < most && text[length] != L'\0')
        ++length;
    return CString(text, static_cast<int>(length));
}

CommandRequest ParseCommandRequest(const CString &text)
{
    CommandRequest request;
    const int last = text.ReverseFind(L';');
    if (last < 0)
        return request;
    request.valid = true;
    const CString body = text.Left(last + 1);
    int start = 0;
    while (start < body.GetLength())
    {
        int end = body.Find(L' ', start);
        // A word must be followed by its blank: the paths come after it.
        if (end < 0)
            break;
        const int mode = ModeOfWord(body.Mid(start, end - start));
        if (mode != START_MODE_NONE)
        {
            request.mode = mode;
            request.paths = body.Mid(end + 1);
            return request;
        }
        start = end + 1;
    }
    return request;
}

void FillPendingPaths(const CString &paths, CStringArray &pending)
{
    int start = 0;
    while (start < paths.GetLength())
    {
        const int end = paths.Find(L';', start);
        const CString piece = end < 0 ? paths.Mid(start) : paths.Mid(start, end - start);
        if (piece.IsEmpty())
            break;
        if (::PathFileExistsW(piece))
            pending.Add(::PathIsDirectoryW(piece) ? WithoutTrailingBackslashes(piece) + L"\\" : piece);
        if (end < 0)
            break;
        start = end + 1;
    }
}

std::vector<CString> JobFilterFilesOf(const CString &jobUuid)
{
    if (jobUuid.IsEmpty() || jobUuid.FindOneOf(L"\\/:*?") >= 0 || jobUuid.Find(L"..") >= 0)
        return {};
    return {JobFilterFilePath(jobUuid), g_strFilterFolder + jobUuid + L"_2.xml"};
}

int ClassifyDestination(const CSyncJobList &jobs, CSyncJob *job, LPCWSTR path)
{
    if (path == nullptr || *path == L'\0')
        return -1;
    const CString target(path);
    bool keepsFullPaths = false;
    if (job != nullptr)
    {
        const CJobDef *def = job->GetJobDef();
        if (def->GetSourceAgent() != 0 || def->GetDestAgent() != 0)
            return -1;
        keepsFullPaths = def->GetRetainFullPath() != 0;
        for (const CString &source : ChildPaths(*job))
        {
            // A backup into one of its own sources, or around one, copies itself on every run.
            if (SamePath(source, target))
                return 1;
            if (Inside(source, target) || Inside(target, source))
                return 2;
        }
        // A two-way job copies its destination into its sources as much as the other way round.
        if (IsTwoWayFolderJob(*def) && !FindTwoWayPlaceClash(jobs, job, target).IsEmpty())
            return 2;
    }
    for (INT_PTR i = 0; i < jobs.GetCount(); ++i)
    {
        CSyncJob *other = jobs.GetAt(i);
        if (other == job)
            continue;
        const bool bothFlat = !keepsFullPaths && other->GetJobDef()->GetRetainFullPath() == 0;
        for (const CString &source : ChildPaths(*other))
        {
            if (Inside(source, target) || (bothFlat && Inside(target, source)))
                return 3;
        }
    }
    return -1;
}
