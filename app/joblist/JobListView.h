// CJobListView: the scrolling list of job cards inside the main window (and the job selection dialog). Each job
// is a card (CJobListItem) that collapses and expands by its header and carries a run button and a second
// button, which post their commands to the application's main window. An empty list shows three large buttons
// instead (add a job, back up, restore), of which the add-job button posts ID_JOBLIST_NEW_JOB and the back-up
// button ID_JOBLIST_ITEM to the parent dialog. The view repaints itself once a second, so that running jobs show
// their state, and paints through an off-screen DC with GDI+.
//
// The view is made through its class record (RUNTIME_CLASS(CJobListView)->CreateObject()) and then Create; it
// deletes itself with its window. Its buttons take the mouse only once m_pButtonsOwner is set.
//
// Everything runs on the user-interface thread but FindJob, which run threads reach through the main window:
// the sequence of cards changes only under the view's lock, which FindJob takes.
//
// The files of the class: JobListView.cpp (cards, scrolling, mouse, timer) and JobListViewDraw.cpp (painting).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "app/joblist/JobListItem.h"
#include "app/resources/AppResourceIds.h"
#include "platform/system/Sync.h"
#include "platform/windows/View.h"

class CJobDef;
class CSyncJob;

// The view's refresh timer.
constexpr UINT_PTR TIMER_JOBLIST_REFRESH = 1;
constexpr UINT kJobListRefreshMs = 1000;
// The command of the empty view's back-up button (and of a card's run button).
constexpr UINT ID_JOBLIST_ITEM = 1003;
// The command of the empty view's add-job button: the main window's new job.
constexpr UINT ID_JOBLIST_NEW_JOB = 1001;

// The width the cards are centred in: the client width, less the vertical scroll bar and one pixel when the
// cards outgrow the client area and the bar is not there yet (showing it narrows the client area).
int JobListCentringWidth(int clientWidth, int clientHeight, int totalHeight, BOOL hasVerticalBar, int barWidth);

class CJobListView : public CFormView
{
    DECLARE_DYNCREATE(CJobListView)

  public:
    static constexpr UINT IDD = IDD_JOBLIST_VIEW;

    // Deletes every card.
    ~CJobListView() override;

    // The drawing resources that all job list views share (JobListImages.h), from the skin folder; GDI+ must be
    // running. FreeImages before GDI+ shuts down.
    static void LoadImages(const CString &folder);
    static void FreeImages();

    // Appends a card for the job at the bottom (or re-attaches the given card to the job and appends it), as the
    // one selected card; the total height grows by the card's height. Returns the card; null for a null job.
    CJobListItem *AddJob(CJobDef *jobDef, CJobListItem *existing = nullptr);
    // Removes and deletes the job's card; the cards below move up by its height. 1 when found, else 0.
    int RemoveJob(CJobDef *jobDef);
    // Gives oldDef's card, in its place, to newDef's job as the one selected card; 1 when oldDef had a card.
    int ReplaceJob(CJobDef *oldDef, CJobDef *newDef);
    // The first selected card and its job; null when none is selected.
    CJobListItem *GetSelectedItem() const;
    CJobDef *GetSelectedJob() const;
    // From any thread: 1 with the index (from 0) of the first card whose job is job; 0 for a null job or one
    // without a card.
    int FindJob(CSyncJob *job, int &index) const;
    // Reads the job's texts again (when it has a card) and repaints the view.
    void UpdateJob(CJobDef *jobDef);
    // Fits the scroll range to the cards and centres them in the width left beside the scroll bar.
    void UpdateScrollBar();
    // The card's second button: normal when the main program's remembered folder exists, else disabled.
    void UpdateDriveButton(CJobListItem *item);
    // Expands or collapses the card; the cards below it move by the change of its height.
    void ToggleItem(CJobListItem *item);

    int GetItemCount() const
    {
        return static_cast<int>(m_items.size());
    }
    CJobListItem *GetItem(int index) const
    {
        return index >= 0 && index < GetItemCount() ? m_items[index] : nullptr;
    }
    int GetTotalHeight() const
    {
        return m_totalHeight;
    }
    // The large button's rectangle in content coordinates, or the empty rectangle for a bad index.
    CRect GetLargeButtonRect(int button) const;
    // The large button's look (JobListLargeButtonLook).
    int GetLargeButtonLook(int button) const
    {
        return button >= 0 && button < LARGE_BUTTON_COUNT ? m_largeLook[button] : LARGE_LOOK_NORMAL;
    }

    // The form's first update, the scroll range of the cards, then the refresh timer.
    void OnInitialUpdate() override;
    // Paints the cards (or the empty view) off screen and shows them at once.
    void OnDraw(CDC *pDC) override;

    // Set: the cards' buttons and the empty view's large buttons take the mouse. The main window stores itself
    // here right after it creates the view; nothing clears it.
    CWnd *m_pButtonsOwner;

  protected:
    CJobListView();

    // No border, dialog frame or horizontal scroll bar.
    BOOL PreCreateWindow(CREATESTRUCTW &cs) override;

    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    // Selects the card under the pointer (none over empty space) and asks the parent for the job menu
    // (WM_CONTEXTMENU).
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    DECLARE_MESSAGE_MAP()

  private:
    // The left edge of centred cards (and of the empty view's row of large buttons).
    int CardsLeft() const;
    // The point in content coordinates.
    CPoint ToContent(CPoint point) const;
    CJobListItem *ItemAt(CPoint content) const;
    int LargeButtonAt(CPoint content) const;
    void InvalidateItem(const CJobListItem *item);
    // The cards, or the empty view, in content coordinates over area.
    void DrawContent(Gdiplus::Graphics &graphics, const CRect &area);
    void DrawEmptyView(Gdiplus::Graphics &graphics, const JobListResources &resources);

    std::vector<CJobListItem *> m_items;
    int m_totalHeight;
    UINT_PTR m_timerId;
    int m_largeLook[LARGE_BUTTON_COUNT];
    // The width the cards were last centred in; 0 before the first UpdateScrollBar.
    int m_centringWidth;
    mutable CCriticalSection m_itemsLock;
};
