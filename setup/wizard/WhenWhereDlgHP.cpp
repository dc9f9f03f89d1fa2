#include "setup/wizard/WhenWhereDlgHP.h"

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/DataExchange.h"
#include "platform/system/Resources.h"
#include "setup/wizard/TesselWizard.h"

namespace
{

const UINT kIntervalControls[] = {IDC_SCHEDULE_INTERVAL_LABEL, IDC_SCHEDULE_INTERVAL, IDC_SCHEDULE_UNIT,
                                  IDC_SCHEDULE_SPIN};
const UINT kUnitStrings[kScheduleUnitCount] = {IDS_UNIT_MINUTES, IDS_UNIT_HOURS, IDS_UNIT_DAYS};
const UINT kKindStrings[] = {IDS_KIND_ON_CHANGE, IDS_KIND_INTERVAL, IDS_KIND_WEEKLY};
const UINT kCaptionStrings[] = {IDS_SUMMARY_SOURCES, IDS_SUMMARY_DESTINATION, IDS_SUMMARY_SCHEDULE,
                                IDS_SUMMARY_REVISIONS, IDS_SUMMARY_FILTER};
const int kSummaryColumns = 2;
const int kSummaryRows = 6;
const int kLocaleTextRoom = 64;

struct Anchor
{
    UINT id;
    DWORD flags;
};
const Anchor kAnchors[] = {
    {IDC_SCHEDULE_WHEN_GROUP, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT},
    {IDC_SCHEDULE_STEP_NOTE, LAYOUT_TOP | LAYOUT_RIGHT},
    {IDC_SCHEDULE_LINE, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT},
    {IDC_SCHEDULE_SUMMARY_NOTE, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT},
    {IDC_SCHEDULE_SUMMARY, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM},
    {IDC_SCHEDULE_SUMMARY_GROUP, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM},
};

} // namespace

BEGIN_MESSAGE_MAP(CWhenWhereDlgHP, CPageBase)
ON_CBN_SELCHANGE(IDC_SCHEDULE_KIND, &CWhenWhereDlgHP::OnKindChange)
ON_CBN_SELCHANGE(IDC_SCHEDULE_UNIT, &CWhenWhereDlgHP::OnUnitChange)
ON_EN_UPDATE(IDC_SCHEDULE_INTERVAL, &CWhenWhereDlgHP::OnIntervalUpdate)
ON_EN_KILLFOCUS(IDC_SCHEDULE_INTERVAL, &CWhenWhereDlgHP::OnIntervalKillFocus)
ON_WM_SIZE()
END_MESSAGE_MAP()

CWhenWhereDlgHP::CWhenWhereDlgHP(CTesselWizard *wizard)
    : CPageBase(IDD_SCHEDULE_PAGE, wizard), m_pWizard(wizard), m_unitIndex(UNIT_MINUTES), m_kindIndex(0),
      m_kind(KIND_ON_CHANGE), m_onChangeRemoved(FALSE), m_days{}
{
    for (int row = 0; row < 5; ++row)
        m_captions[row] = AfxLoadText(kCaptionStrings[row]);
}

CWhenWhereDlgHP::~CWhenWhereDlgHP() = default;

void CWhenWhereDlgHP::DoDataExchange(CDataExchange *pDX)
{
    CPageBase::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SCHEDULE_KIND, m_kindCombo);
    DDX_Control(pDX, IDC_SCHEDULE_UNIT, m_unitCombo);
    DDX_Control(pDX, IDC_SCHEDULE_SPIN, m_spin);
    DDX_Control(pDX, IDC_SCHEDULE_TIME, m_timePicker);
    DDX_Control(pDX, IDC_SCHEDULE_SUMMARY, m_summary);
    DDX_CBIndex(pDX, IDC_SCHEDULE_UNIT, m_unitIndex);
    DDX_CBIndex(pDX, IDC_SCHEDULE_KIND, m_kindIndex);
    for (int day = 0; day < kWeekdayCount; ++day)
        DDX_Check(pDX, static_cast<int>(WeekdayCheckId(day)), m_days[day]);
}

BOOL CWhenWhereDlgHP::OnInitDialog()
{
    CPageBase::OnInitDialog();
    for (UINT unit : kUnitStrings)
        m_unitCombo.AddString(AfxLoadText(unit));
    m_unitCombo.SetCurSel(UNIT_MINUTES);
    m_unitIndex = UNIT_MINUTES;
    ResetKindCombo();

    CreateFonts();
    InitTimePicker();

    UDACCEL step = {0, 1};
    m_spin.SetAccel(1, &step);
    SetUnit(UNIT_MINUTES);
    m_spin.SetPos32(1);

    m_layout.Attach(this);
    for (const Anchor &anchor : kAnchors)
    {
        if (CWnd *control = GetDlgItem(static_cast<int>(anchor.id)))
            m_layout.AddControl(control, anchor.flags);
    }
    InitSummary();
    m_summary.SetFocus();
    return TRUE;
}

