// The ANSI expectations assume code page 1252: the host's table, and the
// system code page under Wine.

#include "text/text_codec.h"

#include <gtest/gtest.h>

#include "base/utf.h"
#include "text/code_page.h"

namespace {

std::vector<std::uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::string hex(std::span<const std::uint8_t> data) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const auto b : data) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string hex(std::string_view s) { return hex(bytes(s)); }

// "\xEF\xBF\xBD", U+FFFD in UTF-8, spelled short for the tables.
#define FFFD "\xEF\xBF\xBD"

struct DecodeCase {
  std::string_view input;
  std::string_view text;
  Encoding encoding;
  bool lossy;
};

void expect_decodes(std::span<const DecodeCase> cases) {
  for (const auto& c : cases) {
    const DecodedBytes decoded = decode_bytes(bytes(c.input));
    EXPECT_EQ(hex(decoded.text), hex(c.text)) << "input: " << hex(c.input);
    EXPECT_EQ(display_name(decoded.encoding), display_name(c.encoding)) << "input: " << hex(c.input);
    EXPECT_EQ(decoded.lossy, c.lossy) << "input: " << hex(c.input);
  }
}

TEST(TextDecoding, RecognisesMarksThenUtf8ThenAnsi) {
  const DecodeCase cases[] = {
      {"", "", Encoding::Utf8, false},
      {"plain", "plain", Encoding::Utf8, false},
      {"h\xC3\xA9llo \xF0\x9F\x98\x80", "h\xC3\xA9llo \xF0\x9F\x98\x80", Encoding::Utf8, false},
      {"\xEF\xBB\xBF", "", Encoding::Utf8Bom, false},
      {"\xEF\xBB\xBFx\r\ny", "x\r\ny", Encoding::Utf8Bom, false},
      {"\xEF\xBB\xBF\xEF\xBB\xBF", "\xEF\xBB\xBF", Encoding::Utf8Bom, false},
      {"\xEF\xBB\xBFx\xFF", "x" FFFD, Encoding::Utf8Bom, true},
      // The UTF-8 mark wins over a UTF-16 mark that follows it.
      {"\xEF\xBB\xBF\xFF\xFE", FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xFF\xFE", "", Encoding::Utf16Le, false},
      {"\xFE\xFF", "", Encoding::Utf16Be, false},
      {std::string_view("\xFF\xFE"
                        "A\0\xE9\0",
                        6),
       "A\xC3\xA9", Encoding::Utf16Le, false},
      {std::string_view("\xFE\xFF\0A\0\xE9", 6), "A\xC3\xA9", Encoding::Utf16Be, false},
      // Marks that are cut short are just bytes.
      {"\xEF\xBB", "\xC3\xAF\xC2\xBB", Encoding::Ansi, false},
      {"\xFE", "\xC3\xBE", Encoding::Ansi, false},
      // Valid in Windows-1252, not in UTF-8.
      {"caf\xE9", "caf\xC3\xA9", Encoding::Ansi, false},
      {"\x80 \x81\x9F", "\xE2\x82\xAC \xC2\x81\xC5\xB8", Encoding::Ansi, false},
      // Without a mark, broken UTF-8 is not repaired: it is ANSI text.
      {"\xC0\xAF", "\xC3\x80\xC2\xAF", Encoding::Ansi, false},
      {"ok \xE2\x82", "ok \xC3\xA2\xE2\x80\x9A", Encoding::Ansi, false},
  };
  expect_decodes(cases);
}

TEST(TextDecoding, Utf16HandlesSurrogatesAndOddLengths) {
  using namespace std::string_view_literals;
  const DecodeCase cases[] = {
      {"\xFF\xFE"
       "A"sv,
       "", Encoding::Utf16Le, true},
      {"\xFF\xFE"
       "A\0B"sv,
       "A", Encoding::Utf16Le, true},
      {"\xFE\xFF\0A\0"sv, "A", Encoding::Utf16Be, true},
      // A pair is one character, in either byte order.
      {"\xFF\xFE\x3D\xD8\x00\xDE"sv, "\xF0\x9F\x98\x80", Encoding::Utf16Le, false},
      {"\xFE\xFF\xD8\x3D\xDE\x00"sv, "\xF0\x9F\x98\x80", Encoding::Utf16Be, false},
      // Unpaired halves become U+FFFD each, and the rest survives.
      {"\xFF\xFE\x00\xD8"
       "A\0"sv,
       FFFD "A", Encoding::Utf16Le, true},
      {"\xFF\xFE"
       "A\0\x00\xDC"sv,
       "A" FFFD, Encoding::Utf16Le, true},
      {"\xFE\xFF\xD8\x3D"sv, FFFD, Encoding::Utf16Be, true},
      {"\xFE\xFF\xDE\x00\xD8\x3D"sv, FFFD FFFD, Encoding::Utf16Be, true},
      {"\xFF\xFE\x3D\xD8\x3D\xD8\x00\xDE"sv, FFFD "\xF0\x9F\x98\x80", Encoding::Utf16Le, true},
      // A pair cut by the odd end: the high half is unpaired, the byte dropped.
      {"\xFF\xFE\x3D\xD8\x00"sv, FFFD, Encoding::Utf16Le, true},
  };
  expect_decodes(cases);
}

// Behind the UTF-8 mark, each maximal invalid subpart becomes one U+FFFD.
TEST(TextDecoding, LenientUtf8ReplacesMaximalSubparts) {
  const DecodeCase cases[] = {
      // The Unicode Standard's own example.
      {"\xEF\xBB\xBF"
       "a\xF1\x80\x80\xE1\x80\xC2"
       "b\x80"
       "c\x80\xBF"
       "d",
       "a" FFFD FFFD FFFD "b" FFFD "c" FFFD FFFD "d", Encoding::Utf8Bom, true},
      // Truncated sequences followed by more text.
      {"\xEF\xBB\xBF\xE2\x82"
       "A",
       FFFD "A", Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xF0\x9F\x98"
       "A",
       FFFD "A", Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xC3"
       "A",
       FFFD "A", Encoding::Utf8Bom, true},
      // Cut by the end of the file.
      {"\xEF\xBB\xBF"
       "A\xF0\x9F\x98",
       "A" FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF"
       "A\xE2",
       "A" FFFD, Encoding::Utf8Bom, true},
      // Overlong forms: every byte on its own.
      {"\xEF\xBB\xBF\xC0\xAF", FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xC1\xBF", FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xE0\x80\xAF", FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xF0\x80\x80\xAF", FFFD FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      // Surrogates and values past U+10FFFF.
      {"\xEF\xBB\xBF\xED\xA0\x80", FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xED\xBF\xBF", FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xF4\x90\x80\x80", FFFD FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      // Bytes that never occur in UTF-8.
      {"\xEF\xBB\xBF\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF",
       FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      {"\xEF\xBB\xBF\xF8\x88\x80\x80\x80", FFFD FFFD FFFD FFFD FFFD, Encoding::Utf8Bom, true},
      // Lone continuation bytes.
      {"\xEF\xBB\xBF\x80\xBF", FFFD FFFD, Encoding::Utf8Bom, true},
      // The edges of the valid ranges stay text.
      {"\xEF\xBB\xBF\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF\xF0\x90\x80\x80",
       "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF\xF0\x90\x80\x80", Encoding::Utf8Bom, false},
  };
  expect_decodes(cases);
}

TEST(TextDecoding, TheValidityCheckFindsABadByteWhereverItSits) {
  for (const char* valid : {"", "plain", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(is_valid_utf8(valid)) << valid;
  }
  for (const char* invalid : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "\xFF"}) {
    EXPECT_FALSE(is_valid_utf8(invalid)) << invalid;
  }
  // ASCII is skipped eight bytes at a time: a stray byte (or a valid
  // sequence) at any offset of those chunks, and at the very end, counts.
  for (std::size_t at = 0; at < 24; ++at) {
    std::string text(24, 'a');
    text[at] = '\xE9';
    EXPECT_FALSE(is_valid_utf8(text)) << at;
    text.replace(at, 1, "\xC3\xA9");
    EXPECT_TRUE(is_valid_utf8(text)) << at;
    text.replace(at, 2, "\xE2\x82");
    EXPECT_FALSE(is_valid_utf8(text)) << "cut at " << at;
  }
}

TEST(TextDecoding, RefusesTextHoldingNul) {
  using namespace std::string_view_literals;
  const std::string_view refused[] = {
      "a\0b"sv,
      "\0"sv,
      // UTF-16 without a mark reads as UTF-8 full of NULs.
      "h\0i\0"sv,
      "\xFF\xFE\0\0"sv,
      "\xEF\xBB\xBF\0"sv,
      "\xE9\0"sv,
  };
  for (const auto input : refused) {
    const auto result = decode_contents("C:\\notes\\data.bin", bytes(input));
    ASSERT_FALSE(result) << hex(input);
    EXPECT_EQ(result.error(), "C:\\notes\\data.bin is not a text file.");
  }
  const auto opened = decode_contents("C:\\notes\\a.txt", bytes("\xEF\xBB\xBFone\ntwo\n"));
  ASSERT_TRUE(opened);
  EXPECT_EQ(*opened, (DecodedText{"one\ntwo\n", Encoding::Utf8Bom, Eol::Lf, false}));
  const auto empty = decode_contents("C:\\notes\\empty.txt", {});
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, (DecodedText{"", Encoding::Utf8, Eol::CrLf, false}));
}

TEST(TextDecoding, FailureMessagesReadAsTheSystemsOwn) {
  EXPECT_EQ(open_failure_message("C:\\x\\gone.txt", "The system cannot find the file specified.", 2),
            "C:\\x\\gone.txt could not be opened.\n\nThe system cannot find the file specified. (os error 2)");
  EXPECT_EQ(not_text_message("D:\\caf\xC3\xA9.bin"), "D:\\caf\xC3\xA9.bin is not a text file.");
}

TEST(LineEnds, DetectsTheDominantStyleWithItsTies) {
  struct Case {
    std::string_view text;
    Eol eol;
  };
  const Case cases[] = {
      {"", Eol::CrLf},
      {"no line end", Eol::CrLf},
      {"a\r\nb", Eol::CrLf},
      {"a\nb", Eol::Lf},
      {"a\rb", Eol::Cr},
      {"a\rb\r", Eol::Cr},
      {"a\r\nb\r", Eol::CrLf},          // crlf 1 = cr 1 (a CR at the very end counts)
      {"\r\n\n\n", Eol::Lf},            // lf 2 > crlf 1
      {"\r\n\n", Eol::CrLf},            // lf 1 = crlf 1
      {"\r\r\n", Eol::CrLf},            // cr 1 = crlf 1
      {"\r\r\n\r", Eol::Cr},            // cr 2 > crlf 1
      {"a\rb\rc\n", Eol::Cr},           // cr 2 > lf 1
      {"a\rb\n", Eol::Lf},              // lf 1 = cr 1 > crlf 0
      {"\n\r", Eol::Lf},                // LF then CR is not a pair
      {"\r\n\r\n\n\n\r\r", Eol::CrLf},  // all three 2
      {"\r\n\n\n\r\r\r", Eol::Cr},      // cr 3 > lf 2 > crlf 1
      {"\r\n\n\n\r\r", Eol::Lf},        // lf 2 = cr 2 > crlf 1
  };
  for (const auto& c : cases) {
    EXPECT_EQ(display_name(detect_eol(c.text)), display_name(c.eol)) << hex(c.text);
  }
}

TEST(LineEnds, ConvertsEveryKindToOneStyle) {
  struct Case {
    std::string_view text;
    std::string_view crlf, lf, cr;
  };
  const Case cases[] = {
      {"", "", "", ""},
      {"no line end", "no line end", "no line end", "no line end"},
      {"a\r\nb\rc\nd", "a\r\nb\r\nc\r\nd", "a\nb\nc\nd", "a\rb\rc\rd"},
      {"\n\r", "\r\n\r\n", "\n\n", "\r\r"},
      {"\r\r\n\n", "\r\n\r\n\r\n", "\n\n\n", "\r\r\r"},
      {"end\r", "end\r\n", "end\n", "end\r"},
      {"\xC3\xA9\r\xF0\x9F\x98\x80", "\xC3\xA9\r\n\xF0\x9F\x98\x80", "\xC3\xA9\n\xF0\x9F\x98\x80",
       "\xC3\xA9\r\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hex(convert_line_ends(c.text, Eol::CrLf)), hex(c.crlf)) << hex(c.text);
    EXPECT_EQ(hex(convert_line_ends(c.text, Eol::Lf)), hex(c.lf)) << hex(c.text);
    EXPECT_EQ(hex(convert_line_ends(c.text, Eol::Cr)), hex(c.cr)) << hex(c.text);
  }
}

TEST(TextEncoding, WritesEachEncodingsBytes) {
  struct Case {
    std::string_view text;
    Encoding asked;
    std::string_view written;
    Encoding used;
  };
  using namespace std::string_view_literals;
  const Case cases[] = {
      {"x", Encoding::Utf8, "x", Encoding::Utf8},
      {"x", Encoding::Utf8Bom, "\xEF\xBB\xBFx", Encoding::Utf8Bom},
      {"x", Encoding::Utf16Le, "\xFF\xFEx\0"sv, Encoding::Utf16Le},
      {"x", Encoding::Utf16Be, "\xFE\xFF\0x"sv, Encoding::Utf16Be},
      {"", Encoding::Utf8Bom, "\xEF\xBB\xBF", Encoding::Utf8Bom},
      {"", Encoding::Utf16Le, "\xFF\xFE", Encoding::Utf16Le},
      {"\xC3\xA9\xF0\x9F\x98\x80", Encoding::Utf16Le, "\xFF\xFE\xE9\0\x3D\xD8\x00\xDE"sv, Encoding::Utf16Le},
      {"\xC3\xA9\xF0\x9F\x98\x80", Encoding::Utf16Be, "\xFE\xFF\0\xE9\xD8\x3D\xDE\x00"sv, Encoding::Utf16Be},
      {"", Encoding::Ansi, "", Encoding::Ansi},
      {"caf\xC3\xA9 \xE2\x82\xAC", Encoding::Ansi, "caf\xE9 \x80", Encoding::Ansi},
      {"\xC2\x81", Encoding::Ansi, "\x81", Encoding::Ansi},
      // Outside the code page: written as UTF-8 without a mark instead.
      {"caf\xC3\xA9 \xC4\x81", Encoding::Ansi, "caf\xC3\xA9 \xC4\x81", Encoding::Utf8},
      // A character with a look-alike in the code page is not replaced by it.
      {"\xC4\x80", Encoding::Ansi, "\xC4\x80", Encoding::Utf8},
      {"\xE2\x88\x9E", Encoding::Ansi, "\xE2\x88\x9E", Encoding::Utf8},
      {"\xF0\x9F\x98\x80", Encoding::Ansi, "\xF0\x9F\x98\x80", Encoding::Utf8},
  };
  for (const auto& c : cases) {
    const EncodedText encoded = encode_text(c.text, c.asked);
    EXPECT_EQ(hex(encoded.bytes), hex(c.written)) << hex(c.text) << " as " << display_name(c.asked);
    EXPECT_EQ(display_name(encoded.encoding), display_name(c.used)) << hex(c.text) << " as " << display_name(c.asked);
  }
}

// What the program writes, it reads back as the same text and encoding.
TEST(TextEncoding, SavedFilesOpenAsTheyWereSaved) {
  const std::string_view texts[] = {
      "",
      "x",
      "line one\r\nline two\r\n",
      "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xE6\x97\xA5\xE6\x9C\xAC",
      "\xEF\xBB\xBF starts with its own mark",
  };
  for (const auto text : texts) {
    for (const Encoding encoding : {Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16Be}) {
      const DecodedBytes decoded = decode_bytes(encode_text(text, encoding).bytes);
      EXPECT_EQ(decoded, (DecodedBytes{std::string(text), encoding, false})) << hex(text);
    }
  }
  const EncodedText ansi = encode_text("na\xC3\xAFve \xE2\x80\x94 \xC2\xB1", Encoding::Ansi);
  EXPECT_EQ(decode_bytes(ansi.bytes), (DecodedBytes{"na\xC3\xAFve \xE2\x80\x94 \xC2\xB1", Encoding::Ansi, false}));
}

// The host's table and the real code page must agree wherever 1252 has a
// surprise: the euro, the five bytes without a character, the last byte.
TEST(AnsiCodePage, MatchesWindows1252) {
  struct Case {
    char byte;
    char16_t unit;
  };
  const Case cases[] = {{'\x80', 0x20AC}, {'\x81', 0x0081}, {'\x8D', 0x008D}, {'\x8F', 0x008F}, {'\x90', 0x0090},
                        {'\x9D', 0x009D}, {'\x9F', 0x0178}, {'\xA0', 0x00A0}, {'\xE9', 0x00E9}, {'\xFF', 0x00FF}};
  for (const auto& c : cases) {
    const auto wide = ansi_to_utf16(std::string(1, c.byte), true);
    ASSERT_TRUE(wide) << hex(std::string(1, c.byte));
    EXPECT_EQ(*wide, std::wstring(1, static_cast<wchar_t>(c.unit))) << hex(std::string(1, c.byte));
    EXPECT_EQ(utf16_to_ansi(std::wstring(1, static_cast<wchar_t>(c.unit))), std::string(1, c.byte));
  }
  EXPECT_EQ(utf16_to_ansi(L"A\x0100"), std::nullopt);
  EXPECT_EQ(utf16_to_ansi(L""), std::string());
}

#undef FFFD

}  // namespace
