// Backup and restore of Windows Contacts through the exports, on the contact-manager stand-in, in a profile
// folder of the test's own: what the backup file holds and what the Contacts folder holds afterwards.
#include "mail/Postrel.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "mail/contacts/Contacts.h"
#include "mail/frame/SystemVersion.h"
#include "mail/storage/Storager.h"
#include "mail/support/MailTestSupport.h"
#include "outside/ContactManager/ContactStandIn.h"

using namespace mailtest;

namespace
{

std::wstring g_profile;

CString TestProfile()
{
    return g_profile.c_str();
}

DWORD g_minor = 0;

BOOL WINAPI VersionSix(LPOSVERSIONINFOW version)
{
    auto *extended = reinterpret_cast<OSVERSIONINFOEXW *>(version);
    *extended = OSVERSIONINFOEXW();
    extended->dwOSVersionInfoSize = sizeof(*extended);
    extended->dwPlatformId = VER_PLATFORM_WIN32_NT;
    extended->dwMajorVersion = 6;
    extended->dwMinorVersion = g_minor;
    return TRUE;
}

std::string Contact(const std::string &guid, const std::string &body)
{
    return "ContactID=" + guid + "\r\n<contact>" + body + "</contact>\r\n";
}

ULONGLONG LastWrite(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// The names of a folder's files, sorted.
std::vector<std::wstring> FileNames(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
            names.push_back(data.cFileName);
    while (::FindNextFileW(search, &data));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kGuidA = "{0A000000-0000-0000-0000-00000000000A}";
const std::string kGuidB = "{0B000000-0000-0000-0000-00000000000B}";
const std::string kGuidC = "{0C000000-0000-0000-0000-00000000000C}";

class PostrelContacts : public MailTest
{
  protected:
    void SetUp() override
    {
        MailTest::SetUp();
        m_com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(SUCCEEDED(m_com));
        ASSERT_EQ(S_OK, ::CoRegisterClassObject(CLSID_ContactManager, contactstandin::ClassFactory(),
                                                CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie));
        g_profile = m_temp / L"profile";
        g_minor = 0;
        ASSERT_TRUE(::CreateDirectoryW(g_profile.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(Folder().c_str(), nullptr));
        contactstandin::Reset();
        contactstandin::SetProfile(g_profile);
        m_profileSeam = std::make_unique<SeamOverride<PFN_PROFILE_FOLDER>>(g_pfnProfileFolder, &TestProfile);
        m_version = std::make_unique<SeamOverride<PFN_GET_VERSION_EX>>(g_pfnGetVersionEx, &VersionSix);
    }
    void TearDown() override
    {
        contactstandin::Reset();
        m_version.reset();
        m_profileSeam.reset();
        if (m_cookie != 0)
            ::CoRevokeClassObject(m_cookie);
        if (SUCCEEDED(m_com))
            ::CoUninitialize();
        MailTest::TearDown();
    }

    // The Contacts folder with its trailing backslash.
    std::wstring Folder() const
    {
        return g_profile + L"\\Contacts\\";
    }
    std::wstring File() const
    {
        return m_temp / L"contacts.dat";
    }
    void WriteContact(const std::wstring &name, const std::string &guid, const std::string &body = "")
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(Folder() + name, Contact(guid, body)));
    }
    BOOL Backup()
    {
        wchar_t path[MAX_PATH] = {};
        wcscpy(path, File().c_str());
        return BackupContact(path, MAX_PATH);
    }
    BOOL Restore(const std::wstring &path)
    {
        return RestoreContact(path.c_str());
    }
    std::vector<CONTACTINFO> Index() const
    {
        std::string bytes;
        if (!ReadBackupStream(File(), {L"contact"}, L"contact", bytes))
            return {};
        std::vector<CONTACTINFO> records(bytes.size() / sizeof(CONTACTINFO));
        memcpy(static_cast<void *>(records.data()), bytes.data(), records.size() * sizeof(CONTACTINFO));
        return records;
    }
    // A backup file of these records, each with a stream of the bytes given, or none.
    void WriteCrafted(const std::vector<std::pair<CONTACTINFO, const char *>> &records)
    {
        std::string index;
        for (const auto &record : records)
        {
            index.append(reinterpret_cast<const char *>(&record.first), sizeof(CONTACTINFO));
            if (record.second != nullptr)
            {
                ASSERT_TRUE(WriteBackupStream(File(), {L"contact"}, record.first.szContactId, record.second));
            }
        }
        ASSERT_TRUE(WriteBackupStream(File(), {L"contact"}, L"contact", index));
    }

  private:
    HRESULT m_com = E_FAIL;
    DWORD m_cookie = 0;
    std::unique_ptr<SeamOverride<PFN_PROFILE_FOLDER>> m_profileSeam;
    std::unique_ptr<SeamOverride<PFN_GET_VERSION_EX>> m_version;
};

CONTACTINFO Record(const wchar_t *guid, const wchar_t *name)
{
    CONTACTINFO record = {};
    wcsncpy(record.szContactId, guid, 49);
    wcsncpy(record.szFileName, name, 99);
    return record;
}

} // namespace

TEST_F(PostrelContacts, MissingContactsComeBackAsTheyWere)
{
    WriteContact(L"Ann.contact", kGuidA, "Ann");
    WriteContact(L"Ben.contact", kGuidB, std::string(70000, 'b'));
    WriteContact(L"Cid.contact", kGuidC, "Cid");
    const std::string ann = testsupport::ReadFileBytes(Folder() + L"Ann.contact");
    const std::string ben = testsupport::ReadFileBytes(Folder() + L"Ben.contact");
    ASSERT_EQ(1, Backup());
    const std::vector<CONTACTINFO> index = Index();
    ASSERT_EQ(3u, index.size());
    EXPECT_EQ(std::wstring(kGuidB.begin(), kGuidB.end()), index[1].szContactId);
    EXPECT_EQ(std::wstring(L"Ben.contact"), index[1].szFileName);
    EXPECT_EQ(4u, ReadBackupLevel(File(), {L"contact"}).elements.size());

    ASSERT_TRUE(::DeleteFileW((Folder() + L"Ann.contact").c_str()));
    ASSERT_TRUE(::DeleteFileW((Folder() + L"Ben.contact").c_str()));
    const ULONGLONG cid = LastWrite(Folder() + L"Cid.contact");
    ::Sleep(20);
    ASSERT_EQ(1, Restore(File()));
    EXPECT_EQ(ann, testsupport::ReadFileBytes(Folder() + L"Ann.contact"));
    EXPECT_EQ(ben, testsupport::ReadFileBytes(Folder() + L"Ben.contact"));
    EXPECT_EQ(cid, LastWrite(Folder() + L"Cid.contact"));

    // Everything is there now: a second restore writes nothing.
    const ULONGLONG restored = LastWrite(Folder() + L"Ann.contact");
    ::Sleep(20);
    ASSERT_EQ(1, Restore(File()));
    EXPECT_EQ(restored, LastWrite(Folder() + L"Ann.contact"));
    EXPECT_EQ((std::vector<std::wstring>{L"Ann.contact", L"Ben.contact", L"Cid.contact"}), FileNames(Folder()));
    // A second backup adds nothing.
    ASSERT_EQ(1, Backup());
    EXPECT_EQ(3u, Index().size());
}

TEST_F(PostrelContacts, TheContactsFolderIsInTheProfileFolder)
{
    EXPECT_EQ(g_profile + L"\\Contacts", std::wstring(ContactsFolder()));
    SeamOverride<PFN_PROFILE_FOLDER> platform(g_pfnProfileFolder, &DefaultProfileFolder);
    wchar_t profile[MAX_PATH] = {};
    ASSERT_EQ(S_OK, ::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile));
    EXPECT_EQ(std::wstring(profile) + L"\\Contacts", std::wstring(ContactsFolder()));
}

