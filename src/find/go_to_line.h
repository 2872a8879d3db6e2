#pragma once
// Go to line: the prompt, and the check of its answer that turns a typed
// line number into the editor position of that line's first character. The
// editor is reached through the functions in the context, so every answer
// can be tried without a window.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "base/result.h"
#include "base/secure_buffer.h"
#include "ui/prompt_spec.h"

PromptSpec go_to_line_prompt();

// The first position of the zero-based `line` in the editor's own numbering
// and units (EM_LINEINDEX), negative when the editor has no such line.
using LineStart = std::function<std::int32_t(std::int32_t line)>;

// The position the caret goes to for the `entered` line number (1 is the
// first line), or the message for the prompt: "Type a line number." for
// anything but a whole number, "There is no such line." for one the editor
// does not have.
[[nodiscard]] Result<std::int32_t> go_to_line_position(std::string_view entered, const LineStart& line_start);

// Context of go_to_line_validator: the active editor.
struct GoToLineEditor {
  LineStart line_start;
  // Puts an empty selection at the position and scrolls it into view.
  std::function<void(std::int32_t position)> place_caret;
};

// One field, the line number. An accepted one has moved the caret.
[[nodiscard]] Result<void> go_to_line_validator(void* context, std::span<const SecureBuffer> texts);
