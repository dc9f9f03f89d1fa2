#include "bench/BenchWindow.h"

#include "engine/job/JobDeque.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"

namespace bench
{

BenchMainWindow::BenchMainWindow(LPCWSTR className, CSyncJobList *list) : m_list(list)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &BenchMainWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    ::RegisterClassW(&windowClass);
    m_hWnd = ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                               nullptr);
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_pMainDlg = this;
}

BenchMainWindow::~BenchMainWindow()
{
    g_pMainDlg = nullptr;
    ::DestroyWindow(m_hWnd);
}

int BenchMainWindow::GetMode() const
{
    return MAIN_MODE_BACKUP_IDLE;
}

void BenchMainWindow::SetJobRunning(CSyncJob *job)
{
    job->m_runState = JOB_BUSY;
}

LRESULT CALLBACK BenchMainWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<BenchMainWindow *>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    if (message != WM_JOB_FINISHED && message != WM_JOB_CANCELLED && message != WM_JOB_FAILED)
        return self->OnOtherMessage(message, wParam, lParam) ? 0 : ::DefWindowProcW(hWnd, message, wParam, lParam);
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    GetJobDeque().OnJobFinished(job, message == WM_JOB_CANCELLED && lParam == 1);
    if (job->GetRestoreJournal()->GetMode() != CRestoreJournal::ModeClosed)
        job->GetRestoreJournal()->Close(message == WM_JOB_FINISHED ? 0 : 1);
    job->SetRunningFlag();
    job->OnRunFinished();
    self->OnRunEnded(message);
    return 0;
}

} // namespace bench
