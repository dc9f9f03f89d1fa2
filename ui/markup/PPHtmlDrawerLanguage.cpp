// The markup language: text preparation, the tag splitter and parameter reader, sizes, colours, keywords,
// declarations and resource strings.
#include "ui/markup/PPHtmlDrawer.h"

#include <cwchar>
#include <cwctype>

#include "platform/system/Resources.h"

namespace
{

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

bool IsNameStart(wchar_t ch)
{
    return ::IsCharAlphaNumericW(ch) || ch == L'.';
}

// A keyword's value, else nDefault; an empty value counts as the first keyword.
struct Keyword
{
    LPCWSTR lpszWord;
    int nValue;
};

template <size_t N> int KeywordValue(const CString &strValue, const Keyword (&keywords)[N], int nDefault)
{
    if (strValue.IsEmpty())
        return keywords[0].nValue;
    for (const Keyword &keyword : keywords)
        if (strValue == keyword.lpszWord)
            return keyword.nValue;
    return nDefault;
}

const int kHtmlFontSizes[] = {8, 10, 12, 14, 18, 24, 36};

} // namespace

CString CPPHtmlDrawer::PrepareText(const CString &strText) const
{
    CString text = strText;
    for (const auto &entity : m_entities)
        text.Replace(entity.first, entity.second);
    text.Remove(L'\r');
    if (m_bNewLine)
    {
        text.Replace(L"\n", L"<br>");
        text.Replace(L"\t", L"<t>");
    }
    else
    {
        text.Remove(L'\n');
        text.Remove(L'\t');
    }
    return text;
}

void CPPHtmlDrawer::SplitTag(const CString &strTag, CString &strName, CString &strParams)
{
    const int blank = strTag.Find(L' ');
    if (blank < 0)
    {
        strName = strTag;
        strParams.Empty();
        return;
    }
    strName = strTag.Left(blank);
    strParams = strTag.Mid(blank + 1);
}

bool CPPHtmlDrawer::GetParameter(const CString &strParams, LPCWSTR lpszName, CString &strValue)
{
    const int length = strParams.GetLength();
    int pos = 0;
    while (pos < length)
    {
        while (pos < length && !IsNameStart(strParams[pos]))
            ++pos;
        if (pos >= length)
            break;
        const int nameStart = pos;
        while (pos < length && strParams[pos] != L'=' && !IsBlank(strParams[pos]))
            ++pos;
        const CString name = strParams.Mid(nameStart, pos - nameStart);
        while (pos < length && IsBlank(strParams[pos]))
            ++pos;
        CString value;
        if (pos < length && strParams[pos] == L'=')
        {
            ++pos;
            while (pos < length && IsBlank(strParams[pos]))
                ++pos;
            if (pos < length && (strParams[pos] == L'"' || strParams[pos] == L'\''))
            {
                // A quote without its closing quote runs to the end of the parameters.
                const wchar_t quote = strParams[pos];
                const int start = pos + 1;
                int end = strParams.Find(quote, start);
                if (end < 0)
                    end = length;
                value = strParams.Mid(start, end - start);
                pos = end + 1;
            }
            else
            {
                const int start = pos;
                while (pos < length && !IsBlank(strParams[pos]))
                    ++pos;
                value = strParams.Mid(start, pos - start);
            }
        }
        if (name == lpszName)
        {
            strValue = value;
            return true;
        }
    }
    strValue.Empty();
    return false;
}

int CPPHtmlDrawer::PixelsPerInch() const
{
    if (m_hDC != nullptr)
        return ::GetDeviceCaps(m_hDC, LOGPIXELSY);
    HDC screen = ::GetDC(nullptr);
    const int pixels = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ::ReleaseDC(nullptr, screen);
    return pixels;
}

int CPPHtmlDrawer::XHeight() const
{
    if (m_hDC == nullptr)
        return m_tm.tmHeight;
    GLYPHMETRICS metrics = {};
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    if (::GetGlyphOutlineW(m_hDC, L'x', GGO_METRICS, &metrics, 0, nullptr, &identity) == GDI_ERROR)
        return m_tm.tmHeight;
    return static_cast<int>(metrics.gmBlackBoxY);
}

