// The source tree's model without windows: what the shell says an item is (with Wine's own answers filled in), a
// copy of a list's last item, the check states across a tree, each tree's own change callback, a folder's filled
// children, the device agent's volumes and the size text of the file list.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/support/EngineTestSupport.h"
#include "setup/shell/ShellItems.h"
#include "setup/shell/ShellPidl.h"
#include "setup/sourcetree/FileTreeHost.h"
#include "setup/sourcetree/FileTreeItems.h"
#include "setup/sourcetree/FileTreeNodes.h"
#include "setup/support/TreeHostDouble.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"

namespace
{

using namespace FileTree;

const wchar_t kMyComputer[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

class SourceTreeModel : public enginetest::EngineTest
{
  protected:
    void TearDown() override
    {
        SetSingleSelection(false);
        ClearSelectedNode();
        SetShowHidden(false);
        EngineTest::TearDown();
    }
};

// A filled entry for the tests' own trees.
std::unique_ptr<BaseNode> Entry(const wchar_t *name, int state)
{
    return std::make_unique<RootNode>(KIND_FOLDER, state, 0, 0, CString(L"C:\\") + name, name,
                                      ATTR_FOLDER | ATTR_HAS_SUBFOLDERS);
}

// top { a { a1, a2 }, b { b1 (held) } }, every node by its name.
struct Tree
{
    std::unique_ptr<BaseNode> top;
    std::map<std::wstring, BaseNode *> nodes;
};
Tree MakeTree()
{
    Tree tree;
    tree.top = Entry(L"top", CHECK_OFF);
    tree.nodes[L"top"] = tree.top.get();
    auto a = Entry(L"a", CHECK_OFF);
    auto b = Entry(L"b", CHECK_OFF);
    for (auto name : {L"a1", L"a2"})
    {
        auto child = Entry(name, CHECK_OFF);
        tree.nodes[name] = child.get();
        a->AddChild(std::move(child));
    }
    auto held = Entry(L"b1", CHECK_HELD);
    tree.nodes[L"b1"] = held.get();
    b->AddChild(std::move(held));
    tree.nodes[L"a"] = a.get();
    tree.nodes[L"b"] = b.get();
    tree.top->AddChild(std::move(a));
    tree.top->AddChild(std::move(b));
    return tree;
}

struct ItemCase
{
    const char *what;
    std::wstring path;
    DWORD id;
    DWORD kind;
};

TEST_F(SourceTreeModel, TheShellTellsDrivesFoldersFilesAndMyComputerApart)
{
    testsupport::TempFolder removableFolder;
    testsupport::TempFolder cdFolder;
    ASSERT_TRUE(::CreateDirectoryW((removableFolder / L"sub").c_str(), nullptr));
    enginetest::TestDrive removable(L'K', removableFolder.Path(), DRIVE_REMOVABLE);
    enginetest::TestDrive cd(L'L', cdFolder.Path(), DRIVE_CDROM);
    ASSERT_EQ(removable.Error(), L"");
    ASSERT_EQ(cd.Error(), L"");
    ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Docs").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Docs\\Letter.txt", "Dear"));

    const ItemCase cases[] = {
        {"the system drive", L"C:\\", SHDID_COMPUTER_FIXED, KIND_DRIVE},
        {"a removable drive", L"K:\\", SHDID_COMPUTER_REMOVABLE, KIND_DRIVE},
        {"a CD-ROM drive", L"L:\\", SHDID_COMPUTER_CDROM, KIND_DRIVE},
        // Wine answers a path below a root with the drive's type: only a bare root is a drive.
        {"a folder on a removable drive", L"K:\\sub", SHDID_FS_DIRECTORY, KIND_FOLDER},
        {"a folder", m_folder / L"Docs", SHDID_FS_DIRECTORY, KIND_FOLDER},
        {"a file", m_folder / L"Docs\\Letter.txt", SHDID_FS_FILE, KIND_FILE},
        {"My Computer", kMyComputer, SHDID_ROOT_REGITEM, KIND_MY_COMPUTER},
    };
    for (const ItemCase &item : cases)
    {
        SCOPED_TRACE(item.what);
        CShellPidl pidl = ParseShellPath(nullptr, item.path.c_str());
        ASSERT_FALSE(pidl.IsNull());
        CComPtr<IShellFolder> parent = BindToParentFolder(pidl);
        ASSERT_TRUE(parent);
        DWORD id = 0;
        ASSERT_TRUE(ShellGetDescriptionId(parent, PidlLastItem(pidl), &id));
        EXPECT_EQ(id, item.id);
        EXPECT_EQ(ClassifyShellItem(parent, PidlLastItem(pidl)), item.kind);
    }
}

