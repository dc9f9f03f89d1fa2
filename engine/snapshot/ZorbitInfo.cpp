#include "engine/snapshot/ZorbitInfo.h"

#include <cstring>

#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"

PFN_VSS_START_BACKUP2 g_pfnVssStartBackup2 = nullptr;
PFN_VSS_SETTING g_pfnVssSetting = nullptr;
PFN_VSS_BACKUP_COMPLETE g_pfnVssBackupComplete = nullptr;

namespace
{

const wchar_t kLibraryName[] = L"Quessel.dll";

// An entry point of the library as a typed pointer; through void *, as a direct cast between function pointer
// types draws a warning.
template <typename T> T EntryPoint(HMODULE module, const char *name)
{
    return reinterpret_cast<T>(reinterpret_cast<void *>(::GetProcAddress(module, name)));
}

// Looks up one entry point into its slot; a missing one is logged.
template <typename T> bool Bind(HMODULE module, const char *name, LPCWSTR wideName, T &slot)
{
    slot = EntryPoint<T>(module, name);
    if (slot != nullptr)
        return true;
    AppLog.LogAt(L"ZorbitInfo", __LINE__, ::GetLastError(), LM_ERROR, L"Unable to load symbol '%s' from '%s': %m\n",
                 wideName, kLibraryName);
    return false;
}

bool TextEqualsNoCase(const char *a, const char *b, size_t size)
{
    return _strnicmp(a, b, size) == 0;
}

} // namespace

CZorbitInfo::~CZorbitInfo()
{
    CSingleLock hold(&CopyLock, TRUE);
    Unbind();
}

void CZorbitInfo::Unbind()
{
    g_pfnVssStartBackup2 = nullptr;
    g_pfnVssSetting = nullptr;
    g_pfnVssBackupComplete = nullptr;
    m_module.Close();
}

bool CZorbitInfo::IsBound()
{
    return g_pfnVssStartBackup2 != nullptr && g_pfnVssSetting != nullptr && g_pfnVssBackupComplete != nullptr;
}

BOOL CZorbitInfo::Load()
{
    CSingleLock hold(&CopyLock, TRUE);
    Unbind();
    HMODULE module = ::LoadLibraryW(kLibraryName);
    if (module == nullptr)
    {
        AppLog.LogAt(L"ZorbitInfo", __LINE__, ::GetLastError(), LM_ERROR, L"%p\n", L"Unable to load Quessel.dll");
        return FALSE;
    }
    m_module.Attach(module);
    if (!Bind(module, "VssStartBackup2", L"VssStartBackup2", g_pfnVssStartBackup2) ||
        !Bind(module, "VssSetting", L"VssSetting", g_pfnVssSetting) ||
        !Bind(module, "VssBackupComplete", L"VssBackupComplete", g_pfnVssBackupComplete))
        return FALSE;
    return TRUE;
}

int CZorbitInfo::RunAgentUi()
{
    return 0;
}

int CZorbitInfo::LoadItems(std::vector<ZorbitRecord> &list)
{
    list.clear();
    return 0;
}

int CZorbitInfo::QueryItemState(const std::vector<ZorbitRecord> &list, const ZorbitRecord &record)
{
    const ZorbitRecord *first = list.data();
    const ZorbitRecord *last = first + list.size();
    return FindZorbitItem(first, last, record) != last ? 1 : 0;
}

CZorbitInfo &GetZorbitInfo()
{
    static CZorbitInfo info;
    CSingleLock hold(&CopyLock, TRUE);
    if (!CZorbitInfo::IsBound())
        info.Load();
    return info;
}

bool ZorbitItemEquals(const ZorbitRecord &a, const ZorbitRecord &b)
{
    if (a.identifier != b.identifier || a.flag != b.flag || a.value != b.value || a.value64 != b.value64)
        return false;
    if (!TextEqualsNoCase(a.name, b.name, sizeof(a.name)) ||
        !TextEqualsNoCase(a.description, b.description, sizeof(a.description)))
        return false;
    for (size_t i = 0; i < sizeof(a.details) / sizeof(a.details[0]); ++i)
    {
        if (!TextEqualsNoCase(a.details[i], b.details[i], sizeof(a.details[i])))
            return false;
    }
    return true;
}

const ZorbitRecord *FindZorbitItem(const ZorbitRecord *first, const ZorbitRecord *last, const ZorbitRecord &record)
{
    for (; first != last; ++first)
    {
        if (ZorbitItemEquals(*first, record))
            return first;
    }
    return last;
}
