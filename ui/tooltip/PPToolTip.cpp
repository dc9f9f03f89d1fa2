// The tooltip's window, its tools, and the relaying of the owner's messages.
#include "ui/tooltip/PPToolTip.h"

#include <system_error>

#include "platform/system/Resources.h"

Seam<PFN_TOOLTIP_GET_CURSOR_POS> g_pfnToolTipGetCursorPos{&::GetCursorPos};

const wchar_t CPPToolTip::kClassName[] = L"CPPToolTip";

BEGIN_MESSAGE_MAP(CPPToolTip, CWnd)
ON_WM_TIMER()
ON_WM_PAINT()
ON_WM_SETCURSOR()
ON_WM_ACTIVATEAPP()
ON_MESSAGE(MSG_TOOLTIP_REPAINT, &CPPToolTip::OnRepaintTooltip)
END_MESSAGE_MAP()

CPPToolTip::CPPToolTip()
{
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSW existing = {};
    if (!::GetClassInfoW(instance, kClassName, &existing))
    {
        WNDCLASSW wc = {};
        wc.style = CS_SAVEBITS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (::RegisterClassW(&wc) == 0)
        {
            const DWORD error = ::GetLastError();
            if (error != ERROR_CLASS_ALREADY_EXISTS)
                throw std::system_error(static_cast<int>(error), std::system_category(),
                                        "cannot register the CPPToolTip window class");
        }
    }

    const COLORREF info = ::GetSysColor(COLOR_INFOBK);
    m_defaults.nDirection = SIDE_ABOVE;
    m_defaults.crBegin = m_defaults.crMid = m_defaults.crEnd = info;
    m_borderBrush.Attach(::CreateSolidBrush(::GetSysColor(COLOR_INFOTEXT)));
    m_drawer.SetMaxWidth(0);
}

CPPToolTip::~CPPToolTip()
{
    FreeDisplay();
    m_tools.clear();
    if (m_hWnd != nullptr)
        DestroyWindow();
}

bool CPPToolTip::Create(CWnd *pParentWnd, BOOL bBalloon)
{
    m_hParentWnd = pParentWnd->GetSafeHwnd();
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP, 0, 0, 0, 0, m_hParentWnd, nullptr))
        return false;
    if (bBalloon)
    {
        m_sizes.nCornerWidth = 16;
        m_sizes.nCornerHeight = 16;
        m_sizes.nMarginH = 12;
        m_sizes.nMarginV = 12;
        m_sizes.nAnchorWidth = 12;
        m_sizes.nAnchorHeight = 16;
        m_sizes.nAnchorMargin = 16;
    }
    else
    {
        m_sizes = PPToolTipSizes();
        m_sizes.nMarginH = 3;
        m_sizes.nMarginV = 1;
    }
    m_drawer.SetLinkNotify(m_hWnd, MSG_TOOLTIP_REPAINT, 0);
    KillTimer(TIMER_ANIMATION);
    SetTimer(TIMER_ANIMATION, 100);
    return true;
}

BOOL CPPToolTip::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    HideTooltip();
    KillTimer(TIMER_ANIMATION);
    m_drawer.SetLinkNotify(nullptr, 0, 0);
    return CWnd::DestroyWindow();
}

void CPPToolTip::AddTool(CWnd *pWnd, const CString &strText, LPCRECT lpRectBounds, UINT nIDTool)
{
    HWND hWnd = pWnd->GetSafeHwnd();
    if (hWnd == nullptr)
        return;
    ToolInfo ti;
    ti.nIDTool = nIDTool;
    if (lpRectBounds != nullptr)
        ti.rectBounds = *lpRectBounds;
    ti.sTooltip = strText;
    std::vector<ToolInfo> &tools = m_tools[hWnd];
    for (ToolInfo &tool : tools)
    {
        if (::EqualRect(&tool.rectBounds, &ti.rectBounds))
        {
            tool = ti;
            return;
        }
    }
    tools.push_back(ti);
}

BOOL CPPToolTip::PreTranslateMessage(MSG *pMsg)
{
    RelayEvent(pMsg);
    return CWnd::PreTranslateMessage(pMsg);
}

