// The main dialog's face: view switching, the skin buttons under the mouse, the cursor, control colours and the
// window's minimum size.
#include "app/window/QordelDlg.h"

#include "app/window/MainLayout.h"
#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

// Buttons 4 (close) and 5 (minimise): 24 pixels square, 10 from the top, their right edges 4 and 35 pixels in
// from the right edge.
const int kCornerButtonTop = 10;
const int kCornerButtonSize = 24;
const int kCloseFromRight = 28;
const int kMinimizeFromRight = 59;
// Buttons 1 and 2 in the bottom band, right of the text rectangle.
const int kBandButtonTop = 456;
const int kBandButtonWidth = 70;
const int kBandButtonHeight = 50;
const int kBandButtonGap = 4;
// The text rectangle on the job list: this far in from the client's sides and from its bottom.
const int kListTextInset = 80;
const int kListTextTopFromBottom = 80;
const int kListTextBottomFromBottom = 45;

} // namespace

void CQordelDlg::ShowControl(int id, BOOL show, BOOL enable)
{
    CWnd *control = GetDlgItem(id);
    if (control == nullptr)
        return;
    control->EnableWindow(enable);
    control->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CQordelDlg::SetSkinButtonState(MainSkinButton button, UINT state)
{
    CSkinButtonNew *element = m_skinButtons[button];
    if (element == nullptr || element->GetState() == state)
        return;
    element->SetState(state);
    if (m_hWnd != nullptr)
        InvalidateRect(&element->m_rect, TRUE);
}

void CQordelDlg::PlaceSkinButtons(int clientWidth)
{
    const struct
    {
        MainSkinButton button;
        CRect rect;
    } places[] = {
        {MAIN_BUTTON_CLOSE,
         CRect(clientWidth - kCloseFromRight, kCornerButtonTop, clientWidth - kCloseFromRight + kCornerButtonSize,
               kCornerButtonTop + kCornerButtonSize)},
        {MAIN_BUTTON_MINIMIZE,
         CRect(clientWidth - kMinimizeFromRight, kCornerButtonTop, clientWidth - kMinimizeFromRight + kCornerButtonSize,
               kCornerButtonTop + kCornerButtonSize)},
        {MAIN_BUTTON_RUN,
         CRect(kLayoutTextFirst.right + kBandButtonGap, kBandButtonTop,
               kLayoutTextFirst.right + kBandButtonGap + kBandButtonWidth, kBandButtonTop + kBandButtonHeight)},
        {MAIN_BUTTON_BACK,
         CRect(kLayoutTextFirst.right + 2 * kBandButtonGap + kBandButtonWidth, kBandButtonTop,
               kLayoutTextFirst.right + 2 * (kBandButtonGap + kBandButtonWidth), kBandButtonTop + kBandButtonHeight)},
    };
    for (const auto &place : places)
    {
        if (m_skinButtons[place.button] != nullptr)
            m_skinButtons[place.button]->m_rect = place.rect;
    }
    CSkinButtonNew *back = m_skinButtons[MAIN_BUTTON_BACK];
    if (back != nullptr)
        back->m_caption = AfxLoadText(IDS_BUTTON_CANCEL);
}

void CQordelDlg::UpdateView()
{
    if (m_hWnd == nullptr)
        return;
    const BOOL page = viewState >= 1 && viewState <= 4;
    const BOOL restore = viewState == 3 || viewState == 4;
    const BOOL backup = viewState == 1 || viewState == 2;

    if (page)
    {
        const CString caption = AfxLoadText(restore ? IDS_MAIN_RESTORE : IDS_MAIN_BACKUP);
        SetDlgItemText(IDC_RUN_JOBS, caption);
        if (m_skinButtons[MAIN_BUTTON_RUN] != nullptr)
            m_skinButtons[MAIN_BUTTON_RUN]->m_caption = caption;
    }
    // The big button and Back are drawn as skin buttons 1 and 2; their controls stay hidden.
    ShowControl(IDC_RUN_JOBS, FALSE, page);
    ShowControl(IDC_BACK, FALSE, page);
    ShowControl(IDC_MAIN_HIDDEN_1151, FALSE, FALSE);

    // The restore options take input only on the restore page, not while the restore runs.
    const BOOL optionsEnabled = viewState == 3;
    if (viewState == 3)
        CheckDlgButton(IDC_RESTORE_TO_ORIGIN, BST_CHECKED);
    ShowControl(IDC_RESTORE_TO_OTHER, restore, optionsEnabled);
    ShowControl(IDC_RESTORE_TO_ORIGIN, restore, optionsEnabled);
    ShowControl(IDC_RESTORE_FOLDER, restore, optionsEnabled && restoreToOtherFolder != 0);
    ShowControl(IDC_RESTORE_OPTION, restore, optionsEnabled);

    // The pages exist only once the page loader has made their windows.
    for (int i = 0; i < 2; ++i)
    {
        CWnd *pageWindow = m_pageWindows[i];
        if (pageWindow == nullptr || pageWindow->GetSafeHwnd() == nullptr)
            continue;
        const BOOL shown = i == 0 ? backup : restore;
        if (shown)
        {
            const CRect place = PageRect(i);
            pageWindow->MoveWindow(&place);
            pageWindow->EnableWindow(viewState == 1 || viewState == 3);
        }
        pageWindow->ShowWindow(shown ? SW_SHOW : SW_HIDE);
    }

    if (m_driveBar.GetSafeHwnd() != nullptr)
        m_driveBar.ShowWindow(backup ? SW_SHOW : SW_HIDE);
    if (m_pJobListView != nullptr)
    {
        m_pJobListView->EnableWindow(!page);
        m_pJobListView->ShowWindow(page ? SW_HIDE : SW_SHOW);
    }

    CRect client;
    GetClientRect(&client);
    if (page)
        g_layoutText.Set(CRect(kLayoutTextLeft, kLayoutTextFirst.top, kLayoutTextLeft + 330, kLayoutTextFirst.bottom));
    else
        g_layoutText.Set(CRect(kListTextInset, client.Height() - kListTextTopFromBottom,
                               client.Width() - kListTextInset, client.Height() - kListTextBottomFromBottom));
    SetSkinButtonState(MAIN_BUTTON_HELP, page ? SKIN_STATE_DISABLED : SKIN_STATE_NORMAL);
    // Buttons 1 and 2 act only beside a page: on the job list a click there would run 1140 or end the program.
    for (MainSkinButton button : {MAIN_BUTTON_RUN, MAIN_BUTTON_BACK})
    {
        if (!page)
            SetSkinButtonState(button, SKIN_STATE_DISABLED);
        else if (m_skinButtons[button] != nullptr && m_skinButtons[button]->GetState() == SKIN_STATE_DISABLED)
            SetSkinButtonState(button, SKIN_STATE_NORMAL);
    }
    CheckDlgButton(IDC_RESTORE_TO_ORIGIN, restoreToOtherFolder == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RESTORE_TO_OTHER, restoreToOtherFolder == 1 ? BST_CHECKED : BST_UNCHECKED);
    if (viewState == 1 || viewState == 3)
        Invalidate(TRUE);
}

void CQordelDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (nType == SIZE_MINIMIZED)
        return;
    m_layout.Apply(TRUE);
    PlaceSkinButtons(cx);
    if (m_pJobListView != nullptr)
        m_pJobListView->UpdateScrollBar();
    // The skin is stretched over the client area.
    Invalidate(TRUE);
}

