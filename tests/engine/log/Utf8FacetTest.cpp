#include "engine/log/Utf8Facet.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <string>

using gel::stdx::utf_error;
using Codecvt = std::codecvt<wchar_t, char, std::mbstate_t>;

namespace
{

// The facet lives in a locale, which owns it.
class Utf8Facet : public ::testing::Test
{
  protected:
    Utf8Facet()
        : locale(gel::stdx::ImbueUtf8(std::locale::classic(), new gel::stdx::utf8cvt)),
          cvt(std::use_facet<Codecvt>(locale))
    {
        std::memset(&state, 0, sizeof state);
    }

    // Converts bytes into at most room units; consumed is the number of bytes used.
    std::codecvt_base::result In(const std::string &bytes, size_t room, std::wstring &out, size_t &consumed)
    {
        out.assign(room, L'\0');
        const char *next = nullptr;
        wchar_t *to = &out[0];
        wchar_t *toNext = nullptr;
        auto result = cvt.in(state, bytes.data(), bytes.data() + bytes.size(), next, to, to + room, toNext);
        consumed = static_cast<size_t>(next - bytes.data());
        out.resize(static_cast<size_t>(toNext - to));
        return result;
    }
    std::wstring InAll(const std::string &bytes)
    {
        std::wstring out;
        size_t consumed = 0;
        EXPECT_EQ(In(bytes, bytes.size() + 2, out, consumed), std::codecvt_base::ok);
        EXPECT_EQ(consumed, bytes.size());
        return out;
    }

    std::codecvt_base::result Out(const std::wstring &text, size_t room, std::string &out, size_t &consumed)
    {
        out.assign(room, '\0');
        const wchar_t *next = nullptr;
        char *to = &out[0];
        char *toNext = nullptr;
        auto result = cvt.out(state, text.data(), text.data() + text.size(), next, to, to + room, toNext);
        consumed = static_cast<size_t>(next - text.data());
        out.resize(static_cast<size_t>(toNext - to));
        return result;
    }
    std::string OutAll(const std::wstring &text)
    {
        std::string out;
        size_t consumed = 0;
        EXPECT_EQ(Out(text, text.size() * 3 + 1, out, consumed), std::codecvt_base::ok);
        EXPECT_EQ(consumed, text.size());
        return out;
    }

    // The message of the error that bytes raise from the initial state.
    std::string InError(const std::string &bytes)
    {
        std::memset(&state, 0, sizeof state);
        std::wstring out;
        size_t consumed = 0;
        try
        {
            In(bytes, 8, out, consumed);
        }
        catch (const utf_error &e)
        {
            return e.what();
        }
        return "no error";
    }
    std::string OutError(const std::wstring &text)
    {
        std::memset(&state, 0, sizeof state);
        std::string out;
        size_t consumed = 0;
        try
        {
            Out(text, 16, out, consumed);
        }
        catch (const utf_error &e)
        {
            return e.what();
        }
        return "no error";
    }

    bool StateIsZero() const
    {
        std::mbstate_t zero;
        std::memset(&zero, 0, sizeof zero);
        return std::memcmp(&state, &zero, sizeof zero) == 0;
    }

    std::locale locale;
    const Codecvt &cvt;
    std::mbstate_t state;
};

} // namespace

