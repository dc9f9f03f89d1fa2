// Backup runs cut off for real: a run in a child process killed in the middle of a large copy, and a
// destination whose drive letter is taken away in the middle of a folder.
//
// This program's main serves both roles: started with VELBROOK_RUN_CHILD naming a test folder, it is the child
// and runs one backup of that folder's "src\" into its "dest\" (data folder: the test folder) until it is
// killed; otherwise it runs the tests.
#include <process.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "RunTestSupport.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/JobDef.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "support/TestDrive.h"

using namespace runtest;

namespace
{

const wchar_t kChildVariable[] = L"VELBROOK_RUN_CHILD";
const ULONGLONG MiB = 1024 * 1024;

// The copies of both tests are slowed, so that the fault can meet them half way: the child's after each
// chunk of a file, the drive test's before each file.
struct SlowCopy
{
    LPPROGRESS_ROUTINE progress = nullptr;
    LPVOID data = nullptr;
    DWORD chunkPause = 0;
    DWORD filePause = 0;
} g_slow;

DWORD CALLBACK SlowProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER stream, LARGE_INTEGER streamDone,
                            DWORD number, DWORD reason, HANDLE from, HANDLE to, LPVOID)
{
    if (reason == CALLBACK_CHUNK_FINISHED)
        ::Sleep(g_slow.chunkPause);
    return g_slow.progress(total, done, stream, streamDone, number, reason, from, to, g_slow.data);
}

BOOL WINAPI SlowCopyFile(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                         DWORD flags)
{
    ::Sleep(g_slow.filePause);
    if (progress == nullptr)
        return CopyFileWithProgress(source, target, nullptr, data, cancel, flags);
    g_slow.progress = progress;
    g_slow.data = data;
    return CopyFileWithProgress(source, target, &SlowProgress, nullptr, cancel, flags);
}

// The child: one backup run of folder\src\ as the job "RunJob", as RunTest runs it.
int RunChildBackup(const std::wstring &folder)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    enginetest::UseLanguageLibrary();
    g_strDataFolder = folder.c_str();
    // A log of its own: the parent's job holds its log open.
    ::CreateDirectoryW((folder + L"child\\").c_str(), nullptr);
    g_strLogPath = (folder + L"child\\Zel.log").c_str();
    IXMLDOMDocument2Ptr document = enginetest::NewStoreDocument();
    SetXmlStoreDocument(document);
    IXMLDOMElementPtr element = enginetest::NewJobElement(document, L"RunJob", (folder + L"dest\\").c_str());
    IXMLDOMElementPtr source = enginetest::NewStoreElement(document, L"src");
    XmlSetAttributeString(source, L"path", (folder + L"src\\").c_str());
    XmlSetAttributeString(source, L"rapid", L"0");
    IXMLDOMNodePtr added;
    element->appendChild(source, &added);

    g_slow.chunkPause = 50;
    SeamOverride copy(g_pfnCopyFileEx, &SlowCopyFile);
    enginetest::FakeMainWindow window;
    auto job = std::make_unique<CSyncJob>();
    job->Attach(element);
    InstallBackupRunThread();
    GetJobDeque().Enqueue(job.get(), 0);
    window.WaitForEnds(1, 300000);
    return 3; // the parent kills the child before this
}

class RunFaultsProcess : public RunTest
{
  protected:
    std::wstring JournalPath() const
    {
        return m_folder / L"RunJob.restore";
    }
    // A backup run of the same job in a child process; its handle.
    CKernelHandle StartChild()
    {
        std::vector<wchar_t> path(32768);
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        std::wstring line = L"\"" + std::wstring(path.data()) + L"\"";
        ::SetEnvironmentVariableW(kChildVariable, m_folder.Path().c_str());
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::vector<wchar_t> command(line.begin(), line.end());
        command.push_back(0);
        BOOL started =
            ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        ::SetEnvironmentVariableW(kChildVariable, nullptr);
        if (!started)
            return CKernelHandle();
        ::CloseHandle(process.hThread);
        return CKernelHandle(process.hProcess);
    }
};

