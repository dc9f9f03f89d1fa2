// Where each source of a job goes under its destination, and how those places follow the destination.
#include "engine/run/DestPaths.h"

#include <cwctype>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

// The run copies a single-file source onto its "destination", so that must name a file, never a folder.
bool IsFileSource(const CString &path)
{
    return path.GetLength() > 3 && path[path.GetLength() - 1] != L'\\';
}

// path is the folder or lies inside it.
bool LiesUnder(const CString &folder, const CString &path)
{
    return CutTrailingBackslashes(folder).CompareNoCase(CutTrailingBackslashes(path)) == 0 ||
           CSyncJobList::IsPathBelow(folder, path) != 0;
}

bool HasDriveLetter(const CString &path)
{
    return path.GetLength() >= 2 && iswalpha(path[0]) && path[1] == L':';
}

} // namespace

CString CSyncJob::MakeSourceDestination(const CString &path)
{
    const CString dest = m_jobDef->GetDest();
    CString destination;
    if (m_jobDef->GetFolder2Folder() != 0)
    {
        destination = dest;
        if (IsFileSource(path) && !dest.IsEmpty())
            destination = JoinDestRoot(dest) + path.Mid(path.ReverseFind(L'\\') + 1);
    }
    else if (path.IsEmpty())
    {
        m_log.LogIdAt(L"SyncJob", __LINE__, ERROR_INVALID_NAME, LM_ERROR, IDS_LOG_SOURCE_FORM, L"");
    }
    else if (m_jobDef->GetRetainFullPath() != 0)
    {
        GetDestFolderName(path, dest, destination);
    }
    else if (GetPstFolder(path, dest, destination))
    {
        if (IsFileSource(path))
            destination.Delete(destination.GetLength() - 1);
    }
    return destination;
}

void CSyncJob::UpdateSourceDestinations()
{
    if (m_element == nullptr)
        return;
    XmlDomLock hold;
    XmlElementIterator children(m_element);
    while (children.Next())
    {
        IXMLDOMElementPtr source = children.GetElement();
        XmlSetAttributeString(source, L"destination", MakeSourceDestination(XmlGetAttributeString(source, L"path")));
    }
}

int CSyncJob::KeepDestinationsUnderDest()
{
    const CString dest = m_jobDef->GetDest();
    if (m_element == nullptr || dest.IsEmpty() || m_jobDef->GetDestAgent() != 0)
        return 0;
    int written = 0;
    XmlDomLock hold;
    XmlElementIterator children(m_element);
    while (children.Next())
    {
        if (children.GetName() != L"src")
            continue;
        IXMLDOMElementPtr source = children.GetElement();
        const CString destination = XmlGetAttributeString(source, L"destination");
        // A "destination" on a letter the destination drive no longer has would send the run to another drive.
        if (destination.IsEmpty() || LiesUnder(dest, destination))
            continue;
        const CString path = XmlGetAttributeString(source, L"path");
        const CString made = MakeSourceDestination(path);
        XmlSetAttributeString(source, L"destination", made);
        m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_WARNING, IDS_LOG_SOURCE_DEST_REBUILT, FormatNow().GetString(),
                      path.GetString(), destination.GetString(), dest.GetString(), made.GetString());
        ++written;
    }
    return written;
}

BOOL CSyncJob::MoveDestinationToDrive(wchar_t letter)
{
    const CString oldDest = m_jobDef->GetDest();
    if (!HasDriveLetter(oldDest) || !iswalpha(letter))
        return FALSE;
    const wchar_t upper = static_cast<wchar_t>(towupper(letter));
    CString newDest = oldDest;
    newDest.SetAt(0, upper);
    // The drive is the same one: only its letter changed.
    const CString id = m_jobDef->GetUuid();
    m_jobDef->SetDest(newDest);
    m_jobDef->SetUuid(id);
    if (m_element == nullptr || towupper(oldDest[0]) == upper)
        return TRUE;
    XmlDomLock hold;
    XmlElementIterator sources(m_element);
    while (sources.Next())
    {
        std::vector<IXMLDOMElementPtr> elements{sources.GetElement()};
        XmlElementIterator files(sources.GetElement());
        while (files.Next())
            elements.push_back(files.GetElement());
        for (const IXMLDOMElementPtr &element : elements)
        {
            for (LPCWSTR name : {L"path", L"destination"})
            {
                CString value = XmlGetAttributeString(element, name);
                if (value.IsEmpty() || !LiesUnder(oldDest, value))
                    continue;
                value.SetAt(0, upper);
                XmlSetAttributeString(element, name, value);
            }
        }
    }
    return TRUE;
}
