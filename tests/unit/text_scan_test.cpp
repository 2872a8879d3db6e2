// The whole-text passes go sixteen bytes (or 32) at a time; a character or
// a line end that sits across the edge of a block, or in the short block at
// the end, must come out as it would byte by byte. Each case puts one
// awkward piece at every offset of some ASCII text and holds the fast
// paths against plain byte-at-a-time answers written here.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"
#include "editor/save_plan.h"
#include "text/code_page.h"
#include "text/text_codec.h"

namespace {

std::vector<std::uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }

bool plainly_valid(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const Decoded d = decode_utf8_at(s.substr(i));
    if (!d.valid) return false;
    i += d.length;
  }
  return true;
}

Eol plain_eol(std::string_view s) {
  std::size_t crlf = 0, lf = 0, cr = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      ++crlf;
      ++i;
    } else if (s[i] == '\r') {
      ++cr;
    } else if (s[i] == '\n') {
      ++lf;
    }
  }
  if (lf > crlf && lf >= cr) return Eol::Lf;
  if (cr > crlf && cr > lf) return Eol::Cr;
  return Eol::CrLf;
}

std::string plain_convert(std::string_view s, std::string_view sequence) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') {
      out += s[i];
      continue;
    }
    out += sequence;
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
  return out;
}

std::string plain_utf16le(std::string_view s) {
  std::string out = "\xFF\xFE";
  auto unit = [&](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < s.size();) {
    const Decoded d = decode_utf8_at(s.substr(i));
    i += d.length;
    if (d.code_point >= 0x10000) {
      unit(0xD800 + ((d.code_point - 0x10000) >> 10));
      unit(0xDC00 + ((d.code_point - 0x10000) & 0x3FF));
    } else {
      unit(d.code_point);
    }
  }
  return out;
}

std::string as_string(std::span<const std::uint8_t> b) { return {b.begin(), b.end()}; }

TEST(TextScan, PiecesAcrossBlockEdgesComeOutAsByteByByte) {
  using namespace std::string_view_literals;
  const std::string_view pieces[] = {
      "\xC3\xA9",          // two bytes
      "\xE2\x82\xAC",      // three bytes
      "\xED\x9F\xBF",      // three bytes, the last before the surrogates
      "\xF0\x9F\x98\x80",  // four bytes, two UTF-16 units
      "\r",
      "\n",
      "\r\n",
      "\n\r",
      "\r\r\n",
      "\xFF",                     // never valid
      "\xE2\x82",                 // cut short
      "\xC3\xA9\xFF",             // a valid character, then an invalid byte
      "\xED\xA0\x80",             // a surrogate
      "\0"sv,                     // makes the file binary
      "\xC3\xA9\r\xE6\x97\xA5\n"  // several kinds in a row
  };
  const std::string ascii = "The quick brown fox jumps over the lazy dog, twice over!";
  for (const std::string_view piece : pieces) {
    for (std::size_t at = 0; at <= 50; ++at) {
      // Cut short at every length as well, so the piece also sits in the
      // last, padded block and right at the end.
      for (const std::size_t length : {at + piece.size(), at + piece.size() + 7, ascii.size() + piece.size()}) {
        std::string text = ascii;
        text.insert(at, piece);
        text.resize(std::min(length, text.size()));
        const std::string where = testing::PrintToString(text);

        const Result<DecodedText> opened = decode_contents("x.txt", bytes(text));
        if (text.find('\0') != std::string::npos) {
          EXPECT_FALSE(opened) << where;
        } else if (plainly_valid(text)) {
          ASSERT_TRUE(opened) << where;
          EXPECT_EQ(*opened, (DecodedText{text, Encoding::Utf8, plain_eol(text), false})) << where;
          const Result<DecodedText> marked = decode_contents("x.txt", bytes("\xEF\xBB\xBF" + text));
          ASSERT_TRUE(marked) << where;
          EXPECT_EQ(marked->text, text) << where;
          EXPECT_EQ(marked->encoding, Encoding::Utf8Bom) << where;
        } else {
          ASSERT_TRUE(opened) << where;
          EXPECT_EQ(opened->encoding, Encoding::Ansi) << where;
        }
        for (const std::string& file : {text, "\xEF\xBB\xBF" + text}) {
          // Opening a file gives its bytes up and decodes them in place.
          const Result<DecodedText> copied = decode_contents("x.txt", bytes(file));
          const Result<DecodedText> in_place = decode_contents_in_place("x.txt", std::string(file));
          ASSERT_EQ(in_place.has_value(), copied.has_value()) << where;
          if (copied) EXPECT_EQ(*in_place, *copied) << where;
        }
        EXPECT_EQ(is_valid_utf8(text), plainly_valid(text)) << where;
        EXPECT_EQ(detect_eol(text), plain_eol(text)) << where;

        EXPECT_EQ(convert_line_ends(text, Eol::CrLf), plain_convert(text, "\r\n")) << where;
        EXPECT_EQ(convert_line_ends(text, Eol::Lf), plain_convert(text, "\n")) << where;
        EXPECT_EQ(as_string(encode_text(text, Encoding::Utf16Le).bytes), plain_utf16le(text)) << where;
        EXPECT_EQ(as_string(file_bytes(text, Eol::CrLf, Encoding::Utf16Le).bytes),
                  plain_utf16le(plain_convert(text, "\r\n")))
            << where;
        EXPECT_EQ(as_string(file_bytes(text, Eol::Cr, Encoding::Utf8Bom).bytes),
                  "\xEF\xBB\xBF" + plain_convert(text, "\r"))
            << where;
        EXPECT_EQ(to_wide(text).size(), (plain_utf16le(text).size() - 2) / 2) << where;
        // ANSI goes through the code page only between the ASCII runs.
        const std::string lf = plain_convert(text, "\n");
        const std::optional<std::string> ansi = utf16_to_ansi(to_wide(lf));
        const EncodedText saved = file_bytes(text, Eol::Lf, Encoding::Ansi);
        EXPECT_EQ(as_string(saved.bytes), ansi.value_or(lf)) << where;
        EXPECT_EQ(saved.encoding, ansi || lf.empty() ? Encoding::Ansi : Encoding::Utf8) << where;
      }
    }
  }
}

// The counters of the line ends are added up every 255 blocks; a text far
// longer than that, with a line end in every block, is counted right.
TEST(TextScan, CountsLineEndsPastTheLaneLimit) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += i % 3 == 0 ? "abcdefghijklmn\r\n" : "abcdefghijklmno\n";
  EXPECT_EQ(detect_eol(text), Eol::Lf);
  EXPECT_EQ(convert_line_ends(text, Eol::Cr), plain_convert(text, "\r"));
  text += std::string(2001, '\r');
  EXPECT_EQ(detect_eol(text), Eol::Cr);
}

}  // namespace
