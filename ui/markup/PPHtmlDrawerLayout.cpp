// Layout and drawing of markup: the measuring and drawing passes, blocks, flow blocks, lines, word fitting and
// the drawing of text pieces.
#include "ui/markup/PPHtmlDrawer.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace
{

// The characters after which a line may break.
const wchar_t kBreakChars[] = L" -.,!:;)}]?";

// The next table block at or after pos: from its "<table" tag through the matching "</table>" (counting nested
// tables), or to the end of the text when that is missing.
bool FindTable(const CString &text, int pos, int &start, int &end)
{
    CString before;
    CString tag;
    CString name;
    CString params;
    int tagStart = 0;
    while (CPPHtmlDrawer::NextTag(text, pos, before, tag, &tagStart))
    {
        CPPHtmlDrawer::SplitTag(tag, name, params);
        if (name != L"table")
            continue;
        start = tagStart;
        int depth = 1;
        while (depth > 0 && CPPHtmlDrawer::NextTag(text, pos, before, tag))
        {
            CPPHtmlDrawer::SplitTag(tag, name, params);
            if (name == L"table")
                ++depth;
            else if (name == L"/table")
                --depth;
        }
        end = depth > 0 ? text.GetLength() : pos;
        return true;
    }
    return false;
}

int CountBlanks(const CString &text)
{
    int blanks = 0;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] == L' ')
            ++blanks;
    return blanks;
}

} // namespace

bool CPPHtmlDrawer::NextTag(const CString &strText, int &pos, CString &strBefore, CString &strTag, int *pTagStart)
{
    strBefore.Empty();
    strTag.Empty();
    const int length = strText.GetLength();
    while (pos < length)
    {
        const int open = strText.Find(L'<', pos);
        if (open < 0)
        {
            strBefore += strText.Mid(pos);
            pos = length;
            return false;
        }
        strBefore += strText.Mid(pos, open - pos);
        if (open + 1 < length && strText[open + 1] == L'<')
        {
            strBefore += L'<';
            pos = open + 2;
            continue;
        }
        const int close = strText.Find(L'>', open + 1);
        if (close < 0)
        {
            strBefore += strText.Mid(open);
            pos = length;
            return false;
        }
        if (pTagStart != nullptr)
            *pTagStart = open;
        strTag = strText.Mid(open + 1, close - open - 1);
        pos = close + 1;
        return true;
    }
    return false;
}

CSize CPPHtmlDrawer::Measure(HDC hDC, const CString &strText)
{
    m_strText = PrepareText(strText);
    m_lines.clear();
    m_hotAreas.clear();
    m_animations.clear();
    if (m_strText.IsEmpty() || hDC == nullptr)
        return CSize(0, 0);
    CSize size = RunPass(TRUE, hDC, CRect(0, 0, m_nMaxWidth, 0));
    if (size.cx == 0 && size.cy == 0)
        m_strText.Empty();
    if (m_nMaxWidth > 0 && size.cx > m_nMaxWidth)
        size.cx = m_nMaxWidth;
    return CSize(size.cx + 1, size.cy + 1);
}

void CPPHtmlDrawer::Draw(HDC hDC, LPCRECT lpRect)
{
    if (m_strText.IsEmpty() || hDC == nullptr || lpRect == nullptr)
    {
        m_hotAreas.clear();
        return;
    }
    RunPass(FALSE, hDC, CRect(*lpRect));
}

CSize CPPHtmlDrawer::RunPass(BOOL bMeasuring, HDC hDC, const CRect &rect)
{
    m_bMeasuring = bMeasuring;
    m_hDC = hDC;
    if (bMeasuring)
    {
        m_lines.clear();
        m_animations.clear();
    }
    // Hot areas are those of the latest drawing: the tooltip draws on every paint.
    m_hotAreas.clear();
    m_nCurLine = 0;
    m_nLinkCounter = 0;
    m_nAnimationTaken = 0;
    m_styles.clear();
    m_flow = FlowState();

    m_style.Reset();
    if (!m_bEnabled)
        m_style.crText = m_crDisabled;
    ApplyStyleSheet(L"body");
    m_nOldBkMode = ::GetBkMode(hDC);
    m_crOldText = ::GetTextColor(hDC);
    m_crOldBkgnd = ::GetBkColor(hDC);
    m_hOldFont = nullptr;
    m_font.Close();
    m_lf = {};
    SelectStyle();
    if (m_extension)
        m_extension->BeginPass(*this);

    const CSize size = Blocks(m_strText, rect);

    RestoreDC();
    m_hDC = nullptr;
    return size;
}

