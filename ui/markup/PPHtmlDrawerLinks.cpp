// Links and animation of the markup drawer: hot areas, the pointer over them, clicks, and animation entries.
#include "ui/markup/PPHtmlDrawer.h"

void CPPHtmlDrawer::SetLinkNotify(HWND hWnd, UINT nMessage, LPARAM lParam)
{
    m_hNotifyWnd = hWnd;
    m_nNotifyMsg = hWnd != nullptr ? nMessage : 0;
    m_lNotifyParam = hWnd != nullptr ? lParam : 0;
}

void CPPHtmlDrawer::SetMsgTarget(HWND hWnd, UINT nMessage, LPARAM lParam)
{
    m_hMsgWnd = hWnd;
    m_nMsgMsg = nMessage;
    m_lMsgParam = lParam;
}

int CPPHtmlDrawer::OpenLink() const
{
    return m_style.nTypeLink != PPLINK_NONE ? m_nLinkCounter : 0;
}

BOOL CPPHtmlDrawer::IsOpenLinkMarked() const
{
    const int link = OpenLink();
    return link != 0 && link == m_nMarkedLink;
}

void CPPHtmlDrawer::AddHotArea(const CRect &rect)
{
    if (m_bMeasuring || OpenLink() == 0)
        return;
    PPHtmlHotArea area;
    area.rect = rect;
    area.nTypeLink = m_style.nTypeLink;
    area.nLink = OpenLink();
    area.strLink = m_style.sHyperlink;
    m_hotAreas.push_back(area);
    if (m_pObserver != nullptr)
        m_pObserver->OnHotArea(area);
}

const PPHtmlHotArea *CPPHtmlDrawer::HotAreaAt(POINT point) const
{
    for (const PPHtmlHotArea &area : m_hotAreas)
    {
        // Edges count as inside.
        if (point.x >= area.rect.left && point.x <= area.rect.right && point.y >= area.rect.top &&
            point.y <= area.rect.bottom)
            return &area;
    }
    return nullptr;
}

BOOL CPPHtmlDrawer::PointerOver(POINT point)
{
    const PPHtmlHotArea *found = HotAreaAt(point);
    if (found == nullptr)
    {
        if (m_nMarkedLink != -2)
        {
            m_nMarkedLink = -2;
            if (m_hNotifyWnd != nullptr && m_nNotifyMsg != 0)
                ::SendMessageW(m_hNotifyWnd, m_nNotifyMsg, static_cast<WPARAM>(-2), m_lNotifyParam);
        }
        return FALSE;
    }
    // The notified window may draw again at once, which renews the hot areas: work on a copy.
    const PPHtmlHotArea area = *found;
    if (area.nLink != m_nMarkedLink)
    {
        m_nMarkedLink = area.nLink;
        if (m_hNotifyWnd != nullptr && m_nNotifyMsg != 0)
            ::SendMessageW(m_hNotifyWnd, m_nNotifyMsg, static_cast<WPARAM>(m_nMarkedLink), m_lNotifyParam);
    }
    if (!area.strLink.IsEmpty() && m_extension)
    {
        HCURSOR cursor = m_extension->GetHandCursor();
        if (cursor != nullptr)
        {
            ::SetCursor(cursor);
            return TRUE;
        }
    }
    return FALSE;
}

void CPPHtmlDrawer::Click(POINT point)
{
    const PPHtmlHotArea *area = HotAreaAt(point);
    if (area == nullptr || area->strLink.IsEmpty())
        return;
    // The message's receiver may draw again at once, which renews the hot areas: work on copies.
    const CString link = area->strLink;
    switch (area->nTypeLink)
    {
    case PPLINK_HREF:
        if (m_extension)
            m_extension->RunHyperlink(link, SW_SHOW);
        break;
    case PPLINK_MSG:
        if (m_hMsgWnd != nullptr && m_nMsgMsg != 0)
            ::SendMessageW(m_hMsgWnd, m_nMsgMsg, reinterpret_cast<WPARAM>(link.GetString()), m_lMsgParam);
        break;
    default:
        break;
    }
}

int CPPHtmlDrawer::AddAnimation(int nFrames, int nTicksPerFrame)
{
    Animation animation;
    animation.nFrames = nFrames;
    animation.nTicksPerFrame = nTicksPerFrame;
    m_animations.push_back(animation);
    return static_cast<int>(m_animations.size()) - 1;
}

int CPPHtmlDrawer::TakeAnimationFrame()
{
    if (m_nAnimationTaken >= m_animations.size())
        return 0;
    return m_animations[m_nAnimationTaken++].nFrame;
}

BOOL CPPHtmlDrawer::AnimationTick()
{
    BOOL changed = FALSE;
    for (Animation &animation : m_animations)
    {
        if (animation.nFrames <= 0)
            continue;
        if (++animation.nTicks >= animation.nTicksPerFrame)
        {
            animation.nFrame = (animation.nFrame + 1) % animation.nFrames;
            animation.nTicks = 0;
            changed = TRUE;
        }
    }
    return changed;
}
