// Which job handles a watched change, and the path tests it rests on.
#include "engine/store/PathMatch.h"

#include "engine/program/AppPaths.h"
#include "engine/store/JobDef.h"
#include "engine/store/SourceList.h"
#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"

CString CutTrailingBackslashes(const CString &path)
{
    CString result(path);
    result.TrimRight(L'\\');
    return result;
}

CString PathBelow(const CString &path, const CString &folder)
{
    CString rest = path.Mid(CutTrailingBackslashes(folder).GetLength());
    rest.TrimLeft(L'\\');
    return rest;
}

CString StripLongPathPrefix(LPCWSTR path)
{
    const CString text(path ? path : L"");
    return text.Left(3) == L"\\\\?" ? text.Mid(4) : text;
}

bool IsMailStoreSourcePath(const CString &path)
{
    return path.Right(4) == L"pst\\";
}

CString MailStoreFolder(const CString &path)
{
    const CString store = CutTrailingBackslashes(path);
    return store.Left(store.ReverseFind(L'\\') + 1);
}

int CSyncJobList::IsPathBelow(LPCWSTR folder, LPCWSTR path)
{
    if (folder == nullptr || path == nullptr || *folder == L'\0')
        return 0;
    CString q = CutTrailingBackslashes(folder);
    CString p = CutTrailingBackslashes(path);
    q.MakeUpper();
    p.MakeUpper();
    if (p.GetLength() <= q.GetLength() || p.Left(q.GetLength()) != q)
        return 0;
    const wchar_t next = p[q.GetLength()];
    return next == L'\\' || next == L'/' ? 1 : 0;
}

namespace
{

// A "file" of a job's source list was renamed: the new name joins the list (in the "src" of its folder) and
// the old "file" element goes.
void RenameListedFile(CJobDef *jobDef, IXMLDOMElement *source, IXMLDOMElement *file, LPCWSTR newPath)
{
    // The change thread edits the tree while the user-interface thread may save it.
    XmlDomLock lock;
    jobDef->AddSourcePath(newPath, nullptr);
    IXMLDOMNodePtr removed;
    XmlCheck(source->removeChild(file, &removed));
    // A "src" without "file" children stands for its whole folder: when the file moved to another folder,
    // the emptied entry would make the job back up everything in the old one.
    XmlElementIterator rest(source);
    if (!rest.Next())
    {
        IXMLDOMElementPtr jobElement = jobDef->GetElement();
        IXMLDOMNodePtr removedSource;
        XmlCheck(jobElement->removeChild(source, &removedSource));
    }
}

} // namespace

CSyncJob *CSyncJobList::IsPathInJob(LPCWSTR path, LPCWSTR secondPath, LPCWSTR destKey, CSyncJob *only)
{
    if (path == nullptr)
        return nullptr;
    const CString second(secondPath ? secondPath : L"");
    const CString key(destKey ? destKey : L"");
    const CString changed = StripLongPathPrefix(path);

    // Office saves a document by writing a temporary file and renaming the original to a ".tmp" name: that
    // rename is no change of the document.
    const DWORD attributes = GetFileAttributesW(path);
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const CString pathText(path);
    if (!isFolder && IsDocumentExtension(pathText.Right(4)) && second.Right(4).CompareNoCase(L".tmp") == 0)
        return nullptr;

    // This runs on the change-processing thread: the list lock keeps every job alive while it is looked at.
    ListLock hold(*this);
    for (CSyncJob *job : m_jobs)
    {
        if (only != nullptr && job != only)
            continue;
        CJobDef *jobDef = job->GetJobDef();
        IXMLDOMElementPtr jobElement = jobDef->GetElement();
        if (!jobElement)
            XmlRaiseError(E_POINTER);

        if (jobDef->GetSyncType() == 2)
        {
            if (IsPathBelow(jobDef->GetDest(), path))
                return job;
            XmlElementIterator sources(jobElement);
            while (sources.Next())
            {
                if (IsPathBelow(GetXmlPathAttribute(sources.GetElement()), path))
                    return job;
            }
            continue;
        }

        if (jobDef->GetState() == 0 || job->m_runState != JOB_IDLE || jobDef->GetDest().CompareNoCase(key) != 0)
            continue;
        XmlElementIterator sources(jobElement);
        while (sources.Next())
        {
            IXMLDOMElementPtr source = sources.GetElement();
            CString sourcePath = GetXmlPathAttribute(source);
            if (IsMailStoreSourcePath(sourcePath))
            {
                sourcePath = CutTrailingBackslashes(sourcePath);
                if (sourcePath.CompareNoCase(changed) == 0)
                    return job;
            }
            XmlElementIterator files(source);
            bool hasChildren = false;
            while (files.Next())
            {
                hasChildren = true;
                if (files.GetName() != L"file")
                    continue;
                const CString filePath = GetXmlPathAttribute(files.GetElement());
                if (filePath == changed)
                {
                    if (!second.IsEmpty())
                        RenameListedFile(jobDef, source, files.GetElement(), second);
                    return job;
                }
                if (IsPathBelow(filePath, changed))
                    return job;
            }
            if (!hasChildren && IsPathBelow(sourcePath, changed))
                return job;
        }
    }
    return nullptr;
}
