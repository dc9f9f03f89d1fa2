// The destination page in a window of the test's own, as the wizard's destination step: the refusals that keep the
// page and the job's destination, a drive's folder taken with the drive's identity once the user agrees to its
// room, a share reached through the prefix's network links, and the new-folder button. It leaves the page as
// destination.png in the build folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "DestinationTestSupport.h"
#include "engine/job/SyncJob.h"
#include "engine/program/DriveMarker.h"
#include "engine/program/NetPath.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/destpage/DestinationPage.h"
#include "setup/destpage/DestinationRules.h"
#include "setup/support/DestNodeDouble.h"
#include "setup/wizard/TesselWizard.h"
#include "setup/wizard/WizardPageFactory.h"
#include "support/HostLink.h"
#include "support/ImageSupport.h"

namespace
{

using namespace DesFileTree;

DWORD g_connectAnswer = NO_ERROR;
std::vector<CString> g_connected;

DWORD ScriptedConnect(HWND, LPCWSTR path)
{
    g_connected.push_back(path);
    return g_connectAnswer;
}

const ULONGLONG kMegabyte = 1024 * 1024;

BOOL WINAPI SmallDrive(LPCWSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER totalFree)
{
    if (available != nullptr)
        available->QuadPart = kMegabyte;
    if (total != nullptr)
        total->QuadPart = 1024 * kMegabyte;
    if (totalFree != nullptr)
        totalFree->QuadPart = kMegabyte;
    return TRUE;
}

// The names the new-folder question offered, and what the user types in turn (empty: Cancel).
std::vector<CString> g_offered;
std::vector<CString> g_typed;

BOOL ScriptedName(CWnd *, CString &name)
{
    g_offered.push_back(name);
    if (g_typed.empty() || g_typed.front().IsEmpty())
        return FALSE;
    name = g_typed.front();
    g_typed.erase(g_typed.begin());
    return TRUE;
}

class DestinationPageWindow : public desttest::DestinationTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(DestinationTest::SetUp());
        m_job = AddJob(L"Destination job", L"Q:\\Old\\", {{L"uuid", L"old-identity"}, {L"threshold", L"90"}});
        {
            // The wizard only hears the header sentence here: it makes no pages of its own.
            SeamOverride<WizardPageFactory> noPages(g_wizardPageFactory, WizardPageFactory{});
            m_wizard = std::make_unique<CTesselWizard>(m_job, CTesselWizard::STEP_DESTINATION, nullptr);
        }
        m_page = std::make_unique<CDestinationPage>(m_wizard.get());
        m_page->SetJob(m_job);
        ASSERT_TRUE(m_page->Create(CDestinationPage::IDD, &m_host)) << "the destination page from the language library";
        m_page->MoveWindow(CRect(0, 0, 741, 360));
        m_page->LoadPage();
        m_page->ShowWindow(SW_SHOW);
        Pump();
        g_connected.clear();
    }
    void TearDown() override
    {
        m_page.reset();
        m_wizard.reset();
        DestinationTest::TearDown();
    }
    CString Attr(LPCWSTR name) const
    {
        return XmlGetAttributeString(m_job->GetElement(), name);
    }
    // Chooses E:\Backup in the tree, as the user does.
    void ChooseBackup()
    {
        DesTreeHost &host = m_page->GetTreeHost();
        DesBaseNode *drive = NodeOf(host.GetGroupNodes(GROUP_REMOVABLE), L"E:\\");
        ASSERT_NE(drive, nullptr);
        DesBaseNode *backup = NodeOf(drive->GetChildren(), L"E:\\Backup");
        ASSERT_NE(backup, nullptr);
        ASSERT_TRUE(m_page->GetTree().SelectNode(backup));
        Pump();
        ASSERT_EQ(m_page->GetSelectedPath(), L"E:\\Backup");
    }
    void ExpectDestinationKept()
    {
        EXPECT_EQ(Attr(L"dest"), L"Q:\\Old\\");
        EXPECT_EQ(Attr(L"uuid"), L"old-identity");
    }

    CSyncJob *m_job = nullptr;
    std::unique_ptr<CTesselWizard> m_wizard;
    std::unique_ptr<CDestinationPage> m_page;
};

