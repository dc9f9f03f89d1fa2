// A single-line text box drawn inside a bitmap frame, with a button area at its right end: a release of the
// left button there sends the button message (wParam 0, lParam 0) to the owner window, else to the parent.
// The frame comes in two sets of three bitmaps (left, middle stretched to fill, right with the button's
// picture); the owner chooses the second set through m_bSecondFrame.
//
// The edit needs ES_MULTILINE from its creation on for its formatting rectangle to be set, so a template that
// holds one gives it ES_MULTILINE | ES_AUTOHSCROLL (and no WS_BORDER).
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/text/Geometry.h"
#include "ui/resources/EditWithButtonIds.h"

// The message sent for a click on the button unless the owner chooses another.
const UINT WM_EDIT_BUTTON_CLICK = 4024;

namespace editbutton
{

// The text and button rectangles inside a client rectangle; never of negative size.
struct Areas
{
    CRect text;
    CRect button;
};
Areas AreasOf(const CRect &client);

// Where the three frame pieces go in a window of the given outer size (each drawn from y = -2, as tall as
// the window): the left piece at its own width from the left edge, the right piece at its own width against
// the right edge, the middle filling what lies between (never a negative width).
struct PiecePlaces
{
    CRect left;
    CRect middle;
    CRect right;
};
PiecePlaces PlacePieces(int windowWidth, int windowHeight, int leftWidth, int rightWidth);

} // namespace editbutton

class CEditWithButton : public CEdit
{
  public:
    CEditWithButton();
    ~CEditWithButton() override;

    void SetButtonMessage(UINT message);
    // Loads the normal frame (from the language library when it holds the bitmaps, else from the program).
    // A bitmap that does not load is left out of the frame.
    void SetFrameBitmaps(UINT leftId, UINT middleId, UINT rightId);
    // The same for the second frame.
    void SetActiveFrameBitmaps(UINT leftId, UINT middleId, UINT rightId);

    const CRect &GetTextRect() const
    {
        return m_textRect;
    }
    const CRect &GetButtonRect() const
    {
        return m_buttonRect;
    }

    // Set: the second frame is drawn at the next erase of the background. The owner switches it directly.
    BOOL m_bSecondFrame;

  protected:
    void PreSubclassWindow() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

  private:
    struct Piece
    {
        CBitmap bitmap;
        CSize size;
        void Load(UINT id);
    };
    struct Frame
    {
        Piece left, middle, right;
        bool loaded = false;
        void Load(UINT leftId, UINT middleId, UINT rightId);
    };

    // Recomputes both rectangles and gives the edit its formatting rectangle.
    void ApplyRects();
    void DrawFrame(CDC &dc, const Frame &frame);

    Frame m_normal;
    Frame m_second;
    CRect m_textRect;
    CRect m_buttonRect;
    UINT m_buttonMessage;
};
