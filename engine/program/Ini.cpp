#include "engine/program/Ini.h"

#include <cwchar>

void CIni::SetPath(LPCWSTR path)
{
    if (path == nullptr)
    {
        if (m_path)
            m_path[0] = L'\0';
        return;
    }
    const size_t length = wcslen(path);
    std::unique_ptr<wchar_t[]> copy(new wchar_t[length + 1]);
    wmemcpy(copy.get(), path, length + 1);
    m_path = std::move(copy);
}

BOOL CIni::WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value)
{
    if (section == nullptr || key == nullptr || !m_path || m_path[0] == L'\0')
        return FALSE;
    return ::WritePrivateProfileStringW(section, key, value != nullptr ? value : L"", m_path.get());
}
