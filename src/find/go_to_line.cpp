// The line number comes from a field that takes digits only when typed, but
// anything can be pasted into it; this is where every such text gets its
// answer, in words of the program's own, before the editor is asked.

#include "find/go_to_line.h"

#include <optional>
#include <string>

#include "base/utf.h"

namespace {

constexpr std::string_view msg_type_a_line_number = "Type a line number.";
constexpr std::string_view msg_no_such_line = "There is no such line.";

// The characters with the Unicode White_Space property.
bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u32string code_points(std::string_view text) {
  std::u32string out;
  while (!text.empty()) {
    const Decoded decoded = decode_utf8_at(text);
    out.push_back(decoded.code_point);
    text.remove_prefix(decoded.length);
  }
  return out;
}

// A signed 32-bit decimal number: an optional ASCII sign, then ASCII digits
// only. Anything else, a lone sign included, and any number out of range
// is no number at all.
std::optional<std::int32_t> parse_int32(std::u32string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == U'+' || text.front() == U'-')) {
    negative = text.front() == U'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (const char32_t c : text) {
    if (c < U'0' || c > U'9') return std::nullopt;
    magnitude = magnitude * 10 + (c - U'0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

PromptSpec go_to_line_prompt() {
  return {.title = "Go To Line",
          .labels = {"Line number:"},
          .ok_text = "Go To",
          .cancel_text = "Cancel",
          .extra_text = std::nullopt,
          .numeric = true};
}

Result<std::int32_t> go_to_line_position(std::string_view entered, const LineStart& line_start) {
  const std::u32string text = code_points(entered);
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && is_white_space(text[first])) ++first;
  while (last > first && is_white_space(text[last - 1])) --last;
  const std::optional<std::int32_t> line = parse_int32(std::u32string_view(text).substr(first, last - first));
  if (!line) return fail(std::string(msg_type_a_line_number));
  if (*line < 1) return fail(std::string(msg_no_such_line));
  const std::int32_t position = line_start ? line_start(*line - 1) : -1;
  if (position < 0) return fail(std::string(msg_no_such_line));
  return position;
}

Result<void> go_to_line_validator(void* context, std::span<const SecureBuffer> texts) {
  const auto& editor = *static_cast<const GoToLineEditor*>(context);
  // The prompt always passes its one field; an empty list is read as an
  // empty entry rather than out of range.
  const Result<std::int32_t> position = go_to_line_position(texts.empty() ? "" : texts[0].view(), editor.line_start);
  if (!position) return fail(position.error());
  if (editor.place_caret) editor.place_caret(*position);
  return {};
}