TEST_F(DestinationPageWindow, ARefusalKeepsThePageAndTheJobsDestination)
{
    const struct
    {
        const char *name;
        bool chooseBackup;
        int clash; // what the main window finds of the folder against the sources
        UINT told;
    } rows[] = {
        {"nothing chosen", false, -1, IDS_NO_DESTINATION},
        {"a source of the job", true, 1, IDS_PATH_COLLIDES_WITH_DEST},
        {"a folder inside a source of the job, or holding one", true, 2, IDS_PATH_COLLIDES_WITH_DEST},
        {"a folder gone since", true, -1, IDS_DEST_FOLDER_MISSING},
    };
    for (const auto &row : rows)
    {
        SCOPED_TRACE(row.name);
        if (row.chooseBackup)
        {
            ASSERT_NO_FATAL_FAILURE(ChooseBackup());
        }
        m_main->m_findJobByPath = row.clash;
        if (row.told == IDS_DEST_FOLDER_MISSING)
        {
            ASSERT_TRUE(::RemoveDirectoryW((m_removableFolder / L"Backup").c_str()));
        }
        m_asked.clear();
        EXPECT_FALSE(m_page->SavePage());
        EXPECT_EQ(AskedIds(), std::vector<UINT>{row.told});
        ExpectDestinationKept();
    }
    EXPECT_EQ(m_main->m_pathsFound, (std::vector<CString>{L"E:\\Backup\\", L"E:\\Backup\\"}));
    EXPECT_EQ(enginetest::CountLines(ProgramLogLines(), std::wstring(enginetest::kAnyText) +
                                                            L" The chosen destination E:\\Backup cannot be found: " +
                                                            enginetest::kAnyText),
              1);
}

TEST_F(DestinationPageWindow, ADrivesFolderIsTakenWithTheDrivesIdentityOnceTheUserAgreesToItsRoom)
{
    ASSERT_NO_FATAL_FAILURE(ChooseBackup());
    CString sentence;
    sentence.Format(IDS_HEADER_DEST_FOLDER, L"E:\\Backup", L"E:\\");
    EXPECT_EQ(m_wizard->GetHeaderText(), sentence);
    EXPECT_TRUE(testsupport::SaveWindowPng(m_host.GetSafeHwnd(), testsupport::BuildFolder() + L"destination.png"));

    m_page->GetSlider().SetPos(70);
    // The job's source holds 2 MB, for the drive's 1 MB free; the pages' size scans never counted it.
    enginetest::WriteFileAt(m_folder / L"Sources\\photo.jpg", std::string(2 * kMegabyte, 'p'));
    m_job->GetJobDef()->AddSource((m_folder / L"Sources\\").c_str(), nullptr, FALSE);
    SeamOverride<PFN_GET_DISK_FREE_SPACE_EX> small(g_pfnGetDiskFreeSpaceEx, &SmallDrive);
    // Its filters take no ".jpg": nothing of it needs room.
    m_job->GetJobDef()->SetInclude(L".doc;");
    m_answer = [](UINT, UINT) { return IDCANCEL; };
    EXPECT_TRUE(m_page->SavePage());
    EXPECT_TRUE(m_asked.empty());
    m_job->GetJobDef()->SetDest(L"Q:\\Old\\");
    m_job->GetJobDef()->SetUuid(L"old-identity");

    m_job->GetJobDef()->SetInclude(L".jpg;");
    EXPECT_FALSE(m_page->SavePage());
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_ASK_DEST_TOO_SMALL});
    ExpectDestinationKept();

    m_asked.clear();
    m_answer = nullptr;
    EXPECT_TRUE(m_page->SavePage());
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_ASK_DEST_TOO_SMALL});
    EXPECT_EQ(Attr(L"dest"), L"E:\\Backup\\");
    CString marked;
    EXPECT_TRUE(ReadDestinationDriveId(GetDestinationDriveMarkerPath(L'E'), marked));
    EXPECT_EQ(marked.GetLength(), DRIVE_ID_LENGTH);
    EXPECT_EQ(Attr(L"uuid"), marked);
    EXPECT_EQ(Attr(L"hassrc"), L"1");
    EXPECT_EQ(Attr(L"destnet"), L"0");
    EXPECT_EQ(Attr(L"threshold"), L"70");
}

