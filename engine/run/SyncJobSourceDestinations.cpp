#include "engine/run/DestPaths.h"
#include "engine/job/SyncJob.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

// The run copies a single-file source onto its "destination", so that must name a file, never a folder.
bool IsFileSource(const CString &path)
{
    return path.GetLength() > 3 && path[path.GetLength() - 1] != L'\\';
}

} // namespace

void CSyncJob::UpdateSourceDestinations()
{
    if (m_element == nullptr)
        return;
    const CString dest = m_jobDef->GetDest();
    const BOOL folderToFolder = m_jobDef->GetFolder2Folder() != 0;
    const BOOL retainFullPath = m_jobDef->GetRetainFullPath() != 0;

    XmlDomLock hold;
    XmlElementIterator children(m_element);
    while (children.Next())
    {
        IXMLDOMElementPtr source = children.GetElement();
        const CString path = XmlGetAttributeString(source, L"path");
        CString destination;
        if (folderToFolder)
        {
            destination = dest;
            if (IsFileSource(path) && !dest.IsEmpty())
                destination = JoinDestRoot(dest) + path.Mid(path.ReverseFind(L'\\') + 1);
        }
        else if (path.IsEmpty())
        {
            m_log.LogIdAt(L"SyncJob", __LINE__, ERROR_INVALID_NAME, LM_ERROR, IDS_LOG_SOURCE_FORM, L"");
        }
        else if (retainFullPath)
        {
            GetDestFolderName(path, dest, destination);
        }
        else if (GetPstFolder(path, dest, destination))
        {
            if (IsFileSource(path))
                destination.Delete(destination.GetLength() - 1);
        }
        XmlSetAttributeString(source, L"destination", destination);
    }
}
