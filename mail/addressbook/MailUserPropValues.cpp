// The persisters of the ten saved property types.
#include <windows.h>

#include <oleauto.h>

#include <cstring>
#include <string>

#include "mail/addressbook/BookRows.h"
#include "mail/addressbook/MailUser.h"
#include "mail/frame/Trace.h"
#include "mail/storage/ValueStream.h"
#include "platform/text/String.h"

namespace mailuser_detail
{

// A number: size bytes of the property's value, written as a value of type vt.
class CNumberPropValue : public MailUser::IPersistPropValue
{
  public:
    CNumberPropValue(SPropValue *pValue, VARTYPE vt, void *pPayload, ULONG size)
        : IPersistPropValue(pValue), m_vt(vt), m_payload(pPayload), m_size(size)
    {
    }

  protected:
    HRESULT SavePropValue(IStream *pStream) override
    {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = m_vt;
        memcpy(&value.llVal, m_payload, m_size);
        return WriteValue(pStream, value);
    }
    // A value of another type than the one this property is written as is refused: its payload would be
    // taken for a number.
    HRESULT LoadPropValue(IStream *pStream, IMailUser *pUser) override
    {
        VARIANT value;
        ::VariantInit(&value);
        HRESULT hr = ReadValue(pStream, m_vt, &value);
        if (SUCCEEDED(hr))
            memcpy(m_payload, &value.llVal, m_size);
        return SetOnUser(pUser, hr);
    }

  private:
    VARTYPE m_vt;
    void *m_payload;
    ULONG m_size;
};

HRESULT SaveText(IStream *pStream, const CString &text, bool isNull)
{
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = isNull ? nullptr : ::SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
    if (!isNull && value.bstrVal == nullptr)
        return E_OUTOFMEMORY;
    HRESULT hr = WriteValue(pStream, value);
    ::VariantClear(&value);
    return hr;
}

} // namespace mailuser_detail

using mailuser_detail::CNumberPropValue;

#define POSTREL_NUMBER_PROP_VALUE(Class, vt, member)                                                                   \
    class MailUser::Class final : public CNumberPropValue                                                              \
    {                                                                                                                  \
      public:                                                                                                          \
        explicit Class(SPropValue *pValue)                                                                             \
            : CNumberPropValue(pValue, vt, &pValue->Value.member, sizeof(pValue->Value.member))                        \
        {                                                                                                              \
        }                                                                                                              \
    };

POSTREL_NUMBER_PROP_VALUE(CPropValueI2, VT_I2, i)
POSTREL_NUMBER_PROP_VALUE(CPropValueLong, VT_I4, l)
POSTREL_NUMBER_PROP_VALUE(CPropValueR4, VT_R4, flt)
POSTREL_NUMBER_PROP_VALUE(CPropValueDouble, VT_R8, dbl)
POSTREL_NUMBER_PROP_VALUE(CPropValueCurrency, VT_I8, cur)
POSTREL_NUMBER_PROP_VALUE(CPropValueAPPTIME, VT_R8, at)
POSTREL_NUMBER_PROP_VALUE(CPropValueBoolean, VT_UI2, b)
POSTREL_NUMBER_PROP_VALUE(CPropValueI8, VT_I8, li)

#undef POSTREL_NUMBER_PROP_VALUE

// 8-bit text in the thread's ANSI code page, saved as UTF-16.
class MailUser::CPropValueSTRING8 final : public IPersistPropValue
{
  public:
    using IPersistPropValue::IPersistPropValue;

