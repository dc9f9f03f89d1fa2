// The small job dialogs as the user meets them: the revisions and options dialog with its edge cases, the overwrite
// choice, the platform's folder browser with the browse filter, and the protected-volume open dialog with the
// device agent's calls put in place.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/snapshot/ZorbitVolumeCalls.h"
#include "engine/store/PathMatch.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/jobdialogs/DialogAutoDel.h"
#include "setup/jobdialogs/FolderBrowseFilter.h"
#include "setup/jobdialogs/OverWriteOption.h"
#include "setup/jobdialogs/SvrSelectDlg.h"
#include "setup/support/JobSetupTestSupport.h"
#include "setup/wizard/SetupReports.h"
#include "setup/zorbit/OpenZorbitDlg.h"

using enginetest::kAnyText;

namespace
{

class JobDialogsWindow : public setuptest::JobSetupTest
{
  protected:
    JobDialogsWindow() : JobSetupTest(enginetest::FakeMainWindow::Kind::TopLevel)
    {
    }
    // Opens the dialog without a loop of its own; the test works its controls and presses its buttons.
    template <typename Dialog> void Open(Dialog &dialog)
    {
        ASSERT_TRUE(dialog.Create(Dialog::IDD, nullptr));
        dialog.ShowWindow(SW_SHOW);
        setuptest::PumpMessages();
    }
    static bool Enabled(CWnd &dialog, int id)
    {
        return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE;
    }
    static void Press(CWnd &dialog, int id)
    {
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
};

} // namespace

TEST_F(JobDialogsWindow, RevisionsAndOptionsKeepWhatTheUserDidNotChange)
{
    const struct
    {
        LPCWSTR maxver;
        int selected;
        LPCWSTR afterOk;
    } rows[] = {{L"-1", autodel::kUnlimitedIndex, L"-1"}, {L"10", 9, L"10"}, {L"15", -1, L"15"}, {L"-5", -1, L"-5"}};
    for (const auto &row : rows)
    {
        CSyncJob *job = AddJob(L"Revisions", L"E:\\Backup\\", {{L"maxver", row.maxver}});
        CDialogAutoDel dialog(job, nullptr);
        Open(dialog);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_AUTODEL_KEEP_REVISIONS), static_cast<UINT>(BST_CHECKED));
        EXPECT_TRUE(Enabled(dialog, IDC_AUTODEL_REVISIONS));
        EXPECT_EQ(dialog.SendDlgItemMessage(IDC_AUTODEL_REVISIONS, CB_GETCURSEL), row.selected);
        EXPECT_EQ(dialog.SendDlgItemMessage(IDC_AUTODEL_REVISIONS, CB_GETCOUNT), 11);
        Press(dialog, IDOK);
        EXPECT_EQ(XmlGetAttributeString(job->GetElement(), L"maxver"), row.afterOk) << CStringA(row.maxver).GetString();
        // Nothing else changed: the layout stays.
        EXPECT_EQ(job->m_retainFullPathChanged, 0);
        dialog.DestroyWindow();
    }

    // The box cleared turns revisions off; the full-path choice changed marks the layout.
    CSyncJob *job = AddJob(L"Cleared", L"E:\\Backup\\", {{L"maxver", L"3"}, {L"autodel", L"true"}});
    CDialogAutoDel cleared(job, nullptr);
    Open(cleared);
    EXPECT_TRUE(Enabled(cleared, IDC_AUTODEL_MOVE_TO_RECYCLE));
    cleared.CheckDlgButton(IDC_AUTODEL_KEEP_REVISIONS, BST_UNCHECKED);
    Press(cleared, IDC_AUTODEL_KEEP_REVISIONS);
    EXPECT_FALSE(Enabled(cleared, IDC_AUTODEL_REVISIONS));
    cleared.CheckDlgButton(IDC_AUTODEL_RETAIN_FULL_PATH, BST_CHECKED);
    Press(cleared, IDOK);
    EXPECT_EQ(XmlGetAttributeString(job->GetElement(), L"maxver"), L"0");
    EXPECT_EQ(XmlGetAttributeString(job->GetElement(), L"retain_full_path"), L"1");
    EXPECT_EQ(job->m_retainFullPathChanged, 1);
    cleared.DestroyWindow();

    // Cancel writes nothing.
    CSyncJob *kept = AddJob(L"Kept", L"E:\\Backup\\", {{L"maxver", L"2"}});
    CDialogAutoDel cancelled(kept, nullptr);
    Open(cancelled);
    cancelled.CheckDlgButton(IDC_AUTODEL_KEEP_REVISIONS, BST_UNCHECKED);
    Press(cancelled, IDC_AUTODEL_KEEP_REVISIONS);
    Press(cancelled, IDCANCEL);
    EXPECT_EQ(XmlGetAttributeString(kept->GetElement(), L"maxver"), L"2");
    cancelled.DestroyWindow();
}

