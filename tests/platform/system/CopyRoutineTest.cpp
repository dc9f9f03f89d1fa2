// The copy routine: progress calls chunk by chunk, cancel and stop, kept times and attributes, and the
// failures that leave an existing target alone.
#include "platform/system/CopyFile.h"
#include "platform/system/Handles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

constexpr LONGLONG MiB = 0x100000;

struct Call
{
    DWORD reason;
    LONGLONG transferred;
    LONGLONG total;
};

// Records every call; answers `answer` on call number `answerAt` (0-based), PROGRESS_CONTINUE otherwise, and
// sets the cancel flag at call number `cancelAt`.
struct Recorder
{
    std::vector<Call> calls;
    size_t answerAt = static_cast<size_t>(-1);
    DWORD answer = PROGRESS_CONTINUE;
    size_t cancelAt = static_cast<size_t>(-1);
    BOOL *cancel = nullptr;
};

DWORD CALLBACK Record(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER streamSize,
                      LARGE_INTEGER streamTransferred, DWORD stream, DWORD reason, HANDLE, HANDLE, LPVOID data)
{
    Recorder &recorder = *static_cast<Recorder *>(data);
    EXPECT_EQ(stream, 1u);
    EXPECT_EQ(streamSize.QuadPart, total.QuadPart);
    EXPECT_EQ(streamTransferred.QuadPart, transferred.QuadPart);
    size_t index = recorder.calls.size();
    recorder.calls.push_back({reason, transferred.QuadPart, total.QuadPart});
    if (index == recorder.cancelAt && recorder.cancel != nullptr)
        *recorder.cancel = TRUE;
    return index == recorder.answerAt ? recorder.answer : PROGRESS_CONTINUE;
}

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
    return bytes;
}

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

LONGLONG SizeOf(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

TEST(CopyRoutine, ReportsAStreamSwitchThenEveryMebibyte)
{
    testsupport::TempFolder folder;
    const std::string content = Pattern(static_cast<size_t>(3 * MiB + MiB / 2));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"src.bin", content));
    Recorder recorder;
    BOOL cancel = FALSE;
    ASSERT_TRUE(CopyFileWithProgress((folder / L"src.bin").c_str(), (folder / L"dst.bin").c_str(), Record, &recorder,
                                     &cancel, COPY_FILE_RESTARTABLE));

    const LONGLONG size = static_cast<LONGLONG>(content.size());
    ASSERT_EQ(recorder.calls.size(), 5u);
    EXPECT_EQ(recorder.calls[0].reason, static_cast<DWORD>(CALLBACK_STREAM_SWITCH));
    EXPECT_EQ(recorder.calls[0].transferred, 0);
    const LONGLONG expected[] = {MiB, 2 * MiB, 3 * MiB, size};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(recorder.calls[i + 1].reason, static_cast<DWORD>(CALLBACK_CHUNK_FINISHED));
        EXPECT_EQ(recorder.calls[i + 1].transferred, expected[i]);
    }
    for (const Call &call : recorder.calls)
        EXPECT_EQ(call.total, size);
    EXPECT_TRUE(testsupport::ReadFileBytes(folder / L"dst.bin") == content);
    // The engine's copies come here unless a test has put another routine in the seam.
    EXPECT_EQ(g_pfnCopyFileEx.Get(), &CopyFileWithProgress);
}

TEST(CopyRoutine, EmptyFileGetsOneChunkCallOfNothing)
{
    testsupport::TempFolder folder;
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"empty", ""));
    Recorder recorder;
    ASSERT_TRUE(
        CopyFileWithProgress((folder / L"empty").c_str(), (folder / L"copy").c_str(), Record, &recorder, nullptr, 0));
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].reason, static_cast<DWORD>(CALLBACK_STREAM_SWITCH));
    EXPECT_EQ(recorder.calls[1].reason, static_cast<DWORD>(CALLBACK_CHUNK_FINISHED));
    EXPECT_EQ(recorder.calls[1].transferred, 0);
    EXPECT_EQ(recorder.calls[1].total, 0);
    EXPECT_EQ(SizeOf(folder / L"copy"), 0);
}

