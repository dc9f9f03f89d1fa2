// The fixed tables of the markup language: tags, entities, colour names and the default style sheet.
#include "ui/markup/PPHtmlDrawer.h"

namespace
{

struct NamedColor
{
    LPCWSTR lpszName;
    DWORD dwRgb; // 0xRRGGBB as written in a style sheet
};

// The named colours of style sheets, without the "grey" spellings but "lightgrey".
const NamedColor kNamedColors[] = {
    {L"aqua", 0x00FFFF},
    {L"black", 0x000000},
    {L"blue", 0x0000FF},
    {L"brown", 0xA52A2A},
    {L"cyan", 0x00FFFF},
    {L"gold", 0xFFD700},
    {L"gray", 0x808080},
    {L"green", 0x008000},
    {L"magenta", 0xFF00FF},
    {L"maroon", 0x800000},
    {L"navy", 0x000080},
    {L"olive", 0x808000},
    {L"orange", 0xFFA500},
    {L"pink", 0xFFC0CB},
    {L"purple", 0x800080},
    {L"red", 0xFF0000},
    {L"silver", 0xC0C0C0},
    {L"snow", 0xFFFAFA},
    {L"violet", 0xEE82EE},
    {L"white", 0xFFFFFF},
    {L"yellow", 0xFFFF00},
    {L"aliceblue", 0xF0F8FF},
    {L"antiquewhite", 0xFAEBD7},
    {L"aquamarine", 0x7FFFD4},
    {L"azure", 0xF0FFFF},
    {L"beige", 0xF5F5DC},
    {L"bisque", 0xFFE4C4},
    {L"blanchedalmond", 0xFFEBCD},
    {L"blueviolet", 0x8A2BE2},
    {L"burlywood", 0xDEB887},
    {L"cadetblue", 0x5F9EA0},
    {L"chartreuse", 0x7FFF00},
    {L"chocolate", 0xD2691E},
    {L"coral", 0xFF7F50},
    {L"cornflowerblue", 0x6495ED},
    {L"cornsilk", 0xFFF8DC},
    {L"crimson", 0xDC143C},
    {L"darkblue", 0x00008B},
    {L"darkcyan", 0x008B8B},
    {L"darkgoldenrod", 0xB8860B},
    {L"darkgray", 0xA9A9A9},
    {L"darkgreen", 0x006400},
    {L"darkkhaki", 0xBDB76B},
    {L"darkmagenta", 0x8B008B},
    {L"darkolivegreen", 0x556B2F},
    {L"darkorange", 0xFF8C00},
    {L"darkorchid", 0x9932CC},
    {L"darkred", 0x8B0000},
    {L"darksalmon", 0xE9967A},
    {L"darkseagreen", 0x8FBC8F},
    {L"darkslateblue", 0x483D8B},
    {L"darkslategray", 0x2F4F4F},
    {L"darkturquoise", 0x00CED1},
    {L"darkviolet", 0x9400D3},
    {L"deeppink", 0xFF1493},
    {L"deepskyblue", 0x00BFFF},
    {L"dimgray", 0x696969},
    {L"dodgerblue", 0x1E90FF},
    {L"firebrick", 0xB22222},
    {L"floralwhite", 0xFFFAF0},
    {L"forestgreen", 0x228B22},
    {L"fuchsia", 0xFF00FF},
    {L"gainsboro", 0xDCDCDC},
    {L"ghostwhite", 0xF8F8FF},
    {L"goldenrod", 0xDAA520},
    {L"greenyellow", 0xADFF2F},
    {L"honeydew", 0xF0FFF0},
    {L"hotpink", 0xFF69B4},
    {L"indianred", 0xCD5C5C},
    {L"indigo", 0x4B0082},
    {L"ivory", 0xFFFFF0},
    {L"khaki", 0xF0E68C},
    {L"lavender", 0xE6E6FA},
    {L"lavenderblush", 0xFFF0F5},
    {L"lawngreen", 0x7CFC00},
    {L"lemonchiffon", 0xFFFACD},
    {L"lightblue", 0xADD8E6},
    {L"lightcoral", 0xF08080},
    {L"lightcyan", 0xE0FFFF},
    {L"lightgoldenrodyellow", 0xFAFAD2},
    {L"lightgreen", 0x90EE90},
    {L"lightgrey", 0xD3D3D3},
    {L"lightpink", 0xFFB6C1},
    {L"lightsalmon", 0xFFA07A},
    {L"lightseagreen", 0x20B2AA},
    {L"lightskyblue", 0x87CEFA},
    {L"lightslategray", 0x778899},
    {L"lightsteelblue", 0xB0C4DE},
    {L"lightyellow", 0xFFFFE0},
    {L"lime", 0x00FF00},
    {L"limegreen", 0x32CD32},
    {L"linen", 0xFAF0E6},
    {L"mediumaquamarine", 0x66CDAA},
    {L"mediumblue", 0x0000CD},
    {L"mediumorchid", 0xBA55D3},
    {L"mediumpurple", 0x9370DB},
    {L"mediumseagreen", 0x3CB371},
    {L"mediumslateblue", 0x7B68EE},
    {L"mediumspringgreen", 0x00FA9A},
    {L"mediumturquoise", 0x48D1CC},
    {L"mediumvioletred", 0xC71585},
    {L"midnightblue", 0x191970},
    {L"mintcream", 0xF5FFFA},
    {L"mistyrose", 0xFFE4E1},
    {L"moccasin", 0xFFE4B5},
    {L"navajowhite", 0xFFDEAD},
    {L"oldlace", 0xFDF5E6},
    {L"olivedrab", 0x6B8E23},
    {L"orangered", 0xFF4500},
    {L"orchid", 0xDA70D6},
    {L"palegoldenrod", 0xEEE8AA},
    {L"palegreen", 0x98FB98},
    {L"paleturquoise", 0xAFEEEE},
    {L"palevioletred", 0xDB7093},
    {L"papayawhip", 0xFFEFD5},
    {L"peachpuff", 0xFFDAB9},
    {L"peru", 0xCD853F},
    {L"plum", 0xDDA0DD},
    {L"powderblue", 0xB0E0E6},
    {L"rosybrown", 0xBC8F8F},
    {L"royalblue", 0x4169E1},
    {L"saddlebrown", 0x8B4513},
    {L"salmon", 0xFA8072},
    {L"sandybrown", 0xF4A460},
    {L"seagreen", 0x2E8B57},
    {L"seashell", 0xFFF5EE},
    {L"sienna", 0xA0522D},
    {L"skyblue", 0x87CEEB},
    {L"slateblue", 0x6A5ACD},
    {L"slategray", 0x708090},
    {L"springgreen", 0x00FF7F},
    {L"steelblue", 0x4682B4},
    {L"tan", 0xD2B48C},
    {L"teal", 0x008080},
    {L"thistle", 0xD8BFD8},
    {L"tomato", 0xFF6347},
    {L"turquoise", 0x40E0D0},
    {L"wheat", 0xF5DEB3},
    {L"whitesmoke", 0xF5F5F5},
    {L"yellowgreen", 0x9ACD32},
};
static_assert(sizeof(kNamedColors) / sizeof(kNamedColors[0]) == 140, "140 named colours");

struct SystemColorName
{
    LPCWSTR lpszName;
    int nIndex;
};

// The system-colour keywords, read from the platform when a drawer is made.
const SystemColorName kSystemColors[] = {
    {L"activeborder", COLOR_ACTIVEBORDER},
    {L"activecaption", COLOR_ACTIVECAPTION},
    {L"appworkspace", COLOR_APPWORKSPACE},
    {L"background", COLOR_BACKGROUND},
    {L"buttonface", COLOR_BTNFACE},
    {L"buttonhighlight", COLOR_BTNHIGHLIGHT},
    {L"buttonshadow", COLOR_BTNSHADOW},
    {L"buttontext", COLOR_BTNTEXT},
    {L"captiontext", COLOR_CAPTIONTEXT},
    {L"graytext", COLOR_GRAYTEXT},
    {L"highlight", COLOR_HIGHLIGHT},
    {L"highlighttext", COLOR_HIGHLIGHTTEXT},
    {L"inactiveborder", COLOR_INACTIVEBORDER},
    {L"inactivecaption", COLOR_INACTIVECAPTION},
    {L"inactivecaptiontext", COLOR_INACTIVECAPTIONTEXT},
    {L"infobackground", COLOR_INFOBK},
    {L"infotext", COLOR_INFOTEXT},
    {L"menu", COLOR_MENU},
    {L"menutext", COLOR_MENUTEXT},
    {L"scrollbar", COLOR_SCROLLBAR},
    {L"threeddarkshadow", COLOR_3DDKSHADOW},
    {L"threedface", COLOR_3DFACE},
    {L"threedhighlight", COLOR_3DHIGHLIGHT},
    {L"threedlightshadow", COLOR_3DLIGHT},
    {L"threedshadow", COLOR_3DSHADOW},
    {L"window", COLOR_WINDOW},
    {L"windowframe", COLOR_WINDOWFRAME},
    {L"windowtext", COLOR_WINDOWTEXT},
};
static_assert(sizeof(kSystemColors) / sizeof(kSystemColors[0]) == 28, "28 system colours");

struct EntityText
{
    LPCWSTR lpszEntity;
    LPCWSTR lpszText;
};

// A doubled "<" is the tag finder's literal "<". The bullet, euro and trade mark are their Unicode characters.
const EntityText kEntities[] = {
    {L"&amp;", L"&"},        {L"&bull;", L"\x2022"},   {L"&copy;", L"\x00A9"}, {L"&euro;", L"\x20AC"},
    {L"&gt;", L">"},         {L"&iquest;", L"\x00BF"}, {L"&lt;", L"<<"},       {L"&nbsp;", L" "},
    {L"&para;", L"\x00B6"},  {L"&pound;", L"\x00A3"},  {L"&quot;", L"\""},     {L"&reg;", L"\x00AE"},
    {L"&trade;", L"\x2122"},
};

struct TagName
{
    LPCWSTR lpszName;
    int nTag;
    LPCWSTR lpszMatch;
};

const TagName kTags[] = {
    {L"b", PPTAG_BOLD, L"bold"},
    {L"i", PPTAG_ITALIC, L"italic"},
    {L"em", PPTAG_ITALIC, L"italic"},
    {L"u", PPTAG_UNDERLINE, L"underline"},
    {L"s", PPTAG_STRIKEOUT, L"strikeout"},
    {L"strike", PPTAG_STRIKEOUT, L"strikeout"},
    {L"font", PPTAG_FONT, L"font"},
    {L"hr", PPTAG_HR, L""},
    {L"br", PPTAG_BR, L""},
    {L"\n", PPTAG_BR, L""},
    {L"t", PPTAG_TAB, L""},
    {L"\t", PPTAG_TAB, L""},
    {L"left", PPTAG_LEFT, L"left"},
    {L"center", PPTAG_CENTER, L"center"},
    {L"right", PPTAG_RIGHT, L"right"},
    {L"justify", PPTAG_JUSTIFY, L"justify"},
    {L"baseline", PPTAG_BASELINE, L"baseline"},
    {L"top", PPTAG_TOP, L"top"},
    {L"vcenter", PPTAG_VCENTER, L"vcenter"},
    {L"middle", PPTAG_VCENTER, L"vcenter"},
    {L"bottom", PPTAG_BOTTOM, L"vcenter"},
    {L"bmp", PPTAG_BMP, L""},
    {L"icon", PPTAG_ICON, L""},
    {L"ilst", PPTAG_ILST, L""},
    {L"string", PPTAG_STRING, L""},
    {L"body", PPTAG_NEWSTYLE, L"body"},
    {L"h1", PPTAG_NEWSTYLE, L"h1"},
    {L"h2", PPTAG_NEWSTYLE, L"h2"},
    {L"h3", PPTAG_NEWSTYLE, L"h3"},
    {L"h4", PPTAG_NEWSTYLE, L"h4"},
    {L"h5", PPTAG_NEWSTYLE, L"h5"},
    {L"h6", PPTAG_NEWSTYLE, L"h6"},
    {L"code", PPTAG_NEWSTYLE, L"code"},
    {L"pre", PPTAG_NEWSTYLE, L"pre"},
    {L"big", PPTAG_NEWSTYLE, L"big"},
    {L"small", PPTAG_NEWSTYLE, L"small"},
    {L"sub", PPTAG_NEWSTYLE, L"sub"},
    {L"sup", PPTAG_NEWSTYLE, L"sup"},
    {L"span", PPTAG_SPAN, L"span"},
    {L"a", PPTAG_HYPERLINK, L"link"},
};

const LPCWSTR kDefaultStyleSheet[] = {
    L"body {font-size: 10pt; color:black; font-family:Verdana}",
    L"p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}",
    L"h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}",
    L"h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}",
    L"h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}",
    L"h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}",
    L"h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}",
    L"h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}",
    L"pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}",
    L"code {color:#990000; font-family:Arial}",
    L"a:link {text-decoration:none; color:blue}",
    L"a:hover {text-decoration:underline; color:blue}",
    L"sub {font-size:65%; vertical-align:bottom}",
    L"sup {font-size:65%; vertical-align:top}",
    L"big {font-size:125%}",
    L"small {font-size:75%}",
    L".cpp-comment {color:green; font-style:italic}",
};

bool IsNameStart(wchar_t ch)
{
    return ::IsCharAlphaNumericW(ch) || ch == L'.';
}

} // namespace

