#include <gtest/gtest.h>

#include "engine/program/DriveMarker.h"
#include "engine/program/ProgramObjects.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"
#include "platform/system/FileAttributes.h"

using enginetest::TestDrive;

namespace
{

const wchar_t kDataFolder[] = L"C:\\Backup Data\\MarkerTest\\Velbrook Data Backup\\";
const wchar_t kDataFolderOnDrive[] = L"Backup Data\\MarkerTest\\Velbrook Data Backup\\";
const wchar_t kMarkerOnDrive[] = L"Backup Data\\MarkerTest\\Velbrook Data Backup\\uid_tessel_drive\\uid_tessel_drive";

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes a marker file as the program would find it: read-only, hidden and system.
void PlantMarker(const std::wstring &root, const std::string &bytes)
{
    std::wstring folder = root + L"Backup Data";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\MarkerTest";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\Velbrook Data Backup";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\uid_tessel_drive";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring file = root + kMarkerOnDrive;
    ASSERT_TRUE(testsupport::WriteFileBytes(file, bytes));
    AfxSetFileAttributes(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

// E: and F: linked to folders of their own, with the data folder of the program on C:.
class DriveMarkerDrives : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_savedDataFolder = g_strDataFolder;
        g_strDataFolder = kDataFolder;
        CreateDirectoryW((m_folders / L"e").c_str(), nullptr);
        CreateDirectoryW((m_folders / L"f").c_str(), nullptr);
        m_e.reset(new TestDrive(L'E', m_folders / L"e\\"));
        ASSERT_EQ(m_e->Error(), L"");
        m_f.reset(new TestDrive(L'F', m_folders / L"f\\"));
        ASSERT_EQ(m_f->Error(), L"");
    }
    void TearDown() override
    {
        m_f.reset();
        m_e.reset();
        g_strDataFolder = m_savedDataFolder;
    }

    testsupport::TempFolder m_folders;
    std::unique_ptr<TestDrive> m_e, m_f;
    CString m_savedDataFolder;
};

} // namespace

TEST(DriveMarkerRead, OnlyExactly36BytesAreAnIdentity)
{
    testsupport::TempFolder folder;
    const std::string id = "0f8fad5b-d9cb-469f-a165-70867728950e";
    CString text = L"left over";

    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"short", id.substr(0, 35)));
    EXPECT_FALSE(ReadDestinationDriveId((folder / L"short").c_str(), text));
    EXPECT_TRUE(text.IsEmpty());

    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"long", id + "\n"));
    EXPECT_FALSE(ReadDestinationDriveId((folder / L"long").c_str(), text));

    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"whole", id));
    EXPECT_TRUE(ReadDestinationDriveId((folder / L"whole").c_str(), text));
    EXPECT_EQ(text, CString(id.c_str()));

    EXPECT_FALSE(ReadDestinationDriveId((folder / L"missing").c_str(), text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_FALSE(ReadDestinationDriveId(nullptr, text));
}

TEST(DriveMarkerRead, MarkerPathFollowsTheDataFolderOntoTheDrive)
{
    CString saved = g_strDataFolder;
    g_strDataFolder = kDataFolder;
    EXPECT_EQ(GetDestinationDriveMarkerPath(L'e'),
              CString(L"E:\\Backup Data\\MarkerTest\\Velbrook Data Backup\\uid_tessel_drive\\uid_tessel_drive"));
    EXPECT_TRUE(GetDestinationDriveMarkerPath(L'1').IsEmpty());
    EXPECT_TRUE(GetDestinationDriveMarkerPath(0).IsEmpty());

    // Before start-up has found the data folder there is no marker anywhere.
    g_strDataFolder.Empty();
    CString id = L"x";
    EXPECT_TRUE(GetDestinationDriveMarkerPath(L'C').IsEmpty());
    EXPECT_FALSE(GetDestinationDriveIdPath(L'C', id));
    EXPECT_FALSE(GetOrCreateDestinationDriveId(L'C', id));
    EXPECT_TRUE(id.IsEmpty());
    g_strDataFolder = saved;
}

TEST_F(DriveMarkerDrives, ShortAndLongMarkersOnADriveAreNoIdentity)
{
    PlantMarker(m_e->Root(), std::string(35, 'a'));
    PlantMarker(m_f->Root(), std::string(37, 'b'));
    CString id;
    EXPECT_FALSE(GetDestinationDriveIdPath(L'E', id));
    EXPECT_FALSE(GetDestinationDriveIdPath(L'f', id));
    EXPECT_EQ(FindDriveByDestinationId(CString(std::string(35, 'a').c_str())), 0);
}

TEST_F(DriveMarkerDrives, CreatingWritesAHiddenReadOnlyMarkerOnAFreshDrive)
{
    CString id;
    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'E', id));
    EXPECT_EQ(id.GetLength(), 36);
    EXPECT_EQ(id[8], L'-');
    EXPECT_EQ(id[23], L'-');

    std::wstring file = m_e->Root() + kMarkerOnDrive;
    EXPECT_EQ(testsupport::ReadFileBytes(file), std::string(CStringA(id).GetString()));
    const DWORD markerAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & markerAttributes, markerAttributes);
    const DWORD folderAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::wstring folder = m_e->Root() + kDataFolderOnDrive + L"uid_tessel_drive";
    EXPECT_EQ(GetFileAttributesW(folder.c_str()) & folderAttributes, folderAttributes);

    // The drive keeps its identity; another drive gets one of its own.
    CString again, other;
    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'e', again));
    EXPECT_EQ(again, id);
    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'F', other));
    EXPECT_NE(other.CompareNoCase(id), 0);
}

