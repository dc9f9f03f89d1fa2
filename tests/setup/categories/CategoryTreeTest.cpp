// The category tree without windows, over trees of the test's own entries: which kind a file is, finding the node
// of a path, collecting the checked places, putting remembered ones back, and the sorter that fills a kind.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/support/EngineTestSupport.h"
#include "setup/categories/CategorySorter.h"
#include "setup/categories/CategoryTreeWalks.h"
#include "setup/categories/FileCategories.h"
#include "setup/categories/RememberedChecks.h"
#include "setup/sourcetree/FileTreeNodes.h"
#include "support/TestSupport.h"

namespace
{

using namespace FileTree;

class CategoryTree : public enginetest::EngineTest
{
};

// An entry that is filled when it is first asked for its children, so that a test sees which entries a walk opened.
std::unique_ptr<BaseNode> Lazy(DWORD kind, const wchar_t *path, int state = CHECK_OFF)
{
    return std::make_unique<RootNode>(kind, state, 0, path, path, L"");
}

// The node of a path of a tree, by its path (a pathless node by its kind's name).
struct Tree
{
    std::unique_ptr<BaseNode> top;
    std::map<std::wstring, BaseNode *> nodes;

    BaseNode *Add(const std::wstring &parent, std::unique_ptr<BaseNode> node, const std::wstring &name = L"")
    {
        BaseNode *added = node.get();
        nodes[name.empty() ? std::wstring(added->GetPath().GetString()) : name] = added;
        nodes.at(parent)->AddChild(std::move(node));
        return added;
    }
    BaseNode *operator[](const std::wstring &name) const
    {
        return nodes.at(name);
    }
};

// top { My Computer { E:\ { E:\Backup { E:\Backup\Other }, E:\Backup Data { ...\VM { ...\Docs { ...\a.txt } } } },
//       network places { \\srv { \\srv\share } } }
Tree MakeComputer()
{
    Tree tree;
    tree.top = Lazy(KIND_DESKTOP, L"", CHECK_NONE);
    tree.nodes[L"top"] = tree.top.get();
    tree.Add(L"top", Lazy(KIND_MY_COMPUTER, L"", CHECK_NONE), L"computer");
    tree.Add(L"computer", Lazy(KIND_DRIVE, L"E:\\"));
    tree.Add(L"E:\\", Lazy(KIND_FOLDER, L"E:\\Backup"));
    tree.Add(L"E:\\Backup", Lazy(KIND_FOLDER, L"E:\\Backup\\Other"));
    tree.Add(L"E:\\", Lazy(KIND_FOLDER, L"E:\\Backup Data"));
    tree.Add(L"E:\\Backup Data", Lazy(KIND_FOLDER, L"E:\\Backup Data\\VM"));
    tree.Add(L"E:\\Backup Data\\VM", Lazy(KIND_FOLDER, L"E:\\Backup Data\\VM\\Docs"));
    tree.Add(L"E:\\Backup Data\\VM\\Docs", Lazy(KIND_FILE, L"E:\\Backup Data\\VM\\Docs\\a.txt"));
    tree.Add(L"top", Lazy(KIND_NETWORK_PLACES, L"", CHECK_NONE), L"network");
    tree.Add(L"network", Lazy(KIND_NETWORK_SERVER, L"\\\\srv", CHECK_NONE));
    tree.Add(L"\\\\srv", Lazy(KIND_FOLDER, L"\\\\srv\\share"));
    return tree;
}

TEST_F(CategoryTree, AFileIsOfTheKindItsExtensionNamesWhateverItsCase)
{
    const CategoryExtensions kinds;
    EXPECT_EQ(kinds.KindOfPiece(L".MP3"), CATEGORY_MUSIC) << "a filter naming .MP3 shows the music node";
    EXPECT_EQ(kinds.KindOfPiece(L".xyz"), CATEGORY_NONE);
    struct FileCase
    {
        const wchar_t *path;
        int kind;
    };
    const FileCase files[] = {
        {L"C:\\Work\\x.docx", CATEGORY_DOCUMENTS},  {L"E:\\Camera\\IMG_0001.JPG", CATEGORY_PICTURES},
        {L"E:\\Mail\\Inbox.PST", CATEGORY_OUTLOOK}, {L"E:\\Music\\noextension", CATEGORY_NONE},
        {L"E:\\Music\\song.xyz", CATEGORY_NONE},
    };
    for (const FileCase &file : files)
    {
        for (int kind = 0; kind < CATEGORY_COUNT; ++kind)
            EXPECT_EQ(kinds.HoldsFile(kind, file.path), kind == file.kind) << CStringA(file.path).GetString() << kind;
    }
}

TEST_F(CategoryTree, TheSearchEntersOnlyTheFoldersOnThePathsWay)
{
    struct FindCase
    {
        const wchar_t *path;
        const wchar_t *found; // null: none
    };
    const FindCase cases[] = {
        {L"E:\\Backup Data\\VM\\Docs", L"E:\\Backup Data\\VM\\Docs"},
        {L"e:\\backup data\\vm\\docs\\", L"E:\\Backup Data\\VM\\Docs"},
        {L"E:\\Backup", L"E:\\Backup"},
        {L"E:\\Back", nullptr},
        {L"E:\\Backup\\Missing\\Docs", nullptr},
        {L"\\\\srv\\share", L"\\\\srv\\share"},
    };
    for (const FindCase &find : cases)
    {
        SCOPED_TRACE(CStringA(find.path).GetString());
        Tree tree = MakeComputer();
        BaseNode *found = FindNodeForPath(tree.top.get(), find.path);
        EXPECT_EQ(found, find.found != nullptr ? tree[find.found] : nullptr);
        if (CString(find.path).Left(2) != L"\\\\")
        {
            EXPECT_FALSE(tree[L"network"]->IsPopulated()) << "the network is looked into for network paths only";
        }
    }
    Tree tree = MakeComputer();
    FindNodeForPath(tree.top.get(), L"E:\\Backup Data\\VM\\Docs");
    EXPECT_FALSE(tree[L"E:\\Backup"]->IsPopulated()) << "E:\\Backup is not on the way to E:\\Backup Data";
}

TEST_F(CategoryTree, ASourceIsLookedForUnderItsLastFoldersNameAtTheDestination)
{
    const std::pair<const wchar_t *, const wchar_t *> cases[] = {
        {L"C:\\Users\\Bob\\Docs\\", L"X:\\Backup\\Docs"},
        {L"C:\\", L""},
        {L"Outlook pst\\", L"X:\\Backup\\Outlook pst"},
    };
    for (const auto &source : cases)
    {
        EXPECT_EQ(RestoreViewPlace(source.first, L"X:\\Backup\\"), source.second);
        EXPECT_EQ(RestoreViewPlace(source.first, L"X:\\Backup"), source.second)
            << "a destination without its backslash";
    }
}

TEST_F(CategoryTree, CollectingTakesTheCheckedPlacesWithoutOpeningAnything)
{
    Tree tree = MakeComputer();
    auto music = MakeCategoryNode(CATEGORY_MUSIC);
    BaseNode *category = music.get();
    tree.Add(L"top", std::move(music), L"music");
    tree.Add(L"computer", Lazy(KIND_DRIVE, L"K:\\"));
    tree.top->GetChildren();
    tree[L"computer"]->GetChildren();
    tree[L"E:\\"]->GetChildren();
    tree[L"E:\\Backup"]->SetState(CHECK_ON);
    tree[L"K:\\"]->SetState(CHECK_ON);
    category->SetState(CHECK_ON);
    // Checked below a folder that was never opened: the collection cannot see it.
    tree[L"E:\\Backup Data\\VM\\Docs"]->SetState(CHECK_ON);
    std::vector<CString> places;
    CollectChecked(tree.top.get(), places);
    const std::vector<CString> expected = {CString(L"ZZZ;") + GetFileCategoryInfo(CATEGORY_MUSIC).extensions + L";",
                                           L"K:\\", L"E:\\Backup\\"};
    EXPECT_EQ(places, expected);
    EXPECT_FALSE(tree[L"E:\\Backup"]->IsPopulated());
    EXPECT_FALSE(tree[L"E:\\Backup Data\\VM"]->IsPopulated());
}

// The seam's answers: the server's workgroup and computer name by the name it is asked under.
BOOL AnswerForServer(LPCWSTR server, CString &group, CString &computer)
{
    const CString name = server;
    if (name == L"silent")
        return FALSE;
    group = L"WORK";
    computer = name == L"alias" || name == L"srv" ? L"SRV" : name;
    return TRUE;
}

TEST_F(CategoryTree, RememberedPlacesRecordTheirWayAndEachComputerOnce)
{
    SeamOverride<PFN_WORKSTATION_NAMES> names(g_pfnWorkstationNames, &AnswerForServer);
    struct RecordCase
    {
        std::vector<CString> texts;
        PathStates drives;
    };
    const RecordCase cases[] = {
        {{L"K:\\"}, {{L"k:\\", CHECK_ON}}},
        {{L" K:\\A\\b\\c.TXT\r\n"},
         {{L"k:\\", CHECK_PARTIAL},
          {L"k:\\a\\", CHECK_PARTIAL},
          {L"k:\\a\\b\\", CHECK_PARTIAL},
          {L"k:\\a\\b\\c.txt", CHECK_ON}}},
        {{L"K:\\A\\"}, {{L"k:\\", CHECK_PARTIAL}, {L"k:\\a\\", CHECK_ON}}},
        {{L"K:", L"relative\\path", L"\\\\srv"}, {}},
    };
    for (const RecordCase &record : cases)
        EXPECT_EQ(RecordRememberedChecks(record.texts).drives, record.drives);

    const RememberedChecks network =
        RecordRememberedChecks({L"\\\\srv\\share\\a\\", L"\\\\alias\\docs\\", L"\\\\silent\\x\\", L"\\\\other\\y\\"});
    ASSERT_EQ(network.network.size(), 1u);
    const RememberedGroup &group = network.network[0];
    EXPECT_EQ(group.name, L"WORK");
    ASSERT_EQ(group.servers.size(), 2u) << "srv and alias are one computer; silent does not answer";
    EXPECT_EQ(group.servers[0].computer, L"SRV");
    const PathStates srv = {
        {L"\\\\srv\\share\\", CHECK_PARTIAL}, {L"\\\\srv\\share\\a\\", CHECK_ON}, {L"\\\\alias\\docs\\", CHECK_ON}};
    EXPECT_EQ(group.servers[0].paths, srv);
    EXPECT_EQ(group.servers[1].computer, L"other");
}

TEST_F(CategoryTree, PuttingAPlaceBackOpensExactlyTheFoldersOnItsWay)
{
    Tree tree = MakeComputer();
    tree.Add(L"E:\\Backup Data", Lazy(KIND_FOLDER, L"E:\\Backup Data\\Gone"));
    const RememberedChecks file =
        RecordRememberedChecks({L"e:\\backup data\\vm\\docs\\a.txt", L"e:\\backup data\\gone\\x\\"});
    ApplyPathStates({nullptr, tree[L"computer"]}, file.drives);
    EXPECT_EQ(tree[L"E:\\Backup Data\\VM\\Docs\\a.txt"]->GetState(), CHECK_ON);
    for (const wchar_t *way : {L"E:\\", L"E:\\Backup Data", L"E:\\Backup Data\\VM", L"E:\\Backup Data\\VM\\Docs"})
    {
        EXPECT_EQ(tree[way]->GetState(), CHECK_PARTIAL) << CStringA(way).GetString();
        EXPECT_TRUE(tree[way]->IsPopulated()) << CStringA(way).GetString();
    }
    EXPECT_FALSE(tree[L"E:\\Backup"]->IsPopulated());
    EXPECT_TRUE(tree[L"E:\\Backup Data\\Gone"]->IsPopulated()) << "the remembered folder's parent is opened";
    EXPECT_EQ(tree[L"E:\\Backup Data\\Gone"]->GetState(), CHECK_OFF) << "and stays as it was";

    Tree drive = MakeComputer();
    ApplyPathStates({drive[L"computer"]}, RecordRememberedChecks({L"E:\\"}).drives);
    EXPECT_EQ(drive[L"E:\\"]->GetState(), CHECK_ON);
    EXPECT_FALSE(drive[L"E:\\"]->IsPopulated());
}

TEST_F(CategoryTree, TheSorterFillsEachKindOnceWithItsFilesWhateverTheirCase)
{
    std::vector<CString> files;
    for (const wchar_t *name : {L"a.mp3", L"B.MP3", L"c", L"d.JPG", L"e.avi"})
    {
        const std::wstring path = m_folder / name;
        ASSERT_TRUE(testsupport::WriteFileBytes(path, "sound"));
        files.push_back(path.c_str());
    }
    files.push_back((m_folder / L"gone.mp3").c_str());
    const CategoryExtensions kinds;
    CCategorySorter sorter(kinds);
    std::unique_ptr<BaseNode> nodes[] = {MakeCategoryNode(CATEGORY_VIDEO), MakeCategoryNode(CATEGORY_MUSIC),
                                         MakeCategoryNode(CATEGORY_PICTURES)};
    const int kindsOfNodes[] = {CATEGORY_VIDEO, CATEGORY_MUSIC, CATEGORY_PICTURES};
    HANDLE previous = nullptr;
    for (int start = 0; start < 4; ++start)
    {
        const int which = start % 3;
        HANDLE worker = sorter.Start(nodes[which].get(), kindsOfNodes[which], files);
        EXPECT_EQ(worker != nullptr, start < 3) << "a kind that has its files is not filled again";
        // The worker waited for is let go: its handle is closed (or already serves the new worker).
        DWORD flags = 0;
        if (previous != nullptr && previous != worker)
        {
            EXPECT_FALSE(::GetHandleInformation(previous, &flags)) << "start " << start;
        }
        if (worker != nullptr)
        {
            ASSERT_EQ(::WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
        }
        previous = worker;
    }
    const std::vector<std::vector<CString>> expected = {{files[4]}, {files[0], files[1]}, {files[3]}};
    for (int i = 0; i < 3; ++i)
    {
        std::vector<CString> shown;
        for (BaseNode *child : nodes[i]->GetChildren())
        {
            shown.push_back(child->GetPath());
            EXPECT_EQ(child->GetKind(), static_cast<DWORD>(KIND_FILE));
        }
        EXPECT_EQ(shown, expected[static_cast<size_t>(i)]);
    }
    EXPECT_FALSE(sorter.IsRunning());
}

} // namespace
