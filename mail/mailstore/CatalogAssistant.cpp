#include "mail/mailstore/CatalogAssistant.h"

#include <cwchar>

#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"
#include "mail/mailstore/MailStore.h"
#include "mail/storage/Storager.h"

namespace
{

// The longest name made before a number is added: the platform takes element names of up to 31 characters.
constexpr int kStorageNameChars = 29;

bool IsAllDigits(const CString &name)
{
    if (name.IsEmpty())
        return false;
    for (int i = 0; i < name.GetLength(); ++i)
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    return true;
}

template <size_t N> void CopyField(wchar_t (&field)[N], const CString &text)
{
    wmemset(field, L'\0', N);
    wcsncpy(field, text, N - 1);
}

} // namespace

BOOL CatalogAssistant::Open(CStorager &storager, BOOL bCreate)
{
    m_records.clear();
    if (!storager.OpenStream(&m_stream, g_szCatalog, bCreate))
    {
        DebugPrintf(POSTREL_TRACE, L"The catalog cannot be opened (0x%08X).\n",
                    static_cast<unsigned>(storager.GetResult()));
        return FALSE;
    }
    return TRUE;
}

BOOL CatalogAssistant::ReadAll()
{
    if (!m_stream)
        return FALSE;
    return SUCCEEDED(ReadIndex(m_stream, m_records));
}

BOOL CatalogAssistant::AddRecord(const CString &strFolderName, const CString &strStorageName)
{
    if (!m_stream)
        return FALSE;
    CATALOGINFO record;
    CopyField(record.szStorageName, strStorageName);
    CopyField(record.szFolderName, strFolderName);
    if (FAILED(AppendIndexRecord(m_stream.p, record)))
        return FALSE;
    m_records.push_back(record);
    return TRUE;
}

BOOL CatalogAssistant::FindStorageName(CString &strStorageName, const CString &strFolderName, bool ignoreCase) const
{
    for (const CATALOGINFO &record : m_records)
    {
        if (SameFolderName(record.szFolderName, strFolderName, ignoreCase))
        {
            strStorageName = record.szStorageName;
            return TRUE;
        }
    }
    return FALSE;
}

void CatalogAssistant::AddReservedName(const CString &strName)
{
    for (int i = 0; i < m_reserved.GetSize(); ++i)
        if (m_reserved[i].CompareNoCase(strName) == 0)
            return;
    m_reserved.Add(strName);
}

BOOL CatalogAssistant::MakeStorageName(CString &strStorageName, const CString &strFolderName)
{
    CString name = strFolderName;
    // Characters that an element name cannot hold on Windows, and the dot.
    for (wchar_t removed : {L':', L'!', L'/', L'.', L'\\'})
        name.Remove(removed);
    if (name.IsEmpty())
    {
        name = L"Folder";
    }
    else
    {
        if (name.CompareNoCase(g_szCatalog) == 0)
            name = L"PR_" + name;
        for (int i = 0; i < m_reserved.GetSize(); ++i)
            if (name.CompareNoCase(m_reserved[i]) == 0)
                name = L"PR_" + name;
        // A name of digits alone would be the name of a saved message's stream on the same level.
        if (name[0] < 32 || IsAllDigits(name))
            name = L"PR_" + name;
        name = name.Left(kStorageNameChars);
    }

    if (!ReadAll())
        return FALSE;
    CString candidate = name;
    int number = 1;
    for (size_t i = 0; i < m_records.size(); ++i)
    {
        if (candidate.CompareNoCase(m_records[i].szStorageName) == 0)
        {
            candidate.Format(L"%s%d", name.GetString(), number++);
            i = static_cast<size_t>(-1);
        }
    }
    strStorageName = candidate;
    return TRUE;
}
