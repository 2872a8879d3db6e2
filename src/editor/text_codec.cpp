// Bytes of a file <-> text of a tab. Opening never fails on strange bytes: it
// shows what it can and says (through `lossy`) that something was replaced,
// so the user is asked before such a file is overwritten. The only guesses
// are the byte-order marks and "is it valid UTF-8"; anything else is the
// system's ANSI code page.

#include "editor/text_codec.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "base/utf.h"
#include "editor/code_page.h"

namespace {

constexpr std::string_view replacement_utf8 = "\xEF\xBF\xBD";
constexpr char32_t replacement = 0xFFFD;

std::string_view as_chars(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool starts_with(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

// Valid runs are copied; each maximal invalid subpart becomes one U+FFFD.
std::string decode_utf8_lenient(std::string_view s, bool& lossy) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  std::size_t run_start = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    i += ascii_prefix(s.substr(i));
    if (i == s.size()) break;
    const Decoded d = decode_utf8_at(s.substr(i));
    if (!d.valid) {
      out.append(s.substr(run_start, i - run_start));
      out.append(replacement_utf8);
      lossy = true;
      run_start = i + d.length;
    }
    i += d.length;
  }
  out.append(s.substr(run_start));
  return out;
}

DecodedBytes decode_utf16(std::span<const std::uint8_t> body, bool big_endian, Encoding encoding) {
  const std::size_t units = body.size() / 2;
  bool lossy = body.size() % 2 != 0;
  auto unit_at = [&](std::size_t i) -> char32_t {
    const char32_t first = body[2 * i];
    const char32_t second = body[2 * i + 1];
    return big_endian ? (first << 8) | second : (second << 8) | first;
  };
  std::string out;
  out.reserve(units + units / 2);
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t unit = unit_at(i);
    if (unit < 0xD800 || unit > 0xDFFF) {
      append_utf8(out, unit);
    } else if (unit <= 0xDBFF && i + 1 < units && unit_at(i + 1) >= 0xDC00 && unit_at(i + 1) <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unit_at(i + 1) - 0xDC00));
      ++i;
    } else {
      append_utf8(out, replacement);
      lossy = true;
    }
  }
  return {std::move(out), encoding, lossy};
}

void append_utf16(std::vector<std::uint8_t>& out, std::string_view text, bool big_endian) {
  auto put = [&](char32_t unit) {
    const auto high = static_cast<std::uint8_t>(unit >> 8);
    const auto low = static_cast<std::uint8_t>(unit & 0xFF);
    out.push_back(big_endian ? high : low);
    out.push_back(big_endian ? low : high);
  };
  put(0xFEFF);
  while (!text.empty()) {
    const Decoded d = decode_utf8_at(text);
    text.remove_prefix(d.length);
    if (d.code_point >= 0x10000) {
      const char32_t v = d.code_point - 0x10000;
      put(0xD800 + (v >> 10));
      put(0xDC00 + (v & 0x3FF));
    } else {
      put(d.code_point);
    }
  }
}

std::vector<std::uint8_t> bytes_of(std::string_view text, std::string_view prefix = {}) {
  std::vector<std::uint8_t> out;
  out.reserve(prefix.size() + text.size());
  out.insert(out.end(), prefix.begin(), prefix.end());
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

}  // namespace

DecodedBytes decode_bytes(std::span<const std::uint8_t> bytes) {
  if (starts_with(bytes, {0xEF, 0xBB, 0xBF})) {
    const std::string_view body = as_chars(bytes.subspan(3));
    if (is_valid_utf8(body)) return {std::string(body), Encoding::Utf8Bom, false};
    bool lossy = false;
    std::string text = decode_utf8_lenient(body, lossy);
    return {std::move(text), Encoding::Utf8Bom, lossy};
  }
  if (starts_with(bytes, {0xFF, 0xFE})) return decode_utf16(bytes.subspan(2), false, Encoding::Utf16Le);
  if (starts_with(bytes, {0xFE, 0xFF})) return decode_utf16(bytes.subspan(2), true, Encoding::Utf16Be);

  const std::string_view all = as_chars(bytes);
  if (is_valid_utf8(all)) return {std::string(all), Encoding::Utf8, false};

  if (auto wide = ansi_to_utf16(all, true)) return {to_utf8(*wide), Encoding::Ansi, false};
  if (auto wide = ansi_to_utf16(all, false)) return {to_utf8(*wide), Encoding::Ansi, true};
  return {std::string(), Encoding::Ansi, true};
}

Result<void> reject_binary(std::string_view path, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return fail(not_text_message(path));
  return {};
}

Eol detect_eol(std::string_view text) {
  std::size_t crlf = 0, lf = 0, cr = 0;
  for (std::size_t i = text.find_first_of("\r\n"); i != std::string_view::npos; i = text.find_first_of("\r\n", i)) {
    if (text[i] == '\n') {
      ++lf;
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == '\n') {
      ++crlf;
      i += 2;
    } else {
      ++cr;
      ++i;
    }
  }
  if (lf > crlf && lf >= cr) return Eol::Lf;
  if (cr > crlf && cr > lf) return Eol::Cr;
  return Eol::CrLf;
}

std::string convert_line_ends(std::string_view text, Eol eol) {
  const std::string_view sequence = eol == Eol::CrLf ? "\r\n" : eol == Eol::Lf ? "\n" : "\r";
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  std::size_t start = 0;
  for (std::size_t i = text.find_first_of("\r\n"); i != std::string_view::npos; i = text.find_first_of("\r\n", start)) {
    out.append(text.substr(start, i - start));
    out.append(sequence);
    start = i + 1;
    if (text[i] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  out.append(text.substr(start));
  return out;
}

EncodedText encode_text(std::string_view text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8:
      return {bytes_of(text), Encoding::Utf8};
    case Encoding::Utf8Bom:
      return {bytes_of(text, "\xEF\xBB\xBF"), Encoding::Utf8Bom};
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
      std::vector<std::uint8_t> out;
      out.reserve(2 * text.size() + 2);
      append_utf16(out, text, encoding == Encoding::Utf16Be);
      return {std::move(out), encoding};
    }
    case Encoding::Ansi:
      break;
  }
  if (text.empty()) return {{}, Encoding::Ansi};
  // A character the code page cannot hold exactly must not be saved as a
  // look-alike or a question mark: the text goes out as UTF-8 instead.
  if (auto ansi = utf16_to_ansi(to_wide(text))) return {bytes_of(*ansi), Encoding::Ansi};
  return {bytes_of(text), Encoding::Utf8};
}

Result<DecodedText> decode_contents(std::string_view path, std::span<const std::uint8_t> bytes) {
  DecodedBytes decoded = decode_bytes(bytes);
  if (auto refused = reject_binary(path, decoded.text); !refused) return fail(std::move(refused.error()));
  const Eol eol = detect_eol(decoded.text);
  return DecodedText{std::move(decoded.text), decoded.encoding, eol, decoded.lossy};
}

std::string open_failure_message(std::string_view path, std::string_view system_text, std::uint32_t error_code) {
  std::string message(path);
  message += " could not be opened.\n\n";
  message += system_text;
  message += " (os error ";
  message += std::to_string(error_code);
  message += ')';
  return message;
}

std::string not_text_message(std::string_view path) {
  std::string message(path);
  message += " is not a text file.";
  return message;
}
