// The main window's restore page in the test's own process, with its real pages and scripted runs over the
// program drive F:: whatever ends the page (a finished or cancelled restore, Back, a one-click backup) the store
// keeps the job's backup form, also while the restore waits behind another run; a restore into a folder of the
// user's, an empty folder, the every-file option, a disabled job; which job a page shows; what the folder browser
// is given; Cancel and Yes in the progress window; and one restore of the one-click job with the real runs, from
// its backup back to the places. The page into another folder is saved as restore-page.png in the build folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/support/RunRoadTestSupport.h"
#include "app/run/RestoreEndText.h"
#include "app/window/JobCommandWindows.h"
#include "engine/store/SourceList.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/JobCommandsIds.h"
#include "platform/system/Resources.h"
#include "setup/jobdialogs/FolderBrowseFilter.h"
#include "engine/windows/ProgressDialog.h"
#include "setup/filterui/FilterPage.h"
#include "setup/sourcepage/SourceBasicPage.h"
#include "setup/sourcepage/SourcePage.h"
#include "support/ImageSupport.h"
#include "tray/logic/TrayMessages.h"

// The program's backup run thread (engine/run/RunThread.h, whose names meet the shell's in this file).
unsigned __stdcall RunThreadProc(void *job);

namespace
{

const wchar_t kDataFolder[] = L"Backup Data\\Tester\\Velbrook Data Backup\\";

// Two jobs backed up before: each source knows where its backup lies; "uuid" names the destination drive.
std::string BackedUpJob(const char *name, const char *state, const char *source, const char *dest)
{
    return std::string("<jobdef name=\"") + name + "\" JobUUID=\"{" + name + "}\" uuid=\"drive-" + name +
           "\" state=\"" + state + "\" sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" dest=\"" + dest +
           "\" backup_count=\"1\" wizard_mode=\"0\"><src path=\"" + source + "\" destination=\"" + dest +
           "Docs\\\" hassrc=\"1\"/>" + "</jobdef>";
}
const std::string kFirst = BackedUpJob("First", "1", "F:\\Docs\\", "F:\\Backup\\One\\");
const std::string kSecond = BackedUpJob("Second", "1", "F:\\Music\\", "F:\\Backup\\Two\\");

class RestoreRoadWindow : public runtest::RunRoadTest
{
  protected:
    void Select(int index)
    {
        CJobListView *view = m_dialog->GetJobListView();
        for (int i = 0; i < view->GetItemCount(); ++i)
            view->GetItem(i)->m_selected = i == index ? TRUE : FALSE;
    }
    CSyncJob *Job(int index) const
    {
        return m_dialog->GetJobList()->GetAt(index);
    }
    void OpenRestorePage(int index)
    {
        Select(index);
        Command(ID_JOB_RESTORE);
    }
    bool RestoreEnded() const
    {
        return m_dialog->GetRunningJobCount() == 0 && m_dialog->viewState != VIEW_RESTORE_RUNNING;
    }
    // The stored form of a job as a save writes it now (or, without save, as the store file holds it): its
    // destination, drive identifier and sources.
    std::vector<std::wstring> StoredForm(const wchar_t *name, bool save = true)
    {
        if (save)
        {
            EXPECT_NE(m_dialog->GetJobList()->Save(), 0);
        }
        std::vector<std::wstring> form;
        IXMLDOMDocument2Ptr document = enginetest::LoadStoreDocument(Local(std::wstring(kDataFolder) + L"Zel.xml"));
        if (!document)
            return {L"the store is not well formed"};
        for (const IXMLDOMElementPtr &job : enginetest::ChildElements(enginetest::RootOf(document), L"jobdef"))
        {
            if (XmlGetAttributeString(job, L"name") != name)
                continue;
            form.push_back(XmlGetAttributeString(job, L"dest").GetString());
            form.push_back(XmlGetAttributeString(job, L"uuid").GetString());
            for (const IXMLDOMElementPtr &source : enginetest::ChildElements(job, L"src"))
                form.push_back(std::wstring(XmlGetAttributeString(source, L"path").GetString()) + L" -> " +
                               XmlGetAttributeString(source, L"destination").GetString());
        }
        return form;
    }
    static std::vector<std::wstring> FirstForm()
    {
        return {L"F:\\Backup\\One\\", L"drive-First", L"F:\\Docs\\ -> F:\\Backup\\One\\Docs\\"};
    }
    bool ProgressShown() const
    {
        CProgressDialog *progress = m_dialog->GetProgressDialog();
        return progress != nullptr && progress->GetSafeHwnd() != nullptr && progress->IsWindowVisible();
    }
    // The progress window's Cancel, as the user presses it.
    void PressProgressCancel()
    {
        ::SendMessageW(m_dialog->GetProgressDialog()->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
};

TEST_F(RestoreRoadWindow, EveryEndOfTheRestorePageLeavesTheStoreWithTheBackupForm)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst + kSecond));
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, Local(L"Backup\\One\\Docs").c_str(), nullptr), ERROR_SUCCESS);
    const struct
    {
        const char *road;
        std::function<void()> end;
    } roads[] = {
        {"a finished restore",
         [this] {
             Command(IDC_RUN_JOBS);
             ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_RUNNING);
             ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 20000)) << "the restore did not end";
             EXPECT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
             ASSERT_EQ(m_runs->Started(), std::vector<CSyncJob *>{Job(0)});
         }},
        {"a cancelled restore",
         [this] {
             m_runs->SetStepTime(300);
             Command(IDC_RUN_JOBS);
             ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 2; }, 10000))
                 << m_runs->Started().size() << " runs, view " << m_dialog->viewState << ", box "
                 << (m_boxes.empty() ? 0 : m_boxes.back());
             Command(IDC_RUN_JOBS);
             ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 20000)) << "the restore did not end";
             EXPECT_EQ(m_dialog->viewState, VIEW_JOB_LIST);
             m_runs->SetStepTime(100);
         }},
        {"Back", [this] { Command(IDC_BACK); }},
        {"a one-click backup", [this] { Command(ID_JOBLIST_ITEM); }},
    };
    for (const auto &road : roads)
    {
        SCOPED_TRACE(road.road);
        OpenRestorePage(0);
        ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
        ASSERT_EQ(m_dialog->GetSourcePage(1).GetJob(), Job(0));
        ASSERT_NO_FATAL_FAILURE(road.end());
        EXPECT_EQ(StoredForm(L"First"), FirstForm());
        EXPECT_EQ(Job(0)->GetJobDef()->GetDest(), L"F:\\Backup\\One\\") << "the job in memory";
        EXPECT_FALSE(Job(0)->m_fullCopy);
        // Back from the job list would end the program.
        if (m_dialog->viewState != VIEW_JOB_LIST)
            Command(IDC_BACK);
    }
    EXPECT_EQ(m_runs->Started().size(), 2u);
}

