// The job list view's cards, scrolling, mouse and timer.
#include "app/joblist/JobListView.h"

#include <algorithm>

#include "engine/store/JobDef.h"
#include "platform/windows/Dialog.h"
#include "platform/windows/WinApp.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

// The empty view's large buttons: their top and their left edges, from the cards' left edge.
const int kLargeButtonTop = 110;
const int kLargeButtonLefts[LARGE_BUTTON_COUNT] = {40, 220, 400};
// Without its image a large button is this large.
const int kLargeButtonWidth = 120;
const int kLargeButtonHeight = 100;

} // namespace

int JobListCentringWidth(int clientWidth, int clientHeight, int totalHeight, BOOL hasVerticalBar, int barWidth)
{
    if (totalHeight > clientHeight && !hasVerticalBar)
        return clientWidth - (barWidth + 1);
    return clientWidth;
}

IMPLEMENT_DYNCREATE(CJobListView, CFormView)

BEGIN_MESSAGE_MAP(CJobListView, CFormView)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_RBUTTONUP()
ON_WM_TIMER()
ON_WM_DESTROY()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CJobListView::CJobListView()
    : CFormView(IDD), m_pButtonsOwner(nullptr), m_totalHeight(0), m_timerId(0), m_largeLook{}, m_centringWidth(0)
{
}

CJobListView::~CJobListView()
{
    std::vector<CJobListItem *> items;
    {
        CSingleLock hold(&m_itemsLock, TRUE);
        items.swap(m_items);
    }
    for (CJobListItem *item : items)
        delete item;
}

void CJobListView::LoadImages(const CString &folder)
{
    LoadJobListResources(folder);
}

void CJobListView::FreeImages()
{
    FreeJobListResources();
}

BOOL CJobListView::PreCreateWindow(CREATESTRUCTW &cs)
{
    cs.style &= ~(WS_BORDER | WS_DLGFRAME | WS_HSCROLL);
    return CFormView::PreCreateWindow(cs);
}

CJobListItem *CJobListView::AddJob(CJobDef *jobDef, CJobListItem *existing)
{
    if (jobDef == nullptr)
        return nullptr;
    CJobListItem *item = existing;
    if (item == nullptr)
    {
        item = new CJobListItem(this, jobDef, m_pButtonsOwner != nullptr);
    }
    else
    {
        item->m_pView = this;
        item->m_pJobDef = jobDef;
        item->m_pJob = jobDef->GetOwner();
        item->m_sourceList.jobDef = jobDef;
        item->UpdateTexts();
    }
    // The new card is the selected one: one card is marked at a time.
    for (CJobListItem *other : m_items)
        other->m_selected = FALSE;
    item->m_selected = TRUE;
    item->MoveTo(0, m_totalHeight);
    {
        CSingleLock hold(&m_itemsLock, TRUE);
        m_items.push_back(item);
    }
    m_totalHeight += item->Height();
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
    UpdateScrollBar();
    return item;
}

int CJobListView::RemoveJob(CJobDef *jobDef)
{
    if (jobDef == nullptr)
        return 0;
    CJobListItem *item = nullptr;
    size_t position = 0;
    {
        CSingleLock hold(&m_itemsLock, TRUE);
        auto found = std::find_if(m_items.begin(), m_items.end(),
                                  [jobDef](const CJobListItem *candidate) { return candidate->m_pJobDef == jobDef; });
        if (found == m_items.end())
            return 0;
        item = *found;
        position = static_cast<size_t>(found - m_items.begin());
        m_items.erase(found);
    }
    const int height = item->Height();
    for (size_t i = position; i < m_items.size(); ++i)
        m_items[i]->Offset(0, -height);
    m_totalHeight -= height;
    delete item;
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
    UpdateScrollBar();
    return 1;
}

int CJobListView::ReplaceJob(CJobDef *oldDef, CJobDef *newDef)
{
    if (oldDef == nullptr || newDef == nullptr)
        return 0;
    CJobListItem *card = nullptr;
    {
        // Run threads look cards up by their job.
        CSingleLock hold(&m_itemsLock, TRUE);
        for (CJobListItem *item : m_items)
        {
            if (item->m_pJobDef == oldDef)
            {
                item->m_pJobDef = newDef;
                item->m_pJob = newDef->GetOwner();
                item->m_sourceList.jobDef = newDef;
                card = item;
                break;
            }
        }
    }
    if (card == nullptr)
        return 0;
    card->UpdateTexts();
    for (CJobListItem *item : m_items)
        item->m_selected = item == card;
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
    return 1;
}

CJobListItem *CJobListView::GetSelectedItem() const
{
    for (CJobListItem *item : m_items)
    {
        if (item->m_selected)
            return item;
    }
    return nullptr;
}

CJobDef *CJobListView::GetSelectedJob() const
{
    const CJobListItem *item = GetSelectedItem();
    return item != nullptr ? item->m_pJobDef : nullptr;
}

