// A conversion facet between UTF-16 wide text and UTF-8 bytes for the standard streams and locales.
#pragma once
#include <cwchar>
#include <locale>
#include <stdexcept>
#include <string>

namespace gel
{
namespace stdx
{

// Malformed UTF-8 or UTF-16; what() is one of the fixed messages of utf8cvt.
class utf_error : public std::runtime_error
{
  public:
    explicit utf_error(const char *message) : std::runtime_error(message)
    {
    }
    explicit utf_error(const std::string &message) : std::runtime_error(message)
    {
    }
};

// A conversion may stop inside a character and resume at the next call; the conversion state (one 32-bit
// word in the std::mbstate_t) carries what is still owed. A zero state stands between characters.
class utf8cvt : public std::codecvt<wchar_t, char, std::mbstate_t>
{
  public:
    explicit utf8cvt(size_t refs = 0) : std::codecvt<wchar_t, char, std::mbstate_t>(refs)
    {
    }

  protected:
    ~utf8cvt() override;
    bool do_always_noconv() const noexcept override;
    int do_encoding() const noexcept override;
    // UTF-8 to UTF-16.
    result do_in(state_type &state, const extern_type *from, const extern_type *from_end, const extern_type *&from_next,
                 intern_type *to, intern_type *to_end, intern_type *&to_next) const override;
    // UTF-16 to UTF-8.
    result do_out(state_type &state, const intern_type *from, const intern_type *from_end,
                  const intern_type *&from_next, extern_type *to, extern_type *to_end,
                  extern_type *&to_next) const override;
    // Writes the continuation bytes still owed by do_out.
    result do_unshift(state_type &state, extern_type *to, extern_type *to_end, extern_type *&to_next) const override;
    int do_length(state_type &state, const extern_type *from, const extern_type *end, size_t max) const override;
};

// A copy of locale whose codecvt<wchar_t, char> facet is facet (which the locale then owns); locale itself
// when facet is null.
std::locale ImbueUtf8(const std::locale &locale, utf8cvt *facet);

} // namespace stdx
} // namespace gel
