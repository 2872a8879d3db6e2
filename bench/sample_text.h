#pragma once
// The text every benchmark works on: prose that is mostly ASCII, with a
// non-ASCII character now and then (two-, three- and four-byte UTF-8, so
// every branch of a decoder runs) and Windows line ends, cut to an exact
// size. The same lines in the same order everywhere, so that the host
// figures and the Wine figures describe one kind of file.

#include <cstddef>
#include <string>
#include <string_view>

namespace bench {

inline constexpr std::string_view sample_lines[] = {
    "The quick brown fox jumps over the lazy dog, and the dog does not mind at all.\r\n",
    "Meeting notes, Tuesday: budget review moved to Thursday; bring the printed figures.\r\n",
    "Call Zo\xC3\xAB about the invoice before noon.\r\n",
    "\r\n",
    "- check the backup script, it failed twice last week\r\n",
    "- renew the domain (expires in March)\r\n",
    "Total so far: 1,284.50 \xE2\x82\xAC for travel, 310.00 for the hotel.\r\n",
    "A longer paragraph follows here, the kind people paste into a notepad and forget: it wraps "
    "across the window, carries a URL such as https://example.org/path?query=1, and ends.\r\n",
    "    indented line with\ttabs\tand trailing spaces   \r\n",
    "TODO: ask about the \xE6\x97\xA5\xE6\x9C\xAC office hours.\r\n",
    "Done \xF0\x9F\x98\x80 -- shipped on time.\r\n",
    "\r\n",
};

// The same lines with only characters of Windows-1252 (the ANSI code page
// of the host and of Wine), for saving as ANSI: a text the code page cannot
// hold goes out as UTF-8 instead.
inline constexpr std::string_view ansi_lines[] = {
    sample_lines[0], sample_lines[1], sample_lines[2], sample_lines[3], sample_lines[4], sample_lines[5],
    sample_lines[6], sample_lines[7], sample_lines[8],
    "TODO: ask M\xC3\xBCller about the na\xC3\xAFve office hours.\r\n",
    "Done \xE2\x80\xA6 shipped on time.\r\n",
    sample_lines[11],
};

// Exactly `size` bytes of the lines above, repeated (the last one may be
// cut, also in the middle of a character: a decoder must cope).
inline std::string sample_text(std::size_t size, bool ansi = false) {
  std::string text;
  text.reserve(size);
  while (text.size() < size) {
    for (std::string_view line : ansi ? ansi_lines : sample_lines) text.append(line);
  }
  text.resize(size);
  return text;
}

// About `size` bytes of whole lines: valid UTF-8 that ends its last line,
// as a file a user opens.
inline std::string whole_lines(std::size_t size, bool ansi = false) {
  std::string text = sample_text(size, ansi);
  text.resize(text.rfind('\n') + 1);
  return text;
}

// The same text as the editor hands it over: paragraph ends as single CRs.
inline std::string editor_form(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out.push_back(text[i] == '\n' ? '\r' : text[i]);
  }
  return out;
}

}  // namespace bench
