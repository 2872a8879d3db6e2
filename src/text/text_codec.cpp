// Bytes of a file <-> text of a tab. Opening never fails on strange bytes: it
// shows what it can and says (through `lossy`) that something was replaced,
// so the user is asked before such a file is overwritten. The only guesses
// are the byte-order marks and "is it valid UTF-8"; anything else is the
// system's ANSI code page.

#include "text/text_codec.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>

#include "base/byte_blocks.h"
#include "base/secure_buffer.h"
#include "base/utf.h"
#include "text/code_page.h"
#include "text/text_scan.h"

namespace {

constexpr std::string_view replacement_utf8 = "\xEF\xBF\xBD";
constexpr char32_t replacement = 0xFFFD;

std::string_view as_chars(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool starts_with(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

std::string_view sequence_of(Eol eol) { return eol == Eol::CrLf ? "\r\n" : eol == Eol::Lf ? "\n" : "\r"; }

// ---- decoding ----

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

// ---- encoding ----

std::uint8_t* put_unit(std::uint8_t* out, char32_t unit, bool big_endian) {
  const auto high = static_cast<std::uint8_t>(unit >> 8);
  const auto low = static_cast<std::uint8_t>(unit & 0xFF);
  *out++ = big_endian ? high : low;
  *out++ = big_endian ? low : high;
  return out;
}

bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// How many bytes the line end at `at` takes: a CR LF pair is one line end.
std::size_t line_end_length(std::string_view text, std::size_t at) {
  return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// The ANSI bytes of characters that are all outside ASCII, appended at
// `out`; nothing when one is not in the code page. Such runs are short
// (a name, a symbol), so their UTF-16 is made on the stack.
std::optional<char*> put_ansi(std::string_view characters, char* out) {
  constexpr std::size_t on_stack = 64;
  if (characters.size() > on_stack) {
    std::wstring wide = to_wide(characters);
    std::optional<std::string> part = utf16_to_ansi(wide);
    secure_wipe(wide.data(), wide.size() * sizeof(wchar_t));
    if (!part) return std::nullopt;
    out = std::copy(part->begin(), part->end(), out);
    wipe_contents(*part);
    return out;
  }
  wchar_t units[on_stack];
  const std::size_t count = put_wide(characters, units);
  std::optional<std::string> part = utf16_to_ansi({units, count});
  secure_wipe(units, count * sizeof(wchar_t));
  if (!part) return std::nullopt;
  out = std::copy(part->begin(), part->end(), out);
  wipe_contents(*part);
  return out;
}

// Copies `text` to `out` (room up to `end`, at least what it needs), with
// each line end replaced by `line_end` (when there is one), sixteen bytes
// at a time between them. With `ansi`, each run of characters outside ASCII
// goes through the code page instead (every ANSI code page of Windows
// keeps ASCII as it is, converts each character on its own, and makes no
// CR or LF byte of anything else); nothing when one is not in it. Returns
// the end of what it wrote.
template <bool ansi>
std::optional<char*> put_bytes(std::string_view text, const std::string_view* line_end, char* out,
                               const char* const end) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.size() - i >= byte_blocks::width) {
      const byte_blocks::Block b = byte_blocks::load(text.data() + i);
      unsigned stop = ansi ? byte_blocks::high_bits(b) : 0;
      if (line_end) stop |= byte_blocks::equal_bits(b, '\r') | byte_blocks::equal_bits(b, '\n');
      const std::size_t run = stop ? byte_blocks::lowest(stop) : byte_blocks::width;
      // A whole block fits wherever its bytes all go out; a cut one may
      // be written whole when there is room, and only its run counted.
      if (!stop || end - out >= static_cast<std::ptrdiff_t>(byte_blocks::width)) {
        byte_blocks::store(out, b);
      } else {
        std::memcpy(out, text.data() + i, run);
      }
      out += run;
      i += run;
      if (!stop) continue;
    } else {
      while (i < text.size() && !(line_end && is_line_end(text[i])) &&
             !(ansi && static_cast<unsigned char>(text[i]) >= 0x80)) {
        *out++ = text[i++];
      }
      if (i == text.size()) break;
    }
    if (line_end && is_line_end(text[i])) {
      for (const char c : *line_end) *out++ = c;
      i += line_end_length(text, i);
      continue;
    }
    if constexpr (ansi) {
      std::size_t stop = i;
      while (stop < text.size() && static_cast<unsigned char>(text[stop]) >= 0x80) ++stop;
      const std::optional<char*> after = put_ansi(text.substr(i, stop - i), out);
      if (!after) return std::nullopt;
      out = *after;
      i = stop;
    }
  }
  return out;
}

// put_bytes without a code page, which never fails.
char* put_lines(std::string_view text, std::string_view line_end, char* out, std::size_t size) {
  return *put_bytes<false>(text, &line_end, out, out + size);
}

// Writes `text` as UTF-16 code units, two bytes each in the order asked,
// with each line end replaced by `line_end` (kept as text when there is
// none); the lenient decoding of to_wide. `room_units` is what `out` holds;
// returns the units written.
std::size_t put_utf16(std::string_view text, const std::string_view* line_end, std::uint8_t* out,
                      std::size_t room_units, bool big_endian) {
  std::size_t units = 0;
  auto unit = [&](char32_t u) {
    put_unit(out + 2 * units, u, big_endian);
    ++units;
  };
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + byte_blocks::width <= text.size()) {
      const byte_blocks::Block b = byte_blocks::load(text.data() + i);
      unsigned stop = byte_blocks::high_bits(b);
      if (line_end) stop |= byte_blocks::equal_bits(b, '\r') | byte_blocks::equal_bits(b, '\n');
      const std::size_t run = stop ? byte_blocks::lowest(stop) : byte_blocks::width;
      if (room_units - units >= byte_blocks::width) {
        byte_blocks::widen(b, out + 2 * units, big_endian);
      } else {
        for (std::size_t k = 0; k < run; ++k) {
          put_unit(out + 2 * (units + k), static_cast<unsigned char>(text[i + k]), big_endian);
        }
      }
      units += run;
      i += run;
      if (!stop) continue;
    }
    const char c = text[i];
    if (line_end && is_line_end(c)) {
      for (const char e : *line_end) unit(static_cast<unsigned char>(e));
      i += line_end_length(text, i);
    } else if (static_cast<unsigned char>(c) < 0x80) {
      unit(static_cast<unsigned char>(c));
      ++i;
    } else {
      const Decoded d = decode_utf8_at(text.substr(i));
      i += d.length;
      if (d.code_point >= 0x10000) {
        const char32_t v = d.code_point - 0x10000;
        unit(0xD800 + (v >> 10));
        unit(0xDC00 + (v & 0x3FF));
      } else {
        unit(d.code_point);
      }
    }
  }
  return units;
}

