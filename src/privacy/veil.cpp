// The veil window and the moves between shown and covered text. Covering
// must never leave a frame of text visible, and revealing must never
// swallow the user's text: the children are only hidden, never touched.

#include <windows.h>

#include <richedit.h>

#include "privacy/veil.h"

#include <algorithm>
#include <chrono>

#include "base/handles.h"
#include "base/utf.h"
#include "editor/strip_layout.h"
#include "model/app_state.h"
#include "model/find_bar_state.h"
#include "model/frame_hooks.h"
#include "model/veil_state.h"
#include "privacy/relock.h"
#include "privacy/relock_rules.h"
#include "privacy/veil_layout.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace {

// What cover and uncover need from AppState, copied out so that the state
// is not held across ShowWindow and SetFocus (they re-enter the frame).
struct Parts {
  HWND frame = nullptr;
  HWND tab_strip = nullptr;
  HWND status_bar = nullptr;
  HWND veil = nullptr;
  HWND editor = nullptr;
  bool hide_text = false;
  Reveal reveal = Reveal::Focus;
  RevealKey reveal_key;
  Mask mask = Mask::Bars;
};

// Painting may happen inside another handler (UpdateWindow and friends), so
// it takes the state only when it is free.
Parts parts(bool painting = false) {
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

void show(HWND window, int command) {
  if (window) ShowWindow(window, command);
}

void invalidate(HWND window) {
  if (window) InvalidateRect(window, nullptr, FALSE);
}

bool frame_is_foreground(HWND frame) { return frame && GetForegroundWindow() == frame; }

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

const char* hint_for(Reveal reveal) {
  switch (reveal) {
    case Reveal::Click:
      return "Click to show";
    case Reveal::Key:
      return "Press your reveal key to show";
    case Reveal::Focus:
    default:
      return "Click or press a key to show";
  }
}

void fill(HDC dc, const EdgeRect& r, HBRUSH brush) {
  const RECT rect{r.left, r.top, r.right, r.bottom};
  FillRect(dc, &rect, brush);
}

void on_paint(HWND window) {
  PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  BufferedDc buffer(paint.get(), client.right - client.left, client.bottom - client.top);
  if (!buffer) return;
  HDC dc = buffer.get();

  const ThemeColors colours = palette();
  const std::uint32_t dpi = window_dpi(window);
  const VeilLayout layout = current_veil_layout();
  const Parts settings = parts(true);

  FillRect(dc, &client, colours.edit_brush);
  const RECT band{client.left, client.top, client.right, layout.tab_strip_height};
  FillRect(dc, &band, colours.window_brush);
  for (const EdgeRect& tab : layout.tab_rects) {
    if (auto bar = veil_tab_bar(tab, dpi)) fill(dc, *bar, colours.tab_brush);
  }
  if (settings.mask == Mask::Bars) {
    for (const EdgeRect& bar : layout.line_bars) {
      if (bar.top >= layout.tab_strip_height) fill(dc, bar, colours.tab_brush);
    }
  }

  SelectObjectScope select_font(dc, dialog_font(dpi, 16, false));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colours.dim_color);
  RECT hint_area = client;
  if (settings.mask == Mask::Bars) hint_area.top = client.bottom - scale_for_dpi(TAB_STRIP_HEIGHT, dpi);
  const std::wstring hint = to_wide(hint_for(settings.reveal));
  DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &hint_area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool modifier_down(int key) { return GetKeyState(key) < 0; }

// Whether a key on the veil asks for the text back.
bool key_reveals(WPARAM vk, bool system, const Parts& settings) {
  switch (settings.reveal) {
    case Reveal::Key: {
      const RevealKey& chord = settings.reveal_key;
      return vk == chord.key && chord.ctrl == modifier_down(VK_CONTROL) && chord.alt == modifier_down(VK_MENU) &&
             chord.shift == modifier_down(VK_SHIFT);
    }
    case Reveal::Click:
      return false;
    case Reveal::Focus:
    default:
      if (system) return false;
      return !(vk >= VK_SHIFT && vk <= VK_MENU) && vk != VK_LWIN && vk != VK_RWIN;
  }
}

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

void cover() {
  const Parts p = parts();
  if (!p.hide_text) return;
  VeilState& veil = veil_state();
  if (veil.in_transition) {
    PostMessageW(p.frame, WM_APP_COVER, 0, 0);
    return;
  }
  if (veil.veiled) return;
  veil.veiled = true;
  veil.in_transition = true;
  veil.hidden_at = std::chrono::steady_clock::now();

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

void uncover() {
  VeilState& veil = veil_state();
  if (!std::exchange(veil.veiled, false)) return;
  veil.in_transition = true;
  const Parts p = parts();
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

void request_reveal(bool by_user) {
  const VeilState& veil = veil_state();
  if (!veil.veiled || veil.in_transition) return;
  if (!relock_required()) {
    uncover();
    return;
  }
  if (prompt_wanted(veil.unlock_prompt_open, veil.unlock_prompt_dismissed, by_user)) {
    PostMessageW(parts().frame, WM_APP_UNLOCK, 0, 0);
  }
}

LRESULT CALLBACK veil_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_PAINT:
      on_paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CONTEXTMENU:
    case WM_CHAR:
      return 0;
    case WM_KEYDOWN:
      if (key_reveals(wparam, false, parts())) request_reveal(true);
      return 0;
    case WM_SYSKEYDOWN:
      if (key_reveals(wparam, true, parts())) {
        request_reveal(true);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      if (parts().reveal != Reveal::Key) request_reveal(true);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
