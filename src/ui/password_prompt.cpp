// The prompt window (class NimbolPasswordWnd). Typed secrets go from the
// edit controls straight into wiped buffers, and the controls are
// overwritten before they are emptied or destroyed, so a rejected or
// accepted password does not linger in freed memory of the process.

#include <windows.h>

#include "ui/password_prompt.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/utf.h"
#include "ui/controls.h"
#include "ui/dialog_layout.h"

namespace {

constexpr wchar_t slot_property[] = L"NimbolPrompt";

// What the prompt's buttons asked for since the loop last looked.
enum class Pending : std::uint8_t { Submit = 0, Cancel = 1, Extra = 2, Nothing = 255 };

struct PromptSlot {
  Pending pending = Pending::Nothing;
};

PromptSlot* slot_of(HWND window) { return static_cast<PromptSlot*>(GetPropW(window, slot_property)); }

LRESULT CALLBACK prompt_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  PromptSlot* slot = slot_of(window);
  switch (message) {
    case WM_ACTIVATE:
      if (!slot) break;
      remember_focus(window, wparam, PROMPT_FIRST_FIELD_ID);
      return 0;
    case WM_COMMAND:
      if (slot) {
        switch (LOWORD(wparam)) {
          case PROMPT_OK_ID:
            slot->pending = Pending::Submit;
            break;
          case PROMPT_EXTRA_ID:
            slot->pending = Pending::Extra;
            break;
          case PROMPT_CANCEL_ID:
            slot->pending = Pending::Cancel;
            break;
          default:
            break;
        }
      }
      return 0;
    case WM_CLOSE:
      if (slot) slot->pending = Pending::Cancel;
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(PROMPT_OK_ID, DC_HASDEFID);
    case WM_NCDESTROY:
      RemovePropW(window, slot_property);
      break;
    default:
      break;
  }
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

// An edit control keeps its text in a buffer that it frees unwiped. Writing
// the same number of characters over it first makes the control reuse and
// overwrite that buffer; then the field is emptied.
void scrub_field(HWND field) {
  if (!field) return;
  const int length = GetWindowTextLengthW(field);
  if (length > 0) {
    const std::wstring filler(static_cast<std::size_t>(length), L'0');
    SetWindowTextW(field, filler.c_str());
  }
  SetWindowTextW(field, L"");
}

struct Fields {
  HWND window;
  std::size_t count;
  HWND at(std::size_t i) const { return GetDlgItem(window, PROMPT_FIRST_FIELD_ID + static_cast<int>(i)); }
  void scrub() const {
    for (std::size_t i = 0; i < count; ++i) scrub_field(at(i));
  }
  std::vector<SecureBuffer> read() const {
    std::vector<SecureBuffer> texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      texts.push_back(get_control_secret(window, PROMPT_FIRST_FIELD_ID + static_cast<int>(i)));
    return texts;
  }
};

}  // namespace

PromptResult password_prompt(HWND owner, const PromptSpec& spec, void* context, PromptValidator validator) {
  std::vector<std::wstring> labels;
  labels.reserve(spec.labels.size());
  for (const std::string& label : spec.labels) labels.push_back(to_wide(label));
  const std::wstring ok = to_wide(spec.ok_text);
  const std::wstring cancel = to_wide(spec.cancel_text);
  const std::wstring extra = spec.extra_text ? to_wide(*spec.extra_text) : std::wstring();

  const DialogLayout layout = prompt_layout({.labels = labels,
                                             .ok_text = ok.c_str(),
                                             .cancel_text = cancel.c_str(),
                                             .extra_text = spec.extra_text ? extra.c_str() : nullptr,
                                             .numeric = spec.numeric});
  PromptSlot slot;
  auto created =
      create_dialog_window(PASSWORD_PROMPT_CLASS, spec.title, prompt_proc, owner, layout.width, layout.height);
  if (!created) return PromptResult::Cancelled;
  HWND window = *created;
  SetPropW(window, slot_property, &slot);
  create_controls(window, layout.controls);
  const Fields fields{window, labels.size()};

  ModalOwner disabled_owner(owner);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (HWND first = fields.at(0)) SetFocus(first);

  PromptResult result = PromptResult::Cancelled;
  const ModalEnd end = run_modal_loop(window, [&] {
    const Pending pending = slot.pending;
    slot.pending = Pending::Nothing;
    switch (pending) {
      case Pending::Nothing:
        return false;
      case Pending::Cancel:
        result = PromptResult::Cancelled;
        return true;
      case Pending::Extra:
        result = PromptResult::Extra;
        return true;
      case Pending::Submit:
        break;
    }
    Result<void> verdict;
    {
      const std::vector<SecureBuffer> texts = fields.read();
      if (validator) verdict = validator(context, texts);
    }
    if (verdict) {
      result = PromptResult::Accepted;
      return true;
    }
    set_control_text(window, PROMPT_ERROR_ID, verdict.error());
    fields.scrub();
    if (HWND first = fields.at(0)) SetFocus(first);
    return false;
  });

  if (end != ModalEnd::Gone) fields.scrub();
  disabled_owner.release();
  if (end != ModalEnd::Gone) {
    RemovePropW(window, slot_property);
    close_dialog_window(window);
  }
  return end == ModalEnd::Finished ? result : PromptResult::Cancelled;
}
