// The tab strip window. Its geometry and mouse rules live in strip_layout;
// this file only asks Windows for sizes, positions and the tab list, paints
// what the layout says in the current palette, and turns clicks and drags
// into calls on the tab list. It never holds the application state: every
// call into the tabs can re-enter window procedures, so it asks afresh each
// time.

#include <windows.h>
#include <windowsx.h>

#include "editor/tab_strip.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "base/handles.h"
#include "base/utf.h"
#include "editor/strip_access.h"
#include "editor/strip_layout.h"
#include "editor/tab_model.h"
#include "editor/tabs.h"
#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "model/veil_state.h"
#include "store/session_store.h"
#include "ui/accessible.h"
#include "ui/command_ids.h"
#include "ui/controls.h"
#include "ui/theme.h"

namespace {

// One per strip window, bound at WM_NCCREATE and freed at WM_NCDESTROY.
struct StripState {
  StripMouse mouse;
};

StripState* state_of(HWND window) { return reinterpret_cast<StripState*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

StripLayout current_layout(HWND window, std::size_t count) {
  RECT client{};
  GetClientRect(window, &client);
  return strip_layout(client.right - client.left, client.bottom - client.top, window_dpi(window), count);
}

std::size_t tab_count() { return tab_titles().tabs.size(); }

void repaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void track_leave(HWND window) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = window;
  TrackMouseEvent(&track);
}

// ---- Seams to the rest of the program ----

// The strip order changed under a drag. The order is part of the stored
// session, so the session store's write timer restarts as well.
void tab_order_changed(HWND strip) {
  repaint(strip);
  schedule_store();
}

// Buttons speak to the frame the way menu items do.
void post_command(HWND strip, WORD command) { PostMessageW(GetParent(strip), WM_COMMAND, MAKEWPARAM(command, 0), 0); }

// ---- Painting ----

RECT to_rect(const EdgeRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void fill(HDC dc, const EdgeRect& area, HBRUSH brush) {
  const RECT r = to_rect(area);
  FillRect(dc, &r, brush);
}

void draw_line(HDC dc, HPEN pen, EdgePoint from, EdgePoint to) {
  SelectObjectScope use_pen(dc, pen);
  MoveToEx(dc, from.x, from.y, nullptr);
  LineTo(dc, to.x, to.y);
}

struct PaintTools {
  ThemeColors colors;
  UniquePen text_pen;
  UniquePen dim_pen;
  UniqueBrush dim_brush;
};

bool hovers_tab(const StripMouse& mouse, std::size_t index) {
  return (mouse.hover_part == StripPart::Tab || mouse.hover_part == StripPart::Close) && mouse.hover_index == index;
}

void draw_tab(HDC dc, const PaintTools& tools, const StripLayout& layout, const StripMouse& mouse, const TabTitle& tab,
              bool active, std::size_t index, UINT dpi) {
  const EdgeRect area = layout.tab(index);
  if (area.empty()) return;
  // A tab's pieces stay inside it however narrow it gets.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);

  const bool hovered = hovers_tab(mouse, index);
  if (active) {
    fill(dc, area, tools.colors.edit_brush);
  } else if (hovered) {
    fill(dc, area, tools.colors.tab_brush);
  }

  const TabPaintGeometry g = tab_paint_geometry(layout, index, tab.dirty, dpi);
  if (g.dot) {
    SelectObjectScope pen(dc, tools.dim_pen.get());
    SelectObjectScope brush(dc, tools.dim_brush.get());
    Ellipse(dc, g.dot->left, g.dot->top, g.dot->right, g.dot->bottom);
  }
  if (!g.title.empty() && !tab.title.empty()) {
    SetTextColor(dc, active ? tools.colors.text_color : tools.colors.dim_color);
    std::wstring title = to_wide(tab.title);
    RECT r = to_rect(g.title);
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r,
              DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  if (g.has_close) {
    HPEN cross = active ? tools.text_pen.get() : tools.dim_pen.get();
    if (mouse.hover_part == StripPart::Close && mouse.hover_index == index) {
      fill(dc, g.close_hover, active ? tools.colors.tab_brush : tools.colors.edit_brush);
      cross = tools.text_pen.get();
    }
    draw_line(dc, cross, g.cross_a_from, g.cross_a_to);
    draw_line(dc, cross, g.cross_b_from, g.cross_b_to);
  }
  RestoreDC(dc, saved);
}

void draw_strip(HDC dc, const RECT& client, const StripMouse& mouse, const StripLayout& layout,
                const TabStripSnapshot& snapshot, UINT dpi) {
  PaintTools tools{palette(), {}, {}, {}};
  const int pen_width = strip_pen_width(dpi);
  tools.text_pen.reset(CreatePen(PS_SOLID, pen_width, tools.colors.text_color));
  tools.dim_pen.reset(CreatePen(PS_SOLID, pen_width, tools.colors.dim_color));
  tools.dim_brush.reset(CreateSolidBrush(tools.colors.dim_color));
  SelectObjectScope font(dc, dialog_font(dpi, 16, false));
  SetBkMode(dc, TRANSPARENT);

  FillRect(dc, &client, tools.colors.window_brush);

  const ButtonGlyphs glyphs = button_glyphs(layout, dpi);
  if (mouse.hover_part == StripPart::Menu) fill(dc, layout.menu, tools.colors.tab_brush);
  for (const StripLine& line : glyphs.menu) draw_line(dc, tools.text_pen.get(), line.from, line.to);

  const std::size_t shown = std::min(layout.count, snapshot.tabs.size());
  for (std::size_t i = 0; i < shown; ++i) {
    draw_tab(dc, tools, layout, mouse, snapshot.tabs[i], i == snapshot.active, i, dpi);
  }

  if (mouse.hover_part == StripPart::Plus) fill(dc, layout.plus, tools.colors.tab_brush);
  for (const StripLine& line : glyphs.plus) draw_line(dc, tools.text_pen.get(), line.from, line.to);
}

// Draws into a bitmap first and copies it in one go, so a resize or a hover
// never shows a half-painted strip. Without the bitmap it still paints,
// straight onto the target.
void paint_strip(HWND window, HDC target) {
  const StripState* state = state_of(window);
  if (!state || !target) return;
  RECT client{};
  GetClientRect(window, &client);
  const UINT dpi = window_dpi(window);
  const TabStripSnapshot snapshot = tab_titles();
  const StripLayout layout =
      strip_layout(client.right - client.left, client.bottom - client.top, dpi, snapshot.tabs.size());

  BufferedDc buffer(target, client.right - client.left, client.bottom - client.top);
  draw_strip(buffer ? buffer.get() : target, client, state->mouse, layout, snapshot, dpi);
}

// ---- Mouse ----

// After a click has changed the tabs, or a drag has ended, the part under
// the mouse may be a different one; the hover follows without waiting for
// the next move.
void refresh_hover(HWND window) {
  StripState* state = state_of(window);
  if (!state) return;
  POINT cursor{};
  RECT client{};
  GetClientRect(window, &client);
  const bool inside = GetCursorPos(&cursor) && ScreenToClient(window, &cursor) && PtInRect(&client, cursor);
  bool changed = false;
  if (inside) {
    changed = state->mouse.set_hover(strip_hit_test(current_layout(window, tab_count()), cursor.x, cursor.y));
    track_leave(window);
  } else {
    changed = state->mouse.leave();
  }
  if (changed) repaint(window);
}

void on_drag_move(HWND window, int x) {
  const StripLayout layout = current_layout(window, tab_count());
  StripState* state = state_of(window);
  if (state->mouse.drag_index >= layout.count) {
    // The dragged tab went away under the mouse (closed by something else).
    ReleaseCapture();
    state->mouse.end_drag();
    return;
  }
  bool hover_changed = false;
  const std::optional<TabMove> move = state->mouse.drag_to(layout, x, GetSystemMetrics(SM_CXDRAG), hover_changed);
  if (move) {
    move_tab(move->from, move->to);
    tab_order_changed(window);
  } else if (hover_changed) {
    repaint(window);
  }
}

void on_mouse_move(HWND window, int x, int y) {
  StripState* state = state_of(window);
  if (state->mouse.drag_state != DragState::Idle) {
    on_drag_move(window, x);
    return;
  }
  if (state->mouse.set_hover(strip_hit_test(current_layout(window, tab_count()), x, y))) {
    repaint(window);
  }
  track_leave(window);
}

void on_mouse_leave(HWND window) {
  if (state_of(window)->mouse.leave()) repaint(window);
}

// What a click on a part does, from the mouse or from a screen reader.
void act_on(HWND window, StripPart part, std::size_t index) {
  switch (part) {
    case StripPart::Menu:
      show_main_menu();
      refresh_hover(window);
      break;
    case StripPart::Tab:
      activate_tab(index);
      break;
    case StripPart::Close:
      close_tab(index);
      refresh_hover(window);
      break;
    case StripPart::Plus:
      post_command(window, CMD_NEW_TAB);
      break;
    case StripPart::None:
      break;
  }
}

void on_left_down(HWND window, int x, int y) {
  const StripHit hit = strip_hit_test(current_layout(window, tab_count()), x, y);
  act_on(window, hit.part, hit.index);
  // A pressed tab may be dragged to another place.
  if (hit.part == StripPart::Tab) {
    SetCapture(window);
    if (StripState* state = state_of(window)) state->mouse.press(hit.index, x);
  }
}

void on_left_up(HWND window) {
  StripState* state = state_of(window);
  if (state->mouse.drag_state == DragState::Idle) return;
  // Letting go only ends the drag: the tab already sits where it was pulled.
  if (GetCapture() == window) {
    ReleaseCapture();
  } else {
    state->mouse.end_drag();
  }
}

void on_capture_changed(HWND window) {
  StripState* state = state_of(window);
  if (state->mouse.drag_state == DragState::Idle) return;
  state->mouse.end_drag();
  refresh_hover(window);
}

void on_left_double_click(HWND window, int x, int y) {
  // The first click of the pair already acted on whatever was hit; only the
  // empty strip gives the double click a meaning of its own.
  if (strip_hit_test(current_layout(window, tab_count()), x, y).part == StripPart::None) {
    post_command(window, CMD_NEW_TAB);
  }
}

void on_middle_down(HWND window, int x, int y) {
  const StripHit hit = strip_hit_test(current_layout(window, tab_count()), x, y);
  if (hit.part == StripPart::Tab || hit.part == StripPart::Close) {
    close_tab(hit.index);
    refresh_hover(window);
  }
}

// ---- Screen readers ----

// A part used through a screen reader, posted by the strip to itself so that
// what it does (a menu, a question) runs outside the reader's request.
// wParam: the StripPart, lParam: the tab's index.
constexpr UINT strip_act_message = WM_USER + 1;

// Asked at any moment, also inside another handler: the tabs are read only
// when nobody holds the state.
StripAccess strip_access_now(HWND window) {
  TabStripSnapshot snapshot;
  {
    auto state = app_state().try_borrow();
    if (state) snapshot = snapshot_titles(state->tabs, state->active);
  }
  return strip_access(current_layout(window, snapshot.tabs.size()), snapshot, veiled());
}

AccessView describe_strip(HWND window) { return strip_access_now(window).view; }

void act_through_reader(HWND window, std::size_t child) {
  const StripAccess access = strip_access_now(window);
  if (child >= access.targets.size()) return;
  const StripHit target = access.targets[child];
  PostMessageW(window, strip_act_message, static_cast<WPARAM>(target.part), static_cast<LPARAM>(target.index));
}

// The same as a click on that part; nothing while the text is covered (the
// cover may have come after the request was posted).
void on_reader_act(HWND window, StripPart part, std::size_t index) {
  if (veiled()) return;
  const bool tab_part = part == StripPart::Tab || part == StripPart::Close;
  if (tab_part && index >= tab_count()) return;
  act_on(window, part, index);
}

}  // namespace

LRESULT CALLBACK tab_strip_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    auto* state = new (std::nothrow) StripState;
    if (!state) return FALSE;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    std::unique_ptr<StripState> owned(state_of(window));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) find no state yet.
  if (!state_of(window)) return DefWindowProcW(window, message, wparam, lparam);

  const int x = GET_X_LPARAM(lparam);
  const int y = GET_Y_LPARAM(lparam);
  switch (message) {
    case WM_PAINT: {
      PaintDc dc(window);
      paint_strip(window, dc.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      paint_strip(window, reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      on_mouse_move(window, x, y);
      return 0;
    case WM_MOUSELEAVE:
      on_mouse_leave(window);
      return 0;
    case WM_LBUTTONDOWN:
      on_left_down(window, x, y);
      return 0;
    case WM_LBUTTONUP:
      on_left_up(window);
      return 0;
    case WM_CAPTURECHANGED:
      on_capture_changed(window);
      return 0;
    case WM_LBUTTONDBLCLK:
      on_left_double_click(window, x, y);
      return 0;
    case WM_MBUTTONDOWN:
      on_middle_down(window, x, y);
      return 0;
    case WM_DPICHANGED_AFTERPARENT:
      repaint(window);
      return 0;
    case WM_GETOBJECT:
      return answer_get_object(window, wparam, lparam, describe_strip, act_through_reader);
    case strip_act_message:
      on_reader_act(window, static_cast<StripPart>(wparam), static_cast<std::size_t>(lparam));
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}
