// The rules of the main window's job commands without a window: how a proposed destination meets the jobs'
// sources and, for a two-way job, the program's places and the other jobs' backups; the request a later start hands
// over, and the filter files a deleted job takes with it.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/run/JobCommandRules.h"
#include "app/start/QordelStartRules.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SyncJobList.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "setup/jobdialogs/PendingSources.h"

namespace
{

class JobCommandRules : public enginetest::EngineTest
{
  protected:
    void LoadJobs(const std::string &jobdefs)
    {
        ASSERT_TRUE(
            testsupport::WriteFileBytes(m_folder / L"Zel.xml", "<Tessel xmlns=\"ORVANE\">" + jobdefs + "</Tessel>"));
        m_jobs = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
    }
    CSyncJob *Job(LPCWSTR name) const
    {
        for (INT_PTR i = 0; i < m_jobs->GetCount(); ++i)
        {
            if (m_jobs->GetAt(i)->GetJobDef()->GetName() == name)
                return m_jobs->GetAt(i);
        }
        ADD_FAILURE() << "no job " << CStringA(name).GetString();
        return nullptr;
    }
    // The request of a command line handed over as a start sends it (cbData counts the zero), and the paths it
    // leaves pending.
    static std::vector<CString> Pending(const std::wstring &commandLine, CommandRequest &request)
    {
        const CString text =
            CopyDataText(commandLine.c_str(), static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t)));
        request = ParseCommandRequest(text);
        CStringArray pending;
        FillPendingPaths(request.paths, pending);
        std::vector<CString> paths;
        for (INT_PTR i = 0; i < pending.GetCount(); ++i)
            paths.push_back(pending.GetAt(i));
        return paths;
    }

    std::unique_ptr<CSyncJobList> m_jobs;
};

TEST_F(JobCommandRules, ADestinationIsClassifiedAgainstOwnAndOtherSources)
{
    // "Own" holds a source with files first: the sources after it count as much. "Kept" retains full paths, as
    // does "Whole", the other job whose folder "G:\Kept" may hold a destination of a flat job.
    ASSERT_NO_FATAL_FAILURE(
        LoadJobs("<jobdef name=\"Own\" state=\"1\"><src path=\"C:\\Data\\\"><file path=\"C:\\Data\\a.txt\"/></src>"
                 "<src path=\"C:\\Music\\\"/><filter/></jobdef>"
                 "<jobdef name=\"Kept\" state=\"1\" retain_full_path=\"1\"><src path=\"C:\\Keep\\\"/></jobdef>"
                 "<jobdef name=\"Agent\" state=\"1\" sourceagent=\"1\"><src path=\"C:\\Agent\\\"/></jobdef>"
                 "<jobdef name=\"Other\" state=\"1\"><src path=\"D:\\Photos\\\"/></jobdef>"
                 "<jobdef name=\"Whole\" state=\"1\" retain_full_path=\"1\"><src path=\"G:\\Kept\\\"/></jobdef>"));
    ASSERT_EQ(m_jobs->GetCount(), 5);
    const struct
    {
        LPCWSTR job;
        LPCWSTR path;
        int expected;
    } cases[] = {
        {L"Own", L"C:\\Data", 1},              // a source, without its trailing backslash
        {L"Own", L"c:\\data\\\\", 1},          // letter case and trailing backslashes aside
        {L"Kept", L"C:\\Keep\\", 1},           // whatever the job keeps of full paths
        {L"Own", L"C:\\Data\\Backup\\", 2},    // inside a source
        {L"Own", L"C:\\", 2},                  // holding one
        {L"Own", L"C:\\Music\\Backup", 2},     // inside the source after one with files
        {L"Kept", L"C:\\Keep\\In\\", 2},       // inside, whatever the flag
        {L"Own", L"C:\\Data2\\", -1},          // beside a source, not inside it
        {L"Own", L"D:\\Photos\\Backup\\", 3},  // inside another job's source
        {L"Kept", L"D:\\Photos\\Backup\\", 3}, // so too for a job that keeps full paths
        {L"Own", L"D:\\", 3},                  // holding one while neither job keeps full paths
        {L"Kept", L"D:\\", -1},                // ... but this one does
        {L"Own", L"G:\\", -1},                 // ... and so does the other
        {L"Own", L"G:\\Kept\\Sub\\", 3},       // inside is a clash whatever the flags
        {L"Own", L"D:\\Photos\\", -1},         // equal to another job's source is no clash
        {L"Agent", L"C:\\Agent\\", -1},        // a job with an agent is never refused
        {L"Own", L"E:\\Elsewhere\\", -1},      // nothing near
        {L"Own", L"", -1},                     // nothing at all
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClassifyDestination(*m_jobs, Job(c.job), c.path), c.expected)
            << CStringA(c.job).GetString() << " to " << CStringA(c.path).GetString();
    // The wizard's job before it joins the collection: only the collection's sources count.
    EXPECT_EQ(ClassifyDestination(*m_jobs, nullptr, L"D:\\Photos\\In\\"), 3);
    EXPECT_EQ(ClassifyDestination(*m_jobs, nullptr, L"C:\\Data\\"), -1);
}

