// Test stand-in for the snapshot agent library. It makes no snapshot: VssStartBackup2 names each source's copy
// under a snapshot root that the test chose (the source itself without one), and every call is recorded.
//
// Test exports: QuesselTestScript(result, root) sets what VssStartBackup2 answers and the snapshot root and
// clears the record; QuesselTestCalls(out, capacity) gives the record, such as "S1,4,0;B3;C0" (VssSetting's
// three values, VssStartBackup2's count, VssBackupComplete's value). The partial build (QUESSEL_PARTIAL) lacks
// VssSetting and VssBackupComplete.
#include <windows.h>

#include <cwchar>
#include <string>

namespace
{

const int kSnapshotPathChars = 520;

int g_result = 0;
std::wstring g_snapshotRoot;
std::wstring g_calls;

void Record(const std::wstring &entry)
{
    if (!g_calls.empty())
        g_calls += L";";
    g_calls += entry;
}

// root + "\" + the source without its colon ("C:\a\b.txt" under "R:\snap" is "R:\snap\C\a\b.txt").
std::wstring SnapshotPath(const wchar_t *source)
{
    if (g_snapshotRoot.empty())
        return source;
    std::wstring path = g_snapshotRoot + L"\\";
    for (const wchar_t *c = source; *c != L'\0'; ++c)
    {
        if (*c != L':')
            path += *c;
    }
    return path;
}

} // namespace

extern "C"
{

    __declspec(dllexport) int VssStartBackup2(const wchar_t **sources, wchar_t **outputs, int count)
    {
        Record(L"B" + std::to_wstring(count));
        if (g_result != 0)
            return g_result;
        for (int i = 0; i < count; ++i)
        {
            const std::wstring path = SnapshotPath(sources[i]);
            wcsncpy(outputs[i], path.c_str(), kSnapshotPathChars - 1);
            outputs[i][kSnapshotPathChars - 1] = L'\0';
        }
        return 0;
    }

#ifndef QUESSEL_PARTIAL
    __declspec(dllexport) int VssSetting(int *settings)
    {
        Record(L"S" + std::to_wstring(settings[0]) + L"," + std::to_wstring(settings[1]) + L"," +
               std::to_wstring(settings[2]));
        return 0;
    }

    __declspec(dllexport) int VssBackupComplete(int value)
    {
        Record(L"C" + std::to_wstring(value));
        return 0;
    }
#endif

    __declspec(dllexport) void QuesselTestScript(int result, const wchar_t *snapshotRoot)
    {
        g_result = result;
        g_snapshotRoot = snapshotRoot != nullptr ? snapshotRoot : L"";
        g_calls.clear();
    }

    __declspec(dllexport) int QuesselTestCalls(wchar_t *out, int capacity)
    {
        if (out == nullptr || capacity <= 0)
            return static_cast<int>(g_calls.size());
        wcsncpy(out, g_calls.c_str(), static_cast<size_t>(capacity) - 1);
        out[capacity - 1] = L'\0';
        return static_cast<int>(g_calls.size());
    }
}
