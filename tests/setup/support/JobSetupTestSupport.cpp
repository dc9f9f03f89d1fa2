#include "setup/support/JobSetupTestSupport.h"

#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "setup/support/WindowScript.h"

namespace setuptest
{

void JobSetupTest::SetUp()
{
    FilterTest::SetUp();
    m_savedDataFolder = g_strDataFolder;
    m_savedStorePath = g_strJobsXmlPath;
    g_strDataFolder = m_folder.Path().c_str();
    g_strJobsXmlPath = StorePath().c_str();
    m_boxes = std::make_unique<SeamOverride<MessageBoxAnswer>>(g_messageBoxAnswer,
                                                               [this](UINT textId, const CString &text, UINT flags) {
                                                                   m_asked.push_back(AskedBox{textId, text});
                                                                   if (m_answer && !WindowScript::GivingUp())
                                                                       return m_answer(textId, flags);
                                                                   return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
                                                               });
    m_jobs = std::make_unique<CSyncJobList>(StorePath().c_str(), (m_folder / L"Zel.ini").c_str());
    m_main = std::make_unique<enginetest::FakeMainWindow>(m_kind);
    m_main->m_jobList = m_jobs.get();
}

void JobSetupTest::TearDown()
{
    // Runs still waiting for their end message end first: the queue holds the jobs only as borrowed pointers.
    m_main->PumpUntil([] { return false; }, 200);
    m_main.reset();
    m_jobs.reset();
    m_boxes.reset();
    g_strJobsXmlPath = m_savedStorePath;
    g_strDataFolder = m_savedDataFolder;
    FilterTest::TearDown();
}

std::wstring JobSetupTest::StorePath() const
{
    return m_folder / L"Zel.xml";
}

std::vector<IXMLDOMElementPtr> JobSetupTest::StoredJobs()
{
    if (::GetFileAttributesW(StorePath().c_str()) == INVALID_FILE_ATTRIBUTES)
        return {};
    IXMLDOMDocument2Ptr document = enginetest::LoadStoreDocument(StorePath());
    EXPECT_TRUE(document != nullptr) << "the store does not read back";
    return document != nullptr ? enginetest::ChildElements(enginetest::RootOf(document), L"jobdef")
                               : std::vector<IXMLDOMElementPtr>();
}

std::vector<UINT> JobSetupTest::AskedIds() const
{
    std::vector<UINT> ids;
    for (const AskedBox &box : m_asked)
        ids.push_back(box.textId);
    return ids;
}

CSyncJob *JobSetupTest::AddJob(LPCWSTR name, LPCWSTR dest, const std::vector<std::pair<LPCWSTR, LPCWSTR>> &keys)
{
    IXMLDOMElementPtr element = enginetest::NewJobElement(m_jobs->GetDocument(), name, dest);
    for (const auto &key : keys)
        XmlSetAttributeString(element, key.first, key.second);
    auto *job = new CSyncJob();
    job->Attach(element);
    m_jobs->Add(job);
    return job;
}

void JobSetupTest::WaitForRunEnds(size_t count)
{
    EXPECT_TRUE(m_main->WaitForEnds(count, 20000)) << "runs ended: " << m_main->CountEnds();
}

} // namespace setuptest
