// The status bar's two texts, kept apart from its painting so that the
// counting (which end of a selection, columns in editor characters) and the
// joining can be checked without a window.

#include "ui/status_text.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view PART_GAP = "      ";

void append_part(std::string& text, std::string_view part) {
  if (!text.empty()) text += PART_GAP;
  text += part;
}

}  // namespace

CaretPlace caret_place(EditorCaretMetrics& editor) {
  // The left end of the selection, whichever way it was made, so that the
  // place shown does not jump when a selection is extended backwards.
  const SelectionEnds ends = editor.selection();
  const std::int64_t position = std::max<std::int64_t>(std::min(ends.start, ends.end), 0);
  if (ends.start == ends.end) {
    // Without a selection the place is the caret's, and its line's start
    // comes without asking for the line by number.
    const std::int64_t line_start = editor.caret_line_start();
    if (line_start >= 0 && line_start <= position) {
      const std::int64_t line = std::max<std::int64_t>(editor.line_from_char(line_start), 0);
      return {line + 1, position - line_start + 1};
    }
  }
  const std::int64_t line = std::max<std::int64_t>(editor.line_from_char(position), 0);
  // A failed line query must not show a column of 0 or less.
  const std::int64_t line_start = std::clamp<std::int64_t>(editor.line_index(line), 0, position);
  return {line + 1, position - line_start + 1};
}

StatusTexts status_texts(const StatusFacts& facts) {
  if (!facts.has_active_tab) return {};
  StatusTexts texts;
  texts.left = "Ln " + std::to_string(facts.caret.line) + ", Col " + std::to_string(facts.caret.column);
  if (facts.hidden_from_capture) append_part(texts.right, "Hidden from Screen Capture");
  append_part(texts.right, std::to_string(facts.zoom) + "%");
  append_part(texts.right, display_name(facts.eol));
  append_part(texts.right, display_name(facts.encoding));
  return texts;
}
