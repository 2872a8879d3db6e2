// Geometry of the program's own modal dialogs. Everything is in 96-DPI
// units; scaling happens once, per control, when the window is built.

#include "ui/dialog_layout.h"

#include "ui/dpi.h"

PixelRect scaled_rect(const ControlSpec& spec, std::uint32_t dpi) {
  return {scale_for_dpi(spec.x, dpi), scale_for_dpi(spec.y, dpi), scale_for_dpi(spec.width, dpi),
          scale_for_dpi(spec.height, dpi)};
}

namespace {

// Buttons of the message box stand in one row, right-aligned, 4 units apart.
constexpr std::int32_t button_width = 84;
constexpr std::int32_t button_height = 26;
constexpr std::int32_t button_pitch = 88;
constexpr std::int32_t button_row_end = 366;  // the last button ends 4 before it
constexpr std::int32_t text_left = 56;        // right of the icon
constexpr std::int32_t top_margin = 12;

}  // namespace

DialogLayout message_box_layout(const wchar_t* text, std::int32_t text_height, std::span<const std::wstring> buttons) {
  const std::int32_t h = text_height < MESSAGE_MIN_TEXT_HEIGHT ? MESSAGE_MIN_TEXT_HEIGHT : text_height;
  DialogLayout layout;
  layout.width = 390;
  layout.height = h + 112;
  layout.controls.push_back({.kind = ControlKind::Label,
                             .text = text,
                             .id = 0,
                             .x = text_left,
                             .y = top_margin,
                             .width = MESSAGE_TEXT_WIDTH,
                             .height = h});
  const auto n = static_cast<std::int32_t>(buttons.size());
  for (std::int32_t i = 0; i < n; ++i) {
    layout.controls.push_back({.kind = ControlKind::Button,
                               .text = buttons[static_cast<std::size_t>(i)].c_str(),
                               .id = MESSAGE_FIRST_BUTTON_ID + i,
                               .x = button_row_end - (n - i) * button_pitch,
                               .y = h + 32,
                               .width = button_width,
                               .height = button_height});
  }
  return layout;
}

std::optional<std::size_t> message_box_answer(std::int32_t command_id, std::size_t button_count,
                                              std::size_t cancel_index) {
  if (command_id == 2) return cancel_index;  // IDCANCEL
  if (command_id >= MESSAGE_FIRST_BUTTON_ID &&
      static_cast<std::size_t>(command_id - MESSAGE_FIRST_BUTTON_ID) < button_count) {
    return static_cast<std::size_t>(command_id - MESSAGE_FIRST_BUTTON_ID);
  }
  return std::nullopt;
}

DialogLayout prompt_layout(const PromptTexts& texts) {
  constexpr std::int32_t row = 52;  // one label and its field
  constexpr std::int32_t left = 12;
  constexpr std::int32_t field_width = 300;
  const auto n = static_cast<std::int32_t>(texts.labels.size());
  const std::int32_t f = row * n;

  DialogLayout layout;
  layout.width = 340;
  layout.height = f + 120;
  for (std::int32_t i = 0; i < n; ++i) {
    layout.controls.push_back({.kind = ControlKind::Label,
                               .text = texts.labels[static_cast<std::size_t>(i)].c_str(),
                               .x = left,
                               .y = 12 + row * i,
                               .width = field_width,
                               .height = 18});
    layout.controls.push_back({.kind = texts.numeric ? ControlKind::ShortEdit : ControlKind::PasswordEdit,
                               .flag = texts.numeric,
                               .limit = texts.numeric ? PROMPT_NUMERIC_LIMIT : PASSWORD_LIMIT,
                               .id = PROMPT_FIRST_FIELD_ID + i,
                               .x = left,
                               .y = 32 + row * i,
                               .width = field_width,
                               .height = 24});
  }
  layout.controls.push_back(
      {.kind = ControlKind::Label, .id = PROMPT_ERROR_ID, .x = left, .y = f + 12, .width = field_width, .height = 18});
  if (texts.extra_text) {
    layout.controls.push_back({.kind = ControlKind::Button,
                               .text = texts.extra_text,
                               .id = PROMPT_EXTRA_ID,
                               .x = left,
                               .y = f + 40,
                               .width = 104,
                               .height = 26});
  }
  layout.controls.push_back({.kind = ControlKind::Button,
                             .text = texts.ok_text,
                             .id = PROMPT_OK_ID,
                             .x = 140,
                             .y = f + 40,
                             .width = 84,
                             .height = 26});
  layout.controls.push_back({.kind = ControlKind::Button,
                             .text = texts.cancel_text,
                             .id = PROMPT_CANCEL_ID,
                             .x = 228,
                             .y = f + 40,
                             .width = 84,
                             .height = 26});
  return layout;
}
