// The continuous-copy run from the run queue to its end message, on real trees kept in step both ways.
#include <process.h>

#include <set>

#include "ContinuousTestSupport.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/snapshot/ZorbitInfo.h"
#include "engine/store/JobDef.h"
#include "engine/store/SourceList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "support/TestDrive.h"
#include "support/HostLink.h"

using namespace continuoustest;
using testsupport::ReadFileBytes;

namespace
{

// The files and folders below folder + prefix (folders end in a backslash), list files left out.
std::set<std::wstring> Tree(const std::wstring &folder, const std::wstring &prefix = L"")
{
    std::set<std::wstring> found;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + prefix + L"*").c_str(), &data));
    for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
    {
        const std::wstring name = prefix + data.cFileName;
        if (name.back() == L'.' || name.find(L"TesselDir.list") != std::wstring::npos)
            continue;
        const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        found.insert(isFolder ? name + L"\\" : name);
        if (isFolder)
            found.merge(Tree(folder, name + L"\\"));
    }
    return found;
}

std::vector<std::pair<DWORD, std::wstring>> g_balloons;

BOOL WINAPI RecordBalloon(DWORD message, PNOTIFYICONDATAW data)
{
    g_balloons.push_back({message, data->szInfo});
    return TRUE;
}

BOOL WINAPI NinetyOnePercentFull(LPCWSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER free)
{
    total->QuadPart = 100ULL << 30;
    free->QuadPart = available->QuadPart = 9ULL << 30;
    return TRUE;
}

// A host link to a folder, which Wine lists as a folder link (0x410); it goes before the test folder does.
struct HostLink
{
    HostLink(const std::wstring &target, const std::wstring &path) : link(path)
    {
        testsupport::MakeFolderLink(link, target);
    }
    ~HostLink()
    {
        testsupport::RemoveFolderLink(link);
    }
    const std::wstring link;
};

class ContinuousRun : public ContinuousTest
{
  protected:
    void TearDown() override
    {
        ::SetDllDirectoryW(nullptr);
        ContinuousTest::TearDown();
    }
    // The run thread started straight, as Start would start it for a two-way job; its end message.
    PostedMessage RunThread()
    {
        m_window->m_recordOnly = true;
        const size_t before = m_window->CountEnds();
        CKernelHandle thread(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ListFileRunThreadProc, m_job.get(), 0, nullptr)));
        EXPECT_TRUE(m_window->WaitForEnds(before + 1));
        ::WaitForSingleObject(thread, INFINITE);
        return m_window->EndMessages().back();
    }
};

} // namespace

TEST_F(ContinuousRun, FirstRunGivesTheUnionThenRemovalsCarryOverButNotToANewDestination)
{
    for (const wchar_t *file : {L"x.txt", L"l1\\y.txt", L"l1\\l2\\z.txt", L"l1\\l2\\l3\\w.txt"})
        Write(m_a + file, "a");
    for (const wchar_t *file : {L"only.txt", L"l1\\l2\\bz.txt", L"m1\\m2\\m3\\q.txt"})
        Write(m_b + file, "b");
    IXMLDOMElementPtr source = AddSource(m_a, m_b);
    EXPECT_EQ(Run().lParam, 0);
    const std::set<std::wstring> all = Tree(m_a);
    EXPECT_EQ(all.size(), 13u);
    EXPECT_EQ(Tree(m_b), all);
    // Every entry is listed once, on both sides, in the list of its own folder.
    for (const std::wstring &entry : all)
    {
        const bool isFolder = entry.back() == L'\\';
        const size_t slash = entry.find_last_of(L'\\', entry.size() - 2);
        const size_t start = slash == std::wstring::npos ? 0 : slash + 1;
        const std::wstring line = Entry(entry.substr(start, entry.size() - start - isFolder), isFolder);
        for (const std::wstring &root : {m_a, m_b})
        {
            const std::vector<std::wstring> lines = ListEntries(root + entry.substr(0, start));
            EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << testing::PrintToString(root + entry);
        }
    }

    // A file and a listed folder removed on B go from A as well, each file kept as a revision first: a source
    // file's revisions lie in "dest" (B itself here), in its "Revision" folder, which the pass leaves alone.
    ASSERT_TRUE(::DeleteFileW((m_b + L"l1\\y.txt").c_str()) && testsupport::RemoveTree(m_b + L"m1"));
    EXPECT_EQ(Run().lParam, 0);
    const std::set<std::wstring> kept = Tree(m_a);
    EXPECT_TRUE(kept.count(L"x.txt") && !kept.count(L"l1\\y.txt") && !kept.count(L"m1\\"));
    std::set<std::wstring> onB = Tree(m_b);
    EXPECT_EQ(ReadFileBytes(m_b + L"Revision\\l1\\y(00).txt"), "a");
    EXPECT_EQ(ReadFileBytes(m_b + L"Revision\\m1\\m2\\m3\\q(00).txt"), "b");
    for (auto it = onB.begin(); it != onB.end();)
        it = it->rfind(L"Revision\\", 0) == 0 ? onB.erase(it) : std::next(it);
    EXPECT_EQ(onB, kept);

    // A new, empty destination takes nothing from the source.
    ASSERT_TRUE(::CreateDirectoryW((m_folder / L"fresh").c_str(), nullptr));
    m_job->GetJobDef()->SetDest((m_folder / L"fresh\\").c_str());
    XmlSetAttributeString(source, L"destination", (m_folder / L"fresh\\").c_str());
    EXPECT_EQ(Run().lParam, 0);
    EXPECT_EQ(Tree(m_a), kept);
    EXPECT_EQ(Tree(m_folder / L"fresh\\"), kept);
}

