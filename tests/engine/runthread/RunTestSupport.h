// Shared by the backup run tests: a main window double over a message-only window that closes each run as
// the main window does, and a job bound to a store element with its log, journal, sources and destination in
// a temporary folder.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/MainWindowServices.h"
#include "engine/RunThread.h"
#include "engine/SyncJob.h"
#include "platform/ComGlue.h"
#include "platform/Handles.h"
#include "support/TestSupport.h"

namespace runtest {

struct EndMessage
{
    UINT message;
    CSyncJob *job;
    LPARAM lParam;
};

// Stands in for the main dialog. At each end message it records it, tells the run queue, closes the job's
// journal (rolling it back unless the run finished), clears the running bit and resets the job.
class FakeMainWindow : public IMainWindowServices
{
public:
    FakeMainWindow();
    virtual ~FakeMainWindow();

    HWND GetWindowHandle() const override { return m_hWnd; }
    CSyncJobList *GetJobList() override { return nullptr; }
    HANDLE GetStatusBlockHandle() const override { return INVALID_HANDLE_VALUE; }
    int GetMode() const override { return m_mode; }
    void SetMode(int mode) override { m_mode = mode; }
    BOOL GetJobIndex(CSyncJob *, int &) override { return FALSE; }
    void SetJobRunning(CSyncJob *job) override { job->m_runState = JOB_BUSY; }
    BOOL RunJobNow(CSyncJob *, int) override { return FALSE; }
    void ReportError(CSyncJob *, int, int) override {}
    void UpdateJob(CJobDef *) override {}
    void OnRunJobs() override {}
    CSyncJob *GetRunningJob() override { return nullptr; }
    void SetProgressShown(BOOL) override {}
    Gdiplus::Image *GetCloseImage() override { return nullptr; }

    const std::vector<EndMessage> &Ends() const { return m_ends; }
    // Dispatches messages until n end messages have come or the time is up.
    bool WaitForEnds(size_t n, DWORD timeoutMs = 60000);

    int m_mode = MAIN_MODE_BACKUP_IDLE;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::vector<EndMessage> m_ends;
};

class RunTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a "src" with the path (and "rapid" = "0" unless filters is true); returns it.
    IXMLDOMElementPtr AddSource(const std::wstring &path, bool filters = false);
    // Adds a "file" child with the path.
    void AddFileChild(IXMLDOMElement *source, const std::wstring &path);
    // Runs the job through the run queue and waits for its end message, which it returns.
    EndMessage Run();

    std::wstring Src() const { return m_folder / L"src\\"; }
    std::wstring Dest() const { return m_folder / L"dest\\"; }
    // Where a source file lands: the destination folder of the source "src\" (its last component).
    std::wstring Target(const std::wstring &relative) const { return Dest() + L"src\\" + relative; }
    // Writes a file under the source folder, making its folders; returns its full path.
    std::wstring WriteSource(const std::wstring &relative, const std::string &bytes = "data");
    // The destinations the journal holds, in record order.
    std::vector<std::wstring> JournalTargets();
    // Everything the job's log holds so far.
    std::wstring LogText();
    // The log entry text of a string formatted with the arguments.
    static std::wstring Text(UINT id, LPCWSTR first = L"", LPCWSTR second = L"");

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;
    IXMLDOMDocument2Ptr m_document;
    IXMLDOMElementPtr m_element;
    std::unique_ptr<FakeMainWindow> m_window;
    std::unique_ptr<CSyncJob> m_job;

private:
    CString m_savedLogPath;
    CString m_savedDataFolder;
    SyncJobWorkers m_savedWorkers;
};

// Makes the folder and its parents, also beyond the usual path limit.
bool MakeFolders(const std::wstring &folder);
// Gives path the last-write time of model (in whole seconds) plus the seconds.
bool SetWriteTime(const std::wstring &path, const std::wstring &model, LONGLONG seconds);
bool Exists(const std::wstring &path);
// Every file under the folder whose name holds ".~#T".
std::vector<std::wstring> Temporaries(const std::wstring &folder);

} // namespace runtest
