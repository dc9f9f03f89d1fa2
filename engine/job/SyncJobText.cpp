// The job's texts for the job list and its log: schedule, revisions, sources, filters and summary.
#include "engine/job/SyncJob.h"

#include "engine/store/SourceList.h"
#include "platform/system/Resources.h"

namespace
{

// The locale's short name of a weekday, 0 = Sunday.
CString ShortDayName(int weekday)
{
    LCTYPE type = weekday == 0 ? LOCALE_SABBREVDAYNAME7 : LOCALE_SABBREVDAYNAME1 + static_cast<LCTYPE>(weekday - 1);
    wchar_t name[32] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, name, ARRAYSIZE(name)) == 0)
        return CString();
    return CString(name);
}

CString JoinSources(IXMLDOMElement *element, LPCWSTR separator)
{
    CString text;
    if (element == nullptr)
        return text;
    CStringArray sources;
    XmlReadSrcList(element, sources);
    for (INT_PTR i = 0; i < sources.GetSize(); ++i)
    {
        if (i > 0)
            text += separator;
        text += sources[i];
    }
    return text;
}

} // namespace

CString CSyncJob::GetScheduleText() const
{
    CString text;
    switch (m_jobDef->GetJsType())
    {
    case 0:
        text = AfxLoadText(221);
        break;
    case 1: {
        int minutes = m_jobDef->GetJsMins();
        if (minutes % 1440 == 0)
            text.Format(217, minutes / 1440);
        else if (minutes % 60 == 0)
            text.Format(218, minutes / 60);
        else
            text.Format(219, minutes);
        break;
    }
    case 2: {
        // js_day holds Sunday in bit 6 down to Saturday in bit 0.
        int days = m_jobDef->GetJsDay();
        CString names;
        for (int weekday = 0; weekday < 7; ++weekday)
        {
            if (!(days & (1 << (6 - weekday))))
                continue;
            if (!names.IsEmpty())
                names += L", ";
            names += ShortDayName(weekday);
        }
        int hours = 0, minutes = 0;
        m_jobDef->GetJsTime(hours, minutes);
        CString time;
        time.Format(L"%02d:%02d", hours, minutes);
        text.Format(220, names.GetString(), time.GetString());
        break;
    }
    default:
        break;
    }
    return text;
}

CString CSyncJob::GetRevisionText() const
{
    int maxVer = m_jobDef->GetMaxVer();
    if (maxVer < 0)
        return AfxLoadText(223);
    if (maxVer == 0)
        return AfxLoadText(224);
    CString text;
    text.Format(222, maxVer);
    return text;
}

CString CSyncJob::GetSourceListText() const
{
    return JoinSources(m_element, L"\n");
}

void CSyncJob::GetFilterText(CString &out) const
{
    out.Empty();
    CString include = m_jobDef->GetInclude();
    if (!include.IsEmpty())
    {
        out = AfxLoadText(157) + L": " + include;
        return;
    }
    CString exclude = m_jobDef->GetExclude();
    if (!exclude.IsEmpty())
        out = AfxLoadText(158) + L": " + exclude;
}

CString CSyncJob::GetSummaryText() const
{
    CString text;
    text.Format(195, m_jobDef->GetName().GetString(), JoinSources(m_element, L"; ").GetString(),
                m_jobDef->GetDest().GetString());
    if (m_jobDef->GetAutoDel())
        text += AfxLoadText(197);
    return text;
}

void CSyncJob::FormatSummary(UINT headingId)
{
    CString filters;
    GetFilterText(filters);
    m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_INFO, 194, AfxLoadText(headingId).GetString(),
                  m_jobDef->GetName().GetString(), m_jobDef->GetDest().GetString(), GetSourceListText().GetString(),
                  filters.GetString());
}
