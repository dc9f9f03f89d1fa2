// Shared by the destination tree's and page's window tests: the job store and stand-in main window of job setup's
// tests, GDI+, a fixed drive F: (with the folders Data and Data\Inner) and a removable drive E: (with the folder
// Backup), the device agent's records and open answers the tree reads, and a shown host window.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "engine/snapshot/ZorbitVolumeCalls.h"
#include "platform/drawing/GdiPlusSession.h"
#include "setup/desttree/DesTreeHost.h"
#include "setup/sourcetree/FileTreeItems.h"
#include "setup/support/JobSetupTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"

namespace desttest
{

// A plain shown top-level window for the page and the controls.
class HostWindow : public CWnd
{
  public:
    BOOL Make(int width, int height);
};

class DestinationTest : public setuptest::JobSetupTest
{
  protected:
    DestinationTest() : JobSetupTest(enginetest::FakeMainWindow::Kind::TopLevel)
    {
    }
    void SetUp() override;
    void TearDown() override;

    // A device agent's record named name that names its device's letter and the letter of its opened volume.
    static ZorbitRecord Record(const char *name, wchar_t device, wchar_t openVolume);
    // The node of the nodes (not below them) whose path is path, case ignored; null when none is.
    static DesFileTree::DesBaseNode *NodeOf(const DesFileTree::NodeList &nodes, LPCWSTR path);
    // The texts of the parent's items (TVI_ROOT: the top level), in order.
    static std::vector<CString> ItemTexts(const CTreeCtrl &tree, HTREEITEM parent);
    static void Pump();

    CGdiPlusSession m_gdiplus;
    testsupport::TempFolder m_removableFolder;
    testsupport::TempFolder m_fixedFolder;
    std::unique_ptr<enginetest::TestDrive> m_removable;
    std::unique_ptr<enginetest::TestDrive> m_fixed;
    HostWindow m_host;
    // What the tree reads of the device agent: its records, and whether it calls a record's volume open.
    std::vector<ZorbitRecord> m_records;
    std::map<DWORD, int> m_openAnswers;

  private:
    static int LoadRecords(std::vector<ZorbitRecord> &records);
    std::unique_ptr<SeamOverride<FileTree::PFN_LOAD_DEVICE_RECORDS>> m_recordSource;
    std::unique_ptr<SeamOverride<ZorbitVolumeCalls>> m_agent;
};

} // namespace desttest
