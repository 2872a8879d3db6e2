#pragma once
// What the find bar decides without a window: whether a selection may fill
// the find field, whether the selection is the text sought, the text after
// replacing every match, the order of the editor's searches with the wrap
// to the other end, and the words of the result label.
//
// Texts are UTF-8. Positions are the editor's own (UTF-16 code units, a
// paragraph end being its single CR): the ones these functions hand back
// came from the editor in the first place, so the Win32 layer applies them
// unchanged.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view msg_not_found = "Not found";

// The label after Replace All: "Replaced 3", also "Replaced 0".
std::string replaced_message(std::size_t count);

// Whether the find field takes `selected` (what get_selected_text gave) as
// its new text when the bar opens; if not, it stays as it was: an empty
// selection, one over a line end, or one longer than the selection the
// editor hands out.
inline constexpr std::size_t FIND_PREFILL_LIMIT = 1000;  // UTF-16 units, as the editor counts
bool fills_find_field(std::string_view selected);

// Whether Replace may put the replacement over `selected`: the same text
// when matching case; otherwise a non-empty selection whose whole lower-case
// form equals that of `find`.
bool selection_matches(std::string_view selected, std::string_view find, bool match_case);

struct ReplacedText {
  std::string text;
  std::size_t count = 0;
};

// Replace All: every match of `find` in `text`, left to right and not
// overlapping, becomes `replacement`. Characters (code points) match when
// equal or, unless matching case, when their lower-case forms are, one
// character against one. `text` comes back unchanged with a count of 0 when
// nothing matched or `find` is empty.
ReplacedText replace_matches(std::string_view text, std::string_view find, std::string_view replacement,
                             bool match_case);

// A range of the editor's text. For a search it is what the control's search
// takes: `min` is where the search starts and `max` where it stops (-1: the
// end), so a backward search has min >= max.
struct CharRange {
  std::int32_t min = 0;
  std::int32_t max = 0;
  bool operator==(const CharRange&) const = default;
};

// One search by the control's own rules over `range`: the range of the
// match, or nothing.
using EditorSearch = std::function<std::optional<CharRange>(CharRange range)>;

// Find Next (forward) or Previous from `selection`: first the stretch from
// the selection to that end of the text, then, only if that found nothing,
// the whole text from the other end. `text_length` is the editor's (a
// negative one counts as 0). The match to select, or nothing.
std::optional<CharRange> find_with_wrap(CharRange selection, std::int32_t text_length, bool forward,
                                        const EditorSearch& search);
