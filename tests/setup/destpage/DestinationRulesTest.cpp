// What the destination page decides without its window: the new folder's name, the threshold a typed text gives,
// the node found for a path, and the network item never shown.
#include <gtest/gtest.h>

#include <windows.h>

#include "setup/destpage/DestinationRules.h"
#include "setup/desttree/DesTreeHost.h"
#include "setup/support/DestNodeDouble.h"
#include "support/TestSupport.h"

namespace
{

using namespace DesFileTree;
using setuptest::PathNode;

TEST(DestinationRules, ANewFolderTakesTheFirstNameNothingBears)
{
    testsupport::TempFolder folder;
    ASSERT_TRUE(::CreateDirectoryW((folder / L"Taken").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((folder / L"Taken\\New Folder").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((folder / L"Taken\\New Folder (2)").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Taken\\Filed", "a file bars a folder of its name"));
    ASSERT_TRUE(::CreateDirectoryW((folder / L"Free").c_str(), nullptr));
    const CString root = folder.Path().c_str();
    const struct
    {
        CString path;
        int kind;
        LPCWSTR base;
        LPCWSTR expected;
    } rows[] = {
        {root + L"Taken", KIND_FIXED, L"New Folder", L"New Folder (3)"},
        // A root's path ends in its backslash already.
        {root + L"Taken\\", KIND_REMOVABLE, L"New Folder", L"New Folder (3)"},
        {root + L"Taken", KIND_FIXED, L"Filed", L"Filed (2)"},
        {root + L"Free", KIND_FIXED, L"New Folder", L"New Folder"},
        {root + L"Taken", KIND_AGENT, L"New Folder", L"New Folder"},
        {CString(), KIND_FIXED, L"New Folder", L""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MakeNewFolderName(row.path, row.kind, row.base), CString(row.expected))
            << CStringA(row.path).GetString();
}

TEST(DestinationRules, ATypedThresholdKeepsToItsRange)
{
    const struct
    {
        LPCWSTR typed;
        int expected;
    } rows[] = {{L"30", 50}, {L"150", 100}, {L"", 80}, {L"abc", 80}, {L"0", 80}, {L"-5", 80}, {L"75", 75}, {L"50", 50}};
    for (const auto &row : rows)
        EXPECT_EQ(ThresholdOfText(row.typed, 80), row.expected) << CStringA(row.typed).GetString();
}

TEST(DestinationRules, APathFindsItsNodeAndNeverAFolderThatOnlyBeginsLikeIt)
{
    NodeList nodes;
    nodes.push_back(std::make_unique<DesCustomNode>(DesCustomNode::STYLE_CAPTION, L"C:\\"));
    nodes.push_back(std::make_unique<PathNode>(KIND_FIXED, CString()));
    auto drive = std::make_unique<PathNode>(KIND_FIXED, L"C:\\");
    PathNode &data = drive->Add(L"C:\\Data");
    data.Add(L"C:\\Data\\Inner");
    drive->Add(L"C:\\Data2").Add(L"C:\\Data2\\x");
    nodes.push_back(std::move(drive));
    nodes.push_back(std::make_unique<PathNode>(KIND_REMOVABLE, L"E:\\"));
    // "C:\Data" only begins like "C:\Data2\x": it is not even listed for it.
    ASSERT_NE(FindNodeByPath(nodes, L"C:\\Data2\\x"), nullptr);
    EXPECT_FALSE(data.IsPopulated());

    const struct
    {
        LPCWSTR path;
        LPCWSTR found; // null: none
    } rows[] = {
        {L"C:\\Data2\\x", L"C:\\Data2\\x"},
        {L"c:\\data2\\X\\", L"C:\\Data2\\x"},
        {L"C:\\Data\\Inner", L"C:\\Data\\Inner"},
        {L"C:\\", L"C:\\"},
        {L"E:", L"E:\\"},
        {L"C:\\Data\\Missing", nullptr},
        {L"D:\\", nullptr},
        {L"", nullptr},
    };
    for (const auto &row : rows)
    {
        DesBaseNode *found = FindNodeByPath(nodes, row.path);
        if (row.found == nullptr)
            EXPECT_EQ(found, nullptr) << CStringA(row.path).GetString();
        else
            EXPECT_TRUE(found != nullptr && found->GetPath() == row.found) << CStringA(row.path).GetString();
    }
}

TEST(DestinationRules, TheContinuousCopyListIsNeverANetworkPlace)
{
    EXPECT_TRUE(IsHiddenNetworkItem(L"TesselDir.list"));
    EXPECT_TRUE(IsHiddenNetworkItem(L"tesseldir.LIST"));
    EXPECT_FALSE(IsHiddenNetworkItem(L"TesselDir.list.bk"));
    EXPECT_FALSE(IsHiddenNetworkItem(L"Server"));
}

} // namespace
