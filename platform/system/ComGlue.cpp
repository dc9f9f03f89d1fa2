#include "platform/system/ComGlue.h"
#include "platform/system/XmlDom.h"

#include <cwchar>
#include <new>

void WINAPI _com_issue_errorex(HRESULT hr, IUnknown *punk, REFIID riid)
{
    // The object's own description of the failure travels with the error when it offers one.
    IErrorInfo *info = nullptr;
    if (punk != nullptr)
    {
        ISupportErrorInfo *support = nullptr;
        if (SUCCEEDED(punk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void **>(&support))) &&
            support != nullptr)
        {
            if (support->InterfaceSupportsErrorInfo(riid) != S_OK || ::GetErrorInfo(0, &info) != S_OK)
                info = nullptr;
            support->Release();
        }
    }
    if (info == nullptr)
        _com_issue_error(hr);
    else
        __mingw_com_error_handler(hr, info); // takes the reference
}

namespace _com_util
{

BSTR WINAPI ConvertStringToBSTR(const char *pSrc)
{
    if (pSrc == nullptr)
        return nullptr;
    int count = ::MultiByteToWideChar(CP_ACP, 0, pSrc, -1, nullptr, 0);
    if (count <= 0)
    {
        _com_issue_error(HRESULT_FROM_WIN32(::GetLastError()));
        return nullptr;
    }
    BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(count - 1));
    if (result == nullptr)
    {
        _com_issue_error(E_OUTOFMEMORY);
        return nullptr;
    }
    if (::MultiByteToWideChar(CP_ACP, 0, pSrc, -1, result, count) <= 0)
    {
        HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
        ::SysFreeString(result);
        _com_issue_error(hr);
        return nullptr;
    }
    return result;
}

// The result is freed with delete[] (as _bstr_t does).
char *WINAPI ConvertBSTRToString(BSTR pSrc)
{
    if (pSrc == nullptr)
        return nullptr;
    // Up to the first null rather than the BSTR's length: callers also hand in plain wide strings.
    int length = static_cast<int>(std::wcslen(pSrc));
    int bytes = 0;
    if (length > 0)
    {
        bytes = ::WideCharToMultiByte(CP_ACP, 0, pSrc, length, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0)
        {
            _com_issue_error(HRESULT_FROM_WIN32(::GetLastError()));
            return nullptr;
        }
    }
    char *result = new (std::nothrow) char[static_cast<size_t>(bytes) + 1];
    if (result == nullptr)
    {
        _com_issue_error(E_OUTOFMEMORY);
        return nullptr;
    }
    if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, pSrc, length, result, bytes, nullptr, nullptr);
    result[bytes] = '\0';
    return result;
}

} // namespace _com_util

// The classes of MSXML 3; msxml2.h declares them, no import library defines them.
extern "C"
{
    const CLSID CLSID_DOMDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
    const CLSID CLSID_FreeThreadedDOMDocument30 = {
        0xf5078f33, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
    // msxml2.h renames CLSID_DOMDocument to keep it apart from the older msxml.h class of that name.
    const CLSID CLSID_DOMDocument = {0xf6d90f11, 0x9c73, 0x11d3, {0xb3, 0x2e, 0x00, 0xc0, 0x4f, 0x99, 0x0b, 0xb4}};
    const IID IID_IXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
}
