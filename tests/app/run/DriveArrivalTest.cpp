// Drives that come and go: the walk over a job store when a drive arrives, with test drives that carry identity
// markers, and the runs that follow a job's drive to its new letter or refuse a drive that is not the job's.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/run/DriveArrival.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/continuous/DirectoryWatch.h"
#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "engine/program/DriveMarker.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "support/TestDrive.h"

namespace
{

using enginetest::TestDrive;

struct RecordingWatch : IDirectoryWatch
{
    DWORD AddWatch(LPCWSTR folder, DWORD filter, CDirectoryChangeHandler *, BOOL subtree) override
    {
        added.push_back(folder);
        EXPECT_EQ(filter, kArrivedSourceWatchFilter);
        EXPECT_TRUE(subtree);
        return 0;
    }
    BOOL RemoveWatch(LPCWSTR) override
    {
        return FALSE;
    }
    BOOL IsWatching(LPCWSTR) const override
    {
        return FALSE;
    }
    std::vector<CString> added;
};

class DriveArrival : public enginetest::EngineTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
        ASSERT_TRUE(::CreateDirectoryW((m_drives / L"one").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_drives / L"two").c_str(), nullptr));
        m_f = std::make_unique<TestDrive>(L'F', m_drives / L"one\\");
        m_g = std::make_unique<TestDrive>(L'G', m_drives / L"two\\");
        ASSERT_EQ(m_f->Error(), L"");
        ASSERT_EQ(m_g->Error(), L"");
        ASSERT_TRUE(GetOrCreateDestinationDriveId(L'f', m_one));
        ASSERT_TRUE(GetOrCreateDestinationDriveId(L'g', m_two));
    }
    void TearDown() override
    {
        m_jobs.reset();
        m_h.reset();
        m_g.reset();
        m_f.reset();
        EngineTest::TearDown();
    }

    // The store of the test's jobs; drive "one" was E: when they were made.
    void LoadJobs()
    {
        const CStringA one(m_one);
        const CStringA two(m_two);
        const std::string store = std::string("<Tessel xmlns=\"ORVANE\">") +
                                  "<jobdef name=\"Moved\" state=\"1\" js_type=\"1\" dest=\"E:\\Backup\\\" uuid=\"" +
                                  one.GetString() + "\"><src path=\"E:\\Docs\\\" uuid=\"" + one.GetString() +
                                  "\"/></jobdef>" +
                                  "<jobdef name=\"Mixed\" state=\"1\" js_type=\"0\" dest=\"E:\\Mixed\\\" uuid=\"" +
                                  one.GetString() + "\"><src path=\"G:\\Pictures\\\" uuid=\"" + two.GetString() +
                                  "\"/><src path=\"E:\\Music\\\" uuid=\"" + one.GetString() + "\"/></jobdef>" +
                                  "<jobdef name=\"Off\" state=\"0\" js_type=\"1\" dest=\"E:\\Off\\\" uuid=\"" +
                                  one.GetString() + "\"/>" + "</Tessel>";
        ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", store));
        m_jobs = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
        ASSERT_EQ(m_jobs->GetCount(), 3);
    }

    void Arrive(wchar_t letter)
    {
        DriveArrivalActions actions;
        actions.watch = &m_watch;
        actions.setJobEnabled = [this](CSyncJob *job, BOOL enable, BOOL) {
            m_enabled.push_back(job->GetJobDef()->GetName());
            EXPECT_TRUE(enable);
        };
        actions.startIdleJob = [this](CSyncJob *job) { m_started.push_back(job->GetJobDef()->GetName()); };
        SeamOverride<MessageBoxAnswer> answer(g_messageBoxAnswer, [this](UINT, const CString &text, UINT flags) {
            m_questions.push_back(text);
            EXPECT_EQ(flags & 0xF, static_cast<UINT>(MB_YESNO));
            return IDNO;
        });
        ApplyDriveArrival(*m_jobs, letter, actions);
    }

    static CString SourcePath(CSyncJob *job, int index)
    {
        XmlElementIterator sources(job->GetElement());
        for (int i = 0; sources.Next(); ++i)
        {
            if (i == index)
                return XmlGetAttributeString(sources.GetElement(), L"path");
        }
        return CString();
    }

    // The markers lie in this folder of each drive.
    testsupport::ScopedValue<CString> m_dataFolder{g_strDataFolder, L"Z:\\Velbrook\\"};
    testsupport::TempFolder m_drives;
    std::unique_ptr<TestDrive> m_f, m_g, m_h;
    CString m_one, m_two;
    std::unique_ptr<CSyncJobList> m_jobs;
    RecordingWatch m_watch;
    std::vector<CString> m_enabled, m_started, m_questions;
};