void CPPHtmlDrawer::RestoreDC()
{
    ::SetTextJustification(m_hDC, 0, 0);
    ::SetBkMode(m_hDC, m_nOldBkMode);
    ::SetTextColor(m_hDC, m_crOldText);
    ::SetBkColor(m_hDC, m_crOldBkgnd);
    if (m_hOldFont != nullptr)
        ::SelectObject(m_hDC, m_hOldFont);
    m_hOldFont = nullptr;
    m_font.Close();
}

void CPPHtmlDrawer::SelectStyle()
{
    if (m_hDC == nullptr)
        return;
    LOGFONTW lf = {};
    lf.lfHeight = m_style.nSizeFont;
    lf.lfWeight = m_style.nWeightFont;
    lf.lfItalic = static_cast<BYTE>(m_style.bItalicFont ? 1 : 0);
    lf.lfUnderline = static_cast<BYTE>(m_style.bUnderlineFont ? 1 : 0);
    lf.lfStrikeOut = static_cast<BYTE>(m_style.bStrikeOutFont ? 1 : 0);
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(lf.lfFaceName, m_style.sFaceFont.Left(LF_FACESIZE - 1), LF_FACESIZE - 1);
    if (!m_font.IsValid() || std::memcmp(&lf, &m_lf, sizeof(lf)) != 0)
    {
        HFONT font = ::CreateFontIndirectW(&lf);
        if (font != nullptr)
        {
            HGDIOBJ previous = ::SelectObject(m_hDC, font);
            if (m_hOldFont == nullptr)
                m_hOldFont = previous;
            m_font.Attach(font);
            m_lf = lf;
        }
    }
    ::SetBkMode(m_hDC, m_style.nBkMode);
    ::SetTextColor(m_hDC, m_style.crText);
    ::SetBkColor(m_hDC, m_style.crBkgnd);
    ::GetTextMetricsW(m_hDC, &m_tm);
}

void CPPHtmlDrawer::PushStyle()
{
    m_styles.push_back(m_style);
    SelectStyle();
}

void CPPHtmlDrawer::PopStyle()
{
    if (!m_styles.empty())
    {
        m_style = m_styles.back();
        m_styles.pop_back();
    }
    SelectStyle();
}

void CPPHtmlDrawer::RestoreStyleDepth(size_t nDepth)
{
    if (m_styles.size() <= nDepth)
        return;
    m_style = m_styles[nDepth];
    m_styles.resize(nDepth);
    SelectStyle();
}

void CPPHtmlDrawer::ApplyStyleSheet(const CString &strSelector)
{
    CString declarations;
    if (GetStyleSheetEntry(strSelector, declarations))
        SetStyleFromDeclarations(declarations, m_style);
}

CSize CPPHtmlDrawer::Blocks(const CString &strText, const CRect &frame)
{
    CSize size(0, 0);
    CRect block = frame;
    const int length = strText.GetLength();
    int pos = 0;
    while (pos < length)
    {
        int tableStart = length;
        int tableEnd = length;
        const bool table = FindTable(strText, pos, tableStart, tableEnd);
        if (tableStart > pos)
        {
            const CSize flow = FlowBlock(strText.Mid(pos, tableStart - pos), block);
            size.cx = std::max(size.cx, flow.cx);
            size.cy += flow.cy;
            block.top += flow.cy;
        }
        if (!table)
            break;
        if (m_extension)
        {
            const CSize tableSize =
                m_extension->TableBlock(*this, strText.Mid(tableStart, tableEnd - tableStart), block);
            size.cx = std::max(size.cx, tableSize.cx);
            size.cy += tableSize.cy;
            block.top += tableSize.cy;
        }
        pos = tableEnd;
    }
    return size;
}

CSize CPPHtmlDrawer::FlowBlock(const CString &strText, const CRect &frame)
{
    const FlowState saved = m_flow;
    m_flow = FlowState();
    m_flow.rcFrame = frame;
    m_flow.y = frame.top;
    StartLine();
    const int length = strText.GetLength();
    int pos = 0;
    CString before;
    CString tag;
    while (pos < length)
    {
        const bool isTag = CPPHtmlDrawer::NextTag(strText, pos, before, tag);
        if (!before.IsEmpty())
            ProcessText(before);
        if (isTag)
            ProcessTag(tag);
    }
    EndLine(1);
    // A block that shows nothing (only tags that draw nothing, or empty lines) takes no room.
    const int width = m_flow.nBlockWidth;
    const CSize size(width, width > 0 ? m_flow.y - frame.top : 0);
    m_flow = saved;
    return size;
}

int CPPHtmlDrawer::LineWidth() const
{
    return m_flow.rcFrame.right - m_flow.rcFrame.left;
}

const CPPHtmlDrawer::LineRecord *CPPHtmlDrawer::CurrentLine() const
{
    return m_nCurLine < m_lines.size() ? &m_lines[m_nCurLine] : nullptr;
}