TEST_F(JobDialogsWindow, AMirrorJobsDeletionChoicesCannotBeChanged)
{
    CSyncJob *job =
        AddJob(L"Mirror", L"E:\\Backup\\", {{L"sync_type", L"2"}, {L"autodel", L"true"}, {L"folder2folder", L"1"}});
    CDialogAutoDel dialog(job, nullptr);
    Open(dialog);
    EXPECT_FALSE(Enabled(dialog, IDC_AUTODEL_AUTO_DELETE));
    EXPECT_FALSE(Enabled(dialog, IDC_AUTODEL_MOVE_TO_RECYCLE));
    EXPECT_FALSE(Enabled(dialog, IDC_AUTODEL_RETAIN_FULL_PATH));
    EXPECT_TRUE(Enabled(dialog, IDC_AUTODEL_SUPPRESS_ERROR_LOG));
    dialog.DestroyWindow();
}

TEST_F(JobDialogsWindow, TheOverwriteChoiceStoresTheRadioChecked)
{
    const struct
    {
        int radio;
        int button;
        LPCWSTR owType;
    } rows[] = {
        {0, IDOK, L"1"}, {IDC_OVERWRITE_ALWAYS, IDC_OVERWRITE_CONTINUE, L"2"}, {IDC_OVERWRITE_NEVER, IDOK, L"3"}};
    for (const auto &row : rows)
    {
        CSyncJob *job = AddJob(L"Folders", L"E:\\Target\\", {{L"folder2folder", L"1"}});
        job->GetJobDef()->AddSource(L"C:\\Work\\", nullptr, TRUE);
        COverWriteOption choice(job, nullptr);
        Open(choice);
        CString sources;
        choice.GetDlgItemText(IDC_OVERWRITE_SOURCES, sources);
        EXPECT_EQ(sources, L"C:\\Work\\");
        CString dest;
        choice.GetDlgItemText(IDC_OVERWRITE_DEST, dest);
        EXPECT_EQ(dest, L"E:\\Target\\");
        EXPECT_EQ(choice.IsDlgButtonChecked(IDC_OVERWRITE_NEWER), static_cast<UINT>(BST_CHECKED));
        if (row.radio != 0)
            choice.CheckRadioButton(IDC_OVERWRITE_NEWER, IDC_OVERWRITE_NEVER, row.radio);
        Press(choice, row.button);
        EXPECT_EQ(XmlGetAttributeString(job->GetElement(), L"ow_type"), row.owType);
        choice.DestroyWindow();
    }
}

namespace
{

// The browse filter in the platform's browser; the test's own callback records whether OK was on for the folder
// the filter selected, then closes the browser.
struct BrowseRecord
{
    const FolderBrowseFilter *filter;
    bool okEnabled = true;
    bool seen = false;
};

void CALLBACK CloseBrowser(HWND hWnd, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(hWnd, timer);
    ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

int CALLBACK RecordingBrowseProc(HWND hWnd, UINT message, LPARAM lParam, LPARAM data)
{
    auto *record = reinterpret_cast<BrowseRecord *>(data);
    // The browser closes once it has shown the folder (which the filter's selection may do at once), or after a while
    // without it.
    if (message == BFFM_INITIALIZED)
        ::SetTimer(hWnd, 1, 5000, &CloseBrowser);
    FolderBrowseFilterProc(hWnd, message, lParam, reinterpret_cast<LPARAM>(record->filter));
    if (message == BFFM_SELCHANGED)
    {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path) &&
            CString(path).CompareNoCase(CutTrailingBackslashes(record->filter->initialFolder)) == 0)
        {
            record->seen = true;
            record->okEnabled = ::IsWindowEnabled(::GetDlgItem(hWnd, IDOK)) != FALSE;
            ::SetTimer(hWnd, 1, 0, &CloseBrowser);
        }
    }
    return 0;
}

} // namespace

