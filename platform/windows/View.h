// Views: child windows that draw their content through OnDraw. There is no document and no frame here: a
// view is a child window of a dialog, made on the heap (usually through its class record, RUNTIME_CLASS) and
// deleted by itself when its window is destroyed.
//
// CScrollView scrolls a content of a given size in the text mapping mode (one logical unit per pixel): it shows
// a scroll bar for each direction in which the content is larger than the client area and moves the drawing by
// the scroll position. CFormView is a scroll view made from a dialog template (which must have the WS_CHILD
// style), with the dialog's keyboard handling for its controls.
#pragma once
#include <windows.h>

#include "platform/drawing/Dc.h"
#include "platform/windows/Wnd.h"

class CView : public CWnd
{
    DECLARE_DYNAMIC(CView)

  public:
    CView() = default;

    // A child window of the class given (the default window class when null).
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                UINT nID, CCreateContext *pContext = nullptr) override;

    // Called once after the window is made, before it is first shown to the user: repaints the whole view.
    virtual void OnInitialUpdate();
    // Draws the content on pDC, prepared by OnPrepareDC.
    virtual void OnDraw(CDC *pDC) = 0;
    // Sets the DC up for OnDraw; the plain view leaves it as it is.
    virtual void OnPrepareDC(CDC *pDC);

  protected:
    // Views live on the heap: the object goes with its window.
    void PostNcDestroy() override;

    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class CScrollView : public CView
{
    DECLARE_DYNAMIC(CScrollView)

  public:
    // Page and line sizes that SetScrollSizes derives itself: a tenth of the content, a tenth of the page.
    static const SIZE sizeDefault;

    CScrollView() = default;

    // The content's size in the mapping mode (only MM_TEXT is taken: one unit per pixel); the page and line
    // steps of the scroll bars. Updates the bars at once when the window exists.
    void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE &sizePage = sizeDefault,
                        const SIZE &sizeLine = sizeDefault);
    CSize GetTotalSize() const
    {
        return m_totalLog;
    }
    // The content's point at the top-left corner of the client area.
    CPoint GetScrollPosition() const;
    // Scrolls so that the point comes to the top-left corner, as far as the content allows.
    void ScrollToPosition(POINT pt);
    // Whether the window has its horizontal and vertical scroll bars now.
    void CheckScrollBars(BOOL &bHasHorzBar, BOOL &bHasVertBar) const;

    // The text mapping mode, moved by the scroll position.
    void OnPrepareDC(CDC *pDC) override;

  protected:
    // Shows or hides each bar by whether the content outgrows the client area, and keeps the position inside
    // the content.
    void UpdateBars();

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    DECLARE_MESSAGE_MAP()

    int m_nMapMode = 0;
    CSize m_totalLog;
    CSize m_pageDev;
    CSize m_lineDev;

  private:
    // The new position of one bar for a scroll code; false when the code moves nothing.
    bool ScrollTarget(int bar, UINT nSBCode, int page, int line, int &target) const;
    bool m_bInsideUpdate = false;
};

class CFormView : public CScrollView
{
    DECLARE_DYNAMIC(CFormView)

  public:
    // A form view from the dialog template (looked up in the language library, then in the program). The
    // template's own style is kept, but for WS_BORDER and WS_CAPTION, which come from dwStyle; the window is
    // then moved over rect, given the id nID and shown when dwStyle has WS_VISIBLE. FALSE when the template
    // is missing or the window could not be made.
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                UINT nID, CCreateContext *pContext = nullptr) override;

    // Loads the controls from the members (UpdateData(FALSE)), then the view's own first update.
    void OnInitialUpdate() override;
    // The dialog's keyboard handling (tab, arrows, mnemonics) for the controls of the form.
    BOOL PreTranslateMessage(MSG *pMsg) override;
    // The form's controls draw themselves.
    void OnDraw(CDC *pDC) override;

  protected:
    explicit CFormView(UINT nIDTemplate);
    explicit CFormView(LPCWSTR lpszTemplateName);

    LPCWSTR m_lpszTemplateName;
};
