// Backup and restore of mail store folders through the exports, on the store stand-in: what the backup
// file holds and what the store holds afterwards.
#include "mail/Postrel.h"

#include <gtest/gtest.h>

#include "mail/mailstore/MailStoreNames.h"
#include "mail/mailstore/StoreNamespace.h"
#include "mail/support/MailTestSupport.h"

using PostrelMailStore = mailtest::MailStoreTest;
using namespace mailtest;

namespace
{

const DWORD kNone = 0xFFFFFFFF;

std::vector<DWORD> Numbers(const std::vector<MESSAGEINFO> &records)
{
    std::vector<DWORD> numbers;
    for (const MESSAGEINFO &record : records)
        numbers.push_back(record.dwNumber);
    return numbers;
}

} // namespace

TEST_F(PostrelMailStore, AThreeLevelTreeRoundTrips)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    const DWORD sent = storestandin::AddFolder(0, "Sent Items", FOLDER_SENT);
    const DWORD junk = storestandin::AddFolder(0, "Junk");
    const DWORD work = storestandin::AddFolder(inbox, "Work");
    const DWORD projects = storestandin::AddFolder(work, "Projects");
    const std::string big = Message("big", std::string(200000, 'b') + "\r\n");
    storestandin::AddMessage(inbox, Message("one"));
    storestandin::AddMessage(inbox, big);
    storestandin::AddMessage(work, Message("work"));
    storestandin::AddMessage(projects, Message("plan"));
    storestandin::AddMessage(sent, Message("sent"));
    storestandin::AddMessage(junk, Message("junk"));

    std::wstring file;
    ASSERT_EQ(1, Backup(BackupPath(L"mail.bak"), {L"INBOX", L"sent items", L"Elsewhere"}, &file));
    EXPECT_EQ(BackupPath(L"mail.dat"), file);

    const BackupLevel top = ReadBackupLevel(file, {L"Local Mail"});
    EXPECT_EQ((std::vector<std::wstring>{L"Inbox", L"Sent Items"}), FolderNames(top.catalog));
    EXPECT_EQ((std::vector<std::wstring>{L"Inbox", L"Sent Items"}), StorageNames(top.catalog));
    const BackupLevel inboxLevel = ReadBackupLevel(file, {L"Local Mail", L"Inbox"});
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"Catalog", L"Work", L"message"}), inboxLevel.elements);
    ASSERT_EQ(2u, inboxLevel.messages.size());
    EXPECT_EQ(big.size(), inboxLevel.messages[1].dwSize);
    std::string saved;
    ASSERT_TRUE(ReadBackupStream(file, {L"Local Mail", L"Inbox"}, L"2", saved));
    EXPECT_EQ(big, saved);
    const BackupLevel projectsLevel = ReadBackupLevel(file, {L"Local Mail", L"Inbox", L"Work", L"Projects"});
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"Catalog", L"message"}), projectsLevel.elements);

    UseNewStore(L"restored");
    ASSERT_EQ(1, Restore(file, {L"inbox", L"SENT ITEMS", L"Junk"}));
    EXPECT_EQ((std::vector<std::string>{"Inbox", "Sent Items"}), SubFolderNames(0));
    const DWORD newInbox = SubFolderId(0, "Inbox");
    EXPECT_EQ((std::vector<std::string>{Message("one"), big}), MessageBytes(newInbox));
    EXPECT_EQ((std::vector<std::string>{Message("sent")}), MessageBytes(SubFolderId(0, "Sent Items")));
    const DWORD newWork = SubFolderId(newInbox, "Work");
    EXPECT_EQ((std::vector<std::string>{Message("work")}), MessageBytes(newWork));
    EXPECT_EQ((std::vector<std::string>{Message("plan")}), MessageBytes(SubFolderId(newWork, "Projects")));

    // Restoring again adds nothing.
    ASSERT_EQ(1, Restore(file, {L"Inbox"}));
    EXPECT_EQ(2u, MessageBytes(newInbox).size());
}

TEST_F(PostrelMailStore, StorageNamesAreCleanedAndReusedByTheNextBackup)
{
    const DWORD names = storestandin::AddFolder(0, "Names");
    storestandin::AddFolder(0, "Catalog");
    storestandin::AddFolder(0, "message");
    const std::vector<std::pair<std::string, std::wstring>> expected = {
        {"Catalog", L"PR_Catalog"},
        {"message", L"PR_message"},
        {"\x01"
         "abc",
         L"PR_\x01"
         L"abc"},
        {":/.", L"Folder"},
        {"a.b", L"ab"},
        {"ab", L"ab1"},
        {std::string(40, 'L'), std::wstring(29, L'L')},
        {"\xE9t\xE9", L"\u00E9t\u00E9"},
        {"2009", L"PR_2009"},
        {"x!y\\z", L"xyz"},
    };
    for (const auto &entry : expected)
    {
        const DWORD folder = storestandin::AddFolder(names, entry.first);
        ASSERT_NE(kNone, folder) << entry.first;
        storestandin::AddMessage(folder, Message(entry.first));
    }
    storestandin::AddMessage(names, Message("names"));

    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Names", L"Catalog", L"message"}));
    const BackupLevel top = ReadBackupLevel(file, {L"Local Mail"});
    EXPECT_EQ((std::vector<std::wstring>{L"Names", L"PR_Catalog", L"message"}), StorageNames(top.catalog));
    const BackupLevel level = ReadBackupLevel(file, {L"Local Mail", L"Names"});
    std::vector<std::wstring> storages;
    for (const auto &entry : expected)
        storages.push_back(entry.second);
    EXPECT_EQ(storages, StorageNames(level.catalog));
    for (const auto &entry : expected)
    {
        std::string saved;
        EXPECT_TRUE(ReadBackupStream(file, {L"Local Mail", L"Names", entry.second}, L"1", saved)) << entry.first;
        EXPECT_EQ(Message(entry.first), saved) << entry.first;
    }

    // The second backup finds every folder's storage by its catalog record.
    ASSERT_EQ(1, Backup(file, {L"Names", L"Catalog", L"message"}));
    EXPECT_EQ(storages, StorageNames(ReadBackupLevel(file, {L"Local Mail", L"Names"}).catalog));
    EXPECT_EQ(3u, ReadBackupLevel(file, {L"Local Mail"}).catalog.size());
    EXPECT_EQ(level.elements, ReadBackupLevel(file, {L"Local Mail", L"Names"}).elements);

    UseNewStore(L"restored");
    ASSERT_EQ(1, Restore(file, {L"Names"}));
    std::vector<std::string> folderNames;
    for (const auto &entry : expected)
        folderNames.push_back(entry.first);
    EXPECT_EQ(folderNames, SubFolderNames(SubFolderId(0, "Names")));
}

