// Delayed notification: the filter of the wrapper, the stop handshake, the life of a wrapper with records on
// their way, a failed post, and the notification thread.
#include <atomic>
#include <thread>

#include "WatchTestSupport.h"
#include "engine/watch/DelayedNotification.h"
#include "engine/watch/DirectoryChangeWatcher.h"

using namespace watchtest;

namespace
{

class DelayedNotify : public WatchTest
{
};

std::atomic<int> g_posts{0};

BOOL WINAPI FailFirstPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_posts++ == 0)
    {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return ::PostMessageW(window, message, wParam, lParam);
}

} // namespace

TEST_F(DelayedNotify, FilterPassesByPatternsKindAndAcceptChange)
{
    RecordingHandler handler;
    const struct
    {
        LPCWSTR include;
        LPCWSTR exclude;
        DWORD flags;
        DWORD kind;
        LPCWSTR path;
        LPCWSTR second;
        BOOL accept;
        bool passes;
    } rows[] = {
        {L"*.doc;*.xls", nullptr, 8, kRecordAdded, L"C:\\w\\b.doc", L"", TRUE, true},
        {L"*.doc;*.xls", nullptr, 8, kRecordModified, L"C:\\w\\b.xls", L"", TRUE, true},
        {L"*.doc;*.xls", nullptr, 8, kRecordAdded, L"C:\\w\\b.txt", L"", TRUE, false},
        {L";", nullptr, 8, kRecordAdded, L"C:\\w\\b.doc", L"", TRUE, false},
        {L";", nullptr, 8, kRecordError, L"C:\\w", L"", TRUE, true},
        {L";", nullptr, 8, kRecordStopped, L"C:\\w", L"", FALSE, true},
        {L"*.doc", nullptr, 8, kRecordRenamed, L"C:\\w\\x.tmp", L"C:\\w\\x.doc", TRUE, true},
        {nullptr, L"*.tmp", 8, kRecordAdded, L"C:\\w\\b.tmp", L"", TRUE, false},
        {nullptr, L"*.tmp", 8, kRecordAdded, L"C:\\w\\b.TMP", L"", TRUE, true},
        {L"a?c", nullptr, 8, kRecordAdded, L"C:\\w\\abc", L"", TRUE, true},
        {L"a?c", nullptr, 8, kRecordAdded, L"C:\\w\\abbc", L"", TRUE, false},
        {L"sub\\*.txt", nullptr, 4, kRecordAdded, L"C:\\w\\sub\\f.txt", L"", TRUE, true},
        {L"sub\\*.txt", nullptr, 8, kRecordAdded, L"C:\\w\\sub\\f.txt", L"", TRUE, false},
        {nullptr, nullptr, 8, kRecordAdded, L"C:\\w\\b.doc", L"", FALSE, false},
        {L"*.doc", nullptr, 8 | 0x10, kRecordAdded, L"C:\\w\\b.txt", L"", TRUE, false},
        {nullptr, nullptr, 8 | 0x20, kRecordAdded, L"C:\\w\\b.doc", L"", FALSE, true},
        {L"*.txt", nullptr, 1 | 0x20, kRecordAdded, L"C:\\w\\b.doc", L"", FALSE, true},
    };
    int index = 0;
    for (const auto &row : rows)
    {
        handler.accept = row.accept;
        auto *wrapper = new CDelayedDirectoryChangeHandler(&handler, TRUE, row.include, row.exclude, row.flags);
        ASSERT_TRUE(wrapper->IsReady());
        wrapper->SetFolder(L"C:\\w");
        const DelayedRecord record{wrapper, row.kind, row.path, row.second, L"C:\\w", 0, row.flags & 4 ? 5u : 0u};
        EXPECT_EQ(wrapper->Passes(record), row.passes) << "row " << index;
        wrapper->Release();
        ++index;
    }
    EXPECT_EQ(handler.GetReferenceCount(), 1);
}

TEST_F(DelayedNotify, WatchStoppedWaitsUntilEarlierRecordsAreHandled)
{
    RecordingHandler handler;
    auto *wrapper = new CDelayedDirectoryChangeHandler(&handler, TRUE, nullptr, nullptr, 8);
    wrapper->SetFolder(L"C:\\w");
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        wrapper->FileAdded(L"C:\\w\\a.txt");
        wrapper->WatchStopped(L"C:\\w");
        returned = true;
    });
    ::Sleep(300);
    EXPECT_FALSE(returned) << "the stop waits for this thread to handle its record";
    EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(handler.Events(), (std::vector<std::wstring>{L"added C:\\w\\a.txt", L"stopped C:\\w"}));
    wrapper->Release();
}

TEST_F(DelayedNotify, ARecordOnItsWayKeepsItsWrapperUntilItIsHandled)
{
    RecordingHandler handler;
    auto *wrapper = new CDelayedDirectoryChangeHandler(&handler, TRUE, nullptr, nullptr, 8);
    EXPECT_EQ(handler.GetReferenceCount(), 2);
    wrapper->FileRemoved(L"C:\\w\\gone.txt");
    // The watch lets go of its wrapper, as an ended watch does without the stop handshake.
    wrapper->Release();
    EXPECT_EQ(handler.GetReferenceCount(), 2) << "the record holds the wrapper, which holds the handler";
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"removed C:\\w\\gone.txt") == 1; }));
    EXPECT_EQ(handler.GetReferenceCount(), 1);
}

TEST_F(DelayedNotify, AFailedPostIsOwedAsOneOverflow)
{
    const std::wstring folder = m_folder / L"w";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    ASSERT_EQ(watcher.AddWatch(folder.c_str(), kJobWatchFilter, &handler, TRUE), 0u);
    g_posts = 0;
    SeamOverride post(g_pfnPostDelayedRecord, &FailFirstPost);
    ASSERT_TRUE(testsupport::WriteFileBytes(folder + L"\\a.txt", "a"));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"error 1022 " + folder) == 1; }));
    m_window->PumpUntil([] { return false; }, 2500);
    EXPECT_EQ(handler.Count(L"error 1022 " + folder), 1u);
    EXPECT_TRUE(watcher.RemoveAllWatches());
}

TEST_F(DelayedNotify, WithoutTheGuiFlagRecordsGoToTheNotificationThread)
{
    RecordingHandler handler;
    auto *wrapper = new CDelayedDirectoryChangeHandler(&handler, FALSE, nullptr, nullptr, 8);
    ASSERT_TRUE(wrapper->IsReady());
    wrapper->FileAdded(L"C:\\w\\a.txt");
    // This thread takes no message meanwhile.
    for (int i = 0; i < 500 && handler.Count(L"added C:\\w\\a.txt") == 0; ++i)
        ::Sleep(10);
    EXPECT_EQ(handler.Count(L"added C:\\w\\a.txt"), 1u);
    wrapper->Release();
    // The notification thread frees the record, and with it the wrapper.
    for (int i = 0; i < 500 && handler.GetReferenceCount() != 1; ++i)
        ::Sleep(10);
    EXPECT_EQ(handler.GetReferenceCount(), 1);
}