TEST_F(ContinuousRun, AChangedFileKeepsItsOlderCopyAsARevisionInBothDirections)
{
    // The root of the destination's drive holds the revisions of the destination side: a drive of the test's own.
    TestDrive drive(L'V', m_folder.Path());
    ASSERT_EQ(drive.Error(), L"");
    m_a = drive.Root() + L"a\\";
    m_b = drive.Root() + L"b\\";
    m_job->GetJobDef()->SetDest(m_b.c_str());
    Write(m_a + L"f.txt", "old f");
    Write(m_a + L"g.txt", "old g");
    AddSource(m_a, m_b);
    ASSERT_EQ(Run().lParam, 0);

    Write(m_a + L"f.txt", "new f", 100);
    Write(m_b + L"g.txt", "new g", 100);
    EXPECT_EQ(Run().lParam, 0);
    EXPECT_EQ(ReadFileBytes(m_b + L"f.txt"), "new f");
    EXPECT_EQ(ReadFileBytes(drive.Root() + L"Revision\\Sync\\b\\f(00).txt"), "old f");
    EXPECT_EQ(ReadFileBytes(m_a + L"g.txt"), "new g");
    EXPECT_EQ(ReadFileBytes(m_b + L"Revision\\g(00).txt"), "old g");
    EXPECT_FALSE(Exists(m_a + L"Revision"));
}

TEST_F(ContinuousRun, RevisionAndLinkedFoldersStayAndAFileInUseComesFromTheSnapshot)
{
    Write(m_a + L"revision\\r.txt", "r");
    Write(m_folder / L"elsewhere\\e.txt", "e");
    const HostLink link(m_folder / L"elsewhere", m_a + L"link");
    ASSERT_TRUE(::GetFileAttributesW(link.link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    Write(m_a + L"held.txt", "held");
    // The stand-in agent names the copy of C:\x "<root>\C\x".
    const std::wstring snapshot = m_folder / L"snapshot";
    Write(snapshot + L"\\" + std::wstring(m_a).erase(1, 1) + L"held.txt", "from the snapshot");
    ASSERT_TRUE(::SetDllDirectoryW((testsupport::BuildFolder() + L"testbin\\quessel_full").c_str()));
    ASSERT_TRUE(GetZorbitInfo().Load());
    using Script = void (*)(int, const wchar_t *);
    void *script = reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"Quessel.dll"), "QuesselTestScript"));
    ASSERT_NE(script, nullptr);
    reinterpret_cast<Script>(script)(0, snapshot.c_str());
    AddSource(m_a, m_b);

    LockedFile held(m_a + L"held.txt");
    ASSERT_TRUE(held.IsLocked());
    const PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 0);
    EXPECT_EQ(Tree(m_b), std::set<std::wstring>{L"held.txt"});
    EXPECT_EQ(ReadFileBytes(m_b + L"held.txt"), "from the snapshot");
}

