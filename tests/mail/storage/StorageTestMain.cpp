// The storage tests' program. Run with "--hold-compound-file <path> <event>" it is another process that
// holds a backup file open: from when it signals "<event>.held" until the test signals "<event>.release".
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

namespace
{

int HoldCompoundFile(const wchar_t *path, const wchar_t *event)
{
    IStorage *storage = nullptr;
    HRESULT hr = ::StgOpenStorage(path, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &storage);
    HANDLE held = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (std::wstring(event) + L".held").c_str());
    HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, (std::wstring(event) + L".release").c_str());
    if (held != nullptr)
        ::SetEvent(held);
    if (release != nullptr)
        ::WaitForSingleObject(release, 60000);
    if (storage != nullptr)
        storage->Release();
    if (held != nullptr)
        ::CloseHandle(held);
    if (release != nullptr)
        ::CloseHandle(release);
    return SUCCEEDED(hr) ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    int wideCount = 0;
    LPWSTR *wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount);
    if (wide != nullptr && wideCount == 4 && wcscmp(wide[1], L"--hold-compound-file") == 0)
        return HoldCompoundFile(wide[2], wide[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
