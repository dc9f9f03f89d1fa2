#include "SyncJobTestSupport.h"

#include "engine/program/ProgramObjects.h"
#include "platform/system/ComGlue.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Resources.h"

namespace syncjobtest
{

namespace
{

DWORD CALLBACK SlowProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER streamSize,
                            LARGE_INTEGER streamBytesTransferred, DWORD streamNumber, DWORD callbackReason,
                            HANDLE sourceFile, HANDLE destinationFile, LPVOID data)
{
    DWORD result =
        CSyncJob::CopyProgressRoutine(totalFileSize, totalBytesTransferred, streamSize, streamBytesTransferred,
                                      streamNumber, callbackReason, sourceFile, destinationFile, data);
    if (Script().delayMs != 0)
        ::Sleep(Script().delayMs);
    return result;
}

unsigned __stdcall TestWorker(void *param)
{
    CSyncJob *job = static_cast<CSyncJob *>(param);
    WorkerScript &script = Script();
    {
        std::lock_guard<std::mutex> hold(script.lock);
        script.started.push_back(job);
    }
    UINT message = WM_JOB_FINISHED;
    if (!script.source.empty())
    {
        if (!CopyFileWithProgress(script.source.c_str(), script.target.c_str(), &SlowProgress, job,
                                  job->GetCancelPointer(), 0))
            message = ::GetLastError() == ERROR_REQUEST_ABORTED ? WM_JOB_CANCELLED : WM_JOB_FAILED;
    }
    else
    {
        HANDLE handles[] = {script.release.Get(), job->GetStopEvent()};
        for (;;)
        {
            if (job->m_cancelFlag)
            {
                message = WM_JOB_CANCELLED;
                break;
            }
            DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, 10);
            if (result == WAIT_OBJECT_0)
                break;
            if (result == WAIT_OBJECT_0 + 1)
            {
                message = WM_JOB_CANCELLED;
                break;
            }
        }
    }
    PostToMainWindow(message, reinterpret_cast<WPARAM>(job), 0);
    ++script.endedNormally;
    return 0;
}

} // namespace

WorkerScript &Script()
{
    static WorkerScript script;
    return script;
}

ScriptedWorkers::ScriptedWorkers()
{
    WorkerScript &script = Script();
    script.source.clear();
    script.target.clear();
    script.delayMs = 0;
    ::ResetEvent(script.release.Get());
    {
        std::lock_guard<std::mutex> hold(script.lock);
        script.started.clear();
    }
    script.endedNormally = 0;
    SyncJobWorkers workers;
    workers.backup = &TestWorker;
    workers.listFile = &TestWorker;
    m_workers.emplace(g_syncJobWorkers, workers);
}

ScriptedWorkers::~ScriptedWorkers()
{
    ::SetEvent(Script().release.Get());
    m_workers.reset();
}

void JobTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
}

void JobTest::TearDown()
{
    EngineTest::TearDown();
    EXPECT_EQ(GetJobDeque().GetWaitingCount(), 0u);
    EXPECT_EQ(GetJobDeque().GetRunningCount(), 0);
}

std::unique_ptr<CSyncJob> JobTest::NewJob(LPCWSTR name, const std::wstring &dest)
{
    IXMLDOMElementPtr element = NewJobElement(m_document, name, dest.c_str());
    XmlSetAttributeInt(element, L"js_type", 1);
    auto job = std::make_unique<CSyncJob>();
    job->Attach(element);
    return job;
}

} // namespace syncjobtest