int CPPHtmlDrawer::GetLengthUnit(const CString &strValue, int nDefault, BOOL bHtmlScale) const
{
    if (strValue.IsEmpty())
        return nDefault;
    const int length = strValue.GetLength();
    if (strValue[length - 1] == L'%')
        return ::MulDiv(nDefault, _wtoi(strValue.Left(length - 1)), 100);

    CString text = strValue;
    if (text[0] == L'+' || text[0] == L'-')
        text = text.Mid(1);
    const CString unit = text.Right(2);
    const int n = _wtoi(text);
    if (unit == L"px")
        return n;
    if (unit == L"ex")
        return n * XHeight();
    if (unit == L"em")
        return n * m_tm.tmHeight;
    if (unit == L"in")
        return n * PixelsPerInch();
    if (unit == L"cm")
        return static_cast<int>(n * PixelsPerInch() / 2.54);
    if (unit == L"mm")
        return static_cast<int>(n * PixelsPerInch() / 25.4);
    if (unit == L"pt")
        return n * PixelsPerInch() / 72;
    if (unit == L"pc")
        return n * PixelsPerInch() / 6;

    const int plain = static_cast<int>(std::wcstol(text, nullptr, 0));
    if (bHtmlScale && plain >= 1 && plain <= 7)
        return kHtmlFontSizes[plain - 1];
    return plain;
}

