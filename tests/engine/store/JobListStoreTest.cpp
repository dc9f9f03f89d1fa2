// The job store: order of the saved jobs, the legacy import, a save that fails half way or reads back short, a
// store that cannot be read, dropping one job's edits and loading a second time.
#include "JobListTestSupport.h"

#include <memory>

#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"
#include "engine/program/FolderSizeScanner.h"
#include "engine/log/LogMsg.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace joblisttest;

namespace
{

using Names = std::vector<std::wstring>;

class JobListStore : public StoreTest
{
  protected:
    std::wstring ThreeJobs() const
    {
        return StoreXml(JobXml(L"A", L"uuid-a", L"state=\"1\"") + JobXml(L"B", L"uuid-b", L"state=\"1\"") +
                        JobXml(L"C", L"uuid-c", L"state=\"1\""));
    }
};

Names NamesOf(const CSyncJobList &list)
{
    Names names;
    for (INT_PTR i = 0; i < list.GetCount(); ++i)
        names.push_back(list.GetAt(i)->GetJobDef()->GetName().GetString());
    return names;
}

} // namespace

TEST_F(JobListStore, MissingStoreLoadsEmptyAndSavesABareRoot)
{
    CSyncJobList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(list.GetBrokenStoreCopy().IsEmpty());
    EXPECT_EQ(list.Save(), 1);
    EXPECT_EQ(StoredNames(), Names{});
    const std::string saved = testsupport::ReadFileBytes(StorePath());
    EXPECT_NE(saved.find("Tessel"), std::string::npos);
    EXPECT_NE(saved.find("ORVANE"), std::string::npos);
    EXPECT_EQ(GetFileAttributesW((StorePath() + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobListStore, CommentsAndTextUnderTheRootMakeNoJob)
{
    WriteStore(StoreXml(L"<!-- kept by hand -->" + JobXml(L"A", L"uuid-a") + L"<?note x?>"));
    CSyncJobList list;
    EXPECT_EQ(NamesOf(list), Names{L"A"});
}

TEST_F(JobListStore, RoundTripKeepsTheCollectionOrderAfterAddAndMoveToFront)
{
    WriteStore(ThreeJobs());
    {
        CSyncJobList list;
        ASSERT_EQ(NamesOf(list), (Names{L"A", L"B", L"C"}));
        EXPECT_FALSE(list.GetAt(0)->m_notStored.Get());

        auto added = std::make_unique<CSyncJob>();
        added->AttachNode();
        added->GetJobDef()->SetName(L"D");
        EXPECT_EQ(list.Add(added.get()), 1000);
        CSyncJob *d = added.release();
        EXPECT_TRUE(list.Contains(d));

        EXPECT_EQ(list.MoveToFront(3), 1);
        EXPECT_EQ(NamesOf(list), (Names{L"D", L"A", L"B", L"C"}));
        EXPECT_EQ(list.MoveToFront(2), 1);
        EXPECT_EQ(list.MoveToFront(0), 1);
        EXPECT_EQ(list.MoveToFront(4), 0);
        EXPECT_THROW(list.MoveToFront(-1), _com_error);
        EXPECT_EQ(NamesOf(list), (Names{L"B", L"D", L"A", L"C"}));
        EXPECT_EQ(list.GetAt(4), nullptr);
        EXPECT_EQ(list.GetAt(-1), nullptr);

        EXPECT_EQ(list.Save(), 1);
        EXPECT_EQ(StoredNames(), (Names{L"B", L"D", L"A", L"C"}));
    }
    CSyncJobList reloaded;
    EXPECT_EQ(NamesOf(reloaded), (Names{L"B", L"D", L"A", L"C"}));
    EXPECT_EQ(reloaded.GetAt(2)->GetJobDef()->GetJobUUID(), L"uuid-a");
}

TEST_F(JobListStore, FindByNameIsExactAndLeavesOutTheJobBeingEdited)
{
    WriteStore(ThreeJobs());
    CSyncJobList list;
    CSyncJob *a = JobNamed(list, L"A");
    EXPECT_TRUE(list.FindByName(L"A"));
    EXPECT_FALSE(list.FindByName(L"a"));
    EXPECT_FALSE(list.FindByName(L"A", a));
    EXPECT_TRUE(list.FindByName(L"B", a));
    EXPECT_FALSE(list.FindByName(L"Z"));
}

TEST_F(JobListStore, RemoveJobTakesItsElementOutOfTheStore)
{
    WriteStore(ThreeJobs());
    CSyncJobList list;
    CSyncJob *b = JobNamed(list, L"B");
    EXPECT_EQ(list.RemoveJob(b), 1000);
    EXPECT_FALSE(list.Contains(b));
    EXPECT_EQ(NamesOf(list), (Names{L"A", L"C"}));
    list.Save();
    EXPECT_EQ(StoredNames(), (Names{L"A", L"C"}));
    // A second Load after the removal brings nothing back.
    list.Load();
    EXPECT_EQ(NamesOf(list), (Names{L"A", L"C"}));
}

TEST_F(JobListStore, SecondLoadAddsJobsOnlyForElementsNoJobIsBoundTo)
{
    WriteStore(ThreeJobs());
    CSyncJobList list;
    EXPECT_EQ(list.Load(), 1);
    EXPECT_EQ(NamesOf(list), (Names{L"A", L"B", L"C"}));

    // An element put under the root by other code is picked up, and only that one.
    IXMLDOMNodePtr node;
    ASSERT_EQ(list.GetDocument()->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                             _bstr_t(L"ORVANE"), &node),
              S_OK);
    IXMLDOMElementPtr element(node);
    XmlSetAttributeString(element, L"name", L"E");
    IXMLDOMElementPtr root;
    list.GetDocument()->get_documentElement(&root);
    IXMLDOMNodePtr appended;
    root->appendChild(element, &appended);
    list.Load();
    EXPECT_EQ(NamesOf(list), (Names{L"A", L"B", L"C", L"E"}));
}

TEST_F(JobListStore, FailingTemporaryWriteLeavesTheOldStoreByteIdentical)
{
    WriteStore(ThreeJobs());
    const std::string before = testsupport::ReadFileBytes(StorePath());
    CSyncJobList list;
    JobNamed(list, L"A")->GetJobDef()->SetName(L"Renamed");
    // A folder in the temporary file's place makes its write fail.
    ASSERT_TRUE(CreateDirectoryW((StorePath() + L".tmp").c_str(), nullptr));
    EXPECT_THROW(list.Save(), _com_error);
    EXPECT_EQ(testsupport::ReadFileBytes(StorePath()), before);

    // The locks were let go: the next save goes through.
    ASSERT_TRUE(RemoveDirectoryW((StorePath() + L".tmp").c_str()));
    EXPECT_EQ(list.Save(), 1);
    EXPECT_EQ(StoredNames(), (Names{L"Renamed", L"B", L"C"}));
    EXPECT_EQ(GetFileAttributesW((StorePath() + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

namespace
{

// What a drive that drops part of a write leaves: a well-formed store that holds the first job only.
HRESULT WriteFirstJobOnly(IXMLDOMDocument2 *, LPCWSTR path)
{
    const CStringA bytes(StoreXml(JobXml(L"A", L"uuid-a")).c_str());
    return testsupport::WriteFileBytes(path, bytes.GetString()) ? S_OK : E_FAIL;
}

} // namespace

TEST_F(JobListStore, TemporaryThatReadsBackWithFewerJobsLeavesTheOldStoreAndIsLogged)
{
    enginetest::UseLanguageLibrary();
    ASSERT_EQ(AppLog.Open((m_folder / L"Program.log").c_str()), 0);
    WriteStore(ThreeJobs());
    const std::string before = testsupport::ReadFileBytes(StorePath());
    CSyncJobList list;
    SeamOverride shortWrite(g_pfnWriteStoreDocument, &WriteFirstJobOnly);
    EXPECT_THROW(list.Save(), _com_error);

    EXPECT_EQ(testsupport::ReadFileBytes(StorePath()), before);
    EXPECT_EQ(GetFileAttributesW((StorePath() + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring line = enginetest::EntryLine(IDS_LOG_STORE_NOT_SAVED, enginetest::kAnyTime, StorePath().c_str(),
                                                    (StorePath() + L".tmp").c_str());
    EXPECT_EQ(enginetest::CountLines(enginetest::LogLines(AppLog), line), 1);
    // Lets go of the log file, so that the folder can go.
    AppLog.Open((m_folder / L"gone\\closed.log").c_str());
}

TEST_F(JobListStore, BrokenStoreIsKeptAsBadAndTheCollectionStartsEmpty)
{
    const std::string broken = "<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\"><jobdef name=\"A\" JobUU";
    ASSERT_TRUE(testsupport::WriteFileBytes(StorePath(), broken));
    CSyncJobList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetBrokenStoreCopy(), CString((StorePath() + L".bad").c_str()));
    EXPECT_FALSE(list.IsBrokenStoreCopyMissing());
    EXPECT_EQ(testsupport::ReadFileBytes(StorePath() + L".bad"), broken);
    // The next save writes a sound store; the broken one stays in its copy.
    list.Save();
    EXPECT_EQ(StoredNames(), Names{});
    EXPECT_EQ(testsupport::ReadFileBytes(StorePath() + L".bad"), broken);
}

TEST_F(JobListStore, EmptyStoreFileLoadsAsNoJobsWithoutACopy)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(StorePath(), ""));
    CSyncJobList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(list.GetBrokenStoreCopy().IsEmpty());
}

TEST_F(JobListStore, ReloadJobDropsOnlyThatJobsEdits)
{
    WriteStore(
        StoreXml(JobXml(L"A", L"uuid-a", L"state=\"1\" maxver=\"2\"", L"<src path=\"C:\\Data\\\" hassrc=\"1\"/>") +
                 JobXml(L"B", L"uuid-b", L"state=\"1\"")));
    CSyncJobList list;
    CSyncJob *a = JobNamed(list, L"A");
    CSyncJob *b = JobNamed(list, L"B");
    ASSERT_TRUE(a && b);
    const IXMLDOMElementPtr aElement = a->GetJobDef()->GetElement();

    a->GetJobDef()->SetName(L"A-edited");
    a->GetJobDef()->SetMaxVer(7);
    a->GetJobDef()->AddSourcePath(L"C:\\More\\", nullptr);
    b->GetJobDef()->SetName(L"B-edited");

    EXPECT_EQ(list.ReloadJob(a), 1);
    EXPECT_EQ(a->GetJobDef()->GetName(), L"A");
    EXPECT_EQ(a->GetJobDef()->GetMaxVer(), 2);
    EXPECT_EQ(Sources(a), std::vector<std::wstring>{L"C:\\Data\\"});
    EXPECT_EQ(b->GetJobDef()->GetName(), L"B-edited");
    // The job stays bound to its own element, which stays in the document.
    EXPECT_TRUE(a->GetJobDef()->GetElement() == aElement);

    // Later edits of the reloaded job land in its own stored entry.
    a->GetJobDef()->SetName(L"A2");
    list.Save();
    EXPECT_EQ(StoredNames(), (Names{L"A2", L"B-edited"}));
    EXPECT_EQ(StoredSources(L"A2"), std::vector<std::wstring>{L"C:\\Data\\"});
    EXPECT_EQ(StoredAttribute(L"A2", L"maxver"), L"2");
}

TEST_F(JobListStore, ReloadJobOfAJobNeverStoredChangesNothing)
{
    WriteStore(ThreeJobs());
    CSyncJobList list;
    auto fresh = std::make_unique<CSyncJob>();
    fresh->AttachNode();
    fresh->GetJobDef()->SetName(L"New");
    EXPECT_EQ(list.ReloadJob(fresh.get()), 0);
    EXPECT_EQ(fresh->GetJobDef()->GetName(), L"New");
    EXPECT_EQ(list.ReloadJob(nullptr), 0);
}

TEST_F(JobListStore, IniImportFillsTheStoreAndMovesTheOldFileAside)
{
    const std::string ini = "[Qordel]\r\ntotaljobs=2\r\nstate=1\r\n"
                            "[job0]\r\nname=Docs\r\njobstate=0\r\nrevision=3\r\nprogressbar=1\r\n"
                            "dest=\\\\?\\C:\\Backup\\\r\njstype=SYNC_EVERYxxMIN\r\njsminutes=30\r\ntotalsrcs=2\r\n"
                            "src0=\\\\?\\C:\\Data\\\r\ninc0=*.doc; *.txt\r\nexc0=\r\n"
                            "src1=C:\\Other\\a.txt\r\ninc1=*.doc; *.txt\r\nexc1=*.tmp; *.bak\r\n"
                            "[job1]\r\nname=Pics\r\ndest=E:\\Pics\\\r\njstype=SYNC_ONDATE\r\njsdate=07:30\r\n"
                            "jsday=34\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(IniPath(), ini));
    ASSERT_TRUE(testsupport::WriteFileBytes(IniPath() + L".bak", "older"));

    CSyncJobList list;
    EXPECT_EQ(NamesOf(list), (Names{L"Docs", L"Pics"}));
    EXPECT_EQ(GetFileAttributesW(IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(testsupport::ReadFileBytes(IniPath() + L".bak"), ini);

    EXPECT_EQ(StoredNames(), (Names{L"Docs", L"Pics"}));
    EXPECT_EQ(StoredAttribute(L"Docs", L"neverrun"), L"true");
    EXPECT_EQ(StoredAttribute(L"Docs", L"state"), L"0");
    EXPECT_EQ(StoredAttribute(L"Docs", L"maxver"), L"3");
    EXPECT_EQ(StoredAttribute(L"Docs", L"showprog"), L"1");
    EXPECT_EQ(StoredAttribute(L"Docs", L"dest"), L"C:\\Backup\\");
    EXPECT_EQ(StoredAttribute(L"Docs", L"js_type"), L"1");
    EXPECT_EQ(StoredAttribute(L"Docs", L"js_mins"), L"30");
    EXPECT_EQ(StoredAttribute(L"Docs", L"hassrc"), L"1");
    EXPECT_EQ(StoredSources(L"Docs"), (std::vector<std::wstring>{L"C:\\Data\\", L"C:\\Other\\a.txt"}));
    EXPECT_EQ(StoredAttribute(L"Docs", L"include"), L".doc;.txt");
    EXPECT_EQ(StoredAttribute(L"Docs", L"exclude"), L".tmp;.bak");

    EXPECT_EQ(StoredAttribute(L"Pics", L"state"), L"1");
    EXPECT_EQ(StoredAttribute(L"Pics", L"maxver"), L"0");
    EXPECT_EQ(StoredAttribute(L"Pics", L"js_type"), L"2");
    EXPECT_EQ(StoredAttribute(L"Pics", L"js_time"), L"07:30");
    EXPECT_EQ(StoredAttribute(L"Pics", L"js_day"), L"34");
    EXPECT_EQ(StoredSources(L"Pics"), std::vector<std::wstring>{});

    CSyncJob *docs = JobNamed(list, L"Docs");
    EXPECT_EQ(docs->GetJobDef()->GetJsMins(), 30);
    EXPECT_EQ(docs->GetJobDef()->GetState(), 0);
}

TEST_F(JobListStore, IniImportWhoseSaveFailsKeepsTheIniForTheNextStart)
{
    const std::string ini = "[Qordel]\r\ntotaljobs=1\r\n[job0]\r\nname=Docs\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(IniPath(), ini));
    ASSERT_TRUE(CreateDirectoryW((StorePath() + L".tmp").c_str(), nullptr));
    {
        CSyncJobList list;
        // Nothing was stored, so nothing is held that a later save could store a second time.
        EXPECT_EQ(list.GetCount(), 0);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(IniPath()), ini);
    EXPECT_EQ(GetFileAttributesW((IniPath() + L".bak").c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(RemoveDirectoryW((StorePath() + L".tmp").c_str()));
    CSyncJobList retried;
    EXPECT_EQ(NamesOf(retried), Names{L"Docs"});
    EXPECT_EQ(GetFileAttributesW(IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobListStore, ASaveCutOffBeforeItsReplaceIsReadBackAndKeptUntilTheNextSave)
{
    const std::wstring temporary = StorePath() + L".tmp";
    const std::wstring recovered = StorePath() + L".recovered";
    // A temporary file that is not a store is no store to recover.
    ASSERT_TRUE(testsupport::WriteFileBytes(temporary, "<Other xmlns=\"ORVANE\"><jobdef name=\"X\"/></Other>"));
    {
        CSyncJobList list;
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_TRUE(list.GetRecoveredStoreCopy().IsEmpty());
    }

    const CStringA bytes(ThreeJobs().c_str());
    ASSERT_TRUE(testsupport::WriteFileBytes(temporary, std::string(bytes.GetString(), bytes.GetLength())));
    CSyncJobList list;
    EXPECT_EQ(NamesOf(list), (Names{L"A", L"B", L"C"}));
    EXPECT_EQ(list.GetRecoveredStoreCopy(), CString(recovered.c_str()));
    EXPECT_EQ(testsupport::ReadFileBytes(recovered), std::string(bytes.GetString(), bytes.GetLength()));
    EXPECT_EQ(GetFileAttributesW(temporary.c_str()), INVALID_FILE_ATTRIBUTES);

    // A save that fails keeps the recovered copy; the next one that succeeds lets it go.
    ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr));
    EXPECT_THROW(list.Save(), _com_error);
    EXPECT_NE(GetFileAttributesW(recovered.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(RemoveDirectoryW(temporary.c_str()));
    EXPECT_EQ(list.Save(), 1);
    EXPECT_EQ(StoredNames(), (Names{L"A", L"B", L"C"}));
    EXPECT_EQ(GetFileAttributesW(recovered.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobListStore, AStoreWrittenInUtf16ReadsBackWholeAfterASave)
{
    const std::wstring xml = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Tessel xmlns=\"ORVANE\">" +
                             JobXml(L"Gr\x00FC\x00DF"
                                    L"e",
                                    L"uuid-a", L"state=\"1\"") +
                             JobXml(L"B", L"uuid-b", L"state=\"1\"") + L"</Tessel>";
    ASSERT_TRUE(testsupport::WriteFileBytes(
        StorePath(), std::string(reinterpret_cast<const char *>(xml.data()), xml.size() * sizeof(wchar_t))));
    {
        CSyncJobList list;
        ASSERT_EQ(NamesOf(list), (Names{L"Gr\x00FC\x00DF"
                                        L"e",
                                        L"B"}));
        EXPECT_EQ(list.Save(), 1);
    }
    CSyncJobList reread;
    EXPECT_TRUE(reread.GetBrokenStoreCopy().IsEmpty());
    EXPECT_EQ(NamesOf(reread), (Names{L"Gr\x00FC\x00DF"
                                      L"e",
                                      L"B"}));
}

TEST_F(JobListStore, IniImportStopsAtTheFirstMissingJobAndBacksUpWhatTheOldJobDid)
{
    // "totaljobs" far beyond the sections there are; per-source lists that a later source leaves out.
    const std::string ini = "[Qordel]\r\ntotaljobs=2147483647\r\n"
                            "[job0]\r\nname=Filtered\r\ntotalsrcs=2\r\n"
                            "src0=C:\\Data\\\r\ninc0=*.*\r\nexc0=*.tmp; *.bak\r\nsrc1=C:\\More\\\r\n"
                            "[job1]\r\nname=Everything\r\ntotalsrcs=1\r\nsrc0=C:\\All\\\r\n"
                            "[job3]\r\nname=AfterTheGap\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(IniPath(), ini));

    CSyncJobList list;
    EXPECT_EQ(NamesOf(list), (Names{L"Filtered", L"Everything"}));

    CSyncJob *filtered = JobNamed(list, L"Filtered");
    ASSERT_NE(filtered, nullptr);
    EXPECT_EQ(StoredAttribute(L"Filtered", L"include"), L"*.*");
    EXPECT_EQ(StoredAttribute(L"Filtered", L"exclude"), L".tmp;.bak");
    CExtFilterPair &filters = filtered->GetJobDef()->GetFilterPair();
    EXPECT_TRUE(filters.IsIncludedExt(L"report.doc"));
    EXPECT_TRUE(filters.IsExcludedExt(L"scratch.tmp"));

    // With nothing excluded, every file, an extension or not: the sources' filters are off.
    CSyncJob *everything = JobNamed(list, L"Everything");
    ASSERT_NE(everything, nullptr);
    EXPECT_EQ(StoredAttribute(L"Everything", L"include"), L"*.*");
    XmlElementIterator sources(everything->GetJobDef()->GetElement());
    ASSERT_TRUE(sources.Next());
    EXPECT_EQ(XmlGetAttributeString(sources.GetElement(), L"path"), L"C:\\All\\");
    EXPECT_EQ(XmlGetAttributeString(sources.GetElement(), L"rapid"), L"0");
    XmlElementIterator filteredSources(filtered->GetJobDef()->GetElement());
    while (filteredSources.Next())
        EXPECT_EQ(XmlGetAttributeString(filteredSources.GetElement(), L"rapid"), L"");
}
