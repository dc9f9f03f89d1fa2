// CWhenWhereDlgHP: the schedule step of the new-job wizard (template 365). It chooses when the job runs: on change,
// every so many minutes, hours or days, or on chosen weekdays at a time of day; it shows a summary of the whole job
// (sources, destination, schedule, revisions, filter) in a two-column list, checks that no backed-up path will pass
// the path limit, and writes the schedule keys "js_type", "js_mins", "js_day" and "js_time" that the scheduler
// reads. Changing the kind tells the wizard's header what the job will do.
//
// The files of the class: WhenWhereDlgHP.cpp (the controls and their handlers) and WhenWhereDlgHPLoad.cpp
// (LoadPage, SavePage and the summary); the rules without the window are ScheduleRules.h.
#pragma once
#include <windows.h>

#include "platform/controls/Controls.h"
#include "platform/controls/DateTimeCtrl.h"
#include "platform/drawing/GdiObjects.h"
#include "setup/layout/DialogLayout.h"
#include "setup/wizard/PageBase.h"
#include "setup/wizard/ScheduleRules.h"
#include "ui/controls/MultiLineList.h"

class CTesselWizard;

class CWhenWhereDlgHP : public CPageBase
{
  public:
    // The page of the wizard; its window is made by the wizard.
    explicit CWhenWhereDlgHP(CTesselWizard *wizard);
    ~CWhenWhereDlgHP() override;

    BOOL OnInitDialog() override;
    // The job into the controls and the summary. A job run through an agent is never offered the on-change kind
    // (a stored on-change kind becomes the interval kind, written back).
    BOOL LoadPage() override;
    // FALSE, with the user told, when a source path would not fit the limit or the weekly kind has no day.
    BOOL SavePage() override;

    // The kind shown (KIND_ON_CHANGE, KIND_INTERVAL, KIND_WEEKLY).
    int GetKind() const
    {
        return m_kind;
    }
    CMultilineList &GetSummary()
    {
        return m_summary;
    }

  protected:
    void DoDataExchange(CDataExchange *pDX) override;

    afx_msg void OnKindChange();
    afx_msg void OnUnitChange();
    afx_msg void OnIntervalUpdate();
    afx_msg void OnIntervalKillFocus();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

  private:
    BOOL HasAgent() const;
    // Empties the kind combo box, adds the three kinds, selects the first and shows the on-change controls.
    void ResetKindCombo();
    // Shows and enables the controls of the kind, hides and disables the others.
    void ShowKindControls(int kind);
    void SetUnit(int unit);
    void CreateFonts();
    void InitTimePicker();
    void InitSummary();
    void FitSummaryColumns();
    CString IntervalSentence() const;
    CString WeeklySentence();
    // The summary's rows (WhenWhereDlgHPLoad.cpp).
    CString SourcesText() const;
    CString ScheduleText(int jsType);
    void ShowFilterRow();
    BOOL CheckPathLengths();

    CTesselWizard *m_pWizard;
    CComboBox m_kindCombo;
    CComboBox m_unitCombo;
    int m_unitIndex;
    int m_kindIndex;
    int m_kind;
    // The kind combo box lacks the on-change kind (the job runs through an agent).
    BOOL m_onChangeRemoved;
    int m_days[kWeekdayCount];
    CSpinButtonCtrl m_spin;
    CDateTimeCtrl m_timePicker;
    CFont m_textFont;
    CFont m_boldFont;
    CDialogLayout m_layout;
    CMultilineList m_summary;
    CString m_captions[5];
};
