// CString: a UTF-16 string with the members and semantics that code written against the MFC class expects.
// Positions and counts are ints; out-of-range arguments are clamped (never read or written past the text).
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <cstdarg>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

class CString;

namespace platform_detail
{
// Arguments of Format and AppendFormat travel through a C variable argument list. A CString there would be
// passed by hidden reference and print garbage, so it is handed over as its text pointer; other class
// objects are refused at compile time.
inline LPCWSTR FormatArg(const CString &s);
template <typename T> T FormatArg(T value)
{
    static_assert(std::is_trivially_copyable<T>::value && !std::is_class<T>::value,
                  "pass strings to Format as pointers (CString is converted automatically)");
    return value;
}
} // namespace platform_detail

class CString
{
  public:
    CString() = default;
    CString(const CString &) = default;
    CString(CString &&) noexcept = default;
    // A null pointer gives an empty string; a MAKEINTRESOURCE value loads that string resource.
    CString(LPCWSTR psz);
    CString(LPCWSTR pch, int nLength);
    // Narrow text is converted from the ANSI code page.
    CString(const char *psz);
    CString(const char *pch, int nLength);
    CString(wchar_t ch, int nRepeat = 1);

    CString &operator=(const CString &) = default;
    CString &operator=(CString &&) noexcept = default;
    CString &operator=(LPCWSTR psz);
    CString &operator=(const char *psz);
    CString &operator=(wchar_t ch);

    CString &operator+=(const CString &s);
    CString &operator+=(LPCWSTR psz);
    CString &operator+=(const char *psz);
    CString &operator+=(wchar_t ch);
    void Append(LPCWSTR psz);
    void Append(LPCWSTR pch, int nLength);
    void Append(const CString &s);
    void AppendChar(wchar_t ch);

    int GetLength() const
    {
        return static_cast<int>(m_text.size());
    }
    bool IsEmpty() const
    {
        return m_text.empty();
    }
    void Empty()
    {
        m_text.clear();
    }
    // Index outside the text: GetAt and operator[] give L'\0', SetAt does nothing.
    wchar_t GetAt(int nIndex) const;
    void SetAt(int nIndex, wchar_t ch);
    wchar_t operator[](int nIndex) const
    {
        return GetAt(nIndex);
    }
    operator LPCWSTR() const
    {
        return m_text.c_str();
    }
    LPCWSTR GetString() const
    {
        return m_text.c_str();
    }

    // Ordinal comparisons (<0, 0, >0); CompareNoCase ignores case the way file names do.
    int Compare(LPCWSTR psz) const;
    int CompareNoCase(LPCWSTR psz) const;
    // Comparisons by the user's locale.
    int Collate(LPCWSTR psz) const;
    int CollateNoCase(LPCWSTR psz) const;

