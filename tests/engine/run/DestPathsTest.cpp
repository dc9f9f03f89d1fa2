#include "CopyTestSupport.h"

#include "engine/run/DestPaths.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace copytest;

namespace
{

std::wstring Built(BOOL (*build)(LPCWSTR, LPCWSTR, LPCWSTR, CString &), LPCWSTR source, LPCWSTR root)
{
    CString out(L"untouched");
    if (!build(source, root, L"PC1", out))
        return L"<none>";
    return out.GetString();
}

std::wstring Pst(LPCWSTR source, LPCWSTR root)
{
    CString out(L"untouched");
    if (!BuildPstFolder(source, root, out))
        return out == L"untouched" ? L"<none>" : L"<changed>";
    return out.GetString();
}

TEST(DestPaths, TemporaryNamesAndMailPrograms)
{
    EXPECT_EQ(std::wstring(MakeTemporaryCopyName(L"B:\\x\\report.doc", 0)), L"B:\\x\\report.~#T0");
    EXPECT_EQ(std::wstring(MakeTemporaryCopyName(L"B:\\x\\archive.tar.gz", 99)), L"B:\\x\\archive.tar.~#T99");
    EXPECT_EQ(std::wstring(MakeTemporaryCopyName(L"B:\\x.y\\README", 5)), L"B:\\x.y\\.~#T5");

    EXPECT_EQ(GetMailProgramStringId(L"C:\\m\\Outlook.pst"), static_cast<UINT>(IDS_PROGRAM_OUTLOOK));
    EXPECT_EQ(GetMailProgramStringId(L"C:\\m\\Offline.OST"), static_cast<UINT>(IDS_PROGRAM_OUTLOOK));
    EXPECT_EQ(GetMailProgramStringId(L"C:\\m\\Inbox.dbx"), static_cast<UINT>(IDS_PROGRAM_OUTLOOK_EXPRESS));
    EXPECT_EQ(GetMailProgramStringId(L"C:\\m\\Mail.edb"), static_cast<UINT>(IDS_PROGRAM_WINDOWS_MAIL));
    EXPECT_EQ(GetMailProgramStringId(L"C:\\m.pst\\notes.txt"), 0u);
    EXPECT_EQ(GetMailProgramStringId(L"C:\\m\\pst"), 0u);
}

TEST(DestPaths, RootsJoinWithExactlyOneBackslash)
{
    EXPECT_EQ(std::wstring(JoinDestRoot(L"E:\\Backup")), L"E:\\Backup\\");
    EXPECT_EQ(std::wstring(JoinDestRoot(L"E:\\Backup\\")), L"E:\\Backup\\");
    EXPECT_EQ(std::wstring(JoinDestRoot(L"E:\\Backup\\\\")), L"E:\\Backup\\");
    EXPECT_EQ(std::wstring(JoinDestRoot(L"E:\\")), L"E:\\");
    EXPECT_EQ(std::wstring(JoinDestRoot(L"")), L"");
    EXPECT_EQ(std::wstring(JoinDestRoot(nullptr)), L"");
}

TEST(DestPaths, FolderNamesUnderAFullPathDestination)
{
    for (LPCWSTR root : {L"E:\\Backup", L"E:\\Backup\\"})
    {
        EXPECT_EQ(Built(BuildDestFolderName, L"c:\\Users\\Bob\\Docs\\", root),
                  L"E:\\Backup\\PC1_C\\Users\\Bob\\Docs\\");
        EXPECT_EQ(Built(BuildDestFolderName, L"D:\\", root), L"E:\\Backup\\PC1_D\\");
        EXPECT_EQ(Built(BuildDestFolderName, L"\\\\nas\\share\\a\\b.txt", root), L"E:\\Backup\\nas_share\\a\\b.txt");
    }
    EXPECT_EQ(Built(BuildDestFolderName, L"\\\\nas\\share\\a\\", L"\\\\store\\bk\\"),
              L"\\\\store\\bk\\nas__share\\a\\");
    EXPECT_EQ(Built(BuildDestFolderName, L"\\\\nas\\share", L"E:\\"), L"E:\\nas_share\\");

    // Forms it does not know, climbing out of the destination, no root, too long.
    for (LPCWSTR source : {L"", L"Docs\\", L"C:", L"C:Docs", L"\\\\?\\C:\\Docs\\", L"\\\\.\\pipe\\x", L"\\\\nas",
                           L"\\\\nas\\", L"C:\\a\\..\\..\\x", L"\\\\nas\\share\\..\\x"})
        EXPECT_EQ(Built(BuildDestFolderName, source, L"E:\\Backup"), L"<none>") << source;
    EXPECT_EQ(Built(BuildDestFolderName, L"C:\\Docs\\", L""), L"<none>");
    std::wstring longSource = L"C:\\" + std::wstring(260, L'x');
    EXPECT_EQ(Built(BuildDestFolderName, longSource.c_str(), L"E:\\"), L"<none>");
}

TEST(DestPaths, RecycledFolderNeedsADriveLetter)
{
    EXPECT_EQ(Built(BuildRecycledFolder, L"c:\\docs\\a.txt", L"E:\\Backup"), L"E:\\Backup\\PC1_c\\Recycled\\");
    EXPECT_EQ(Built(BuildRecycledFolder, L"D:\\a.txt", L"E:\\Backup\\"), L"E:\\Backup\\PC1_D\\Recycled\\");
    EXPECT_EQ(Built(BuildRecycledFolder, L"\\\\nas\\share\\a.txt", L"E:\\Backup"), L"<none>");
    EXPECT_EQ(Built(BuildRecycledFolder, L"docs\\a.txt", L"E:\\Backup"), L"<none>");
    EXPECT_EQ(Built(BuildRecycledFolder, L"C:\\a.txt", L"\\"), L"<none>");
}

TEST(DestPaths, LastComponentFolder)
{
    EXPECT_EQ(Pst(L"C:\\Users\\Bob\\Documents\\", L"E:\\Backup\\"), L"E:\\Backup\\Documents\\");
    EXPECT_EQ(Pst(L"C:\\Users\\Bob\\Documents\\", L"E:\\Backup"), L"E:\\Backup\\Documents\\");
    EXPECT_EQ(Pst(L"D:\\", L"E:\\Backup\\"), L"E:\\Backup\\D\\");
    EXPECT_EQ(Pst(L"D:\\", L"E:\\"), L"E:\\D\\");
    EXPECT_EQ(Pst(L"C:\\Mail\\pst\\", L"E:\\Backup"), L"E:\\Backup\\pst\\");
    EXPECT_EQ(Pst(L"Docs", L"E:\\Backup"), L"E:\\Backup\\Docs\\");
    EXPECT_EQ(Pst(L"", L"E:\\Backup"), L"<none>");
    EXPECT_EQ(Pst(L"C:\\a\\..\\", L"E:\\Backup"), L"<none>");
    EXPECT_EQ(Pst(L"C:\\Docs\\", L""), L"<none>");
    std::wstring longSource = L"C:\\" + std::wstring(258, L'x') + L"\\";
    EXPECT_EQ(Pst(longSource.c_str(), L"E:\\"), L"<none>");
}

TEST(DestPaths, ComputerNameIsShortAndNeverEmpty)
{
    CString name = GetDestComputerName();
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_LE(name.GetLength(), 16);
}

class DestPathsOnDisk : public CopyJobTest
{
};

TEST_F(DestPathsOnDisk, CreateFolderPathMakesEveryLevel)
{
    std::wstring deep = Dest() + L"a\\b\\c\\";
    EXPECT_EQ(CreateFolderPath(deep.c_str()), 0u);
    EXPECT_TRUE(Attributes(deep) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CreateFolderPath((Dest() + L"a\\b").c_str()), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(testsupport::WriteFileBytes(Dest() + L"file", "x"));
    EXPECT_EQ(CreateFolderPath((Dest() + L"file").c_str()), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_NE(CreateFolderPath((Dest() + L"file\\sub").c_str()), 0u);
    std::wstring tooLong = Dest() + std::wstring(MAX_PATH, L'z');
    EXPECT_EQ(CreateFolderPath(tooLong.c_str()), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_NE(CreateFolderPath(L""), 0u);
}

TEST_F(DestPathsOnDisk, RecycledPathIsMadeOnDiskAndBadSourceFormsAreLogged)
{
    std::wstring source = Src() + L"a.txt";
    CString place;
    ASSERT_TRUE(m_job->GetRecycledPath(source.c_str(), Dest().c_str(), place));
    std::wstring folder = Dest() + GetDestComputerName().GetString() + L"_" + source.substr(0, 1) + L"\\Recycled\\";
    EXPECT_EQ(std::wstring(place.GetString()), folder + L"a.txt");
    EXPECT_TRUE(Attributes(folder) & FILE_ATTRIBUTE_DIRECTORY);

    // A file standing where the folder should be: logged with the job name and the folder.
    std::wstring blocked = m_folder / L"blocked";
    ASSERT_TRUE(testsupport::WriteFileBytes(blocked, "x"));
    EXPECT_FALSE(m_job->GetRecycledPath(source.c_str(), blocked.c_str(), place));
    CString entry;
    entry.Format(
        IDS_LOG_FOLDER_NOT_MADE, L"CopyJob",
        (blocked + L"\\" + GetDestComputerName().GetString() + L"_" + source.substr(0, 1) + L"\\Recycled\\").c_str());
    EXPECT_EQ(LogCount(entry.GetString()), 1);

    CString out;
    EXPECT_FALSE(m_job->GetDestFolderName(L"relative\\path\\", L"E:\\Backup", out));
    CString form;
    form.Format(IDS_LOG_SOURCE_FORM, L"relative\\path\\");
    EXPECT_EQ(LogCount(form.GetString()), 1);
    EXPECT_TRUE(m_job->GetDestFolderName(L"C:\\Docs\\", L"E:\\Backup", out));
}

} // namespace
