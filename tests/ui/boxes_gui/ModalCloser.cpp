#include "ModalCloser.h"

#include "ui/resources/UiResourceIds.h"

namespace boxtest
{

namespace
{

thread_local ModalCloser *t_closer = nullptr;

CString TextOf(HWND window)
{
    CString text;
    int length = ::GetWindowTextLengthW(window);
    if (length > 0)
    {
        LPWSTR buffer = text.GetBuffer(length + 1);
        int copied = ::GetWindowTextW(window, buffer, length + 1);
        text.ReleaseBuffer(copied);
    }
    return text;
}

CRect ClientRectOfControl(HWND box, int id)
{
    CRect rect;
    HWND control = ::GetDlgItem(box, id);
    if (control != nullptr)
    {
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, box, reinterpret_cast<LPPOINT>(&rect), 2);
    }
    return rect;
}

struct FindData
{
    const std::function<bool(HWND)> *matches;
    HWND found;
};

BOOL CALLBACK FindWindowProc(HWND window, LPARAM lParam)
{
    FindData *data = reinterpret_cast<FindData *>(lParam);
    if (::IsWindowVisible(window) && (*data->matches)(window))
    {
        data->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CancelDialogProc(HWND window, LPARAM)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") == 0)
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

bool IsDialog(HWND window)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return lstrcmpW(className, L"#32770") == 0;
}

} // namespace

BoxRecord Record(HWND box)
{
    BoxRecord record;
    record.found = true;
    record.box = box;
    record.owner = ::GetWindow(box, GW_OWNER);
    record.ownerEnabled = record.owner != nullptr && ::IsWindowEnabled(record.owner);
    ::GetWindowRect(box, &record.window);
    record.title = TextOf(box);
    record.text = TextOf(::GetDlgItem(box, IDC_SKIN_MESSAGE_TEXT));
    record.textRect = ClientRectOfControl(box, IDC_SKIN_MESSAGE_TEXT);
    record.button1 = ClientRectOfControl(box, IDOK);
    record.button2 = ClientRectOfControl(box, IDCANCEL);
    record.button1Visible = ::IsWindowVisible(::GetDlgItem(box, IDOK)) != FALSE;
    record.button2Visible = ::IsWindowVisible(::GetDlgItem(box, IDCANCEL)) != FALSE;
    record.caption1 = TextOf(::GetDlgItem(box, IDOK));
    record.caption2 = TextOf(::GetDlgItem(box, IDCANCEL));
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0));
    if (font != nullptr)
        ::GetObjectW(font, sizeof(record.font), &record.font);
    return record;
}

std::function<bool(HWND)> WindowWithControl(int id)
{
    return [id](HWND window) { return IsDialog(window) && ::GetDlgItem(window, id) != nullptr; };
}

std::function<bool(HWND)> DialogOwnedBy(const HWND *owner)
{
    return [owner](HWND window) { return IsDialog(window) && ::GetWindow(window, GW_OWNER) == *owner; };
}

std::function<void(HWND)> RecordInto(BoxRecord &record, std::function<void(HWND)> then)
{
    return [&record, then](HWND box) {
        record = Record(box);
        if (then)
            then(box);
    };
}

std::function<void(HWND)> ClickButton(int id)
{
    return [id](HWND box) {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
    };
}

std::function<void(HWND)> PressEscape()
{
    // Through the loop's dialog keyboard handling, as a real key would go.
    return [](HWND box) { ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); };
}

ModalCloser::ModalCloser(std::vector<Step> steps, DWORD timeoutMs)
    : m_steps(std::move(steps)), m_timeoutMs(timeoutMs), m_stepStart(::GetTickCount())
{
    m_previous = t_closer;
    t_closer = this;
    m_timer = ::SetTimer(nullptr, 0, 40, &ModalCloser::OnTimer);
}

ModalCloser::~ModalCloser()
{
    if (m_timer != 0)
        ::KillTimer(nullptr, m_timer);
    t_closer = m_previous;
}

void CALLBACK ModalCloser::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (t_closer != nullptr)
        t_closer->Tick();
}

void ModalCloser::Tick()
{
    if (AllDone() || m_timedOut)
        return;
    if (::GetTickCount() - m_stepStart > m_timeoutMs)
    {
        m_timedOut = true;
        ::EnumThreadWindows(::GetCurrentThreadId(), &CancelDialogProc, 0);
        return;
    }
    FindData data = {&m_steps[m_next].matches, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindWindowProc, reinterpret_cast<LPARAM>(&data));
    if (data.found == nullptr)
        return;
    Step &step = m_steps[m_next];
    ++m_next;
    m_stepStart = ::GetTickCount();
    step.act(data.found);
}

LanguageLibrary::LanguageLibrary()
    : m_previous(AfxGetResourceHandle()),
      m_module(::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str()))
{
    if (m_module != nullptr)
        AfxSetResourceHandle(m_module);
}

LanguageLibrary::~LanguageLibrary()
{
    AfxSetResourceHandle(m_previous);
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!done())
    {
        if (::GetTickCount() - start >= timeoutMs)
            return done();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!done())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

} // namespace boxtest
