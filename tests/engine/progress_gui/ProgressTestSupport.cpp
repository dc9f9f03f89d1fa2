#include "ProgressTestSupport.h"

#include "engine/ProgramObjects.h"
#include "engine/XmlLayer.h"
#include "platform/Resources.h"
#include "ui/SkinGlobals.h"

namespace progresstest {

namespace {

bool PngEncoder(CLSID &clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto *encoders = reinterpret_cast<Gdiplus::ImageCodecInfo *>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
    {
        if (::lstrcmpiW(encoders[i].MimeType, L"image/png") == 0)
        {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

FakeMainWindow::FakeMainWindow()
{
    m_hWnd = ::CreateWindowExW(0, L"STATIC", L"Main", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    g_pMainDlg = this;
}

FakeMainWindow::~FakeMainWindow()
{
    g_pMainDlg = nullptr;
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

std::vector<WPARAM> FakeMainWindow::TakePostedCommands()
{
    std::vector<WPARAM> commands;
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        commands.push_back(msg.wParam);
    return commands;
}

void UseLanguageLibrary()
{
    static HMODULE library = [] {
        HMODULE module = ::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str());
        if (module != nullptr)
            AfxSetResourceHandle(module);
        return module;
    }();
    ASSERT_NE(library, nullptr);
}

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
    ASSERT_TRUE(m_com.Succeeded());
    ASSERT_TRUE(m_gdiplus.IsStarted());
    UseLanguageLibrary();
    m_savedLogPath = g_strLogPath;
    g_strLogPath = (m_folder / L"Zel.log").c_str();
    m_savedSkinFolder = g_strSkinFolder;
    g_strSkinFolder = testsupport::SkinFolder().c_str();
    LoadSharedSkinImages(g_strSkinFolder);

    _com_util::CheckError(m_document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    _com_util::CheckError(m_document->loadXML(_bstr_t(L"<Tessel xmlns=\"ORVANE\"/>"), &loaded));
    ASSERT_EQ(loaded, VARIANT_TRUE);
    SetXmlStoreDocument(m_document);
}

void WindowTest::TearDown()
{
    FreeSharedSkinImages();
    g_strSkinFolder = m_savedSkinFolder;
    g_strLogPath = m_savedLogPath;
    SetXmlStoreDocument(nullptr);
}

std::unique_ptr<CSyncJob> WindowTest::NewJob(LPCWSTR name)
{
    IXMLDOMNodePtr node;
    _com_util::CheckError(m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                                 _bstr_t(L"ORVANE"), &node));
    IXMLDOMElementPtr element(node);
    XmlSetAttributeString(element, L"name", name);
    XmlSetAttributeInt(element, L"state", 1);
    auto job = std::make_unique<CSyncJob>();
    job->Attach(element);
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
    if (!PngEncoder(png))
        return false;
    if (m_bits == nullptr)
        return false;
    ::GdiFlush();
    // Straight from the section's pixels: a bitmap still selected into a DC must not be handed to GDI+.
    Gdiplus::Bitmap bitmap(m_width, m_height, m_width * 4, PixelFormat32bppRGB, static_cast<BYTE *>(m_bits));
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

} // namespace progresstest
