#pragma once
// Whole texts in one pass, sixteen bytes at a time: the line ends a file
// has, whether it holds a NUL, whether it is valid UTF-8, and its copy,
// all found while its bytes go by once. Opening a file used to make four
// passes over it (check, copy, NUL, line ends); counting line ends is also
// how the saving code sizes its output exactly.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/text_types.h"

// What a pass over a text finds besides its bytes: its line ends (every
// CR, every LF, and the CR LF pairs among them), whether it holds a NUL,
// and whether it is valid UTF-8 (when asked; the pass stops at the first
// invalid sequence).
struct TextScan {
  std::size_t cr = 0;
  std::size_t lf = 0;
  std::size_t pairs = 0;
  bool nul = false;
  bool valid = true;

  std::size_t line_ends() const { return cr + lf - pairs; }
  // The rule of detect_eol, ties included.
  Eol dominant_eol() const {
    const std::size_t crlf = pairs, lone_lf = lf - pairs, lone_cr = cr - pairs;
    if (lone_lf > crlf && lone_lf >= lone_cr) return Eol::Lf;
    if (lone_cr > crlf && lone_cr > lone_lf) return Eol::Cr;
    return Eol::CrLf;
  }
};

// The line ends of `text` (`nul` and `valid` are not looked at).
TextScan count_line_ends(std::string_view text);

// The line ends of `text`, whether it holds a NUL and whether it is valid
// UTF-8, without a copy.
TextScan check_utf8(std::string_view text);

// `body` as text when it is valid UTF-8, with `scan` filled in; nothing
// (and `scan` as far as it got) at the first invalid sequence.
std::optional<std::string> copy_valid_utf8(std::string_view body, TextScan& scan);
