#include "engine/job/CopyErrorList.h"

#include <cwchar>

void CCopyErrorList::AddErrorItem(LPCWSTR text, __time64_t time)
{
    if (text == nullptr)
        text = L"";
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!m_items.empty() && std::wcscmp(m_items.back().text, text) == 0)
        {
            m_items.back().time = time;
        }
        else
        {
            CopyErrorItem item;
            item.time = time;
            item.text = text;
            item.text.TrimRight(L" \t\r\n");
            m_items.push_back(item);
        }
    }
    Notify();
}

void CCopyErrorList::SetNotifyWindow(HWND hWnd, UINT message)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_hWndNotify = hWnd;
    m_notifyMessage = message;
    m_notifyPending = false;
}

void CCopyErrorList::ClearNotifyWindow(HWND hWnd)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_hWndNotify == hWnd)
    {
        m_hWndNotify = nullptr;
        m_notifyMessage = 0;
    }
}

void CCopyErrorList::NotifyReceived()
{
    m_notifyPending = false;
}

void CCopyErrorList::Notify()
{
    HWND hWnd;
    UINT message;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        hWnd = m_hWndNotify;
        message = m_notifyMessage;
    }
    if (hWnd == nullptr || m_notifyPending.exchange(true))
        return;
    if (!::PostMessageW(hWnd, message, 0, 0))
        m_notifyPending = false;
}

size_t CCopyErrorList::GetCount() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_items.size();
}

BOOL CCopyErrorList::GetItem(size_t index, CopyErrorItem &item) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (index >= m_items.size())
        return FALSE;
    item = m_items[index];
    return TRUE;
}

std::vector<CopyErrorItem> CCopyErrorList::GetItems() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_items;
}

void CCopyErrorList::SetJobName(const CString &name)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_jobName = name;
}

CString CCopyErrorList::GetJobName() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_jobName;
}