TEST_F(PostrelContacts, ANameTakenByAnotherContactFailsAlone)
{
    WriteContact(L"Ann.contact", kGuidA, "Ann");
    WriteContact(L"Ben.contact", kGuidB, "Ben");
    ASSERT_EQ(1, Backup());
    ASSERT_TRUE(::DeleteFileW((Folder() + L"Ben.contact").c_str()));
    WriteContact(L"Ann.contact", kGuidC, "another Ann");
    EXPECT_EQ(0, Restore(File()));
    EXPECT_EQ(Contact(kGuidC, "another Ann"), testsupport::ReadFileBytes(Folder() + L"Ann.contact"));
    EXPECT_EQ(Contact(kGuidB, "Ben"), testsupport::ReadFileBytes(Folder() + L"Ben.contact"));

    StartTrace();
    const std::wstring text = m_temp / L"notes.dat";
    ASSERT_TRUE(testsupport::WriteFileBytes(text, "not a compound file"));
    EXPECT_EQ(0, Restore(text));
    EXPECT_TRUE(Traced(TraceLines(), ": The file is not a storage file."));
    EXPECT_EQ(0, Restore(m_temp / L"missing.dat"));
}

TEST_F(PostrelContacts, CraftedFileNamesWriteNothingOutsideTheFolder)
{
    // Names that lead out of the folder or beside a file, none at all, and a record without its stream.
    WriteCrafted({{Record(L"{1}", L"..\\x.contact"), "one"},
                  {Record(L"{2}", L"a/b.contact"), "two"},
                  {Record(L"{3}", L"a:b.contact"), "three"},
                  {Record(L"{4}", L""), "four"},
                  {Record(L"{5}", L".."), "five"},
                  {Record(L"{6}", L"lost.contact"), nullptr},
                  {Record(L"{7}", L"good.contact"), "seven"}});
    const std::string file = testsupport::ReadFileBytes(File());
    EXPECT_EQ(0, Restore(File()));
    EXPECT_EQ((std::vector<std::wstring>{L"good.contact"}), FileNames(Folder()));
    EXPECT_EQ("seven", testsupport::ReadFileBytes(Folder() + L"good.contact"));
    EXPECT_EQ((std::vector<std::wstring>{L"Contacts"}), FileNames(g_profile + L"\\"));
    EXPECT_EQ((std::vector<std::wstring>{L"contacts.dat", L"profile"}), FileNames(m_temp.Path()));
    EXPECT_EQ(file, testsupport::ReadFileBytes(File()));
}

