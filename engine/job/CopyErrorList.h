// The copy errors of one job, one item per error with its time. Run threads add items while the
// user-interface thread reads them for the error window, so every member takes the list's lock.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/text/String.h"

struct CopyErrorItem
{
    __time64_t time = 0; // seconds since 1970 (UTC)
    CString text;
};

class CCopyErrorList
{
  public:
    CCopyErrorList() = default;
    CCopyErrorList(const CCopyErrorList &) = delete;
    CCopyErrorList &operator=(const CCopyErrorList &) = delete;

    // When the last item's text equals text exactly, only that item's time becomes time. Otherwise a new
    // item is appended with text cut of trailing blanks, tabs, CRs and LFs. The comparison is made with the
    // text as given, so a text that ends in a line break never merges with the one before it. A null text
    // counts as empty.
    void AddErrorItem(LPCWSTR text, __time64_t time);

    // Items are never removed: they gather over every run of the job while the program runs.
    size_t GetCount() const;
    // FALSE (item untouched) for an index past the end.
    BOOL GetItem(size_t index, CopyErrorItem &item) const;
    std::vector<CopyErrorItem> GetItems() const;

    // The job name the window shows in its title; handed over with each new error.
    void SetJobName(const CString &name);
    CString GetJobName() const;

    // The window told when items were added: by a posted message, never a send, as the adder is usually a
    // run thread. One message is under way at a time; null hWnd for none.
    void SetNotifyWindow(HWND hWnd, UINT message);
    // Stops telling hWnd (and nothing else) when it is the window being told.
    void ClearNotifyWindow(HWND hWnd);
    // The told window calls this before it reads the count: an item added from then on posts again.
    void NotifyReceived();

  private:
    void Notify();

    mutable std::mutex m_lock;
    std::vector<CopyErrorItem> m_items;
    CString m_jobName;
    HWND m_hWndNotify = nullptr; // under m_lock
    UINT m_notifyMessage = 0;    // under m_lock
    std::atomic<bool> m_notifyPending{false};
};