struct NameCase
{
    const wchar_t *name;
    DWORD id;
    CLSID clsid;
};

TEST_F(SourceTreeModel, AParsingNameTellsRootsServersAndShares)
{
    const CLSID computer = {0x20D04FE0, 0x3AEA, 0x1069, {0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
    const CLSID panel = {0x21EC2020, 0x3AEA, 0x1069, {0xA2, 0xDD, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D}};
    const NameCase cases[] = {
        {kMyComputer, SHDID_ROOT_REGITEM, computer},
        // An item below a root item is of its own class, not of the one above it.
        {L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}", SHDID_ROOT_REGITEM,
         panel},
        {L"\\\\server", SHDID_NET_SERVER, CLSID_NULL},
        {L"\\\\server\\share", SHDID_NET_SHARE, CLSID_NULL},
        {L"Q:\\nowhere\\at all", SHDID_NET_OTHER, CLSID_NULL},
    };
    for (const NameCase &item : cases)
    {
        DWORD id = 0;
        CLSID clsid = CLSID_NULL;
        ASSERT_TRUE(DescriptionIdOfParsingName(item.name, &id, &clsid)) << CStringA(item.name).GetString();
        EXPECT_EQ(id, item.id) << CStringA(item.name).GetString();
        EXPECT_TRUE(IsEqualCLSID(clsid, item.clsid)) << CStringA(item.name).GetString();
    }
    DWORD id = 0;
    EXPECT_FALSE(DescriptionIdOfParsingName(L"", &id, nullptr));
}

TEST_F(SourceTreeModel, ACopyOfALastItemIsThatItemAlone)
{
    ASSERT_TRUE(::CreateDirectoryW((m_folder / L"Inner").c_str(), nullptr));
    CShellPidl pidl = ParseShellPath(nullptr, (m_folder / L"Inner").c_str());
    ASSERT_FALSE(pidl.IsNull());
    LPCITEMIDLIST last = PidlLastItem(pidl);
    ASSERT_NE(last, pidl.Get()) << "a path of several items";
    // The last item lies inside the list's block: only the list itself knows how long it is.
    CShellPidl copy(CShellPidl::CopyPidl(last));
    ASSERT_FALSE(copy.IsNull());
    ASSERT_EQ(::ILGetSize(copy), ::ILGetSize(last));
    EXPECT_EQ(memcmp(copy.Get(), last, ::ILGetSize(last)), 0);
    EXPECT_EQ(PidlLastItem(copy), copy.Get()) << "one item";
    EXPECT_EQ(CShellPidl::CopyPidl(nullptr), nullptr);
}

struct CheckCase
{
    const char *what;
    bool singleSelection;
    std::vector<std::pair<const wchar_t *, int>> steps;
    std::map<std::wstring, int> expected;
};

TEST_F(SourceTreeModel, ChecksReachAncestorsAndFilledDescendants)
{
    const CheckCase cases[] = {
        {"a checked leaf makes its ancestors partly checked, with every sibling checked too",
         false,
         {{L"a1", CHECK_ON}, {L"a2", CHECK_ON}},
         {{L"a1", CHECK_ON}, {L"a2", CHECK_ON}, {L"a", CHECK_PARTIAL}, {L"top", CHECK_PARTIAL}}},
        {"unchecking the only checked child unchecks the ancestors",
         false,
         {{L"a1", CHECK_ON}, {L"a1", CHECK_OFF}},
         {{L"a1", CHECK_OFF}, {L"a", CHECK_OFF}, {L"top", CHECK_OFF}}},
        {"a checked parent checks its children and leaves a held one held",
         false,
         {{L"a", CHECK_ON}, {L"b", CHECK_ON}},
         {{L"a1", CHECK_ON}, {L"a2", CHECK_ON}, {L"b1", CHECK_HELD}, {L"top", CHECK_PARTIAL}}},
        {"a held node under an unchecked parent stays held",
         false,
         {{L"b", CHECK_ON}, {L"b", CHECK_OFF}},
         {{L"b", CHECK_OFF}, {L"b1", CHECK_HELD}, {L"top", CHECK_OFF}}},
        {"unchecking a child of a checked parent leaves the parent partly checked",
         false,
         {{L"a", CHECK_ON}, {L"a2", CHECK_OFF}},
         {{L"a", CHECK_PARTIAL}, {L"a1", CHECK_ON}, {L"a2", CHECK_OFF}, {L"top", CHECK_PARTIAL}}},
        {"single selection: a second check clears the first node and its ancestors",
         true,
         {{L"a1", CHECK_ON}, {L"b", CHECK_ON}},
         {{L"a1", CHECK_OFF}, {L"a", CHECK_OFF}, {L"b", CHECK_ON}, {L"top", CHECK_PARTIAL}}},
    };
    for (const CheckCase &check : cases)
    {
        SCOPED_TRACE(check.what);
        SetSingleSelection(check.singleSelection);
        Tree tree = MakeTree();
        for (const auto &step : check.steps)
            tree.nodes[step.first]->SetState(step.second);
        for (const auto &expected : check.expected)
            EXPECT_EQ(tree.nodes[expected.first]->GetState(), expected.second)
                << CStringA(expected.first.c_str()).GetString();
    }
    // A node without a check box keeps it.
    RootNode fixed(KIND_FIXED_ROOT, CHECK_NONE, 0, 0, L"", L"Favorites", 0);
    fixed.Toggle();
    EXPECT_EQ(fixed.GetState(), CHECK_NONE);
}

struct Heard
{
    std::vector<BaseNode *> nodes;
    static void Record(BaseNode *node, void *context)
    {
        static_cast<Heard *>(context)->nodes.push_back(node);
    }
};

TEST_F(SourceTreeModel, EachTreeHearsItsOwnChecksOnly)
{
    Tree first = MakeTree();
    Heard heardFirst;
    first.top->SetChangeCallback(&Heard::Record, &heardFirst);
    Heard heardSecond;
    {
        Tree second = MakeTree();
        second.top->SetChangeCallback(&Heard::Record, &heardSecond);
        first.nodes[L"a1"]->SetState(CHECK_ON);
        EXPECT_EQ(heardFirst.nodes,
                  (std::vector<BaseNode *>{first.nodes[L"a1"], first.nodes[L"a"], first.nodes[L"top"]}));
        EXPECT_TRUE(heardSecond.nodes.empty()) << "the other tree heard the first one's check";
    }
    // The second tree is gone: a check of the first reaches nothing of it.
    heardFirst.nodes.clear();
    first.nodes[L"a2"]->SetState(CHECK_ON);
    EXPECT_EQ(heardFirst.nodes, std::vector<BaseNode *>{first.nodes[L"a2"]});
    EXPECT_TRUE(heardSecond.nodes.empty());
}

TEST_F(SourceTreeModel, ADeletedSelectedNodeIsSelectedNoMore)
{
    SetSingleSelection(true);
    Tree kept = MakeTree();
    {
        Tree gone = MakeTree();
        gone.nodes[L"a1"]->SetState(CHECK_ON);
        EXPECT_EQ(GetSelectedNode(), gone.nodes[L"a1"]);
    }
    EXPECT_EQ(GetSelectedNode(), nullptr) << "a deleted node stayed the selected one";
    // The next check would clear the node it remembers.
    kept.nodes[L"b"]->SetState(CHECK_ON);
    EXPECT_EQ(kept.nodes[L"b"]->GetState(), CHECK_ON);
    EXPECT_EQ(GetSelectedNode(), kept.nodes[L"b"]);
}

std::vector<CString> Names(BaseNode &node)
{
    std::vector<CString> names;
    for (BaseNode *child : node.GetChildren())
        names.push_back(child->GetDisplayName());
    return names;
}

TEST_F(SourceTreeModel, AFolderFillsWithFoldersFirstInItsOwnState)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"a.txt", std::string(1500, 'x')));
    ASSERT_TRUE(::CreateDirectoryW((m_folder / L"z folder").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"hidden.txt", "h"));
    ASSERT_TRUE(::SetFileAttributesW((m_folder / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));

    std::unique_ptr<FileNode> folder = MakeFileNodeForPath(m_folder.Path().c_str(), CHECK_ON);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->GetKind(), static_cast<DWORD>(KIND_FOLDER));
    EXPECT_EQ(Names(*folder), (std::vector<CString>{L"z folder", L"a.txt"}));
    const auto &children = folder->GetChildren();
    EXPECT_EQ(children[0]->GetKind(), static_cast<DWORD>(KIND_FOLDER));
    EXPECT_EQ(children[1]->GetKind(), static_cast<DWORD>(KIND_FILE));
    for (BaseNode *child : children)
        EXPECT_EQ(child->GetState(), CHECK_ON) << "children take their folder's state";
    EXPECT_EQ(children[1]->GetSizeText(), L"2 KB");
    EXPECT_EQ(children[0]->GetSizeText(), L"") << "a folder has no size";

    SetShowHidden(true);
    std::unique_ptr<FileNode> withHidden = MakeFileNodeForPath(m_folder.Path().c_str(), CHECK_OFF);
    ASSERT_NE(withHidden, nullptr);
    EXPECT_EQ(withHidden->GetChildren().size(), 3u);
}

