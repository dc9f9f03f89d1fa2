// Values written into a stream and read back: every type, the bytes of a string, and the values a damaged
// file may hold.
#include "mail/storage/ValueStream.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/support/MailTestSupport.h"
#include "platform/system/ComPtr.h"

using PostrelStorage = mailtest::MailTest;

namespace
{

void Rewind(IStream *stream)
{
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
}

CComPtr<IStream> MemoryStream(const std::string &bytes = std::string())
{
    CComPtr<IStream> stream;
    EXPECT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    if (!bytes.empty())
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    Rewind(stream);
    return stream;
}

ULONGLONG Position(IStream *stream)
{
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER at = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &at);
    return at.QuadPart;
}

std::string Bytes(IStream *stream)
{
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    Rewind(stream);
    ULONG read = 0;
    if (!bytes.empty())
        stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

std::string Le16(unsigned value)
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(unsigned value)
{
    return Le16(value & 0xFFFF) + Le16(value >> 16);
}

} // namespace

TEST_F(PostrelStorage, EveryTypeRoundTrips)
{
    struct TypeCase
    {
        VARTYPE vt;
        size_t payload; // bytes after the type code
        void (*set)(VARIANT &);
    };
    const TypeCase cases[] = {
        {VT_I2, 2, [](VARIANT &v) { v.iVal = -1234; }},
        {VT_I4, 4, [](VARIANT &v) { v.lVal = -123456789; }},
        {VT_R4, 4, [](VARIANT &v) { v.fltVal = 1.5f; }},
        {VT_R8, 8, [](VARIANT &v) { v.dblVal = -2.25e100; }},
        {VT_CY, 8, [](VARIANT &v) { v.cyVal.int64 = 123456789012345LL; }},
        {VT_DATE, 8, [](VARIANT &v) { v.date = 45000.75; }},
        {VT_ERROR, 4, [](VARIANT &v) { v.scode = E_FAIL; }},
        {VT_BOOL, 2, [](VARIANT &v) { v.boolVal = VARIANT_TRUE; }},
        {VT_I1, 1, [](VARIANT &v) { v.cVal = -5; }},
        {VT_UI1, 1, [](VARIANT &v) { v.bVal = 250; }},
        {VT_UI2, 2, [](VARIANT &v) { v.uiVal = 65000; }},
        {VT_UI4, 4, [](VARIANT &v) { v.ulVal = 4000000000u; }},
        {VT_I8, 8, [](VARIANT &v) { v.llVal = -9000000000000000000LL; }},
        {VT_UI8, 8, [](VARIANT &v) { v.ullVal = 18000000000000000000ULL; }},
        {VT_INT, 4, [](VARIANT &v) { v.intVal = -77; }},
        {VT_UINT, 4, [](VARIANT &v) { v.uintVal = 77; }},
        {VT_BSTR, 4 + 12, [](VARIANT &v) { v.bstrVal = ::SysAllocString(L"Hello"); }},
        {VT_DECIMAL, 0, [](VARIANT &v) { ::VarDecFromI4(31415, &v.decVal); }},
    };
    for (const TypeCase &c : cases)
    {
        VARIANT value;
        ::VariantInit(&value);
        c.set(value);
        value.vt = c.vt; // after the decimal, which fills the whole record
        CComPtr<IStream> stream = MemoryStream();
        ASSERT_EQ(S_OK, WriteValue(stream, value)) << c.vt;
        const std::string bytes = Bytes(stream);
        EXPECT_EQ(Le16(c.vt), bytes.substr(0, 2)) << c.vt;
        if (c.payload != 0)
        {
            EXPECT_EQ(2 + c.payload, bytes.size()) << c.vt;
        }
        for (VARTYPE asked : {c.vt, static_cast<VARTYPE>(0)})
        {
            Rewind(stream);
            VARIANT read;
            ::VariantInit(&read);
            ASSERT_EQ(S_OK, ReadValue(stream, asked, &read)) << c.vt;
            EXPECT_EQ(c.vt, read.vt);
            if (c.vt == VT_BSTR)
            {
                EXPECT_STREQ(value.bstrVal, read.bstrVal);
            }
            else if (c.vt == VT_DECIMAL)
            {
                EXPECT_EQ(VARCMP_EQ, ::VarDecCmp(&value.decVal, &read.decVal));
            }
            else
            {
                EXPECT_EQ(0, memcmp(&value.llVal, &read.llVal, c.payload)) << c.vt;
            }
            EXPECT_EQ(bytes.size(), Position(stream)) << c.vt;
            ::VariantClear(&read);
        }
        ::VariantClear(&value);
    }
}

