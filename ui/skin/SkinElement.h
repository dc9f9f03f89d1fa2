// Skin elements: small clickable images drawn with GDI+ inside a skinned window's client area, and the mouse
// logic that every skinned window shares for them.
//
// An element is not a window. Its owner paints it (from WM_ERASEBKGND) and feeds it the mouse messages through
// the SkinElement* functions below, which accept a null element: a window without its element (its image did
// not load) still gets dragged by any press.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

class CWnd;

// The states of an element, in the order of the frames of its image strip.
enum SkinElementState : UINT
{
    SKIN_STATE_NORMAL = 0,
    SKIN_STATE_HOVER = 1,
    SKIN_STATE_PRESSED = 2,
    SKIN_STATE_DISABLED = 3,
};

// What the two kinds of element share: rectangle, caption, state, command and the caption's look.
class CSkinElement
{
  public:
    CSkinElement(LPCWSTR caption, UINT commandId, const RECT *rect, CWnd *owner);
    virtual ~CSkinElement() = default;
    CSkinElement(const CSkinElement &) = delete;
    CSkinElement &operator=(const CSkinElement &) = delete;

    // Stores the state; a change repaints the element's rectangle in its owner (when there is one).
    void SetState(UINT state);
    UINT GetState() const
    {
        return m_state;
    }

    // Draws the element moved by (dx, dy); the caption too when drawCaption is set. Nothing for a missing image.
    virtual void Draw(Gdiplus::Graphics &graphics, int dx, int dy, BOOL drawCaption) = 0;

    CRect m_rect; // in the owner's client coordinates
    CString m_caption;
    UINT m_state;             // SkinElementState
    UINT m_commandId;         // low word of the WM_COMMAND the element sends
    Gdiplus::Font *m_pFont;   // not owned; null: the built-in Tahoma fonts
    Gdiplus::Color *m_pColor; // not owned; null: black
    CWnd *m_pOwner;           // may be null
    int m_textOffsetX;
    int m_textOffsetY;
    Gdiplus::StringAlignment m_alignment;

  protected:
    // The caption in the box of Algorithms below, in the font its state and room call for.
    void DrawCaption(Gdiplus::Graphics &graphics, int dx, int dy);
};

// An element drawn from one horizontal strip of four equal frames (normal, hover, pressed, disabled).
class CSkinButtonNew : public CSkinElement
{
  public:
    CSkinButtonNew(LPCWSTR caption, UINT commandId, const RECT *rect, CWnd *owner);

    // The strip is not owned. Frame width = strip width / 4 (the remainder is dropped).
    void SetImage(Gdiplus::Image *image);
    Gdiplus::Image *GetImage() const
    {
        return m_pImage;
    }
    int GetFrameWidth() const
    {
        return m_frameWidth;
    }
    int GetFrameHeight() const
    {
        return m_frameHeight;
    }

    // The frame of the current state over the element's rectangle; nothing when the strip is missing, failed
    // or narrower than four pixels.
    void Draw(Gdiplus::Graphics &graphics, int dx, int dy, BOOL drawCaption) override;

  private:
    Gdiplus::Image *m_pImage;
    int m_frameWidth;
    int m_frameHeight;
};

// An element with a separate image per state (any of them may be null).
class CSkinStateButton : public CSkinElement
{
  public:
    CSkinStateButton(LPCWSTR caption, UINT commandId, const RECT *rect, CWnd *owner);

    // None of the images is owned.
    void SetImages(Gdiplus::Image *image0, Gdiplus::Image *image1, Gdiplus::Image *image2, Gdiplus::Image *image3);
    Gdiplus::Image *GetStateImage(UINT state) const
    {
        return state < 4 ? m_pImages[state] : nullptr;
    }

    // The current state's image stretched over the element's rectangle; nothing when it is missing or failed.
    void Draw(Gdiplus::Graphics &graphics, int dx, int dy, BOOL drawCaption) override;

  private:
    Gdiplus::Image *m_pImages[4];
};

// The box a caption is laid out in: the element's rectangle 10 pixels wider, moved by (dx, dy) and by the text
// offsets, its width reduced by the x offset.
CRect SkinCaptionBox(const RECT &rect, int dx, int dy, int offsetX, int offsetY);
// The box a caption that fits is drawn in outside the pressed state: the caption box less 9 pixels each side.
CRect SkinCaptionInnerBox(const CRect &captionBox);

// --- Mouse logic of a skinned window with one element (element may be null) ---

// True when point lies in the element and the element takes the mouse (it is not disabled).
bool SkinElementHit(const CSkinElement *element, POINT point);

// A press: on the element it is pressed (and repainted); anywhere else, or on a disabled element, the window
// is dragged (capture released, WM_NCLBUTTONDOWN with HTCAPTION sent to it). Returns true when the element was
// pressed. A null window is allowed (nothing is repainted or dragged).
bool SkinElementButtonDown(CWnd *window, CSkinElement *element, POINT point);

// A release: true when it lies in the element and the element is not disabled, that is when the element's
// command is due. A pressed element stays pressed until the next move.
bool SkinElementButtonUp(const CSkinElement *element, POINT point);

// A move: hover inside the element, normal outside; a disabled element is left alone. Each change repaints
// the element's rectangle in window (when not null).
void SkinElementMouseMove(CWnd *window, CSkinElement *element, POINT point);

// Posts WM_COMMAND with the element's command id (high word 0, lParam 0) to the window.
void SkinElementPostCommand(CWnd *window, const CSkinElement *element);

// Lets the system drag the window as by its caption: releases the capture and sends WM_NCLBUTTONDOWN with
// HTCAPTION and the cursor's screen position.
void SkinStartWindowDrag(CWnd *window);