ZorbitRecord Record(const char *name, wchar_t deviceLetter, wchar_t openLetter)
{
    ZorbitRecord record = {};
    strncpy(record.name, name, sizeof(record.name) - 1);
    record.value64 = (static_cast<ULONGLONG>(openLetter) << 32) | deviceLetter;
    return record;
}

std::vector<ZorbitRecord> g_records;
int GivenRecords(std::vector<ZorbitRecord> &records)
{
    records = g_records;
    return static_cast<int>(records.size());
}
BOOL NoneOpen(const std::vector<ZorbitRecord> &, const ZorbitRecord &)
{
    return FALSE;
}

TEST_F(SourceTreeModel, TheDeviceAgentsVolumesReplaceTheirDrives)
{
    testsupport::TempFolder deviceFolder;
    testsupport::TempFolder openedFolder;
    enginetest::TestDrive device(L'K', deviceFolder.Path(), DRIVE_REMOVABLE);
    enginetest::TestDrive opened(L'L', openedFolder.Path(), DRIVE_FIXED);
    ASSERT_EQ(device.Error(), L"");
    ASSERT_EQ(opened.Error(), L"");
    g_records = {Record("Vault", L'k', L'L')};
    SeamOverride<PFN_LOAD_DEVICE_RECORDS> records(g_pfnLoadDeviceRecords, &GivenRecords);
    SeamOverride<PFN_IS_DEVICE_VOLUME_OPEN> open(g_pfnIsDeviceVolumeOpen, &NoneOpen);

    // My Computer shows the device, not the volume it opens as.
    std::unique_ptr<FileNode> computer = MakeFileNodeForPath(kMyComputer, CHECK_NONE);
    ASSERT_NE(computer, nullptr);
    std::vector<CString> drives;
    for (BaseNode *child : computer->GetChildren())
    {
        if (child->GetKind() == KIND_DRIVE)
            drives.push_back(child->GetPath().Left(1));
        EXPECT_NE(child->GetKind(), static_cast<DWORD>(KIND_UNCLASSIFIED));
    }
    EXPECT_NE(std::find(drives.begin(), drives.end(), L"K"), drives.end());
    EXPECT_EQ(std::find(drives.begin(), drives.end(), L"L"), drives.end());

    // Under a root of the tree the device is a protected volume, its opened letter an ordinary drive.
    setuptest::TreeHostDouble host;
    RootNode root(KIND_FIXED_ROOT, CHECK_NONE, 0, 0, L"", L"Root", ATTR_FOLDER);
    host.AddDeviceVolumes(root);
    ASSERT_EQ(root.GetChildrenSoFar().size(), 2u);
    std::map<DWORD, CString> added;
    for (BaseNode *child : root.GetChildrenSoFar())
        added[child->GetKind()] = child->GetKind() == KIND_DRIVE ? child->GetPath() : child->GetDisplayName();
    EXPECT_EQ(added[KIND_DEVICE_VOLUME], L"Vault");
    EXPECT_EQ(added[KIND_DRIVE], L"L:\\");
    g_records.clear();
}

struct SizeCase
{
    LCID locale;
    ULONGLONG bytes;
    const wchar_t *text;
};

TEST_F(SourceTreeModel, SizesAreWholeKilobytesInTheUsersDigits)
{
    const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    const SizeCase cases[] = {
        {english, 0, L"1 KB"},
        {english, 1024, L"2 KB"},
        {english, 1048576, L"1,025 KB"},
        {german, 1048576, L"1.025 KB"},
        {english, 5368709120ULL, L"5,242,881 KB"},
    };
    for (const SizeCase &size : cases)
        EXPECT_EQ(FormatSizeText(size.bytes, size.locale), size.text) << size.bytes;
}

} // namespace