int CPPHtmlDrawer::PlainWidth(const CString &strText) const
{
    SIZE extent = {};
    if (strText.IsEmpty() || !::GetTextExtentPoint32W(m_hDC, strText, strText.GetLength(), &extent))
        return 0;
    return extent.cx;
}

void CPPHtmlDrawer::StartLine()
{
    const int left = m_flow.rcFrame.left;
    m_flow.nUsed = 0;
    m_flow.nAscent = 0;
    m_flow.nDescent = 0;
    m_flow.nPercent = 0;
    m_flow.nBlanks = 0;
    m_flow.bWrapped = FALSE;
    m_flow.nJustifyExtra = 0;
    m_flow.nJustifyBlanks = 0;
    m_flow.nJustifyDone = 0;
    m_flow.nAlign = m_style.nHorzAlign;
    int x = left;
    if (m_bMeasuring)
    {
        m_nCurLine = m_lines.size();
        LineRecord record;
        record.nAlign = m_style.nHorzAlign;
        m_lines.push_back(record);
    }
    else if (const LineRecord *record = CurrentLine())
    {
        const int blockWidth = LineWidth();
        const int lineWidth = record->nWidth + record->nPercent * blockWidth / 100;
        // A justified line that wrapped spreads the room it leaves over its blanks; a line without blanks and
        // the last line of a paragraph stay as they are.
        if (record->nAlign == PPHA_JUSTIFY && record->bWrapped && record->nBlanks > 0 && blockWidth > lineWidth)
        {
            m_flow.nJustifyExtra = blockWidth - lineWidth;
            m_flow.nJustifyBlanks = record->nBlanks;
        }
        if (record->nAlign == PPHA_CENTER)
            x = left + (blockWidth - lineWidth) / 2;
        else if (record->nAlign == PPHA_RIGHT)
            x = left + blockWidth - lineWidth;
    }
    m_flow.x = x;
}

void CPPHtmlDrawer::EndLine(int nCount)
{
    nCount = std::max(nCount, 1);
    int height = 0;
    if (m_bMeasuring)
    {
        if (m_flow.nAscent == 0)
            m_flow.nAscent = m_tm.tmHeight;
        height = m_flow.nAscent + m_flow.nDescent;
        if (m_nCurLine < m_lines.size())
        {
            LineRecord &record = m_lines[m_nCurLine];
            record.nWidth = m_flow.nUsed;
            record.nHeight = height;
            record.nDescent = m_flow.nDescent;
            record.nPercent = m_flow.nPercent;
            record.nAlign = m_flow.nAlign;
            record.nBlanks = m_flow.nBlanks;
            record.bWrapped = m_flow.bWrapped;
        }
        m_flow.nBlockWidth = std::max(m_flow.nBlockWidth, m_flow.nUsed);
    }
    else
    {
        const LineRecord *record = CurrentLine();
        height = record != nullptr ? record->nHeight : m_tm.tmHeight;
        m_flow.nBlockWidth = std::max(m_flow.nBlockWidth, record != nullptr ? record->nWidth : 0);
    }
    m_flow.y += height * nCount;
    ++m_nCurLine;
}

void CPPHtmlDrawer::ProcessText(CString strText)
{
    switch (m_style.nTextTransform)
    {
    case PPTT_UPPERCASE:
        strText.MakeUpper();
        break;
    case PPTT_LOWERCASE:
        strText.MakeLower();
        break;
    case PPTT_CAPITALIZE:
        for (int i = 0; i < strText.GetLength(); ++i)
        {
            const wchar_t ch = strText[i];
            if (ch >= L'a' && ch <= L'z' && (i == 0 || strText[i - 1] == L' '))
                strText.SetAt(i, static_cast<wchar_t>(ch - L'a' + L'A'));
        }
        break;
    default:
        break;
    }

    while (!strText.IsEmpty())
    {
        const int lineWidth = LineWidth();
        CString piece;
        int width = 0;
        if (m_nMaxWidth == 0 || lineWidth <= 0)
        {
            piece = strText;
            width = PlainWidth(piece);
            strText.Empty();
        }
        else
        {
            const int room = lineWidth - m_flow.nUsed;
            width = PlainWidth(strText);
            if (width <= room)
            {
                piece = strText;
                strText.Empty();
            }
            else
            {
                FitPiece(strText, room, lineWidth, piece, width);
            }
        }
        if (!piece.IsEmpty())
            OutputPiece(piece, width);
        if (!strText.IsEmpty())
        {
            m_flow.bWrapped = TRUE;
            EndLine(1);
            StartLine();
        }
    }
}