TEST_F(PostrelContacts, EmptyCollectionsOtherVersionsAndFilesWithoutContacts)
{
    ASSERT_EQ(1, Backup());
    EXPECT_EQ((std::vector<std::wstring>{L"contact"}), ReadBackupLevel(File(), {L"contact"}).elements);
    EXPECT_TRUE(Index().empty());
    ASSERT_TRUE(::DeleteFileW(File().c_str()));

    // Windows 7 keeps its contacts elsewhere: nothing is done, and that is no failure.
    g_minor = 1;
    WriteContact(L"Ann.contact", kGuidA);
    EXPECT_EQ(1, Backup());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(File().c_str()));

    // A backup of something else: no contact to restore, and the file stays as it was.
    ASSERT_TRUE(WriteBackupStream(File(), {L"addressbook"}, L"addressbook", ""));
    const std::string other = testsupport::ReadFileBytes(File());
    ::DeleteFileW((Folder() + L"Ann.contact").c_str());
    EXPECT_EQ(1, Restore(File()));
    EXPECT_EQ(other, testsupport::ReadFileBytes(File()));
    EXPECT_TRUE(FileNames(Folder()).empty());
}

TEST_F(PostrelContacts, AStaleStreamOfAFailedSaveLeavesNoTail)
{
    WriteContact(L"Ann.contact", kGuidA, "Ann");
    WriteContact(L"Ben.contact", kGuidB, "Ben");
    contactstandin::ScriptFailure(L"Save", 1, STG_E_WRITEFAULT);
    EXPECT_EQ(0, Backup());
    EXPECT_TRUE(Index().empty()) << "no contact after the failed one is saved";
    std::string stale;
    ASSERT_TRUE(ReadBackupStream(File(), {L"contact"}, std::wstring(kGuidA.begin(), kGuidA.begin() + 30), stale));
    EXPECT_GT(stale.size(), Contact(kGuidA, "Ann").size());

    contactstandin::Reset();
    contactstandin::SetProfile(g_profile);
    ASSERT_EQ(1, Backup());
    ASSERT_EQ(2u, Index().size());
    ASSERT_TRUE(::DeleteFileW((Folder() + L"Ann.contact").c_str()));
    ASSERT_EQ(1, Restore(File()));
    EXPECT_EQ(Contact(kGuidA, "Ann"), testsupport::ReadFileBytes(Folder() + L"Ann.contact"));
}
