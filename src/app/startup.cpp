// Start-up in the order the program depends on: nothing that a later step
// needs is missing when it runs, and a second instance does no more work
// than handing its files over.

#include <windows.h>

#include <shellapi.h>
#include <wtsapi32.h>

#include "app/startup.h"

#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "app/frame.h"
#include "app/frame_messages.h"
#include "app/frame_size.h"
#include "app/hand_off.h"
#include "app/message_loop.h"
#include "app/session_restore.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/tab_strip.h"
#include "editor/tabs.h"
#include "find/find_bar.h"
#include "install/install_flows.h"
#include "model/app_state.h"
#include "model/copy_guard.h"
#include "privacy/capture.h"
#include "privacy/idle.h"
#include "privacy/private_clipboard.h"
#include "privacy/veil.h"
#include "store/session_store.h"
#include "store/settings.h"
#include "store/vault_flows.h"
#include "ui/dpi.h"
#include "ui/status_bar.h"
#include "ui/theme.h"
#include "ui/window_classes.h"
#include "ui/window_dpi.h"
#include "update/update_check.h"

namespace {

constexpr wchar_t single_instance_mutex[] = L"Local\\Nimbol.SingleInstance";
// How long a start whose files were refused waits for the running instance
// to end before it offers them again.
constexpr DWORD hand_off_retry_ms = 250;

// An argument that cannot be made absolute (or is empty) is kept as given.
std::wstring absolute_path(const std::wstring& arg) {
  if (arg.empty()) return arg;
  const DWORD needed = GetFullPathNameW(arg.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return arg;
  std::wstring full(needed, L'\0');
  const DWORD written = GetFullPathNameW(arg.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return arg;
  full.resize(written);
  return full;
}

Config load_settings_and_theme() {
  Config config = load_config();
  set_theme_choice(config.theme);
  set_dark_mode(dark_for(config.theme));
  return config;
}

int run_maintenance_mode(StartMode mode, bool quiet) {
  load_settings_and_theme();
  return mode == StartMode::Install ? run_install_switch(quiet) : run_uninstall_switch(quiet);
}

struct Windows {
  HWND frame, tab_strip, veil, status_bar;
};

HWND create_child(const wchar_t* class_name, HWND frame, DWORD style) {
  return CreateWindowExW(0, class_name, nullptr, WS_CHILD | style, 0, 0, 0, 0, frame, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

bool create_windows(Windows& w) {
  register_window_class({FRAME_CLASS, 0, frame_proc, true, true});
  w.frame =
      CreateWindowExW(0, FRAME_CLASS, L"Nimbol", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w.frame) return false;
  apply_title_bar(w.frame);

  register_window_class({TAB_STRIP_CLASS, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, tab_strip_proc, false, true});
  w.tab_strip = create_child(TAB_STRIP_CLASS, w.frame, WS_VISIBLE);
  register_window_class({VEIL_CLASS, CS_HREDRAW | CS_VREDRAW, veil_proc, false, true});
  w.veil = create_child(VEIL_CLASS, w.frame, 0);
  register_window_class({STATUS_BAR_CLASS, CS_HREDRAW | CS_VREDRAW, status_bar_proc, false, true});
  w.status_bar = create_child(STATUS_BAR_CLASS, w.frame, WS_VISIBLE);
  return w.tab_strip && w.veil && w.status_bar && create_find_bar(w.frame);
}

// Hands the files to the running instance. One that refuses them is closing
// (or busy in a handler): this start then waits for it, offering them again
// now and then, and if it ends first its mutex passes to this start, which
// goes on as the instance that opens them. True when they were handed over.
bool handed_over(HANDLE mutex, const std::vector<std::wstring>& files) {
  for (;;) {
    if (send_hand_off(files)) return true;
    // Signalled or abandoned: the mutex is ours now. A failed wait runs this
    // start on its own too, rather than drop the files.
    if (WaitForSingleObject(mutex, hand_off_retry_ms) != WAIT_TIMEOUT) return false;
  }
}

void place_and_show(HWND frame, const std::optional<WindowPos>& stored) {
  if (stored) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.flags = 0;
    placement.showCmd = stored->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.rcNormalPosition = {stored->left, stored->top, stored->right, stored->bottom};
    SetWindowPlacement(frame, &placement);
    return;
  }
  const UINT dpi = window_dpi(frame);
  SetWindowPos(frame, nullptr, 0, 0, scale_for_dpi(900, dpi), scale_for_dpi(600, dpi), SWP_NOZORDER | SWP_NOMOVE);
  ShowWindow(frame, SW_SHOW);
}

int run_normal(const std::vector<std::wstring>& args) {
  std::vector<std::wstring> files;
  for (std::size_t i = 1; i < args.size(); ++i) files.push_back(absolute_path(args[i]));

  // The handle is never closed: the mutex lives exactly as long as we do.
  // The first instance owns it, so that a later start can wait for its end.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, single_instance_mutex);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS && handed_over(mutex, files)) return 0;

  create_hand_off_window();
  delete_previous_copy();
  LoadLibraryExW(L"Msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  Config config = load_settings_and_theme();
  // Before the first window, so that even the password prompt is excluded.
  apply_capture_exclusion(config.hide_from_capture);

  // With the tabs stored under a password, the password comes first. After
  // "Forgot It..." the old files are set aside, so there is nothing to restore.
  std::optional<SecureBuffer> vault_key;
  StartUnlock unlock = run_start_unlock();
  if (std::holds_alternative<ExitRequested>(unlock)) return 0;
  if (auto* key = std::get_if<SecureBuffer>(&unlock)) vault_key = std::move(*key);

  install_frame_hooks();
  set_copy_guard(keep_copies_private);
  Windows w{};
  if (!create_windows(w)) return 0;

  size_hidden_frame(w.frame, config.window);
  const UINT dpi = window_dpi(w.frame);
  HFONT font = create_editor_font(config.font_face, config.font_size, dpi);
  const std::optional<WindowPos> stored_window = config.window;
  const Reveal stored_reveal = config.reveal;
  std::optional<SessionStore> store = open_store(std::move(vault_key));
  const bool store_unavailable = !store;

  AppState state;
  state.config = std::move(config);
  state.frame = w.frame;
  state.tab_strip = w.tab_strip;
  state.veil = w.veil;
  state.status_bar = w.status_bar;
  state.font.reset(font);
  state.store = std::move(store);
  app_state().emplace(std::move(state));

  restore_session();

  for (const std::wstring& file : files) open_path(to_utf8(file));
  for (const std::string& path : take_pending_open_paths()) open_path(path);

  if (tab_titles().tabs.empty()) new_tab();
  if (tab_titles().tabs.empty()) {
    // Not even an empty tab could be made, and the message has said why.
    // Nothing is stored on the way out, so that tabs that could not be
    // restored now are still there for the next start.
    DestroyWindow(w.frame);
    return 1;
  }
  activate_tab(tab_titles().active);
  // Files dropped from Explorer open in tabs, from now on (the frame's
  // handler needs the tabs).
  DragAcceptFiles(w.frame, TRUE);

  apply_keep_on_top();
  arm_idle_timer();
  WTSRegisterSessionNotification(w.frame, NOTIFY_FOR_THIS_SESSION);
  show_frame_at_start(w.frame, stored_window, stored_reveal);
  if (store_unavailable) warn_store_unavailable();
  ask_update_consent(w.frame);
  maybe_check_for_updates(w.frame);
  SetTimer(w.frame, TIMER_UPDATE, TIMER_UPDATE_MS, nullptr);

  UniqueAccel accelerators(create_accelerators());
  run_message_loop(w.frame, accelerators.get());
  return 0;
}

}  // namespace

void show_frame_at_start(HWND frame, const std::optional<WindowPos>& stored, Reveal reveal) {
  // With a click or a key to reveal, the text starts covered.
  if (reveal != Reveal::Focus) cover();
  place_and_show(frame, stored);
  SetForegroundWindow(frame);
  // Windows may refuse to bring a new window to the front (the user went on
  // in another program while this one started). Then no activation has
  // shown the text and no departure would hide it: it waits under the veil
  // until the user comes to the window.
  if (GetForegroundWindow() != frame) cover();
}

int run_program() {
  // Before any library is loaded: from the system folder only, never from
  // beside the program (a Downloads folder, say) or the current directory.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::vector<std::wstring> args = split_command_line(GetCommandLineW());
  const StartMode mode = start_mode(args);
  if (mode != StartMode::Normal) return run_maintenance_mode(mode, quiet_requested(args));
  return run_normal(args);
}
