// The settle list driven tick by tick with its records recorded, and the file monitor from a watched folder to
// the destination.
#include "ChangesTestSupport.h"
#include "engine/changes/ChangeSettler.h"
#include "engine/changes/ChangeWatch.h"
#include "engine/changes/FileMonOperation.h"
#include "engine/continuous/JobPaths.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace changestest;
using testsupport::ReadFileBytes;

namespace
{

class FileMon : public ChangeTest
{
  protected:
    // Feeds a script to a settle list and gives what reached its sink, each as "<ticks so far> <action> <name>"
    // (and " > <new name>" for a rename). Script steps: "+f" added, "~f" modified, "-f" removed, "a>b" renamed,
    // "." a tick. Names are files of the source folder.
    std::vector<std::wstring> Run(const std::vector<std::wstring> &script)
    {
        std::vector<std::wstring> out;
        int ticks = 0;
        CChangeSettler list([&](FileChangeEntryPtr entry) {
            std::wstring line = std::to_wstring(ticks) + L" " + std::to_wstring(entry->action) + L" " +
                                std::wstring(entry->path).substr(m_src.size());
            if (entry->secondPath[0] != L'\0')
                line += L" > " + std::wstring(entry->secondPath).substr(m_src.size());
            out.push_back(line);
        });
        for (const std::wstring &step : script)
        {
            const size_t arrow = step.find(L'>');
            if (step == L".")
            {
                ++ticks;
                list.OnTick();
            }
            else if (arrow != std::wstring::npos)
            {
                // The file is renamed on disk as well: it keeps its time and size under its new name.
                const std::wstring from = m_src + step.substr(0, arrow), to = m_src + step.substr(arrow + 1);
                ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
                list.OnNewEntry(MakeFileChangeEntry(kChangeRenamed, (m_src + step.substr(0, arrow)).c_str(),
                                                    (m_src + step.substr(arrow + 1)).c_str()));
            }
            else
                list.OnNewEntry(MakeFileChangeEntry(step[0] == L'+'   ? kChangeAdded
                                                    : step[0] == L'~' ? kChangeModified
                                                                      : kChangeRemoved,
                                                    (m_src + step.substr(1)).c_str(), nullptr));
        }
        return out;
    }
};

} // namespace

TEST_F(FileMon, RecordsSettleForThreeTicksAndGoTogether)
{
    const struct
    {
        std::vector<std::wstring> script;
        std::vector<std::wstring> out;
    } cases[] = {
        // A new file goes once, after three ticks.
        {{L"+f", L".", L".", L".", L".", L".", L"."}, {L"4 1 f"}},
        // A second write starts the wait again and gives no second record.
        {{L"+f", L".", L".", L"~f", L".", L".", L".", L".", L"."}, {L"6 1 f"}},
        // Added and removed before it settled: only the removal goes, at once.
        {{L"+f", L"-f", L".", L".", L".", L"."}, {L"0 2 f"}},
        // Renamed while pending: it goes under its new name, and the old name as removed.
        {{L"+a", L".", L"a>b", L".", L".", L".", L"."}, {L"1 2 a", L"5 1 b"}},
        // A new copy renamed onto the pending file's name (a safe save) gives one record of that name.
        {{L"~b", L"+a", L"a>b", L".", L".", L".", L"."}, {L"0 2 a", L"4 1 b"}},
        {{L"a>b", L"-c"}, {L"0 4 a > b", L"0 2 c"}},
        // Files that settle together go together, in arrival order.
        {{L"+a", L"+b", L"+c", L".", L".", L".", L"."}, {L"4 1 a", L"4 1 b", L"4 1 c"}},
        // A record counts down on the tick another one goes: it waits its three ticks, no more.
        {{L"+a", L".", L".", L"+b", L".", L".", L".", L".", L"."}, {L"4 1 a", L"6 1 b"}},
    };
    for (const auto &c : cases)
    {
        for (LPCWSTR name : {L"f", L"a", L"b", L"c"})
            Write(m_src + name, "x");
        EXPECT_EQ(Run(c.script), c.out);
    }
}

TEST_F(FileMon, ALockedWorkbookWaitsAndAWordDocumentDoesNot)
{
    Write(m_src + L"book.xls", "xls");
    Write(m_src + L"letter.doc", "doc");
    std::vector<std::wstring> out;
    CChangeSettler list([&](FileChangeEntryPtr entry) { out.push_back(entry->path); });
    {
        LockedFile book(m_src + L"book.xls"), letter(m_src + L"letter.doc");
        ASSERT_TRUE(book.IsLocked() && letter.IsLocked());
        list.OnNewEntry(MakeFileChangeEntry(kChangeAdded, (m_src + L"book.xls").c_str(), nullptr));
        list.OnNewEntry(MakeFileChangeEntry(kChangeAdded, (m_src + L"letter.doc").c_str(), nullptr));
        for (int tick = 0; tick < 8; ++tick)
            list.OnTick();
        EXPECT_EQ(out, std::vector<std::wstring>{m_src + L"letter.doc"});
    }
    for (int tick = 0; tick < 2; ++tick)
        list.OnTick();
    EXPECT_EQ(out, (std::vector<std::wstring>{m_src + L"letter.doc", m_src + L"book.xls"}));
    EXPECT_FALSE(list.HasPending());
}

TEST_F(FileMon, APathTooLongForARecordIsDroppedAndLogged)
{
    auto *monitor = new CFileMonOperation();
    const std::wstring path = L"C:\\" + std::wstring(258, L'x');
    EXPECT_FALSE(monitor->AcceptChange(kChangeAdded, path.c_str(), L""));
    EXPECT_FALSE(monitor->AcceptChange(kChangeRenamed, L"C:\\a.txt", path.c_str()));
    EXPECT_EQ(CountLines(AppLogLines(), EntryLine(IDS_LOG_CHANGE_PATH_TOO_LONG, kAnyTime, path.c_str())), 2);
    monitor->Release();
}

TEST_F(FileMon, AFileWrittenInAWatchedFolderReachesTheDestination)
{
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    // As the main window's schedule tick hands the job to the path check.
    CChangeWatch watch;
    CheckJobPaths(*job, watch.GetWatcher(), watch.GetHandler(), m_window.get());
    ASSERT_TRUE(watch.GetWatcher().IsWatching(m_src.c_str()));
    Write(m_src + L"sub\\new.txt", "new");
    EXPECT_TRUE(m_window->PumpUntil([&] { return ReadFileBytes(m_dst + L"sub\\new.txt") == "new"; }, 30000));
    // The folder's own records may still follow the file's.
    EXPECT_TRUE(
        m_window->PumpUntil([&] { return job->GetJobDef()->GetNeverRun() != L"true" && job->m_runState == JOB_IDLE; }));
    watch.Stop();
    EXPECT_EQ(watch.GetHandler(), nullptr);
    EXPECT_FALSE(watch.GetWatcher().IsWorkerRunning());
}
