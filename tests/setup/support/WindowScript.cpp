#include "setup/support/WindowScript.h"

namespace setuptest
{

namespace
{

thread_local WindowScript *t_script = nullptr;
thread_local bool t_givingUp = false;
const UINT kTickMs = 50;

bool IsDialogWindow(HWND window)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return ::lstrcmpW(className, L"#32770") == 0;
}

struct Search
{
    int controlId;
    HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM lParam)
{
    auto *search = reinterpret_cast<Search *>(lParam);
    if (::IsWindowVisible(window) && IsDialogWindow(window) && ::GetDlgItem(window, search->controlId) != nullptr)
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CancelProc(HWND window, LPARAM)
{
    if (::IsWindowVisible(window) && IsDialogWindow(window))
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

} // namespace

WindowScript::WindowScript(std::vector<Step> steps, DWORD stepTimeoutMs)
    : m_steps(std::move(steps)), m_stepTimeoutMs(stepTimeoutMs), m_stepStart(::GetTickCount())
{
    m_previous = t_script;
    t_script = this;
    m_timer = ::SetTimer(nullptr, 0, kTickMs, &WindowScript::OnTimer);
}

WindowScript::~WindowScript()
{
    if (m_timer != 0)
        ::KillTimer(nullptr, m_timer);
    t_script = m_previous;
    t_givingUp = false;
}

bool WindowScript::GivingUp()
{
    return t_givingUp;
}

void CALLBACK WindowScript::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (t_script != nullptr)
        t_script->Tick();
}

void WindowScript::Tick()
{
    // A step may dispatch messages itself (a picture of a window waits for its paints): no tick inside a tick.
    if (m_inTick || Finished())
        return;
    m_inTick = true;
    if (m_failedStep >= 0)
    {
        ::EnumThreadWindows(::GetCurrentThreadId(), &CancelProc, 0);
    }
    else if (m_steps[m_next]())
    {
        ++m_next;
        m_stepStart = ::GetTickCount();
    }
    else if (::GetTickCount() - m_stepStart > m_stepTimeoutMs)
    {
        m_failedStep = static_cast<int>(m_next);
        t_givingUp = true;
    }
    m_inTick = false;
}

HWND FindDialogWith(int controlId)
{
    Search search = {controlId, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PressKey(HWND window, UINT key)
{
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void ChooseComboItem(HWND dialog, int comboId, int index)
{
    HWND combo = ::GetDlgItem(dialog, comboId);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

} // namespace setuptest