CPPHtmlDrawer::CPPHtmlDrawer()
{
    m_crDisabled = ::GetSysColor(COLOR_BTNSHADOW);
    FillTables();
    SetCssStyles(nullptr);
    m_extension = CreatePPHtmlExtension();
}

CPPHtmlDrawer::~CPPHtmlDrawer() = default;

void CPPHtmlDrawer::FillTables()
{
    for (const TagName &tag : kTags)
        m_tags[tag.lpszName] = TagInfo{tag.nTag, tag.lpszMatch};
    for (const EntityText &entity : kEntities)
        m_entities[entity.lpszEntity] = entity.lpszText;
    for (const NamedColor &color : kNamedColors)
        m_colors[color.lpszName] = RGB((color.dwRgb >> 16) & 0xFF, (color.dwRgb >> 8) & 0xFF, color.dwRgb & 0xFF);
    for (const SystemColorName &color : kSystemColors)
        m_colors[color.lpszName] = ::GetSysColor(color.nIndex);
}

void CPPHtmlDrawer::SetCssStyles(LPCWSTR lpszCssStyles)
{
    if (lpszCssStyles == nullptr)
    {
        m_strCssStyles.Empty();
        for (LPCWSTR line : kDefaultStyleSheet)
        {
            m_strCssStyles += line;
            m_strCssStyles += L"\r\n";
        }
    }
    else
    {
        m_strCssStyles = lpszCssStyles;
    }

    // Blocks of a selector, "{", declarations and "}"; a block without its "}" ends the sheet.
    m_styleSheet.clear();
    const CString &text = m_strCssStyles;
    const int length = text.GetLength();
    int pos = 0;
    while (pos < length)
    {
        while (pos < length && !IsNameStart(text[pos]))
            ++pos;
        if (pos >= length)
            break;
        const int start = pos;
        while (pos < length && text[pos] != L'{' && !::iswspace(text[pos]))
            ++pos;
        CString selector = text.Mid(start, pos - start);
        const int open = text.Find(L'{', pos);
        if (open < 0)
            break;
        const int close = text.Find(L'}', open + 1);
        if (close < 0)
            break;
        selector.MakeLower();
        m_styleSheet[selector] = text.Mid(open + 1, close - open - 1);
        pos = close + 1;
    }
}

bool CPPHtmlDrawer::GetStyleSheetEntry(const CString &strSelector, CString &strDeclarations) const
{
    CString selector = strSelector;
    selector.MakeLower();
    auto found = m_styleSheet.find(selector);
    if (found == m_styleSheet.end())
        return false;
    strDeclarations = found->second;
    return true;
}

int CPPHtmlDrawer::LookupTag(const CString &strName, CString &strMatch) const
{
    auto found = m_tags.find(strName);
    if (found == m_tags.end())
    {
        strMatch.Empty();
        return PPTAG_NONE;
    }
    strMatch = found->second.strMatch;
    return found->second.nTag;
}
