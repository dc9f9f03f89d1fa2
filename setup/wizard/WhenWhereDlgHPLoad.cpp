// The schedule page's LoadPage and SavePage, with the summary of the job and the path-length check.
#include "setup/wizard/WhenWhereDlgHP.h"

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

enum SummaryRow
{
    ROW_SOURCES = 0,
    ROW_DESTINATION = 1,
    ROW_SCHEDULE = 2,
    ROW_REVISIONS = 3,
    ROW_FILTER = 4,
};

// The day the time picker shows the stored time on.
CTime PickerTime(int hours, int minutes)
{
    return CTime(2000, 1, 1, hours, minutes, 0);
}

} // namespace

BOOL CWhenWhereDlgHP::LoadPage()
{
    if (m_pJob == nullptr)
        return CPageBase::LoadPage();
    CJobDef *def = m_pJob->GetJobDef();
    ResetKindCombo();
    if (HasAgent())
    {
        // An agent's sources or destination cannot be watched for changes.
        m_kindCombo.DeleteString(0);
        m_onChangeRemoved = TRUE;
        if (def->GetJsType() == KIND_ON_CHANGE)
            def->SetJsType(KIND_INTERVAL);
    }
    m_kind = def->GetJsType();

    m_summary.SetItemText(1, ROW_SOURCES, SourcesText());
    m_summary.SetItemText(1, ROW_DESTINATION, def->GetDest());
    m_summary.SetItemText(1, ROW_SCHEDULE, ScheduleText(m_kind));
    m_kindIndex = m_onChangeRemoved ? m_kind - 1 : m_kind;
    m_summary.SetItemText(1, ROW_REVISIONS, RevisionsText(XmlGetAttributeInt(m_pJob->GetElement(), L"maxver")));

    UpdateData(FALSE);
    ShowFilterRow();
    Invalidate(TRUE);
    return TRUE;
}

CString CWhenWhereDlgHP::SourcesText() const
{
    CString text;
    XmlDomLock lock;
    XmlElementIterator children(m_pJob->GetElement());
    while (children.Next())
    {
        XmlElementIterator files(children.GetElement());
        bool hasChildren = false;
        while (files.Next())
        {
            hasChildren = true;
            text += XmlGetAttributeString(files.GetElement(), L"path") + L"\n";
        }
        if (!hasChildren)
            text += XmlGetAttributeString(children.GetElement(), L"path") + L"\n";
    }
    return text;
}

CString CWhenWhereDlgHP::ScheduleText(int jsType)
{
    const CJobDef *def = m_pJob->GetJobDef();
    CString text;
    switch (jsType)
    {
    case KIND_ON_CHANGE:
        ShowKindControls(KIND_ON_CHANGE);
        text = AfxLoadText(IDS_SCHEDULE_ON_CHANGE);
        break;
    case KIND_INTERVAL: {
        const IntervalShown shown = IntervalFromMinutes(def->GetJsMins());
        m_unitIndex = shown.unit;
        m_unitCombo.SetCurSel(shown.unit);
        SetUnit(shown.unit);
        m_spin.SetPos32(shown.position);
        ShowKindControls(KIND_INTERVAL);
        text.Format(shown.textId, shown.textValue);
        break;
    }
    case KIND_WEEKLY: {
        int hours = 0;
        int minutes = 0;
        def->GetJsTime(hours, minutes);
        ClampScheduleTime(hours, minutes);
        const CTime time = PickerTime(hours, minutes);
        m_timePicker.SetTime(time);
        FlagsFromDayMask(def->GetJsDay(), m_days);
        ShowKindControls(KIND_WEEKLY);
        text.Format(IDS_SCHEDULE_WEEKLY, DayMaskText(def->GetJsDay()), time.Format(L"%H:%M%p"));
        break;
    }
    default:
        break;
    }
    return text;
}

void CWhenWhereDlgHP::ShowFilterRow()
{
    const CJobDef *def = m_pJob->GetJobDef();
    const CString include = def->GetInclude();
    if (!include.IsEmpty())
    {
        m_summary.SetItemText(0, ROW_FILTER, AfxLoadText(IDS_FILTER_INCLUDE));
        m_summary.SetItemText(1, ROW_FILTER, include);
    }
    else
    {
        m_summary.SetItemText(0, ROW_FILTER, AfxLoadText(IDS_FILTER_EXCLUDE));
        m_summary.SetItemText(1, ROW_FILTER, def->GetExclude());
    }
}

BOOL CWhenWhereDlgHP::SavePage()
{
    if (!UpdateData(TRUE))
        return FALSE;
    if (m_pJob == nullptr)
        return TRUE;
    if (!CheckPathLengths())
        return FALSE;
    CJobDef *def = m_pJob->GetJobDef();
    if (m_kind == KIND_INTERVAL)
        def->SetJsMins(m_spin.GetPos32() * MinutesPerUnit(m_unitIndex));
    if (m_kind == KIND_WEEKLY)
    {
        const int mask = DayMaskFromFlags(m_days);
        if (mask == 0)
        {
            SkinMessageBoxId(IDS_NO_WEEKDAY, MB_OK);
            return FALSE;
        }
        def->SetJsDay(mask);
        CTime time;
        if (m_timePicker.GetTime(time) != GDT_VALID)
            time = PickerTime(0, 0);
        def->SetJsTime(time);
    }
    def->SetJsType(m_kind);
    def->SetShowProg(1);
    return TRUE;
}

BOOL CWhenWhereDlgHP::CheckPathLengths()
{
    CString computerName;
    // Without the computer's name nothing can be measured: the check passes.
    if (!ReadComputerNameForPathCheck(computerName))
        return TRUE;
    CString path;
    if (!FindTooLongSourcePath(m_pJob->GetElement(), m_pJob->GetJobDef()->GetDest(), computerName, path))
        return TRUE;
    CString message;
    message.Format(IDS_PATH_TOO_LONG, MAX_PATH, path);
    SkinMessageBox(message, MB_OK);
    return FALSE;
}