TEST_F(RestoreRoadWindow, CancelYesStopsTheRestoreAndEveryEndGivesTheWindowBack)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst + BackedUpJob("Gone", "1", "F:\\Music\\", "F:\\Backup\\Missing\\")));
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, Local(L"Backup\\One\\Docs").c_str(), nullptr), ERROR_SUCCESS);
    std::vector<std::wstring> questions, texts;
    std::function<void()> whileAsked = [] {};
    // The progress window's question is answered Yes; every box is recorded (0 for a box of its own text).
    SeamOverride<MessageBoxAnswer> answers(g_messageBoxAnswer, [&](UINT id, const CString &text, UINT flags) {
        if ((flags & MB_TYPEMASK) != MB_YESNO)
        {
            m_boxes.push_back(id);
            texts.push_back(text.GetString());
            return IDOK;
        }
        questions.push_back(text.GetString());
        whileAsked();
        return IDYES;
    });

    // Yes while the restore runs: it stops, the user is told, the window is the user's again.
    OpenRestorePage(0);
    m_runs->SetHeld(true);
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000));
    ASSERT_TRUE(ProgressShown());
    ASSERT_FALSE(m_dialog->IsWindowEnabled());
    // The restore's own job stops, whatever card is selected by now.
    Select(-1);
    PressProgressCancel();
    ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 20000)) << "the restore did not stop";
    EXPECT_EQ(questions, std::vector<std::wstring>{AfxLoadText(IDS_ASK_STOP_RESTORE).GetString()});
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_RESTORE_CANCELLED});
    EXPECT_TRUE(m_dialog->IsWindowEnabled()) << "the cancel gives the window back";
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(m_dialog->viewState, VIEW_JOB_LIST);
    EXPECT_EQ(StoredForm(L"First"), FirstForm());

    // The restore ends while the question is open: Yes starts nothing, and the end gives the window back.
    OpenRestorePage(0);
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 2; }, 10000));
    whileAsked = [this] {
        m_runs->SetHeld(false);
        EXPECT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 20000));
    };
    PressProgressCancel();
    PumpFor([this] { return m_dialog->viewState == VIEW_JOB_LIST; }, 5000);
    EXPECT_EQ(m_runs->Started().size(), 2u) << "no second restore";
    EXPECT_TRUE(m_dialog->IsWindowEnabled());
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(m_dialog->viewState, VIEW_JOB_LIST);
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_RESTORE_CANCELLED});

    // A restore whose backup cannot be found is refused: told why, no progress window left over the page.
    OpenRestorePage(1);
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 10000));
    EXPECT_EQ(m_boxes, (std::vector<UINT>{IDS_RESTORE_CANCELLED, 0})) << "the box that says why";
    EXPECT_EQ(texts.back().substr(0, texts.back().find(L"\r\n")),
              AfxLoadText(IDS_RESTORE_STOPPED_BACKUP_MISSING).GetString())
        << "in a restore's own words";
    EXPECT_EQ(m_runs->Started().size(), 2u);
    EXPECT_TRUE(m_dialog->IsWindowEnabled());
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    Command(IDC_BACK);
}

