// Dark styling of the system dialogs, on a dialog of the system's own class
// whose procedure is the hook, as the font and print dialogs call it: what
// a disabled check box, radio button and label look like on screen, and
// that the light theme leaves every control as the system made it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <utility>

#include "base/handles.h"
#include "support.h"
#include "ui/dark_dialog.h"
#include "ui/theme.h"

namespace {

using namespace wintest;

enum : int { check_id = 1, radio_id, label_id };

INT_PTR CALLBACK hooked_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    // Made before the hook sees WM_INITDIALOG, as a dialog template would.
    struct Child {
      const wchar_t* window_class;
      const wchar_t* text;
      DWORD style;
      int id;
    };
    const Child children[] = {
        {L"Button", L"&Underline", BS_AUTOCHECKBOX, check_id},
        {L"Button", L"&Landscape", BS_AUTORADIOBUTTON, radio_id},
        {L"Static", L"&Copies:", SS_LEFT, label_id},
    };
    HFONT font = reinterpret_cast<HFONT>(lparam);
    for (const Child& c : children) {
      HWND child = CreateWindowExW(0, c.window_class, c.text, WS_CHILD | WS_VISIBLE | WS_DISABLED | c.style, 10,
                                   10 + 40 * (c.id - 1), 220, 30, dialog, reinterpret_cast<HMENU>(INT_PTR{c.id}),
                                   nullptr, nullptr);
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SendDlgItemMessageW(dialog, check_id, BM_SETCHECK, BST_CHECKED, 0);
  }
  return static_cast<INT_PTR>(dark_dialog_hook(dialog, message, wparam, lparam));
}

// A shown dialog of class #32770 with a disabled check box, radio button
// and label.
class HookedDialog {
 public:
  HookedDialog() {
    struct alignas(4) Template {
      DLGTEMPLATE dialog;
      WORD menu, window_class, title;
    } empty{};
    empty.dialog.style = WS_POPUP | WS_VISIBLE | WS_BORDER;
    empty.dialog.cx = 200;
    empty.dialog.cy = 100;
    window = CreateDialogIndirectParamW(nullptr, &empty.dialog, nullptr, hooked_dialog_proc,
                                        reinterpret_cast<LPARAM>(font_.get()));
    EXPECT_NE(window, nullptr);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ~HookedDialog() { DestroyWindow(window); }
  HWND item(int id) const { return GetDlgItem(window, id); }

  HWND window = nullptr;

 private:
  UniqueFont font_{CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Liberation Sans")};
};

// How many pixels of each colour a control shows on screen between the
// columns `left` and `right`.
using Colours = std::map<COLORREF, int>;

Colours colours_shown(HWND control, int left, int right = INT_MAX) {
  RedrawWindow(GetParent(control), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(control, &client);
  const WindowDc screen(control);
  UniqueMemoryDc copy(CreateCompatibleDC(screen.get()));
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
  const SelectObjectScope select(copy.get(), bitmap.get());
  BitBlt(copy.get(), 0, 0, client.right, client.bottom, screen.get(), 0, 0, SRCCOPY);
  Colours counts;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = left; x < std::min<int>(right, client.right); ++x) ++counts[GetPixel(copy.get(), x, y)];
  }
  return counts;
}

COLORREF background(const Colours& counts) {
  return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

class DarkDialog : public GuiThreadTest {};

TEST_F(DarkDialog, DisabledControlsAreGreyOnTheDarkWindowColour) {
  set_dark_mode(true);
  const ThemeColors colors = palette();
  HookedDialog dialog;
  // Right of the box (13 + 4 pixels at 96 DPI) for the buttons; all of a label.
  for (const auto [id, text_left] : {std::pair{check_id, 17}, {radio_id, 17}, {label_id, 0}}) {
    Colours text = colours_shown(dialog.item(id), text_left);
    EXPECT_EQ(background(text), colors.window_color) << id;
    EXPECT_GT(text[colors.dim_color], 20) << "the caption in the dim colour: " << id;
    EXPECT_EQ(text.count(colors.text_color), 0u) << id;
  }
  // The inactive box is drawn at the left of the buttons.
  int box = 0;
  for (const auto& [colour, count] : colours_shown(dialog.item(check_id), 0, 13)) {
    if (colour != colors.window_color) box += count;
  }
  EXPECT_GT(box, 20);

  // Enabled, the system paints it again, in the hook's colours; disabled
  // once more, it is ours again.
  HWND check = dialog.item(check_id);
  EnableWindow(check, TRUE);
  Colours enabled = colours_shown(check, 17);
  EXPECT_EQ(background(enabled), colors.window_color);
  EXPECT_GT(enabled[colors.text_color], 20);
  EXPECT_EQ(enabled.count(colors.dim_color), 0u);
  EnableWindow(check, FALSE);
  Colours disabled = colours_shown(check, 17);
  EXPECT_GT(disabled[colors.dim_color], 20);
  EXPECT_EQ(disabled.count(colors.text_color), 0u);
}

TEST_F(DarkDialog, TheLightThemeLeavesTheDialogAsTheSystemMadeIt) {
  set_dark_mode(true);
  const COLORREF dark_window = palette().window_color;
  set_dark_mode(false);
  HookedDialog dialog;
  for (int id : {check_id, radio_id, label_id}) {
    HWND control = dialog.item(id);
    EXPECT_EQ(GetWindowLongPtrW(control, GWLP_WNDPROC), GetClassLongPtrW(control, GCLP_WNDPROC)) << id;
  }
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  for (UINT message : {WM_INITDIALOG, WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLOREDIT}) {
    EXPECT_EQ(dark_dialog_hook(dialog.window, message, reinterpret_cast<WPARAM>(dc.get()), 0), 0u) << message;
  }
  EXPECT_NE(background(colours_shown(dialog.item(check_id), 17)), dark_window);
}

// A control of our own class, to see which messages reach the procedure
// underneath the dark one.
struct Underneath {
  int paints = 0;
  int texts = 0;
  int destroyed = 0;
};
thread_local Underneath underneath;

LRESULT CALLBACK probe_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) ++underneath.paints;
  if (message == WM_SETTEXT) ++underneath.texts;
  if (message == WM_NCDESTROY) ++underneath.destroyed;
  return DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(DarkDialog, SubclassingTwiceKeepsOneChainAndDisabledTextIsRepainted) {
  set_dark_mode(true);
  underneath = {};
  HWND probe = create_test_window(L"NimbolDarkProbe", probe_proc, WS_POPUP | WS_VISIBLE, {0, 0, 200, 30});
  subclass_dark(probe, DarkKind::DarkCheck);
  subclass_dark(probe, DarkKind::DarkText);
  EXPECT_EQ(GetWindowLongPtrW(probe, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(dark_control_proc));

  SetWindowTextW(probe, L"enabled");
  EXPECT_EQ(underneath.texts, 1) << "passed down once, not to itself";
  UpdateWindow(probe);
  ValidateRect(probe, nullptr);

  EnableWindow(probe, FALSE);
  ValidateRect(probe, nullptr);
  SetWindowTextW(probe, L"now disabled");
  RECT dirty{};
  EXPECT_TRUE(GetUpdateRect(probe, &dirty, FALSE)) << "a new caption of a disabled control is repainted";
  const int paints_before = underneath.paints;
  UpdateWindow(probe);
  EXPECT_EQ(underneath.paints, paints_before) << "painted here while disabled";

  DestroyWindow(probe);
  EXPECT_EQ(underneath.destroyed, 1);
}

}  // namespace
