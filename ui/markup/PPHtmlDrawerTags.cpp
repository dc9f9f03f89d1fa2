// Tags of the flow: style changes and their closing, line breaks, tabs, rules, and the boxes and texts that the
// extension places in the line.
#include "ui/markup/PPHtmlDrawer.h"

#include <algorithm>

namespace
{

bool IsStyleTag(int nTag)
{
    return (nTag >= PPTAG_BOLD && nTag <= PPTAG_FONT) || (nTag >= PPTAG_LEFT && nTag <= PPTAG_BOTTOM) ||
           (nTag >= PPTAG_NEWSTYLE && nTag <= PPTAG_HYPERLINK);
}

} // namespace

void CPPHtmlDrawer::ProcessTag(const CString &strTag)
{
    CString name;
    CString params;
    SplitTag(strTag, name, params);
    const bool closing = !name.IsEmpty() && name[0] == L'/';
    if (closing)
        name = name.Mid(1);
    CString match;
    const int tag = LookupTag(name, match);
    if (tag == PPTAG_NONE)
        return;
    m_style.strTag = match;

    if (closing)
    {
        if (!IsStyleTag(tag))
            return;
        // Only a saved style of the same matching name comes back; a stray closing tag restores nothing.
        if (!m_styles.empty() && m_styles.back().strTag == match)
        {
            m_style = m_styles.back();
            m_styles.pop_back();
        }
        m_style.strTag.Empty();
        SelectStyle();
        return;
    }

    if (IsStyleTag(tag))
    {
        m_styles.push_back(m_style);
        ApplyOpeningTag(tag, name, params);
        SelectStyle();
        return;
    }

    switch (tag)
    {
    case PPTAG_HR:
        DrawRule(params);
        break;
    case PPTAG_BR:
        EndLine(_wtoi(params));
        StartLine();
        break;
    case PPTAG_TAB:
        MoveToTab(params);
        break;
    case PPTAG_BMP:
    case PPTAG_ICON:
    case PPTAG_ILST:
    case PPTAG_STRING:
        if (m_extension)
            m_extension->InlineTag(*this, tag, params);
        break;
    default:
        break;
    }
}

void CPPHtmlDrawer::ApplyOpeningTag(int nTag, const CString &strName, const CString &strParams)
{
    CString value;
    switch (nTag)
    {
    case PPTAG_BOLD:
        m_style.nWeightFont = std::min(m_style.nWeightFont * 2, static_cast<int>(FW_HEAVY));
        break;
    case PPTAG_ITALIC:
        m_style.bItalicFont = !m_style.bItalicFont;
        break;
    case PPTAG_UNDERLINE:
        m_style.bUnderlineFont = !m_style.bUnderlineFont;
        break;
    case PPTAG_STRIKEOUT:
        m_style.bStrikeOutFont = !m_style.bStrikeOutFont;
        break;
    case PPTAG_FONT:
        SetStyleFromFontTag(strParams, m_style);
        break;
    case PPTAG_LEFT:
    case PPTAG_CENTER:
    case PPTAG_RIGHT:
    case PPTAG_JUSTIFY:
        m_style.nHorzAlign = nTag - PPTAG_LEFT;
        break;
    case PPTAG_BASELINE:
        m_style.nVertAlign = PPVA_BASELINE;
        break;
    case PPTAG_TOP:
        m_style.nVertAlign = PPVA_TOP;
        break;
    case PPTAG_VCENTER:
        m_style.nVertAlign = PPVA_MIDDLE;
        break;
    case PPTAG_BOTTOM:
        m_style.nVertAlign = PPVA_BOTTOM;
        break;
    case PPTAG_NEWSTYLE:
        ApplyStyleSheet(strName);
        break;
    case PPTAG_SPAN:
        if (GetParameter(strParams, L"class", value))
            ApplyStyleSheet(L"." + value);
        break;
    case PPTAG_HYPERLINK:
        m_style.nTypeLink = PPLINK_MSG;
        m_style.sHyperlink.Empty();
        if (GetParameter(strParams, L"href", value))
        {
            m_style.nTypeLink = PPLINK_HREF;
            m_style.sHyperlink = value;
        }
        else if (GetParameter(strParams, L"msg", value))
        {
            m_style.sHyperlink = value;
        }
        ++m_nLinkCounter;
        ApplyStyleSheet(m_nLinkCounter == m_nMarkedLink ? L"a:hover" : L"a:link");
        break;
    default:
        break;
    }
}