BOOL CPPToolTip::IsCursorOverTip() const
{
    CPoint cursor;
    if (!g_pfnToolTipGetCursorPos(&cursor))
        return FALSE;
    return IsWindowVisible() && ::WindowFromPoint(cursor) == m_hWnd;
}

void CPPToolTip::RelayEvent(MSG *pMsg)
{
    if (m_hWnd == nullptr || pMsg == nullptr)
        return;
    switch (pMsg->message)
    {
    case WM_MOUSEMOVE:
        RelayMouseMove();
        break;
    case WM_LBUTTONDOWN:
        if (IsCursorOverTip())
        {
            CPoint point;
            g_pfnToolTipGetCursorPos(&point);
            ScreenToClient(&point);
            m_drawer.Click(point);
        }
        HideTooltip();
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
        HideTooltip();
        break;
    default:
        break;
    }
}

void CPPToolTip::RelayMouseMove()
{
    CPoint cursor;
    if (!g_pfnToolTipGetCursorPos(&cursor) || cursor == m_ptOriginal)
        return;
    m_ptOriginal = cursor;
    CPoint point = cursor;
    ::ScreenToClient(m_hParentWnd, &point);

    if (IsWindowVisible() && ::WindowFromPoint(cursor) == m_hWnd)
    {
        if ((DisplayedBehaviour() & BEHAVE_TRACK_MOUSE) == 0)
        {
            if (DisplayedBehaviour() & BEHAVE_KEEP_OVER_TIP)
                RestartLifeTime();
            else
                StartHiding();
            return;
        }
    }

    HWND hTool = nullptr;
    ToolInfo ti;
    if (!FindTool(point, hTool, ti))
    {
        ForgetDisplayedTool();
        KillTimer(TIMER_SHOW);
        StartHiding();
        return;
    }
    if (hTool == m_displayed.hWnd && ::EqualRect(&ti.rectBounds, &m_displayed.ti.rectBounds))
    {
        const UINT behaviour = DisplayedBehaviour();
        if (behaviour & BEHAVE_TRACK_MOUSE)
        {
            RestartLifeTime();
            MoveWithCursor();
        }
        else if (behaviour & BEHAVE_KEEP_IN_TOOL)
        {
            RestartLifeTime();
        }
        else if (behaviour & BEHAVE_MULTIPLE_SHOW)
        {
            ScheduleTool(hTool, ti, true);
        }
        else
        {
            StartHiding();
        }
        return;
    }
    ScheduleTool(hTool, ti, true);
}

bool CPPToolTip::FindTool(POINT point, HWND &hTool, ToolInfo &ti) const
{
    CPoint screen = point;
    ::ClientToScreen(m_hParentWnd, &screen);
    HWND under = ::WindowFromPoint(screen);
    if (under == nullptr)
        return false;
    HWND parent = ::GetParent(under);
    if (parent == nullptr)
        return false;

    // The edit box of a drop-down combo box stands for the combo box.
    HWND candidate = nullptr;
    wchar_t className[32] = {};
    ::GetClassNameW(parent, className, 32);
    if (::lstrcmpiW(className, L"combobox") == 0 && (::GetWindowLongW(parent, GWL_STYLE) & 0x0F) == CBS_DROPDOWN)
    {
        candidate = parent;
    }
    else
    {
        CPoint inUnder = screen;
        ::ScreenToClient(under, &inUnder);
        candidate = ::ChildWindowFromPoint(under, inUnder);
    }
    if (candidate == nullptr || !::IsWindowEnabled(candidate))
        return false;

    auto found = m_tools.find(candidate);
    if (found == m_tools.end() || found->second.empty())
        return false;
    const std::vector<ToolInfo> &tools = found->second;
    if (tools.size() == 1 && tools[0].rectBounds.IsRectEmpty())
    {
        hTool = candidate;
        ti = tools[0];
        return true;
    }
    CPoint inCandidate = screen;
    ::ScreenToClient(candidate, &inCandidate);
    for (const ToolInfo &tool : tools)
    {
        if (tool.rectBounds.PtInRect(inCandidate))
        {
            hTool = candidate;
            ti = tool;
            return true;
        }
    }
    return false;
}
