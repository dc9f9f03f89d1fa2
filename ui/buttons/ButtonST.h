// NewUI::CButtonST: the push button of the job setup pages. A dialog's button subclassed into an owner-drawn one
// that paints its own face, border, image and caption; it lights up while the mouse is over it (flat look),
// draws a bitmap with a transparent key colour and a second bitmap for the out state (or a darker or grey copy
// of the first), or an icon pair, can take its parent's background as its own, shows a tooltip and can behave
// as a check box.
//
// Templates give these buttons BS_PUSHBUTTON or BS_DEFPUSHBUTTON (never BS_OWNERDRAW): any style with bit 0x02
// means check-box mode.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "platform/controls/ToolTipCtrl.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/system/Seam.h"
#include "platform/text/Geometry.h"
#include "ui/menu/BCMenu.h"

namespace NewUI
{

// SetBitmaps' out bitmap: a grey or a darker copy of the in bitmap.
inline HBITMAP AutoGreyBitmap()
{
    return reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(-2));
}
inline HBITMAP AutoDarkerBitmap()
{
    return reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(-3));
}

// SetBitmaps' results.
enum : DWORD
{
    BUTTON_IMAGES_OK = 0,
    BUTTON_IMAGES_NO_SIZE = 1, // a bitmap's size could not be read
    BUTTON_IMAGES_NO_MASK = 2, // a mask could not be made
};

// The monochrome mask bitmap of SetBitmaps (CreateBitmap's signature); tests make it fail.
typedef HBITMAP(WINAPI *PFN_CREATE_MASK_BITMAP)(int, int, UINT, UINT, const void *);
extern Seam<PFN_CREATE_MASK_BITMAP> g_pfnCreateMaskBitmap;

namespace buttonst
{

// The colour copies of a pixel that SetBitmaps makes for the out image.
COLORREF GreyOf(COLORREF colour);
COLORREF DarkerOf(COLORREF colour);

// Whether the out image (rather than the in image) is drawn.
bool UsesOutImage(bool hasOut, bool pressed, bool checkBoxMode, bool hovered);

// Where an image of the given size goes inside the item rectangle, and the caption rectangle that is left.
struct ImagePlace
{
    CRect image;
    CRect caption;
};
ImagePlace PlaceImage(const CRect &item, const CRect &caption, CSize image, bool hasCaption, bool pressed,
                      bool checkBoxMode, CPoint margin, CPoint pressOffset);

} // namespace buttonst

class CButtonST : public CButton
{
  public:
    CButtonST();
    ~CButtonST() override;

    // Takes both bitmaps (it frees them). hBitmapOut may be a bitmap, null, AutoGreyBitmap() or
    // AutoDarkerBitmap(); a copy uses crTransIn. Frees the icons. One of BUTTON_IMAGES_*; after a failure the
    // button has no image.
    DWORD SetBitmaps(HBITMAP hBitmapIn, COLORREF crTransIn, HBITMAP hBitmapOut = nullptr, COLORREF crTransOut = 0);
    // The bitmaps from the resource module that holds them; nIdOut may be 0, -2 (grey) or -3 (darker).
    DWORD SetBitmapsFromResource(int nIdIn, COLORREF crTransIn, int nIdOut = 0, COLORREF crTransOut = 0);
    // Icon resources at their own size (it owns them); frees the bitmaps. 1 when the in icon does not load.
    DWORD SetIcon(int nIdIn, int nIdOut = 0);

    DWORD SetFlatBorder(BOOL bOn, BOOL bRepaint = TRUE);
    DWORD SetTransparent(BOOL bRepaint = TRUE);
    // A null text changes nothing.
    void SetTooltipText(LPCWSTR lpszText, BOOL bActivate = TRUE);
    // A string of the language library; an empty or missing string changes nothing.
    void SetTooltipTextId(UINT nStringId, BOOL bActivate = TRUE);

    BOOL PreTranslateMessage(MSG *pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

  protected:
    void PreSubclassWindow() override;

    // Each takes the item DC and returns 0; the image and caption slots get whether a caption exists, the item
    // rectangle and the caption rectangle (moved by the image placement).
    virtual DWORD DrawFace(CDC *pDC, CRect &item);
    virtual DWORD DrawFrame(CDC *pDC, CRect &item);
    virtual DWORD DrawIcon(CDC *pDC, BOOL hasCaption, const CRect &item, CRect &caption);
    virtual DWORD DrawBitmap(CDC *pDC, BOOL hasCaption, const CRect &item, CRect &caption);
    virtual DWORD DrawCaption(CDC *pDC, BOOL hasCaption, const CRect &item, CRect &caption);

    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKillFocus(CWnd *pNewWnd);
    afx_msg void OnSetFocus(CWnd *pOldWnd);
    afx_msg void OnCancelMode();
    afx_msg void OnActivate(UINT nState, CWnd *pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg UINT OnGetDlgCode();
    afx_msg HBRUSH CtlColor(CDC *pDC, UINT nCtlColor);
    afx_msg void OnSysColorChange();
    afx_msg BOOL OnClicked();
    afx_msg LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetCheck(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu *pMenu);
    DECLARE_MESSAGE_MAP()

    // One image of the button: the bitmap with its key pixels turned black, and the mask with 1 at those pixels.
    struct ImageRecord
    {
        HBITMAP bitmap = nullptr;
        int width = 0;
        int height = 0;
        HBITMAP mask = nullptr;
        COLORREF key = 0;
    };
    struct IconRecord
    {
        HICON icon = nullptr;
        int width = 0;
        int height = 0;
    };
    // The colour pairs (background, text) of the three states.
    struct ColourPair
    {
        COLORREF background;
        COLORREF text;
    };
    enum
    {
        COLOURS_HOVER_OR_PRESSED = 0,
        COLOURS_NORMAL,
        COLOURS_FOCUSED,
        COLOUR_PAIRS
    };
    enum
    {
        IMAGE_IN = 0,
        IMAGE_OUT = 1
    };

    CPoint m_margin;
    CPoint m_pressOffset;
    BOOL m_flat;
    BOOL m_hover;
    BOOL m_transparent;
    // Set at the start of each DrawItem.
    BOOL m_pressed;
    BOOL m_focused;
    BOOL m_disabled;
    BOOL m_defaultButton;
    BOOL m_checkBoxMode;
    int m_imageAlign; // 0: the image left of the caption
    BOOL m_flatBorder;
    BOOL m_focusInFlat;
    ColourPair m_colours[COLOUR_PAIRS];
    BCMenu m_menu;
    HCURSOR m_cursor;
    CToolTipCtrl m_toolTip;
    DWORD m_toolTipStyle;
    // The parent's pixels under the button (transparent look): a memory DC holding m_backgroundBitmap.
    CDC m_backgroundDC;
    CBitmap m_backgroundBitmap;
    HGDIOBJ m_backgroundOld;
    BOOL m_checked;
    UINT m_controlType; // the low five bits of the style before subclassing (31 before)
    ImageRecord m_images[2];
    IconRecord m_icons[2];
    // The window text of the drawing under way.
    CString m_caption;

  private:
    void FreeImages();
    void FreeIcons();
    void InitToolTip();
    void ClearHover();
    void PaintBackground(CDC *pDC, const CRect &item);
    void DropBackground();
    void ResetColours();
    // Repaints when there is a window.
    void Repaint();

    // Disabling a focused window takes the focus away (to no window) before WM_ENABLE arrives.
    BOOL m_focusLostToNothing;
};

} // namespace NewUI