TEST_F(DriveArrival, JobsFollowTheirDriveToItsNewLetters)
{
    ASSERT_NO_FATAL_FAILURE(LoadJobs());
    CSyncJob *moved = m_jobs->GetAt(0);
    CSyncJob *mixed = m_jobs->GetAt(1);
    CSyncJob *off = m_jobs->GetAt(2);

    Arrive(L'f');
    EXPECT_EQ(SourcePath(moved, 0), L"F:\\Docs\\");
    EXPECT_EQ(moved->GetJobDef()->GetDest(), L"F:\\Backup\\");
    EXPECT_EQ(moved->GetJobDef()->GetUuid(), m_one) << "the destination keeps its drive's identity";
    EXPECT_EQ(XmlGetAttributeString(moved->GetElement(), L"uuid"), m_one);
    EXPECT_EQ(moved->GetJobDef()->GetHasSrc(), 1);
    // A source on another present drive does not stop the walk over the job's later sources.
    EXPECT_EQ(SourcePath(mixed, 0), L"G:\\Pictures\\");
    EXPECT_EQ(SourcePath(mixed, 1), L"F:\\Music\\");
    EXPECT_EQ(mixed->GetJobDef()->GetDest(), L"F:\\Mixed\\");
    EXPECT_EQ(m_watch.added, std::vector<CString>{L"F:\\Music\\"}) << "only the on-change job's arrived source";
    // The disabled job is asked about, and No leaves it disabled.
    EXPECT_EQ(off->GetJobDef()->GetDest(), L"F:\\Off\\");
    EXPECT_EQ(m_questions, std::vector<CString>{kAskEnableJob});
    EXPECT_EQ(off->GetJobDef()->GetState(), 0);
    EXPECT_EQ(m_enabled, (std::vector<CString>{L"Moved", L"Mixed"}));
    EXPECT_EQ(m_started, std::vector<CString>{L"Mixed"}) << "only an on-change job is started";

    // The drive comes back under yet another letter: the jobs follow it again.
    ASSERT_TRUE(m_f->Remove());
    m_h = std::make_unique<TestDrive>(L'H', m_drives / L"one\\");
    ASSERT_EQ(m_h->Error(), L"");
    Arrive(L'h');
    EXPECT_EQ(SourcePath(moved, 0), L"H:\\Docs\\");
    EXPECT_EQ(moved->GetJobDef()->GetDest(), L"H:\\Backup\\");
    EXPECT_EQ(mixed->GetJobDef()->GetDest(), L"H:\\Mixed\\");

    // A drive that holds none of the jobs' identities changes nothing.
    Arrive(L'g');
    EXPECT_EQ(SourcePath(mixed, 0), L"G:\\Pictures\\");
    EXPECT_EQ(moved->GetJobDef()->GetDest(), L"H:\\Backup\\");
}

