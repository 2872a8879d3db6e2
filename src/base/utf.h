#pragma once
// The one pair of conversions between the program's UTF-8 text and the
// UTF-16 that Windows speaks. A wstring here always holds UTF-16 code units,
// also on the host, where wchar_t happens to be wider.

#include <string>
#include <string_view>

// Invalid UTF-8 becomes U+FFFD, one per maximal invalid subpart.
std::wstring to_wide(std::string_view utf8);

// The units of to_wide(utf8) written to `out`, which has room for
// utf8.size() of them (never more units than bytes); returns how many.
std::size_t put_wide(std::string_view utf8, wchar_t* out);

// An unpaired surrogate becomes U+FFFD.
std::string to_utf8(std::wstring_view utf16);

// Whether `bytes` is entirely valid UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// Appends the UTF-8 form of one code point (which must be a scalar value).
void append_utf8(std::string& out, char32_t code_point);

// Decodes one code point from the front of `bytes` the lenient way: a
// maximal invalid subpart yields U+FFFD and its length. `bytes` must not be
// empty.
struct Decoded {
  char32_t code_point;
  std::size_t length;
  bool valid;
};
Decoded decode_utf8_at(std::string_view bytes);

// Length of the leading run of ASCII, eight bytes at a time where possible:
// most text is mostly ASCII, and files are checked whole on every open.
std::size_t ascii_prefix(std::string_view s);
