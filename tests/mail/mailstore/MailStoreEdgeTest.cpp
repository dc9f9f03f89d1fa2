// The mail store exports at their edges: no names, no folders, no store, the catalog callback, failures of
// the store and backups that are damaged.
#include "mail/Postrel.h"

#include <gtest/gtest.h>

#include "mail/frame/Trace.h"
#include "mail/mailstore/MailStoreNames.h"
#include "mail/mailstore/StoreNamespace.h"
#include "mail/storage/Storager.h"
#include "mail/support/MailTestSupport.h"
#include "platform/system/ComPtr.h"

using PostrelMailStore = mailtest::MailStoreTest;
using namespace mailtest;

namespace
{

struct CatalogCall
{
    std::wstring name;
    LONG value;
    void *user;
};

void RecordCatalog(const wchar_t *name, LONG value, void *user)
{
    static_cast<std::vector<CatalogCall> *>(user)->push_back(CatalogCall{name, value, user});
}

} // namespace

TEST_F(PostrelMailStore, NoNamesMakeAnEmptyBackupAndRestoreNothing)
{
    storestandin::AddMessage(storestandin::AddFolder(0, "Inbox", FOLDER_INBOX), Message("one"));
    wchar_t path[MAX_PATH];
    wcscpy(path, BackupPath(L"none").c_str());
    EXPECT_EQ(1, BackupWinMail(path, MAX_PATH, nullptr, 0));
    EXPECT_EQ(BackupPath(L"none.dat"), path);
    const BackupLevel top = ReadBackupLevel(path, {L"Local Mail"});
    EXPECT_TRUE(top.opened);
    EXPECT_EQ((std::vector<std::wstring>{L"Catalog"}), top.elements);
    EXPECT_TRUE(top.catalog.empty());
    EXPECT_EQ(1, RestoreWinMail(BackupPath(L"missing.dat").c_str(), nullptr, 0)) << "the file is never opened";
}

TEST_F(PostrelMailStore, AStoreWithoutFoldersLeavesEverythingAlone)
{
    wchar_t path[MAX_PATH];
    wcscpy(path, BackupPath(L"mail.bak").c_str());
    const wchar_t *names[] = {L"Inbox"};
    EXPECT_EQ(1, BackupWinMail(path, MAX_PATH, names, 1));
    EXPECT_EQ(BackupPath(L"mail.bak"), path);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(BackupPath(L"mail.dat").c_str()));
    std::vector<CatalogCall> calls;
    EXPECT_EQ(0, GetWinMailCatalog(&RecordCatalog, &calls));
    EXPECT_TRUE(calls.empty());
}

TEST_F(PostrelMailStore, TheCatalogCallbackGetsEveryTopLevelFolderInOrder)
{
    const std::pair<const char *, LONG> folders[] = {{"Inbox", FOLDER_INBOX},     {"Outbox", FOLDER_OUTBOX},
                                                     {"Sent Items", FOLDER_SENT}, {"Deleted Items", FOLDER_DELETED},
                                                     {"Drafts", FOLDER_DRAFT},    {"Archive", FOLDER_NOTSPECIAL}};
    for (const auto &folder : folders)
        storestandin::AddFolder(0, folder.first, folder.second);
    storestandin::AddFolder(SubFolderId(0, "Archive"), "Not top-level");
    std::vector<CatalogCall> calls;
    ASSERT_EQ(1, GetWinMailCatalog(&RecordCatalog, &calls));
    ASSERT_EQ(6u, calls.size());
    for (size_t i = 0; i < calls.size(); ++i)
    {
        EXPECT_EQ(std::wstring(folders[i].first, folders[i].first + strlen(folders[i].first)), calls[i].name);
        EXPECT_EQ(folders[i].second, calls[i].value);
        EXPECT_EQ(&calls, calls[i].user);
    }
}

TEST_F(PostrelMailStore, WithoutAStoreEveryExportFails)
{
    // As under Wine, which registers no store namespace.
    storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    Unregister();
    std::vector<CatalogCall> calls;
    EXPECT_EQ(0, GetWinMailCatalog(&RecordCatalog, &calls));
    EXPECT_EQ(1, GetWinMailDirectory(nullptr, 0));
    wchar_t directory[4] = L"xyz";
    EXPECT_EQ(1, GetWinMailDirectory(directory, 4));
    EXPECT_STREQ(L"", directory);
    EXPECT_EQ(0, Backup(BackupPath(), {L"Inbox"}));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(BackupPath().c_str()));
    EXPECT_EQ(0, Restore(BackupPath(), {L"Inbox"}));
}

TEST_F(PostrelMailStore, AMessageThatCannotBeReadFailsTheBackupButNotTheOthers)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    for (const char *subject : {"one", "two", "three"})
        storestandin::AddMessage(inbox, Message(subject));
    StartTrace();
    storestandin::ScriptFailure(L"OpenMessage", 2, E_FAIL);
    const std::wstring file = BackupPath();
    EXPECT_EQ(0, Backup(file, {L"Inbox"}));
    EXPECT_TRUE(Traced(TraceLines(), ": Can not save message: two"));
    EXPECT_EQ(2u, ReadBackupLevel(file, {L"Local Mail", L"Inbox"}).messages.size());

    storestandin::Reset();
    storestandin::SetRoot(Store());
    EXPECT_EQ(1, Backup(file, {L"Inbox"}));
    const BackupLevel level = ReadBackupLevel(file, {L"Local Mail", L"Inbox"});
    ASSERT_EQ(3u, level.messages.size());
    EXPECT_EQ(2u, level.messages[2].dwNumber);
}