TEST_F(DriveArrival, ASourceWithoutIdentityGetsItsDrivesMarker)
{
    const std::string store = "<Tessel xmlns=\"ORVANE\"><jobdef name=\"New\" state=\"1\" dest=\"G:\\Out\\\">"
                              "<src path=\"G:\\Docs\\\"/><src path=\"\\\\server\\share\\\"/></jobdef></Tessel>";
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", store));
    m_jobs = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
    ASSERT_EQ(m_jobs->GetCount(), 1);
    IXMLDOMElementPtr first, second;
    {
        XmlElementIterator sources(m_jobs->GetAt(0)->GetElement());
        ASSERT_TRUE(sources.Next());
        first = sources.GetElement();
        ASSERT_TRUE(sources.Next());
        second = sources.GetElement();
    }
    EXPECT_EQ(EnsureSourceDriveId(first), m_two);
    EXPECT_EQ(XmlGetAttributeString(first, L"uuid"), m_two);
    EXPECT_EQ(XmlGetAttributeString(first, L"hassrc"), L"1");
    EXPECT_EQ(EnsureSourceDriveId(second), L"") << "no drive letter, no marker";
    EXPECT_EQ(XmlGetAttributeString(second, L"uuid"), L"");
}

// A stick that W: or X: maps in a case: the job's own, another person's (same folder names), or none.
enum class Stick
{
    None,
    Own,
    OwnUnmarked,        // its marker deleted
    Other,              // with a marker of its own
    OtherWithOwnMarker, // with a copy of the job's marker
};

const wchar_t kOwnId[] = L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";
const wchar_t kOtherId[] = L"9a8b7c6d-5e4f-3a2b-1c0d-ffeeddccbbaa";

struct MoveCase
{
    const char *name;
    Stick onW; // the letter the jobs were made on
    Stick onX;
    bool arrival;    // X: is announced before the runs (else only the runs look for the drive)
    wchar_t endsOn;  // where the jobs' paths lie afterwards; 0: every run is refused
    int times;       // how often, over both jobs: a refusal once for the due run and once for each start
    UINT logged = 0; // the line the runs leave, 0 for none, with its arguments after the time
    const wchar_t *arg1 = nullptr, *arg2 = nullptr, *arg3 = nullptr, *arg4 = nullptr;
};

void PrintTo(const MoveCase &c, std::ostream *os)
{
    *os << c.name;
}

