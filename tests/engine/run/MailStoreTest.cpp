#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/run/DestPaths.h"
#include "engine/run/MailStoreBackup.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "engine/support/EngineTestSupport.h"
#include "platform/system/ComGlue.h"
#include "platform/system/Handles.h"
#include "support/TestSupport.h"

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

std::wstring Calls()
{
    int length = OutlookTesselGetCalls(nullptr, 0);
    std::wstring calls(static_cast<size_t>(length) + 1, L'\0');
    OutlookTesselGetCalls(&calls[0], length + 1);
    calls.resize(static_cast<size_t>(length));
    return calls;
}

const std::wstring kWholeCatalog = L" [2 1:Inbox 2:Sent Items]";

class MailStore : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_com.Succeeded());
        OutlookTesselReset();
        m_liveBefore = OutlookTesselLiveEntries();
        m_savedLogPath = g_strLogPath;
        g_strLogPath = (m_folder / L"Zel.log").c_str();
        m_document = enginetest::NewStoreDocument();
        SetXmlStoreDocument(m_document);
        m_element = NewElement(L"jobdef");
        XmlSetAttributeString(m_element, L"name", L"MailJob");
        XmlSetAttributeString(m_element, L"dest", Dest().c_str());
        XmlSetAttributeInt(m_element, L"sync_type", 1);
        m_job = std::make_unique<CSyncJob>();
        m_job->Attach(m_element);
        ASSERT_TRUE(::CreateDirectoryW(MailFolder().c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(Store(), "store messages"));
    }

    void TearDown() override
    {
        EXPECT_EQ(OutlookTesselLiveEntries(), m_liveBefore) << "a catalog was not freed";
        OutlookTesselReset();
        m_job.reset();
        m_element = nullptr;
        SetXmlStoreDocument(nullptr);
        m_document = nullptr;
        g_strLogPath = m_savedLogPath;
    }

    IXMLDOMElementPtr NewElement(LPCWSTR name)
    {
        return enginetest::NewStoreElement(m_document, name);
    }

    void SetSyncType(int type)
    {
        m_job->GetJobDef()->SetSyncType(type);
    }

    std::wstring MailFolder() const
    {
        return m_folder / L"Mail\\";
    }
    std::wstring Store() const
    {
        return MailFolder() + L"Inbox.pst";
    }
    std::wstring Dest() const
    {
        return m_folder / L"dest\\";
    }
    std::wstring Copy() const
    {
        return Dest() + L"Inbox.pst";
    }

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;
    IXMLDOMDocument2Ptr m_document;
    IXMLDOMElementPtr m_element;
    std::unique_ptr<CSyncJob> m_job;
    long m_liveBefore = 0;
    CString m_savedLogPath;
};

TEST_F(MailStore, FailedInitCallsTermOnceAndReturnsItsError)
{
    _OLCATALOGDATA entry;
    const std::wstring sequence = L"Construct\nInit\nTerm\nDestroy\n";

    OutlookTesselScriptFailure(L"Init", 1, ERROR_NOT_READY);
    EXPECT_EQ(BackupMailStore(*m_job, Store().c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_NOT_READY));
    EXPECT_EQ(Calls(), sequence);

    OutlookTesselReset();
    OutlookTesselScriptFailure(L"Init", 1, ERROR_NOT_READY);
    EXPECT_EQ(SyncMailStore(*m_job, Store().c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_NOT_READY));
    EXPECT_EQ(Calls(), sequence);

    OutlookTesselReset();
    OutlookTesselScriptFailure(L"Init", 1, ERROR_NOT_READY);
    EXPECT_EQ(BackupMailFolders(*m_job, Copy().c_str(), Store().c_str(), &entry, 1),
              static_cast<DWORD>(ERROR_NOT_READY));
    EXPECT_EQ(Calls(), sequence);
    EXPECT_EQ(ReadFileBytes(Copy()), "");
}

