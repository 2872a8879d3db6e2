#pragma once
// Where the controls of the message box and the prompt go, as functions of
// measured text sizes and counts. The windows only measure, call these and
// create what comes back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/control_spec.h"

struct PixelRect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const PixelRect&) const = default;
};

// A spec's rectangle in pixels of a window at `dpi`.
PixelRect scaled_rect(const ControlSpec& spec, std::uint32_t dpi);

// A dialog window: its outer size at 96 DPI and its controls.
struct DialogLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<ControlSpec> controls;
};

// Message box ids and sizes.
inline constexpr std::int32_t MESSAGE_TEXT_WIDTH = 306;
inline constexpr std::int32_t MESSAGE_MIN_TEXT_HEIGHT = 32;
inline constexpr std::int32_t MESSAGE_FIRST_BUTTON_ID = 5000;
inline constexpr std::int32_t MESSAGE_ICON_MARGIN = 12;
inline constexpr std::int32_t MESSAGE_ICON_SIZE = 32;

// `text` is the message (borrowed), `text_height` its wrapped height at
// MESSAGE_TEXT_WIDTH; `buttons` are borrowed captions, left to right.
DialogLayout message_box_layout(const wchar_t* text, std::int32_t text_height, std::span<const std::wstring> buttons);

// The answer a command id gives while a box with `button_count` buttons is
// open: the index of the pressed button, the cancel value for IDCANCEL (Esc
// or the close box), nothing for any other id.
std::optional<std::size_t> message_box_answer(std::int32_t command_id, std::size_t button_count,
                                              std::size_t cancel_index);

// Prompt ids.
inline constexpr std::int32_t PROMPT_FIRST_FIELD_ID = 4000;
inline constexpr std::int32_t PROMPT_ERROR_ID = 4010;
inline constexpr std::int32_t PROMPT_OK_ID = 4011;
inline constexpr std::int32_t PROMPT_EXTRA_ID = 4012;
inline constexpr std::int32_t PROMPT_CANCEL_ID = 2;  // IDCANCEL, so Esc cancels
inline constexpr std::size_t PROMPT_NUMERIC_LIMIT = 9;

struct PromptTexts {
  std::span<const std::wstring> labels;
  const wchar_t* ok_text = L"";
  const wchar_t* cancel_text = L"";
  const wchar_t* extra_text = nullptr;  // null: no third button
  bool numeric = false;
};

DialogLayout prompt_layout(const PromptTexts& texts);
