// Shared by the source page's window tests: the job store and stand-in main window of job setup's tests, GDI+ and
// the skin, a removable drive K: and a CD-ROM drive L:, a default filter file of four sets, a shown host window,
// and (unless a test takes the program's own) a stand-in advanced page that counts what the host asks of it.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/drawing/GdiPlusSession.h"
#include "setup/sourcepage/AdvancedSourcePageSlot.h"
#include "setup/sourcepage/SourcePage.h"
#include "setup/support/JobSetupTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"

namespace sourcetest
{

// The stand-in advanced page of the tests, over the advanced page's template.
class CountingAdvancedPage : public CPageBase
{
  public:
    CountingAdvancedPage() : CPageBase(138, nullptr)
    {
    }
    BOOL LoadPage() override
    {
        ++loads;
        return TRUE;
    }
    BOOL SavePage() override
    {
        ++saves;
        return TRUE;
    }
    int loads = 0;
    int saves = 0;
};

// A plain shown top-level window for pages and controls.
class HostWindow : public CWnd
{
  public:
    BOOL Make(int width, int height);
};

class SourcePageTest : public setuptest::JobSetupTest
{
  protected:
    SourcePageTest() : JobSetupTest(enginetest::FakeMainWindow::Kind::TopLevel)
    {
    }
    void SetUp() override;
    void TearDown() override;

    // The default filter file: "Documents" (chosen: the kinds "x, y" and the folder Docs), "Pictures", "Music" and
    // "Mail" (not chosen).
    void WriteDefaultFilters();
    // A job of the store going to "Q:\Backup\" that the basic page shows ("wizard_mode" 0).
    CSyncJob *AddBasicJob(LPCWSTR name);
    // A source page of the job in the host, loaded and shown; wizardFlag as the host's first argument.
    CSourcePage &ShowPage(CSyncJob *job, int wizardFlag = 0);
    // Every set of the page's filter tree chosen or not.
    static void ChooseAllSets(CSourcePage &page, bool chosen);
    // The job's "src" elements as "path|destination|rapid".
    std::vector<std::wstring> Sources(CSyncJob *job);
    static void Pump();

    CGdiPlusSession m_gdiplus;
    testsupport::TempFolder m_removableFolder;
    testsupport::TempFolder m_cdFolder;
    std::unique_ptr<enginetest::TestDrive> m_removable;
    std::unique_ptr<enginetest::TestDrive> m_cd;
    HostWindow m_host;
    std::unique_ptr<CSourcePage> m_page;
    // The advanced page the host made last, and how often the host's refresh reached it.
    CountingAdvancedPage *m_advanced = nullptr;
    int m_advancedFilterLoads = 0;
    // Cleared before SetUp: the hosts make the program's own advanced page.
    bool m_standInAdvancedPage = true;

  private:
    std::unique_ptr<SeamOverride<AdvancedSourcePageSlot>> m_slot;
    CString m_savedSkinFolder;
    CString m_savedProgramDrive;
};

} // namespace sourcetest