TEST_F(ContinuousRun, SpaceWarningOtherSyncTypeAndCancel)
{
    SeamOverride space(g_pfnGetDiskFreeSpaceEx, &NinetyOnePercentFull);
    SeamOverride balloon(g_pfnShellNotifyIcon, &RecordBalloon);
    AddSource(m_a, m_b);
    CString warning;
    warning.Format(IDS_BALLOON_DEST_FULL, m_b.c_str(), 90);
    const decltype(g_balloons) shown{{NIM_DELETE, L""}, {NIM_ADD, warning.GetString()}};
    for (const int warn : {1, 0})
    {
        g_balloons.clear();
        m_job->GetJobDef()->SetWarningThreshold(warn);
        m_job->GetJobDef()->SetThreshold(90);
        EXPECT_EQ(RunThread().message, WM_JOB_FINISHED);
        EXPECT_EQ(g_balloons, warn ? shown : decltype(g_balloons)());
    }

    Write(m_a + L"f.txt", "f");
    m_job->GetJobDef()->SetSyncType(1);
    const PostedMessage end = RunThread();
    EXPECT_TRUE(end.message == WM_JOB_FINISHED && end.lParam == 0);
    EXPECT_EQ(m_job->GetJobDef()->GetCompleteStatus(), 1);

    m_job->GetJobDef()->SetSyncType(2);
    m_job->m_cancelFlag = TRUE;
    EXPECT_EQ(RunThread().message, WM_JOB_CANCELLED);
    EXPECT_EQ(m_job->GetJobDef()->GetCompleteStatus(), 4);
    EXPECT_FALSE(Exists(m_b + L"f.txt"));
    EXPECT_EQ(CountLines(JobLogLines(*m_job), EntryLine(IDS_LOG_RUN_CANCELLED, kAnyTime)), 1);
}

TEST_F(ContinuousRun, TheOverwriteChoiceDecidesAPairThatWasNeverInStep)
{
    // The destination's copy is the newer: only the choice says whether the source's replaces it.
    TestDrive drive(L'V', m_folder.Path());
    ASSERT_EQ(drive.Error(), L"");
    const struct
    {
        int owType, maxVer;
        const char *source, *dest; // the pair after two runs
        std::vector<std::string> revisions;
    } rows[] = {
        {1, 0, "dest", "dest", {}},           {1, 3, "dest", "dest", {"source"}}, {2, 0, "source", "source", {}},
        {2, 3, "source", "source", {"dest"}}, {3, 0, "source", "dest", {}},       {3, 3, "source", "dest", {}},
    };
    for (const auto &row : rows)
    {
        const std::wstring name = L"ow" + std::to_wstring(row.owType) + L"v" + std::to_wstring(row.maxVer);
        SCOPED_TRACE(CStringA(name.c_str()).GetString());
        m_a = drive.Root() + name + L"\\a\\";
        m_b = drive.Root() + name + L"\\b\\";
        Write(m_a + L"f.txt", "source");
        Write(m_b + L"f.txt", "dest", 100);
        Write(m_a + L"same.txt", "same");
        Write(m_b + L"same.txt", "same");
        XmlRemoveSrcList(m_element);
        AddSource(m_a, m_b);
        CJobDef *def = m_job->GetJobDef();
        def->SetDest(m_b.c_str());
        def->SetFolder2Folder(1);
        def->SetOwType(row.owType);
        def->SetMaxVer(row.maxVer);
        // The second run finds the pair as the first left it.
        for (int run = 0; run < 2; ++run)
            EXPECT_EQ(Run().lParam, 0);

        EXPECT_EQ(ReadFileBytes(m_a + L"f.txt"), row.source);
        EXPECT_EQ(ReadFileBytes(m_b + L"f.txt"), row.dest);
        // The revisions of either side's copies, wherever they are kept.
        EXPECT_EQ(
            FileBytes({drive.Root() + L"Revision\\Sync\\" + name + L"\\", m_a + L"Revision\\", m_b + L"Revision\\"}),
            row.revisions);
        // A pair kept apart stays out of the lists and is logged once; copies in step are listed whatever the choice.
        for (const std::wstring &side : {m_a, m_b})
        {
            const std::vector<std::wstring> lines = ListEntries(side);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), Entry(L"f.txt")), row.owType == 3 ? 0 : 1);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), Entry(L"same.txt")), 1);
        }
        EXPECT_EQ(CountLines(JobLogLines(*m_job), EntryLine(IDS_LOG_SYNC_KEPT_APART, kAnyTime, (m_a + L"f.txt").c_str(),
                                                            (m_b + L"f.txt").c_str())),
                  row.owType == 3 ? 1 : 0);
    }
}