int CJobListView::FindJob(CSyncJob *job, int &index) const
{
    if (job == nullptr)
        return 0;
    CSingleLock hold(&m_itemsLock, TRUE);
    for (size_t i = 0; i < m_items.size(); ++i)
    {
        if (m_items[i]->m_pJob == job)
        {
            index = static_cast<int>(i);
            return 1;
        }
    }
    return 0;
}

void CJobListView::UpdateJob(CJobDef *jobDef)
{
    for (CJobListItem *item : m_items)
    {
        if (jobDef != nullptr && item->m_pJobDef == jobDef)
        {
            item->UpdateTexts();
            break;
        }
    }
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
}

void CJobListView::UpdateScrollBar()
{
    if (m_hWnd == nullptr)
        return;
    CRect client;
    GetClientRect(&client);
    if (client.Width() == 0)
        return;
    BOOL hasHorzBar = FALSE;
    BOOL hasVertBar = FALSE;
    CheckScrollBars(hasHorzBar, hasVertBar);
    const int width = JobListCentringWidth(client.Width(), client.Height(), m_totalHeight, hasVertBar,
                                           ::GetSystemMetrics(SM_CXVSCROLL));
    SetScrollSizes(MM_TEXT, CSize(width, m_totalHeight));
    m_centringWidth = width;
    // A view narrower than a card shows the card from its left edge, where its name is.
    for (CJobListItem *item : m_items)
        item->MoveTo(std::max(0, (width - item->m_rect.Width()) / 2), item->m_rect.top);
}

void CJobListView::UpdateDriveButton(CJobListItem *item)
{
    if (item == nullptr)
        return;
    item->UpdateDriveButton();
    InvalidateItem(item);
}

void CJobListView::ToggleItem(CJobListItem *item)
{
    auto found = std::find(m_items.begin(), m_items.end(), item);
    if (found == m_items.end())
        return;
    const int step = item->ToggleExpanded(CurrentJobListMetrics());
    for (++found; found != m_items.end(); ++found)
        (*found)->Offset(0, step);
    m_totalHeight += step;
    UpdateScrollBar();
}

int CJobListView::CardsLeft() const
{
    int width = m_centringWidth;
    if (width == 0 && m_hWnd != nullptr)
    {
        CRect client;
        GetClientRect(&client);
        width = client.Width();
    }
    return std::max(0, (width - CurrentJobListMetrics().width) / 2);
}

CRect CJobListView::GetLargeButtonRect(int button) const
{
    if (button < 0 || button >= LARGE_BUTTON_COUNT)
        return CRect();
    const int left = CardsLeft() + kLargeButtonLefts[button];
    CSize size(kLargeButtonWidth, kLargeButtonHeight);
    const JobListResources *resources = GetJobListResources();
    Gdiplus::Image *image = resources != nullptr ? resources->largeButtons[button][LARGE_LOOK_NORMAL].get() : nullptr;
    if (IsSkinImageValid(image))
        size = CSize(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()));
    return CRect(left, kLargeButtonTop, left + size.cx, kLargeButtonTop + size.cy);
}

void CJobListView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    // The scroll range is the cards', not the form template's.
    UpdateScrollBar();
    m_timerId = SetTimer(TIMER_JOBLIST_REFRESH, kJobListRefreshMs);
}

CPoint CJobListView::ToContent(CPoint point) const
{
    point.y += GetScrollPosition().y;
    return point;
}

CJobListItem *CJobListView::ItemAt(CPoint content) const
{
    for (CJobListItem *item : m_items)
    {
        if (item->m_rect.PtInRect(content))
            return item;
    }
    return nullptr;
}

int CJobListView::LargeButtonAt(CPoint content) const
{
    for (int button = 0; button < LARGE_BUTTON_COUNT; ++button)
    {
        if (GetLargeButtonRect(button).PtInRect(content))
            return button;
    }
    return -1;
}

void CJobListView::InvalidateItem(const CJobListItem *item)
{
    if (m_hWnd == nullptr || item == nullptr)
        return;
    CRect rect = item->m_rect;
    rect.OffsetRect(0, -GetScrollPosition().y);
    InvalidateRect(&rect, TRUE);
}

void CJobListView::OnLButtonDown(UINT, CPoint point)
{
    const CPoint content = ToContent(point);
    CJobListItem *item = ItemAt(content);
    if (item != nullptr && item->m_buttonsActive)
    {
        const CPoint relative(content.x - item->m_rect.left, content.y - item->m_rect.top);
        if (SkinElementHit(&item->m_runButton, relative))
        {
            item->m_runButton.SetState(SKIN_STATE_PRESSED);
            InvalidateItem(item);
        }
        else if (item->HasSecondButton() && SkinElementHit(&item->m_secondButton, relative))
        {
            item->m_secondButton.SetState(SKIN_STATE_PRESSED);
            InvalidateItem(item);
        }
    }
    if (m_items.empty() && m_pButtonsOwner != nullptr)
    {
        const int button = LargeButtonAt(content);
        if (button >= 0)
            m_largeLook[button] = LARGE_LOOK_DOWN;
    }
    Invalidate(TRUE);
}

