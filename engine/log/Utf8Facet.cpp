#include "engine/log/Utf8Facet.h"
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace gel
{
namespace stdx
{

namespace
{

static_assert(sizeof(wchar_t) == 2, "the facet converts UTF-16 units");
static_assert(sizeof(std::mbstate_t) >= sizeof(std::uint32_t), "the conversion state is one 32-bit word");

// Reading: bit 31 with the low surrogate still to be written in the low 16 bits; otherwise bits 28-30 count
// the continuation bytes still expected and the low bits hold the code point gathered so far.
const std::uint32_t kLowSurrogatePending = 0x80000000u;
// Writing: bit 31 with the continuation bytes still to be written (count in bits 24-25, their payload in the
// low bits); bit 30 with the ten bits of a high surrogate that waits for its low one.
const std::uint32_t kBytesPending = 0x80000000u;
const std::uint32_t kHighSurrogatePending = 0x40000000u;

std::uint32_t LoadState(const std::mbstate_t &state)
{
    std::uint32_t value;
    std::memcpy(&value, &state, sizeof value);
    return value;
}

void StoreState(std::mbstate_t &state, std::uint32_t value)
{
    std::memcpy(&state, &value, sizeof value);
}

bool IsSurrogate(std::uint32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// Writes as many owed continuation bytes as fit; returns the state that is left.
std::uint32_t WritePendingBytes(std::uint32_t state, char *&to, char *to_end)
{
    if (!(state & kBytesPending))
        return state;
    unsigned count = (state >> 24) & 3;
    std::uint32_t bits = state & 0xFFFFFF;
    while (count > 0 && to < to_end)
    {
        --count;
        *to++ = static_cast<char>(0x80 | ((bits >> (6 * count)) & 0x3F));
    }
    if (count == 0)
        return 0;
    return kBytesPending | (count << 24) | (bits & ((1u << (6 * count)) - 1));
}

const char kTooManyFollowers[] = "malformd UTF-8: too many followers";
const char kNotEnoughFollowers[] = "malformd UTF-8: not enough followers";
const char kOverlong2[] = "overlong 2 bytes sequence";
const char kOverlong3[] = "overlong 3 bytes sequence";
const char kOverlong4[] = "overlong 4 bytes sequence";
const char kBadSequence[] = "Bad UTF-8 sequence";
const char kUnexpectedSurrogate[] = "Bad Unicode character - unexpected surrogate";
const char kBadCharacter[] = "Bad Unicode character";
const char kOutsideUnicode[] = "bad character: outside Unicode space";

} // namespace

utf8cvt::~utf8cvt() = default;

bool utf8cvt::do_always_noconv() const noexcept
{
    return false;
}

int utf8cvt::do_encoding() const noexcept
{
    return -1;
}

std::codecvt_base::result utf8cvt::do_in(state_type &state, const extern_type *from, const extern_type *from_end,
                                         const extern_type *&from_next, intern_type *to, intern_type *to_end,
                                         intern_type *&to_next) const
{
    std::uint32_t s = LoadState(state);
    const extern_type *f = from;
    intern_type *t = to;
    // The state stays as it was before the failing byte.
    auto fail = [&](const char *message) {
        StoreState(state, s);
        from_next = f;
        to_next = t;
        throw utf_error(message);
    };
    while (t < to_end)
    {
        if (s & kLowSurrogatePending)
        {
            *t++ = static_cast<intern_type>(s & 0xFFFF);
            s = 0;
            continue;
        }
        if (f == from_end)
            break;
        const unsigned char b = static_cast<unsigned char>(*f);
        unsigned expected = (s >> 28) & 7;
        std::uint32_t c = s & 0x0FFFFFFF;
        if ((b & 0xC0) == 0x80)
        {
            if (expected == 0)
                fail(kTooManyFollowers);
            // Nothing gathered yet with two or three followers to come means the lead byte was E0 or F0.
            if (expected == 2 && c == 0 && b < 0xA0)
                fail(kOverlong3);
            if (expected == 3 && c == 0 && b < 0x90)
                fail(kOverlong4);
            // F4 90 and above would lie beyond U+10FFFF.
            if (expected == 3 && c == 4 && b >= 0x90)
                fail(kOutsideUnicode);
            c = (c << 6) | (b & 0x3F);
            --expected;
        }
        else
        {
            if (expected != 0)
                fail(kNotEnoughFollowers);
            if (b < 0x80)
                c = b;
            else if (b < 0xC2)
                fail(kOverlong2);
            else if (b < 0xE0)
            {
                expected = 1;
                c = b & 0x1F;
            }
            else if (b < 0xF0)
            {
                expected = 2;
                c = b & 0x0F;
            }
            else if (b < 0xF5)
            {
                expected = 3;
                c = b & 0x07;
            }
            else if (b < 0xF8)
                fail(kOutsideUnicode);
            else
                fail(kBadSequence);
        }
        if (expected != 0)
        {
            s = (expected << 28) | c;
            ++f;
            continue;
        }
        if (IsSurrogate(c))
            fail(kUnexpectedSurrogate);
        ++f;
        s = 0;
        if (c == 0)
            continue;
        if (c <= 0xFFFF)
        {
            *t++ = static_cast<intern_type>(c);
            continue;
        }
        *t++ = static_cast<intern_type>(0xD800 | ((c - 0x10000) >> 10));
        const std::uint32_t low = 0xDC00 | (c & 0x3FF);
        if (t < to_end)
            *t++ = static_cast<intern_type>(low);
        else
            s = kLowSurrogatePending | low;
    }
    StoreState(state, s);
    from_next = f;
    to_next = t;
    // Input left over (the output was full) is not a finished conversion either.
    return s == 0 && f == from_end ? ok : partial;
}

std::codecvt_base::result utf8cvt::do_out(state_type &state, const intern_type *from, const intern_type *from_end,
                                          const intern_type *&from_next, extern_type *to, extern_type *to_end,
                                          extern_type *&to_next) const
{
    std::uint32_t s = LoadState(state);
    const intern_type *f = from;
    extern_type *t = to;
    auto fail = [&](const char *message) {
        StoreState(state, s);
        from_next = f;
        to_next = t;
        throw utf_error(message);
    };
    for (;;)
    {
        if (s & kBytesPending)
        {
            s = WritePendingBytes(s, t, to_end);
            if (s & kBytesPending)
                break;
            continue;
        }
        if (f == from_end || t == to_end)
            break;
        const std::uint32_t unit = static_cast<std::uint16_t>(*f);
        std::uint32_t c = 0;
        if (s & kHighSurrogatePending)
        {
            // A high surrogate must be followed by a low one, or a code point would be made up.
            if (unit < 0xDC00 || unit > 0xDFFF)
                fail(kBadCharacter);
            c = ((((s & 0x3FF) << 10) | (unit & 0x3FF)) + 0x10000);
        }
        else if (unit >= 0xD800 && unit <= 0xDBFF)
        {
            s = kHighSurrogatePending | (unit & 0x3FF);
            ++f;
            continue;
        }
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
            fail(kBadCharacter);
        else
            c = unit;

        if (c < 0x80)
        {
            *t++ = static_cast<extern_type>(c);
            s = 0;
        }
        else
        {
            unsigned count = 0;
            std::uint32_t lead = 0;
            if (c < 0x800)
            {
                lead = 0xC0 | (c >> 6);
                count = 1;
            }
            else if (c < 0x10000)
            {
                if (IsSurrogate(c))
                    fail(kBadCharacter);
                lead = 0xE0 | (c >> 12);
                count = 2;
            }
            else if (c > 0x1FFFFF)
                fail(kOutsideUnicode);
            else
            {
                lead = 0xF0 | (c >> 18);
                count = 3;
            }
            *t++ = static_cast<extern_type>(lead);
            s = kBytesPending | (count << 24) | (c & ((1u << (6 * count)) - 1));
        }
        ++f;
    }
    StoreState(state, s);
    from_next = f;
    to_next = t;
    return s == 0 && f == from_end ? ok : partial;
}

std::codecvt_base::result utf8cvt::do_unshift(state_type &state, extern_type *to, extern_type *to_end,
                                              extern_type *&to_next) const
{
    std::uint32_t s = LoadState(state);
    to_next = to;
    // The text ended after a high surrogate.
    if (s & kHighSurrogatePending)
        throw utf_error(kBadCharacter);
    s = WritePendingBytes(s, to_next, to_end);
    StoreState(state, s);
    return s == 0 ? ok : partial;
}

int utf8cvt::do_length(state_type &, const extern_type *from, const extern_type *end, size_t max) const
{
    size_t available = from < end ? static_cast<size_t>(end - from) : 0;
    return static_cast<int>(std::min(available, max));
}

std::locale ImbueUtf8(const std::locale &locale, utf8cvt *facet)
{
    if (!facet)
        return locale;
    return std::locale(locale, facet);
}

} // namespace stdx
} // namespace gel