TEST_F(PostrelMailStore, StoreFailuresFailTheRestoreAndKeepWhatWasDone)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddFolder(0, "Sent Items", FOLDER_SENT);
    const std::vector<std::string> messages = {Message("one"), Message("two"), Message("three")};
    for (const std::string &message : messages)
        storestandin::AddMessage(inbox, message);
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Inbox", L"Sent Items"}));

    struct FailureCase
    {
        const wchar_t *call;
        DWORD which;
        std::vector<std::string> restored; // in Inbox afterwards
    };
    const FailureCase cases[] = {
        {L"CreateStream", 1, {messages[1], messages[2]}},
        {L"CommitStream", 2, {messages[0], messages[2]}},
        {L"CreateFolder", 1, {}},
    };
    int round = 0;
    for (const FailureCase &c : cases)
    {
        const std::wstring root = UseNewStore(L"failing" + std::to_wstring(++round));
        storestandin::Reset();
        storestandin::SetRoot(root);
        storestandin::ScriptFailure(c.call, c.which, E_FAIL);
        EXPECT_EQ(0, Restore(file, {L"Inbox", L"Sent Items"})) << c.call;
        EXPECT_EQ(c.restored, MessageBytes(SubFolderId(0, "Inbox"))) << c.call;

        // The next restore brings the rest, nothing twice.
        storestandin::Reset();
        storestandin::SetRoot(root);
        EXPECT_EQ(1, Restore(file, {L"Inbox", L"Sent Items"})) << c.call;
        EXPECT_EQ(3u, MessageBytes(SubFolderId(0, "Inbox")).size()) << c.call;
        EXPECT_EQ((std::vector<std::string>{"Inbox", "Sent Items"}).size(), SubFolderNames(0).size()) << c.call;
    }
}

TEST_F(PostrelMailStore, DamagedBackupsFailWithoutHarm)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddMessage(inbox, Message("one"));
    storestandin::AddMessage(inbox, Message("two"));
    storestandin::AddMessage(storestandin::AddFolder(inbox, "Sub"), Message("sub"));
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    const std::string good = testsupport::ReadFileBytes(file);
    StartTrace();

    EXPECT_EQ(0, Restore(BackupPath(L"missing.dat"), {L"Inbox"}));
    EXPECT_TRUE(Traced(TraceLines(), ": Invalid file path"));

    // A file of that name that is not a compound file is neither restored from nor replaced by a backup.
    const std::wstring text = BackupPath(L"notes.dat");
    ASSERT_TRUE(testsupport::WriteFileBytes(text, "not a compound file"));
    EXPECT_EQ(0, Restore(text, {L"Inbox"}));
    EXPECT_TRUE(Traced(TraceLines(), ": The file is not a compound file."));
    EXPECT_EQ(0, Backup(text, {L"Inbox"}));
    EXPECT_EQ("not a compound file", testsupport::ReadFileBytes(text));

    const std::wstring truncated = BackupPath(L"truncated.dat");
    for (size_t size : {good.size() / 2, size_t(512), size_t(100)})
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(truncated, good.substr(0, size)));
        UseNewStore(L"truncated" + std::to_wstring(size));
        EXPECT_EQ(0, Restore(truncated, {L"Inbox"})) << size;
    }

    // Bit flips anywhere in the file: no crash, and whatever the result, no message of the store is lost.
    const std::wstring flipped = BackupPath(L"flipped.dat");
    for (size_t at = 0; at < good.size(); at += 61)
    {
        std::string bytes = good;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        ASSERT_TRUE(testsupport::WriteFileBytes(flipped, bytes));
        UseNewStore(L"flipped" + std::to_wstring(at));
        const DWORD kept = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
        storestandin::AddMessage(kept, Message("kept"));
        Restore(flipped, {L"Inbox"});
        EXPECT_EQ(Message("kept"), MessageBytes(kept).at(0)) << at;
    }
}

TEST_F(PostrelMailStore, ARecordWithoutItsStreamFailsAndTheOthersAreRestored)
{
    const DWORD inbox = storestandin::AddFolder(0, "Inbox", FOLDER_INBOX);
    storestandin::AddMessage(inbox, Message("one"));
    storestandin::AddMessage(inbox, Message("two"));
    const std::wstring file = BackupPath();
    ASSERT_EQ(1, Backup(file, {L"Inbox"}));
    {
        CStorager storager;
        ASSERT_TRUE(storager.Open(file.c_str(), FALSE));
        ASSERT_TRUE(storager.OpenStorage(L"Local Mail"));
        ASSERT_TRUE(storager.OpenStorage(L"Inbox"));
        CComPtr<IStream> index;
        ASSERT_TRUE(storager.OpenStream(&index, L"message", FALSE));
        ASSERT_EQ(S_OK, AppendIndexRecord(index.p, MESSAGEINFO{99, 5}));
        index->Write("odd", 3, nullptr); // and a part record
    }
    StartTrace();
    UseNewStore(L"restored");
    EXPECT_EQ(0, Restore(file, {L"Inbox"}));
    EXPECT_TRUE(Traced(TraceLines(), ": Can not read stream: 99."));
    EXPECT_EQ((std::vector<std::string>{Message("one"), Message("two")}), MessageBytes(SubFolderId(0, "Inbox")));
}
