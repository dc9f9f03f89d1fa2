#include "mail/addressbook/MailUser.h"

#include "mail/frame/Trace.h"

namespace
{

enum class RecordStart
{
    Tag,   // a tag record begins here
    End,   // the stream ends here
    Broken // anything else: a part record, another type, a read error
};

// Reads the type code and the tag of the next record.
RecordStart ReadTagRecord(IStream *pStream, ULONG &tag)
{
    VARTYPE vt = VT_EMPTY;
    ULONG read = 0;
    HRESULT hr = POSTREL_CALL(pStream->Read(&vt, sizeof(vt), &read));
    if (FAILED(hr))
        return RecordStart::Broken;
    if (read == 0)
        return RecordStart::End;
    if (read != sizeof(vt) || vt != VT_UI4)
    {
        DebugPrintf(POSTREL_TRACE, L"A user record does not begin with a property tag.\n");
        return RecordStart::Broken;
    }
    hr = POSTREL_CALL(pStream->Read(&tag, sizeof(tag), &read));
    return SUCCEEDED(hr) && read == sizeof(tag) ? RecordStart::Tag : RecordStart::Broken;
}

} // namespace

BOOL MailUser::Save(IStream *pStream)
{
    ULONG count = 0;
    LPSPropValue props = nullptr;
    HRESULT hr = POSTREL_CALL(m_user->GetProps(nullptr, 0, &count, &props));
    if (FAILED(hr))
        return FALSE;
    BOOL result = props != nullptr || count == 0;
    for (ULONG i = 0; result && i < count; ++i)
    {
        std::unique_ptr<IPersistPropValue> persister = CreatePropValue(&props[i]);
        if (persister && FAILED(persister->Save(pStream)))
            result = FALSE;
    }
    if (props != nullptr)
        m_wab->FreeBuffer(props);
    return result;
}

BOOL MailUser::Load(IStream *pStream)
{
    LARGE_INTEGER start = {};
    BOOL result = SUCCEEDED(POSTREL_CALL(pStream->Seek(start, STREAM_SEEK_SET, nullptr)));
    while (result)
    {
        ULONG tag = 0;
        const RecordStart next = ReadTagRecord(pStream, tag);
        if (next == RecordStart::End)
            break;
        SPropValue value = {};
        value.ulPropTag = tag;
        std::unique_ptr<IPersistPropValue> persister = next == RecordStart::Tag ? CreatePropValue(&value) : nullptr;
        if (!persister)
        {
            if (next == RecordStart::Tag)
                DebugPrintf(POSTREL_TRACE, L"A property of tag 0x%08X is not restored.\n", static_cast<unsigned>(tag));
            result = FALSE;
        }
        else if (FAILED(persister->Load(pStream, m_user)))
        {
            result = FALSE;
        }
    }
    if (FAILED(POSTREL_CALL(m_user->SaveChanges(KEEP_OPEN_READWRITE))))
        result = FALSE;
    return result;
}
