// Shared by the window tests of the progress and copy-error windows: a main window double, a job bound to a
// store element, the language library and skin, and painting into memory.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/MainWindowServices.h"
#include "engine/SyncJob.h"
#include "platform/ComGlue.h"
#include "platform/GdiPlusSession.h"
#include "platform/XmlDom.h"
#include "support/TestSupport.h"

namespace progresstest {

// Stands in for the main dialog over a hidden top-level window of this thread; sets g_pMainDlg while it lives.
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
    void SetJobRunning(CSyncJob *) override {}
    BOOL RunJobNow(CSyncJob *, int) override { return FALSE; }
    void ReportError(CSyncJob *, int, int) override {}
    void UpdateJob(CJobDef *) override {}
    void OnRunJobs() override { ++m_runJobsCalls; }
    CSyncJob *GetRunningJob() override { return m_runningJob; }
    void SetProgressShown(BOOL shown) override { m_progressShown = shown; }
    Gdiplus::Image *GetCloseImage() override { return m_closeImage; }

    // The WM_COMMAND ids posted to the window, taken from its queue.
    std::vector<WPARAM> TakePostedCommands();

    int m_mode = MAIN_MODE_BACKUP_IDLE;
    int m_runJobsCalls = 0;
    BOOL m_progressShown = TRUE;
    CSyncJob *m_runningJob = nullptr;
    Gdiplus::Image *m_closeImage = nullptr;

private:
    HWND m_hWnd = nullptr;
};

// Loads the English language library as the resource module once per program.
void UseLanguageLibrary();

// The build folder: the parent of the folder of this test program.
std::wstring BuildFolder();

// COM, GDI+, the language library, the skin folder and its shared images, and a store document for jobs.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A job bound to a new "jobdef" element with the given name.
    std::unique_ptr<CSyncJob> NewJob(LPCWSTR name);

    // Dispatches the messages waiting for this thread.
    static void Pump();

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    CGdiPlusSession m_gdiplus;
    testsupport::TempFolder m_folder;
    IXMLDOMDocument2Ptr m_document;
    CString m_savedLogPath;
    CString m_savedSkinFolder;
};

// The background painting of a window (WM_ERASEBKGND) drawn into a 32-bit memory bitmap.
class ErasedImage
{
public:
    explicit ErasedImage(HWND window);
    ~ErasedImage();
    ErasedImage(const ErasedImage &) = delete;
    ErasedImage &operator=(const ErasedImage &) = delete;

    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    // Saves the picture as a PNG file; false when that failed.
    bool SavePng(const std::wstring &path) const;

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    void *m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

} // namespace progresstest