void CQordelDlg::OnSizing(UINT fwSide, LPRECT pRect)
{
    CDialog::OnSizing(fwSide, pRect);
    if (pRect != nullptr)
        KeepMinimumTrackSize(fwSide, *pRect, m_rectInitialWindow);
}

void CQordelDlg::OnLButtonDown(UINT, CPoint point)
{
    for (MainSkinButton button :
         {MAIN_BUTTON_RUN, MAIN_BUTTON_BACK, MAIN_BUTTON_HELP, MAIN_BUTTON_CLOSE, MAIN_BUTTON_MINIMIZE})
    {
        if (SkinElementHit(m_skinButtons[button], point))
        {
            SetSkinButtonState(button, SKIN_STATE_PRESSED);
            return;
        }
    }
    SkinStartWindowDrag(this);
}

void CQordelDlg::OnLButtonUp(UINT, CPoint point)
{
    for (MainSkinButton button : {MAIN_BUTTON_RUN, MAIN_BUTTON_BACK, MAIN_BUTTON_CLOSE})
    {
        if (SkinElementButtonUp(m_skinButtons[button], point))
        {
            SkinElementPostCommand(this, m_skinButtons[button]);
            return;
        }
    }
    if (SkinElementButtonUp(m_skinButtons[MAIN_BUTTON_MINIMIZE], point))
        ShowWindow(SW_MINIMIZE);
}

void CQordelDlg::OnMouseMove(UINT, CPoint point)
{
    for (MainSkinButton button :
         {MAIN_BUTTON_RUN, MAIN_BUTTON_BACK, MAIN_BUTTON_HELP, MAIN_BUTTON_MINIMIZE, MAIN_BUTTON_CLOSE})
        SkinElementMouseMove(this, m_skinButtons[button], point);
}

BOOL CQordelDlg::OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message)
{
    const int id = pWnd != nullptr && pWnd->GetSafeHwnd() != nullptr ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_LINK_1135 || id == IDC_LINK_1137)
    {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
    }
    return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

HBRUSH CQordelDlg::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    const int id = pWnd != nullptr && pWnd->GetSafeHwnd() != nullptr ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_RESTORE_FOLDER)
        return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (id == IDC_RESTORE_TO_OTHER || id == IDC_RESTORE_TO_ORIGIN || id == IDC_RESTORE_OPTION ||
        nCtlColor == CTLCOLOR_EDIT || nCtlColor == CTLCOLOR_STATIC)
    {
        if (pDC != nullptr)
            pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(m_backgroundBrush.GetSafeHandle());
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}
