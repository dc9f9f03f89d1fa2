// The directory change watcher on temporary folders, its notifications delivered to the test thread's window.
#include <atomic>

#include "WatchTestSupport.h"
#include "engine/watch/DirWatchInfo.h"
#include "engine/watch/DirectoryChangeWatcher.h"

using namespace watchtest;
using testsupport::WriteFileBytes;

namespace
{

class DirWatch : public WatchTest
{
  protected:
    std::wstring MakeFolder(const std::wstring &name)
    {
        const std::wstring folder = m_folder / name;
        EXPECT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        return folder;
    }
};

// Change records as the system writes them, each aligned to four bytes.
std::vector<BYTE> Records(std::initializer_list<std::pair<DWORD, std::wstring>> records)
{
    std::vector<BYTE> buffer;
    size_t last = 0;
    for (const auto &[action, name] : records)
    {
        last = buffer.size();
        const size_t size = (offsetof(FILE_NOTIFY_INFORMATION, FileName) + name.size() * 2 + 3) & ~size_t(3);
        buffer.resize(last + size);
        auto *record = reinterpret_cast<FILE_NOTIFY_INFORMATION *>(&buffer[last]);
        record->NextEntryOffset = static_cast<DWORD>(size);
        record->Action = action;
        record->FileNameLength = static_cast<DWORD>(name.size() * 2);
        memcpy(record->FileName, name.data(), name.size() * 2);
    }
    reinterpret_cast<FILE_NOTIFY_INFORMATION *>(&buffer[last])->NextEntryOffset = 0;
    return buffer;
}

CDirectoryChangeWatcher *g_nestedWatcher;
std::wstring g_nestedFolder;
DWORD g_nestedResult = 0xFFFF;
RecordingHandler *g_nestedHandler;

LRESULT CALLBACK NestingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APP)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // As a schedule tick would, while a removal waits.
    g_nestedResult = g_nestedWatcher->AddWatch(g_nestedFolder.c_str(), kJobWatchFilter, g_nestedHandler, TRUE);
    return 0;
}

CKernelHandle g_release;
std::atomic<int> g_holds{0};

void HoldFirstRead(LPCWSTR)
{
    if (g_holds++ == 0)
        ::WaitForSingleObject(g_release.Get(), 30000);
}

} // namespace

TEST_F(DirWatch, BadFoldersFailAndStartNoWorker)
{
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    const std::wstring folder = MakeFolder(L"w");
    const std::wstring file = m_folder / L"file.txt";
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    const std::wstring missing = m_folder / L"missing";
    const struct
    {
        LPCWSTR folder;
        CDirectoryChangeHandler *handler;
        DWORD filter;
        DWORD error;
    } cases[] = {
        {L"", &handler, kJobWatchFilter, ERROR_INVALID_PARAMETER},
        {nullptr, &handler, kJobWatchFilter, ERROR_INVALID_PARAMETER},
        {folder.c_str(), nullptr, kJobWatchFilter, ERROR_INVALID_PARAMETER},
        {folder.c_str(), &handler, 0, ERROR_INVALID_PARAMETER},
        {file.c_str(), &handler, kJobWatchFilter, ERROR_BAD_PATHNAME},
        {missing.c_str(), &handler, kJobWatchFilter, ERROR_BAD_PATHNAME},
    };
    for (const auto &c : cases)
    {
        EXPECT_EQ(watcher.AddWatch(c.folder, c.filter, c.handler, TRUE), c.error);
        EXPECT_EQ(::GetLastError(), c.error);
    }
    EXPECT_FALSE(watcher.IsWorkerRunning());
    EXPECT_FALSE(watcher.RemoveAllWatches());
    EXPECT_FALSE(watcher.IsWatching(L""));
    EXPECT_EQ(handler.GetReferenceCount(), 1);
}

