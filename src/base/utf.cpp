// UTF-8 <-> UTF-16 with the substitution rules Windows users expect: invalid
// input never stops a conversion, it shows up as U+FFFD where it was.

#include "base/utf.h"

#include <algorithm>
#include <cstdint>

#include "base/byte_blocks.h"

namespace {

constexpr char32_t replacement = 0xFFFD;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::size_t ascii_prefix(std::string_view s) {
  std::size_t i = 0;
  for (; i + byte_blocks::width <= s.size(); i += byte_blocks::width) {
    const unsigned high = byte_blocks::high_bits(byte_blocks::load(s.data() + i));
    if (high) return i + byte_blocks::lowest(high);
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

Decoded decode_utf8_at(std::string_view bytes) {
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return {lead, 1, true};

  // The valid second-byte range depends on the lead byte (this is what
  // rules out overlong forms, surrogates and values past U+10FFFF).
  std::size_t need = 0;
  unsigned char low = 0x80, high = 0xBF;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {replacement, 1, false};
  }

  std::size_t i = 1;
  for (; i <= need; ++i) {
    if (i >= bytes.size()) return {replacement, i, false};
    const unsigned char byte = at(i);
    const bool in_range = i == 1 ? (byte >= low && byte <= high) : is_continuation(byte);
    if (!in_range) return {replacement, i, false};
    value = (value << 6) | (byte & 0x3F);
  }
  return {value, need + 1, true};
}

bool is_valid_utf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    i += ascii_prefix(bytes.substr(i));
    if (i == bytes.size()) break;
    const Decoded d = decode_utf8_at(bytes.substr(i));
    if (!d.valid) return false;
    i += d.length;
  }
  return true;
}

namespace {

std::size_t utf8_size(char32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

// Writes the utf8_size(cp) bytes of `cp` at `out`; returns the end.
char* put_utf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// The code point that starts at utf16[i] and how many units it takes: a
// surrogate pair is one, an unpaired surrogate becomes U+FFFD.
struct CodePoint {
  char32_t value;
  std::size_t units;
};
CodePoint code_point_at(std::wstring_view utf16, std::size_t i) {
  const char32_t unit = static_cast<char32_t>(utf16[i]) & 0xFFFF;
  if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size()) {
    const char32_t next = static_cast<char32_t>(utf16[i + 1]) & 0xFFFF;
    if (next >= 0xDC00 && next <= 0xDFFF) return {0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), 2};
  }
  return {unit >= 0xD800 && unit <= 0xDFFF ? replacement : unit, 1};
}

// Calls `ascii(piece)` for runs of ASCII bytes, found sixteen bytes at a
// time (most text is mostly ASCII, and files are converted whole), and
// `other(code_point)` for each other character, decoded the lenient way,
// in text order.
template <class Ascii, class Other>
void walk_utf8(std::string_view text, Ascii&& ascii, Other&& other) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = 0;
    if (i + byte_blocks::width <= n) {
      const unsigned high = byte_blocks::high_bits(byte_blocks::load(text.data() + i));
      run = high ? byte_blocks::lowest(high) : byte_blocks::width;
    } else {
      run = ascii_prefix(text.substr(i));
    }
    if (run > 0) {
      ascii(text.substr(i, run));
      i += run;
      if (run == byte_blocks::width || i == n) continue;
    }
    const Decoded d = decode_utf8_at(text.substr(i));
    other(d.code_point);
    i += d.length;
  }
}

// How many of the units from `i` on are ASCII, counted in groups of eight:
// 0 when fewer than eight are, so that a short run takes the general path.
// Only the low 16 bits of a unit count, as in code_point_at.
std::size_t ascii_units(std::wstring_view utf16, std::size_t i) {
  std::size_t run = 0;
  for (; i + run + 8 <= utf16.size(); run += 8) {
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 8; ++k) bits |= static_cast<std::uint32_t>(utf16[i + run + k]);
    if (bits & 0xFF80) break;
  }
  return run;
}

}  // namespace

void append_utf8(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, put_utf8(bytes, cp));
}

std::size_t put_wide(std::string_view utf8, wchar_t* out) {
  wchar_t* at = out;
  walk_utf8(
      utf8, [&](std::string_view ascii) { at = std::copy(ascii.begin(), ascii.end(), at); },
      [&](char32_t cp) {
        if (cp >= 0x10000) {
          const char32_t v = cp - 0x10000;
          *at++ = static_cast<wchar_t>(0xD800 + (v >> 10));
          *at++ = static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
        } else {
          *at++ = static_cast<wchar_t>(cp);
        }
      });
  return static_cast<std::size_t>(at - out);
}

std::wstring to_wide(std::string_view utf8) {
  // Never more units than bytes (four bytes make at most two units), so the
  // string is allocated once and never grows, and leaves no copy of the
  // text behind.
  std::wstring out;
  out.resize_and_overwrite(utf8.size(), [&](wchar_t* units, std::size_t) { return put_wide(utf8, units); });
  return out;
}

std::string to_utf8(std::wstring_view utf16) {
  // The text is often a tab's, and a string that grows leaves copies of it
  // behind in freed memory that nobody wipes. So the exact size is counted
  // first and the string allocated once.
  std::size_t size = 0;
  for (std::size_t i = 0; i < utf16.size();) {
    if (const std::size_t ascii = ascii_units(utf16, i)) {
      size += ascii;
      i += ascii;
      continue;
    }
    const CodePoint cp = code_point_at(utf16, i);
    size += utf8_size(cp.value);
    i += cp.units;
  }
  std::string out;
  out.resize_and_overwrite(size, [&](char* bytes, std::size_t) {
    char* at = bytes;
    for (std::size_t i = 0; i < utf16.size();) {
      if (const std::size_t ascii = ascii_units(utf16, i)) {
        for (std::size_t k = 0; k < ascii; ++k) at[k] = static_cast<char>(utf16[i + k]);
        at += ascii;
        i += ascii;
        continue;
      }
      const CodePoint cp = code_point_at(utf16, i);
      at = put_utf8(at, cp.value);
      i += cp.units;
    }
    return size;
  });
  return out;
}
