// Backup and restore of the address book through the exports, on the stand-in of wab32.dll: what the backup
// file holds and what the book holds afterwards.
#include "mail/Postrel.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "mail/addressbook/AddressBook.h"
#include "mail/addressbook/BookInterfaces.h"
#include "mail/support/MailTestSupport.h"
#include "outside/Wab32/Wab32StandIn.h"

using namespace mailtest;

namespace
{

// One entry of the stand-in's book file: id, type and its property lines as the stand-in writes them.
struct BookEntry
{
    DWORD id;
    ULONG type;
    std::vector<std::string> props;
};

std::string Prop(ULONG tag, const std::string &value)
{
    char text[16];
    snprintf(text, sizeof(text), "%08lX ", tag);
    return text + value;
}

std::string Hex8(const std::string &bytes)
{
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes)
    {
        snprintf(digits, sizeof(digits), "%02X", byte);
        text += digits;
    }
    return text;
}

std::string Hex16(const std::wstring &units)
{
    std::string text;
    char digits[5];
    for (wchar_t unit : units)
    {
        snprintf(digits, sizeof(digits), "%04X", static_cast<unsigned>(unit));
        text += digits;
    }
    return text;
}

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string text;
    for (int byte : bytes)
        text += static_cast<char>(byte);
    return text;
}

std::string Name(const std::wstring &name)
{
    return Prop(PR_DISPLAY_NAME_W, Hex16(name));
}

// The users' property lines, in book order, and the entries' names for a quick look.
std::vector<std::vector<std::string>> UserProps(const std::vector<BookEntry> &entries)
{
    std::vector<std::vector<std::string>> users;
    for (const BookEntry &entry : entries)
        if (entry.type == MAPI_MAILUSER)
            users.push_back(entry.props);
    return users;
}

std::vector<std::wstring> IndexNames(const std::vector<ADDRESSINFO> &records)
{
    std::vector<std::wstring> names;
    for (const ADDRESSINFO &record : records)
        names.push_back(record.szDisplayName);
    return names;
}

std::vector<DWORD> IndexIds(const std::vector<ADDRESSINFO> &records)
{
    std::vector<DWORD> ids;
    for (const ADDRESSINFO &record : records)
        ids.push_back(record.dwId);
    return ids;
}

std::wstring g_standIn;

CString StandInPath()
{
    return g_standIn.c_str();
}

std::wstring TestFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

class PostrelAddressBook : public MailTest
{
  protected:
    void SetUp() override
    {
        MailTest::SetUp();
        m_com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(SUCCEEDED(m_com));
        g_standIn = TestFolder() + L"wab32_full\\wab32.dll";
        m_path = std::make_unique<SeamOverride<PFN_WAB32_PATH>>(g_pfnWab32Path, &StandInPath);
        m_library = ::LoadLibraryW(g_standIn.c_str());
        ASSERT_NE(nullptr, m_library) << ::GetLastError();
        m_reset = Control<PFN_WAB32_RESET>("Wab32Reset");
        m_script = Control<PFN_WAB32_SCRIPT_FAILURE>("Wab32ScriptFailure");
        m_live = Control<PFN_WAB32_LIVE_BUFFERS>("Wab32LiveBuffers");
        ASSERT_TRUE(m_reset && m_script && m_live);
        m_reset();
        Control<PFN_WAB32_SET_BOOK>("Wab32SetBook")(Book().c_str());
    }
    void TearDown() override
    {
        if (m_reset)
            m_reset();
        if (m_library != nullptr)
            ::FreeLibrary(m_library);
        m_path.reset();
        if (SUCCEEDED(m_com))
            ::CoUninitialize();
        MailTest::TearDown();
    }

    template <class F> F Control(const char *name)
    {
        return reinterpret_cast<F>(reinterpret_cast<void *>(::GetProcAddress(m_library, name)));
    }

    std::wstring Book() const
    {
        return m_temp / L"book.txt";
    }
    void WriteBook(const std::vector<BookEntry> &entries)
    {
        std::string text;
        for (const BookEntry &entry : entries)
        {
            text += "entry " + std::to_string(entry.id) + " " + std::to_string(entry.type) + "\n";
            for (const std::string &prop : entry.props)
                text += prop + "\n";
        }
        ASSERT_TRUE(testsupport::WriteFileBytes(Book(), text));
    }
    std::vector<BookEntry> ReadBook() const
    {
        std::vector<BookEntry> entries;
        for (const std::string &line : Lines(testsupport::ReadFileBytes(Book())))
        {
            BookEntry entry = {};
            if (sscanf(line.c_str(), "entry %lu %lu", &entry.id, &entry.type) == 2)
                entries.push_back(entry);
            else if (!entries.empty() && !line.empty())
                entries.back().props.push_back(line);
        }
        return entries;
    }