void CPPHtmlDrawer::FitPiece(CString &strText, int nRoom, int nLineWidth, CString &strPiece, int &nWidth) const
{
    // The longest prefix before a break character that fits, taken with its break character.
    const int length = strText.GetLength();
    int best = -1;
    for (int i = 0; i < length; ++i)
    {
        if (std::wcschr(kBreakChars, strText[i]) == nullptr)
            continue;
        if (PlainWidth(strText.Left(i)) > nRoom)
            break;
        best = i;
    }
    if (best >= 0)
    {
        strPiece = strText.Left(best + 1);
        strPiece.TrimRight(L' ');
        strText = strText.Mid(best + 1);
        strText.TrimLeft(L' ');
        nWidth = PlainWidth(strPiece);
        return;
    }
    // No word fits: a line that holds something ends and the word moves on whole.
    if (nRoom != nLineWidth)
    {
        strPiece.Empty();
        nWidth = 0;
        return;
    }
    // On an empty line the word is split: the longest run of characters that fits, at least one.
    int low = 1;
    int high = length;
    while (low < high)
    {
        const int middle = (low + high + 1) / 2;
        if (PlainWidth(strText.Left(middle)) <= nRoom)
            low = middle;
        else
            high = middle - 1;
    }
    strPiece = strText.Left(low);
    strText = strText.Mid(low);
    nWidth = PlainWidth(strPiece);
}

void CPPHtmlDrawer::OutputPiece(const CString &strPiece, int nWidth)
{
    const int blanks = CountBlanks(strPiece);
    if (m_bMeasuring)
    {
        m_flow.nUsed += nWidth;
        m_flow.x += nWidth;
        m_flow.nAlign = m_style.nHorzAlign;
        m_flow.nAscent = std::max<int>(m_flow.nAscent, m_tm.tmAscent);
        m_flow.nDescent = std::max<int>(m_flow.nDescent, m_tm.tmDescent);
        m_flow.nBlanks += blanks;
        return;
    }

    const LineRecord *record = CurrentLine();
    const int lineHeight = record != nullptr ? record->nHeight : m_tm.tmHeight;
    const int lineDescent = record != nullptr ? record->nDescent : m_tm.tmDescent;
    int y = m_flow.y;
    switch (m_style.nVertAlign)
    {
    case PPVA_MIDDLE:
        y += (lineHeight - m_tm.tmHeight) / 2;
        break;
    case PPVA_BOTTOM:
        y += lineHeight - m_tm.tmAscent;
        break;
    case PPVA_BASELINE:
        y += lineHeight - m_tm.tmAscent - lineDescent;
        break;
    default:
        break;
    }

    // This piece's share of the justified line's extra room, so that the line's pieces together spread it
    // exactly; the DC's justification is set for this one output only.
    int extra = 0;
    if (m_flow.nJustifyBlanks > 0 && blanks > 0)
    {
        const LONGLONG total = m_flow.nJustifyBlanks;
        const LONGLONG room = m_flow.nJustifyExtra;
        const int done = m_flow.nJustifyDone;
        const int after = std::min(done + blanks, m_flow.nJustifyBlanks);
        extra = static_cast<int>(room * after / total - room * done / total);
        m_flow.nJustifyDone = after;
    }
    if (extra > 0)
        ::SetTextJustification(m_hDC, extra, blanks);
    ::TextOutW(m_hDC, m_flow.x, y, strPiece, strPiece.GetLength());
    if (extra > 0)
        ::SetTextJustification(m_hDC, 0, 0);
    const int drawn = nWidth + extra;

    if (m_style.bOverlineFont)
    {
        const int thickness = m_style.nWeightFont >= FW_BOLD ? 2 : 1;
        const RECT line = {m_flow.x, y, m_flow.x + drawn, y + thickness};
        CGdiObjectOwner<HBRUSH> brush(::CreateSolidBrush(m_style.crText));
        if (brush.IsValid())
            ::FillRect(m_hDC, &line, brush);
    }
    AddHotArea(CRect(m_flow.x, y, m_flow.x + drawn, y + m_tm.tmHeight));
    if (m_pObserver != nullptr)
    {
        PPHtmlTextRun run;
        run.strText = strPiece;
        run.x = m_flow.x;
        run.y = y;
        run.nWidth = drawn;
        run.strFace = m_lf.lfFaceName;
        run.nHeight = m_lf.lfHeight;
        run.nWeight = m_lf.lfWeight;
        run.bItalic = m_lf.lfItalic;
        run.bUnderline = m_lf.lfUnderline;
        run.bStrikeOut = m_lf.lfStrikeOut;
        run.bOverline = m_style.bOverlineFont;
        run.crText = m_style.crText;
        run.crBkgnd = m_style.crBkgnd;
        run.nBkMode = m_style.nBkMode;
        run.nLink = OpenLink();
        m_pObserver->OnText(run);
    }
    m_flow.x += drawn;
    m_flow.nUsed += nWidth;
}
