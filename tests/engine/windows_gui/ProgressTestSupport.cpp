#include "ProgressTestSupport.h"

#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Resources.h"
#include "support/ImageSupport.h"
#include "ui/skin/SkinGlobals.h"

namespace progresstest
{

void WindowTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    ASSERT_TRUE(m_gdiplus.IsStarted());
    m_savedSkinFolder = g_strSkinFolder;
    g_strSkinFolder = testsupport::SkinFolder().c_str();
    LoadSharedSkinImages(g_strSkinFolder);
}

void WindowTest::TearDown()
{
    FreeSharedSkinImages();
    g_strSkinFolder = m_savedSkinFolder;
    EngineTest::TearDown();
}

std::unique_ptr<CSyncJob> WindowTest::NewJob(LPCWSTR name)
{
    auto job = std::make_unique<CSyncJob>();
    job->Attach(NewJobElement(m_document, name));
    return job;
}

void WindowTest::Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

ErasedImage::ErasedImage(HWND window)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_width = client.right;
    m_height = client.bottom;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    m_previous = ::SelectObject(m_dc, m_bitmap);
    RECT all = {0, 0, client.right, client.bottom};
    ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_dc), 0);
}

ErasedImage::~ErasedImage()
{
    ::SelectObject(m_dc, m_previous);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

bool ErasedImage::SavePng(const std::wstring &path) const
{
    return testsupport::SaveSectionAsPng(m_bits, m_width, m_height, true, path);
}

} // namespace progresstest