TEST_F(JobDialogsWindow, TheProgramsEndBreakingADialogOffIsACancelAndNoTemplateMissing)
{
    CDialog prompt(IDD_START_BACKUP, nullptr);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); });
    EXPECT_EQ(RunSetupDialog(prompt), IDCANCEL);
    ::KillTimer(nullptr, timer);
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT goes on to the outer loop";
    EXPECT_TRUE(m_asked.empty());
    EXPECT_EQ(enginetest::CountLines(ProgramLogLines(), std::wstring(kAnyText) + L"cannot be shown" + kAnyText), 0);
}

TEST_F(JobDialogsWindow, TheBrowserKeepsOkOffForTheExcludedFolder)
{
    const CString folder = CString(m_folder.Path().c_str()) + L"Backup";
    ASSERT_TRUE(::CreateDirectoryW(folder, nullptr));
    const struct
    {
        CString excluded;
        bool okEnabled;
    } rows[] = {
        {CString(folder).MakeUpper() + L"\\", false}, // the same folder in other case, with its backslash
        {folder + L"2\\", true},
        {CString(), true},
    };
    for (const auto &row : rows)
    {
        FolderBrowseFilter filter;
        filter.title = L"Choose a folder";
        filter.initialFolder = folder;
        filter.excludedFolder = row.excluded;
        filter.flags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
        BrowseRecord record{&filter};
        BROWSEINFOW info = {};
        info.hwndOwner = m_main->GetWindowHandle();
        info.ulFlags = filter.flags;
        info.lpfn = &RecordingBrowseProc;
        info.lParam = reinterpret_cast<LPARAM>(&record);
        // Wine's browser now and then leaves a first selection of a folder deep in its tree undone (it keeps the
        // desktop selected): the browser is opened again then, as a user would.
        for (int attempt = 0; attempt < 3 && !record.seen; ++attempt)
        {
            PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
            if (chosen != nullptr)
                ::CoTaskMemFree(chosen);
        }
        ASSERT_TRUE(record.seen) << CStringA(row.excluded).GetString();
        EXPECT_EQ(record.okEnabled, row.okEnabled) << CStringA(row.excluded).GetString();
    }
    // A path that does not exist, or none, is never taken.
    EXPECT_FALSE(IsBrowsedFolderAcceptable(folder + L"\\missing", CString()));
    EXPECT_FALSE(IsBrowsedFolderAcceptable(CString(), CString()));
}