void CJobListView::OnMouseMove(UINT, CPoint point)
{
    const CPoint content = ToContent(point);
    CJobListItem *under = ItemAt(content);
    for (CJobListItem *item : m_items)
    {
        if (!item->m_buttonsActive)
            continue;
        const CPoint relative(content.x - item->m_rect.left, content.y - item->m_rect.top);
        CSkinButtonNew *buttons[] = {&item->m_runButton, item->HasSecondButton() ? &item->m_secondButton : nullptr};
        bool changed = false;
        for (CSkinButtonNew *button : buttons)
        {
            if (button == nullptr || button->GetState() == SKIN_STATE_DISABLED)
                continue;
            // Only the card under the pointer lights a button; a card the pointer left lets its light go.
            UINT state = item == under && button->m_rect.PtInRect(relative) ? SKIN_STATE_HOVER : SKIN_STATE_NORMAL;
            if (item != under && button->GetState() != SKIN_STATE_HOVER)
                continue;
            if (button->GetState() != state)
            {
                button->SetState(state);
                changed = true;
            }
        }
        if (changed)
            InvalidateItem(item);
    }
    if (m_items.empty() && m_pButtonsOwner != nullptr)
    {
        const int over = LargeButtonAt(content);
        bool changed = false;
        for (int button = 0; button < LARGE_BUTTON_COUNT; ++button)
        {
            const int look = button == over ? LARGE_LOOK_OVER : LARGE_LOOK_NORMAL;
            changed = changed || m_largeLook[button] != look;
            m_largeLook[button] = look;
        }
        if (changed)
            Invalidate(TRUE);
    }
}

void CJobListView::OnLButtonUp(UINT, CPoint point)
{
    const CPoint content = ToContent(point);
    for (CJobListItem *item : m_items)
        item->m_selected = FALSE;
    CJobListItem *item = ItemAt(content);
    if (item != nullptr)
    {
        item->m_selected = TRUE;
        const CPoint relative(content.x - item->m_rect.left, content.y - item->m_rect.top);
        const CSkinElement *pressed = nullptr;
        if (item->m_headerButton.m_rect.PtInRect(relative))
        {
            ToggleItem(item);
        }
        else if (item->m_buttonsActive)
        {
            if (SkinElementButtonUp(&item->m_runButton, relative))
                pressed = &item->m_runButton;
            else if (item->HasSecondButton() && SkinElementButtonUp(&item->m_secondButton, relative))
                pressed = &item->m_secondButton;
        }
        CWnd *mainWindow = AfxGetMainWnd();
        if (pressed != nullptr && mainWindow != nullptr && mainWindow->GetSafeHwnd() != nullptr)
            mainWindow->PostMessage(WM_COMMAND, MAKEWPARAM(pressed->m_commandId, 0), 0);
    }
    if (m_items.empty() && m_pButtonsOwner != nullptr)
    {
        const int button = LargeButtonAt(content);
        for (int look = 0; look < LARGE_BUTTON_COUNT; ++look)
            m_largeLook[look] = look == button ? LARGE_LOOK_OVER : LARGE_LOOK_NORMAL;
        CWnd *parent = GetParent();
        CDialog *dialog = parent != nullptr ? dynamic_cast<CDialog *>(CWnd::FromHandlePermanent(*parent)) : nullptr;
        if (button == LARGE_BUTTON_BACKUP && dialog != nullptr)
            dialog->PostMessage(WM_COMMAND, MAKEWPARAM(ID_JOBLIST_ITEM, 0), 0);
        // On a first start without a job it is the only way to a job of the user's own.
        else if (button == LARGE_BUTTON_ADD_JOB && dialog != nullptr)
            dialog->PostMessage(WM_COMMAND, MAKEWPARAM(ID_JOBLIST_NEW_JOB, 0), 0);
    }
    Invalidate(TRUE);
}

void CJobListView::OnRButtonUp(UINT, CPoint point)
{
    // The card under the pointer is the one the job menu acts on; empty space selects none.
    CJobListItem *under = ItemAt(ToContent(point));
    for (CJobListItem *item : m_items)
        item->m_selected = item == under ? TRUE : FALSE;
    Invalidate(TRUE);
    CWnd *parent = GetParent();
    CPoint screen = point;
    ClientToScreen(&screen);
    if (parent != nullptr && parent->GetSafeHwnd() != nullptr)
        parent->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(screen.x, screen.y));
}

void CJobListView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == TIMER_JOBLIST_REFRESH)
    {
        Invalidate(TRUE);
        return;
    }
    CFormView::OnTimer(nIDEvent);
}

void CJobListView::OnDestroy()
{
    CFormView::OnDestroy();
    if (m_timerId != 0)
        KillTimer(TIMER_JOBLIST_REFRESH);
    m_timerId = 0;
}

BOOL CJobListView::OnEraseBkgnd(CDC *)
{
    // The painting covers the whole view; erasing first would only flicker.
    return TRUE;
}