    BOOL Backup(const std::wstring &path)
    {
        wchar_t buffer[MAX_PATH] = {};
        wcsncpy(buffer, path.c_str(), MAX_PATH - 1);
        return BackupAddress(buffer, MAX_PATH);
    }
    BOOL Restore(const std::wstring &path)
    {
        return RestoreAddress(path.c_str());
    }
    std::wstring File() const
    {
        return m_temp / L"book.dat";
    }
    std::vector<ADDRESSINFO> Index() const
    {
        std::string bytes;
        if (!ReadBackupStream(File(), {L"addressbook"}, L"addressbook", bytes))
            return {};
        std::vector<ADDRESSINFO> records(bytes.size() / sizeof(ADDRESSINFO));
        memcpy(static_cast<void *>(records.data()), bytes.data(), records.size() * sizeof(ADDRESSINFO));
        return records;
    }

    PFN_WAB32_RESET m_reset = nullptr;
    PFN_WAB32_SCRIPT_FAILURE m_script = nullptr;
    PFN_WAB32_LIVE_BUFFERS m_live = nullptr;

  private:
    HRESULT m_com = E_FAIL;
    HMODULE m_library = nullptr;
    std::unique_ptr<SeamOverride<PFN_WAB32_PATH>> m_path;
};

const BookEntry kAlice = {11,
                          MAPI_MAILUSER,
                          {Name(L"Alice"), Prop(0x66000002, "-7"), Prop(0x66010003, "70000"), Prop(0x66020004, "1.5"),
                           Prop(0x66030005, "3.25"), Prop(0x66040006, "123456789"), Prop(0x66050007, "40000.5"),
                           Prop(0x6606000B, "1"), Prop(0x66070014, "-9000000000"), Prop(0x3003001E, Hex8("\xE9t\xE9")),
                           Prop(0x66080102, "0102FF"), Prop(0x6609101F, Hex16(L"one") + " " + Hex16(L"two"))}};
// A name as an 8-bit string: "Zoé" in the ANSI code page.
const BookEntry kZoe = {12, MAPI_MAILUSER, {Prop(0x3001001E, Hex8("Zo\xE9")), Prop(0x3A08001F, Hex16(L"555-0100"))}};
const BookEntry kBob = {13, MAPI_MAILUSER, {Name(L"Bob"), Prop(0x3A06001F, Hex16(L"Bob")), Prop(0x66010003, "3")}};
const BookEntry kList = {14, MAPI_DISTLIST, {Name(L"Friends")}};

// The lines that come back: those of the saved types.
std::vector<std::string> SavedLines(const BookEntry &entry)
{
    std::vector<std::string> lines;
    for (const std::string &line : entry.props)
        if (line.compare(4, 4, "0102") != 0 && line.compare(4, 4, "101F") != 0)
            lines.push_back(line);
    return lines;
}

} // namespace

TEST_F(PostrelAddressBook, UsersRoundTripWithTheSavedTypesOnly)
{
    WriteBook({kAlice, kZoe, kList, kBob});
    wchar_t path[MAX_PATH] = {};
    wcscpy(path, (m_temp / L"book.bak").c_str());
    ASSERT_EQ(1, BackupAddress(path, MAX_PATH));
    EXPECT_EQ(File(), path);
    const std::vector<ADDRESSINFO> index = Index();
    EXPECT_EQ((std::vector<DWORD>{1, 2, 3}), IndexIds(index));
    EXPECT_EQ((std::vector<std::wstring>{L"Alice", L"Zo\u00E9", L"Bob"}), IndexNames(index));
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3", L"addressbook"}),
              ReadBackupLevel(File(), {L"addressbook"}).elements);

    WriteBook({});
    ASSERT_EQ(1, Restore(File()));
    EXPECT_EQ((std::vector<std::vector<std::string>>{SavedLines(kAlice), SavedLines(kZoe), SavedLines(kBob)}),
              UserProps(ReadBook()));
    // Every buffer the book handed out went back to it.
    EXPECT_EQ(0, m_live());
}

TEST_F(PostrelAddressBook, LaterRunsAddOnlyNewNamesAndNeverChangeAUser)
{
    WriteBook({kAlice, kBob});
    ASSERT_EQ(1, Backup(File()));
    BookEntry robert = kBob;
    robert.props[0] = Name(L"Robert");
    const BookEntry carol = {20, MAPI_MAILUSER, {Name(L"Carol")}};
    WriteBook({kAlice, robert, carol});
    ASSERT_EQ(1, Backup(File()));
    EXPECT_EQ((std::vector<std::wstring>{L"Alice", L"Bob", L"Robert", L"Carol"}), IndexNames(Index()));
    EXPECT_EQ((std::vector<DWORD>{1, 2, 3, 4}), IndexIds(Index()));

    // "bob" is not "Bob": Bob comes back; Alice, whose book entry has changed since, stays as she is.
    const BookEntry alice = {11, MAPI_MAILUSER, {Name(L"Alice"), Prop(0x66010003, "1")}};
    const BookEntry lowerBob = {21, MAPI_MAILUSER, {Name(L"bob")}};
    WriteBook({alice, lowerBob, carol});
    ASSERT_EQ(1, Restore(File()));
    const std::vector<BookEntry> book = ReadBook();
    ASSERT_EQ(5u, book.size());
    EXPECT_EQ(alice.props, book[0].props);
    EXPECT_EQ(lowerBob.props, book[1].props);
    EXPECT_EQ(carol.props, book[2].props);
    EXPECT_EQ(SavedLines(kBob), book[3].props);
    EXPECT_EQ(robert.props, book[4].props);
}

