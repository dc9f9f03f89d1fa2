// A job's paths against the other jobs of the stored job list, so that a directory watch several jobs share
// is left in place when one of them lets go of it.
#include "engine/job/SyncJob.h"

#include "engine/store/PathMatch.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/store/XmlLayer.h"

namespace
{

// A mail-store source counts by the folder that holds the store.
CString WatchedPath(const CString &path)
{
    return IsMailStoreSourcePath(path) ? MailStoreFolder(path) : path;
}

} // namespace

BOOL CSyncJob::CheckPathInStore(LPCWSTR path)
{
    if (path == nullptr)
        return 0;
    // The store as last saved, read into a document of its own: the collection's document holds unsaved
    // edits, and the user asks about the jobs as they stand in the store.
    IXMLDOMDocument2Ptr store;
    XmlCheck(store.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    XmlCheck(store->put_async(VARIANT_FALSE));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(store->load(_variant_t(g_strJobsXmlPath.GetString()), &loaded)) || loaded != VARIANT_TRUE)
        return 0;
    IXMLDOMElementPtr root;
    XmlCheck(store->get_documentElement(&root));
    if (!root)
        return 0;

    IXMLDOMElementPtr own = GetJobDef()->GetElement();
    const CString ownName = XmlGetAttributeString(own, L"name");
    const int ownSyncType = XmlGetAttributeInt(own, L"sync_type");

    XmlElementIterator jobs(root);
    while (jobs.Next())
    {
        IXMLDOMElementPtr job = jobs.GetElement();
        const bool watchingOther = XmlGetAttributeInt(job, L"state") == 1 && XmlGetAttributeInt(job, L"js_type") == 0 &&
                                   XmlGetAttributeString(job, L"name").CompareNoCase(ownName) != 0;
        if (!watchingOther)
            continue;
        XmlElementIterator sources(job);
        while (sources.Next())
        {
            IXMLDOMElementPtr source = sources.GetElement();
            if (WatchedPath(GetXmlPathAttribute(source)).CompareNoCase(path) == 0)
                return 1;
            if (ownSyncType == 2 && WatchedPath(XmlGetAttributeString(source, L"destination")).CompareNoCase(path) == 0)
                return 1;
        }
    }
    return 0;
}
