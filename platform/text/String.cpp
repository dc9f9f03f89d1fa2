#include "platform/text/String.h"
#include "platform/system/Resources.h"
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace
{

int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

bool Contains(LPCWSTR set, wchar_t ch)
{
    return set && ch != L'\0' && wcschr(set, ch) != nullptr;
}

std::wstring Widen(const char *pch, int nLength)
{
    std::wstring result;
    if (!pch || nLength <= 0)
        return result;
    int needed = MultiByteToWideChar(CP_ACP, 0, pch, nLength, nullptr, 0);
    if (needed <= 0)
        return result;
    result.resize(static_cast<size_t>(needed));
    int written = MultiByteToWideChar(CP_ACP, 0, pch, nLength, &result[0], needed);
    result.resize(static_cast<size_t>(written > 0 ? written : 0));
    return result;
}

// Formats through the C runtime's own _vsnwprintf, which reads %s as a wide string and knows %I64d. It
// answers -1 when the buffer is too small; the runtime then measures the text and it is formatted again into
// a buffer of that size. A format the runtime cannot measure fails rather than growing the buffer forever.
bool FormatInto(std::wstring &out, LPCWSTR format, va_list args)
{
    if (!format)
        return false;
    wchar_t small[512];
    va_list copy;
    va_copy(copy, args);
    int written = _vsnwprintf(small, 511, format, copy);
    va_end(copy);
    if (written >= 0)
    {
        out.append(small, static_cast<size_t>(written));
        return true;
    }
    va_copy(copy, args);
    int needed = _vscwprintf(format, copy);
    va_end(copy);
    if (needed < 0)
        return false;
    std::vector<wchar_t> buffer(static_cast<size_t>(needed) + 1);
    va_copy(copy, args);
    written = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (written < 0 || written > needed)
        return false;
    out.append(buffer.data(), static_cast<size_t>(written));
    return true;
}

} // namespace

CString::CString(LPCWSTR psz)
{
    if (psz && IS_INTRESOURCE(psz))
        LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psz)));
    else if (psz)
        m_text = psz;
}

CString::CString(LPCWSTR pch, int nLength)
{
    if (pch && nLength > 0)
        m_text.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(const char *psz)
{
    if (psz && IS_INTRESOURCE(psz))
        LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psz)));
    else if (psz)
        AssignNarrow(psz, static_cast<int>(strlen(psz)));
}

CString::CString(const char *pch, int nLength)
{
    AssignNarrow(pch, nLength);
}

CString::CString(wchar_t ch, int nRepeat)
{
    if (nRepeat > 0)
        m_text.assign(static_cast<size_t>(nRepeat), ch);
}

void CString::AssignNarrow(const char *pch, int nLength)
{
    m_text = Widen(pch, nLength);
}

CString &CString::operator=(LPCWSTR psz)
{
    // The source may point into this string.
    *this = CString(psz);
    return *this;
}

CString &CString::operator=(const char *psz)
{
    *this = CString(psz);
    return *this;
}

CString &CString::operator=(wchar_t ch)
{
    m_text.assign(1, ch);
    return *this;
}

CString &CString::operator+=(const CString &s)
{
    m_text += s.m_text;
    return *this;
}

CString &CString::operator+=(LPCWSTR psz)
{
    Append(psz);
    return *this;
}

CString &CString::operator+=(const char *psz)
{
    m_text += CString(psz).m_text;
    return *this;
}

CString &CString::operator+=(wchar_t ch)
{
    m_text += ch;
    return *this;
}

void CString::Append(LPCWSTR psz)
{
    if (psz)
        m_text += std::wstring(psz);
}

void CString::Append(LPCWSTR pch, int nLength)
{
    if (pch && nLength > 0)
        m_text += std::wstring(pch, static_cast<size_t>(nLength));
}

void CString::Append(const CString &s)
{
    m_text += s.m_text;
}

void CString::AppendChar(wchar_t ch)
{
    m_text += ch;
}

wchar_t CString::GetAt(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetLength() ? m_text[static_cast<size_t>(nIndex)] : L'\0';
}

void CString::SetAt(int nIndex, wchar_t ch)
{
    if (nIndex >= 0 && nIndex < GetLength())
        m_text[static_cast<size_t>(nIndex)] = ch;
}