TEST_F(RestoreRoadWindow, ARestoreWaitingBehindAnotherRunIsNeverStoredInItsRestoreForm)
{
    runtest::RecordingTray tray;
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst + kSecond));
    for (LPCWSTR folder : {L"Backup\\One\\Docs", L"Backup\\Two"})
        ASSERT_EQ(::SHCreateDirectoryExW(nullptr, Local(folder).c_str(), nullptr), ERROR_SUCCESS);
    m_runs->SetHeld(true);
    ASSERT_TRUE(m_dialog->RunJobNow(Job(1), 1));
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000));
    OpenRestorePage(0);
    Command(IDC_RUN_JOBS);
    ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_RUNNING);
    CStringArray sources;
    XmlReadSrcList(Job(0)->GetElement(), sources);
    ASSERT_EQ(sources.GetCount(), 1);
    ASSERT_EQ(sources.GetAt(0), L"F:\\Backup\\One\\Docs\\") << "the restore's form is in the job";

    // The tray program's back-up-now would rebuild the one-click job: while a restore runs it is refused, told.
    ::SendMessageW(m_dialog->GetSafeHwnd(), WM_TRAY_COMMAND, ID_TRAY_BACKUP_NOW, 0);
    EXPECT_EQ(m_dialog->viewState, VIEW_RESTORE_RUNNING);
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    const auto sent = tray.Messages();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), std::make_pair(WM_TRAY_RUN_STOPPED, WPARAM(IDS_BACKUP_WAITS_FOR_RESTORE)));

    // Every save while the restore waits, the other run's end among them, stores the job's backup form.
    EXPECT_EQ(StoredForm(L"First"), FirstForm());
    m_runs->SetHeld(false);
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 2; }, 20000))
        << "the restore did not start: view " << m_dialog->viewState << ", runs " << m_dialog->GetRunningJobCount()
        << ", states " << Job(0)->m_runState << Job(1)->m_runState << ", boxes " << m_boxes.size();
    EXPECT_EQ(StoredForm(L"First", false), FirstForm()) << "as the other run's end saved it";
    ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 20000)) << "the restore did not end";
    EXPECT_EQ(StoredForm(L"First", false), FirstForm());
    Command(IDC_BACK);
}

TEST_F(RestoreRoadWindow, AWatchedJobIsNotWatchedWhileItRestoresIntoItsPlaces)
{
    std::string onChange = kFirst;
    onChange.replace(onChange.find("js_type=\"1\""), 11, "js_type=\"0\"");
    ASSERT_NO_FATAL_FAILURE(MakeDialog(onChange));
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, Local(L"Backup\\One\\Docs").c_str(), nullptr), ERROR_SUCCESS);
    CDirectoryChangeWatcher &watcher = m_dialog->GetChangeWatch().GetWatcher();
    // The job list's schedule watches the job's folder.
    OpenRestorePage(0);
    Command(IDC_BACK);
    ASSERT_TRUE(PumpFor([&] { return watcher.IsWatching(L"F:\\Docs\\") != FALSE; }, 20000));

    // Every file the restore writes would come back as a change: the folder is not watched while it restores.
    OpenRestorePage(0);
    m_runs->SetHeld(true);
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000));
    EXPECT_FALSE(watcher.IsWatching(L"F:\\Docs\\"));
    m_runs->SetHeld(false);
    ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 20000));

    // Back on the job list the folder is watched again (and the job runs once it can, to catch what changed).
    Command(IDC_BACK);
    EXPECT_TRUE(PumpFor([&] { return watcher.IsWatching(L"F:\\Docs\\") != FALSE; }, 20000));
    EXPECT_TRUE(Job(0)->m_watchFlag);
    EXPECT_EQ(StoredForm(L"First"), FirstForm());
}

