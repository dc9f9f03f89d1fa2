// The filter model and its display tree: adding and moving categories and configurations (with the object
// counts that show nothing is freed twice or lost), the selection rules, removal through the tree, the tree
// built over a loaded file and the selection walk.
#include <gtest/gtest.h>

#include <memory>

#include "setup/filters/FilterTree.h"
#include "setup/support/SetupTestSupport.h"

namespace
{

// A configuration that counts its destruction.
class CountedConfiguration : public FilterConfiguration
{
  public:
    CountedConfiguration(LPCWSTR val, int &destroyed)
        : FilterConfiguration(val, TYPE_EXTENSIONS, L"", true), m_destroyed(destroyed)
    {
    }
    ~CountedConfiguration() override
    {
        ++m_destroyed;
    }

  private:
    int &m_destroyed;
};

// A category holding one counted configuration, so that its destruction counts too.
FilterCategory *CountedCategory(LPCWSTR name, int &destroyed)
{
    auto *category = new FilterCategory(name, true);
    category->AddConfiguration(new CountedConfiguration(L"pst", destroyed));
    return category;
}

const char kTreeFile[] = "<?xml version='1.0' encoding='utf-8'?>\n<filters>"
                         "<filter name=\"Mail\" selected=\"-1\">"
                         "<filter name=\"Outlook\" selected=\"-1\">"
                         "<configuration val=\"pst, *.ost\" type=\"0\" description=\"Outlook\" selected=\"-1\"/>"
                         "<configuration val=\"C:\\Mail\\\\\" type=\"1\" description=\"\" selected=\"-1\"/>"
                         "<configuration val=\"nsf\" type=\"0\" description=\"\" selected=\"0\"/></filter>"
                         "<filter name=\"Off\" selected=\"0\">"
                         "<configuration val=\"dbx\" type=\"0\" description=\"\" selected=\"-1\"/></filter></filter>"
                         "<filter name=\"Internet\" selected=\"0\"><filter name=\"Favorites\" selected=\"-1\">"
                         "<configuration val=\"C:\\Favorites\" type=\"1\" description=\"\" selected=\"-1\"/>"
                         "</filter></filter></filters>";

class FilterModel : public setuptest::FilterTest
{
};

} // namespace

TEST_F(FilterModel, AddingAnObjectThatIsListedAlreadyKeepsIt)
{
    int destroyed = 0;
    FilterCategory mail(L"Mail", true);
    FilterCategory *outlook = CountedCategory(L"Outlook", destroyed);
    mail.AddChild(outlook);
    mail.AddChild(outlook);
    ASSERT_EQ(mail.GetChildren().size(), 1u);
    EXPECT_EQ(mail.GetChild(0), outlook);
    EXPECT_EQ(destroyed, 0);

    auto *ost = new CountedConfiguration(L"ost", destroyed);
    outlook->AddConfiguration(ost);
    outlook->AddConfiguration(ost);
    ASSERT_EQ(outlook->GetConfigurations().size(), 2u);
    EXPECT_EQ(outlook->GetConfigurations()[1].get(), ost);
    EXPECT_EQ(destroyed, 0);
}

TEST_F(FilterModel, MovingFromAnotherSetOfTheSamePathLeavesItListedOnce)
{
    int destroyed = 0;
    {
        FilterCategory first(L"", false), second(L"", false);
        auto *mailOfFirst = new FilterCategory(L"Mail", true);
        auto *mailOfSecond = new FilterCategory(L"Mail", true);
        first.AddChild(mailOfFirst);
        second.AddChild(mailOfSecond);
        ASSERT_TRUE(mailOfFirst->Equals(*mailOfSecond));
        FilterCategory *outlook = CountedCategory(L"Outlook", destroyed);
        mailOfFirst->AddChild(outlook);

        mailOfSecond->AddChild(outlook);
        EXPECT_TRUE(mailOfFirst->GetChildren().empty());
        ASSERT_EQ(mailOfSecond->GetChildren().size(), 1u);
        EXPECT_EQ(outlook->GetParent(), mailOfSecond);

        // An equal name replaces the child; an equal val the configuration.
        mailOfSecond->AddChild(CountedCategory(L"Outlook", destroyed));
        EXPECT_EQ(destroyed, 1);
        ASSERT_EQ(mailOfSecond->GetChildren().size(), 1u);
        EXPECT_NE(mailOfSecond->GetChild(0), outlook);
        mailOfSecond->GetChild(0)->AddConfiguration(new CountedConfiguration(L"pst", destroyed));
        EXPECT_EQ(destroyed, 2);
        EXPECT_EQ(mailOfSecond->GetChild(0)->GetConfigurations().size(), 1u);
    }
    EXPECT_EQ(destroyed, 3);
}

