#include "JobListTestSupport.h"

#include "engine/store/JobDef.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/job/SyncJob.h"

namespace joblisttest
{

std::wstring JobXml(const std::wstring &name, const std::wstring &uuid, const std::wstring &attributes,
                    const std::wstring &children)
{
    std::wstring xml = L"<jobdef name=\"" + name + L"\" JobUUID=\"" + uuid + L"\"";
    if (!attributes.empty())
        xml += L" " + attributes;
    if (children.empty())
        return xml + L"/>";
    return xml + L">" + children + L"</jobdef>";
}

std::wstring StoreXml(const std::wstring &jobs)
{
    return L"<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\">" + jobs + L"</Tessel>";
}

void StoreTest::SetUp()
{
    ASSERT_TRUE(m_com.Succeeded());
    m_previousStore = g_strJobsXmlPath;
    m_previousIni = g_strIniPath;
    m_previousLog = g_strLogPath;
    m_previousData = g_strDataFolder;
    g_strJobsXmlPath = StorePath().c_str();
    g_strIniPath = IniPath().c_str();
    // No job logs: the jobs of these tests open none.
    g_strLogPath.Empty();
    g_strDataFolder = m_folder.Path().c_str();
}

void StoreTest::TearDown()
{
    SetXmlStoreDocument(nullptr);
    g_strJobsXmlPath = m_previousStore;
    g_strIniPath = m_previousIni;
    g_strLogPath = m_previousLog;
    g_strDataFolder = m_previousData;
}

void StoreTest::WriteStore(const std::wstring &xml)
{
    const CStringA bytes(xml.c_str());
    ASSERT_TRUE(testsupport::WriteFileBytes(StorePath(), std::string(bytes.GetString(), bytes.GetLength())));
}

IXMLDOMElementPtr StoreTest::StoredJob(const std::wstring &job) const
{
    IXMLDOMDocument2Ptr document;
    if (FAILED(document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER)))
        return nullptr;
    document->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->load(_variant_t(StorePath().c_str()), &loaded)) || loaded != VARIANT_TRUE)
        return nullptr;
    IXMLDOMElementPtr root;
    document->get_documentElement(&root);
    XmlElementIterator jobs(root);
    while (jobs.Next())
    {
        if (XmlGetAttributeString(jobs.GetElement(), L"name") == job.c_str())
            return jobs.GetElement();
    }
    return nullptr;
}

std::vector<std::wstring> StoreTest::StoredNames() const
{
    std::vector<std::wstring> names;
    IXMLDOMDocument2Ptr document;
    if (FAILED(document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER)))
        return names;
    document->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->load(_variant_t(StorePath().c_str()), &loaded)) || loaded != VARIANT_TRUE)
        return names;
    IXMLDOMElementPtr root;
    document->get_documentElement(&root);
    XmlElementIterator jobs(root);
    while (jobs.Next())
        names.push_back(XmlGetAttributeString(jobs.GetElement(), L"name").GetString());
    return names;
}

CString StoreTest::StoredAttribute(const std::wstring &job, LPCWSTR attribute) const
{
    return XmlGetAttributeString(StoredJob(job), attribute);
}

std::vector<std::wstring> StoreTest::StoredSources(const std::wstring &job) const
{
    std::vector<std::wstring> result;
    IXMLDOMElementPtr element = StoredJob(job);
    if (!element)
        return result;
    CStringArray list;
    XmlReadSrcList(element, list);
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        result.push_back(list[i].GetString());
    return result;
}

CSyncJob *StoreTest::JobNamed(const CSyncJobList &list, const std::wstring &name)
{
    for (INT_PTR i = 0; i < list.GetCount(); ++i)
    {
        if (list.GetAt(i)->GetJobDef()->GetName() == name.c_str())
            return list.GetAt(i);
    }
    return nullptr;
}

std::vector<std::wstring> StoreTest::Sources(CSyncJob *job)
{
    std::vector<std::wstring> result;
    CStringArray list;
    XmlReadSrcList(job->GetJobDef()->GetElement(), list);
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        result.push_back(list[i].GetString());
    return result;
}

} // namespace joblisttest