// The one-click job backed up with the real run, files deleted and changed, and restored to the places through
// the real restore page and run: every file back at its own path, byte for byte; a file changed after the backup
// stays, and the end says so.
TEST_F(RestoreRoadWindow, TheOneClickBackupComesBackToThePlacesItCameFrom)
{
    SeamOverride<SyncJobWorkers> realRuns(g_syncJobWorkers, SyncJobWorkers{&RunThreadProc, nullptr});
    ASSERT_NO_FATAL_FAILURE(MakeDialog(""));
    const std::map<std::wstring, std::string> tree = {{L"Tree\\a.txt", "alpha"},
                                                      {L"Tree\\sub\\b.doc", "bravo"},
                                                      {L"Tree\\sub\\deeper\\c.txt", "charlie"},
                                                      {L"Tree\\pic.jpg", "picture"}};
    for (const auto &file : tree)
        enginetest::WriteFileAt(Local(file.first), file.second, -3600);
    Command(ID_JOBLIST_ITEM);
    ASSERT_EQ(m_dialog->viewState, VIEW_BACKUP_PAGE);
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 60000)) << "the backup did not end";
    ASSERT_EQ(testsupport::ReadFileBytes(Local(L"Backup Data\\Tester\\F\\Tree\\sub\\deeper\\c.txt")), "charlie");
    const std::vector<std::wstring> backupForm = StoredForm(L"Tester");

    // Deleted, a whole folder among them; changed and older than the backup; changed after it.
    ASSERT_TRUE(::DeleteFileW(Local(L"Tree\\a.txt").c_str()));
    ASSERT_TRUE(::DeleteFileW(Local(L"Tree\\sub\\deeper\\c.txt").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(Local(L"Tree\\sub\\deeper").c_str()));
    enginetest::WriteFileAt(Local(L"Tree\\pic.jpg"), "overwritten", -7200);
    enginetest::WriteFileAt(Local(L"Tree\\sub\\b.doc"), "edited after the backup", 3600);

    Command(IDC_BACK);
    Select(0);
    Command(ID_JOB_RESTORE);
    ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    Command(IDC_RESTORE_TO_ORIGIN);
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 60000)) << "the restore did not end";
    EXPECT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);

    std::map<std::wstring, std::string> expected = tree;
    expected[L"Tree\\sub\\b.doc"] = "edited after the backup";
    std::map<std::wstring, std::string> restored;
    enginetest::ReadFileTree(Local(L"Tree\\"), restored);
    std::map<std::wstring, std::string> back;
    for (const auto &file : restored)
        back[L"Tree\\" + file.first] = file.second;
    EXPECT_EQ(back, expected);
    EXPECT_FALSE(enginetest::Exists(Local(L"F"))) << "nothing lands below the place's own name";
    EXPECT_EQ(m_dialog->GetProgressDialog()->GetStatusText(), RestoreEndText(0, 1));
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(StoredForm(L"Tester"), backupForm);
    m_dialog->GetProgressDialog()->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PumpFor([this] { return m_dialog->viewState == VIEW_JOB_LIST; }, 5000);
}

