// The filter files: what is written byte for byte, what is read back, how broken files and entries are met
// (with the program's log), and a save that cannot complete.
#include <gtest/gtest.h>

#include "engine/support/EngineTestSupport.h"
#include "setup/filters/FilterTree.h"
#include "setup/support/SetupTestSupport.h"
#include "support/TestSupport.h"

using enginetest::kAnyText;

namespace
{

std::string FiltersDocument(const std::string &content)
{
    return "<?xml version='1.0' encoding='utf-8'?>\n<filters>" + content + "</filters>";
}

class FilterFiles : public setuptest::FilterTest
{
  protected:
    int CountLogLines(const std::wstring &expected)
    {
        return enginetest::CountLines(ProgramLogLines(), expected);
    }
};

} // namespace

TEST_F(FilterFiles, EveryFieldRoundTripsWithMinusOneAndZeroOnDisk)
{
    FiltersMedia media;
    auto *mail = new FilterCategory(L"Mail & more", true);
    auto *outlook = new FilterCategory(L"Outlook \u00e9", false);
    outlook->AddConfiguration(new FilterConfiguration(L"pst, ost", 0, L"Outlook <stores>", true));
    outlook->AddConfiguration(new FilterConfiguration(L"C:\\Mail", 1, L"", false));
    mail->AddChild(outlook);
    media.GetRoot()->AddChild(mail);
    const std::wstring path = m_folder / L"job_1.xml";
    ASSERT_TRUE(media.Save(path.c_str()));

    EXPECT_EQ(testsupport::ReadFileBytes(path),
              FiltersDocument("<filter name=\"Mail &amp; more\" selected=\"-1\">"
                              "<filter name=\"Outlook \xc3\xa9\" selected=\"0\">"
                              "<configuration val=\"pst, ost\" type=\"0\" description=\"Outlook &lt;stores&gt;\" "
                              "selected=\"-1\"/>"
                              "<configuration val=\"C:\\Mail\" type=\"1\" description=\"\" selected=\"0\"/>"
                              "</filter></filter>") +
                  "\n");
    EXPECT_EQ(::GetFileAttributesW((path + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);

    // Read back and written again, the file is the same to the byte.
    FiltersMedia again;
    ASSERT_TRUE(again.Load(path.c_str()));
    const std::wstring copy = m_folder / L"copy.xml";
    ASSERT_TRUE(again.Save(copy.c_str()));
    EXPECT_EQ(testsupport::ReadFileBytes(copy), testsupport::ReadFileBytes(path));
}

TEST_F(FilterFiles, AnEmptySetSavesTheInstructionAndAnEmptyFiltersElement)
{
    FiltersMedia media;
    const std::wstring path = m_folder / L"empty.xml";
    ASSERT_TRUE(media.Save(path.c_str()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), "<?xml version='1.0' encoding='utf-8'?>\n<filters/>\n");
}

TEST_F(FilterFiles, AFileThatCannotBeReadLeavesTheSetEmptyAndIsLogged)
{
    const std::wstring good = WriteFile(L"good.xml", FiltersDocument("<filter name=\"Mail\" selected=\"1\"/>"));
    const std::wstring broken = WriteFile(L"broken.xml", "<filters><filter name=\"Mail\"></filters>");
    const std::wstring other = WriteFile(L"other.xml", "<?xml version='1.0'?>\n<jobs><filter name=\"Mail\"/></jobs>");
    const std::wstring missing = m_folder / L"missing.xml";
    const std::wstring cases[] = {missing, broken, other};
    for (const std::wstring &path : cases)
    {
        FiltersMedia media;
        ASSERT_TRUE(media.Load(good.c_str()));
        ASSERT_EQ(media.GetRoot()->GetChildren().size(), 1u);
        EXPECT_FALSE(media.Load(path.c_str())) << path;
        EXPECT_TRUE(media.GetRoot()->GetChildren().empty()) << path;
    }
    EXPECT_EQ(CountLogLines(std::wstring(kAnyText) + L" The filter file " + missing + L" does not exist."), 1);
    // The parser's reason and line follow the path (Wine's parser gives no more than "error" and line 0).
    EXPECT_EQ(CountLogLines(std::wstring(kAnyText) + L" The filter file " + broken + L" could not be read: " +
                            kAnyText + L" (line " + kAnyText + L")."),
              1);
    EXPECT_EQ(CountLogLines(std::wstring(kAnyText) + L" The filter file " + other +
                            L" holds no filter sets: its root is not a filters element."),
              1);
}

TEST_F(FilterFiles, OnlyFilterElementsRightUnderFiltersAreSets)
{
    const std::wstring path = WriteFile(
        L"nested.xml", FiltersDocument("<comment name=\"x\"/><filter name=\"Media\" selected=\"true\">"
                                       "<filter name=\"Music\" selected=\"TRUE\"><filter name=\"Deep\" selected=\"1\"/>"
                                       "</filter></filter>"));
    FiltersMedia media;
    ASSERT_TRUE(media.Load(path.c_str()));
    ASSERT_EQ(media.GetRoot()->GetChildren().size(), 1u);
    const FilterCategory *set = media.GetRoot()->GetChild(0);
    EXPECT_EQ(set->GetName(), L"Media");
    // A category two levels down belongs to its own parent only.
    ASSERT_EQ(set->GetChildren().size(), 1u);
    ASSERT_EQ(set->GetChild(0)->GetChildren().size(), 1u);
    EXPECT_EQ(set->GetChild(0)->GetChild(0)->GetName(), L"Deep");
}

TEST_F(FilterFiles, BooleansAndTypesAreReadByTheirOwnRules)
{
    struct Case
    {
        const char *selected; // null: no attribute
        const char *type;
        bool loads;
        bool chosen;
    } cases[] = {
        {"True", "0", true, true},   {"false", "0", true, false},  {"1", "1", true, true},
        {"0", "0", true, false},     {"-1", "0", true, true},      {"7", "0", true, true},
        {nullptr, "0", true, false}, {"yes", "0", false, false},   {"1", "zero", false, false},
        {"1", "", false, false},     {"1", nullptr, false, false},
    };
    int n = 0;
    for (const Case &c : cases)
    {
        std::string entry = "<configuration val=\"doc\"";
        if (c.type != nullptr)
            entry += std::string(" type=\"") + c.type + "\"";
        if (c.selected != nullptr)
            entry += std::string(" selected=\"") + c.selected + "\"";
        entry += "/>";
        const std::wstring path =
            WriteFile(L"case" + std::to_wstring(n++) + L".xml",
                      FiltersDocument("<filter name=\"Set\"><filter name=\"Filter\">" + entry +
                                      "<configuration val=\"txt\" type=\"0\"/></filter></filter>"));
        FiltersMedia media;
        EXPECT_EQ(media.Load(path.c_str()), c.loads) << entry;
        // The element with the fault is left out; its sibling is read all the same.
        const FilterCategory *filter = media.GetRoot()->GetChild(0)->GetChild(0);
        ASSERT_NE(filter, nullptr) << entry;
        ASSERT_EQ(filter->GetConfigurations().size(), c.loads ? 2u : 1u) << entry;
        if (c.loads)
            EXPECT_EQ(filter->GetConfigurations()[0]->IsSelected(), c.chosen) << entry;
        else
            EXPECT_EQ(filter->GetConfigurations()[0]->GetVal(), L"txt") << entry;
    }
    EXPECT_EQ(CountLogLines(std::wstring(kAnyText) + L" The filter file " + kAnyText + L" holds a \"configuration\" " +
                            kAnyText + L"; that entry was left out."),
              4);
}

TEST_F(FilterFiles, AFailedSaveKeepsTheOldFile)
{
    const std::string before = FiltersDocument("<filter name=\"Kept\" selected=\"-1\"/>");
    const std::wstring path = WriteFile(L"job_1.xml", before);
    ASSERT_TRUE(::CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    FiltersMedia media;
    media.GetRoot()->AddChild(new FilterCategory(L"New", true));
    EXPECT_FALSE(media.Save(path.c_str()));
    EXPECT_EQ(testsupport::ReadFileBytes(path), before);
    EXPECT_NE(::GetFileAttributesW((path + L".tmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(CountLogLines(std::wstring(kAnyText) + L" The filter file " + path +
                            L" could not be saved, and keeps what it held before: " + kAnyText),
              1);
}