// The bytes of `text` in one of the four Unicode encodings, with each line
// end written as `line_end` (or kept, when there is none): sized exactly
// first, then written in one pass, so the bytes are allocated once and the
// converted text never exists on its own.
FileBytes unicode_bytes(std::string_view text, Encoding encoding, std::optional<std::string_view> line_end) {
  const std::string_view* converting = line_end ? &*line_end : nullptr;
  if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
    const bool big_endian = encoding == Encoding::Utf16Be;
    // No character has more UTF-16 units than UTF-8 bytes, so the count of
    // line ends is enough to size the bytes: at most a few too many for
    // text that is not all ASCII, never too few.
    std::size_t most = text.size();
    if (converting) {
      const TextScan ends = count_line_ends(text);
      most = most - ends.cr - ends.lf + ends.line_ends() * converting->size();
    }
    FileBytes out(2 * (most + 1));
    const std::size_t units = put_utf16(text, converting, put_unit(out.data(), 0xFEFF, big_endian), most, big_endian);
    out.resize(2 * (units + 1));
    return out;
  }
  const std::string_view mark = encoding == Encoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
  std::size_t size = text.size();
  if (converting) {
    const TextScan ends = count_line_ends(text);
    size = size - ends.cr - ends.lf + ends.line_ends() * converting->size();
  }
  FileBytes out(mark.size() + size);
  std::copy(mark.begin(), mark.end(), out.data());
  char* body = reinterpret_cast<char*>(out.data() + mark.size());
  if (converting) {
    put_lines(text, *converting, body, size);
  } else {
    std::copy(text.begin(), text.end(), body);
  }
  return out;
}

// The ANSI bytes of `text`, line ends replaced by `line_end` when there is
// one, or nothing when a character is not in the code page. Every ANSI code
// page of Windows keeps ASCII as it is and converts each character on its
// own (and none makes a CR or LF byte of anything else), so the ASCII runs
// are copied and only the characters between them go through the code page,
// which speaks UTF-16: neither the converted text nor the whole text in
// UTF-16 is ever made.
std::optional<FileBytes> ansi_bytes(std::string_view text, std::optional<std::string_view> line_end) {
  // No code page needs more bytes for a character than UTF-8 does, so this
  // is room enough; the bytes are allocated once and never grow.
  std::size_t room = text.size();
  if (line_end) {
    const TextScan ends = count_line_ends(text);
    room = room - ends.cr - ends.lf + ends.line_ends() * line_end->size();
  }
  FileBytes out(room);
  char* const start = reinterpret_cast<char*>(out.data());
  const std::optional<char*> end = put_bytes<true>(text, line_end ? &*line_end : nullptr, start, start + room);
  if (!end) {
    wipe_contents(out);
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(*end - start));
  return out;
}