TEST_F(RestoreRoadWindow, IntoAFolderOfTheUsers)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst + BackedUpJob("Off", "0", "F:\\Music\\", "F:\\Backup\\Two\\")));
    m_dialog->ShowWindow(SW_SHOW);
    OpenRestorePage(0);
    Command(IDC_RESTORE_TO_OTHER);
    EXPECT_EQ(m_dialog->restoreToOtherFolder, 1);
    EXPECT_TRUE(m_dialog->GetDlgItem(IDC_RESTORE_FOLDER)->IsWindowEnabled());
    EXPECT_TRUE(testsupport::SaveWindowPng(m_dialog->GetSafeHwnd(), facetest::PicturePath(L"restore-page.png")));

    // An empty folder: told, nothing runs, the page stays and the job keeps its form.
    m_dialog->SetDlgItemText(IDC_RESTORE_FOLDER, L"  ");
    Command(IDC_RUN_JOBS);
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_NO_DESTINATION});
    EXPECT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    EXPECT_TRUE(m_runs->Started().empty());
    EXPECT_EQ(StoredForm(L"First"), FirstForm());

    // The every-file option keeps its check only when the question is answered OK.
    m_boxes.clear();
    for (int answer : {IDCANCEL, IDOK})
    {
        m_answer = answer;
        Command(IDC_RESTORE_OPTION);
        EXPECT_EQ(m_dialog->restoreOption, answer == IDOK ? 1 : 0);
        EXPECT_EQ(m_dialog->IsDlgButtonChecked(IDC_RESTORE_OPTION), answer == IDOK ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(m_boxes, (std::vector<UINT>{IDS_ASK_RESTORE_EVERY_FILE, IDS_ASK_RESTORE_EVERY_FILE}));

    // A folder typed with its trailing backslash is made and restored into; every file is copied again.
    m_runs->SetStepTime(200);
    m_dialog->SetDlgItemText(IDC_RESTORE_FOLDER, OnDrive(L"Restored\\Here\\").c_str());
    Command(IDC_RUN_JOBS);
    ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_RUNNING);
    EXPECT_TRUE(enginetest::Exists(Local(L"Restored\\Here")));
    EXPECT_EQ(Job(0)->GetJobDef()->GetDest(), OnDrive(L"Restored\\Here\\").c_str());
    EXPECT_TRUE(Job(0)->m_fullCopy);
    ASSERT_TRUE(PumpFor([this] { return RestoreEnded(); }, 20000)) << "the restore did not end";
    EXPECT_EQ(m_runs->Started(), std::vector<CSyncJob *>{Job(0)});
    EXPECT_FALSE(Job(0)->m_fullCopy) << "a later backup would copy every file again";
    EXPECT_EQ(StoredForm(L"First"), FirstForm());

    // A disabled job runs nothing: its page comes back with the job as stored.
    Command(IDC_BACK);
    OpenRestorePage(1);
    ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    Command(IDC_RESTORE_TO_ORIGIN);
    Command(IDC_RUN_JOBS);
    EXPECT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    EXPECT_EQ(m_runs->Started().size(), 1u);
    EXPECT_EQ(Job(1)->GetJobDef()->GetDest(), L"F:\\Backup\\Two\\");
}

TEST_F(RestoreRoadWindow, APageShowsItsOwnJobAndTheBrowserIsToldTheBackupsFolder)
{
    // The one-click job as stored: its card, once rebuilt by a one-click backup, restores the stored one.
    const std::string stored = "<jobdef name=\"Tester\" JobUUID=\"{tester}\" state=\"1\" sync_type=\"1\" "
                               "dest=\"F:\\Backup Data\\Tester\\\"><src path=\"F:\\Docs\\\" "
                               "destination=\"F:\\Backup Data\\Tester\\Docs\\\" hassrc=\"1\"/></jobdef>";
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst + kSecond + stored));
    FolderBrowseFilter seen;
    BROWSEINFOW info = {};
    JobCommandWindows windows = g_jobCommandWindows.Get();
    windows.browseForFolder = [&](BROWSEINFOW *given) -> PIDLIST_ABSOLUTE {
        info = *given;
        seen = *reinterpret_cast<FolderBrowseFilter *>(given->lParam);
        return nullptr;
    };
    SeamOverride<JobCommandWindows> browser(g_jobCommandWindows, windows);

    for (int index : {0, 1})
    {
        OpenRestorePage(index);
        EXPECT_EQ(m_dialog->GetSourcePage(1).GetJob(), Job(index)) << index;
        ::SendMessageW(m_dialog->GetSafeHwnd(), WM_EDIT_BUTTON_CLICK, 0, 0);
        EXPECT_EQ(seen.excludedFolder, Job(index)->GetJobDef()->GetDest()) << "the backup is no place to restore to";
        EXPECT_EQ(info.ulFlags, 0x45u);
        EXPECT_EQ(info.hwndOwner, m_dialog->GetSafeHwnd());
        EXPECT_EQ(info.lpfn, &FolderBrowseFilterProc);
        Command(IDC_BACK);
    }

    // The rebuilt one-click job gives way to the stored one.
    Select(2);
    Command(ID_JOBLIST_ITEM);
    Command(IDC_BACK);
    CSyncJob *rebuilt = Job(2);
    ASSERT_TRUE(rebuilt->m_defaultJob);
    OpenRestorePage(2);
    ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    EXPECT_EQ(m_dialog->GetSourcePage(1).GetJob(), rebuilt);
    EXPECT_FALSE(rebuilt->m_defaultJob);
    EXPECT_EQ(rebuilt->GetJobDef()->GetDest(), L"F:\\Backup Data\\Tester\\");
    CStringArray sources;
    XmlReadSrcList(rebuilt->GetElement(), sources);
    ASSERT_EQ(sources.GetCount(), 1);
    EXPECT_EQ(sources.GetAt(0), L"F:\\Docs\\");
    Command(IDC_BACK);

    // One the store never had goes, and no page opens.
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst));
    Select(-1);
    Command(ID_JOBLIST_ITEM);
    Command(IDC_BACK);
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    OpenRestorePage(1);
    EXPECT_EQ(m_dialog->viewState, VIEW_JOB_LIST);
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 1);
    EXPECT_EQ(m_dialog->GetJobListView()->GetItemCount(), 1);
}

} // namespace

