#include "MarkupTestSupport.h"

namespace markuptest
{

namespace
{

const wchar_t kWindowClass[] = L"VelbrookMarkupTestWindow";

CGdiObjectOwner<HFONT> FontOf(const PPHtmlTextRun &run)
{
    LOGFONTW lf = {};
    lf.lfHeight = run.nHeight;
    lf.lfWeight = run.nWeight;
    lf.lfItalic = static_cast<BYTE>(run.bItalic);
    lf.lfUnderline = static_cast<BYTE>(run.bUnderline);
    lf.lfStrikeOut = static_cast<BYTE>(run.bStrikeOut);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, run.strFace, LF_FACESIZE);
    return CGdiObjectOwner<HFONT>(CreateFontIndirectW(&lf));
}

} // namespace

std::wstring Recorder::Joined() const
{
    std::wstring joined;
    for (const PPHtmlTextRun &run : texts)
        joined += L"[" + std::wstring(run.strText.GetString()) + L"]";
    return joined;
}

const PPHtmlTextRun &Recorder::Run(LPCWSTR text) const
{
    for (const PPHtmlTextRun &run : texts)
        if (run.strText == text)
            return run;
    ADD_FAILURE() << "no run " << testing::PrintToString(std::wstring(text)) << " in "
                  << testing::PrintToString(Joined());
    static const PPHtmlTextRun none;
    return none;
}

MessageWindow::MessageWindow(UINT textMessage) : m_textMessage(textMessage)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &MessageWindow::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_hWnd =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageWindow::~MessageWindow()
{
    if (m_hWnd != nullptr)
    {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<MessageWindow *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self != nullptr && message >= WM_USER && message < 0x8000)
    {
        Message recorded = {message, wParam, lParam, std::wstring()};
        if (message == self->m_textMessage && wParam != 0)
            recorded.text = reinterpret_cast<LPCWSTR>(wParam);
        self->messages.push_back(recorded);
        return 1;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

void MarkupTest::SetUp()
{
    ASSERT_TRUE(m_canvas.Create(800, 600, true));
    RECT all = {0, 0, 800, 600};
    FillRect(m_canvas.GetDC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    m_drawer.SetObserver(&m_recorder);
}

CSize MarkupTest::MeasureAndDraw(const CString &text, int x, int y, int width)
{
    const CSize size = m_drawer.Measure(m_canvas.GetDC(), text);
    m_recorder.Clear();
    m_drawn = CRect(x, y, x + (width >= 0 ? width : size.cx - 1), y + size.cy - 1);
    m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
    return size;
}

int MarkupTest::TextWidth(const PPHtmlTextRun &run, const CString &text) const
{
    CGdiObjectOwner<HFONT> font = FontOf(run);
    HGDIOBJ old = SelectObject(m_canvas.GetDC(), font);
    SIZE extent = {};
    GetTextExtentPoint32W(m_canvas.GetDC(), text, text.GetLength(), &extent);
    SelectObject(m_canvas.GetDC(), old);
    return extent.cx;
}

TEXTMETRICW MarkupTest::Metrics(const PPHtmlTextRun &run) const
{
    CGdiObjectOwner<HFONT> font = FontOf(run);
    HGDIOBJ old = SelectObject(m_canvas.GetDC(), font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(m_canvas.GetDC(), &metrics);
    SelectObject(m_canvas.GetDC(), old);
    return metrics;
}

} // namespace markuptest
