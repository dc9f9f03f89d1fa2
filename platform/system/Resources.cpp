#include "platform/system/Resources.h"
#include <atomic>

namespace
{

std::atomic<HINSTANCE> g_instance{nullptr};
std::atomic<HINSTANCE> g_resource{nullptr};

bool HoldsResource(HINSTANCE module, LPCWSTR name, LPCWSTR type)
{
    return module && FindResourceW(module, name, type) != nullptr;
}

} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    HINSTANCE instance = g_instance.load();
    return instance ? instance : GetModuleHandleW(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE hInstance)
{
    g_instance.store(hInstance);
}

HINSTANCE AfxGetResourceHandle()
{
    HINSTANCE resource = g_resource.load();
    return resource ? resource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hResource)
{
    g_resource.store(hResource);
}

HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType)
{
    HINSTANCE resource = AfxGetResourceHandle();
    if (HoldsResource(resource, lpszName, lpszType))
        return resource;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (instance != resource && HoldsResource(instance, lpszName, lpszType))
        return instance;
    return resource;
}

bool AfxLoadStringFrom(HINSTANCE hModule, UINT nID, std::wstring &text)
{
    text.clear();
    if (!hModule || nID > 0xFFFF)
        return false;
    // Strings are stored sixteen to a block; block n + 1 holds ids 16n .. 16n + 15, each entry a length
    // word followed by that many characters.
    LPCWSTR block = MAKEINTRESOURCEW(nID / 16 + 1);
    HRSRC found = FindResourceW(hModule, block, reinterpret_cast<LPCWSTR>(RT_STRING));
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(hModule, found);
    const WORD *data = loaded ? static_cast<const WORD *>(LockResource(loaded)) : nullptr;
    DWORD bytes = SizeofResource(hModule, found);
    if (!data)
        return false;
    const WORD *end = data + bytes / sizeof(WORD);
    const WORD *entry = data;
    for (UINT skip = nID % 16; skip > 0; --skip)
    {
        if (entry >= end)
            return false;
        entry += 1 + *entry;
    }
    if (entry >= end)
        return false;
    size_t length = *entry;
    // A truncated block (damaged file) must not be read past its end.
    if (length > static_cast<size_t>(end - entry - 1))
        return false;
    if (length == 0)
        return false;
    text.assign(reinterpret_cast<const wchar_t *>(entry + 1), length);
    return true;
}

bool AfxLoadStringResource(UINT nID, std::wstring &text)
{
    HINSTANCE resource = AfxGetResourceHandle();
    if (AfxLoadStringFrom(resource, nID, text))
        return true;
    HINSTANCE instance = AfxGetInstanceHandle();
    return instance != resource && AfxLoadStringFrom(instance, nID, text);
}

CString AfxLoadText(UINT nID)
{
    std::wstring text;
    if (!AfxLoadStringResource(nID, text))
        return CString();
    return CString(text.c_str(), static_cast<int>(text.size()));
}