TEST_F(PostrelStorage, AStringOfThreeCharactersIsWrittenWithItsTerminator)
{
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocString(L"abc");
    CComPtr<IStream> stream = MemoryStream();
    ASSERT_EQ(S_OK, WriteValue(stream, value));
    ::VariantClear(&value);
    EXPECT_EQ(Le16(8) + Le32(8) + std::string("a\0b\0c\0\0\0", 8), Bytes(stream));
}

TEST_F(PostrelStorage, StringCountsOutsideTheLimitsFailAndZeroIsNull)
{
    const struct
    {
        unsigned count;
        HRESULT expected;
    } cases[] = {{1, E_FAIL}, {0x100001, E_FAIL}, {0, S_OK}};
    for (const auto &c : cases)
    {
        CComPtr<IStream> stream = MemoryStream(Le16(VT_BSTR) + Le32(c.count) + std::string(16, 'x'));
        VARIANT read;
        ::VariantInit(&read);
        EXPECT_EQ(c.expected, ReadValue(stream, VT_BSTR, &read)) << c.count;
        if (c.expected == S_OK)
        {
            EXPECT_EQ(VT_BSTR, read.vt);
            EXPECT_EQ(nullptr, read.bstrVal);
            EXPECT_EQ(6u, Position(stream));
        }
        else
        {
            EXPECT_EQ(0u, Position(stream)) << c.count;
        }
        ::VariantClear(&read);
    }
}

TEST_F(PostrelStorage, AFailedReadPutsTheStreamBackWhereTheValueBegan)
{
    const std::string before = "prefix";
    const struct
    {
        const char *what;
        std::string bytes;
        VARTYPE asked;
    } cases[] = {
        {"another type", Le16(VT_I4) + Le32(7), VT_I2},
        {"a short number", Le16(VT_I4) + "\x01\x02", VT_I4},
        {"a short string", Le16(VT_BSTR) + Le32(8) + "a\0b", VT_BSTR},
        {"a short count", Le16(VT_BSTR) + "\x08", VT_BSTR},
        {"the end", std::string(), 0},
        {"half a type code", "\x03", 0},
        {"an object", Le16(VT_UNKNOWN) + std::string(16, '\0'), VT_UNKNOWN},
        {"a dispatch object", Le16(VT_DISPATCH) + std::string(16, '\x11'), 0},
    };
    for (const auto &c : cases)
    {
        CComPtr<IStream> stream = MemoryStream(before + c.bytes);
        LARGE_INTEGER at = {};
        at.QuadPart = static_cast<LONGLONG>(before.size());
        stream->Seek(at, STREAM_SEEK_SET, nullptr);
        VARIANT read;
        ::VariantInit(&read);
        EXPECT_EQ(E_FAIL, ReadValue(stream, c.asked, &read)) << c.what;
        EXPECT_EQ(before.size(), Position(stream)) << c.what;
        EXPECT_EQ(VT_EMPTY, read.vt) << c.what;
    }
}

TEST_F(PostrelStorage, ObjectsAreWrittenButNeverReadBack)
{
    VARIANT none;
    none.vt = VT_UNKNOWN;
    none.punkVal = nullptr;
    CComPtr<IStream> stream = MemoryStream();
    ASSERT_EQ(S_OK, WriteValue(stream, none));
    EXPECT_EQ(Le16(VT_UNKNOWN) + std::string(16, '\0'), Bytes(stream));
    Rewind(stream);
    VARIANT read;
    ::VariantInit(&read);
    EXPECT_EQ(E_FAIL, ReadValue(stream, 0, &read));

    VARIANT number;
    number.vt = VT_I4;
    number.lVal = 1;
    EXPECT_EQ(E_INVALIDARG, WriteValue(nullptr, number));
    EXPECT_EQ(E_INVALIDARG, ReadValue(nullptr, 0, &read));
}
