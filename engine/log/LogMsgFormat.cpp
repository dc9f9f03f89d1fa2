// Formatting of log entries. Each directive is handed to the C runtime's own wide formatter one at a time,
// with the argument already taken from the list, so that the log's extra directives can sit between them.
#include "engine/log/LogMsg.h"
#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace
{

const size_t kMaxEntry = static_cast<size_t>(CLogMsg::MaxEntryLength);

// A width or precision beyond the entry's length could only produce text that is cut anyway, but would
// make the runtime pad or expand that far first.
const long long kMaxField = CLogMsg::MaxEntryLength;

class EntryText
{
  public:
    bool Full() const
    {
        return m_text.size() >= kMaxEntry;
    }
    size_t Room() const
    {
        return kMaxEntry - std::min(m_text.size(), kMaxEntry);
    }

    void Append(const wchar_t *text, size_t length)
    {
        m_text.append(text, std::min(length, Room()));
    }
    void Append(const std::wstring &text)
    {
        Append(text.data(), text.size());
    }
    void Append(wchar_t ch)
    {
        if (!Full())
            m_text += ch;
    }

    // One conversion through the runtime; the part that does not fit is cut.
    template <typename T> void AppendFormatted(const std::wstring &spec, T value)
    {
        int needed = _scwprintf(spec.c_str(), value);
        if (needed <= 0)
            return;
        size_t length = std::min(static_cast<size_t>(needed), Room());
        if (length == 0)
            return;
        size_t old = m_text.size();
        m_text.resize(old + length + 1);
        // With room for exactly the text plus its terminator the runtime writes it all; with less it writes
        // what fits and no terminator.
        size_t count = length == static_cast<size_t>(needed) ? length + 1 : length;
        _snwprintf(&m_text[old], count, spec.c_str(), value);
        m_text.resize(old + length);
    }

    std::wstring Take()
    {
        return std::move(m_text);
    }

  private:
    std::wstring m_text;
};

std::wstring TwoDigits(unsigned value)
{
    wchar_t text[3] = {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10), 0};
    return text;
}

// "%m/%d/%Y %I:%M:%S %p" of the local time.
std::wstring LocalTimeText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    unsigned hour = now.wHour % 12 == 0 ? 12 : now.wHour % 12;
    return TwoDigits(now.wMonth) + L"/" + TwoDigits(now.wDay) + L"/" + std::to_wstring(now.wYear) + L" " +
           TwoDigits(hour) + L":" + TwoDigits(now.wMinute) + L":" + TwoDigits(now.wSecond) +
           (now.wHour < 12 ? L" AM" : L" PM");
}

// The system's text for an error, without the line break that ends it (an entry supplies its own).
std::wstring SystemErrorText(DWORD error)
{
    wchar_t text[1024];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  static_cast<DWORD>(sizeof text / sizeof text[0]), nullptr);
    std::wstring result(text, length);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' '))
        result.pop_back();
    return result;
}

bool IsDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

bool IsDirectiveFlag(wchar_t ch)
{
    return ch != 0 && std::wcschr(L" #+-.0123456789Lh*", ch) != nullptr;
}

void AppendField(std::wstring &flags, long long value)
{
    flags += std::to_wstring(std::max(-kMaxField, std::min(value, kMaxField)));
}

} // namespace

LPCWSTR LogLevelName(DWORD mask)
{
    static const wchar_t *const names[] = {L"LM_SHUTDOWN", L"LM_TRACE",   L"LM_DEBUG",    L"LM_INFO",
                                           L"LM_NOTICE",   L"LM_WARNING", L"LM_STARTUP",  L"LM_ERROR",
                                           L"LM_CRITICAL", L"LM_ALERT",   L"LM_EMERGENCY"};
    for (int bit = 0; bit < 32; ++bit)
    {
        if (mask & (1u << bit))
            return bit < 11 ? names[bit] : L"";
    }
    return L"";
}