TEST_F(RestoreRoadWindow, TheRestoreOptionsStandClearOfThePageAtEverySize)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kFirst + kSecond));
    OpenRestorePage(0);
    ASSERT_EQ(m_dialog->viewState, VIEW_RESTORE_PAGE);
    const HWND dialog = m_dialog->GetSafeHwnd();
    const HWND page = m_dialog->GetSourcePage(1).GetSafeHwnd();
    auto screenRect = [](HWND window) {
        RECT rect = {};
        ::GetWindowRect(window, &rect);
        return rect;
    };
    RECT window = screenRect(dialog);
    for (int grow : {0, 120})
    {
        ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + grow, window.bottom - window.top + grow,
                       SWP_NOMOVE | SWP_NOZORDER);
        const RECT pageRect = screenRect(page);
        for (int id : {IDC_RESTORE_TO_ORIGIN, IDC_RESTORE_TO_OTHER, IDC_RESTORE_OPTION})
        {
            const HWND option = ::GetDlgItem(dialog, id);
            // The test's window itself may stay hidden: the option's own style says whether the page shows it.
            ASSERT_NE(::GetWindowLongW(option, GWL_STYLE) & WS_VISIBLE, 0) << id;
            RECT optionRect = screenRect(option), overlap = {};
            EXPECT_FALSE(::IntersectRect(&overlap, &pageRect, &optionRect))
                << "option " << id << " lies under the restore page, grown by " << grow;
        }
        // The four boxes of kinds of files lie within the page, none under another, each with its list and
        // summary inside it.
        CSourceBasicPage &basic = m_dialog->GetSourcePage(1).GetBasicPage();
        const RECT basicRect = screenRect(basic.GetSafeHwnd());
        for (int i = 0; i < CSourceBasicPage::kBoxCount; ++i)
        {
            CFilterPage &box = basic.GetCategoryBox(i);
            const RECT boxRect = screenRect(box.GetSafeHwnd()), list = screenRect(box.GetList().GetSafeHwnd());
            RECT inside = {};
            EXPECT_TRUE(::IntersectRect(&inside, &boxRect, &basicRect) && ::EqualRect(&inside, &boxRect))
                << "box " << i << " reaches out of the page, grown by " << grow;
            EXPECT_GE(list.bottom - list.top, 40) << "box " << i << ", grown by " << grow;
            EXPECT_LE(list.bottom, screenRect(box.GetDlgItem(IDC_FILTER_SUMMARY)->GetSafeHwnd()).top)
                << "box " << i << ": its list over its summary, grown by " << grow;
            for (int j = i + 1; j < CSourceBasicPage::kBoxCount; ++j)
            {
                const RECT other = screenRect(basic.GetCategoryBox(j).GetSafeHwnd());
                RECT overlap = {};
                EXPECT_FALSE(::IntersectRect(&overlap, &boxRect, &other))
                    << "boxes " << i << " and " << j << " overlap, grown by " << grow;
            }
        }
    }
}
