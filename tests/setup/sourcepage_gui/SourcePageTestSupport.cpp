#include "SourcePageTestSupport.h"

#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "ui/skin/SkinGlobals.h"

namespace sourcetest
{

BOOL HostWindow::Make(int width, int height)
{
    return CreateEx(0, nullptr, L"Sources", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                    CRect(20, 20, 20 + width, 20 + height), nullptr, 0);
}

void SourcePageTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(JobSetupTest::SetUp());
    ASSERT_TRUE(m_gdiplus.IsStarted());
    m_savedSkinFolder = g_strSkinFolder;
    m_savedProgramDrive = g_strProgramDrive;
    g_strSkinFolder = testsupport::SkinFolder().c_str();
    g_strProgramDrive = L"Q:\\";
    LoadMainSkinImages(g_strSkinFolder);
    m_removable = std::make_unique<enginetest::TestDrive>(L'K', m_removableFolder.Path(), DRIVE_REMOVABLE);
    m_cd = std::make_unique<enginetest::TestDrive>(L'L', m_cdFolder.Path(), DRIVE_CDROM);
    ASSERT_EQ(m_removable->Error(), L"");
    ASSERT_EQ(m_cd->Error(), L"");
    ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Docs").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Docs\\a.x", std::string(100, 'x')));
    WriteDefaultFilters();
    AdvancedSourcePageSlot slot;
    slot.make = [this](int) -> std::unique_ptr<CPageBase> {
        auto page = std::make_unique<CountingAdvancedPage>();
        m_advanced = page.get();
        return page;
    };
    slot.loadFilters = [this](CPageBase &) {
        ++m_advancedFilterLoads;
        return TRUE;
    };
    if (m_standInAdvancedPage)
        m_slot = std::make_unique<SeamOverride<AdvancedSourcePageSlot>>(g_advancedSourcePage, slot);
    ASSERT_TRUE(m_host.Make(620, 420));
}

void SourcePageTest::TearDown()
{
    m_page.reset();
    m_host.DestroyWindow();
    m_slot.reset();
    m_cd.reset();
    m_removable.reset();
    FreeMainSkinImages();
    g_strSkinFolder = m_savedSkinFolder;
    g_strProgramDrive = m_savedProgramDrive;
    JobSetupTest::TearDown();
}

void SourcePageTest::WriteDefaultFilters()
{
    const std::string docs = CStringA((m_folder / L"Docs").c_str()).GetString();
    WriteFile(L"BasicFilter.xml",
              "<?xml version='1.0' encoding='utf-8'?>\n<filters>"
              "<filter name=\"Documents\" selected=\"-1\"><filter name=\"Texts\" selected=\"-1\">"
              "<configuration val=\"x, y\" type=\"0\" description=\"\" selected=\"-1\"/>"
              "<configuration val=\"" +
                  docs +
                  "\" type=\"1\" description=\"\" selected=\"-1\"/></filter></filter>"
                  "<filter name=\"Pictures\" selected=\"0\"><filter name=\"Photos\" selected=\"0\">"
                  "<configuration val=\"jpg\" type=\"0\" description=\"\" selected=\"0\"/></filter></filter>"
                  "<filter name=\"Music\" selected=\"0\"/><filter name=\"Mail\" selected=\"0\"/></filters>");
}

CSyncJob *SourcePageTest::AddBasicJob(LPCWSTR name)
{
    return AddJob(name, L"Q:\\Backup\\", {{L"wizard_mode", L"0"}});
}

CSourcePage &SourcePageTest::ShowPage(CSyncJob *job, int wizardFlag)
{
    m_page.reset();
    m_page = std::make_unique<CSourcePage>(wizardFlag);
    m_page->SetJob(job);
    EXPECT_TRUE(m_page->Create(CSourcePage::IDD, &m_host)) << "the source page from the language library";
    m_page->MoveWindow(CRect(0, 0, 600, 400));
    m_page->LoadPage();
    m_page->ShowWindow(SW_SHOW);
    Pump();
    return *m_page;
}

void SourcePageTest::ChooseAllSets(CSourcePage &page, bool chosen)
{
    for (FilterNode *set : page.GetBasicPage().GetFilterRoot()->GetChildren())
        set->SetSelected(chosen ? 1 : 0);
}

std::vector<std::wstring> SourcePageTest::Sources(CSyncJob *job)
{
    std::vector<std::wstring> sources;
    for (const IXMLDOMElementPtr &source : enginetest::ChildElements(job->GetElement(), L"src"))
    {
        sources.push_back(std::wstring(XmlGetAttributeString(source, L"path").GetString()) + L"|" +
                          XmlGetAttributeString(source, L"destination").GetString() + L"|" +
                          XmlGetAttributeString(source, L"rapid").GetString());
    }
    return sources;
}

void SourcePageTest::Pump()
{
    setuptest::PumpMessages();
}

} // namespace sourcetest
