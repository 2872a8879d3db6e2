// The find bar's window and its actions on the active editor. What to search
// for, what counts as a match and the order of the searches are decided in
// find_text; this file only moves text between the controls and the editor.

#include <windows.h>

#include <commdlg.h>
#include <richedit.h>

#include "find/find_bar.h"

#include <array>
#include <cwchar>
#include <cwctype>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/result.h"
#include "base/secure_buffer.h"
#include "base/utf.h"
#include "find/find_text.h"
#include "model/app_state.h"
#include "model/copy_guard.h"
#include "model/find_bar_state.h"
#include "model/frame_hooks.h"
#include "model/veil_state.h"
#include "text/editor_text.h"
#include "ui/controls.h"
#include "ui/window_classes.h"
#include "ui/window_dpi.h"

namespace {

constexpr std::size_t field_limit = 250;

// An '&' marks a control's mnemonic, as in the system's dialogs: Alt and
// that letter, with the focus in the bar, clicks the button or goes to the
// field that the label names.
// clang-format off
constexpr std::array<ControlSpec, 11> controls = {{
    {.kind = ControlKind::Button, .text = L"\u00D7", .id = FIND_CLOSE_ID, .x = 6, .y = 5, .width = 22, .height = 24},
    {.kind = ControlKind::Label, .text = L"&Find:", .id = 0, .x = 36, .y = 9, .width = 54, .height = 18},
    {.kind = ControlKind::Edit, .limit = field_limit, .id = FIND_FIELD_ID, .x = 92, .y = 6, .width = 220, .height = 22},
    {.kind = ControlKind::Button, .text = L"&Previous", .id = FIND_PREVIOUS_ID, .x = 318, .y = 5, .width = 74, .height = 24},
    {.kind = ControlKind::Button, .text = L"&Next", .id = FIND_NEXT_ID, .x = 396, .y = 5, .width = 60, .height = 24},
    {.kind = ControlKind::CheckBox, .text = L"Match &Case", .id = FIND_MATCH_CASE_ID, .x = 468, .y = 6, .width = 100, .height = 22},
    {.kind = ControlKind::Label, .id = FIND_RESULT_ID, .x = 574, .y = 9, .width = 160, .height = 18},
    {.kind = ControlKind::Label, .text = L"R&eplace:", .id = REPLACE_LABEL_ID, .x = 36, .y = 39, .width = 54, .height = 18},
    {.kind = ControlKind::Edit, .limit = field_limit, .id = REPLACE_FIELD_ID, .x = 92, .y = 36, .width = 220, .height = 22},
    {.kind = ControlKind::Button, .text = L"&Replace", .id = REPLACE_ONE_ID, .x = 318, .y = 35, .width = 74, .height = 24},
    {.kind = ControlKind::Button, .text = L"Replace &All", .id = REPLACE_ALL_ID, .x = 396, .y = 35, .width = 90, .height = 24},
}};
// clang-format on

constexpr std::array<std::int32_t, 4> replace_row = {REPLACE_LABEL_ID, REPLACE_FIELD_ID, REPLACE_ONE_ID,
                                                     REPLACE_ALL_ID};

HWND bar_window() { return find_bar_state().window; }

// The field's whole text. A prefill may be longer than what can be typed,
// and the search must be for the text the field shows, not a cut of it.
std::string field_text(std::int32_t id) {
  HWND field = GetDlgItem(bar_window(), id);
  const int length = field ? GetWindowTextLengthW(field) : 0;
  if (length <= 0) return {};
  Wiped<std::wstring> buffer(std::wstring(static_cast<std::size_t>(length) + 1, L'\0'));
  const int got = GetWindowTextW(field, buffer->data(), length + 1);
  return to_utf8(std::wstring_view(buffer->data(), got > 0 ? static_cast<std::size_t>(got) : 0));
}

// Sets a field to text taken from the document, leaving no copy behind.
void set_field_text(HWND bar, std::int32_t id, std::string_view text) {
  Wiped<std::wstring> wide(to_wide(text));
  SetWindowTextW(GetDlgItem(bar, id), wide->c_str());
}

bool match_case_checked() {
  return SendDlgItemMessageW(bar_window(), FIND_MATCH_CASE_ID, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void show_result(std::string_view text) { set_control_text(bar_window(), FIND_RESULT_ID, text); }

void show_found(bool found) { show_result(found ? std::string_view() : msg_not_found); }

void focus_find_field(HWND bar) {
  HWND field = GetDlgItem(bar, FIND_FIELD_ID);
  if (field && GetFocus() != field) SetFocus(field);
}

void on_button(HWND bar, std::int32_t id) {
  switch (id) {
    case FIND_CLOSE_ID:
      hide_find_bar();
      break;
    case FIND_PREVIOUS_ID:
    case FIND_NEXT_ID:
      find_step(id == FIND_NEXT_ID);
      focus_find_field(bar);
      break;
    case FIND_MATCH_CASE_ID:
      focus_find_field(bar);
      break;
    case REPLACE_ONE_ID:
      replace_one();
      break;
    case REPLACE_ALL_ID:
      replace_all();
      break;
    default:
      break;
  }
}

std::int32_t text_length(HWND editor) {
  GETTEXTLENGTHEX how{GTL_PRECISE | GTL_NUMCHARS, 1200};
  const LRESULT length = SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
  return length < 0 ? 0 : static_cast<std::int32_t>(length);
}

void replace_selection(HWND editor, std::string_view text) {
  Wiped<std::wstring> wide(to_wide(text));
  // TRUE: the replacement is one step of the editor's undo history.
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide->c_str()));
}

bool is_button(const ControlSpec& spec) {
  return spec.kind == ControlKind::Button || spec.kind == ControlKind::CheckBox;
}

// The letter after the single '&' of a caption, in upper case, or 0.
wchar_t mnemonic_of(const ControlSpec& spec) {
  const wchar_t* amp = spec.text ? std::wcschr(spec.text, L'&') : nullptr;
  if (!amp || !amp[1]) return 0;
  return static_cast<wchar_t>(std::towupper(amp[1]));
}

bool usable(HWND control) { return control && IsWindowVisible(control) && IsWindowEnabled(control); }

void focus_control(HWND control) {
  SetFocus(control);
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  // As in a dialog, a field reached by the keyboard has its text selected.
  if (_wcsicmp(name, L"Edit") == 0) SendMessageW(control, EM_SETSEL, 0, -1);
}

// Keyboard cues (focus rectangles, underlined mnemonics) show from the
// first key that moves in the bar, as they do in a dialog.
void show_keyboard_cues(HWND bar) {
  SendMessageW(bar, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

}  // namespace

std::span<const ControlSpec> find_bar_controls() { return controls; }

LRESULT CALLBACK find_bar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  // Button clicks only: the fields' change and focus notifications carry
  // other codes and are nobody's business here.
  if (message == WM_COMMAND && HIWORD(wparam) == 0) {
    on_button(window, LOWORD(wparam));
    return 0;
  }
  if (const std::optional<LRESULT> handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

bool create_find_bar(HWND frame) {
  register_window_class({FIND_BAR_CLASS, 0, find_bar_proc, false, true});
  const std::int32_t height = static_cast<std::int32_t>((window_dpi(frame) * 64 + 32) / 96);
  HWND bar = CreateWindowExW(WS_EX_CONTROLPARENT, FIND_BAR_CLASS, nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, height,
                             frame, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!bar) return false;
  create_controls(bar, controls);
  for (const std::int32_t id : replace_row) ShowWindow(GetDlgItem(bar, id), SW_HIDE);
  // Every caption with an '&' underlines its letter instead of showing it.
  for (const ControlSpec& spec : controls) {
    if (mnemonic_of(spec)) show_mnemonic(GetDlgItem(bar, spec.id));
  }
  // The find field is filled from the document: what is copied out of
  // either field must stay as private as a copy from the editor.
  guard_copies(GetDlgItem(bar, FIND_FIELD_ID));
  guard_copies(GetDlgItem(bar, REPLACE_FIELD_ID));
  find_bar_state() = FindBarState{.window = bar};
  return true;
}

void show_find_bar(bool with_replace) {
  HWND bar = bar_window();
  if (!bar) return;
  // The selection and the prefill made of it are the document's text.
  Wiped<std::string> selected;
  if (HWND editor = active_editor()) *selected = get_selected_text(editor);
  const bool prefill = fills_find_field(*selected);

  FindBarState& state = find_bar_state();
  state.find_bar_shown = true;
  state.replace_shown = with_replace;
  for (const std::int32_t id : replace_row) ShowWindow(GetDlgItem(bar, id), with_replace ? SW_SHOW : SW_HIDE);
  if (prefill) set_field_text(bar, FIND_FIELD_ID, *selected);
  // A result from before says nothing about the search about to start.
  show_result({});

  // While the text is veiled the bar keeps its place but stays hidden, and
  // the focus stays with the veil; uncovering shows it.
  const bool shown = !veiled();
  if (shown) ShowWindow(bar, SW_SHOW);
  layout();
  if (!shown) return;
  HWND field = GetDlgItem(bar, FIND_FIELD_ID);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
}

void hide_find_bar() {
  FindBarState& state = find_bar_state();
  if (!std::exchange(state.find_bar_shown, false)) return;
  if (state.window) ShowWindow(state.window, SW_HIDE);
  layout();
  if (veiled()) return;
  if (HWND editor = active_editor()) SetFocus(editor);
}

void relayout_find_bar() {
  HWND bar = bar_window();
  if (!bar) return;
  // Every control has an id of its own ("Find:" is the only 0).
  std::vector<HWND> handles;
  handles.reserve(controls.size());
  for (const ControlSpec& spec : controls) handles.push_back(GetDlgItem(bar, spec.id));
  relayout_controls(bar, controls, handles);
}

bool find_in_editor(HWND editor, std::string_view text, bool match_case, bool forward) {
  if (!editor || text.empty()) return false;
  const Wiped<std::wstring> sought(to_wide(text));
  const WPARAM flags = (match_case ? FR_MATCHCASE : 0) | (forward ? FR_DOWN : 0);
  const EditorSearch search = [&](CharRange range) -> std::optional<CharRange> {
    FINDTEXTEXW find{};
    find.chrg = {range.min, range.max};
    find.lpstrText = sought->c_str();
    if (SendMessageW(editor, EM_FINDTEXTEXW, flags, reinterpret_cast<LPARAM>(&find)) < 0) return std::nullopt;
    return CharRange{find.chrgText.cpMin, find.chrgText.cpMax};
  };
  const CHARRANGE selection = get_selection(editor);
  const std::optional<CharRange> found =
      find_with_wrap({selection.cpMin, selection.cpMax}, text_length(editor), forward, search);
  if (!found) return false;
  set_selection(editor, {found->min, found->max});
  return true;
}

void find_step(bool forward) {
  const Wiped<std::string> text(field_text(FIND_FIELD_ID));
  if (text->empty()) return;
  const bool match_case = match_case_checked();
  HWND editor = active_editor();
  show_found(editor && find_in_editor(editor, *text, match_case, forward));
}

void replace_one() {
  const Wiped<std::string> text(field_text(FIND_FIELD_ID));
  if (text->empty()) return;
  const bool match_case = match_case_checked();
  const Wiped<std::string> replacement(field_text(REPLACE_FIELD_ID));
  HWND editor = active_editor();
  if (!editor) {
    show_found(false);
    return;
  }
  const Wiped<std::string> selected(get_selected_text(editor));
  if (selection_matches(*selected, *text, match_case)) replace_selection(editor, *replacement);
  // From the end of the selection: after the replacement, or past a
  // selection that was not a match.
  show_found(find_in_editor(editor, *text, match_case, true));
}

namespace {

// Replaces every match in the editor's text as one undoable step; the
// number of matches. Every copy of the text is wiped on the way out, also
// when memory runs out half-way.
Result<std::size_t> replace_in_editor(HWND editor, std::string_view text, std::string_view replacement,
                                      bool match_case) {
  const Wiped<std::string> whole(get_editor_text(editor));
  ReplacedText replaced = replace_matches(*whole, text, replacement, match_case);
  const Wiped<std::string> new_text(std::move(replaced.text));
  if (replaced.count > 0) {
    if (Result<void> put = replace_whole_text(editor, *new_text); !put) return fail(put.error());
  }
  return replaced.count;
}

}  // namespace

void replace_all() {
  const Wiped<std::string> text(field_text(FIND_FIELD_ID));
  if (text->empty()) return;
  const bool match_case = match_case_checked();
  const Wiped<std::string> replacement(field_text(REPLACE_FIELD_ID));
  Result<std::size_t> count = 0;
  HWND editor = active_editor();
  // A short replacement for a long text can grow it past what memory holds;
  // the text is then left as it was, and the label says why.
  try {
    if (editor) count = replace_in_editor(editor, *text, *replacement, match_case);
  } catch (const std::bad_alloc&) {
    count = fail("Not enough memory to replace every match");
  }
  show_result(count ? replaced_message(*count) : count.error());
}

bool find_bar_tab(HWND from, bool backward) {
  HWND bar = bar_window();
  if (!bar || !IsChild(bar, from)) return false;
  HWND next = GetNextDlgTabItem(bar, from, backward);
  if (!next) return false;
  show_keyboard_cues(bar);
  focus_control(next);
  return true;
}

bool find_bar_mnemonic(wchar_t letter) {
  HWND bar = bar_window();
  if (!bar || !IsChild(bar, GetFocus())) return false;
  const wchar_t key = static_cast<wchar_t>(std::towupper(letter));
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (mnemonic_of(controls[i]) != key) continue;
    HWND control = GetDlgItem(bar, controls[i].id);
    if (!usable(control)) continue;
    show_keyboard_cues(bar);
    if (is_button(controls[i])) {
      SendMessageW(control, BM_CLICK, 0, 0);
    } else if (i + 1 < controls.size()) {
      // A label stands for the field after it.
      if (HWND field = GetDlgItem(bar, controls[i + 1].id); usable(field)) focus_control(field);
    }
    return true;
  }
  return false;
}