TEST_F(PostrelMailStore, BackupsAreIncrementalAndACollidingIdIsRenumbered)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddMessage(inbox, Message("one"));
    storestandin::AddMessage(inbox, Message("two"));
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    EXPECT_EQ((std::vector<DWORD>{1, 2}), Numbers(ReadBackupLevel(file, {L"Local Mail", L"Inbox"}).messages));

    storestandin::AddMessage(inbox, Message("three"));
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    EXPECT_EQ((std::vector<DWORD>{1, 2, 3}), Numbers(ReadBackupLevel(file, {L"Local Mail", L"Inbox"}).messages));

    // The store starts its ids again: the new message 1 is not the saved 1 and is saved under 4.
    for (DWORD id : {1, 2, 3})
        storestandin::DeleteMessage(inbox, id);
    ASSERT_EQ(1u, storestandin::AddMessage(inbox, Message("four", "A longer body than before.\r\n")));
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    const BackupLevel level = ReadBackupLevel(file, {L"Local Mail", L"Inbox"});
    ASSERT_EQ((std::vector<DWORD>{1, 2, 3, 4}), Numbers(level.messages));
    EXPECT_EQ(Message("four", "A longer body than before.\r\n").size(), level.messages[3].dwSize);
    std::string saved;
    ASSERT_TRUE(ReadBackupStream(file, {L"Local Mail", L"Inbox"}, L"4", saved));
    EXPECT_EQ(Message("four", "A longer body than before.\r\n"), saved);
    ASSERT_TRUE(ReadBackupStream(file, {L"Local Mail", L"Inbox"}, L"1", saved));
    EXPECT_EQ(Message("one"), saved);
}

TEST_F(PostrelMailStore, TwoMessagesOfOneSizeAreBothKept)
{
    const std::string a = Message("A", "xx"), b = Message("B", "yy");
    ASSERT_EQ(a.size(), b.size());
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddMessage(inbox, a);
    storestandin::AddMessage(inbox, b);
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    EXPECT_EQ((std::vector<DWORD>{1, 2}), Numbers(ReadBackupLevel(file, {L"Local Mail", L"Inbox"}).messages));
    std::string saved;
    ASSERT_TRUE(ReadBackupStream(file, {L"Local Mail", L"Inbox"}, L"2", saved));
    EXPECT_EQ(b, saved);

    // A store that holds one of them gets the other only.
    UseNewStore(L"other");
    const DWORD otherInbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddMessage(otherInbox, b);
    ASSERT_EQ(1, Restore(file, {L"Inbox"}));
    EXPECT_EQ((std::vector<std::string>{b, a}), MessageBytes(otherInbox));
}

TEST_F(PostrelMailStore, AFolderNameLongerThanItsCatalogRecordIsFoundAgain)
{
    std::string name = "Correspondence with the county council about the bridge repairs";
    while (name.size() < 120)
        name += " and more";
    name.resize(120);
    const std::wstring wide(name.begin(), name.end());
    const DWORD folder = storestandin::AddFolder(0, name);
    storestandin::AddMessage(folder, Message("x"));
    storestandin::AddMessage(folder, Message("why"));
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {wide}));
    ASSERT_EQ(1, Backup(file, {wide}));
    const BackupLevel top = ReadBackupLevel(file, {L"Local Mail"});
    ASSERT_EQ(1u, top.catalog.size());
    EXPECT_EQ(wide.substr(0, 99), top.catalog[0].szFolderName);
    EXPECT_EQ(2u, ReadBackupLevel(file, {L"Local Mail", top.catalog[0].szStorageName}).messages.size());

    storestandin::DeleteMessage(folder, 1);
    ASSERT_EQ(1, Restore(file, {wide}));
    EXPECT_EQ((std::vector<std::string>{name}), SubFolderNames(0));
    EXPECT_EQ((std::vector<std::string>{Message("why"), Message("x")}), MessageBytes(folder));
}

TEST_F(PostrelMailStore, ARestoreLeavesAReadOnlyBackupAsItWas)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddMessage(storestandin::AddFolder(inbox, "Sub"), Message("sub"));
    storestandin::AddMessage(inbox, Message("one"));
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string before = testsupport::ReadFileBytes(file);

    UseNewStore(L"restored");
    EXPECT_EQ(1, Restore(file, {L"Inbox"}));
    EXPECT_EQ((std::vector<std::string>{Message("one")}), MessageBytes(SubFolderId(0, "Inbox")));
    EXPECT_EQ(before, testsupport::ReadFileBytes(file));
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}