TEST_F(JobCommandRules, ATwoWayJobKeepsAwayFromTheProgramAndTheOtherJobsBackups)
{
    // A folder stands for the program's drive: the program and its data folder on it, and another job's backup.
    const CString root = (m_folder / L"E\\").c_str();
    const CString program = root + L"Tarnvel Program Files\\";
    const CString data = root + L"Backup Data\\PC\\Velbrook Data Backup\\";
    const CString other = root + L"Backups\\Other\\";
    for (const CString &folder : {program, data, other + L"Sync\\", root + L"Photos\\"})
        ASSERT_EQ(::SHCreateDirectoryExW(nullptr, folder, nullptr), ERROR_SUCCESS);
    const testsupport::ScopedValue<CString> programFolder(g_strAppFolder, program), dataFolder(g_strDataFolder, data);
    const CStringA r(root), o(other);
    // "Pulled" was stored at the drive's root before the check; the one-click job's destination holds the data
    // folder, as a one-way job's may. The sources lie on a drive of their own; the jobs given paths below are
    // disabled, so that nothing runs them.
    ASSERT_NO_FATAL_FAILURE(LoadJobs(
        std::string("<jobdef name=\"TwoWay\" state=\"0\" sync_type=\"2\" folder2folder=\"1\" dest=\"F:\\Mirror\\\">"
                    "<src path=\"Q:\\Sync\\\"/></jobdef>"
                    "<jobdef name=\"OneWay\" state=\"0\" sync_type=\"1\" dest=\"F:\\Backup\\\">"
                    "<src path=\"Q:\\Docs\\\"/></jobdef>"
                    "<jobdef name=\"Other\" state=\"1\" sync_type=\"1\" dest=\"") +
        o.GetString() +
        "\"><src path=\"Q:\\Pictures\\\"/></jobdef>"
        "<jobdef name=\"OneClick\" state=\"1\" sync_type=\"1\" dest=\"" +
        r.GetString() + "Backup Data\\PC\\\"><src path=\"Q:\\\"/></jobdef>" +
        "<jobdef name=\"Pulled\" state=\"1\" sync_type=\"2\" folder2folder=\"1\" dest=\"" + r.GetString() +
        "\"><src path=\"Q:\\Pulled\\\"/></jobdef>"));
    const struct
    {
        CString path;
        int twoWay;
        int oneWay;
    } cases[] = {
        {root, 2, -1},                        // the program's drive root holds it all
        {program, 2, -1},                     // the program folder
        {program + L"Sync\\", 2, -1},         // inside it
        {data, 2, -1},                        // the data folder
        {root + L"Backup Data\\PC\\", 2, -1}, // holding it, as the one-click job's destination does
        {root + L"Backups\\", 2, -1},         // holding another job's destination
        {other, 2, -1},                       // that destination itself
        {other + L"Sync\\", -1, -1},          // inside it: nothing of it is taken in
        {root + L"Photos\\", -1, -1},         // beside them all
    };
    for (const auto &c : cases)
    {
        EXPECT_EQ(ClassifyDestination(*m_jobs, Job(L"TwoWay"), c.path), c.twoWay) << CStringA(c.path).GetString();
        EXPECT_EQ(ClassifyDestination(*m_jobs, Job(L"OneWay"), c.path), c.oneWay) << CStringA(c.path).GetString();
    }

    // At load the stored two-way job was disabled, and says why; the one-way job beside the data folder was not.
    CSyncJob *pulled = Job(L"Pulled");
    EXPECT_EQ(pulled->GetJobDef()->GetState(), 0);
    CString why;
    why.Format(IDS_LOG_TWO_WAY_DEST_DISABLED, enginetest::kAnyTime, L"Pulled", root.GetString(), program.GetString());
    EXPECT_EQ(enginetest::CountLines(enginetest::JobLogLines(*pulled), why.GetString()), 1);
    EXPECT_EQ(Job(L"OneClick")->GetJobDef()->GetState(), 1);
    // Enabled again, it still does not run.
    enginetest::FakeMainWindow window;
    window.m_jobList = m_jobs.get();
    pulled->Enable();
    EXPECT_EQ(window.RunQueued(pulled).message, static_cast<UINT>(WM_JOB_FAILED));
    EXPECT_EQ(pulled->m_destinationRefused, DEST_REFUSED_TWO_WAY_PLACE);
    why.Format(IDS_LOG_TWO_WAY_DEST_REFUSED, enginetest::kAnyTime, L"Pulled", root.GetString(), program.GetString());
    EXPECT_EQ(enginetest::CountLines(enginetest::JobLogLines(*pulled), why.GetString()), 1);

    // Paths handed to a two-way job become its sides as much: the program folder is refused, a folder beside it
    // taken; a one-way job takes the program folder as a source.
    std::vector<UINT> told;
    SeamOverride<MessageBoxAnswer> answer(g_messageBoxAnswer, [&told](UINT id, const CString &, UINT) {
        told.push_back(id);
        return IDOK;
    });
    CStringArray pending;
    pending.Add(root + L"Photos\\");
    pending.Add(program);
    EXPECT_EQ(AddPendingSources(*Job(L"TwoWay"), pending, window).refusedWith,
              static_cast<UINT>(IDS_PATH_COLLIDES_WITH_DEST));
    EXPECT_EQ(ClassifyDestination(*m_jobs, nullptr, root + L"Photos\\Backup\\"), 3) << "Photos became a source";
    pending.Add(program);
    EXPECT_EQ(AddPendingSources(*Job(L"OneWay"), pending, window).refusedWith, 0u);
    EXPECT_EQ(told, std::vector<UINT>{IDS_PATH_COLLIDES_WITH_DEST});
}