std::wstring CLogMsg::FormatEntry(DWORD mask, LPCWSTR format, va_list args) const
{
    EntryText out;
    if (m_timePrefix > 0)
        out.Append(LocalTimeText() + L" ");
    va_list list;
    va_copy(list, args);
    const wchar_t *p = format;
    while (*p && !out.Full())
    {
        if (*p != L'%')
        {
            out.Append(*p++);
            continue;
        }
        const wchar_t *start = p++;
        if (*p == L'%')
        {
            out.Append(L'%');
            ++p;
            continue;
        }
        // Flags, width and precision, in the runtime's syntax; "h" and "L" are added back per conversion.
        std::wstring flags = L"%";
        bool narrow = false;
        bool longDouble = false;
        while (IsDirectiveFlag(*p))
        {
            if (*p == L'h')
            {
                narrow = true;
                ++p;
            }
            else if (*p == L'L')
            {
                longDouble = true;
                ++p;
            }
            else if (*p == L'*')
            {
                long long value = va_arg(list, int);
                // A negative precision counts as none.
                if (!flags.empty() && flags.back() == L'.' && value < 0)
                    flags.pop_back();
                else
                    AppendField(flags, value);
                ++p;
            }
            else if (IsDigit(*p))
            {
                while (*p == L'0')
                    flags += *p++;
                long long value = 0;
                bool any = false;
                for (; IsDigit(*p); ++p)
                {
                    value = std::min(value * 10 + (*p - L'0'), kMaxField);
                    any = true;
                }
                if (any)
                    AppendField(flags, value);
            }
            else
                flags += *p++;
        }
        const wchar_t conversion = *p;
        if (!conversion)
        {
            out.Append(start, static_cast<size_t>(p - start));
            break;
        }
        ++p;
        const std::wstring h = narrow ? L"h" : L"";
        switch (conversion)
        {
        case L'd':
        case L'i':
            out.AppendFormatted(flags + h + conversion, va_arg(list, int));
            break;
        case L'o':
        case L'u':
        case L'x':
        case L'X':
            out.AppendFormatted(flags + h + conversion, va_arg(list, unsigned int));
            break;
        case L'c':
            // Characters travel as int; the runtime narrows or widens by "h".
            out.AppendFormatted(flags + h + conversion, va_arg(list, int));
            break;
        case L's':
            if (narrow)
                out.AppendFormatted(flags + L"hs", va_arg(list, const char *));
            else
                out.AppendFormatted(flags + L"s", va_arg(list, const wchar_t *));
            break;
        case L'e':
        case L'E':
        case L'f':
        case L'g':
        case L'G': {
            // The runtime's long double is a double, the compiler's is wider: convert here.
            double value = longDouble ? static_cast<double>(va_arg(list, long double)) : va_arg(list, double);
            out.AppendFormatted(flags + conversion, value);
            break;
        }
        case L'Q':
            out.AppendFormatted(flags + L"I64d", va_arg(list, long long));
            break;
        case L'q':
            out.AppendFormatted(flags + L"I64u", va_arg(list, unsigned long long));
            break;
        case L'D':
            out.AppendFormatted(flags + L"s", LocalTimeText().c_str());
            break;
        case L'M':
            out.AppendFormatted(flags + L"s", LogLevelName(mask));
            break;
        case L'P':
            out.AppendFormatted(flags + L"u", static_cast<unsigned int>(GetCurrentProcessId()));
            break;
        case L't':
            out.AppendFormatted(flags + L"u", static_cast<unsigned int>(GetCurrentThreadId()));
            break;
        case L'N':
            out.AppendFormatted(flags + L"s", m_locationFile.empty() ? L"<unknown file>" : m_locationFile.c_str());
            break;
        case L'n':
            out.AppendFormatted(flags + L"s", m_name.empty() ? L"<unknown>" : m_name.c_str());
            break;
        case L'l':
            out.AppendFormatted(flags + L"d", m_locationLine);
            break;
        case L'm':
            out.AppendFormatted(flags + L"s", SystemErrorText(m_locationError).c_str());
            break;
        case L'p':
            out.AppendFormatted(flags + L"s", va_arg(list, const wchar_t *));
            out.Append(L": ");
            out.Append(SystemErrorText(m_locationError));
            break;
        default:
            // Not a directive: kept as written.
            out.Append(start, static_cast<size_t>(p - start));
            break;
        }
    }
    va_end(list);
    return out.Take();
}