COLORREF CPPHtmlDrawer::GetColor(const CString &strValue, COLORREF crDefault) const
{
    if (strValue.IsEmpty())
        return crDefault;
    if (strValue[0] == L'#')
    {
        if (strValue.GetLength() != 7)
            return crDefault;
        for (int i = 1; i < 7; ++i)
            if (!std::iswxdigit(strValue[i]))
                return crDefault;
        const unsigned long rgb = std::wcstoul(strValue.Mid(1), nullptr, 16);
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    if (std::iswdigit(strValue[0]))
        return static_cast<COLORREF>(std::wcstoul(strValue, nullptr, 0));
    auto found = m_colors.find(strValue);
    return found != m_colors.end() ? found->second : crDefault;
}

int CPPHtmlDrawer::GetStyleFontStyle(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {{L"normal", 0}, {L"italic", 1}, {L"oblique", 1}};
    return KeywordValue(strValue, keywords, nDefault);
}

int CPPHtmlDrawer::GetStyleFontWeight(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {
        {L"normal", FW_NORMAL}, {L"bold", FW_BOLD}, {L"bolder", FW_HEAVY}, {L"lighter", FW_THIN}};
    if (!strValue.IsEmpty() && std::iswdigit(strValue[0]))
        return _wtoi(strValue);
    return KeywordValue(strValue, keywords, nDefault);
}

int CPPHtmlDrawer::GetStyleHorzAlign(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {{L"left", PPHA_LEFT}, {L"center", PPHA_CENTER}, {L"right", PPHA_RIGHT}};
    return KeywordValue(strValue, keywords, nDefault);
}

int CPPHtmlDrawer::GetStyleVertAlign(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {{L"baseline", PPVA_BASELINE},
                                       {L"middle", PPVA_MIDDLE},
                                       {L"vcenter", PPVA_MIDDLE},
                                       {L"top", PPVA_TOP},
                                       {L"bottom", PPVA_BOTTOM}};
    return KeywordValue(strValue, keywords, nDefault);
}

int CPPHtmlDrawer::GetStyleTextTransform(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {{L"none", PPTT_NONE},
                                       {L"uppercase", PPTT_UPPERCASE},
                                       {L"lowercase", PPTT_LOWERCASE},
                                       {L"capitalize", PPTT_CAPITALIZE}};
    return KeywordValue(strValue, keywords, nDefault);
}

int CPPHtmlDrawer::GetStyleBorder(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {{L"none", PPBS_NONE},
                                       {L"solid", PPBS_SOLID},
                                       {L"dashed", PPBS_DASHED},
                                       {L"dotted", PPBS_DOTTED},
                                       {L"double", PPBS_DOUBLE}};
    return KeywordValue(strValue, keywords, nDefault);
}

int CPPHtmlDrawer::GetStyleBorderWidth(const CString &strValue, int nDefault) const
{
    if (strValue.IsEmpty() || strValue == L"thin")
        return nDefault * 75 / 100;
    if (strValue == L"thick")
        return nDefault * 125 / 100;
    if (strValue == L"medium")
        return nDefault;
    return GetLengthUnit(strValue, nDefault);
}

int CPPHtmlDrawer::GetStyleBkEffect(const CString &strValue, int nDefault) const
{
    static const Keyword keywords[] = {{L"transparent", PPFX_TRANSPARENT},
                                       {L"solid", PPFX_SOLID},
                                       {L"hgradient", PPFX_HGRADIENT},
                                       {L"vgradient", PPFX_VGRADIENT},
                                       {L"hcgradient", PPFX_HCGRADIENT},
                                       {L"vcgradient", PPFX_VCGRADIENT},
                                       {L"3hgradient", PPFX_3HGRADIENT},
                                       {L"3vgradient", PPFX_3VGRADIENT},
                                       {L"noise", PPFX_NOISE},
                                       {L"diagshade", PPFX_DIAGSHADE},
                                       {L"hshade", PPFX_HSHADE},
                                       {L"vshade", PPFX_VSHADE},
                                       {L"hbump", PPFX_HBUMP},
                                       {L"vbump", PPFX_VBUMP},
                                       {L"softbump", PPFX_SOFTBUMP},
                                       {L"hardbump", PPFX_HARDBUMP},
                                       {L"metal", PPFX_METAL}};
    const int none = -1000;
    const int value = KeywordValue(strValue, keywords, none);
    return value != none ? value : GetLengthUnit(strValue, nDefault);
}

void CPPHtmlDrawer::SetStyleTextDecoration(const CString &strValue, PPHtmlStyle &style) const
{
    if (strValue.IsEmpty())
    {
        style.bUnderlineFont = style.bStrikeOutFont = style.bOverlineFont = FALSE;
        return;
    }
    const int length = strValue.GetLength();
    int pos = 0;
    while (pos < length)
    {
        while (pos < length && (strValue[pos] == L',' || IsBlank(strValue[pos])))
            ++pos;
        const int start = pos;
        while (pos < length && strValue[pos] != L',' && !IsBlank(strValue[pos]))
            ++pos;
        const CString word = strValue.Mid(start, pos - start);
        if (word == L"none")
            style.bUnderlineFont = style.bStrikeOutFont = style.bOverlineFont = FALSE;
        else if (word == L"underline")
            style.bUnderlineFont = TRUE;
        else if (word == L"line-through")
            style.bStrikeOutFont = TRUE;
        else if (word == L"overline")
            style.bOverlineFont = TRUE;
    }
}

void CPPHtmlDrawer::SetTextColor(PPHtmlStyle &style, COLORREF crColor) const
{
    style.crText = m_bEnabled ? crColor : m_crDisabled;
}

void CPPHtmlDrawer::SetBackground(PPHtmlStyle &style, const CString &strValue) const
{
    if (!m_bEnabled || strValue == L"transparent")
    {
        style.nBkMode = TRANSPARENT;
        return;
    }
    style.nBkMode = OPAQUE;
    style.crBkgnd = GetColor(strValue, style.crBkgnd);
}

void CPPHtmlDrawer::SetStyleFromDeclarations(const CString &strDeclarations, PPHtmlStyle &style) const
{
    CString text = strDeclarations;
    text.MakeLower();
    const int length = text.GetLength();
    int pos = 0;
    while (pos < length)
    {
        while (pos < length && !IsNameStart(text[pos]))
            ++pos;
        if (pos >= length)
            break;
        const int start = pos;
        while (pos < length && text[pos] != L':' && !IsBlank(text[pos]))
            ++pos;
        const CString property = text.Mid(start, pos - start);
        while (pos < length && IsBlank(text[pos]))
            ++pos;
        if (pos >= length || text[pos] != L':')
        {
            // Not a declaration: skip to the next one.
            const int next = text.Find(L';', pos);
            pos = next < 0 ? length : next + 1;
            continue;
        }
        ++pos;
        while (pos < length && IsBlank(text[pos]))
            ++pos;
        CString value;
        if (pos < length && text[pos] == L'"')
        {
            int close = text.Find(L'"', pos + 1);
            if (close < 0)
                close = length;
            value = text.Mid(pos + 1, close - pos - 1);
            const int next = text.Find(L';', close < length ? close + 1 : length);
            pos = next < 0 ? length : next + 1;
        }
        else
        {
            int next = text.Find(L';', pos);
            if (next < 0)
                next = length;
            value = text.Mid(pos, next - pos);
            value.TrimRight();
            pos = next + 1;
        }

        if (property == L"font-size")
            style.nSizeFont = GetLengthUnit(value, style.nSizeFont, TRUE);
        else if (property == L"font-family")
        {
            if (!value.IsEmpty())
                style.sFaceFont = value;
        }
        else if (property == L"font-style")
            style.bItalicFont = GetStyleFontStyle(value, style.bItalicFont);
        else if (property == L"font-weight")
            style.nWeightFont = GetStyleFontWeight(value, style.nWeightFont);
        else if (property == L"text-align")
            style.nHorzAlign = GetStyleHorzAlign(value, style.nHorzAlign);
        else if (property == L"text-transform")
            style.nTextTransform = GetStyleTextTransform(value, style.nTextTransform);
        else if (property == L"color")
            SetTextColor(style, GetColor(value, style.crText));
        else if (property == L"background-color")
            SetBackground(style, value);
        else if (property == L"text-decoration")
            SetStyleTextDecoration(value, style);
        else if (property == L"vertical-align")
            style.nVertAlign = GetStyleVertAlign(value, style.nVertAlign);
        else if (property == L"border-color")
        {
            const COLORREF color = m_bEnabled ? GetColor(value, style.crBorderLight) : m_crDisabled;
            style.crBorderLight = style.crBorderDark = color;
        }
        else if (property == L"border-width" || property == L"size")
        {
            style.nBorderWidth = GetStyleBorderWidth(value, style.nBorderWidth);
            if (style.nBorderWidth == 0)
                style.nBorderStyle = PPBS_NONE;
            else if (style.nBorderStyle == PPBS_NONE)
                style.nBorderStyle = PPBS_SOLID;
        }
        else if (property == L"border-style")
        {
            style.nBorderStyle = GetStyleBorder(value, style.nBorderStyle);
            if (style.nBorderStyle != PPBS_NONE && style.nBorderWidth == 0)
                style.nBorderWidth = 1;
        }
        else if (property == L"margin")
            style.nMargin = GetLengthUnit(value, style.nMargin);
        else if (property == L"padding")
            style.nPadding = GetLengthUnit(value, style.nPadding);
    }
}

void CPPHtmlDrawer::SetStyleFromFontTag(const CString &strParams, PPHtmlStyle &style) const
{
    CString value;
    if (GetParameter(strParams, L"face", value) && !value.IsEmpty())
        style.sFaceFont = value;
    if (GetParameter(strParams, L"size", value))
        style.nSizeFont = GetLengthUnit(value, style.nSizeFont, TRUE);
    if (GetParameter(strParams, L"color", value))
        SetTextColor(style, GetColor(value, style.crText));
    if (GetParameter(strParams, L"style", value))
    {
        // Letters read left to right; "-" switches the next letter's effect off, "+" (or nothing) on.
        BOOL on = TRUE;
        for (int i = 0; i < value.GetLength(); ++i)
        {
            switch (value[i])
            {
            case L'-':
                on = FALSE;
                continue;
            case L'+':
                on = TRUE;
                continue;
            case L'b':
                style.nWeightFont = on ? FW_BOLD : FW_NORMAL;
                break;
            case L'i':
                style.bItalicFont = on;
                break;
            case L'u':
                style.bUnderlineFont = on;
                break;
            case L's':
                style.bStrikeOutFont = on;
                break;
            case L'o':
                style.bOverlineFont = on;
                break;
            default:
                break;
            }
            on = TRUE;
        }
    }
    if (GetParameter(strParams, L"weight", value))
        style.nWeightFont = GetStyleFontWeight(value, style.nWeightFont);
    if (GetParameter(strParams, L"bkgnd", value))
        SetBackground(style, value);
}

CString CPPHtmlDrawer::GetStringFromResource(UINT nID) const
{
    std::wstring text;
    if (nID == 0 || !AfxLoadStringResource(nID, text))
        return CString();
    return CString(text.c_str());
}

CString CPPHtmlDrawer::GetStringFromResource(UINT nID, int nLine) const
{
    const CString text = GetStringFromResource(nID);
    if (nLine < 0)
        return CString();
    int start = 0;
    for (int line = 0; line < nLine; ++line)
    {
        const int feed = text.Find(L'\n', start);
        if (feed < 0)
            return CString();
        start = feed + 1;
    }
    const int end = text.Find(L'\n', start);
    return end < 0 ? text.Mid(start) : text.Mid(start, end - start);
}
