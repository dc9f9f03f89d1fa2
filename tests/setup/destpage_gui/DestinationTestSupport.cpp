#include "DestinationTestSupport.h"

#include <cstring>

#include "setup/support/SetupTestSupport.h"

namespace desttest
{

namespace
{

DestinationTest *g_current = nullptr;

} // namespace

BOOL HostWindow::Make(int width, int height)
{
    return CreateEx(0, nullptr, L"Destination", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                    CRect(20, 20, 20 + width, 20 + height), nullptr, 0);
}

void DestinationTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(JobSetupTest::SetUp());
    ASSERT_TRUE(m_gdiplus.IsStarted());
    ASSERT_TRUE(::CreateDirectoryW((m_removableFolder / L"Backup").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((m_fixedFolder / L"Data").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((m_fixedFolder / L"Data\\Inner").c_str(), nullptr));
    // Letters in alphabetical order, as every test that maps several takes them.
    m_removable = std::make_unique<enginetest::TestDrive>(L'E', m_removableFolder.Path(), DRIVE_REMOVABLE);
    m_fixed = std::make_unique<enginetest::TestDrive>(L'F', m_fixedFolder.Path(), DRIVE_FIXED);
    ASSERT_EQ(m_removable->Error(), L"");
    ASSERT_EQ(m_fixed->Error(), L"");
    g_current = this;
    m_recordSource = std::make_unique<SeamOverride<FileTree::PFN_LOAD_DEVICE_RECORDS>>(FileTree::g_pfnLoadDeviceRecords,
                                                                                       &DestinationTest::LoadRecords);
    ZorbitVolumeCalls agent;
    agent.isOpen = [this](const ZorbitRecord &record) {
        auto found = m_openAnswers.find(record.identifier);
        return found != m_openAnswers.end() ? found->second : 0;
    };
    m_agent = std::make_unique<SeamOverride<ZorbitVolumeCalls>>(g_zorbitVolumeCalls, agent);
    ASSERT_TRUE(m_host.Make(760, 420));
}

void DestinationTest::TearDown()
{
    m_host.DestroyWindow();
    m_agent.reset();
    m_recordSource.reset();
    g_current = nullptr;
    m_fixed.reset();
    m_removable.reset();
    JobSetupTest::TearDown();
}

int DestinationTest::LoadRecords(std::vector<ZorbitRecord> &records)
{
    records = g_current != nullptr ? g_current->m_records : std::vector<ZorbitRecord>();
    return static_cast<int>(records.size());
}

ZorbitRecord DestinationTest::Record(const char *name, wchar_t device, wchar_t openVolume)
{
    static DWORD next = 1;
    ZorbitRecord record = {};
    record.identifier = next++;
    strncpy(record.name, name, sizeof(record.name) - 1);
    record.value64 = (static_cast<ULONGLONG>(openVolume) << 32) | device;
    return record;
}

DesFileTree::DesBaseNode *DestinationTest::NodeOf(const DesFileTree::NodeList &nodes, LPCWSTR path)
{
    for (const auto &node : nodes)
    {
        if (node->GetPath().CompareNoCase(path) == 0)
            return node.get();
    }
    return nullptr;
}

std::vector<CString> DestinationTest::ItemTexts(const CTreeCtrl &tree, HTREEITEM parent)
{
    std::vector<CString> texts;
    HTREEITEM item = parent == TVI_ROOT ? tree.GetRootItem() : tree.GetChildItem(parent);
    for (; item != nullptr; item = tree.GetNextSiblingItem(item))
        texts.push_back(tree.GetItemText(item));
    return texts;
}

void DestinationTest::Pump()
{
    setuptest::PumpMessages();
}

} // namespace desttest
