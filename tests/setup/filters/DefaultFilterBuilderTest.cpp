// The default filter set: the template's mail and browser categories filled with what a scripted detector
// finds, broken templates that write nothing, the shipped template, and the program's detector itself.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <vector>

#include "mail/Postrel.h"
#include "outside/OutlookTessel/OutlookFacade.h"
#include "setup/categories/FileCategories.h"
#include "setup/filters/DefaultFilterBuilder.h"
#include "setup/filters/FiltersMedia.h"
#include "setup/support/SetupTestSupport.h"
#include "support/TestSupport.h"

namespace
{

std::vector<CString> g_found;

int ScriptedDetector(CStringArray &values)
{
    values.RemoveAll();
    for (const CString &value : g_found)
        values.Add(value);
    return 1;
}

const char kTemplate[] =
    "<?xml version='1.0' encoding='utf-8'?>\n<filters>"
    "<filter name=\"Documents\" selected=\"True\"><filter name=\"Word\" selected=\"True\">"
    "<configuration val=\"doc\" type=\"0\" description=\"Word\" selected=\"True\"/></filter></filter>"
    "<filter name=\"Media\" selected=\"True\"/>"
    "<filter name=\"Email\" selected=\"True\">"
    "<filter name=\"Outlook\" selected=\"True\">"
    "<configuration val=\"pst, ost\" type=\"0\" description=\"old\" selected=\"False\"/></filter>"
    "<filter name=\"Outlook Express\" selected=\"True\"/><filter name=\"Windows Mail\" selected=\"True\"/></filter>"
    "<filter name=\"Internet\" selected=\"True\">"
    "<filter name=\"Favorites\" selected=\"True\"/><filter name=\"Profiles\" selected=\"True\"/></filter>"
    "</filters>";

class DefaultFilterBuilder : public setuptest::FilterTest
{
  protected:
    // Builds from the template text with the values found; the set written, loaded back.
    bool Build(const std::string &templateText, std::vector<CString> found, FiltersMedia &result)
    {
        g_found = std::move(found);
        const std::wstring templatePath = WriteFile(L"Template.xml", templateText);
        if (!CDefaultFilterBuilder::Build(templatePath.c_str(), m_output.c_str()))
            return false;
        return result.Load(m_output.c_str());
    }

    SeamOverride<PFN_DETECT_FILTER_SOURCES> m_detector{g_pfnDetectFilterSources, &ScriptedDetector};
    const std::wstring m_output = m_folder / L"BasicFilter.xml";
};

} // namespace

TEST_F(DefaultFilterBuilder, NothingFoundLeavesTheProgramsUnselectedAndAddsNothing)
{
    FiltersMedia built;
    ASSERT_TRUE(Build(kTemplate, {L"", L"", L"", L"", L""}, built));
    ASSERT_EQ(built.GetRoot()->GetChildren().size(), 4u);
    for (size_t set : {2u, 3u})
    {
        for (const auto &category : built.GetRoot()->GetChild(set)->GetChildren())
            EXPECT_FALSE(category->IsSelected()) << category->GetName().GetString();
        EXPECT_TRUE(built.GetRoot()->GetChild(set)->IsSelected());
    }
    const FilterCategory *mail = built.GetRoot()->GetChild(2);
    ASSERT_EQ(mail->GetChildren().size(), 3u);
    // The template's own entry stays as it was; nothing is added anywhere.
    ASSERT_EQ(mail->GetChild(0)->GetConfigurations().size(), 1u);
    EXPECT_EQ(mail->GetChild(0)->GetConfigurations()[0]->GetDescription(), L"old");
    EXPECT_TRUE(built.GetRoot()->GetChild(3)->GetChild(0)->GetConfigurations().empty());
}

TEST_F(DefaultFilterBuilder, WhatIsFoundIsAddedSelectedAndLabelled)
{
    const CString profiles = (m_folder / L"Profiles").c_str();
    FiltersMedia built;
    ASSERT_TRUE(Build(kTemplate, {L"pst, ost", L"", L"eml, edb", L"", profiles}, built));
    const FilterCategory *mail = built.GetRoot()->GetChild(2);
    // The template's entry of the same val gives way to the one found.
    ASSERT_EQ(mail->GetChild(0)->GetConfigurations().size(), 1u);
    const FilterConfiguration &outlook = *mail->GetChild(0)->GetConfigurations()[0];
    EXPECT_EQ(outlook.GetDescription(), L"OutLook Mail");
    EXPECT_TRUE(outlook.IsSelected());
    EXPECT_FALSE(mail->GetChild(1)->IsSelected());
    ASSERT_EQ(mail->GetChild(2)->GetConfigurations().size(), 1u);
    EXPECT_EQ(mail->GetChild(2)->GetConfigurations()[0]->GetDescription(), L"Windows Mail");
    // Favorites missing: its category is off; the profiles are found on their own.
    const FilterCategory *browser = built.GetRoot()->GetChild(3);
    EXPECT_FALSE(browser->GetChild(0)->IsSelected());
    EXPECT_TRUE(browser->GetChild(1)->IsSelected());
    ASSERT_EQ(browser->GetChild(1)->GetConfigurations().size(), 1u);
    const FilterConfiguration &folder = *browser->GetChild(1)->GetConfigurations()[0];
    EXPECT_EQ(folder.GetVal(), profiles);
    EXPECT_EQ(folder.GetType(), FilterConfiguration::TYPE_FOLDER);
    EXPECT_TRUE(folder.IsSelected());
}