TEST_F(MailStore, CatalogIsFreedAndTermCalledWhenACallFails)
{
    OutlookTesselScriptFailure(L"BackupMessage", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(BackupMailStore(*m_job, Store().c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nGetCatalog " + Store() + L"\nBackupMessage " + Store() +
                           L" > " + Copy() + kWholeCatalog + L"\nTerm\nDestroy\n");
    EXPECT_EQ(OutlookTesselLiveEntries(), m_liveBefore);

    // A store that is not there: the library's own error comes back, nothing is backed up.
    OutlookTesselReset();
    const std::wstring missing = MailFolder() + L"Gone.pst";
    EXPECT_EQ(BackupMailStore(*m_job, missing.c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nGetCatalog " + missing + L"\nTerm\nDestroy\n");

    // A library that fails without an error code must not read as success.
    OutlookTesselReset();
    OutlookTesselScriptFailure(L"BackupMessage", 1, 0);
    EXPECT_EQ(BackupMailStore(*m_job, Store().c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_EQ(ReadFileBytes(Copy()), "");
}

TEST_F(MailStore, SyncGoesBothWaysAndStopsAtTheFirstFailure)
{
    EXPECT_EQ(SyncMailStore(*m_job, Store().c_str(), Copy().c_str()), 0u);
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nGetCatalog " + Store() + L"\nSyncMessage " + Store() + L" > " +
                           Copy() + kWholeCatalog + L"\nGetCatalog " + Copy() + L"\nSyncMessage " + Copy() + L" > " +
                           Store() + kWholeCatalog + L"\nTerm\nDestroy\n");
    EXPECT_EQ(ReadFileBytes(Copy()), "store messages");

    OutlookTesselReset();
    OutlookTesselScriptFailure(L"GetCatalog", 2, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(SyncMailStore(*m_job, Store().c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nGetCatalog " + Store() + L"\nSyncMessage " + Store() + L" > " +
                           Copy() + kWholeCatalog + L"\nGetCatalog " + Copy() + L"\nTerm\nDestroy\n");
}

TEST_F(MailStore, WholeStoreIsBackedUpOrSynchronisedByTheJobsSyncType)
{
    // Big enough for several progress reports; each adds its bytes to the job's bytes done.
    const std::string messages(2 * 1024 * 1024 + 12345, 'm');
    ASSERT_TRUE(WriteFileBytes(Store(), messages));
    m_job->m_bytesDone = 100;

    EXPECT_EQ(BackupMailStores(*m_job, m_element, (Store() + L"\\").c_str(), (Copy() + L"\\\\").c_str()), 0u);
    EXPECT_EQ(ReadFileBytes(Copy()), messages);
    EXPECT_EQ(m_job->m_bytesDone.Get(), 100u + messages.size());
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nGetCatalog " + Store() + L"\nBackupMessage " + Store() +
                           L" > " + Copy() + kWholeCatalog + L"\nTerm\nDestroy\n");

    OutlookTesselReset();
    SetSyncType(0);
    EXPECT_EQ(BackupMailStores(*m_job, m_element, (Store() + L"\\").c_str(), Copy().c_str()), 0u);
    EXPECT_NE(Calls().find(L"\nSyncMessage " + Copy() + L" > " + Store()), std::wstring::npos) << Calls();
}

TEST_F(MailStore, ChosenFoldersBecomeCatalogEntries)
{
    IXMLDOMElementPtr src = NewElement(L"src");
    XmlSetAttributeString(src, L"path", (Store() + L"\\").c_str());
    IXMLDOMElementPtr under = NewElement(L"file");
    // Case differs from the store path: still under it.
    std::wstring upper = Store();
    for (auto &c : upper)
        c = static_cast<wchar_t>(towupper(c));
    XmlSetAttributeString(under, L"path", (upper + L"\\Inbox\\Projects").c_str());
    XmlSetAttributeInt(under, L"itemID", 5);
    IXMLDOMElementPtr outside = NewElement(L"file");
    XmlSetAttributeString(outside, L"path", L"D:\\Elsewhere\\Archive\\");
    XmlSetAttributeInt(outside, L"itemID", 9);
    IXMLDOMNodePtr added;
    _com_util::CheckError(src->appendChild(under, &added));
    _com_util::CheckError(src->appendChild(outside, &added));
    const std::wstring chosen = L" [2 5:Inbox\\Projects 9:Archive]";

    EXPECT_EQ(BackupMailStores(*m_job, src, (Store() + L"\\").c_str(), Copy().c_str()), 0u);
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nBackupMessage " + Store() + L" > " + Copy() + chosen +
                           L"\nTerm\nDestroy\n");
    EXPECT_EQ(ReadFileBytes(Copy()), "store messages");

    // Synchronised: a missing destination is first made from an empty selection of one entry.
    ASSERT_TRUE(::DeleteFileW(Copy().c_str()));
    SetSyncType(0);
    OutlookTesselReset();
    EXPECT_EQ(BackupMailStores(*m_job, src, Store().c_str(), Copy().c_str()), 0u);
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nBackupMessage " + Store() + L" > " + Copy() +
                           L" [1 0:]\nSyncMessage " + Store() + L" > " + Copy() + chosen + L"\nTerm\nDestroy\n");

    // With the destination there it is only synchronised; a failure there is the result.
    OutlookTesselReset();
    OutlookTesselScriptFailure(L"SyncMessage", 1, ERROR_DISK_FULL);
    EXPECT_EQ(BackupMailStores(*m_job, src, Store().c_str(), Copy().c_str()), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(Calls(), L"Construct\nInit\nSetCallBack 2\nSyncMessage " + Store() + L" > " + Copy() + chosen +
                           L"\nTerm\nDestroy\n");
}

TEST_F(MailStore, CatalogEntryNames)
{
    _OLCATALOGDATA entry;
    entry.reserved2[0] = 7;

    FillMailCatalogEntry(entry, 3, L"C:\\Mail\\Inbox.pst\\Inbox\\Sub\\", L"C:\\Mail\\Inbox.pst\\");
    EXPECT_EQ(entry.itemID, 3u);
    EXPECT_STREQ(entry.name, L"Inbox\\Sub");
    EXPECT_EQ(entry.reserved2[0], 7) << "only the id and the name are written";

    // Shorter than the store path, or only sharing its first letters: the last component.
    FillMailCatalogEntry(entry, 4, L"C:\\M", L"C:\\Mail\\Inbox.pst");
    EXPECT_STREQ(entry.name, L"M");
    FillMailCatalogEntry(entry, 4, L"C:\\Mail\\Inbox.pst2\\Drafts", L"C:\\Mail\\Inbox.pst");
    EXPECT_STREQ(entry.name, L"Drafts");
    FillMailCatalogEntry(entry, 4, L"C:\\Mail\\Inbox.pst", L"C:\\Mail\\Inbox.pst");
    EXPECT_STREQ(entry.name, L"");
    FillMailCatalogEntry(entry, 4, L"", L"C:\\Mail\\Inbox.pst");
    EXPECT_STREQ(entry.name, L"");

    // At most 49 characters, terminated.
    const std::wstring longName(80, L'x');
    FillMailCatalogEntry(entry, 1, (L"C:\\Mail\\Inbox.pst\\" + longName).c_str(), L"C:\\Mail\\Inbox.pst");
    EXPECT_EQ(std::wstring(entry.name), longName.substr(0, kMailFolderNameChars));
}

TEST_F(MailStore, DestinationOfAMailStoreSource)
{
    CString out = L"untouched";
    const CString source = L"C:\\Users\\Bob\\Mail\\Inbox.pst\\";

    ASSERT_TRUE(GetMailStoreDestPath(*m_job, source, out));
    EXPECT_EQ(std::wstring(out.GetString()), Dest() + L"Inbox.pst\\");

    m_job->GetJobDef()->SetRetainFullPath(1);
    ASSERT_TRUE(GetMailStoreDestPath(*m_job, source, out));
    EXPECT_EQ(std::wstring(out.GetString()),
              Dest() + GetDestComputerName().GetString() + L"_C\\Users\\Bob\\Mail\\Inbox.pst\\");

    m_job->GetJobDef()->SetFolder2Folder(1);
    ASSERT_TRUE(GetMailStoreDestPath(*m_job, source, out));
    EXPECT_EQ(std::wstring(out.GetString()), Dest());
}

TEST(MailStoreFolder, GetPstFolderExamples)
{
    CString out;
    ASSERT_TRUE(CSyncJob::GetPstFolder(L"C:\\Users\\Bob\\Documents\\", L"E:\\Backup\\", out));
    EXPECT_STREQ(out.GetString(), L"E:\\Backup\\Documents\\");
    ASSERT_TRUE(CSyncJob::GetPstFolder(L"D:\\", L"E:\\Backup\\", out));
    EXPECT_STREQ(out.GetString(), L"E:\\Backup\\D\\");
    ASSERT_TRUE(CSyncJob::GetPstFolder(L"C:\\Mail\\Outlook.pst\\", L"E:\\Backup", out));
    EXPECT_STREQ(out.GetString(), L"E:\\Backup\\Outlook.pst\\");
    ASSERT_TRUE(CSyncJob::GetPstFolder(L"Outlook.pst", L"E:\\", out));
    EXPECT_STREQ(out.GetString(), L"E:\\Outlook.pst\\");

    out = L"untouched";
    EXPECT_FALSE(CSyncJob::GetPstFolder((L"C:\\" + std::wstring(300, L'a') + L"\\").c_str(), L"E:\\Backup\\", out));
    EXPECT_FALSE(CSyncJob::GetPstFolder(L"C:\\Mail\\Outlook.pst\\", L"", out));
    EXPECT_STREQ(out.GetString(), L"untouched");
}

} // namespace
