// The tooltip's state machine: scheduling a tool, and the show, hide, fade and animation timers.
#include "ui/tooltip/PPToolTip.h"

#include <algorithm>

void CPPToolTip::OnTimer(UINT_PTR nIDEvent)
{
    switch (nIDEvent)
    {
    case TIMER_SHOW:
        OnShowTimer();
        break;
    case TIMER_HIDE:
        OnHideTimer();
        break;
    case TIMER_FADE_IN:
        OnFadeInTimer();
        break;
    case TIMER_FADE_OUT:
        OnFadeOutTimer();
        break;
    case TIMER_ANIMATION:
        if (IsWindowVisible() && m_nTooltipState == STATE_SHOWN && m_drawer.AnimationTick())
            RepaintNow();
        break;
    default:
        CWnd::OnTimer(nIDEvent);
        break;
    }
}

void CPPToolTip::ScheduleTool(HWND hWnd, const ToolInfo &ti, bool bDelay)
{
    m_bNextPending = false;
    if (m_nTooltipState == STATE_APPEARING || m_nTooltipState == STATE_SHOWN)
        StartHiding();
    m_next.hWnd = hWnd;
    m_next.nShowMode = 0;
    m_next.ti = ti;
    if (m_nTooltipState == STATE_HIDDEN)
    {
        if (bDelay && m_nTimeInitial > 0)
            SetTimer(TIMER_SHOW, m_nTimeInitial);
        else
            OnShowTimer();
        return;
    }
    // Still fading out: the tool follows when the tip has gone.
    m_bNextPending = true;
    m_bDelayNextTool = bDelay && m_nTimeInitial > 0;
}

void CPPToolTip::OnShowTimer()
{
    KillTimer(TIMER_SHOW);
    CPoint cursor;
    if (g_pfnToolTipGetCursorPos(&cursor) && cursor == m_ptOriginal)
    {
        if (m_nTooltipState != STATE_HIDDEN)
            return;
        m_nTooltipState = STATE_APPEARING;
        DisplayTooltip();
        if (m_nShowEffect == SHOW_EFFECT_FADE && m_nTimeFadeIn > 0)
        {
            SetTimer(TIMER_FADE_IN, m_nTimeFadeIn);
        }
        else
        {
            m_nTooltipState = STATE_SHOWN;
            if (m_nTimeAutoPop > 0 && (m_next.ti.nBehaviour & BEHAVE_NO_AUTOPOP) == 0)
                SetTimer(TIMER_HIDE, m_nTimeAutoPop);
        }
        return;
    }
    // The pointer moved on while the tool waited.
    if (m_nTooltipState == STATE_APPEARING || m_nTooltipState == STATE_SHOWN)
        OnHideTimer();
}

void CPPToolTip::StartHiding()
{
    OnHideTimer();
}

void CPPToolTip::OnHideTimer()
{
    KillTimer(TIMER_SHOW);
    KillTimer(TIMER_FADE_IN);
    KillTimer(TIMER_HIDE);
    if (m_nTooltipState == STATE_DISAPPEARING)
        return;
    m_nTooltipState = STATE_DISAPPEARING;
    if (m_nHideEffect == SHOW_EFFECT_FADE && m_nTimeFadeOut > 0)
    {
        SetTimer(TIMER_FADE_OUT, m_nTimeFadeOut);
        return;
    }
    m_nTransparency = 100;
    OnFadeOutTimer();
}

void CPPToolTip::OnFadeInTimer()
{
    m_nTransparency = std::max(m_nTransparency - 20, 0);
    if (m_nTransparency <= m_next.ti.nTransparency)
    {
        m_nTransparency = m_next.ti.nTransparency;
        KillTimer(TIMER_FADE_IN);
        m_nTooltipState = STATE_SHOWN;
        RestartLifeTime();
    }
    RepaintNow();
}

void CPPToolTip::OnFadeOutTimer()
{
    m_nTransparency = m_nTransparency < 80 ? m_nTransparency + 20 : 100;
    if (m_nTransparency < 100)
    {
        RepaintNow();
        return;
    }
    KillTimer(TIMER_FADE_OUT);
    if (DisplayedBehaviour() & BEHAVE_MULTIPLE_SHOW)
        ForgetDisplayedTool();
    ShowWindow(SW_HIDE);
    m_nTooltipState = STATE_HIDDEN;
    if (m_bNextPending)
    {
        m_bNextPending = false;
        if (m_bDelayNextTool)
            SetTimer(TIMER_SHOW, m_nTimeInitial);
        else
            OnShowTimer();
        return;
    }
    m_displayed.nShowMode = 0;
    m_next.nShowMode = 0;
}

void CPPToolTip::HideTooltip()
{
    m_nTooltipState = STATE_HIDDEN;
    m_displayed.nShowMode = 0;
    m_next.nShowMode = 0;
    KillTimer(TIMER_SHOW);
    KillTimer(TIMER_HIDE);
    KillTimer(TIMER_FADE_IN);
    KillTimer(TIMER_FADE_OUT);
    if (IsWindowVisible())
    {
        if (DisplayedBehaviour() & BEHAVE_MULTIPLE_SHOW)
            ForgetDisplayedTool();
        ShowWindow(SW_HIDE);
    }
}

void CPPToolTip::RestartLifeTime()
{
    if (m_nTimeAutoPop > 0 && (DisplayedBehaviour() & BEHAVE_NO_AUTOPOP) == 0)
        SetTimer(TIMER_HIDE, m_nTimeAutoPop);
}

void CPPToolTip::MoveWithCursor()
{
    CPoint cursor;
    if (!g_pfnToolTipGetCursorPos(&cursor))
        return;
    CRect window;
    GetWindowRect(&window);
    MoveWindow(cursor.x - m_placement.ptAnchor.x, cursor.y - m_placement.ptAnchor.y, window.Width(), window.Height(),
               TRUE);
}

void CPPToolTip::ForgetDisplayedTool()
{
    m_displayed.hWnd = nullptr;
    m_displayed.ti.rectBounds.SetRectEmpty();
}
