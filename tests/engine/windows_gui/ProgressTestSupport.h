// Shared by the window tests of the progress and copy-error windows: a job bound to a store element, the
// language library and skin, and painting into memory.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "platform/drawing/GdiPlusSession.h"

namespace progresstest
{

using namespace enginetest;

// COM, GDI+, the language library, the skin folder and its shared images, and a store document for jobs.
class WindowTest : public EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A job bound to a new "jobdef" element with the given name.
    std::unique_ptr<CSyncJob> NewJob(LPCWSTR name);

    // Dispatches the messages waiting for this thread.
    static void Pump();

    CGdiPlusSession m_gdiplus;
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

    COLORREF At(int x, int y) const
    {
        return ::GetPixel(m_dc, x, y);
    }
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
