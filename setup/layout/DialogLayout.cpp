#include "setup/layout/DialogLayout.h"

#include "platform/windows/Wnd.h"

namespace
{

// One axis: near and far are the control's edges, from and to the client area's edges before and after.
void LayoutAxis(LONG &nearEdge, LONG &farEdge, bool nearAnchor, bool farAnchor, LONG fromNear, LONG fromFar,
                LONG toNear, LONG toFar)
{
    if (nearAnchor && farAnchor)
    {
        farEdge += toFar - fromFar;
    }
    else if (farAnchor)
    {
        nearEdge += toFar - fromFar;
        farEdge += toFar - fromFar;
    }
    else if (!nearAnchor)
    {
        const LONG shift = (toFar - toNear) / 2 - (fromFar - fromNear) / 2;
        nearEdge += shift;
        farEdge += shift;
    }
}

} // namespace

void KeepMinimumTrackSize(UINT side, RECT &rect, const RECT &minimum)
{
    const LONG width = minimum.right - minimum.left;
    const LONG height = minimum.bottom - minimum.top;
    if (width <= 0 || height <= 0)
        return;
    if (rect.right - rect.left < width)
    {
        if (side == WMSZ_LEFT || side == WMSZ_TOPLEFT || side == WMSZ_BOTTOMLEFT)
            rect.left = rect.right - width;
        else
            rect.right = rect.left + width;
    }
    if (rect.bottom - rect.top < height)
    {
        if (side == WMSZ_TOP || side == WMSZ_TOPLEFT || side == WMSZ_TOPRIGHT)
            rect.top = rect.bottom - height;
        else
            rect.bottom = rect.top + height;
    }
}

RECT LayoutControlRect(const RECT &control, DWORD flags, const RECT &previous, const RECT &current)
{
    RECT result = control;
    LayoutAxis(result.left, result.right, (flags & LAYOUT_LEFT) != 0, (flags & LAYOUT_RIGHT) != 0, previous.left,
               previous.right, current.left, current.right);
    LayoutAxis(result.top, result.bottom, (flags & LAYOUT_TOP) != 0, (flags & LAYOUT_BOTTOM) != 0, previous.top,
               previous.bottom, current.top, current.bottom);
    if (flags & LAYOUT_SNAP_TOP)
        result.top = current.top;
    if (flags & LAYOUT_SNAP_LEFT)
        result.left = current.left;
    if (flags & LAYOUT_SNAP_RIGHT)
        result.right = current.right;
    if (flags & LAYOUT_SNAP_BOTTOM)
        result.bottom = current.bottom;
    return result;
}

CDialogLayout::CDialogLayout() : m_count(0), m_window(nullptr), m_reference{0, 0, 0, 0}, m_first(nullptr)
{
}

CDialogLayout::~CDialogLayout()
{
    FreeList(m_first);
}

bool CDialogLayout::Attach(HWND window)
{
    if (!::IsWindow(window))
        return false;
    m_window = window;
    return ::GetClientRect(window, &m_reference) != FALSE;
}

bool CDialogLayout::Attach(CWnd *window)
{
    return Attach(window != nullptr ? window->GetSafeHwnd() : nullptr);
}

bool CDialogLayout::AddControl(HWND control, DWORD flags)
{
    RECT rect;
    if (control == nullptr || !::GetWindowRect(control, &rect))
        return false;
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ::ScreenToClient(m_window, &corners[0]);
    ::ScreenToClient(m_window, &corners[1]);
    auto *entry = new Entry{control, flags, {corners[0].x, corners[0].y, corners[1].x, corners[1].y}, nullptr};
    Entry **link = &m_first;
    while (*link != nullptr)
        link = &(*link)->next;
    *link = entry;
    ++m_count;
    return true;
}

bool CDialogLayout::AddControl(CWnd *control, DWORD flags)
{
    return AddControl(control != nullptr ? control->GetSafeHwnd() : nullptr, flags);
}

bool CDialogLayout::Apply(BOOL)
{
    RECT current;
    if (m_window == nullptr || !::GetClientRect(m_window, &current))
        return false;
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_count));
    for (Entry *entry = m_first; entry != nullptr; entry = entry->next)
    {
        entry->rect = LayoutControlRect(entry->rect, entry->flags, m_reference, current);
        const RECT &r = entry->rect;
        if (batch != nullptr)
            batch = ::DeferWindowPos(batch, entry->control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
        else
            ::SetWindowPos(entry->control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch != nullptr)
        ::EndDeferWindowPos(batch);
    m_reference = current;
    return true;
}

void CDialogLayout::FreeList(Entry *entry)
{
    Entry **link = &m_first;
    while (*link != nullptr && *link != entry)
        link = &(*link)->next;
    // Only entries of this chain are freed.
    if (entry == nullptr || *link != entry)
        return;
    *link = nullptr;
    while (entry != nullptr)
    {
        Entry *next = entry->next;
        delete entry;
        --m_count;
        entry = next;
    }
}
