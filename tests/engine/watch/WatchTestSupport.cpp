#include "WatchTestSupport.h"

#include <algorithm>

namespace watchtest
{

void RecordingHandler::FileAdded(LPCWSTR path)
{
    Add(std::wstring(L"added ") + path);
}

void RecordingHandler::FileRemoved(LPCWSTR path)
{
    Add(std::wstring(L"removed ") + path);
}

void RecordingHandler::FileRenamed(LPCWSTR oldPath, LPCWSTR newPath)
{
    Add(std::wstring(L"renamed ") + oldPath + L" > " + newPath);
}

void RecordingHandler::FileModified(LPCWSTR path)
{
    Add(std::wstring(L"modified ") + path);
}

void RecordingHandler::WatchError(DWORD error, LPCWSTR folder)
{
    Add(L"error " + std::to_wstring(error) + L" " + folder);
}

void RecordingHandler::WatchStarted(DWORD error, LPCWSTR folder)
{
    Add(L"started " + std::to_wstring(error) + L" " + folder);
}

void RecordingHandler::WatchStopped(LPCWSTR folder)
{
    Add(std::wstring(L"stopped ") + folder);
}

BOOL RecordingHandler::AcceptChange(DWORD, LPCWSTR, LPCWSTR)
{
    return accept;
}

std::vector<std::wstring> RecordingHandler::Events() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_events;
}

size_t RecordingHandler::Count(const std::wstring &event) const
{
    const std::vector<std::wstring> events = Events();
    return static_cast<size_t>(std::count(events.begin(), events.end(), event));
}

std::vector<std::wstring> RecordingHandler::NameEvents() const
{
    std::vector<std::wstring> named;
    for (const std::wstring &event : Events())
    {
        if (event.rfind(L"modified ", 0) != 0 && event.rfind(L"started ", 0) != 0 && event.rfind(L"stopped ", 0) != 0)
            named.push_back(event);
    }
    return named;
}

void RecordingHandler::Clear()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_events.clear();
}

void RecordingHandler::Add(const std::wstring &event)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_events.push_back(event);
}

void WatchTest::SetUp()
{
    m_window = std::make_unique<enginetest::FakeMainWindow>();
}

bool WatchTest::PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    return m_window->PumpUntil(done, timeoutMs);
}

} // namespace watchtest
