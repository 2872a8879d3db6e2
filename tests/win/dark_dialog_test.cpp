// Dark styling of the system dialogs, on a dialog of the system's own class
// whose procedure is the hook, as the font and print dialogs call it: what
// a disabled check box, radio button and label look like on screen, and
// that the light theme leaves every control as the system made it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

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

// What a control shows on screen from `left` rightwards: its most common
// colour and how many pixels have exactly the given colours.
struct Shown {
  COLORREF background;
  int text_pixels;   // exactly text_color
  int dim_pixels;    // exactly dim_color
  int other_pixels;  // neither of those nor the background
};

Shown shown(HWND control, int left) {
  RedrawWindow(GetParent(control), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right;
  const int height = client.bottom;
  UniqueMemoryDc copy(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(copy.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    const SelectObjectScope select(copy.get(), bitmap.get());
    const WindowDc screen(control);
    BitBlt(copy.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  const ThemeColors colors = palette();
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = left; x < width; ++x) {
      const auto bgrx = static_cast<const std::uint32_t*>(bits)[y * width + x];
      pixels.push_back(RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF));
    }
  }
  std::map<COLORREF, int> counts;
  for (COLORREF p : pixels) ++counts[p];
  Shown out{};
  int most = 0;
  for (const auto& [colour, count] : counts) {
    if (count > most) out.background = colour, most = count;
  }
  for (const auto& [colour, count] : counts) {
    if (colour == colors.text_color) {
      out.text_pixels = count;
    } else if (colour == colors.dim_color) {
      out.dim_pixels = count;
    } else if (colour != out.background) {
      out.other_pixels += count;
    }
  }
  return out;
}

class DarkDialog : public GuiThreadTest {};

TEST_F(DarkDialog, DisabledControlsAreGreyOnTheDarkWindowColour) {
  set_dark_mode(true);
  const ThemeColors colors = palette();
  HookedDialog dialog;
  // Right of the box (13 + 4 pixels at 96 DPI) for the buttons; all of a label.
  const struct {
    int id;
    int text_left;
  } controls[] = {{check_id, 17}, {radio_id, 17}, {label_id, 0}};
  for (const auto& c : controls) {
    const Shown text = shown(dialog.item(c.id), c.text_left);
    EXPECT_EQ(text.background, colors.window_color) << c.id;
    EXPECT_GT(text.dim_pixels, 20) << "the caption in the dim colour: " << c.id;
    EXPECT_EQ(text.text_pixels, 0) << c.id;
  }
  // The inactive box is drawn at the left of the buttons.
  EXPECT_GT(shown(dialog.item(check_id), 0).other_pixels, 20);

  // Enabled, the system paints it again, in the hook's colours.
  HWND check = dialog.item(check_id);
  EnableWindow(check, TRUE);
  const Shown enabled = shown(check, 17);
  EXPECT_EQ(enabled.background, colors.window_color);
  EXPECT_GT(enabled.text_pixels, 20);
  EXPECT_EQ(enabled.dim_pixels, 0);

  EnableWindow(check, FALSE);
  const Shown disabled = shown(check, 17);
  EXPECT_GT(disabled.dim_pixels, 20);
  EXPECT_EQ(disabled.text_pixels, 0);
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
  EXPECT_NE(shown(dialog.item(check_id), 17).background, dark_window);
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