TEST_F(JobDialogsWindow, AProtectedVolumeOpensWithACodeTheAgentTakes)
{
    ZorbitRecord record = {};
    ::lstrcpynA(record.name, "Vault", sizeof(record.name));
    std::vector<std::string> codes;
    int openResult = 3;
    ZorbitVolumeCalls calls;
    calls.isOpen = [](const ZorbitRecord &) { return 0; };
    calls.open = [&codes, &openResult](const ZorbitRecord &volume, const char *code, char *) {
        EXPECT_STREQ(volume.name, "Vault");
        codes.push_back(code);
        return openResult;
    };
    calls.information = [](const ZorbitRecord &, char *text, DWORD *) {
        ::lstrcpynA(text, "2 GB free", kZorbitTextBytes);
        return 0;
    };
    SeamOverride<ZorbitVolumeCalls> agent(g_zorbitVolumeCalls, calls);

    COpenZorbitDlg dialog(record, nullptr);
    Open(dialog);
    CString text;
    dialog.GetDlgItemText(IDC_ZORBIT_NAME, text);
    EXPECT_EQ(text, L"Vault");
    Press(dialog, IDC_ZORBIT_REFRESH);
    dialog.GetDlgItemText(IDC_ZORBIT_INFO_TEXT, text);
    EXPECT_EQ(text, L"2 GB free");

    // Seven characters are too few: nothing reaches the agent.
    dialog.SetDlgItemText(IDC_ZORBIT_CODE, L"1234567");
    Press(dialog, IDC_ZORBIT_OPEN);
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_ZORBIT_CODE_LENGTH});
    EXPECT_TRUE(codes.empty());
    // A code the agent refuses with 3: the dialog stays, the program's log has the reason.
    dialog.SetDlgItemText(IDC_ZORBIT_CODE, L"12345678");
    Press(dialog, IDOK);
    EXPECT_EQ(AskedIds(), (std::vector<UINT>{IDS_ZORBIT_CODE_LENGTH, IDS_ZORBIT_WRONG_CODE}));
    EXPECT_EQ(codes, std::vector<std::string>{"12345678"});
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_EQ(
        enginetest::CountLines(ProgramLogLines(), std::wstring(kAnyText) + L" it is locked after too many tries."), 1);
    // The agent takes it: the dialog closes.
    openResult = 0;
    Press(dialog, IDC_ZORBIT_OPEN);
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.DestroyWindow();

    // Without the agent's calls OK only closes the dialog.
    SeamOverride<ZorbitVolumeCalls> none(g_zorbitVolumeCalls, ZorbitVolumeCalls{});
    COpenZorbitDlg plain(record, nullptr);
    Open(plain);
    Press(plain, IDC_ZORBIT_OPEN);
    EXPECT_FALSE(plain.IsWindowVisible());
    // Only the two codes tried above reached an agent.
    EXPECT_EQ(codes.size(), 2u);
    plain.DestroyWindow();
}

namespace
{

// The job list of the selection dialog as a plain list box.
class ListPicker : public IJobPicker
{
  public:
    ListPicker(CWnd &parent, const CRect &rect, UINT id)
    {
        m_list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, rect, &parent, id);
    }
    void AddJob(CJobDef *jobDef) override
    {
        m_list.SetItemDataPtr(m_list.AddString(jobDef->GetName()), jobDef);
    }
    CJobDef *GetSelectedJob() const override
    {
        const int selected = m_list.GetCurSel();
        return selected < 0 ? nullptr : static_cast<CJobDef *>(m_list.GetItemDataPtr(selected));
    }
    CListBox m_list;
};

} // namespace

TEST_F(JobDialogsWindow, TheJobSelectionTakesThePendingPathsIntoThePickedJob)
{
    AddJob(L"First", L"E:\\First\\");
    CSyncJob *second = AddJob(L"Second", L"E:\\Second\\");
    m_main->m_pendingSources.Add(L"C:\\New\\");
    ListPicker *picker = nullptr;
    CSvrSelectDlg dialog(nullptr, [&picker](CWnd &parent, const CRect &rect, UINT id) {
        auto made = std::make_unique<ListPicker>(parent, rect, id);
        picker = made.get();
        return std::unique_ptr<IJobPicker>(std::move(made));
    });
    Open(dialog);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->m_list.GetCount(), 2);
    CRect list;
    CRect client;
    picker->m_list.GetWindowRect(&list);
    dialog.ScreenToClient(&list);
    dialog.GetClientRect(&client);
    EXPECT_EQ(list.bottom, client.bottom - 45);
    // Nothing picked: the dialog says so and stays.
    Press(dialog, IDOK);
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_NO_JOB_CHOSEN});
    EXPECT_TRUE(dialog.IsWindowVisible());
    picker->m_list.SetCurSel(1);
    Press(dialog, IDOK);
    EXPECT_FALSE(dialog.IsWindowVisible());
    const auto stored = StoredJobs();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_TRUE(enginetest::ChildElements(stored[0], L"src").empty());
    const auto sources = enginetest::ChildElements(stored[1], L"src");
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(XmlGetAttributeString(sources[0], L"path"), L"C:\\New\\");
    EXPECT_EQ(m_main->m_updatedJobs, std::vector<CJobDef *>{second->GetJobDef()});
    dialog.DestroyWindow();
    WaitForRunEnds(1);
}