    // Index of the first match at or after iStart, or -1.
    int Find(wchar_t ch, int iStart = 0) const;
    int Find(LPCWSTR pszSub, int iStart = 0) const;
    int FindOneOf(LPCWSTR pszCharSet) const;
    int ReverseFind(wchar_t ch) const;

    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCWSTR pszCharSet) const;
    CString SpanExcluding(LPCWSTR pszCharSet) const;

    // Each returns the number of characters replaced or removed.
    int Replace(wchar_t chOld, wchar_t chNew);
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);
    int Remove(wchar_t ch);
    // Each returns the new length.
    int Insert(int iIndex, wchar_t ch);
    int Insert(int iIndex, LPCWSTR psz);
    int Delete(int iIndex, int nCount = 1);

    CString &Trim();
    CString &Trim(wchar_t chTarget);
    CString &Trim(LPCWSTR pszTargets);
    CString &TrimLeft();
    CString &TrimLeft(wchar_t chTarget);
    CString &TrimLeft(LPCWSTR pszTargets);
    CString &TrimRight();
    CString &TrimRight(wchar_t chTarget);
    CString &TrimRight(LPCWSTR pszTargets);
    CString &MakeUpper();
    CString &MakeLower();
    CString &MakeReverse();

    // Skips delimiters from iStart, returns the token up to the next delimiter and moves iStart past that
    // delimiter. At the end it returns an empty string and sets iStart to -1. With no delimiters the rest of
    // the text is the one token.
    CString Tokenize(LPCWSTR pszTokens, int &iStart) const;

    // The buffer holds at least nMinBufLength characters plus a terminator and stays valid until
    // ReleaseBuffer or any other change. ReleaseBuffer(-1) takes the text up to the first L'\0'.
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int nMinBufLength);
    LPWSTR GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength)
    {
        ReleaseBuffer(nNewLength);
    }

    // From the language library when it holds the string, else from the program; FALSE when neither does.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    // printf-style formatting with the C runtime's wide rules: %s is a wide string, %hs a narrow one,
    // %I64d/%lld 64-bit. A format the runtime rejects leaves the string empty.
    template <typename... Args> void Format(LPCWSTR pszFormat, const Args &...args)
    {
        FormatRaw(pszFormat, platform_detail::FormatArg(args)...);
    }
    // The format is the string resource nFormatID.
    template <typename... Args> void Format(UINT nFormatID, const Args &...args)
    {
        CString format;
        format.LoadString(nFormatID);
        FormatRaw(format.GetString(), platform_detail::FormatArg(args)...);
    }
    template <typename... Args> void AppendFormat(LPCWSTR pszFormat, const Args &...args)
    {
        AppendFormatRaw(pszFormat, platform_detail::FormatArg(args)...);
    }
    template <typename... Args> void AppendFormat(UINT nFormatID, const Args &...args)
    {
        CString format;
        format.LoadString(nFormatID);
        AppendFormatRaw(format.GetString(), platform_detail::FormatArg(args)...);
    }
    void FormatV(LPCWSTR pszFormat, va_list args);
    void AppendFormatV(LPCWSTR pszFormat, va_list args);

    // A BSTR copy for the caller to free with SysFreeString; null when out of memory.
    BSTR AllocSysString() const;

    friend bool operator==(const CString &a, const CString &b)
    {
        return a.m_text == b.m_text;
    }
    friend bool operator==(const CString &a, LPCWSTR b)
    {
        return a.Compare(b) == 0;
    }
    friend bool operator==(LPCWSTR a, const CString &b)
    {
        return b.Compare(a) == 0;
    }
    friend bool operator!=(const CString &a, const CString &b)
    {
        return !(a == b);
    }
    friend bool operator!=(const CString &a, LPCWSTR b)
    {
        return !(a == b);
    }
    friend bool operator!=(LPCWSTR a, const CString &b)
    {
        return !(a == b);
    }
    friend bool operator<(const CString &a, const CString &b)
    {
        return a.m_text < b.m_text;
    }
    friend bool operator<(const CString &a, LPCWSTR b)
    {
        return a.Compare(b) < 0;
    }
    friend bool operator<(LPCWSTR a, const CString &b)
    {
        return b.Compare(a) > 0;
    }
    friend bool operator>(const CString &a, const CString &b)
    {
        return b < a;
    }
    friend bool operator<=(const CString &a, const CString &b)
    {
        return !(b < a);
    }
    friend bool operator>=(const CString &a, const CString &b)
    {
        return !(a < b);
    }

    friend CString operator+(const CString &a, const CString &b);
    friend CString operator+(const CString &a, LPCWSTR b);
    friend CString operator+(LPCWSTR a, const CString &b);
    friend CString operator+(const CString &a, wchar_t b);
    friend CString operator+(wchar_t a, const CString &b);

  private:
    void FormatRaw(LPCWSTR pszFormat, ...);
    void AppendFormatRaw(LPCWSTR pszFormat, ...);
    void AssignNarrow(const char *pch, int nLength);

    // Always as long as the text; GetBuffer may leave extra room past the length only until ReleaseBuffer.
    std::wstring m_text;
};

typedef CString CStringW;

inline LPCWSTR platform_detail::FormatArg(const CString &s)
{
    return s.GetString();
}

namespace std
{
template <> struct hash<CString>
{
    size_t operator()(const CString &s) const noexcept
    {
        return hash<wstring_view>()(wstring_view(s.GetString(), static_cast<size_t>(s.GetLength())));
    }
};
} // namespace std

// Narrow text in the ANSI code page (file contents that other programs read as 8-bit text).
class CStringA
{
  public:
    CStringA() = default;
    CStringA(const char *psz) : m_text(psz ? psz : "")
    {
    }
    CStringA(const char *pch, int nLength);
    // Converted to the ANSI code page.
    CStringA(LPCWSTR psz);
    CStringA(const CString &s) : CStringA(s.GetString())
    {
    }

    int GetLength() const
    {
        return static_cast<int>(m_text.size());
    }
    bool IsEmpty() const
    {
        return m_text.empty();
    }
    void Empty()
    {
        m_text.clear();
    }
    operator const char *() const
    {
        return m_text.c_str();
    }
    const char *GetString() const
    {
        return m_text.c_str();
    }

    friend bool operator==(const CStringA &a, const CStringA &b)
    {
        return a.m_text == b.m_text;
    }
    friend bool operator!=(const CStringA &a, const CStringA &b)
    {
        return a.m_text != b.m_text;
    }

  private:
    std::string m_text;
};