TEST_F(Utf8Facet, ReadsAndWritesEveryLength)
{
    EXPECT_EQ(InAll("A\xC3\xBC\xE2\x80\x93"), L"A\x00FC\x2013");
    EXPECT_EQ(InAll("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");
    EXPECT_EQ(InAll("\xF4\x8F\xBF\xBF"), L"\xDBFF\xDFFF");
    EXPECT_EQ(OutAll(L"A\x00FC\x2013"), "A\xC3\xBC\xE2\x80\x93");
    EXPECT_EQ(OutAll(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(OutAll(L"\xDBFF\xDFFF\xFFFF"), "\xF4\x8F\xBF\xBF\xEF\xBF\xBF");
    EXPECT_TRUE(StateIsZero());
}

TEST_F(Utf8Facet, NulByteGivesNoUnit)
{
    EXPECT_EQ(InAll(std::string("a\0b", 3)), L"ab");
}

TEST_F(Utf8Facet, MalformedUtf8NamesItsFault)
{
    EXPECT_EQ(InError("\xC0\x80"), "overlong 2 bytes sequence");
    EXPECT_EQ(InError("\xC1\xBF"), "overlong 2 bytes sequence");
    EXPECT_EQ(InError("\xE0\x80\x80"), "overlong 3 bytes sequence");
    EXPECT_EQ(InError("\xE0\x9F\xBF"), "overlong 3 bytes sequence");
    EXPECT_EQ(InError("\xF0\x80\x80\x80"), "overlong 4 bytes sequence");
    EXPECT_EQ(InError("\x80"), "malformd UTF-8: too many followers");
    EXPECT_EQ(InError("a\xC3\xBC\xBC"), "malformd UTF-8: too many followers");
    EXPECT_EQ(InError("\xE2\x41"), "malformd UTF-8: not enough followers");
    EXPECT_EQ(InError("\xF8\x88\x80\x80\x80"), "Bad UTF-8 sequence");
    EXPECT_EQ(InError("\xFF"), "Bad UTF-8 sequence");
    EXPECT_EQ(InError("\xED\xA0\x80"), "Bad Unicode character - unexpected surrogate");
    EXPECT_EQ(InError("\xED\xBF\xBF"), "Bad Unicode character - unexpected surrogate");
}

TEST_F(Utf8Facet, CodePointsBeyondUnicodeAreRefused)
{
    EXPECT_EQ(InError("\xF4\x90\x80\x80"), "bad character: outside Unicode space");
    EXPECT_EQ(InError("\xF4\xBF\xBF\xBF"), "bad character: outside Unicode space");
    EXPECT_EQ(InError("\xF5\x80\x80\x80"), "bad character: outside Unicode space");
    EXPECT_EQ(InError("\xF7\xBF\xBF\xBF"), "bad character: outside Unicode space");
}

TEST_F(Utf8Facet, UnpairedSurrogatesAreRefused)
{
    EXPECT_EQ(OutError(L"a\xD800"
                       L"b"),
              "Bad Unicode character");
    EXPECT_EQ(OutError(L"\xD800\xD800\xDC00"), "Bad Unicode character");
    EXPECT_EQ(OutError(L"\xDC00"), "Bad Unicode character");
    EXPECT_EQ(OutError(L"\xDFFF"
                       L"a"),
              "Bad Unicode character");
}

TEST_F(Utf8Facet, ReadingResumesInsideACharacter)
{
    std::wstring out;
    size_t consumed = 0;
    EXPECT_EQ(In("x\xE2\x80", 4, out, consumed), std::codecvt_base::partial);
    EXPECT_EQ(consumed, 3u);
    EXPECT_EQ(out, L"x");
    EXPECT_FALSE(StateIsZero());
    EXPECT_EQ(In("\x93", 4, out, consumed), std::codecvt_base::ok);
    EXPECT_EQ(out, L"\x2013");
    EXPECT_TRUE(StateIsZero());
}

TEST_F(Utf8Facet, FailureLeavesTheStateAtTheFailingByte)
{
    std::wstring out;
    size_t consumed = 0;
    EXPECT_EQ(In("\xE2", 4, out, consumed), std::codecvt_base::partial);
    EXPECT_THROW(In("\x41", 4, out, consumed), utf_error);
    // Still two followers owed for the E2.
    EXPECT_EQ(In("\x80\x93", 4, out, consumed), std::codecvt_base::ok);
    EXPECT_EQ(out, L"\x2013");
}

TEST_F(Utf8Facet, RoomForOneUnitSplitsThePair)
{
    std::wstring out;
    size_t consumed = 0;
    EXPECT_EQ(In("\xF0\x9F\x98\x80"
                 "a",
                 1, out, consumed),
              std::codecvt_base::partial);
    EXPECT_EQ(out, L"\xD83D");
    EXPECT_EQ(consumed, 4u);
    // The low surrogate comes first at the next call, without taking input.
    EXPECT_EQ(In("a", 1, out, consumed), std::codecvt_base::partial);
    EXPECT_EQ(out, L"\xDE00");
    EXPECT_EQ(consumed, 0u);
    EXPECT_EQ(In("a", 1, out, consumed), std::codecvt_base::ok);
    EXPECT_EQ(out, L"a");
}

TEST_F(Utf8Facet, WritingResumesInsideACharacter)
{
    std::string out;
    size_t consumed = 0;
    EXPECT_EQ(Out(L"\x2013"
                  L"b",
                  1, out, consumed),
              std::codecvt_base::partial);
    EXPECT_EQ(out, "\xE2");
    EXPECT_EQ(consumed, 1u);
    EXPECT_EQ(Out(L"b", 1, out, consumed), std::codecvt_base::partial);
    EXPECT_EQ(out, "\x80");
    EXPECT_EQ(consumed, 0u);
    // unshift writes what is still owed.
    char bytes[4];
    char *next = nullptr;
    EXPECT_EQ(cvt.unshift(state, bytes, bytes + 4, next), std::codecvt_base::ok);
    EXPECT_EQ(std::string(bytes, next), "\x93");
    EXPECT_EQ(Out(L"b", 1, out, consumed), std::codecvt_base::ok);
    EXPECT_EQ(out, "b");
}

TEST_F(Utf8Facet, HighSurrogateAtTheEndWaitsForItsPartner)
{
    std::string out;
    size_t consumed = 0;
    EXPECT_EQ(Out(L"a\xD83D", 8, out, consumed), std::codecvt_base::partial);
    EXPECT_EQ(out, "a");
    EXPECT_EQ(consumed, 2u);
    EXPECT_EQ(Out(L"\xDE00", 8, out, consumed), std::codecvt_base::ok);
    EXPECT_EQ(out, "\xF0\x9F\x98\x80");

    EXPECT_EQ(Out(L"\xD83D", 8, out, consumed), std::codecvt_base::partial);
    char bytes[4];
    char *next = nullptr;
    EXPECT_THROW(cvt.unshift(state, bytes, bytes + 4, next), utf_error);
}

TEST_F(Utf8Facet, FacetProperties)
{
    EXPECT_FALSE(cvt.always_noconv());
    EXPECT_EQ(cvt.encoding(), -1);
    const char bytes[] = "abcdef";
    EXPECT_EQ(cvt.length(state, bytes, bytes + 6, 4), 4);
    EXPECT_EQ(cvt.length(state, bytes, bytes + 3, 10), 3);
    EXPECT_EQ(locale.name(), "*");
    std::locale unchanged = gel::stdx::ImbueUtf8(std::locale::classic(), nullptr);
    EXPECT_EQ(unchanged.name(), "C");
    EXPECT_TRUE(std::has_facet<Codecvt>(locale));
}

TEST_F(Utf8Facet, FileStreamsRoundTrip)
{
    testsupport::TempFolder folder;
    std::wstring path = folder / L"text.txt";
    // Long enough that the stream buffers split characters between calls.
    std::wstring text;
    for (int i = 0; i < 3000; ++i)
        text += L"a\x00FC\x2013\xD83D\xDE00\n";
    {
        std::wofstream out;
        out.imbue(locale);
        out.open(path.c_str(), std::ios::out | std::ios::binary);
        ASSERT_TRUE(out.is_open());
        out << text;
    }
    std::string expected;
    for (int i = 0; i < 3000; ++i)
        expected += "a\xC3\xBC\xE2\x80\x93\xF0\x9F\x98\x80\n";
    EXPECT_EQ(testsupport::ReadFileBytes(path), expected);

    std::wifstream in;
    in.imbue(locale);
    in.open(path.c_str(), std::ios::in | std::ios::binary);
    ASSERT_TRUE(in.is_open());
    std::wstring back((std::istreambuf_iterator<wchar_t>(in)), std::istreambuf_iterator<wchar_t>());
    EXPECT_EQ(back, text);
}