void CWhenWhereDlgHP::CreateFonts()
{
    LOGFONTW font = {};
    CFont *dialogFont = GetFont();
    if (dialogFont == nullptr || dialogFont->GetLogFont(&font) == 0)
        return;
    CClientDC dc(this);
    const int pixelsPerInch = dc.GetDeviceCaps(LOGPIXELSY);
    LOGFONTW text = font;
    text.lfHeight = -::MulDiv(10, pixelsPerInch, 72);
    text.lfQuality = ANTIALIASED_QUALITY;
    m_textFont.DeleteObject();
    m_textFont.CreateFontIndirect(&text);
    LOGFONTW bold = font;
    bold.lfHeight = -::MulDiv(11, pixelsPerInch, 72);
    bold.lfWeight = FW_BOLD;
    m_boldFont.DeleteObject();
    m_boldFont.CreateFontIndirect(&bold);
    // The sentences in the text font, the two section titles in the bold one.
    for (UINT id : {IDC_SCHEDULE_ON_CHANGE_LABEL, IDC_SCHEDULE_SUMMARY_NOTE})
    {
        if (CWnd *control = GetDlgItem(static_cast<int>(id)))
            control->SetFont(&m_textFont);
    }
    for (UINT id : {IDC_SCHEDULE_WHEN_GROUP, IDC_SCHEDULE_SUMMARY_GROUP})
    {
        if (CWnd *control = GetDlgItem(static_cast<int>(id)))
            control->SetFont(&m_boldFont);
    }
}

void CWhenWhereDlgHP::InitTimePicker()
{
    wchar_t format[kLocaleTextRoom] = {};
    wchar_t separator[kLocaleTextRoom] = {};
    const BOOL haveFormat = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, kLocaleTextRoom) > 0;
    const BOOL haveSeparator = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, kLocaleTextRoom) > 0;
    m_timePicker.SetFormat(PickerTimeFormat(haveFormat ? format : nullptr, haveSeparator ? separator : nullptr));
}

void CWhenWhereDlgHP::InitSummary()
{
    m_summary.SetSize(kSummaryColumns, kSummaryRows);
    m_summary.SetVerticalGridLines(FALSE);
    m_summary.ModifyStyle(WS_BORDER, 0, SWP_FRAMECHANGED);
    m_summary.ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE, 0, SWP_FRAMECHANGED);
    m_summary.m_crBackground = kPageBackground;
    FitSummaryColumns();
    for (int row = 0; row < 5; ++row)
        m_summary.SetItemText(0, row, m_captions[row]);
}

void CWhenWhereDlgHP::FitSummaryColumns()
{
    if (m_summary.GetSafeHwnd() == nullptr)
        return;
    CRect list;
    m_summary.GetClientRect(&list);
    m_summary.SetColumnWidth(0, list.Width() / 3);
    m_summary.SetColumnWidth(1, list.Width() - list.Width() / 3);
}

BOOL CWhenWhereDlgHP::HasAgent() const
{
    const CJobDef *def = m_pJob != nullptr ? m_pJob->GetJobDef() : nullptr;
    return def != nullptr && (def->GetSourceAgent() != 0 || def->GetDestAgent() != 0);
}

void CWhenWhereDlgHP::ResetKindCombo()
{
    m_kindCombo.ResetContent();
    for (UINT kind : kKindStrings)
        m_kindCombo.AddString(AfxLoadText(kind));
    m_kindCombo.SetCurSel(0);
    m_kindIndex = 0;
    m_onChangeRemoved = FALSE;
    ShowKindControls(KIND_ON_CHANGE);
}

void CWhenWhereDlgHP::ShowKindControls(int kind)
{
    const auto set = [this](UINT id, BOOL show, BOOL enable) {
        if (CWnd *control = GetDlgItem(static_cast<int>(id)))
        {
            control->ShowWindow(show ? SW_SHOW : SW_HIDE);
            control->EnableWindow(enable);
        }
    };
    set(IDC_SCHEDULE_ON_CHANGE_LABEL, kind == KIND_ON_CHANGE, TRUE);
    for (UINT id : kIntervalControls)
        set(id, kind == KIND_INTERVAL, kind == KIND_INTERVAL);
    const BOOL weekly = kind == KIND_WEEKLY;
    set(IDC_SCHEDULE_WEEKLY_LABEL, weekly, weekly);
    for (int day = 0; day < kWeekdayCount; ++day)
    {
        set(WeekdayCheckId(day), weekly, weekly);
        set(IDC_SCHEDULE_DAY_LABEL_FIRST + day, weekly, weekly);
    }
    set(IDC_SCHEDULE_TIME, weekly, weekly);
}

