#include "engine/CopyErrorList.h"

#include <cwchar>

void CCopyErrorList::AddErrorItem(LPCWSTR text, __time64_t time)
{
    if (text == nullptr)
        text = L"";
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_items.empty() && std::wcscmp(m_items.back().text, text) == 0) {
        m_items.back().time = time;
        return;
    }
    CopyErrorItem item;
    item.time = time;
    item.text = text;
    item.text.TrimRight(L" \t\r\n");
    m_items.push_back(item);
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
