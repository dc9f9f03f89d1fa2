#include "ProgressTestSupport.h"

#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Resources.h"
#include "support/ImageSupport.h"
#include "ui/skin/SkinGlobals.h"

namespace progresstest
{

std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    for (int i = 0; i < 2; ++i)
    {
        const size_t slash = folder.find_last_of(L"\\/");
        if (slash == std::wstring::npos)
            return std::wstring();
        folder.erase(slash);
    }
    return folder + L"\\";
}

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
    CLSID png;
    if (!testsupport::PngEncoder(png))
        return false;
    if (m_bits == nullptr)
        return false;
    ::GdiFlush();
    // Straight from the section's pixels: a bitmap still selected into a DC must not be handed to GDI+.
    Gdiplus::Bitmap bitmap(m_width, m_height, m_width * 4, PixelFormat32bppRGB, static_cast<BYTE *>(m_bits));
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

} // namespace progresstest