void CPPHtmlDrawer::DrawRule(const CString &strParams)
{
    CString width;
    CString size;
    CString color;
    GetParameter(strParams, L"width", width);
    GetParameter(strParams, L"size", size);
    const bool hasColor = GetParameter(strParams, L"color", color);
    const int thickness = std::max(size.IsEmpty() ? 1 : GetLengthUnit(size, 1), 0);
    const bool percent = width.IsEmpty() || width[width.GetLength() - 1] == L'%';
    const int percentage = width.IsEmpty() ? 100 : (percent ? _wtoi(width.Left(width.GetLength() - 1)) : 0);
    const int pixels = percent ? 0 : GetLengthUnit(width, 0);

    if (m_bMeasuring)
    {
        if (percent)
        {
            m_flow.nPercent += percentage;
            m_flow.x += 1;
            m_flow.nUsed += 1;
        }
        else
        {
            m_flow.x += pixels;
            m_flow.nUsed += pixels;
        }
        m_flow.nAscent = std::max(m_flow.nAscent, thickness + 8);
        m_flow.nAlign = m_style.nHorzAlign;
        return;
    }

    COLORREF crColor = m_style.crText;
    if (hasColor)
        crColor = m_bEnabled ? GetColor(color, m_style.crText) : m_crDisabled;
    const int ruleWidth = percent ? percentage * LineWidth() / 100 : pixels;
    const LineRecord *record = CurrentLine();
    const int lineHeight = record != nullptr ? record->nHeight : thickness + 8;
    const int top = m_flow.y + (lineHeight - thickness) / 2;
    const CRect rule(m_flow.x, top, m_flow.x + ruleWidth, top + thickness);
    if (ruleWidth > 0 && thickness > 0)
    {
        CGdiObjectOwner<HBRUSH> brush(::CreateSolidBrush(crColor));
        if (brush.IsValid())
            ::FillRect(m_hDC, &rule, brush);
    }
    if (m_pObserver != nullptr)
    {
        PPHtmlRule report;
        report.rect = rule;
        report.crColor = crColor;
        m_pObserver->OnRule(report);
    }
    m_flow.x += ruleWidth;
    m_flow.nUsed += percent ? 1 : pixels;
}

void CPPHtmlDrawer::MoveToTab(const CString &strParams)
{
    int count = _wtoi(strParams);
    if (count <= 0)
        count = 1;
    const int tab = m_nTabWidth;
    int move = 0;
    const int offset = m_flow.nUsed % tab;
    if (offset != 0)
    {
        move = tab - offset;
        --count;
    }
    move += tab * count;
    m_flow.x += move;
    m_flow.nUsed += move;
}

BOOL CPPHtmlDrawer::PlaceBox(const CSize &size, CRect &rcBox)
{
    const int lineWidth = LineWidth();
    if (m_nMaxWidth != 0 && lineWidth > 0 && m_flow.nUsed > 0 && size.cx > lineWidth - m_flow.nUsed)
    {
        m_flow.bWrapped = TRUE;
        EndLine(1);
        StartLine();
    }
    if (m_bMeasuring)
    {
        m_flow.nUsed += size.cx;
        m_flow.x += size.cx;
        m_flow.nAscent = std::max<int>(m_flow.nAscent, size.cy);
        m_flow.nAlign = m_style.nHorzAlign;
        return FALSE;
    }
    const LineRecord *record = CurrentLine();
    const int lineHeight = record != nullptr ? record->nHeight : size.cy;
    const int lineDescent = record != nullptr ? record->nDescent : 0;
    int y = m_flow.y;
    switch (m_style.nVertAlign)
    {
    case PPVA_MIDDLE:
        y += (lineHeight - size.cy) / 2;
        break;
    case PPVA_BOTTOM:
        y += lineHeight - size.cy;
        break;
    case PPVA_BASELINE:
        y += lineHeight - lineDescent - size.cy;
        break;
    default:
        break;
    }
    rcBox = CRect(m_flow.x, y, m_flow.x + size.cx, y + size.cy);
    AddHotArea(rcBox);
    m_flow.x += size.cx;
    m_flow.nUsed += size.cx;
    return TRUE;
}

void CPPHtmlDrawer::PlaceText(const CString &strText)
{
    if (!strText.IsEmpty())
        OutputPiece(strText, PlainWidth(strText));
}
