// A two-way run in a child process killed in the middle of copying a large changed file, each way round: the
// old copy stays whole, and the next run leaves the complete file on both sides and no temporary copy.
//
// The child (this program started with kTwoWayChildVariable naming the test folder, see ListFileTest.cpp's
// main) runs the job "Sync" over the folder's "a\" and "dest\b\" with slowed copies until it is killed.
#include "ContinuousTestSupport.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/DestPaths.h"
#include "platform/system/CopyFile.h"

using namespace continuoustest;

namespace continuoustest
{

const wchar_t kTwoWayChildVariable[] = L"VELBROOK_TWO_WAY_CHILD";

} // namespace continuoustest

namespace
{

const size_t MiB = 1024 * 1024;

LPPROGRESS_ROUTINE g_progress = nullptr;

DWORD CALLBACK SlowProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER stream, LARGE_INTEGER streamDone,
                            DWORD number, DWORD reason, HANDLE from, HANDLE to, LPVOID data)
{
    if (reason == CALLBACK_CHUNK_FINISHED)
        ::Sleep(50);
    return g_progress(total, done, stream, streamDone, number, reason, from, to, data);
}

BOOL WINAPI SlowCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                     DWORD flags)
{
    g_progress = progress;
    return CopyFileWithProgress(source, target, progress != nullptr ? &SlowProgress : nullptr, data, cancel, flags);
}

ULONGLONG FileSize(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class TwoWaySafetyProcess : public ContinuousTest
{
};

} // namespace

namespace continuoustest
{

int RunTwoWayChild(const std::wstring &folder)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    UseLanguageLibrary();
    SetTesselDirListName(L"TesselDir.list");
    // A log of its own: the parent's job holds its log open.
    ::CreateDirectoryW((folder + L"child\\").c_str(), nullptr);
    g_strLogPath = (folder + L"child\\Zel.log").c_str();
    IXMLDOMDocument2Ptr document = NewStoreDocument();
    SetXmlStoreDocument(document);
    IXMLDOMElementPtr element = NewJobElement(document, L"Sync", (folder + L"dest\\").c_str());
    XmlSetAttributeInt(element, L"sync_type", 2);
    XmlSetAttributeInt(element, L"maxver", 0);
    XmlSetAttributeString(element, L"JobUUID", kJobId);
    XmlSetAttributeString(element, L"neverrun", L"2020-06-01 12:00:00");
    IXMLDOMElementPtr source = NewStoreElement(document, L"src");
    XmlSetAttributeString(source, L"path", (folder + L"a\\").c_str());
    XmlSetAttributeString(source, L"destination", (folder + L"dest\\b\\").c_str());
    XmlSetAttributeString(source, L"rapid", L"0");
    IXMLDOMNodePtr added;
    element->appendChild(source, &added);

    SeamOverride copy(g_pfnCopyFileEx, &SlowCopy);
    FakeMainWindow window;
    auto job = std::make_unique<CSyncJob>();
    job->Attach(element);
    InstallListFileRunThread();
    GetJobDeque().Enqueue(job.get(), 1);
    window.WaitForEnds(1, 300000);
    return 3; // the parent kills the child before this
}

} // namespace continuoustest

TEST_F(TwoWaySafetyProcess, ACopyCutOffByAKilledProcessNeverReplacesAGoodCopy)
{
    m_b = m_folder / L"dest\\b\\";
    ASSERT_EQ(CreateFolderPath(m_b.c_str()), 0u);
    m_job->GetJobDef()->SetDest((m_folder / L"dest\\").c_str());
    m_job->GetJobDef()->SetMaxVer(0);
    AddSource(m_a, m_b);
    std::string whole(8 * MiB, 'o');
    Write(m_a + L"big.bin", whole);
    ASSERT_EQ(Run().lParam, 0);

    int round = 0;
    for (const auto &[x, y] : {std::pair{m_a, m_b}, {m_b, m_a}})
    {
        SCOPED_TRACE(x == m_a ? "changed on the source" : "changed on the destination");
        const std::string changed(24 * MiB, static_cast<char>('m' + round));
        Write(x + L"big.bin", changed, 100 * ++round);
        CKernelHandle child = StartChild(kTwoWayChildVariable, m_folder.Path());
        ASSERT_TRUE(child.IsValid());
        const std::wstring temporary = y + L"big.~#T0";
        const DWORD start = ::GetTickCount();
        while (FileSize(temporary) < 3 * MiB && ::WaitForSingleObject(child, 5) == WAIT_TIMEOUT &&
               ::GetTickCount() - start < 120000)
        {
        }
        ASSERT_EQ(::WaitForSingleObject(child, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the child ended early";
        ASSERT_TRUE(::TerminateProcess(child, 1));
        ASSERT_EQ(::WaitForSingleObject(child, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(testsupport::ReadFileBytes(y + L"big.bin"), whole);
        EXPECT_GE(FileSize(temporary), 3 * MiB);

        const PostedMessage end = Run();
        EXPECT_TRUE(end.message == WM_JOB_FINISHED && end.lParam == 0);
        EXPECT_EQ(testsupport::ReadFileBytes(x + L"big.bin"), changed);
        EXPECT_EQ(testsupport::ReadFileBytes(y + L"big.bin"), changed);
        EXPECT_EQ(testsupport::TemporaryCopies(m_folder.Path()), std::vector<std::wstring>{});
        whole = changed;
    }
}
