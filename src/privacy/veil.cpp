// The moves between shown and covered text. Covering must never leave a
// frame of text visible, and revealing must never swallow the user's text:
// the children are only hidden, never touched. Whether the text may come
// back is the re-lock's to decide (relock.cpp); this only shows.

#include <windows.h>

#include <richedit.h>

#include "privacy/veil.h"

#include <algorithm>
#include <chrono>

#include "editor/strip_layout.h"
#include "model/app_state.h"
#include "model/find_bar_state.h"
#include "model/frame_hooks.h"
#include "model/veil_state.h"
#include "privacy/veil_layout.h"
#include "ui/dpi.h"
#include "ui/window_dpi.h"

VeilParts veil_parts(bool painting) {
  auto state = painting ? app_state().try_borrow() : app_state().borrow();
  if (!state) return {};
  const Tab* tab = state->active_tab();
  return {state->frame,
          state->tab_strip,
          state->status_bar,
          state->veil,
          tab ? tab->editor : nullptr,
          state->config.hide_text,
          state->config.reveal,
          state->config.reveal_key,
          state->config.mask};
}

namespace {

void show(HWND window, int command) {
  if (window) ShowWindow(window, command);
}

void invalidate(HWND window) {
  if (window) InvalidateRect(window, nullptr, FALSE);
}

bool frame_is_foreground(HWND frame) { return frame && GetForegroundWindow() == frame; }

// Set by Hide Now, cleared by the next uncover. Kept here rather than in the
// veil's shared state: only covering and uncovering change it.
bool locked = false;

// The editor answers the line questions with its own messages.
class RichEditLines final : public EditorLineMetrics {
 public:
  explicit RichEditLines(HWND editor) : editor_(editor) {}
  std::int64_t first_visible_line() override { return SendMessageW(editor_, EM_GETFIRSTVISIBLELINE, 0, 0); }
  std::int64_t line_count() override { return SendMessageW(editor_, EM_GETLINECOUNT, 0, 0); }
  std::int64_t line_index(std::int64_t line) override {
    return SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  }
  std::int64_t line_length(std::int64_t start) override {
    return SendMessageW(editor_, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  }
  EdgePoint position_of(std::int64_t index) override {
    POINTL point{};
    SendMessageW(editor_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), static_cast<LPARAM>(index));
    return {static_cast<std::int32_t>(point.x), static_cast<std::int32_t>(point.y)};
  }

 private:
  HWND editor_;
};

}  // namespace

void refresh_veil_layout() {
  VeilLayoutInput input;
  HWND frame = nullptr, editor = nullptr, veil = nullptr;
  {
    auto state = app_state().borrow();
    if (!state) return;
    frame = state->frame;
    veil = state->veil;
    const Tab* tab = state->active_tab();
    editor = tab ? tab->editor : nullptr;
    input.tab_count = state->tabs.size();
    input.font_size = state->config.font_size;
    input.zoom = state->config.zoom;
  }
  RECT client{};
  GetClientRect(frame, &client);
  input.client_width = client.right - client.left;
  input.client_height = client.bottom - client.top;
  input.dpi = window_dpi(frame);
  if (editor) {
    RECT editor_client{};
    GetClientRect(editor, &editor_client);
    VeilEditorView view;
    view.client = {editor_client.left, editor_client.top, editor_client.right, editor_client.bottom};
    view.top = std::min(scale_for_dpi(TAB_STRIP_HEIGHT, input.dpi), input.client_height) +
               scale_for_dpi(find_bar_rows(), input.dpi);
    RichEditLines lines(editor);
    view.lines = collect_line_records(lines, view.client);
    input.editor = std::move(view);
  }
  store_veil_layout(build_veil_layout(input));
  invalidate(veil);
}

namespace {

void cover_text(bool lock) {
  const VeilParts p = veil_parts();
  if (!p.hide_text && !lock) return;
  VeilState& veil = veil_state();
  if (veil.in_transition) {
    PostMessageW(p.frame, WM_APP_COVER, lock ? 1 : 0, 0);
    return;
  }
  if (lock) locked = true;
  if (veil.veiled) return;
  veil.veiled = true;
  veil.in_transition = true;
  veil.hidden_at = std::chrono::steady_clock::now();

  // A menu left open would go on offering Copy, Print and Save As on the
  // text it was opened over; it ends before the veil shows, and the
  // command it might still post is refused while covered.
  EndMenu();
  show(p.tab_strip, SW_HIDE);
  show(p.status_bar, SW_HIDE);
  show(find_bar_state().window, SW_HIDE);
  show(p.editor, SW_HIDE);
  layout();
  show(p.veil, SW_SHOW);
  if (frame_is_foreground(p.frame) && p.veil) SetFocus(p.veil);
  refresh_title();
  veil.in_transition = false;
}

}  // namespace

void cover() { cover_text(false); }

void hide_now() { cover_text(true); }

bool locked_by_user() { return locked && veil_state().veiled; }

void uncover() {
  VeilState& veil = veil_state();
  if (!std::exchange(veil.veiled, false)) return;
  locked = false;
  veil.in_transition = true;
  const VeilParts p = veil_parts();
  show(p.veil, SW_HIDE);
  show(p.tab_strip, SW_SHOW);
  show(p.status_bar, SW_SHOW);
  if (const FindBarState bar = find_bar_state(); bar.find_bar_shown) show(bar.window, SW_SHOW);
  if (p.editor) {
    show(p.editor, SW_SHOW);
    if (frame_is_foreground(p.frame)) SetFocus(p.editor);
  }
  refresh_title();
  veil.in_transition = false;
}