void CWhenWhereDlgHP::SetUnit(int unit)
{
    const IntervalRange range = IntervalRangeOf(unit);
    m_spin.SetRange32(range.lower, range.upper);
}

CString CWhenWhereDlgHP::IntervalSentence() const
{
    const int unit = m_unitCombo.GetCurSel();
    CString interval;
    interval.Format(L"%d %s", m_spin.GetPos32(), AfxLoadText(kUnitStrings[unit >= 0 && unit < 3 ? unit : 0]));
    const BOOL oneWay = m_pJob != nullptr && m_pJob->GetJobDef()->GetSyncType() == 1;
    CString sentence;
    sentence.Format(oneWay ? IDS_HEADER_INTERVAL_ONE_WAY : IDS_HEADER_INTERVAL, interval);
    return sentence;
}

CString CWhenWhereDlgHP::WeeklySentence()
{
    int flags[kWeekdayCount] = {};
    for (int day = 0; day < kWeekdayCount; ++day)
        flags[day] = IsDlgButtonChecked(static_cast<int>(WeekdayCheckId(day))) == BST_CHECKED ? 1 : 0;
    const CString days = CheckedDaysText(flags);
    if (days.IsEmpty())
        return CString();
    CTime time;
    if (m_timePicker.GetTime(time) != GDT_VALID)
        time = CTime(2000, 1, 1, 0, 0, 0);
    const BOOL oneWay = m_pJob != nullptr && m_pJob->GetJobDef()->GetSyncType() == 1;
    CString sentence;
    sentence.Format(oneWay ? IDS_HEADER_WEEKLY_ONE_WAY : IDS_HEADER_WEEKLY, days, time.Format(L"%H:%M"));
    return sentence;
}

void CWhenWhereDlgHP::OnKindChange()
{
    const int index = m_kindCombo.GetCurSel() + (HasAgent() ? 1 : 0);
    const BOOL oneWay = m_pJob != nullptr && m_pJob->GetJobDef()->GetSyncType() == 1;
    CString header;
    switch (index)
    {
    case KIND_ON_CHANGE:
        m_kind = KIND_ON_CHANGE;
        ShowKindControls(m_kind);
        header = AfxLoadText(oneWay ? IDS_HEADER_ON_CHANGE_ONE_WAY : IDS_HEADER_ON_CHANGE);
        break;
    case KIND_INTERVAL:
        m_kind = KIND_INTERVAL;
        ShowKindControls(m_kind);
        header = IntervalSentence();
        break;
    case KIND_WEEKLY:
        m_kind = KIND_WEEKLY;
        ShowKindControls(m_kind);
        header = WeeklySentence();
        break;
    default:
        break;
    }
    if (m_pWizard != nullptr)
        m_pWizard->InvalidateSteps(header);
}

void CWhenWhereDlgHP::OnUnitChange()
{
    const int unit = m_unitCombo.GetCurSel();
    if (unit < 0)
        return;
    SetUnit(unit);
    // The control keeps the position inside its new range.
    m_spin.SetPos32(m_spin.GetPos32());
}

void CWhenWhereDlgHP::OnIntervalUpdate()
{
    CWnd *edit = GetDlgItem(IDC_SCHEDULE_INTERVAL);
    if (edit == nullptr || m_spin.GetSafeHwnd() == nullptr)
        return;
    int lower = 0;
    int upper = 0;
    m_spin.GetRange32(lower, upper);
    CString text;
    edit->GetWindowText(text);
    if (!CorrectIntervalText(text, upper))
        return;
    edit->SetWindowText(text);
    edit->SendMessage(EM_SETSEL, static_cast<WPARAM>(text.GetLength()), text.GetLength());
}

void CWhenWhereDlgHP::OnIntervalKillFocus()
{
    int lower = 0;
    int upper = 0;
    m_spin.GetRange32(lower, upper);
    // The box shows what will be saved: a text the control did not take ("0", nothing) gives way to its position.
    int position = m_spin.GetPos32();
    if (position > upper)
        position = upper;
    else if (position < lower)
        position = lower;
    m_spin.SetPos32(position);
    CString shown;
    GetDlgItemText(IDC_SCHEDULE_INTERVAL, shown);
    CString saved;
    saved.Format(L"%d", position);
    if (shown != saved)
        SetDlgItemText(IDC_SCHEDULE_INTERVAL, saved);
}

void CWhenWhereDlgHP::OnSize(UINT nType, int cx, int cy)
{
    CPageBase::OnSize(nType, cx, cy);
    m_layout.Apply();
    FitSummaryColumns();
}
