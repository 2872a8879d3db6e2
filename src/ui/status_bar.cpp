// The status bar window. It keeps nothing of its own: every paint reads the
// active tab and the settings afresh, so whoever changes a shown value only
// has to invalidate it. Painting goes through a memory bitmap, since the bar
// is repainted at every caret move while the user types.

#include <windows.h>

#include <richedit.h>

#include "ui/status_bar.h"

#include "base/handles.h"
#include "base/utf.h"
#include "model/app_state.h"
#include "model/veil_state.h"
#include "ui/accessible.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/status_text.h"
#include "ui/theme.h"

namespace {

class RichEditCaret final : public EditorCaretMetrics {
 public:
  explicit RichEditCaret(HWND editor) : editor_(editor) {}
  SelectionEnds selection() override {
    CHARRANGE range{};
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return {range.cpMin, range.cpMax};
  }
  std::int64_t line_from_char(std::int64_t position) override {
    return SendMessageW(editor_, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(position));
  }
  std::int64_t line_index(std::int64_t line) override {
    return SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  }
  std::int64_t caret_line_start() override {
    return SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(-1), 0);
  }

 private:
  HWND editor_;
};

// The facts are copied out of the state first: asking the editor sends
// messages, and painting may happen inside another handler, so the state
// is only taken when it is free.
StatusTexts current_texts() {
  StatusFacts facts;
  HWND editor = nullptr;
  {
    auto state = app_state().try_borrow();
    if (!state) return {};
    facts.zoom = state->config.zoom;
    facts.hidden_from_capture = state->config.hide_from_capture;
    if (const Tab* tab = state->active_tab()) {
      facts.has_active_tab = true;
      facts.eol = tab->eol;
      facts.encoding = tab->encoding;
      editor = tab->editor;
    }
  }
  if (editor) {
    RichEditCaret caret(editor);
    facts.caret = caret_place(caret);
  }
  return status_texts(facts);
}

void draw(HDC dc, const std::string& text, RECT area, UINT flags) {
  const std::wstring wide = to_wide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, flags | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// The right text has room between the left text's 170 units and the right
// margin.
bool right_text_fits(HWND window, std::uint32_t dpi) {
  RECT client{};
  GetClientRect(window, &client);
  return scale_for_dpi(170, dpi) < client.right - scale_for_dpi(10, dpi);
}

AccessView describe_status(HWND window) {
  // Covered, nothing is read at all: not even the caret's place.
  if (veiled()) return status_access_view({}, false, true);
  return status_access_view(current_texts(), right_text_fits(window, window_dpi(window)), false);
}

void on_paint(HWND window) {
  PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  BufferedDc buffer(paint.get(), client.right - client.left, client.bottom - client.top);
  if (!buffer) return;
  HDC dc = buffer.get();

  const ThemeColors colours = palette();
  FillRect(dc, &client, colours.window_brush);
  const std::uint32_t dpi = window_dpi(window);
  {
    SelectObjectScope select_font(dc, dialog_font(dpi, 16, false));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.dim_color);
    const StatusTexts texts = current_texts();
    const int split = scale_for_dpi(170, dpi);
    draw(dc, texts.left, {scale_for_dpi(10, dpi), 0, split, client.bottom}, 0);
    const RECT right{split, 0, client.right - scale_for_dpi(10, dpi), client.bottom};
    // A window too narrow for the right text shows none of it.
    if (right.left < right.right) draw(dc, texts.right, right, DT_RIGHT);
  }
}

}  // namespace

LRESULT CALLBACK status_bar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_PAINT:
      on_paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETOBJECT:
      return answer_get_object(window, wparam, lparam, describe_status);
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}
