// A child window that divides its client area into a row (or column) of panes separated by bars the user can
// drag. Each pane's size is kept as a share of 32768, so the panes follow the window when it is resized.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/windows/Wnd.h"
#include "ui/controls/SplitterLayout.h"

class CSimpleSplitter : public CWnd
{
  public:
    // Orientation 1 puts the panes side by side (vertical bars); any other value stacks them.
    CSimpleSplitter(int paneCount, UINT orientation, int minimumPane, int barWidth);
    ~CSimpleSplitter() override;

    // A visible child window of pParent with WS_EX_CONTROLPARENT, whose class shows the sizing cursor.
    BOOL Create(CWnd *pParent, const RECT &rect, UINT nID);

    // Stores the pane's window and moves it to the pane's rectangle without repainting.
    void SetPane(int index, CWnd *pWnd);
    CWnd *GetPane(int index) const;
    // Shares in proportion to sizes (one per pane, in pixels), then the panes are laid out again. Sizes that
    // add up to 0 or less leave the shares as they were.
    void SetPaneSizes(const int *sizes);
    // Gives the keyboard focus to the pane's window.
    virtual void SetActivePane(int index);
    // The client rectangle narrowed to the pane; empty for an index out of range.
    void GetPaneRect(int index, LPRECT lpRect) const;

    int GetPaneCount() const
    {
        return m_layout.PaneCount();
    }
    const CSplitterLayout &Layout() const
    {
        return m_layout;
    }

  protected:
    afx_msg LRESULT OnNcCreate(WPARAM wParam, LPARAM lParam);
    afx_msg void OnWindowPosChanging(WINDOWPOS *lpwndpos);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

  private:
    bool Horizontal() const
    {
        return m_orientation == 1;
    }
    int AlongAxis(POINT point) const
    {
        return Horizontal() ? point.x : point.y;
    }
    int ClientExtent() const;
    void RecalcLayout();
    void ResizePanes();
    // Inverts the tracking bar; a second call erases it.
    void DrawTracker();

    CSplitterLayout m_layout;
    UINT m_orientation;
    std::vector<CWnd *> m_panes;
    int m_dragBar;
    int m_tracked;
    int m_barLength;
    int m_dragOffset;
};