TEST_F(FilterModel, SelectionFollowsTheSetAndTheLastFilter)
{
    FilterCategory mail(L"Mail", true);
    for (LPCWSTR name : {L"Outlook", L"Windows Mail"})
        mail.AddChild(new FilterCategory(name, true));
    FilterNode root(FilterNode::KIND_ROOT, nullptr, nullptr);
    auto *set = new FilterNode(FilterNode::KIND_SET, &mail, &root);
    root.AddChild(set, false);
    for (const auto &category : mail.GetChildren())
        set->AddChild(new FilterNode(FilterNode::KIND_FILTER, category.get(), set), false);
    FilterNode *outlook = set->GetChild(0);
    FilterNode *windowsMail = set->GetChild(1);

    struct Step
    {
        FilterNode *node;
        int value;
        bool set, outlook, windowsMail;
    } steps[] = {
        {set, 0, false, false, false},         // the set off turns every filter off
        {outlook, 1, true, true, false},       // selecting one selects the set
        {windowsMail, 1, true, true, true},    //
        {outlook, 0, true, false, true},       // one still on keeps the set on
        {windowsMail, 0, false, false, false}, // the last one off turns the set off
        {set, 1, true, true, true},            //
    };
    for (const Step &step : steps)
    {
        step.node->SetSelected(step.value);
        EXPECT_EQ(set->IsSelected() != 0, step.set) << step.node->GetText().GetString() << " := " << step.value;
        EXPECT_EQ(mail.IsSelected(), step.set);
        EXPECT_EQ(mail.GetChild(0)->IsSelected(), step.outlook);
        EXPECT_EQ(mail.GetChild(1)->IsSelected(), step.windowsMail);
    }
}

TEST_F(FilterModel, TheTreeIsBuiltOverTheFileAndRemovesThroughToTheModel)
{
    FiltersMedia media;
    FilterNode root(FilterNode::KIND_ROOT, nullptr, nullptr);
    ASSERT_TRUE(LoadFilterTree(&root, media, WriteFile(L"tree.xml", kTreeFile).c_str()));
    ASSERT_EQ(root.GetChildCount(), 2);
    FilterNode *mail = root.GetChild(0);
    EXPECT_EQ(mail->GetKind(), FilterNode::KIND_SET);
    EXPECT_EQ(mail->GetCategory(), media.GetRoot()->GetChild(0));
    ASSERT_EQ(mail->GetChildCount(), 2);
    FilterNode *outlook = mail->GetChild(0);
    EXPECT_EQ(outlook->GetKind(), FilterNode::KIND_FILTER);
    EXPECT_EQ(outlook->GetText(), L"Outlook");
    ASSERT_EQ(outlook->GetChildCount(), 3);
    auto *folder = dynamic_cast<FilterLeafNode *>(outlook->GetChild(1));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->GetKind(), FilterNode::KIND_LEAF);
    EXPECT_TRUE(folder->IsFolder());
    EXPECT_EQ(folder->GetConfiguration(), mail->GetCategory()->GetChild(0)->GetConfigurations()[1].get());
    // Built with the model flag clear: the model holds what the file held, no more.
    EXPECT_EQ(mail->GetCategory()->GetChild(0)->GetConfigurations().size(), 3u);

    folder->SetValue(L"D:\\Mail\\");
    folder->SetDescription(L"Kept mail");
    EXPECT_EQ(folder->GetConfiguration()->GetVal(), L"D:\\Mail\\");
    EXPECT_EQ(folder->GetConfiguration()->GetDescription(), L"Kept mail");

    // Two entries edited to one value: removing one removes its own configuration, not the first of that value.
    auto *last = dynamic_cast<FilterLeafNode *>(outlook->GetChild(2));
    ASSERT_NE(last, nullptr);
    last->SetValue(L"D:\\Mail\\");
    EXPECT_EQ(outlook->RemoveChild(last), 1);
    ASSERT_EQ(mail->GetCategory()->GetChild(0)->GetConfigurations().size(), 2u);
    EXPECT_EQ(folder->GetConfiguration(), mail->GetCategory()->GetChild(0)->GetConfigurations()[1].get());
    outlook->AddChild(new FilterLeafNode(new FilterConfiguration(L"nsf", 0, L"", false), outlook), true);
    ASSERT_EQ(mail->GetCategory()->GetChild(0)->GetConfigurations().size(), 3u);

    FilterNode stranger(FilterNode::KIND_FILTER, nullptr, nullptr);
    EXPECT_EQ(mail->RemoveChild(&stranger), 0);
    EXPECT_EQ(outlook->RemoveChild(folder), 1);
    EXPECT_EQ(outlook->GetChildCount(), 2);
    EXPECT_EQ(mail->GetCategory()->GetChild(0)->GetConfigurations().size(), 2u);
    EXPECT_EQ(mail->RemoveChildAt(1), 1);
    ASSERT_EQ(mail->GetCategory()->GetChildren().size(), 1u);
    EXPECT_EQ(mail->GetCategory()->GetChild(0)->GetName(), L"Outlook");
}

TEST_F(FilterModel, TheSelectionWalkGivesFoldersAndExtensionsOfChosenEntriesOnly)
{
    FiltersMedia media;
    FilterNode root(FilterNode::KIND_ROOT, nullptr, nullptr);
    ASSERT_TRUE(LoadFilterTree(&root, media, WriteFile(L"tree.xml", kTreeFile).c_str()));
    CStringArray paths;
    CString extensions;
    CollectTreeSelection(&root, paths, extensions);
    // Not "nsf" (entry off), "dbx" (filter off) or the favorites (set off).
    EXPECT_EQ(extensions, L".pst;.ost;");
    ASSERT_EQ(paths.GetSize(), 1);
    EXPECT_EQ(paths.GetAt(0), L"C:\\Mail\\");

    root.GetChild(1)->SetSelected(1);
    root.GetChild(0)->SetSelected(0);
    CStringArray morePaths;
    CString moreExtensions;
    CollectTreeSelection(&root, morePaths, moreExtensions);
    EXPECT_EQ(moreExtensions, L"");
    ASSERT_EQ(morePaths.GetSize(), 1);
    EXPECT_EQ(morePaths.GetAt(0), L"C:\\Favorites\\");
}