// A one-way job and a two-way job made while the user's stick was W:, run through the run queue with the real run
// threads after it came back.
class DriveArrivalRuns : public enginetest::EngineTest, public testing::WithParamInterface<MoveCase>
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
        m_savedListName = GetTesselDirListFileName();
        SetTesselDirListName(L"TesselDir.list");
        m_workers.emplace(g_syncJobWorkers, g_syncJobWorkers.Get());
        InstallBackupRunThread();
        InstallListFileRunThread();
        for (const wchar_t *file : {L"own\\Backup\\earlier.txt", L"own\\Sync\\mine.txt", L"other\\Backup\\kept.txt",
                                    L"other\\Sync\\theirs.txt", L"docs\\report.txt", L"sync\\note.txt", L"Data\\x"})
            ASSERT_NO_FATAL_FAILURE(enginetest::WriteFileAt(m_folder / file, "x"));
    }
    void TearDown() override
    {
        m_window.reset();
        m_jobs.reset();
        m_x.reset();
        m_w.reset();
        m_workers.reset();
        SetTesselDirListName(m_savedListName);
        EngineTest::TearDown();
    }

    // The stick's folder mapped as the letter, with its marker where the program reads it.
    std::unique_ptr<enginetest::TestDrive> Map(wchar_t letter, Stick stick)
    {
        if (stick == Stick::None)
            return nullptr;
        const std::wstring folder =
            m_folder / (stick == Stick::Own || stick == Stick::OwnUnmarked ? L"own\\" : L"other\\");
        const wchar_t *id = stick == Stick::Other ? kOtherId : stick == Stick::OwnUnmarked ? nullptr : kOwnId;
        if (id != nullptr)
            enginetest::WriteFileAt(folder + (g_strDataFolder.GetString() + 3) + L"uid_tessel_drive\\uid_tessel_drive",
                                    CStringA(id).GetString());
        auto drive = std::make_unique<enginetest::TestDrive>(letter, folder);
        EXPECT_EQ(drive->Error(), L"");
        return drive;
    }
    void LoadJobs()
    {
        const std::string own = CStringA(kOwnId).GetString();
        const std::string store =
            "<Tessel xmlns=\"ORVANE\"><jobdef name=\"OneWay\" state=\"1\" sync_type=\"1\" js_type=\"1\" "
            "js_mins=\"100000\" JobUUID=\"one-way\" dest=\"W:\\Backup\\\" uuid=\"" +
            own + "\"><src path=\"" + CStringA((m_folder / L"docs\\").c_str()).GetString() +
            "\" destination=\"W:\\Backup\\docs\\\" rapid=\"0\"/></jobdef><jobdef name=\"TwoWay\" state=\"1\" "
            "sync_type=\"2\" folder2folder=\"1\" js_type=\"1\" js_mins=\"100000\" maxver=\"1\" JobUUID=\"two-way\" "
            "dest=\"W:\\Sync\\\" uuid=\"" +
            own + "\"><src path=\"" + CStringA((m_folder / L"sync\\").c_str()).GetString() +
            "\" destination=\"W:\\Sync\\\" rapid=\"0\"/></jobdef></Tessel>";
        ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", store));
        m_jobs = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
        ASSERT_EQ(m_jobs->GetCount(), 2);
        m_window = std::make_unique<enginetest::FakeMainWindow>();
        m_window->m_jobList = m_jobs.get();
    }
    static CString Destination(CSyncJob *job)
    {
        XmlElementIterator sources(job->GetElement());
        return sources.Next() ? XmlGetAttributeString(sources.GetElement(), L"destination") : CString();
    }
    // What another person's stick holds, with the list file a two-way pass leaves (ReadFileTree leaves it out).
    std::map<std::wstring, std::string> OtherStick() const
    {
        std::map<std::wstring, std::string> files;
        enginetest::ReadFileTree(m_folder / L"other\\", files, false);
        files[L"list"] = enginetest::Exists(m_folder / L"other\\Sync\\TesselDir.list") ? "there" : "";
        return files;
    }

    std::unique_ptr<enginetest::TestDrive> m_w, m_x;
    std::unique_ptr<CSyncJobList> m_jobs;
    std::unique_ptr<enginetest::FakeMainWindow> m_window;

  private:
    testsupport::ScopedValue<CString> m_dataFolder{g_strDataFolder, (m_folder / L"Data\\").c_str()};
    CString m_savedListName;
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
};

using enginetest::kAnyText;
const MoveCase kMoveCases[] = {
    {"BackAsXWithAnotherStickOnWAnnounced", Stick::Other, Stick::Own, true, L'X', 0},
    {"BackAsXWithNothingOnWAnnounced", Stick::None, Stick::Own, true, L'X', 0},
    {"BackAsXWithAnotherStickOnW", Stick::Other, Stick::Own, false, L'X', 2, IDS_LOG_DEST_DRIVE_MOVED, kOwnId, L"X:",
     L"W:", kAnyText},
    {"BackAsXWithNothingOnW", Stick::None, Stick::Own, false, L'X', 2, IDS_LOG_DEST_DRIVE_MOVED, kOwnId, L"X:", L"W:",
     kAnyText},
    {"OnlyAnotherStickOnW", Stick::Other, Stick::None, false, 0, 3, IDS_LOG_DEST_DRIVE_OTHER, kAnyText, L"W:", kOtherId,
     kOwnId},
    {"NoStickAtAll", Stick::None, Stick::None, false, 0, 3, IDS_LOG_DEST_DRIVE_NONE, kAnyText, kOwnId},
    {"OwnStickOnWWithItsMarkerDeleted", Stick::OwnUnmarked, Stick::None, false, L'W', 1, IDS_LOG_DEST_DRIVE_REMARKED,
     L"W:", kAnyText, kOwnId},
    {"TheMarkerCopiedOntoAnotherStick", Stick::OtherWithOwnMarker, Stick::Own, true, 0, 3, IDS_LOG_DEST_DRIVE_TWICE,
     kAnyText, L"W:, X:", kOwnId},
};

