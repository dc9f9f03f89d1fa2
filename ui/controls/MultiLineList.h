// A grid of word-wrapped text cells in a fixed number of columns and rows, each row as tall as its tallest
// cell, with its own scroll bars and separator lines. Dialog templates hold it as a custom control of class
// "CMultilineList"; it is set up when subclassed. A click posts WM_COMMAND to the parent with
// MAKEWPARAM(control id, 1) and the list's handle, whether or not a row was hit.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/windows/Wnd.h"
#include "ui/controls/MultiLineListLayout.h"

class CMultilineList : public CWnd
{
  public:
    // Registers the window class; throws std::system_error when it cannot.
    CMultilineList();
    ~CMultilineList() override;

    // Nothing happens when both counts are the current ones; negative counts count as 0.
    void SetSize(int columns, int rows);
    void SetColumnWidth(int column, int width);
    // Nothing happens (no repaint either) when the cell already reads text.
    void SetItemText(int column, int row, LPCWSTR text);
    // Takes effect at the next repaint.
    void SetVerticalGridLines(BOOL bOn);

    // Registers "CMultilineList" once per process; throws std::system_error when that fails. The class is
    // global so that templates of the language library can hold the control too.
    static void RegisterWindowClass();

    // The row of the last click, -1 for none.
    int GetSelectedRow() const
    {
        return m_selectedRow;
    }
    int GetVerticalPosition() const
    {
        return m_vertPosition;
    }
    int GetHorizontalPosition() const
    {
        return m_horzPosition;
    }
    const mllist::CMultilineListModel &GetModel() const
    {
        return m_model;
    }
    // The client area less the visible scroll bars.
    CRect GetDataRect() const;

    // Owners may set it directly; it shows at the next repaint.
    COLORREF m_crBackground;

    static const UINT kVerticalBarId = 102;
    static const UINT kHorizontalBarId = 103;

  protected:
    void PreSubclassWindow() override;

    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

  private:
    // Measures the rows that have no stored height (nothing before the window is subclassed).
    void Relayout();
    void RefreshAfterChange();
    void PositionScrollBars();
    void UpdateScrollBars();
    void UpdateScrollBar(CScrollBar &bar, int content, int extent, int position);
    bool IsBarVisible(const CScrollBar &bar) const;
    int HitTest(CPoint point);
    void ShowRow(int row);
    bool EnsureOffscreen();
    void CreateGridPen();
    void CreateCellFont();
    void DrawCells(CDC &dc, const CRect &data);

    mllist::CMultilineListModel m_model;
    int m_selectedRow;
    int m_vertPosition;
    int m_horzPosition;
    bool m_horizontalGridLines;
    bool m_verticalGridLines;

    CDC m_memDC;
    CBitmap m_bitmap;
    CSize m_bitmapSize;
    CScrollBar m_vertBar;
    CScrollBar m_horzBar;
    CPen m_gridPen;
    COLORREF m_gridPenColour;
    CFont m_cellFont;
};
