#include "setup/shell/ShellString.h"

#include <cstring>

namespace
{

CString FromNarrow(const char *text, size_t maxLength)
{
    const size_t length = strnlen(text, maxLength);
    if (length == 0)
        return CString();
    const int wide = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (wide <= 0)
        return CString();
    CString result;
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, static_cast<int>(length), result.GetBufferSetLength(wide), wide);
    result.ReleaseBuffer(wide);
    return result;
}

} // namespace

CShellString::CShellString() : m_result{}
{
}

CShellString::~CShellString()
{
    Clear();
}

void CShellString::Clear()
{
    if (m_result.uType == STRRET_WSTR && m_result.pOleStr != nullptr)
        ::CoTaskMemFree(m_result.pOleStr);
    memset(&m_result, 0, sizeof(m_result));
}

STRRET *CShellString::SetFromPidl(LPCITEMIDLIST pidl)
{
    Clear();
    m_pidl.Attach(CShellPidl::CopyPidl(pidl));
    return &m_result;
}

CString CShellString::GetText() const
{
    switch (m_result.uType)
    {
    case STRRET_WSTR:
        return m_result.pOleStr != nullptr ? CString(m_result.pOleStr) : CString();
    case STRRET_OFFSET: {
        if (m_pidl.IsNull())
            return CString();
        const UINT size = ::ILGetSize(m_pidl);
        if (m_result.uOffset >= size)
            return CString();
        const char *text = reinterpret_cast<const char *>(m_pidl.Get()) + m_result.uOffset;
        return FromNarrow(text, size - m_result.uOffset);
    }
    case STRRET_CSTR:
        return FromNarrow(m_result.cStr, sizeof(m_result.cStr));
    default:
        return CString();
    }
}

CString ShellDisplayName(IShellFolder *folder, LPCITEMIDLIST item, SHGDNF form)
{
    if (folder == nullptr || item == nullptr)
        return CString();
    CShellString name;
    if (FAILED(folder->GetDisplayNameOf(item, form, name.SetFromPidl(item))))
        return CString();
    return name.GetText();
}