TEST_F(DirWatch, ChangesComeWithFullPathsUntilTheWatchIsRemoved)
{
    const std::wstring folder = MakeFolder(L"Watched");
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    ASSERT_EQ(watcher.AddWatch(folder.c_str(), kJobWatchFilter, &handler, TRUE), 0u);
    EXPECT_EQ(handler.GetReferenceCount(), 2);

    // The same folder in other case replaces the watch.
    std::wstring other = folder + L"\\";
    ::CharUpperW(&other[0]);
    ASSERT_EQ(watcher.AddWatch(other.c_str(), kJobWatchFilter, &handler, TRUE), 0u);
    EXPECT_EQ(watcher.GetWatchedFolders(), std::vector<CString>{other.c_str()});
    EXPECT_EQ(handler.GetReferenceCount(), 2);
    EXPECT_EQ(handler.GetWatchCount(), 1);
    EXPECT_TRUE(watcher.IsWatching((folder + L"\\\\").c_str()));

    const std::wstring a = other + L"a.txt", b = other + L"b.txt";
    ASSERT_TRUE(WriteFileBytes(folder + L"\\a.txt", "one"));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"added " + a) == 1; }));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\a.txt", "two"));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"modified " + a) >= 1; }));
    ASSERT_TRUE(::MoveFileW((folder + L"\\a.txt").c_str(), (folder + L"\\b.txt").c_str()));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"renamed " + a + L" > " + b) == 1; }));
    ASSERT_TRUE(::DeleteFileW((folder + L"\\b.txt").c_str()));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"removed " + b) == 1; }));
    const std::vector<std::wstring> expected{L"added " + a, L"renamed " + a + L" > " + b, L"removed " + b};
    EXPECT_EQ(handler.NameEvents(), expected);

    EXPECT_TRUE(watcher.RemoveWatch(folder.c_str()));
    EXPECT_FALSE(watcher.RemoveWatch(folder.c_str()));
    EXPECT_EQ(handler.Count(L"stopped " + other), 1u) << "the removal waits for its WatchStopped";
    EXPECT_EQ(handler.GetReferenceCount(), 1);
    EXPECT_TRUE(watcher.IsWorkerRunning()) << "the last watch's removal leaves the worker";
    EXPECT_TRUE(watcher.RemoveAllWatches());
    EXPECT_FALSE(watcher.IsWorkerRunning());

    ASSERT_EQ(watcher.AddWatch(folder.c_str(), kJobWatchFilter, &handler, TRUE), 0u);
    EXPECT_TRUE(watcher.IsWorkerRunning()) << "a new watch starts a new worker";
    // Opened sharing delete: the user may still rename the watched folder.
    EXPECT_TRUE(::MoveFileW(folder.c_str(), (m_folder / L"Renamed").c_str()));
    EXPECT_TRUE(watcher.RemoveAllWatches());
    EXPECT_EQ(handler.GetReferenceCount(), 1);
    EXPECT_EQ(handler.GetWatchCount(), 0);
}

