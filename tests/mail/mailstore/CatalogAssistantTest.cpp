// The two numbering rules of the mail store's backup: storage names of folders and numbers of messages.
#include "mail/mailstore/CatalogAssistant.h"

#include <gtest/gtest.h>

#include "mail/mailstore/MailStore.h"
#include "mail/storage/Storager.h"
#include "mail/support/MailTestSupport.h"

using PostrelMailStore = mailtest::MailStoreTest;

TEST_F(PostrelMailStore, StorageNamesAreValidAndUniqueOnTheirLevel)
{
    CStorager storager;
    ASSERT_TRUE(storager.Open(BackupPath().c_str(), TRUE));
    CatalogAssistant catalog;
    ASSERT_TRUE(catalog.Open(storager, TRUE));
    catalog.AddReservedName(L"message");
    catalog.AddReservedName(L"MESSAGE");
    const struct
    {
        const wchar_t *folder;
        const wchar_t *storage;
    } cases[] = {
        {L"Inbox", L"Inbox"},
        {L"inbox", L"inbox1"}, // names of one level differ without regard to case
        {L"catalog", L"PR_catalog"},
        {L"Message", L"PR_Message"},
        {L"\tTab", L"PR_\tTab"},
        {L"a:b!c/d.e\\f", L"abcdef"},
        {L":!/.\\", L"Folder"},
        {L"...", L"Folder1"},
        {L"12345", L"PR_12345"},
        {L"Year 2009", L"Year 2009"},
        {L"abcdefghijklmnopqrstuvwxyz0123456789", L"abcdefghijklmnopqrstuvwxyz012"},
        {L"abcdefghijklmnopqrstuvwxyz012 and more", L"abcdefghijklmnopqrstuvwxyz0121"},
    };
    for (const auto &c : cases)
    {
        CString storage;
        ASSERT_TRUE(catalog.MakeStorageName(storage, c.folder)) << c.folder;
        EXPECT_STREQ(c.storage, storage) << c.folder;
        ASSERT_TRUE(catalog.AddRecord(c.folder, storage));
        // The name is one the platform takes.
        EXPECT_TRUE(storager.CreateStorage(storage)) << storage.GetString();
        storager.CloseStorage();
    }
    CString found;
    EXPECT_TRUE(catalog.FindStorageName(found, L"INBOX", true));
    EXPECT_STREQ(L"Inbox", found);
    EXPECT_FALSE(catalog.FindStorageName(found, L"INBOX"));
}

TEST_F(PostrelMailStore, AMessageKeepsItsIdUnlessASavedOneHasIt)
{
    const struct
    {
        std::vector<DWORD> saved;
        DWORD id;
        DWORD number;
    } cases[] = {
        {{}, 7, 7}, {{1, 2}, 7, 7}, {{5}, 5, 1}, {{1, 5}, 5, 2}, {{1, 2, 3}, 1, 4}, {{3, 1, 2}, 3, 4}, {{2, 4}, 4, 1},
    };
    for (const auto &c : cases)
    {
        std::vector<MESSAGEINFO> records;
        for (DWORD number : c.saved)
            records.push_back(MESSAGEINFO{number, 10});
        EXPECT_EQ(c.number, MakeMessageNumber(records, c.id)) << c.id;
    }
}
