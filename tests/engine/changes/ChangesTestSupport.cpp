#include "ChangesTestSupport.h"

#include "engine/journal/RestoreJournal.h"
#include "engine/log/LogMsg.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/JobDef.h"

namespace changestest
{

const std::map<std::wstring, std::wstring> kRanBefore{{L"neverrun", L"2020-01-01 00:00:00"}};

size_t RequestWindow::RequestsFor(CSyncJob *job) const
{
    size_t count = 0;
    for (CSyncJob *requested : RunRequests())
        count += requested == job ? 1 : 0;
    return count;
}

void ChangeTest::SetUp()
{
    ASSERT_TRUE(m_com.Succeeded());
    UseLanguageLibrary();
    m_savedLog = g_strLogPath;
    m_savedData = g_strDataFolder;
    g_strLogPath = (m_folder / L"Zel.log").c_str();
    g_strDataFolder = m_folder.Path().c_str();
    ASSERT_EQ(AppLog.Open((m_folder / L"Program.log").c_str()), 0);
    m_src = m_folder / L"src\\";
    m_dst = m_folder / L"dst\\";
    ASSERT_TRUE(::CreateDirectoryW(m_src.c_str(), nullptr) && ::CreateDirectoryW(m_dst.c_str(), nullptr));
    m_processor = std::make_unique<CChangeProcessor>();
    m_savedListName = GetTesselDirListFileName();
    SetTesselDirListName(L"TesselDir.list");
}

void ChangeTest::TearDown()
{
    m_processor.reset();
    m_window.reset();
    m_list.reset();
    SetXmlStoreDocument(nullptr);
    // Closes the program's log: the folder goes with the test.
    AppLog.Open((m_folder / L"gone\\closed.log").c_str());
    g_strLogPath = m_savedLog;
    g_strDataFolder = m_savedData;
    SetTesselDirListName(m_savedListName);
}

std::wstring ChangeTest::Job(const std::wstring &name, const std::wstring &dest, const std::wstring &source,
                             const Attributes &with) const
{
    static int uuid = 0;
    Attributes attributes{{L"state", L"1"},  {L"js_type", L"0"},    {L"sync_type", L"1"},
                          {L"maxver", L"2"}, {L"autodel", L"true"}, {L"neverrun", L"true"}};
    for (const auto &[key, value] : with)
        attributes[key] = value;
    std::wstring xml =
        L"<jobdef name=\"" + name + L"\" JobUUID=\"{" + std::to_wstring(++uuid) + L"}\" dest=\"" + dest + L"\"";
    for (const auto &[key, value] : attributes)
        xml += L" " + key + L"=\"" + value + L"\"";
    return xml + L"><src path=\"" + (source.empty() ? m_src : source) + L"\" destination=\"" + dest +
           L"\" rapid=\"0\"/></jobdef>";
}

void ChangeTest::LoadJobs(const std::wstring &jobs)
{
    const std::wstring xml = L"<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\">" + jobs + L"</Tessel>";
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", CStringA(xml.c_str()).GetString()));
    m_window = std::make_unique<RequestWindow>();
    m_list = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
    m_window->m_jobList = m_list.get();
}

CSyncJob *ChangeTest::JobNamed(const std::wstring &name) const
{
    for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
    {
        if (m_list->GetAt(i)->GetJobDef()->GetName() == name.c_str())
            return m_list->GetAt(i);
    }
    ADD_FAILURE() << "no job " << CStringA(name.c_str()).GetString();
    return nullptr;
}

int ChangeTest::Process(DWORD action, const std::wstring &path, const std::wstring &second)
{
    return m_processor->ProcessChangeRecord(MakeFileChangeEntry(action, path.c_str(), second.c_str()));
}

std::vector<std::wstring> ChangeTest::Journal(CSyncJob *job) const
{
    CRestoreJournal journal(m_folder.Path().c_str());
    CStringList destinations;
    std::vector<std::wstring> found;
    if (journal.Open(job->GetJobDef()->GetName(), 0))
    {
        journal.ReadAll(destinations);
        for (POSITION at = destinations.GetHeadPosition(); at != nullptr;)
            found.push_back(destinations.GetNext(at).GetString());
        journal.Close(0);
    }
    return found;
}

std::vector<std::wstring> ChangeTest::AppLogLines() const
{
    AppLog.Flush();
    const std::string bytes = testsupport::ReadFileBytes(m_folder / L"Program.log");
    std::wstring text(bytes.size() > 2 ? (bytes.size() - 2) / 2 : 0, L'\0');
    if (!text.empty())
        memcpy(&text[0], bytes.data() + 2, text.size() * 2);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

void Write(const std::wstring &path, const std::string &bytes)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes)) << testing::PrintToString(path);
}

} // namespace changestest
