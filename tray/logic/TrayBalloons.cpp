#include "tray/logic/TrayBalloons.h"

#include <stdio.h>

#include <utility>

#include "tray/logic/TraySeams.h"

namespace
{

const DWORD kFinishedBalloonMs = 3000;

} // namespace

CTrayBalloons::CTrayBalloons(ITrayBalloonSink &sink, std::function<std::wstring()> loadFormat)
    : m_sink(sink), m_loadFormat(std::move(loadFormat))
{
}

void CTrayBalloons::OnProgress(int value)
{
    if (!m_formatLoaded)
    {
        m_formatLoaded = true;
        if (m_loadFormat)
            m_format = m_loadFormat();
    }
    if (value == m_last)
        return;
    m_last = value;
    if (value > 100)
        value = m_last = 100;
    if (m_hidden)
    {
        if (value != 0)
            return;
        m_hidden = FALSE;
        m_count = 0;
    }
    wchar_t text[256] = {};
    if (!m_format.empty())
        _snwprintf(text, 255, m_format.c_str(), value);
    ++m_count;
    m_sink.ShowBalloon(text);
    if (m_last == 100)
    {
        g_pfnTrayPause(kFinishedBalloonMs);
        Hide();
    }
}

void CTrayBalloons::OnHide()
{
    Hide();
}

void CTrayBalloons::OnRunStopped(const std::wstring &text)
{
    if (text.empty())
        return;
    ++m_count;
    m_sink.ShowBalloon(text);
    m_hidden = TRUE;
}

std::wstring RunStoppedBalloonText(const std::wstring &cause, DWORD error)
{
    std::wstring text = cause;
    wchar_t reason[256] = {};
    if (error != 0 && ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reason, 255, nullptr) > 0)
    {
        std::wstring line = reason;
        while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n' || line.back() == L' '))
            line.pop_back();
        if (!text.empty() && !line.empty())
            text += L' ';
        text += line;
    }
    return text;
}

void CTrayBalloons::OnBalloonTimeout()
{
    if (m_count != 0)
        --m_count;
    if (m_count == 0)
        Hide();
}

void CTrayBalloons::Hide()
{
    m_sink.HideBalloon();
    m_hidden = TRUE;
}
