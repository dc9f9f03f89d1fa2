// Helpers of the mail library's tests: COM on the test thread with the store stand-in registered, the trace
// log, and a look into backup files.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/storage/IndexRecords.h"
#include "outside/WinMailStore/StoreStandIn.h"
#include "support/TestSupport.h"

namespace mailtest
{

// The lines of a text, without their line ends (a trailing "\r" of any count is dropped).
std::vector<std::string> Lines(const std::string &text);
// True when a line of the trace ends with the text.
bool Traced(const std::vector<std::string> &lines, const std::string &text);

// A temporary folder, and the library's trace state reset before and after.
class MailTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Traces into "trace.log" of the temporary folder from now on; TraceLines reads what came so far.
    void StartTrace();
    std::vector<std::string> TraceLines() const;
    std::wstring TraceLog() const
    {
        return m_temp / L"trace.log";
    }

    testsupport::TempFolder m_temp;
};

// COM on the test's thread and the store stand-in registered as the store namespace, with its store in
// Store() (created empty).
class MailStoreTest : public MailTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The store's folder ("...\store\") and a free backup path in the temporary folder.
    std::wstring Store() const
    {
        return m_temp / L"store\\";
    }
    std::wstring BackupPath(const std::wstring &name = L"mail.dat") const
    {
        return m_temp / name;
    }
    // Points the stand-in at an empty store of its own ("...\<name>\").
    std::wstring UseNewStore(const std::wstring &name);
    // Takes the stand-in away: the store namespace is then not registered, as under Wine.
    void Unregister();

    // The library's exports with the wanted names as a list.
    BOOL Backup(const std::wstring &path, const std::vector<std::wstring> &names, std::wstring *completed = nullptr);
    BOOL Restore(const std::wstring &path, const std::vector<std::wstring> &names);

  private:
    HRESULT m_com = E_FAIL;
    DWORD m_cookie = 0;
};

// What a backup file holds at one storage level (read through the platform, not the library).
struct BackupLevel
{
    bool opened = false;
    std::vector<CATALOGINFO> catalog;
    std::vector<MESSAGEINFO> messages;
    // Element names of the level, sorted.
    std::vector<std::wstring> elements;
};
// The level at the path of storage names below the root ({"Local Mail", "Inbox"}).
BackupLevel ReadBackupLevel(const std::wstring &file, const std::vector<std::wstring> &storages);
// The bytes of a stream at that level; false when it cannot be read.
bool ReadBackupStream(const std::wstring &file, const std::vector<std::wstring> &storages, const std::wstring &name,
                      std::string &bytes);

// Writes a stream at that level (storages made as needed), replacing one of that name.
bool WriteBackupStream(const std::wstring &file, const std::vector<std::wstring> &storages, const std::wstring &name,
                       const std::string &bytes);

// The storage names of a catalog, in order.
std::vector<std::wstring> StorageNames(const std::vector<CATALOGINFO> &catalog);
std::vector<std::wstring> FolderNames(const std::vector<CATALOGINFO> &catalog);

// Runs the function on a thread of its own (a fresh COM state) and waits for it.
void OnNewThread(void (*body)(void *), void *context);

} // namespace mailtest