EncodedText encode(std::string_view text, Encoding encoding, std::optional<Eol> eol) {
  std::optional<std::string_view> line_end;
  if (eol) line_end = sequence_of(*eol);
  if (encoding != Encoding::Ansi) return {unicode_bytes(text, encoding, line_end), encoding};
  if (text.empty()) return {{}, Encoding::Ansi};
  // A character the code page cannot hold exactly must not be saved as a
  // look-alike or a question mark: the text goes out as UTF-8 instead.
  if (std::optional<FileBytes> ansi = ansi_bytes(text, line_end)) {
    return {std::move(*ansi), Encoding::Ansi};
  }
  return {unicode_bytes(text, Encoding::Utf8, line_end), Encoding::Utf8};
}

}  // namespace

DecodedBytes decode_bytes(std::span<const std::uint8_t> bytes) {
  TextScan scan;
  if (starts_with(bytes, {0xEF, 0xBB, 0xBF})) {
    const std::string_view body = as_chars(bytes.subspan(3));
    if (std::optional<std::string> text = copy_valid_utf8(body, scan))
      return {std::move(*text), Encoding::Utf8Bom, false};
    bool lossy = false;
    std::string text = decode_utf8_lenient(body, lossy);
    return {std::move(text), Encoding::Utf8Bom, lossy};
  }
  if (starts_with(bytes, {0xFF, 0xFE})) return decode_utf16(bytes.subspan(2), false, Encoding::Utf16Le);
  if (starts_with(bytes, {0xFE, 0xFF})) return decode_utf16(bytes.subspan(2), true, Encoding::Utf16Be);

  if (std::optional<std::string> text = copy_valid_utf8(as_chars(bytes), scan)) {
    return {std::move(*text), Encoding::Utf8, false};
  }
  if (auto wide = ansi_to_utf16(as_chars(bytes), true)) return {to_utf8(*wide), Encoding::Ansi, false};
  if (auto wide = ansi_to_utf16(as_chars(bytes), false)) return {to_utf8(*wide), Encoding::Ansi, true};
  return {std::string(), Encoding::Ansi, true};
}

Result<void> reject_binary(std::string_view path, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return fail(not_text_message(path));
  return {};
}

Eol detect_eol(std::string_view text) { return count_line_ends(text).dominant_eol(); }

std::string convert_line_ends(std::string_view text, Eol eol) {
  // Sized exactly before anything is written: a string that grows would
  // leave copies of the text behind in freed memory.
  const std::string_view sequence = sequence_of(eol);
  const TextScan ends = count_line_ends(text);
  const std::size_t size = text.size() - ends.cr - ends.lf + ends.line_ends() * sequence.size();
  std::string out;
  out.resize_and_overwrite(size, [&](char* bytes, std::size_t) {
    put_lines(text, sequence, bytes, size);
    return size;
  });
  return out;
}

EncodedText encode_text(std::string_view text, Encoding encoding) { return encode(text, encoding, std::nullopt); }

EncodedText encode_text(std::string_view text, Eol eol, Encoding encoding) { return encode(text, encoding, eol); }

Result<DecodedText> decode_contents(std::string_view path, std::span<const std::uint8_t> bytes) {
  // The common case, a UTF-8 file with or without its mark, in one pass.
  const bool utf8_mark = starts_with(bytes, {0xEF, 0xBB, 0xBF});
  if (utf8_mark || (!starts_with(bytes, {0xFF, 0xFE}) && !starts_with(bytes, {0xFE, 0xFF}))) {
    TextScan scan;
    if (std::optional<std::string> text = copy_valid_utf8(as_chars(bytes.subspan(utf8_mark ? 3 : 0)), scan)) {
      if (scan.nul) return fail(not_text_message(path));
      return DecodedText{std::move(*text), utf8_mark ? Encoding::Utf8Bom : Encoding::Utf8, scan.dominant_eol(), false};
    }
  }
  DecodedBytes decoded = decode_bytes(bytes);
  if (auto refused = reject_binary(path, decoded.text); !refused) return fail(std::move(refused.error()));
  const Eol eol = detect_eol(decoded.text);
  return DecodedText{std::move(decoded.text), decoded.encoding, eol, decoded.lossy};
}

Result<DecodedText> decode_contents_in_place(std::string_view path, std::string&& bytes) {
  const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const bool utf8_mark = starts_with(view, {0xEF, 0xBB, 0xBF});
  if (utf8_mark || (!starts_with(view, {0xFF, 0xFE}) && !starts_with(view, {0xFE, 0xFF}))) {
    const TextScan scan = check_utf8(std::string_view(bytes).substr(utf8_mark ? 3 : 0));
    if (scan.valid) {
      if (scan.nul) return fail(not_text_message(path));
      if (utf8_mark) bytes.erase(0, 3);
      return DecodedText{std::move(bytes), utf8_mark ? Encoding::Utf8Bom : Encoding::Utf8, scan.dominant_eol(), false};
    }
  }
  return decode_contents(path, view);
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