TEST_F(DirWatch, RenameHalvesArePairedAcrossReadsAndLostHalvesReported)
{
    RecordingHandler handler;
    const CString folder = L"C:\\W";
    const DWORD kOld = FILE_ACTION_RENAMED_OLD_NAME, kNew = FILE_ACTION_RENAMED_NEW_NAME;
    const struct
    {
        std::vector<std::vector<BYTE>> reads;
        std::vector<std::wstring> events;
    } cases[] = {
        {{Records({{FILE_ACTION_ADDED, L"x.txt"}, {kOld, L"a.txt"}}),
          Records({{kNew, L"b.txt"}, {FILE_ACTION_REMOVED, L"c.txt"}})},
         {L"added C:\\W\\x.txt", L"renamed C:\\W\\a.txt > C:\\W\\b.txt", L"removed C:\\W\\c.txt"}},
        {{Records({{kOld, L"a.txt"}, {kNew, L"sub\\b.txt"}, {FILE_ACTION_MODIFIED, L"b.txt"}})},
         {L"renamed C:\\W\\a.txt > C:\\W\\sub\\b.txt", L"modified C:\\W\\b.txt"}},
        {{Records({{kOld, L"a.txt"}}), Records({{FILE_ACTION_ADDED, L"d.txt"}})},
         {L"error 1022 C:\\W", L"added C:\\W\\d.txt"}},
        {{Records({{kOld, L"a.txt"}, {FILE_ACTION_ADDED, L"e.txt"}})}, {L"error 1022 C:\\W", L"added C:\\W\\e.txt"}},
        {{Records({{kNew, L"z.txt"}})}, {}},
    };
    for (const auto &c : cases)
    {
        handler.Clear();
        CString pending;
        for (const std::vector<BYTE> &read : c.reads)
            DeliverChangeRecords(read.data(), static_cast<DWORD>(read.size()), folder, pending, handler);
        EXPECT_EQ(handler.Events(), c.events);
    }
    // A read cut short ends the walk before the record that does not fit.
    handler.Clear();
    CString pending;
    const std::vector<BYTE> read = Records({{FILE_ACTION_ADDED, L"f.txt"}, {FILE_ACTION_ADDED, L"long-name.txt"}});
    DeliverChangeRecords(read.data(), static_cast<DWORD>(read.size() - 8), folder, pending, handler);
    EXPECT_EQ(handler.Events(), std::vector<std::wstring>{L"added C:\\W\\f.txt"});
}

TEST_F(DirWatch, AWatchAddedWhileARemovalWaitsComesUpAndAQuitIsKept)
{
    const std::wstring first = MakeFolder(L"first"), second = MakeFolder(L"second");
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    ASSERT_EQ(watcher.AddWatch(first.c_str(), kJobWatchFilter, &handler, TRUE), 0u);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &NestingWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VelbrookNestingWindow";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    g_nestedWatcher = &watcher;
    g_nestedFolder = second;
    g_nestedHandler = &handler;
    ASSERT_TRUE(::PostMessageW(window, WM_APP, 0, 0));
    ::PostQuitMessage(7);

    EXPECT_TRUE(watcher.RemoveWatch(first.c_str()));
    EXPECT_EQ(g_nestedResult, 0u);
    // The program still ends: the WM_QUIT the waits met is there again.
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_FALSE(watcher.IsWatching(first.c_str()));
    EXPECT_TRUE(watcher.IsWatching(second.c_str()));
    ASSERT_TRUE(WriteFileBytes(second + L"\\new.txt", "n"));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"added " + second + L"\\new.txt") == 1; }));
    EXPECT_TRUE(watcher.RemoveAllWatches());
    ::DestroyWindow(window);
}

TEST_F(DirWatch, AHeldBackWorkerReportsTheOverflowAndWatchesOn)
{
    const std::wstring folder = MakeFolder(L"busy");
    CDirectoryChangeWatcher watcher;
    RecordingHandler handler;
    g_release.Attach(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_holds = 0;
    SeamOverride hold(g_pfnBeforeWatchRead, &HoldFirstRead);
    ASSERT_EQ(watcher.AddWatch(folder.c_str(), kJobWatchFilter, &handler, TRUE), 0u);

    ASSERT_TRUE(WriteFileBytes(folder + L"\\first.txt", "1"));
    ASSERT_TRUE(PumpUntil([] { return g_holds > 0; }));
    // No read is pending while these are written: more than a buffer of changes piles up.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(WriteFileBytes(folder + L"\\file-with-a-longer-name-" + std::to_wstring(i) + L".txt", "x"));
    ::SetEvent(g_release.Get());
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"error 1022 " + folder) >= 1; }));

    handler.Clear();
    ASSERT_TRUE(WriteFileBytes(folder + L"\\after.txt", "a"));
    EXPECT_TRUE(PumpUntil([&] { return handler.Count(L"added " + folder + L"\\after.txt") == 1; }));
    EXPECT_TRUE(watcher.IsWatching(folder.c_str()));
    EXPECT_TRUE(watcher.RemoveAllWatches());
    g_release.Close();
}