TEST_F(DriveMarkerDrives, CreatingRepairsADamagedReadOnlyMarker)
{
    PlantMarker(m_f->Root(), std::string(37, '7'));
    CString id;
    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'F', id));
    std::wstring file = m_f->Root() + kMarkerOnDrive;
    EXPECT_EQ(testsupport::ReadFileBytes(file).size(), 36u);
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);

    CString reread;
    ASSERT_TRUE(GetDestinationDriveIdPath(L'F', reread));
    EXPECT_EQ(reread, id);
}

TEST_F(DriveMarkerDrives, SearchFindsTheDriveIgnoringCaseAndCreatesNothing)
{
    CString idE, idF;
    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'E', idE));
    CString upperE = idE;
    upperE.MakeUpper();
    ASSERT_NE(upperE, idE);

    // F: has no marker; the search must not leave one of its folders behind there, nor on C:.
    const std::wstring dataOnF = m_f->Root() + L"Backup Data";
    EXPECT_EQ(FindDriveByDestinationId(upperE), L'e');
    EXPECT_EQ(FindDriveByDestinationId(L"00000000-0000-0000-0000-000000000000"), 0);
    EXPECT_FALSE(Exists(dataOnF));
    EXPECT_FALSE(Exists(L"C:\\Backup Data\\MarkerTest"));

    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'F', idF));
    EXPECT_EQ(FindDriveByDestinationId(idF), L'f');
    EXPECT_EQ(FindDriveByDestinationId(idE), L'e');

    EXPECT_EQ(FindDriveByDestinationId(nullptr), 0);
    EXPECT_EQ(FindDriveByDestinationId(L""), 0);
}

TEST_F(DriveMarkerDrives, DrivesAAndBAreNeverSearched)
{
    const std::string id = "a1b2c3d4-0000-4000-8000-00000000000a";
    CreateDirectoryW((m_folders / L"a").c_str(), nullptr);
    TestDrive a(L'A', m_folders / L"a\\");
    ASSERT_EQ(a.Error(), L"");
    PlantMarker(a.Root(), id);
    CString read;
    ASSERT_TRUE(GetDestinationDriveIdPath(L'A', read));
    EXPECT_EQ(FindDriveByDestinationId(read), 0);
}