TEST_P(DriveArrivalRuns, AJobsFilesGoToItsOwnDriveOrNowhere)
{
    const MoveCase &c = GetParam();
    // Made before the sticks come back: the load finds no drive of the jobs.
    ASSERT_NO_FATAL_FAILURE(LoadJobs());
    CSyncJob *oneWay = m_jobs->GetAt(0);
    CSyncJob *twoWay = m_jobs->GetAt(1);
    m_w = Map(L'W', c.onW);
    m_x = Map(L'X', c.onX);
    const std::map<std::wstring, std::string> otherBefore = OtherStick();
    if (c.arrival)
    {
        EXPECT_EQ(ApplyDriveArrival(*m_jobs, L'x', DriveArrivalActions()), c.endsOn == L'X' ? 2 : 0);
        // Before any run: the sources' destinations moved with "dest".
        EXPECT_EQ(Destination(twoWay), CString(c.endsOn == L'X' ? L"X:\\Sync\\" : L"W:\\Sync\\"));
    }
    // Change processing copies a changed file only to the job's own marked drive under the destination's letter.
    EXPECT_EQ(oneWay->CheckDestination(1) != FALSE, c.endsOn == L'X' && c.arrival);
    // The schedule's look at a due run follows the drive as a start does, and tells once why a run cannot go.
    for (int tick = 0; tick < 2; ++tick)
        EXPECT_EQ(oneWay->ValidateDueRun() != FALSE, c.endsOn != 0);
    const UINT end = c.endsOn != 0 ? WM_JOB_FINISHED : WM_JOB_FAILED;
    EXPECT_EQ(m_window->RunQueued(oneWay).message, end);
    EXPECT_EQ(m_window->RunQueued(twoWay).message, end);

    const CString on(c.endsOn != 0 ? c.endsOn : L'W');
    EXPECT_EQ(oneWay->GetJobDef()->GetDest() + Destination(oneWay), on + L":\\Backup\\" + on + L":\\Backup\\docs\\");
    EXPECT_EQ(twoWay->GetJobDef()->GetDest() + Destination(twoWay), on + L":\\Sync\\" + on + L":\\Sync\\");
    EXPECT_EQ(oneWay->GetJobDef()->GetUuid(), CString(kOwnId)) << "the job keeps its drive's identity";
    EXPECT_EQ(oneWay->CheckDestination(1) != FALSE, c.endsOn != 0);
    // Nothing of another person's stick was read or written; the job's own got the backup, both ways.
    EXPECT_EQ(OtherStick(), otherBefore);
    EXPECT_FALSE(enginetest::Exists(m_folder / L"sync\\theirs.txt"));
    const std::string ran = c.endsOn != 0 ? "x" : "";
    EXPECT_EQ(testsupport::ReadFileBytes(m_folder / L"own\\Backup\\docs\\report.txt"), ran);
    EXPECT_EQ(testsupport::ReadFileBytes(m_folder / L"own\\Sync\\note.txt"), ran);
    EXPECT_EQ(testsupport::ReadFileBytes(m_folder / L"sync\\mine.txt"), ran);
    CString marker;
    EXPECT_TRUE(c.onW != Stick::OwnUnmarked || (GetDestinationDriveIdPath(L'W', marker) && marker == kOwnId))
        << "the job's own stick is marked again";

    CString line;
    line.Format(c.logged, enginetest::kAnyTime, c.arg1, c.arg2, c.arg3, c.arg4);
    const int lines = c.logged == 0 ? 0
                                    : enginetest::CountLines(enginetest::JobLogLines(*oneWay), line.GetString()) +
                                          enginetest::CountLines(enginetest::JobLogLines(*twoWay), line.GetString());
    EXPECT_EQ(lines, c.times);
}

INSTANTIATE_TEST_SUITE_P(DriveArrivalRuns, DriveArrivalRuns, testing::ValuesIn(kMoveCases),
                         [](const testing::TestParamInfo<MoveCase> &param) { return std::string(param.param.name); });

} // namespace
