// The skinned dialog base: no system caption, a background image over the whole client area, a close element
// drawn from the shared "close_4.png" strip, and dragged by any point outside its element.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "platform/text/Collections.h"
#include "platform/windows/Dialog.h"
#include "ui/skin/SkinElement.h"

class CSdSkinDlg : public CDialog
{
  public:
    explicit CSdSkinDlg(UINT nIDTemplate, CWnd *pParent = nullptr);
    // Deletes every element of the list and the close element.
    ~CSdSkinDlg() override;

    // Loads folder + backgroundName as the background and folder + bannerName as the banner; an empty (or
    // null) folder means the skin folder. A missing file gives an image that is not drawn.
    void LoadSkinImages(LPCWSTR folder, LPCWSTR backgroundName, LPCWSTR bannerName);

    // Drops the system caption and frame edges, centres the window and creates the close element.
    BOOL OnInitDialog() override;

    Gdiplus::Image *GetBackgroundImage() const
    {
        return m_background.get();
    }
    Gdiplus::Image *GetBannerImage() const
    {
        return m_banner.get();
    }
    // Null until OnInitDialog, and when "close_4.png" is missing.
    CSkinButtonNew *GetCloseButton() const
    {
        return m_pCloseButton;
    }

    // The close element's rectangle in a client area of the given width.
    static CRect CloseButtonRect(int clientWidth);

    // Elements of derived dialogs; each non-null entry is deleted with the dialog.
    CTypedPtrArray<CPtrArray, CSkinButtonNew *> m_buttons;

  protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()

  private:
    std::unique_ptr<Gdiplus::Image> m_banner;
    std::unique_ptr<Gdiplus::Image> m_background;
    CSkinButtonNew *m_pCloseButton;
};