TEST_F(DestinationPageWindow, AShareIsConnectedFirstAndItsFolderMadeWithoutADriveIdentity)
{
    // The prefix reaches \\<server>\<share> through its link "dosdevices\unc\<server>\<share>".
    std::wstring dosdevices = testsupport::HostPath(L"C:\\");
    ASSERT_FALSE(dosdevices.empty());
    dosdevices = L"Z:" + dosdevices.substr(0, dosdevices.find_last_of(L'/', dosdevices.size() - 2));
    for (wchar_t &ch : dosdevices)
        ch = ch == L'/' ? L'\\' : ch;
    const std::wstring server = L"velbrook";
    const std::wstring share = L"share" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring serverFolder = dosdevices + L"\\unc\\" + server;
    ::CreateDirectoryW((dosdevices + L"\\unc").c_str(), nullptr);
    ::CreateDirectoryW(serverFolder.c_str(), nullptr);
    testsupport::TempFolder shareFolder;
    ASSERT_TRUE(testsupport::MakeFolderLink(serverFolder + L"\\" + share, shareFolder.Path()));
    const CString folder = (L"\\\\" + server + L"\\" + share + L"\\Backup").c_str();

    DesTreeHost &host = m_page->GetTreeHost();
    host.GetGroupNodes(GROUP_NETWORK).push_back(std::make_unique<setuptest::PathNode>(KIND_NETWORK, folder));
    DesBaseNode *node = host.GetGroupNodes(GROUP_NETWORK).back().get();
    host.ShowGroup(GROUP_NETWORK);
    ASSERT_TRUE(m_page->GetTree().SelectNode(node));
    SeamOverride<DestinationConnectFunction> connect(g_pfnConnectDestination, &ScriptedConnect);
    const struct
    {
        DWORD answer;
        BOOL saved;
    } rows[] = {{ERROR_CANCELLED, FALSE}, {ERROR_BAD_NETPATH, FALSE}, {NO_ERROR, TRUE}};
    for (const auto &row : rows)
    {
        SCOPED_TRACE(row.answer);
        g_connectAnswer = row.answer;
        g_connected.clear();
        m_asked.clear();
        EXPECT_EQ(m_page->SavePage(), row.saved);
        EXPECT_EQ(g_connected, std::vector<CString>{folder});
        EXPECT_EQ(enginetest::Exists(shareFolder / L"Backup"), row.saved != FALSE);
        if (row.answer == ERROR_CANCELLED)
        {
            EXPECT_TRUE(m_asked.empty()) << "the user cancelled: nothing to tell";
        }
        if (row.answer == ERROR_BAD_NETPATH)
        {
            ASSERT_EQ(m_asked.size(), 1u);
            EXPECT_EQ(m_asked.front().text, GetSystemErrorText(ERROR_BAD_NETPATH));
        }
        if (!row.saved)
        {
            ExpectDestinationKept();
        }
    }
    EXPECT_EQ(Attr(L"dest"), folder + L"\\");
    EXPECT_EQ(Attr(L"uuid"), L"");
    EXPECT_EQ(Attr(L"destnet"), L"1");
    testsupport::RemoveFolderLink(serverFolder + L"\\" + share);
}

TEST_F(DestinationPageWindow, TheNewFolderButtonMakesTheOfferedFolderAndTellsWhatItCouldNotMake)
{
    CWnd &button = m_page->GetButton(CDestinationPage::BUTTON_NEW_FOLDER);
    EXPECT_FALSE(button.IsWindowEnabled()) << "nothing chosen";
    EXPECT_EQ(m_page->MakeNewFolderName(), L"");
    ASSERT_NO_FATAL_FAILURE(ChooseBackup());
    EXPECT_TRUE(button.IsWindowEnabled());

    SeamOverride<PFN_ASK_NEW_FOLDER_NAME> ask(g_pfnAskNewFolderName, &ScriptedName);
    g_offered.clear();
    g_typed = {L"New Folder", L"bad|name"};
    const auto press = [this] {
        m_page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DEST_NEW_FOLDER, BN_CLICKED),
                            reinterpret_cast<LPARAM>(m_page->GetButton(CDestinationPage::BUTTON_NEW_FOLDER).m_hWnd));
        Pump();
    };
    press();
    EXPECT_TRUE(enginetest::Exists(m_removableFolder / L"Backup\\New Folder"));
    EXPECT_EQ(m_page->GetSelectedPath(), L"E:\\Backup\\New Folder");
    ASSERT_TRUE(::CreateDirectoryW((m_removableFolder / L"Backup\\New Folder\\New Folder").c_str(), nullptr));
    press();
    EXPECT_EQ(g_offered, (std::vector<CString>{L"New Folder", L"New Folder (2)"}));
    EXPECT_EQ(m_page->GetSelectedPath(), L"E:\\Backup\\New Folder") << "a failure keeps the choice";
    EXPECT_EQ(AskedIds(), std::vector<UINT>{0u});
    EXPECT_EQ(
        enginetest::CountLines(ProgramLogLines(), std::wstring(enginetest::kAnyText) +
                                                      L" The folder E:\\Backup\\New Folder\\bad|name cannot be made: " +
                                                      enginetest::kAnyText),
        1);
}

} // namespace
