#include <gtest/gtest.h>

#include <locale>
#include <vector>

#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "support/TestSupport.h"

namespace
{

// The exclusion folders as start-up records them, put back as they were afterwards.
class AppPathsSystem : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_saved = {g_strWindowsFolder, g_strSystemDrive,   g_strInternetCacheFolder,
                   g_strTempFolder,    g_strRecycleFolder, g_strCookiesFolder};
        RecordExclusionFolders();
    }
    void TearDown() override
    {
        g_strWindowsFolder = m_saved[0];
        g_strSystemDrive = m_saved[1];
        g_strInternetCacheFolder = m_saved[2];
        g_strTempFolder = m_saved[3];
        g_strRecycleFolder = m_saved[4];
        g_strCookiesFolder = m_saved[5];
    }

    std::vector<CString> m_saved;
};

struct ShownMessage
{
    int calls = 0;
    CString text;
    UINT flags = 0;
};
ShownMessage g_shown;

int RecordMessage(UINT, const CString &text, UINT flags)
{
    ++g_shown.calls;
    g_shown.text = text;
    g_shown.flags = flags;
    return IDOK;
}

} // namespace

TEST_F(AppPathsSystem, RecordedFoldersAreTheSystemOnes)
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(g_strWindowsFolder.CompareNoCase(windows), 0);
    EXPECT_EQ(g_strSystemDrive, g_strWindowsFolder.Left(3));
    EXPECT_EQ(g_strRecycleFolder, g_strSystemDrive + L"$Recycle.Bin");
    EXPECT_EQ(g_strTempFolder.Right(5).CompareNoCase(L"\\Temp"), 0) << g_strTempFolder.GetString();
}

TEST_F(AppPathsSystem, SystemPaths)
{
    // The root of the Windows drive is a leading part of the Windows folder.
    CString root = g_strWindowsFolder.Left(3);
    EXPECT_TRUE(IsSystemPath(root));
    EXPECT_TRUE(IsSystemPath(g_strWindowsFolder));
    EXPECT_TRUE(IsSystemPath(L"C:\\Program Files"));
    EXPECT_TRUE(IsSystemPath(L"d:\\program files (x86)\\Tool"));
    EXPECT_TRUE(IsSystemPath(L"C:\\ProgramData"));
    EXPECT_TRUE(IsSystemPath(L"E:\\System Volume Information"));
    EXPECT_FALSE(IsSystemPath(L"E:\\System Volume Informatio"));
    EXPECT_FALSE(IsSystemPath(L"C:\\Programs"));
    EXPECT_FALSE(IsSystemPath(L"D:\\Data\\Program Files"));
    EXPECT_FALSE(IsSystemPath(nullptr));

    EXPECT_TRUE(IsSystemPath(g_strTempFolder));
    EXPECT_TRUE(IsSystemPath(g_strTempFolder + L"\\x"));
    EXPECT_TRUE(IsSystemPath(g_strRecycleFolder + L"\\S-1-5-21"));
    EXPECT_TRUE(IsSystemPath(g_strCookiesFolder));

    CString documents = g_strSystemDrive + L"users\\Public\\Documents";
    EXPECT_FALSE(IsSystemPath(documents));
}

TEST_F(AppPathsSystem, UnrecordedFoldersExcludeNothing)
{
    g_strWindowsFolder.Empty();
    g_strInternetCacheFolder.Empty();
    g_strTempFolder.Empty();
    g_strRecycleFolder.Empty();
    g_strCookiesFolder.Empty();
    EXPECT_FALSE(IsSystemPath(L"D:\\Data"));
    EXPECT_FALSE(IsSystemPath(L"C:\\"));
    EXPECT_TRUE(IsSystemPath(L"C:\\Program Files"));
}

TEST(AppPathsFiles, ExcludedFiles)
{
    EXPECT_TRUE(IsExcludedFile(L"~$a.docx"));
    EXPECT_TRUE(IsExcludedFile(L"C:\\Data\\~$Report.xlsx"));
    EXPECT_FALSE(IsExcludedFile(L"~$a.txt"));
    EXPECT_FALSE(IsExcludedFile(L"a.DOCX"));
    EXPECT_FALSE(IsExcludedFile(L"~$a.DOCX"));
    EXPECT_TRUE(IsExcludedFile(L"TESSELDIR.LIST"));
    EXPECT_TRUE(IsExcludedFile(L"D:\\Sync\\tesseldir.list.BK"));
    EXPECT_TRUE(IsExcludedFile(L"C:\\pagefile.sys"));
    EXPECT_TRUE(IsExcludedFile(L"X:\\Hiberfil.SYS"));
    EXPECT_TRUE(IsExcludedFile(L"report.tmp"));
    EXPECT_TRUE(IsExcludedFile(L"~wrl0001.dat"));
    EXPECT_TRUE(IsExcludedFile(L"help.GID"));
    EXPECT_TRUE(IsExcludedFile(L"drive.UID_XXX"));
    EXPECT_FALSE(IsExcludedFile(L"TesselDir.list.old"));
    // Only the name counts, not the folders above it.
    EXPECT_FALSE(IsExcludedFile(L"C:\\work.TMP\\notes.txt"));
    EXPECT_FALSE(IsExcludedFile(L"C:\\~$x.doc\\notes.txt"));
    EXPECT_FALSE(IsExcludedFile(L""));
    EXPECT_FALSE(IsExcludedFile(nullptr));
}

