// Strings and other resources come from the language library first, then from the program's own resources
// (this test program carries a string table of its own: TextTestStrings.rc).
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "platform/text/String.h"
#include "PrintCString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

const UINT kOnlyInProgram = 60001;
const UINT kFormatInProgram = 60002;
// In the same string block as the buttons' strings, which the language library holds.
const UINT kProgramEntryInSharedBlock = 255;

// Makes the language library the resource handle for the test's lifetime, then restores the previous one.
class LanguageLibrary
{
  public:
    LanguageLibrary()
        : m_previous(AfxGetResourceHandle()),
          m_module(LoadLibraryExW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE))
    {
        if (m_module)
            AfxSetResourceHandle(m_module);
    }
    ~LanguageLibrary()
    {
        AfxSetResourceHandle(m_previous);
        if (m_module)
            FreeLibrary(m_module);
    }
    LanguageLibrary(const LanguageLibrary &) = delete;
    LanguageLibrary &operator=(const LanguageLibrary &) = delete;

    HINSTANCE Module() const
    {
        return m_module;
    }

  private:
    HINSTANCE m_previous;
    HINSTANCE m_module;
};

} // namespace

TEST(Resources, HandlesDefaultToTheProgram)
{
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleW(nullptr));
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));

    CString s;
    EXPECT_TRUE(s.LoadString(IDS_BUTTON_OK));
    EXPECT_EQ(s, L"Program's own OK");
    EXPECT_FALSE(s.LoadString(59999));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(Resources, StringsFromTheLanguageLibraryBeforeTheProgram)
{
    LanguageLibrary language;
    ASSERT_NE(language.Module(), nullptr) << "the language library did not load";
    EXPECT_EQ(AfxGetResourceHandle(), language.Module());

    CString s;
    EXPECT_TRUE(s.LoadString(IDS_BUTTON_OK));
    EXPECT_EQ(s, L"OK");
    EXPECT_TRUE(s.LoadString(IDS_BUTTON_CANCEL));
    EXPECT_EQ(s, L"Cancel");
    EXPECT_EQ(CString(MAKEINTRESOURCEW(IDS_BUTTON_OK)), L"OK");

    // Missing from the language library: the program's own.
    EXPECT_TRUE(s.LoadString(kOnlyInProgram));
    EXPECT_EQ(s, L"Only in the program: Grüße");
    std::wstring probe;
    if (!AfxLoadStringFrom(language.Module(), kProgramEntryInSharedBlock, probe))
    {
        EXPECT_TRUE(s.LoadString(kProgramEntryInSharedBlock));
        EXPECT_EQ(s, L"Program's own 255");
    }
    EXPECT_FALSE(s.LoadString(59999));

    // A module asked by name gives only its own strings.
    EXPECT_TRUE(s.LoadString(GetModuleHandleW(nullptr), IDS_BUTTON_OK));
    EXPECT_EQ(s, L"Program's own OK");
    EXPECT_FALSE(s.LoadString(language.Module(), kOnlyInProgram));

    s.Format(kFormatInProgram, 3, CString(L"C:\\Data"));
    EXPECT_EQ(s, L"Total: 3 files in C:\\Data");
}

TEST(Resources, HandleRestoredAfterTheLanguageLibrary)
{
    {
        LanguageLibrary language;
    }
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_BUTTON_OK));
    EXPECT_EQ(s, L"Program's own OK");
}

TEST(Resources, FindResourceHandlePrefersTheLanguageLibrary)
{
    LanguageLibrary language;
    ASSERT_NE(language.Module(), nullptr);
    HINSTANCE program = GetModuleHandleW(nullptr);
    LPCWSTR stringType = reinterpret_cast<LPCWSTR>(RT_STRING);

    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDS_BUTTON_OK / 16 + 1), stringType), language.Module());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDD_INPUT_DIALOG), RT_DIALOG), language.Module());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(kOnlyInProgram / 16 + 1), stringType), program);
    // Held by neither: the language library, where the caller's load then fails.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(30000), RT_DIALOG), language.Module());
}

TEST(Resources, LongStringsAndBadArguments)
{
    std::wstring text;
    ASSERT_TRUE(AfxLoadStringFrom(GetModuleHandleW(nullptr), 60003, text));
    ASSERT_EQ(text.size(), 600u);
    EXPECT_EQ(text.substr(590), L"0123456789");

    EXPECT_FALSE(AfxLoadStringFrom(nullptr, IDS_BUTTON_OK, text));
    EXPECT_FALSE(AfxLoadStringFrom(GetModuleHandleW(nullptr), 0x10000 + IDS_BUTTON_OK, text));
    EXPECT_TRUE(text.empty());
}

TEST(Resources, LoadTextTakesTheLanguageLibraryThenTheProgramThenNothing)
{
    LanguageLibrary language;
    ASSERT_NE(language.Module(), nullptr) << "the language library did not load";
    EXPECT_EQ(AfxLoadText(IDS_BUTTON_OK), L"OK");
    EXPECT_EQ(AfxLoadText(kOnlyInProgram), L"Only in the program: Grüße");
    EXPECT_TRUE(AfxLoadText(59999).IsEmpty());
    EXPECT_EQ(AfxLoadText(60003).GetLength(), 600) << "a long string comes whole";
}