TEST_F(DefaultFilterBuilder, ATemplateThatIsMissingOrShortWritesNothing)
{
    FiltersMedia built;
    g_found = {L"pst, ost", L"dbx", L"eml, edb", L"C:\\", L"C:\\"};
    const std::wstring missing = m_folder / L"NoTemplate.xml";
    EXPECT_FALSE(CDefaultFilterBuilder::Build(missing.c_str(), m_output.c_str()));
    EXPECT_EQ(::GetFileAttributesW(m_output.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string threeSets = "<?xml version='1.0'?>\n<filters><filter name=\"A\"/><filter name=\"B\"/>"
                                  "<filter name=\"Email\"><filter name=\"Outlook\"/></filter></filters>";
    EXPECT_FALSE(Build(threeSets, g_found, built));
    EXPECT_EQ(::GetFileAttributesW(m_output.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(enginetest::CountLines(ProgramLogLines(), std::wstring(enginetest::kAnyText) +
                                                            L" The default filter set was not made: its template " +
                                                            enginetest::kAnyText),
              2);
}

TEST_F(DefaultFilterBuilder, TheShippedTemplateBuilds)
{
    g_found = {L"", L"dbx", L"", L"", L""};
    ASSERT_TRUE(
        CDefaultFilterBuilder::Build((testsupport::LanguageFolder() + L"BasicFilter.xml").c_str(), m_output.c_str()));
    FiltersMedia built;
    ASSERT_TRUE(built.Load(m_output.c_str()));
    ASSERT_EQ(built.GetRoot()->GetChildren().size(), 4u);
    const FilterCategory *mail = built.GetRoot()->GetChild(2);
    ASSERT_EQ(mail->GetChildren().size(), 3u);
    EXPECT_EQ(mail->GetChild(1)->GetConfigurations()[0]->GetDescription(), L"OutLook Express Mail");
    // Music keeps every extension that the restore view knows it by, beside the common ones it adds.
    const CString music = built.GetRoot()->GetChild(1)->GetChild(1)->GetConfigurations()[0]->GetVal();
    for (const CString &known : SplitLowerPieces(GetFileCategoryInfo(CATEGORY_MUSIC).extensions))
        EXPECT_GE(music.Find(known.Mid(1)), 0) << CStringA(known).GetString();
}

TEST_F(DefaultFilterBuilder, TheProgramAsksOutlookThenTheMailLibrary)
{
    OutlookTesselReset();
    OutlookTesselSetInstalled(TRUE);
    CStringArray values;
    EXPECT_EQ(CDefaultFilterBuilder::DetectInstalledSources(values), 1);
    OutlookTesselReset();
    ASSERT_EQ(values.GetSize(), DETECTED_SOURCE_COUNT);
    EXPECT_EQ(values.GetAt(DETECTED_OUTLOOK), L"pst, ost");
    // The mail library answers from the system's version; the detector passes its answers on.
    EXPECT_EQ(values.GetAt(DETECTED_OUTLOOK_EXPRESS), HasInstalledOutlookExpress() ? L"dbx" : L"");
    EXPECT_EQ(values.GetAt(DETECTED_WINDOWS_MAIL), HasInstalledWindowsMail() ? L"eml, edb" : L"");
    wchar_t favorites[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, favorites);
    EXPECT_EQ(values.GetAt(DETECTED_FAVORITES),
              ::GetFileAttributesW(favorites) != INVALID_FILE_ATTRIBUTES ? CString(favorites) : CString());

    OutlookTesselSetInstalled(FALSE);
    ASSERT_EQ(CDefaultFilterBuilder::DetectInstalledSources(values), 1);
    EXPECT_EQ(values.GetSize(), DETECTED_SOURCE_COUNT);
    EXPECT_EQ(values.GetAt(DETECTED_OUTLOOK), L"");
}
