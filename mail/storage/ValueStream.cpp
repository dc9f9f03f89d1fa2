#include "mail/storage/ValueStream.h"

#include <ocidl.h>
#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "mail/frame/Trace.h"
#include "platform/system/ComPtr.h"

namespace
{

// Payload bytes of a type written as a plain number; 0 for the others.
ULONG NumberSize(VARTYPE vt)
{
    switch (vt)
    {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_BOOL:
    case VT_UI2:
        return 2;
    case VT_I4:
    case VT_R4:
    case VT_ERROR:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
        return 8;
    default:
        return 0;
    }
}

bool IsObject(VARTYPE vt)
{
    return vt == VT_DISPATCH || vt == VT_UNKNOWN;
}

HRESULT WriteAll(IStream *pStream, const void *data, ULONG size)
{
    ULONG written = 0;
    HRESULT hr = POSTREL_CALL(pStream->Write(data, size, &written));
    if (SUCCEEDED(hr) && written != size)
        hr = STG_E_WRITEFAULT;
    return hr;
}

// E_FAIL unless exactly size bytes came.
HRESULT ReadAll(IStream *pStream, void *data, ULONG size)
{
    ULONG read = 0;
    HRESULT hr = POSTREL_CALL(pStream->Read(data, size, &read));
    return SUCCEEDED(hr) && read == size ? S_OK : E_FAIL;
}

HRESULT WriteObject(IStream *pStream, VARTYPE vt, IUnknown *object)
{
    CLSID clsid = CLSID_NULL;
    CComPtr<IPersistStream> persist;
    CComPtr<IPersistStreamInit> persistInit;
    if (object != nullptr)
    {
        HRESULT hr = object->QueryInterface(IID_IPersistStream, reinterpret_cast<void **>(&persist));
        if (FAILED(hr))
            hr = POSTREL_CALL(object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void **>(&persistInit)));
        if (SUCCEEDED(hr))
            hr = POSTREL_CALL(persist ? persist->GetClassID(&clsid) : persistInit->GetClassID(&clsid));
        if (FAILED(hr))
            return hr;
    }
    HRESULT hr = WriteAll(pStream, &vt, sizeof(vt));
    POSTREL_STEP(hr, ::WriteClassStm(pStream, clsid));
    if (persist)
        POSTREL_STEP(hr, persist->Save(pStream, TRUE));
    else if (persistInit)
        POSTREL_STEP(hr, persistInit->Save(pStream, TRUE));
    return hr;
}

HRESULT WriteText(IStream *pStream, VARTYPE vt, const VARIANT &value)
{
    VARIANT text;
    ::VariantInit(&text);
    HRESULT hr = POSTREL_CALL(::VariantChangeType(&text, const_cast<VARIANT *>(&value), 0, VT_BSTR));
    if (FAILED(hr))
        return hr;
    ULONG count = text.bstrVal != nullptr ? (::SysStringLen(text.bstrVal) + 1) * sizeof(wchar_t) : 0;
    if (count > MAX_VALUE_STRING_BYTES)
        hr = E_INVALIDARG;
    POSTREL_STEP(hr, WriteAll(pStream, &vt, sizeof(vt)));
    POSTREL_STEP(hr, WriteAll(pStream, &count, sizeof(count)));
    if (count > 0)
        POSTREL_STEP(hr, WriteAll(pStream, text.bstrVal, count));
    ::VariantClear(&text);
    return hr;
}

HRESULT ReadText(IStream *pStream, VARTYPE vt, VARIANT *pValue)
{
    ULONG count = 0;
    if (FAILED(ReadAll(pStream, &count, sizeof(count))))
        return E_FAIL;
    if (count == 1 || count > MAX_VALUE_STRING_BYTES)
    {
        DebugPrintf(POSTREL_TRACE, L"A string of %lu bytes is refused.\n", count);
        return E_FAIL;
    }
    BSTR text = nullptr;
    if (count > 0)
    {
        std::vector<wchar_t> buffer(count / sizeof(wchar_t) + 1, L'\0');
        if (FAILED(ReadAll(pStream, buffer.data(), count)))
            return E_FAIL;
        // The text ends at its terminator, or at the count when a damaged file lost it.
        const size_t units = count / sizeof(wchar_t);
        text = ::SysAllocStringLen(buffer.data(), static_cast<UINT>(wcsnlen(buffer.data(), units)));
        if (text == nullptr)
            return E_OUTOFMEMORY;
    }
    VARIANT read;
    ::VariantInit(&read);
    read.vt = VT_BSTR;
    read.bstrVal = text;
    if (vt == VT_BSTR)
    {
        *pValue = read;
        return S_OK;
    }
    HRESULT hr = POSTREL_CALL(::VariantChangeType(pValue, &read, 0, vt));
    ::VariantClear(&read);
    return hr;
}

HRESULT ReadFrom(IStream *pStream, VARTYPE vtExpected, VARIANT *pValue)
{
    VARTYPE vt = VT_EMPTY;
    if (FAILED(ReadAll(pStream, &vt, sizeof(vt))))
        return E_FAIL;
    if (vtExpected != 0 && vt != vtExpected)
    {
        DebugPrintf(POSTREL_TRACE, L"A value of type %u where %u was asked for.\n", vt, vtExpected);
        return E_FAIL;
    }
    if (IsObject(vt))
    {
        // The file would name the class to create: nothing of a backup file is ever run.
        DebugPrintf(POSTREL_TRACE, L"An object value (type %u) is refused.\n", vt);
        return E_FAIL;
    }
    if (ULONG size = NumberSize(vt))
    {
        VARIANT number;
        ::VariantInit(&number);
        if (FAILED(ReadAll(pStream, &number.llVal, size)))
            return E_FAIL;
        number.vt = vt;
        *pValue = number;
        return S_OK;
    }
    return ReadText(pStream, vt, pValue);
}

} // namespace

HRESULT WriteValue(IStream *pStream, const VARIANT &value)
{
    if (pStream == nullptr)
        return E_INVALIDARG;
    const VARTYPE vt = value.vt;
    if (ULONG size = NumberSize(vt))
    {
        HRESULT hr = WriteAll(pStream, &vt, sizeof(vt));
        POSTREL_STEP(hr, WriteAll(pStream, &value.llVal, size));
        return hr;
    }
    if (IsObject(vt))
        return WriteObject(pStream, vt, vt == VT_DISPATCH ? value.pdispVal : value.punkVal);
    return WriteText(pStream, vt, value);
}

HRESULT ReadValue(IStream *pStream, VARTYPE vtExpected, VARIANT *pValue)
{
    if (pStream == nullptr || pValue == nullptr)
        return E_INVALIDARG;
    ::VariantClear(pValue);
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER start = {};
    HRESULT hr = POSTREL_CALL(pStream->Seek(zero, STREAM_SEEK_CUR, &start));
    if (FAILED(hr))
        return hr;
    hr = ReadFrom(pStream, vtExpected, pValue);
    if (FAILED(hr))
    {
        LARGE_INTEGER back = {};
        back.QuadPart = static_cast<LONGLONG>(start.QuadPart);
        pStream->Seek(back, STREAM_SEEK_SET, nullptr);
    }
    return hr;
}
