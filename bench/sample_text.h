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

// Exactly `size` bytes of the lines above, repeated (the last one may be
// cut, also in the middle of a character: a decoder must cope).
inline std::string sample_text(std::size_t size) {
  std::string text;
  text.reserve(size);
  while (text.size() < size) {
    for (std::string_view line : sample_lines) text.append(line);
  }
  text.resize(size);
  return text;
}

// About `size` bytes of whole lines: valid UTF-8 that ends its last line,
// as a file a user opens.
inline std::string whole_lines(std::size_t size) {
  std::string text = sample_text(size);
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
