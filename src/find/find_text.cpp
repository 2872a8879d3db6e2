// The find bar's rules live here, away from the controls, so that matching
// can be tried on texts a test can spell out: characters whose lower case is
// longer, shorter or more than one character, replacements that are empty or
// contain the text sought, searches that have to wrap.

#include "find/find_text.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/secure_buffer.h"
#include "base/utf.h"
#include "find/lower_case.h"

namespace {

// The editor's texts are valid UTF-8 (they come from to_utf8); anything
// else is read the way the editor would show it, with U+FFFD for each
// invalid stretch, so that nothing here can fail.
template <class Visit>
void for_each_code_point(std::string_view text, Visit visit) {
  while (!text.empty()) {
    const Decoded decoded = decode_utf8_at(text);
    visit(decoded.code_point);
    text.remove_prefix(decoded.length);
  }
}

// The lower case of a selection is the document's text too: it is made at
// its largest size at once (a character lowers to at most three), so that
// it never moves, and its owner wipes it.
std::u32string lowered(std::string_view text) {
  std::u32string out;
  out.reserve(text.size() * 3);
  for_each_code_point(text, [&](char32_t c) { out += lower_case(c).view(); });
  return out;
}

// A character as matching sees it: itself when matching case, else its
// lower case. Two characters match exactly when their keys are equal, which
// makes matching an equivalence and lets the search below skip ahead.
LowerCase match_key(char32_t c, bool match_case) {
  if (!match_case) return lower_case(c);
  LowerCase key;
  key.characters[0] = c;
  key.size = 1;
  return key;
}

struct Match {
  std::size_t offset;  // bytes
  std::size_t length;
};

// The matches of the character walk (at each character: a match starting
// there is taken whole, otherwise the walk moves one character on), found in
// one pass with the Knuth-Morris-Pratt table instead of re-reading the text
// at every start: a find text of a's ending in b, over a long run of a's,
// would otherwise keep the program busy for seconds.
std::vector<Match> find_matches(std::string_view text, std::string_view find, bool match_case) {
  // The find text may be the document's (the field is filled from the
  // selection): sized at once, never moved, wiped at the end.
  Wiped<std::vector<LowerCase>> keys;
  keys->reserve(find.size());
  for_each_code_point(find, [&](char32_t c) { keys->push_back(match_key(c, match_case)); });
  const std::vector<LowerCase>& sought = *keys;
  const std::size_t n = sought.size();
  std::vector<Match> matches;
  if (n == 0) return matches;

  // fallback[k]: how much of the find text is still matched when a match of
  // k + 1 characters fails on the next one.
  std::vector<std::size_t> fallback(n, 0);
  for (std::size_t k = 1, matched = 0; k < n; ++k) {
    while (matched > 0 && sought[k] != sought[matched]) matched = fallback[matched - 1];
    if (sought[k] == sought[matched]) ++matched;
    fallback[k] = matched;
  }

  // Where each of the last n characters began, to find a match's start.
  std::vector<std::size_t> starts(n, 0);
  std::size_t matched = 0;
  std::size_t index = 0;
  for (std::size_t at = 0; at < text.size(); ++index) {
    const Decoded decoded = decode_utf8_at(text.substr(at));
    starts[index % n] = at;
    at += decoded.length;
    const LowerCase key = match_key(decoded.code_point, match_case);
    while (matched > 0 && key != sought[matched]) matched = fallback[matched - 1];
    if (key == sought[matched]) ++matched;
    if (matched == n) {
      const std::size_t begin = starts[(index + 1) % n];
      matches.push_back({begin, at - begin});
      matched = 0;  // matches do not overlap
    }
  }
  return matches;
}

}  // namespace

std::string replaced_message(std::size_t count) { return "Replaced " + std::to_string(count); }

bool fills_find_field(std::string_view selected) {
  if (selected.empty()) return false;
  // A find field is one line; a selection that crosses a line end is not
  // what anyone wants to search for. LF counts too, for text that reached
  // the editor with LF line ends.
  if (selected.find_first_of("\r\n") != std::string_view::npos) return false;
  std::size_t units = 0;
  for_each_code_point(selected, [&](char32_t c) { units += c > 0xFFFF ? 2 : 1; });
  return units <= FIND_PREFILL_LIMIT;
}

bool selection_matches(std::string_view selected, std::string_view find, bool match_case) {
  // Replacing an empty selection would insert the replacement where no
  // match is.
  if (selected.empty()) return false;
  if (match_case) return selected == find;
  // Whole strings, unlike Replace All: "İ" selected matches a find text of
  // "i" and a combining dot, since both lower to the same two characters.
  const Wiped<std::u32string> a(lowered(selected));
  const Wiped<std::u32string> b(lowered(find));
  return *a == *b;
}

ReplacedText replace_matches(std::string_view text, std::string_view find, std::string_view replacement,
                             bool match_case) {
  const std::vector<Match> matches = find_matches(text, find, match_case);
  if (matches.empty()) return {std::string(text), 0};

  // The new text is built once at its final size: the text is the user's,
  // possibly secret, and a string that grows step by step leaves copies of
  // it behind in freed memory.
  std::size_t matched_bytes = 0;
  for (const Match& match : matches) matched_bytes += match.length;
  std::string out;
  out.reserve(text.size() - matched_bytes + matches.size() * replacement.size());
  std::size_t copied = 0;
  for (const Match& match : matches) {
    out.append(text.substr(copied, match.offset - copied));
    out.append(replacement);
    copied = match.offset + match.length;
  }
  out.append(text.substr(copied));
  return {std::move(out), matches.size()};
}

std::optional<CharRange> find_with_wrap(CharRange selection, std::int32_t text_length, bool forward,
                                        const EditorSearch& search) {
  const std::int32_t start = std::min(selection.min, selection.max);
  const std::int32_t end = std::max(selection.min, selection.max);
  if (forward) {
    if (std::optional<CharRange> found = search({end, -1})) return found;
    return search({0, -1});
  }
  if (std::optional<CharRange> found = search({start, 0})) return found;
  return search({std::max(text_length, 0), 0});
}
