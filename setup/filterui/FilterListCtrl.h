// CFilterListCtrl: the check-box list of filters of the filter page and the custom filter dialog. One item per
// filter node (its name, the node as item data, ticked from its selected flag). A press on an item's check box
// toggles the node and tells the owner WM_FILTER_TOGGLED; a press on its label sends WM_FILTER_LABEL_CLICKED
// with the item's index.
//
// In the custom filter dialog the list hosts two more rows without check boxes: the dialog's check box and edit
// box become children of the list, laid over those rows; the check box enables the edit box while ticked.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "platform/drawing/GdiObjects.h"
#include "setup/filters/FilterNode.h"

constexpr UINT WM_FILTER_LABEL_CLICKED = WM_USER + 100; // wParam: the item's index
constexpr UINT WM_FILTER_TOGGLED = WM_USER + 101;

// The state images of the list's check boxes.
constexpr int FILTER_ITEM_UNTICKED = 1;
constexpr int FILTER_ITEM_TICKED = 2;

class CFilterListCtrl : public CListCtrl
{
  public:
    CFilterListCtrl();
    ~CFilterListCtrl() override;

    // Check boxes; the text in blue, in the list's font (else the default GUI font, else the system font)
    // without underline.
    void InitLook();
    // Empties the list and inserts one item per child of parent (only the selected ones with selectedOnly).
    void Fill(FilterNode *parent, bool selectedOnly);
    // Sets every filter item's check box again from its node.
    void RefreshChecks();
    // The filter node of an item; null for a hosted row or beyond the list.
    FilterNode *GetNode(int item) const;
    // The number of filter items (the hosted rows not counted).
    int GetFilterCount() const
    {
        return m_filterCount;
    }

    // Hosts the check box and the edit box on two rows after the filters (Fill adds the rows from then on);
    // the list and its text take the button-face colour.
    void HostCustomRows(CButton *check, CEdit *edit);
    // Lays the hosted controls over their rows again.
    void PlaceHostedControls();

  protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

  private:
    void SetCheckImage(int item, int image);

    CFont m_font;
    int m_filterCount;
    CButton *m_hostedCheck;
    CEdit *m_hostedEdit;
    CBrush m_faceBrush;
};