TEST_F(PostrelAddressBook, UsersOfOneNameAndLongNamesAreSavedAndRestoredOnce)
{
    const std::wstring longName(70, L'L');
    const BookEntry sam1 = {1, MAPI_MAILUSER, {Name(L"Sam"), Prop(0x66010003, "1")}};
    const BookEntry sam2 = {2, MAPI_MAILUSER, {Name(L"Sam"), Prop(0x66010003, "2")}};
    const BookEntry longUser = {3, MAPI_MAILUSER, {Name(longName)}};
    WriteBook({sam1, sam2, longUser});
    ASSERT_EQ(1, Backup(File()));
    ASSERT_EQ(1, Backup(File()));
    EXPECT_EQ((std::vector<std::wstring>{L"Sam", L"Sam", std::wstring(59, L'L')}), IndexNames(Index()));

    WriteBook({});
    ASSERT_EQ(1, Restore(File()));
    ASSERT_EQ(1, Restore(File()));
    EXPECT_EQ((std::vector<std::vector<std::string>>{sam1.props, sam2.props, longUser.props}), UserProps(ReadBook()));
}

TEST_F(PostrelAddressBook, AUserThatFailsLeavesTheOthers)
{
    WriteBook({kAlice, kZoe, kBob});
    m_script(L"GetProps", 2, MAPI_E_CALL_FAILED);
    EXPECT_EQ(0, Backup(File()));
    EXPECT_EQ((std::vector<DWORD>{1, 2}), IndexIds(Index()));
    EXPECT_EQ((std::vector<std::wstring>{L"Alice", L"Bob"}), IndexNames(Index()));
    m_reset();
    Control<PFN_WAB32_SET_BOOK>("Wab32SetBook")(Book().c_str());
    WriteBook({});
    ASSERT_EQ(1, Restore(File()));
    EXPECT_EQ((std::vector<std::vector<std::string>>{SavedLines(kAlice), SavedLines(kBob)}), UserProps(ReadBook()));

    // Crafted user streams: an object where a text belongs, a record cut short, a tag of a type that is not
    // saved. Each of those users fails alone; Bob comes back whole.
    const std::string object = Bytes({0x13, 0, 0x1E, 0, 0x01, 0x30, 0x0D, 0}) + std::string(16, '\x11');
    const std::string cut = Bytes({0x13, 0, 0x03, 0, 0x01, 0x66, 0x03, 0, 0x07});
    const std::string binary = Bytes({0x13, 0, 0x02, 0x01, 0x08, 0x66, 0x03, 0, 0x01, 0, 0, 0});
    for (const std::string &bytes : {object, cut, binary})
    {
        ASSERT_TRUE(WriteBackupStream(File(), {L"addressbook"}, L"1", bytes));
        WriteBook({});
        EXPECT_EQ(0, Restore(File()));
        const std::vector<std::vector<std::string>> users = UserProps(ReadBook());
        ASSERT_EQ(2u, users.size());
        EXPECT_EQ(SavedLines(kBob), users[1]);
    }
    EXPECT_EQ(0, m_live());
}

TEST_F(PostrelAddressBook, TheLibraryIsTakenFromTheCommonFilesFolder)
{
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_EQ(S_OK, ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles));
    EXPECT_EQ(std::wstring(programFiles) + L"\\Common Files\\System\\wab32.dll",
              std::wstring(g_pfnWab32Path.Default()()));

    StartTrace();
    // Wine has no wab32.dll in that folder.
    {
        SeamOverride<PFN_WAB32_PATH> platform(g_pfnWab32Path, &DefaultWab32Path);
        EXPECT_EQ(0, Backup(File()));
        EXPECT_EQ(0, Restore(File()));
    }
    EXPECT_TRUE(Traced(TraceLines(), ": Unable to load wab32.dll."));
    g_standIn = TestFolder() + L"wab32_nowabopen\\wab32.dll";
    EXPECT_EQ(0, Backup(File()));
    EXPECT_TRUE(Traced(TraceLines(), ": can not find WABOpen() function in wab32.dll"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(File().c_str()));
}

TEST_F(PostrelAddressBook, AnEmptyBookAndAReadOnlyBackup)
{
    WriteBook({kList});
    ASSERT_EQ(1, Backup(File()));
    EXPECT_EQ((std::vector<std::wstring>{L"addressbook"}), ReadBackupLevel(File(), {L"addressbook"}).elements);
    EXPECT_TRUE(Index().empty());

    WriteBook({kAlice, kBob});
    ASSERT_EQ(1, Backup(File()));
    const std::string saved = testsupport::ReadFileBytes(File());
    ASSERT_TRUE(::SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_READONLY));
    WriteBook({});
    EXPECT_EQ(1, Restore(File()));
    EXPECT_EQ(2u, UserProps(ReadBook()).size());
    // Wine opens a read-only file for writing all the same: the bytes show that nothing was written.
    EXPECT_EQ(saved, testsupport::ReadFileBytes(File()));
    ::SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_NORMAL);
}