  protected:
    HRESULT SavePropValue(IStream *pStream) override
    {
        const char *text = m_value->Value.lpszA;
        CString wide;
        if (text != nullptr && *text != '\0')
        {
            const int units = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
            if (units <= 0)
                return E_FAIL;
            ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.GetBuffer(units), units);
            wide.ReleaseBuffer();
        }
        return mailuser_detail::SaveText(pStream, wide, text == nullptr);
    }
    // A value that is not text, or empty text, sets nothing.
    HRESULT LoadPropValue(IStream *pStream, IMailUser *pUser) override
    {
        VARIANT value;
        ::VariantInit(&value);
        HRESULT hr = ReadValue(pStream, 0, &value);
        if (FAILED(hr))
            return SetOnUser(pUser, hr);
        const bool isText = value.vt == VT_BSTR && value.bstrVal != nullptr && *value.bstrVal != L'\0';
        if (isText)
        {
            const int bytes = ::WideCharToMultiByte(CP_THREAD_ACP, 0, value.bstrVal, -1, nullptr, 0, nullptr, nullptr);
            m_text.assign(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
            if (bytes > 0)
                ::WideCharToMultiByte(CP_THREAD_ACP, 0, value.bstrVal, -1, &m_text[0], bytes, nullptr, nullptr);
        }
        ::VariantClear(&value);
        if (!isText)
            return S_OK;
        m_value->Value.lpszA = &m_text[0];
        return SetOnUser(pUser, S_OK);
    }

  private:
    std::string m_text;
};

class MailUser::CPropValueUNICODE final : public IPersistPropValue
{
  public:
    using IPersistPropValue::IPersistPropValue;

  protected:
    HRESULT SavePropValue(IStream *pStream) override
    {
        const wchar_t *text = m_value->Value.lpszW;
        return mailuser_detail::SaveText(pStream, CString(text != nullptr ? text : L""), text == nullptr);
    }
    HRESULT LoadPropValue(IStream *pStream, IMailUser *pUser) override
    {
        VARIANT value;
        ::VariantInit(&value);
        HRESULT hr = ReadValue(pStream, VT_BSTR, &value);
        if (SUCCEEDED(hr))
        {
            m_text = value.bstrVal != nullptr ? value.bstrVal : L"";
            m_value->Value.lpszW = const_cast<LPWSTR>(m_text.GetString());
        }
        ::VariantClear(&value);
        return SetOnUser(pUser, hr);
    }

  private:
    CString m_text;
};

HRESULT MailUser::IPersistPropValue::Save(IStream *pStream)
{
    VARIANT tag;
    ::VariantInit(&tag);
    tag.vt = VT_UI4;
    tag.ulVal = m_value->ulPropTag;
    HRESULT hr = WriteValue(pStream, tag);
    if (FAILED(hr))
        return hr;
    return SavePropValue(pStream);
}

HRESULT MailUser::IPersistPropValue::Load(IStream *pStream, IMailUser *pUser)
{
    return LoadPropValue(pStream, pUser);
}

HRESULT MailUser::IPersistPropValue::SetOnUser(IMailUser *pUser, HRESULT hrRead)
{
    if (FAILED(hrRead))
    {
        ReportSkipped("SetOneBookProp(pUser, *m_value)", hrRead);
        return hrRead;
    }
    return POSTREL_CALL(SetOneBookProp(pUser, *m_value));
}

std::unique_ptr<MailUser::IPersistPropValue> MailUser::CreatePropValue(SPropValue *pValue)
{
    switch (PROP_TYPE(pValue->ulPropTag))
    {
    case PT_I2:
        return std::make_unique<CPropValueI2>(pValue);
    case PT_LONG:
        return std::make_unique<CPropValueLong>(pValue);
    case PT_R4:
        return std::make_unique<CPropValueR4>(pValue);
    case PT_DOUBLE:
        return std::make_unique<CPropValueDouble>(pValue);
    case PT_CURRENCY:
        return std::make_unique<CPropValueCurrency>(pValue);
    case PT_APPTIME:
        return std::make_unique<CPropValueAPPTIME>(pValue);
    case PT_BOOLEAN:
        return std::make_unique<CPropValueBoolean>(pValue);
    case PT_I8:
        return std::make_unique<CPropValueI8>(pValue);
    case PT_STRING8:
        return std::make_unique<CPropValueSTRING8>(pValue);
    case PT_UNICODE:
        return std::make_unique<CPropValueUNICODE>(pValue);
    default:
        return nullptr;
    }
}
