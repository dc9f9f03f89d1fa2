#include "setup/support/SetupTestSupport.h"

#include <objidl.h>
#include <gdiplus.h>

#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "platform/drawing/Dc.h"
#include "platform/system/Handles.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"

namespace setuptest
{

void FilterTest::SetUp()
{
    EngineTest::SetUp();
    m_savedFilterFolder = g_strFilterFolder;
    g_strFilterFolder = m_folder.Path().c_str();
    ASSERT_EQ(AppLog.Open((m_folder / L"Program.log").c_str()), 0);
}

void FilterTest::TearDown()
{
    // Opening a log in a folder that does not exist lets go of the file, so that the folder can go.
    AppLog.Open((m_folder / L"gone\\closed.log").c_str());
    g_strFilterFolder = m_savedFilterFolder;
    EngineTest::TearDown();
}

std::wstring FilterTest::WriteFile(const std::wstring &name, const std::string &utf8)
{
    const std::wstring path = m_folder / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, utf8));
    return path;
}

std::vector<std::wstring> FilterTest::ProgramLogLines()
{
    AppLog.Flush();
    const std::string bytes = testsupport::ReadFileBytes(m_folder / L"Program.log");
    std::vector<std::wstring> lines;
    if (bytes.size() < 2)
        return lines;
    const std::wstring text(reinterpret_cast<const wchar_t *>(bytes.data() + 2), (bytes.size() - 2) / 2);
    size_t start = 0;
    for (size_t end = text.find(L"\r\n"); end != std::wstring::npos; end = text.find(L"\r\n", start))
    {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void FilterWindowTest::SetUp()
{
    FilterTest::SetUp();
    ASSERT_TRUE(m_gdiplus.IsStarted());
}

void FilterWindowTest::TearDown()
{
    for (HWND host : m_hosts)
        ::DestroyWindow(host);
    m_root.DeleteChildren();
    FilterTest::TearDown();
}

void FilterWindowTest::LoadSets(const std::string &filters)
{
    const std::wstring path =
        WriteFile(L"sets.xml", "<?xml version='1.0' encoding='utf-8'?>\n<filters>" + filters + "</filters>");
    ASSERT_TRUE(LoadFilterTree(&m_root, m_media, path.c_str()));
}

HWND FilterWindowTest::MakeHost(int width, int height)
{
    m_hosts.push_back(::CreateWindowExW(0, L"STATIC", L"Filters", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, width,
                                        height, nullptr, nullptr, nullptr, nullptr));
    return m_hosts.back();
}

int TreeChildrenMark(const CTreeCtrl &tree, HTREEITEM item)
{
    TVITEMW read = {};
    read.mask = TVIF_HANDLE | TVIF_CHILDREN;
    read.hItem = item;
    tree.GetItem(&read);
    return read.cChildren;
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace setuptest
