// CFilterTypeListCtrl: the entries of the selected category in the filter edit dialog, an owner-drawn report list
// of 16-pixel rows: column 0 the extension list or folder (with a themed check box in front and, for a folder,
// the folder image at its end), column 1 the description. A press on the check box toggles the entry; a press on
// a folder's image opens the folder browser. Both columns are edited in place, in the list's own label edit box
// held at the column by CLVEdit; an empty text changes nothing.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "setup/filters/FilterNode.h"
#include "ui/boxes/LVEdit.h"
#include "ui/buttons/ThemeHelperST.h"

class CFilterEditor;

class CFilterTypeListCtrl : public CListCtrl
{
  public:
    static constexpr int kRowHeight = 16;
    static constexpr int kBoxWidth = 16;

    CFilterTypeListCtrl();
    // Closes the theme data.
    ~CFilterTypeListCtrl() override;

    // Binds the list to its editor: the two columns, the theme data of "BUTTON", the folder image, and the row
    // height asked for at once.
    void Bind(CFilterEditor *editor, NewUI::CThemeHelperST *theme);
    // One row per leaf of the node (none for null).
    void Fill(FilterNode *node);
    // Appends a row for the leaf; its index.
    int AddLeafRow(FilterLeafNode *leaf);
    FilterLeafNode *GetLeaf(int item) const;
    // The column being edited in place; -1 when none.
    int GetEditColumn() const
    {
        return m_editColumn;
    }

    // Repaints the focused row and, unless the list always shows its selection, every selected row.
    virtual void RepaintSelection();
    // The text as it fits the width in the DC: unchanged when it fits (or is empty); otherwise cut one character
    // at a time until what is left and "..." fit, or one character is left, and "..." appended.
    virtual CString FitText(CDC *pDC, const CString &text, int width);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    afx_msg void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

  protected:
    afx_msg void OnSetFocus(CWnd *pOldWnd);
    afx_msg void OnKillFocus(CWnd *pNewWnd);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnItemChanged(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnBeginLabelEdit(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnEndLabelEdit(NMHDR *pNMHDR, LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

  private:
    // The column under a point of the client area for the item: 0 inside its label, else the first later column
    // whose span holds the point's x; -1 when none does. left receives the column's left edge.
    int ColumnAt(int item, CPoint point, int &left) const;
    void DrawCheckBox(CDC &dc, const CRect &box, bool checked);

    CFilterEditor *m_editor;
    NewUI::CThemeHelperST *m_theme;
    NewUI::HTHEME_ST m_hTheme;
    CDC m_imageDC;
    CBitmap m_folderImage;
    HGDIOBJ m_previousImage;
    CLVEdit m_edit;
    int m_editColumn;
};