TEST_F(JobCommandRules, ARequestLeavesTheExistingPathsItNames)
{
    const std::wstring one = m_folder / L"one";
    const std::wstring two = m_folder / L"two";
    // A folder whose name holds "-s " as part of a word.
    const std::wstring dashed = m_folder / L"tools-s x";
    const std::wstring file = m_folder / L"letter.txt";
    for (const std::wstring &folder : {one, two, dashed})
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    const CString o((one + L"\\").c_str());
    const CString t((two + L"\\").c_str());
    const CString d((dashed + L"\\").c_str());
    const CString f(file.c_str());
    const std::wstring exe = L"E:\\Tarnvel.exe ";
    const struct
    {
        std::wstring line;
        bool valid;
        int mode;
        std::vector<CString> paths;
    } cases[] = {
        {exe + L"--select " + one + L";" + two + L"\\;", true, START_MODE_SELECT, {o, t}},
        {exe + L"-s " + one + L"\\\\;", true, START_MODE_SELECT, {o}},
        {exe + L"--create " + one + L";" + file + L";", true, START_MODE_CREATE, {o, f}},
        {exe + L"-c " + two + L";", true, START_MODE_CREATE, {t}},
        {exe + L"--create " + one, false, START_MODE_NONE, {}}, // no ";"
        {exe + L"-s " + one + L";" + (m_folder / L"gone") + L";" + two + L";", true, START_MODE_SELECT, {o, t}},
        {exe + L"-s " + one + L";;" + two + L";", true, START_MODE_SELECT, {o}}, // an empty piece
        {exe + L"--select " + dashed + L";", true, START_MODE_SELECT, {d}},      // blanks in a path
        {exe + dashed + L"\\;", true, START_MODE_NONE, {}},                      // "-s " in a word
        {exe + L"--selected " + one + L";", true, START_MODE_NONE, {}},          // no mode word
    };
    for (const auto &c : cases)
    {
        CommandRequest request;
        const std::vector<CString> paths = Pending(c.line, request);
        const CStringA line(c.line.c_str());
        EXPECT_EQ(request.valid, c.valid) << line.GetString();
        EXPECT_EQ(request.mode, c.mode) << line.GetString();
        if (request.mode != START_MODE_NONE)
        {
            EXPECT_EQ(paths, c.paths) << line.GetString();
        }
    }
}

TEST_F(JobCommandRules, TheTextOfACopyDataMessageEndsWithinItsBuffer)
{
    // The sender's buffer holds no zero within cbData: the text stops at its end, not beyond it.
    const wchar_t buffer[] = {L'-', L's', L' ', L'A', L';', L'X', L'X', L'X'};
    EXPECT_EQ(CopyDataText(buffer, 5 * sizeof(wchar_t)), L"-s A;");
    EXPECT_EQ(CopyDataText(buffer, 5 * sizeof(wchar_t) + 1), L"-s A;") << "an odd byte is no character";
    EXPECT_EQ(CopyDataText(L"-c B;\0-s C;", 12 * sizeof(wchar_t)), L"-c B;") << "up to the first zero";
    EXPECT_EQ(CopyDataText(nullptr, 100), L"");
    EXPECT_EQ(CopyDataText(buffer, 0), L"");
}

TEST_F(JobCommandRules, ADeletedJobTakesItsTwoFilterFilesAndNoOther)
{
    const CString saved = g_strFilterFolder;
    g_strFilterFolder = L"Z:\\Data\\";
    const std::vector<CString> own = JobFilterFilesOf(L"{0A1B}");
    EXPECT_EQ(own, (std::vector<CString>{L"Z:\\Data\\{0A1B}_1.xml", L"Z:\\Data\\{0A1B}_2.xml"}));
    for (LPCWSTR bad : {L"", L"..\\Zel", L"..", L"a\\b", L"a/b", L"C:x", L"*", L"Job?", L"x..y"})
        EXPECT_TRUE(JobFilterFilesOf(bad).empty()) << CStringA(bad).GetString();
    g_strFilterFolder = saved;
}

} // namespace
