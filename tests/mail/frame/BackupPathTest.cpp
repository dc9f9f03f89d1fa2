// The backup path rule, with this test program as the host: what a caller's text becomes, and which texts
// fail.
#include "mail/frame/BackupPath.h"

#include <gtest/gtest.h>

#include "mail/support/MailTestSupport.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"

using PostrelFrame = mailtest::MailStoreTest;

namespace
{

std::wstring HostPath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring HostFolder()
{
    const std::wstring host = HostPath();
    return host.substr(0, host.rfind(L'\\') + 1);
}

// "mail_frame_tests.exe"
std::wstring HostFileName()
{
    const std::wstring host = HostPath();
    return host.substr(host.rfind(L'\\') + 1);
}

// "mail_frame_tests"
std::wstring HostBaseName()
{
    const std::wstring name = HostFileName();
    return name.substr(0, name.rfind(L'.'));
}

struct PathCase
{
    const char *what;
    std::wstring text;
    bool succeeds;
    std::wstring expected; // the completed path, or the text left as it was
};

void ExpectCase(const PathCase &c)
{
    CString path = c.text.c_str();
    EXPECT_EQ(c.succeeds, MakeBackupFilePath(path) != FALSE) << c.what;
    EXPECT_EQ(c.expected, std::wstring(path.GetString())) << c.what;
}

} // namespace

TEST_F(PostrelFrame, BackupFilePathCompletesTheCallersText)
{
    const std::wstring t = m_temp.Path();
    const std::wstring nowhere = t + L"missing\\";
    const PathCase cases[] = {
        {"empty: the host's name in its folder", L"", true, HostFolder() + HostBaseName() + L".dat"},
        {"white space is empty", L"  \t ", true, HostFolder() + HostBaseName() + L".dat"},
        {"a folder: the host's file name", t, true, t + HostFileName() + L".dat"},
        {"another extension becomes dat", t + L"mail.bak", true, t + L"mail.dat"},
        {"no extension", t + L"mail", true, t + L"mail.dat"},
        {"surrounding white space is trimmed", L" " + t + L"mail.bak ", true, t + L"mail.dat"},
        {"dat in any case stays", t + L"MAIL.DAT", true, t + L"MAIL.DAT"},
        {"dat stays even in a missing folder", nowhere + L"MAIL.DAT", true, nowhere + L"MAIL.DAT"},
        {"a missing folder fails", nowhere + L"mail.bak", false, nowhere + L"mail.bak"},
        {"a missing folder fails for a folder too", nowhere, false, nowhere},
        {"a relative name has no folder", L"mail.bak", false, L"mail.bak"},
    };
    for (const PathCase &c : cases)
        ExpectCase(c);
}

TEST_F(PostrelFrame, BackupFilePathNumbersOnlyNamesItMadeUp)
{
    const std::wstring t = m_temp.Path();
    ASSERT_TRUE(testsupport::WriteFileBytes(t + HostFileName() + L".dat", "taken"));
    ASSERT_TRUE(testsupport::WriteFileBytes(t + L"mail.dat", "taken"));
    ExpectCase({"a made-up name is numbered", t, true, t + HostFileName() + L"1.dat"});
    ASSERT_TRUE(testsupport::WriteFileBytes(t + HostFileName() + L"1.dat", "taken"));
    ExpectCase({"and numbered on", t, true, t + HostFileName() + L"2.dat"});
    ExpectCase({"the caller's name is added to", t + L"mail.bak", true, t + L"mail.dat"});
}

TEST_F(PostrelFrame, BackupFilePathFailsAtTwoHundredSixtyCharacters)
{
    const std::wstring t = m_temp.Path();
    const size_t fits = MAX_PATH - 1 - t.size() - 4; // name length for a result of 259 characters
    const std::wstring longest = t + std::wstring(fits, L'n');
    ExpectCase({"259 characters fit", longest + L".bak", true, longest + L".dat"});
    const std::wstring tooLong = t + std::wstring(fits + 1, L'n');
    ExpectCase({"260 do not", tooLong + L".bak", false, tooLong + L".bak"});
    ExpectCase({"nor a dat path of 260", tooLong + L".dat", false, tooLong + L".dat"});
}

TEST_F(PostrelFrame, BackupFilePathInAnEmptyDriveRoot)
{
    const std::wstring root = m_temp / L"drive\\";
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    enginetest::TestDrive drive(L'P', root);
    ASSERT_EQ(L"", drive.Error());
    ExpectCase({"an empty drive root is a folder", drive.Root(), true, drive.Root() + HostFileName() + L".dat"});
}
