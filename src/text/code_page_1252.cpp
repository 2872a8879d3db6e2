// The host's stand-in for the system ANSI code page: Windows-1252, with the
// same five bytes Windows maps straight to C1 controls (81, 8D, 8F, 90, 9D),
// so every byte decodes and every decoded text encodes back to its bytes.
// On Windows the real code page is used and this file is empty.

#ifndef _WIN32

#include <array>

#include "text/code_page.h"

namespace {

// Bytes 80 to 9F; every other byte is the code point of the same value.
constexpr std::array<char16_t, 32> high_controls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  //
};

char16_t to_unit(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return high_controls[byte - 0x80];
  return byte;
}

std::optional<unsigned char> to_byte(char32_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  for (std::size_t i = 0; i < high_controls.size(); ++i) {
    if (high_controls[i] == unit) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> ansi_to_utf16(std::string_view bytes, bool /*strict*/) {
  std::wstring out;
  out.reserve(bytes.size());
  for (const char c : bytes) out.push_back(static_cast<wchar_t>(to_unit(static_cast<unsigned char>(c))));
  return out;
}

std::optional<std::string> utf16_to_ansi(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t unit : text) {
    const auto byte = to_byte(static_cast<char32_t>(unit));
    if (!byte) return std::nullopt;
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

#endif  // _WIN32