TEST(CopyRoutine, CancelDeletesThePartialTargetAndStopKeepsIt)
{
    testsupport::TempFolder folder;
    const std::string content = Pattern(static_cast<size_t>(3 * MiB));
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"src.bin", content));
    const std::wstring source = folder / L"src.bin";
    const std::wstring target = folder / L"dst.bin";

    // A cancel flag set before the copy: no call, no target, and an existing target untouched.
    {
        Recorder recorder;
        BOOL cancel = TRUE;
        EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), Record, &recorder, &cancel, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
        EXPECT_FALSE(Exists(target));
        EXPECT_TRUE(recorder.calls.empty());
        ASSERT_TRUE(testsupport::WriteFileBytes(target, "old"));
        EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), Record, &recorder, &cancel, 0));
        EXPECT_EQ(testsupport::ReadFileBytes(target), "old");
        ASSERT_TRUE(DeleteFileW(target.c_str()));
    }
    // PROGRESS_CANCEL after the second chunk.
    {
        Recorder recorder;
        recorder.answerAt = 2;
        recorder.answer = PROGRESS_CANCEL;
        EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), Record, &recorder, nullptr, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
        EXPECT_FALSE(Exists(target));
        EXPECT_EQ(recorder.calls.size(), 3u);
    }
    // The cancel flag raised during the first chunk call is seen before the next chunk.
    {
        Recorder recorder;
        BOOL cancel = FALSE;
        recorder.cancel = &cancel;
        recorder.cancelAt = 1;
        EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), Record, &recorder, &cancel, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
        EXPECT_FALSE(Exists(target));
        EXPECT_EQ(recorder.calls.size(), 2u);
    }
    // PROGRESS_STOP after the second chunk keeps the two chunks written.
    {
        Recorder recorder;
        recorder.answerAt = 2;
        recorder.answer = PROGRESS_STOP;
        EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), Record, &recorder, nullptr, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
        EXPECT_EQ(SizeOf(target), 2 * MiB);
        EXPECT_TRUE(testsupport::ReadFileBytes(target) == content.substr(0, static_cast<size_t>(2 * MiB)));
    }
    // PROGRESS_QUIET ends the calls, not the copy.
    {
        Recorder recorder;
        recorder.answerAt = 1;
        recorder.answer = PROGRESS_QUIET;
        EXPECT_TRUE(CopyFileWithProgress(source.c_str(), target.c_str(), Record, &recorder, nullptr, 0));
        EXPECT_EQ(recorder.calls.size(), 2u);
        EXPECT_TRUE(testsupport::ReadFileBytes(target) == content);
    }
}

TEST(CopyRoutine, KeepsFileTimesAndAttributes)
{
    testsupport::TempFolder folder;
    const std::wstring source = folder / L"src.txt";
    const std::wstring target = folder / L"dst.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(source, "content"));
    SYSTEMTIME when = {2019, 3, 0, 14, 9, 26, 53, 0};
    FILETIME written = {};
    ASSERT_TRUE(SystemTimeToFileTime(&when, &written));
    when.wYear = 2018;
    FILETIME accessed = {};
    ASSERT_TRUE(SystemTimeToFileTime(&when, &accessed));
    {
        CKernelHandle file(CreateFileW(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.IsValid());
        ASSERT_TRUE(SetFileTime(file, nullptr, &accessed, &written));
    }
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));

    ASSERT_TRUE(CopyFileWithProgress(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0));
    WIN32_FILE_ATTRIBUTE_DATA from = {};
    WIN32_FILE_ATTRIBUTE_DATA to = {};
    ASSERT_TRUE(GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &from));
    ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &to));
    EXPECT_EQ(CompareFileTime(&to.ftLastWriteTime, &written), 0);
    EXPECT_EQ(CompareFileTime(&to.ftLastAccessTime, &accessed), 0);
    EXPECT_EQ(CompareFileTime(&to.ftCreationTime, &from.ftCreationTime), 0);
    EXPECT_TRUE(to.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(to.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(testsupport::ReadFileBytes(target), "content");

    // A second copy meets a read-only target: refused, target kept.
    EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(testsupport::ReadFileBytes(target), "content");
}

TEST(CopyRoutine, RefusedCopiesLeaveTheTargetAlone)
{
    testsupport::TempFolder folder;
    const std::wstring source = folder / L"src.txt";
    const std::wstring target = folder / L"dst.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(source, "new"));
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old"));

    EXPECT_FALSE(
        CopyFileWithProgress(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old");

    // A source that someone has open for writing is locked, even when that handle shares everything.
    {
        CKernelHandle writer(CreateFileW(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.IsValid());
        EXPECT_FALSE(CopyFileWithProgress(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(testsupport::ReadFileBytes(target), "old");
    }

    EXPECT_FALSE(CopyFileWithProgress((folder / L"missing.txt").c_str(), target.c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileWithProgress(source.c_str(), source.c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(testsupport::ReadFileBytes(source), "new");
    EXPECT_FALSE(CopyFileWithProgress(nullptr, target.c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // Without a lock the copy replaces the target.
    EXPECT_TRUE(CopyFileWithProgress(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(testsupport::ReadFileBytes(target), "new");
}