TEST(AppPathsFiles, DocumentExtensionsAreCaseSensitive)
{
    EXPECT_TRUE(IsDocumentExtension(L"C:\\a\\b.docx"));
    EXPECT_TRUE(IsDocumentExtension(L"archive.old.pub"));
    EXPECT_TRUE(IsDocumentExtension(L".pst"));
    EXPECT_FALSE(IsDocumentExtension(L"b.DOCX"));
    EXPECT_FALSE(IsDocumentExtension(L"doc"));
    EXPECT_FALSE(IsDocumentExtension(L"b.docx.bak"));
    EXPECT_FALSE(IsDocumentExtension(nullptr));
}

TEST(AppPathsServices, FormatSizeUnits)
{
    EXPECT_EQ(FormatSizeUnits(0), CString(L"0.0 KB"));
    EXPECT_EQ(FormatSizeUnits(1023), CString(L"1.0 KB"));
    EXPECT_EQ(FormatSizeUnits(1048575), CString(L"1024.0 KB"));
    EXPECT_EQ(FormatSizeUnits(1048576), CString(L"1.0 MB"));
    EXPECT_EQ(FormatSizeUnits(1610612736ULL), CString(L"1.5 GB"));
    EXPECT_EQ(FormatSizeUnits(5ULL << 40), CString(L"5120.0 GB"));
    EXPECT_EQ(FormatSizeUnits(~0ULL), CString(L"17179869184.0 GB"));
}

TEST(AppPathsServices, LastErrorMessageGoesThroughTheHook)
{
    SeamOverride<MessageBoxAnswer> answer(g_messageBoxAnswer, &RecordMessage);
    g_shown = ShownMessage();

    SetLastError(ERROR_FILE_NOT_FOUND);
    ShowLastErrorMessage();
    EXPECT_EQ(g_shown.calls, 1);
    EXPECT_FALSE(g_shown.text.IsEmpty());
    EXPECT_EQ(g_shown.flags, static_cast<UINT>(MB_ICONINFORMATION));

    // A code the system has no text for shows nothing.
    SetLastError(0x2000ABCD);
    ShowLastErrorMessage();
    EXPECT_EQ(g_shown.calls, 1);
}

TEST(AppPathsServices, ListFileNameIsKeptWithinItsBuffer)
{
    SetTesselDirListName(L"TesselDir.list");
    EXPECT_STREQ(GetTesselDirListFileName(), L"TesselDir.list");
    std::wstring longName(300, L'n');
    SetTesselDirListName(longName.c_str());
    EXPECT_EQ(std::wstring(GetTesselDirListFileName()), longName.substr(0, 255));
    SetTesselDirListName(L"TesselDir.list");
}

TEST(AppPathsProgramObjects, StopEventAndCopyLockAreReady)
{
    EXPECT_EQ(WaitForSingleObject(StopEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    StopEvent.SetEvent();
    EXPECT_EQ(WaitForSingleObject(StopEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    // Auto-reset: one waiter takes the signal.
    EXPECT_EQ(WaitForSingleObject(StopEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    EXPECT_TRUE(TryEnterCriticalSection(CopyLock));
    LeaveCriticalSection(CopyLock);
}

TEST(AppPathsProgramObjects, Utf8LocaleConvertsToUtf8)
{
    typedef std::codecvt<wchar_t, char, std::mbstate_t> Conversion;
    ASSERT_TRUE(std::has_facet<Conversion>(g_utf8Locale));
    const Conversion &conversion = std::use_facet<Conversion>(g_utf8Locale);
    std::mbstate_t state{};
    const wchar_t text[] = L"\x2013";
    const wchar_t *textNext = nullptr;
    char bytes[8] = {};
    char *bytesNext = nullptr;
    EXPECT_EQ(conversion.out(state, text, text + 1, textNext, bytes, bytes + sizeof(bytes), bytesNext),
              std::codecvt_base::ok);
    EXPECT_EQ(std::string(bytes, bytesNext), std::string("\xE2\x80\x93"));
}
