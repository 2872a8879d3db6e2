// The command dispatcher: one switch that either does a command's small job
// itself or calls the part that owns the behaviour. Commands whose owner is
// not built yet are listed with the others and do nothing until it is.

#include <windows.h>

#include <richedit.h>

#include "app/commands.h"

#include "about/about_window.h"
#include "app/covered_commands.h"
#include "app/frame.h"
#include "editor/editor.h"
#include "editor/file_dialog.h"
#include "editor/font_dialog.h"
#include "editor/saving.h"
#include "editor/tabs.h"
#include "find/find_bar.h"
#include "find/go_to_line_win.h"
#include "install/install_flows.h"
#include "model/app_state.h"
#include "model/veil_state.h"
#include "print/printing.h"
#include "print/time_date.h"
#include "privacy/private_clipboard.h"
#include "privacy/settings_window.h"
#include "privacy/veil.h"
#include "store/settings_change.h"
#include "store/vault_flows.h"
#include "ui/command_ids.h"
#include "ui/password_prompt.h"
#include "ui/theme.h"
#include "update/updates_window.h"

namespace {

struct ActiveTab {
  HWND frame = nullptr;
  HWND editor = nullptr;
  std::size_t index = 0;
  std::size_t count = 0;
};

ActiveTab active() {
  auto state = app_state().borrow();
  if (!state) return {};
  const Tab* tab = state->active_tab();
  return {state->frame, tab ? tab->editor : nullptr, state->active, state->tabs.size()};
}

void send_to_active_editor(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  if (HWND editor = active().editor) SendMessageW(editor, message, wparam, lparam);
}

// Inverts one switch of the settings and saves them before anything else.
template <class Member>
void toggle_setting(Member member) {
  change_settings([member](Config& config) { config.*member = !(config.*member); });
}

void open_file() {
  if (const std::optional<std::string> path = file_dialog(active().frame, {}, false)) open_path(*path);
}

// The prompt may still be open when the text gets covered; an answer given
// then moves nothing (the caret's line would show through the veil's bars).
Result<void> go_to_line_unless_covered(void* context, std::span<const SecureBuffer> texts) {
  if (veiled()) return {};
  return go_to_line_validator(context, texts);
}

void go_to_line_in(HWND frame, HWND editor) {
  if (!editor) return;
  GoToLineEditor context = go_to_line_editor(editor);
  static_cast<void>(password_prompt(frame, go_to_line_prompt(), &context, go_to_line_unless_covered));
}

void next_tab(bool forward) {
  const ActiveTab a = active();
  const std::size_t n = a.count == 0 ? 1 : a.count;
  activate_tab(forward ? (a.index + 1) % n : (a.index + n - 1) % n);
}

}  // namespace

void set_theme(Theme choice) {
  change_settings([choice](Config& config) { config.theme = choice; });
  show_theme(choice);
}

void dispatch_command(std::uint16_t id) {
  if (veiled() && needs_text_shown(id)) return;
  switch (id) {
    case CMD_NEW_TAB:
      activate_tab(new_tab());
      break;
    case CMD_OPEN:
      open_file();
      break;
    case CMD_SAVE:
      (void)save_tab(active().index, false);
      break;
    case CMD_SAVE_AS:
      (void)save_tab(active().index, true);
      break;
    case CMD_CLOSE_TAB:
      close_tab(active().index);
      break;
    case CMD_EXIT:
      PostMessageW(active().frame, WM_CLOSE, 0, 0);
      break;
    case CMD_PRINT:
      print_active_tab(active().frame);
      break;
    case CMD_PRINT_LABELS:
      toggle_setting(&Config::print_labels);
      break;
    case CMD_UNDO:
      send_to_active_editor(EM_UNDO);
      break;
    case CMD_REDO:
      send_to_active_editor(EM_REDO);
      break;
    case CMD_CUT:
    case CMD_COPY:
      if (HWND editor = active().editor) copy_private(editor, id == CMD_CUT);
      break;
    case CMD_PRIVACY_SETTINGS:
      open_privacy_settings();
      break;
    case CMD_HIDE_NOW:
      hide_now();
      break;
    case CMD_PASTE:
      send_to_active_editor(WM_PASTE);
      break;
    case CMD_DELETE:
      send_to_active_editor(WM_CLEAR);
      break;
    case CMD_SELECT_ALL:
      send_to_active_editor(EM_SETSEL, 0, -1);
      break;
    case CMD_TIME_DATE:
      if (HWND editor = active().editor) insert_time_date(editor);
      break;
    case CMD_WORD_WRAP:
      toggle_word_wrap();
      break;
    case CMD_ZOOM_IN:
      set_zoom(current_zoom() + 10);
      break;
    case CMD_ZOOM_OUT:
      set_zoom(current_zoom() - 10);
      break;
    case CMD_ZOOM_RESET:
      set_zoom(100);
      break;
    case CMD_ALWAYS_ON_TOP:
      toggle_setting(&Config::always_on_top);
      apply_keep_on_top();
      break;
    case CMD_NEXT_TAB:
      next_tab(true);
      break;
    case CMD_PREV_TAB:
      next_tab(false);
      break;
    case CMD_THEME_SYSTEM:
      set_theme(Theme::System);
      break;
    case CMD_THEME_LIGHT:
      set_theme(Theme::Light);
      break;
    case CMD_THEME_DARK:
      set_theme(Theme::Dark);
      break;
    case CMD_FONT:
      choose_editor_font(active().frame);
      break;
    case CMD_SET_PASSWORD:
      set_password_command(active().frame);
      break;
    case CMD_CHANGE_PASSWORD:
      change_password_command(active().frame);
      break;
    case CMD_REMOVE_PASSWORD:
      remove_password_command(active().frame);
      break;
    case CMD_FIND:
      show_find_bar(false);
      break;
    case CMD_REPLACE:
      show_find_bar(true);
      break;
    case CMD_FIND_NEXT:
      find_step(true);
      break;
    case CMD_FIND_PREV:
      find_step(false);
      break;
    case CMD_INSTALL:
      install_command(active().frame);
      break;
    case CMD_ABOUT:
      open_about_window(active().frame);
      break;
    case CMD_GO_TO_LINE: {
      const ActiveTab a = active();
      go_to_line_in(a.frame, a.editor);
      break;
    }
    case CMD_UPDATES:
      open_updates_window(active().frame);
      break;

    default:
      break;
  }
}
