// CWizardButton: the large rounded choice button of the job-type window. Its face is built from three bitmap
// pieces (left end, stretched middle, right end) of the set that the state chooses, its window is clipped to a
// pill-shaped region, and its caption is drawn centred, over several lines with BS_MULTILINE.
//
// Sets: 0 normal, 1 disabled, 2 hovered or focused, 3 pressed (drawn over the others). A missing set, or a
// piece missing from the chosen set, comes from set 0; a piece missing there too is left out.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/text/Geometry.h"

namespace wizardbutton
{

// The bitmap sets of a button that was given none (resources of the program).
extern const UINT kDefaultSetIds[12];
// The key colour of the pieces: such pixels show what lies beneath.
const COLORREF kKeyColour = RGB(255, 0, 255);

// The set drawn as the face (set 3 goes over it while pressed).
int FaceSet(bool focusedOrHovered, bool disabled);
// The rectangle the button keeps: a one-line button takes the height of the first set's middle piece (when
// it has one).
CRect KeptRect(const CRect &client, bool multiLine, int buttonHeight);
// The number of lines of a caption cx wide in a text rectangle of the given width (at least one).
int CaptionLines(int cx, int width);
// Where the caption (cx x cy as one line) is drawn.
CRect TextRect(const CRect &client, bool multiLine, int cx, int cy);

} // namespace wizardbutton

class CWizardButton : public CButton
{
  public:
    CWizardButton();
    ~CWizardButton() override;

    // Bitmap resources in groups of three (left, middle, right; a last short group leaves its missing pieces
    // empty), one set per group, appended; the button height becomes the height of the first set's middle.
    void SetBitmaps(const UINT *ids, int count);

    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int GetSetCount() const
    {
        return static_cast<int>(m_sets.size());
    }
    int GetButtonHeight() const
    {
        return m_buttonHeight;
    }

  protected:
    void PreSubclassWindow() override;

    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnMouseHover(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    DECLARE_MESSAGE_MAP()

    struct Piece
    {
        CBitmap bitmap;
        CSize size;
    };
    struct BitmapSet
    {
        Piece pieces[3];
    };

    // The piece of a set, else of set 0; null when neither has it.
    const Piece *PieceOf(int set, int piece) const;
    void DrawFace(CDC &dc, const CRect &rect, int set);

    BYTE m_multiLine;
    BYTE m_hover;
    BYTE m_tracking;
    BYTE m_roundRegion;
    UINT m_previousPress;
    UINT m_press; // 1 while pressed inside, 32 otherwise
    int m_buttonHeight;
    CRect m_client;
    CString m_caption;
    std::vector<std::unique_ptr<BitmapSet>> m_sets;
};