int CString::Compare(LPCWSTR psz) const
{
    int r = wcscmp(m_text.c_str(), psz ? psz : L"");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(LPCWSTR psz) const
{
    LPCWSTR other = psz ? psz : L"";
    int r = CompareStringOrdinal(m_text.c_str(), -1, other, -1, TRUE);
    if (r != 0)
        return r - CSTR_EQUAL;
    r = _wcsicmp(m_text.c_str(), other);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::Collate(LPCWSTR psz) const
{
    int r = CompareStringW(LOCALE_USER_DEFAULT, 0, m_text.c_str(), -1, psz ? psz : L"", -1);
    return r == 0 ? Compare(psz) : r - CSTR_EQUAL;
}

int CString::CollateNoCase(LPCWSTR psz) const
{
    int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_text.c_str(), -1, psz ? psz : L"", -1);
    return r == 0 ? CompareNoCase(psz) : r - CSTR_EQUAL;
}

int CString::Find(wchar_t ch, int iStart) const
{
    if (iStart < 0 || iStart >= GetLength())
        return -1;
    size_t at = m_text.find(ch, static_cast<size_t>(iStart));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCWSTR pszSub, int iStart) const
{
    if (!pszSub || iStart < 0 || iStart > GetLength())
        return -1;
    size_t at = m_text.find(pszSub, static_cast<size_t>(iStart));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCWSTR pszCharSet) const
{
    if (!pszCharSet || !*pszCharSet)
        return -1;
    size_t at = m_text.find_first_of(pszCharSet);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(wchar_t ch) const
{
    size_t at = m_text.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int iFirst) const
{
    return Mid(iFirst, GetLength());
}

CString CString::Mid(int iFirst, int nCount) const
{
    int length = GetLength();
    iFirst = Clamp(iFirst, 0, length);
    nCount = Clamp(nCount, 0, length - iFirst);
    return CString(m_text.c_str() + iFirst, nCount);
}

CString CString::Left(int nCount) const
{
    return CString(m_text.c_str(), Clamp(nCount, 0, GetLength()));
}

CString CString::Right(int nCount) const
{
    nCount = Clamp(nCount, 0, GetLength());
    return CString(m_text.c_str() + (GetLength() - nCount), nCount);
}

CString CString::SpanIncluding(LPCWSTR pszCharSet) const
{
    int n = 0;
    while (n < GetLength() && Contains(pszCharSet, m_text[static_cast<size_t>(n)]))
        ++n;
    return Left(n);
}

CString CString::SpanExcluding(LPCWSTR pszCharSet) const
{
    int n = 0;
    while (n < GetLength() && !Contains(pszCharSet, m_text[static_cast<size_t>(n)]))
        ++n;
    return Left(n);
}

int CString::Replace(wchar_t chOld, wchar_t chNew)
{
    int count = 0;
    for (wchar_t &ch : m_text)
    {
        if (ch == chOld)
        {
            ch = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    const std::wstring from(pszOld);
    const std::wstring to(pszNew ? pszNew : L"");
    std::wstring result;
    int count = 0;
    size_t pos = 0;
    for (;;)
    {
        size_t at = m_text.find(from, pos);
        if (at == std::wstring::npos)
            break;
        result.append(m_text, pos, at - pos);
        result += to;
        pos = at + from.size();
        ++count;
    }
    if (count > 0)
    {
        result.append(m_text, pos, std::wstring::npos);
        m_text.swap(result);
    }
    return count;
}

int CString::Remove(wchar_t ch)
{
    size_t before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int iIndex, wchar_t ch)
{
    m_text.insert(static_cast<size_t>(Clamp(iIndex, 0, GetLength())), 1, ch);
    return GetLength();
}

int CString::Insert(int iIndex, LPCWSTR psz)
{
    if (psz)
        m_text.insert(static_cast<size_t>(Clamp(iIndex, 0, GetLength())), std::wstring(psz));
    return GetLength();
}

int CString::Delete(int iIndex, int nCount)
{
    int length = GetLength();
    iIndex = Clamp(iIndex, 0, length);
    nCount = Clamp(nCount, 0, length - iIndex);
    m_text.erase(static_cast<size_t>(iIndex), static_cast<size_t>(nCount));
    return GetLength();
}

CString &CString::Trim()
{
    return TrimRight().TrimLeft();
}
CString &CString::Trim(wchar_t chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}
CString &CString::Trim(LPCWSTR pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

CString &CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_text.size() && iswspace(m_text[n]))
        ++n;
    m_text.erase(0, n);
    return *this;
}

CString &CString::TrimLeft(wchar_t chTarget)
{
    size_t n = 0;
    while (n < m_text.size() && m_text[n] == chTarget)
        ++n;
    m_text.erase(0, n);
    return *this;
}

CString &CString::TrimLeft(LPCWSTR pszTargets)
{
    size_t n = 0;
    while (n < m_text.size() && Contains(pszTargets, m_text[n]))
        ++n;
    m_text.erase(0, n);
    return *this;
}

CString &CString::TrimRight()
{
    size_t n = m_text.size();
    while (n > 0 && iswspace(m_text[n - 1]))
        --n;
    m_text.resize(n);
    return *this;
}

CString &CString::TrimRight(wchar_t chTarget)
{
    size_t n = m_text.size();
    while (n > 0 && m_text[n - 1] == chTarget)
        --n;
    m_text.resize(n);
    return *this;
}

CString &CString::TrimRight(LPCWSTR pszTargets)
{
    size_t n = m_text.size();
    while (n > 0 && Contains(pszTargets, m_text[n - 1]))
        --n;
    m_text.resize(n);
    return *this;
}

CString &CString::MakeUpper()
{
    if (!m_text.empty())
        CharUpperBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
    return *this;
}

CString &CString::MakeLower()
{
    if (!m_text.empty())
        CharLowerBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
    return *this;
}

CString &CString::MakeReverse()
{
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

CString CString::Tokenize(LPCWSTR pszTokens, int &iStart) const
{
    int length = GetLength();
    if (iStart >= 0 && iStart < length)
    {
        if (!pszTokens || !*pszTokens)
        {
            // The rest is a single token; the next call ends the walk instead of returning it again.
            CString rest = Mid(iStart);
            iStart = length;
            return rest;
        }
        int from = iStart;
        while (from < length && Contains(pszTokens, m_text[static_cast<size_t>(from)]))
            ++from;
        if (from < length)
        {
            int until = from;
            while (until < length && !Contains(pszTokens, m_text[static_cast<size_t>(until)]))
                ++until;
            iStart = until + 1;
            return Mid(from, until - from);
        }
    }
    iStart = -1;
    return CString();
}

LPWSTR CString::GetBuffer()
{
    return GetBuffer(0);
}

LPWSTR CString::GetBuffer(int nMinBufLength)
{
    // std::wstring keeps a terminator slot past size(), so resizing to n gives n + 1 writable characters.
    if (nMinBufLength > GetLength())
        m_text.resize(static_cast<size_t>(nMinBufLength), L'\0');
    return &m_text[0];
}

LPWSTR CString::GetBufferSetLength(int nLength)
{
    m_text.resize(static_cast<size_t>(nLength > 0 ? nLength : 0), L'\0');
    return &m_text[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    size_t length = nNewLength < 0 ? wcsnlen(m_text.c_str(), m_text.size())
                                   : std::min(static_cast<size_t>(nNewLength), m_text.size());
    m_text.resize(length);
}

BOOL CString::LoadString(UINT nID)
{
    std::wstring text;
    bool found = AfxLoadStringResource(nID, text);
    m_text.swap(text);
    return found ? TRUE : FALSE;
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    std::wstring text;
    bool found = AfxLoadStringFrom(hInstance, nID, text);
    m_text.swap(text);
    return found ? TRUE : FALSE;
}

void CString::FormatV(LPCWSTR pszFormat, va_list args)
{
    std::wstring text;
    if (!FormatInto(text, pszFormat, args))
        text.clear();
    m_text.swap(text);
}

void CString::AppendFormatV(LPCWSTR pszFormat, va_list args)
{
    std::wstring text;
    if (FormatInto(text, pszFormat, args))
        m_text += text;
}

void CString::FormatRaw(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormatRaw(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

BSTR CString::AllocSysString() const
{
    return SysAllocStringLen(m_text.c_str(), static_cast<UINT>(m_text.size()));
}

CString operator+(const CString &a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString &a, LPCWSTR b)
{
    CString r(a);
    r.Append(b);
    return r;
}

CString operator+(LPCWSTR a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString &a, wchar_t b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(wchar_t a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}

CStringA::CStringA(const char *pch, int nLength)
{
    if (pch && nLength > 0)
        m_text.assign(pch, static_cast<size_t>(nLength));
}

CStringA::CStringA(LPCWSTR psz)
{
    if (!psz || !*psz)
        return;
    int needed = WideCharToMultiByte(CP_ACP, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1)
        return;
    m_text.resize(static_cast<size_t>(needed));
    int written = WideCharToMultiByte(CP_ACP, 0, psz, -1, &m_text[0], needed, nullptr, nullptr);
    m_text.resize(written > 0 ? static_cast<size_t>(written - 1) : 0);
}
