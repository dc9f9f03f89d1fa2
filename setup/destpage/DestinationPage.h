// CDestinationPage: the destination step of the new-job wizard (template 419). The user picks where the backup goes
// in the destination tree (DesTreeHost.h), sees on the pie how full that drive is and how much the job adds, can
// make a new folder there, open the revisions and options, and set the usage threshold with a slider and an edit box.
//
// Saving checks the chosen place before the job takes it: it must be an existing folder (a network share is
// connected first, and its folder made when missing), have room for what the job backs up (or the user agrees), lie
// on a drive, and be none of the job's own sources. Only then do "dest", the drive's identity "uuid" and "hassrc"
// change; a refusal tells why and keeps the wizard on the page.
//
// The files of the class: DestinationPage.cpp (set-up, loading, the controls' handlers and painting) and
// DestinationPageSave.cpp (saving).
#pragma once
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/controls/SliderCtrl.h"
#include "platform/drawing/GdiObjects.h"
#include "setup/desttree/DesFileTreeCtrl.h"
#include "setup/desttree/DesTreeHost.h"
#include "setup/layout/DialogLayout.h"
#include "setup/widgets/SizePieStatic.h"
#include "setup/wizard/PageBase.h"
#include "ui/buttons/ThemeHelperST.h"
#include "ui/buttons/XPStyleButtonST.h"

class CTesselWizard;

// The page's background and the background of its statics.
constexpr COLORREF kDestinationBackground = 0xFFFFFF;

class CDestinationPage : public CPageBase, public DesFileTree::DesTreePage
{
  public:
    static constexpr UINT IDD = IDD_DESTINATION_PAGE;
    enum Button
    {
        BUTTON_REVISIONS,
        BUTTON_NEW_FOLDER,
        BUTTON_ABOUT_PLACES,
        BUTTON_ABOUT_PIE,
        BUTTON_COUNT,
    };

    // wizard (may be null) hears the header sentence of each destination chosen.
    explicit CDestinationPage(CTesselWizard *wizard, CWnd *pParent = nullptr);
    ~CDestinationPage() override;

    BOOL OnInitDialog() override;
    // Nothing without a job (0). A job that copies folder to folder has its sources totalled by its scanner; the
    // first load also sets the threshold and the pie from the job. 1.
    BOOL LoadPage() override;
    BOOL SavePage() override;
    // The tree's items go before its nodes.
    BOOL DestroyWindow() override;
    // After drives came or went: the tree anew, the chosen place kept.
    void RebuildTree();

    // The name the new-folder button offers under the chosen place; empty without one, or when it has no path.
    CString MakeNewFolderName() const;
    // The chosen place's path; empty without one.
    CString GetSelectedPath() const;
    int GetThreshold() const
    {
        return m_threshold;
    }

    DesFileTree::DesTreeHost &GetTreeHost()
    {
        return m_host;
    }
    DesFileTree::CDesFileTreeCtrl &GetTree()
    {
        return m_tree;
    }
    CTreeCtrl &GetGroupList()
    {
        return m_groupList;
    }
    CSizePieStatic &GetPie()
    {
        return m_pie;
    }
    CSliderCtrl &GetSlider()
    {
        return m_slider;
    }
    CEdit &GetThresholdEdit()
    {
        return m_thresholdEdit;
    }
    CWnd &GetButton(Button button)
    {
        return m_buttons[button];
    }

    // What the tree host asks of the page.
    void OnDestinationChosen(const CString &path) override;
    void ChooseDeviceVolume(const ZorbitRecord &record) override;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar);
    afx_msg void OnGroupChanged(NMHDR *pNMHDR, LRESULT *pResult);
    afx_msg void OnRevisions();
    afx_msg void OnNewFolder();
    afx_msg void OnThresholdChange();
    afx_msg void OnThresholdKillFocus();
    DECLARE_MESSAGE_MAP()

  private:
    void TakeThreshold(int threshold);
    // The threshold the edit box's text (read into text) gives the slider.
    int TypedThreshold(CString &text) const;
    // Saving, step by step (DestinationPageSave.cpp); each FALSE has told the user why.
    BOOL ConnectShare(const CString &path);
    BOOL CheckSpaceAndDrive(const CString &path, bool unc);
    BOOL AcceptDestination(const CString &path);

    CTesselWizard *m_wizard;
    CTreeCtrl m_groupList;
    DesFileTree::CDesFileTreeCtrl m_tree;
    CSizePieStatic m_pie;
    CSliderCtrl m_slider;
    CEdit m_thresholdEdit;
    NewUI::CThemeHelperST m_theme;
    NewUI::CXPStyleButtonST m_buttons[BUTTON_COUNT];
    CDialogLayout m_layout;
    CBrush m_whiteBrush;
    // The job's first source, for a job that copies folder to folder.
    CString m_firstSource;
    int m_threshold;
    bool m_loaded;
    // The host goes before the controls it drives.
    DesFileTree::DesTreeHost m_host;
};