ULONGLONG FileSize(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST_F(RunFaultsProcess, RunKilledInTheMiddleOfALargeCopyKeepsTheOldCopyAndTheLastCompleteJournal)
{
    const std::string older(8 * MiB, 'o');
    const std::string newer(24 * MiB, 'n');
    WriteSource(L"a.txt", "alpha");
    std::wstring big = WriteSource(L"big.bin", older);
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    const std::string complete = testsupport::ReadFileBytes(JournalPath());
    ASSERT_EQ(JournalTargets().size(), 2u);

    ASSERT_TRUE(testsupport::WriteFileBytes(big, newer));
    ASSERT_TRUE(SetWriteTime(big, Target(L"big.bin"), 10));
    CKernelHandle child = StartChild();
    ASSERT_TRUE(child.IsValid());
    // Killed once the new copy is well under way beside the old one.
    const std::wstring temporary = Target(L"big.~#T0");
    const DWORD start = ::GetTickCount();
    while (FileSize(temporary) < 3 * MiB && ::WaitForSingleObject(child.Get(), 5) == WAIT_TIMEOUT &&
           ::GetTickCount() - start < 120000)
    {
    }
    ASSERT_EQ(::WaitForSingleObject(child.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the child ended early";
    ASSERT_TRUE(::TerminateProcess(child.Get(), 1));
    ASSERT_EQ(::WaitForSingleObject(child.Get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));

    // What the kill left: the old copy whole, a partial temporary copy, the last complete journal saved.
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"big.bin")), older);
    EXPECT_GE(FileSize(temporary), 3 * MiB);
    EXPECT_LT(FileSize(temporary), newer.size());
    EXPECT_EQ(testsupport::ReadFileBytes(JournalPath() + L".bak"), complete);

    // The next run fails (the disk is full): the journal it rolls back to is the last complete one.
    struct FullDisk
    {
        static BOOL WINAPI Copy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                                DWORD flags)
        {
            if (wcsstr(target, L"big.~#T") != nullptr)
            {
                ::SetLastError(ERROR_DISK_FULL);
                return FALSE;
            }
            return CopyFileWithProgress(source, target, progress, data, cancel, flags);
        }
    };
    {
        SeamOverride copy(g_pfnCopyFileEx, &FullDisk::Copy);
        EXPECT_EQ(Run().message, WM_JOB_FAILED);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(JournalPath()), complete);
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"big.bin")), older);

    // And the one after it copies the file through the leftover's name and keeps its own complete list.
    PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"big.bin")), newer);
    EXPECT_TRUE(testsupport::TemporaryCopies(m_folder.Path()).empty());
    std::vector<std::wstring> journal = JournalTargets();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_NE(std::find(journal.begin(), journal.end(), Target(L"big.bin")), journal.end());
    EXPECT_NE(std::find(journal.begin(), journal.end(), Target(L"a.txt")), journal.end());
    EXPECT_FALSE(Exists(JournalPath() + L".bak"));
}

TEST_F(RunFaultsProcess, DestinationLetterTakenAwayInTheMiddleOfAFolderFailsTheRunAtOnce)
{
    const std::wstring driveFolder = m_folder / L"drive\\";
    ASSERT_TRUE(::CreateDirectoryW(driveFolder.c_str(), nullptr));
    auto drive = std::make_unique<enginetest::TestDrive>(L'R', driveFolder);
    ASSERT_EQ(drive->Error(), L"");
    const std::wstring dest = drive->Root() + L"Backup\\";
    ASSERT_TRUE(::CreateDirectoryW(dest.c_str(), nullptr));
    m_job->GetJobDef()->SetDest(dest.c_str());
    const int kFiles = 20;
    auto name = [](int i) { return L"f" + std::to_wstring(100 + i) + L".bin"; };
    for (int i = 0; i < kFiles; ++i)
        WriteSource(name(i), std::string(256 * 1024, 'o'));
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    const std::string complete = testsupport::ReadFileBytes(JournalPath());
    ASSERT_EQ(JournalTargets().size(), static_cast<size_t>(kFiles));

    for (int i = 0; i < kFiles; ++i)
    {
        std::wstring path = WriteSource(name(i), std::string(256 * 1024, 'n'));
        ASSERT_TRUE(SetWriteTime(path, dest + L"src\\" + name(i), 10));
    }
    g_slow = SlowCopy();
    g_slow.filePause = 150;
    SeamOverride copy(g_pfnCopyFileEx, &SlowCopyFile);
    GetJobDeque().Enqueue(m_job.get(), 0);
    ASSERT_TRUE(m_window->PumpUntil([&] { return m_job->m_filesCopied >= 3; }, 60000));
    const DWORD pulled = ::GetTickCount();
    ASSERT_TRUE(drive->Remove());
    ASSERT_TRUE(m_window->WaitForEnds(2, 60000));
    const DWORD took = ::GetTickCount() - pulled;

    std::vector<PostedMessage> ends = m_window->EndMessages();
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[1].message, WM_JOB_FAILED);
    EXPECT_LT(took, 15000u) << "the run went on after its destination was gone";
    EXPECT_LT(m_job->m_filesCopied, kFiles);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_DEST_LOST, kAnyTime, dest.c_str())), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(JournalPath()), complete);

    // With the drive back, the next run finishes the backup and clears what the pull left behind.
    drive.reset();
    drive = std::make_unique<enginetest::TestDrive>(L'R', driveFolder);
    ASSERT_EQ(drive->Error(), L"");
    g_slow.filePause = 0;
    PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 0);
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(testsupport::ReadFileBytes(dest + L"src\\" + name(i)), std::string(256 * 1024, 'n')) << i;
    EXPECT_EQ(JournalTargets().size(), static_cast<size_t>(kFiles));
}

} // namespace

// The test program's own entry (instead of GoogleTest's): see the top of this file.
int main(int argc, char **argv)
{
    std::vector<wchar_t> folder(32768);
    if (::GetEnvironmentVariableW(kChildVariable, folder.data(), static_cast<DWORD>(folder.size())) > 0)
        return RunChildBackup(folder.data());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
