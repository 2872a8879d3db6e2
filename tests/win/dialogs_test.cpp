// The program's own dialogs, run for real: each test opens a message box or
// prompt and answers it from inside its modal loop, the way a user would
// (keys and clicks posted to the window found by its class), then checks
// what the call returned.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "support.h"
#include "ui/controls.h"
#include "ui/dialog_layout.h"
#include "ui/dpi.h"
#include "ui/message_box.h"
#include "ui/palette_values.h"
#include "ui/password_prompt.h"
#include "ui/theme.h"

namespace {

using namespace wintest;

// A plain top-level window to own the dialogs.
HWND make_owner() {
  return create_test_window(L"NimbolTestOwner", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE, {10, 10, 300, 200});
}

class MessageBoxRun : public GuiThreadTest {};
class ModalLoop : public GuiThreadTest {};
class PromptRun : public GuiThreadTest {};
class DialogControls : public GuiThreadTest {};

// ---- message box ----

TEST_F(MessageBoxRun, KeysClicksAndTheCloseBoxGiveTheRightIndex) {
  struct Case {
    const char* what;
    std::vector<std::string> buttons;
    std::size_t default_index;
    std::size_t cancel_index;
    std::function<void(HWND)> answer;
    std::size_t expected;
  };
  const Case cases[] = {
      {"Enter, default 1", {"Yes", "No"}, 1, 1, [](HWND w) { post_key(w, VK_RETURN); }, 1},
      {"Enter, default 0", {"Save", "Don't Save", "Cancel"}, 0, 2, [](HWND w) { post_key(w, VK_RETURN); }, 0},
      {"Esc gives a cancel value matching no button", {"Yes", "No"}, 0, 2, [](HWND w) { post_key(w, VK_ESCAPE); }, 2},
      {"click the middle button", {"Save", "Don't Save", "Cancel"}, 0, 2, [](HWND w) { mouse_click(w, 5001); }, 1},
      {"click the first button", {"Close Anyway", "Cancel"}, 1, 1, [](HWND w) { mouse_click(w, 5000); }, 0},
      {"close box", {"Keep Them", "Remove Them"}, 0, 0, [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0},
      {"close box, cancel 2", {"Yes", "No"}, 0, 2, [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, 2},
  };
  HWND owner = make_owner();
  for (const Case& c : cases) {
    Script script{MESSAGE_BOX_CLASS, {c.answer}};
    const std::size_t got = with_script(
        script, [&] { return message_box(owner, false, "Question?", c.buttons, c.default_index, c.cancel_index); });
    EXPECT_EQ(got, c.expected) << c.what;
    EXPECT_EQ(find_thread_window(MESSAGE_BOX_CLASS), nullptr) << c.what << ": the box is destroyed";
  }
  DestroyWindow(owner);
}

TEST_F(MessageBoxRun, ShowsTheTextAndButtonsWhereTheLayoutSaysAndDisablesTheOwner) {
  HWND owner = make_owner();
  bool owner_enabled_inside = true;
  HWND box_owner = nullptr;
  std::wstring label, first, second;
  RECT outer{};
  RECT button{};
  std::uint32_t dpi = 0;
  bool focus_on_default = false;
  Script script{MESSAGE_BOX_CLASS, {[&](HWND w) {
                  owner_enabled_inside = IsWindowEnabled(owner);
                  box_owner = GetWindow(w, GW_OWNER);
                  dpi = window_dpi(w);
                  GetWindowRect(w, &outer);
                  label = text_of(w, 0);
                  first = text_of(w, 5000);
                  second = text_of(w, 5001);
                  HWND b = GetDlgItem(w, 5001);
                  GetWindowRect(b, &button);
                  MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&button), 2);
                  focus_on_default = GetFocus() == b;
                  post_key(w, VK_ESCAPE);
                }}};
  const std::size_t got = with_script(script, [&] {
    return message_box(owner, true, "Saved.", {"Save", "Cancel"}, 1, 1);
  });
  EXPECT_EQ(got, 1u);
  EXPECT_FALSE(owner_enabled_inside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(box_owner, owner);
  EXPECT_EQ(label, L"Saved.");
  EXPECT_EQ(first, L"Save");
  EXPECT_EQ(second, L"Cancel");
  EXPECT_TRUE(focus_on_default);
  // One line of text: a 390 × 144 window at 96 DPI, scaled to the real DPI.
  EXPECT_EQ(outer.right - outer.left, scale_for_dpi(390, dpi));
  EXPECT_EQ(outer.bottom - outer.top, scale_for_dpi(144, dpi));
  // The last button of the row: client (278, 64), 84 × 26 units.
  EXPECT_EQ(button.left, scale_for_dpi(278, dpi));
  EXPECT_EQ(button.top, scale_for_dpi(64, dpi));
  EXPECT_EQ(button.right - button.left, scale_for_dpi(84, dpi));
  EXPECT_EQ(button.bottom - button.top, scale_for_dpi(26, dpi));
  DestroyWindow(owner);
}

BOOL CALLBACK find_icon_child(HWND child, LPARAM param) {
  if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

TEST_F(MessageBoxRun, ShowsTheWarningOrTheProgramIconAtTheTopLeft) {
  for (bool app_icon : {false, true}) {
    HICON shown = nullptr;
    RECT rect{};
    std::uint32_t dpi = 0;
    Script script{MESSAGE_BOX_CLASS, {[&](HWND w) {
                    dpi = window_dpi(w);
                    HWND icon = nullptr;
                    EnumChildWindows(w, find_icon_child, reinterpret_cast<LPARAM>(&icon));
                    if (icon) {
                      shown = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
                      GetWindowRect(icon, &rect);
                      MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&rect), 2);
                    }
                    post_key(w, VK_RETURN);
                  }}};
    with_script(script, [&] { return message_box(nullptr, app_icon, "Icon.", {"OK"}, 0, 0); });
    EXPECT_NE(shown, nullptr) << app_icon;
    EXPECT_EQ(rect.left, scale_for_dpi(12, dpi)) << app_icon;
    EXPECT_EQ(rect.top, scale_for_dpi(12, dpi)) << app_icon;
    EXPECT_EQ(rect.right - rect.left, scale_for_dpi(32, dpi)) << app_icon;
  }
}

COLORREF client_pixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

TEST_F(MessageBoxRun, AnOpenBoxTakesANewThemeAtOnce) {
  set_dark_mode(false);
  COLORREF before = 0, after = 0;
  Script script{MESSAGE_BOX_CLASS,
                {[&](HWND w) {
                   UpdateWindow(w);
                   before = client_pixel(w, 2, 2);
                   set_dark_mode(true);
                   apply_theme_everywhere();
                 },
                 [&](HWND w) {
                   UpdateWindow(w);
                   after = client_pixel(w, 2, 2);
                   post_key(w, VK_RETURN);
                 }}};
  with_script(script, [&] { return message_box(nullptr, false, "Theme.", {"OK"}, 0, 0); });
  EXPECT_EQ(before, RGB(236, 236, 236));
  EXPECT_EQ(after, RGB(45, 45, 45));
}

TEST_F(MessageBoxRun, AnOwnerAlreadyDisabledStaysDisabled) {
  // As when a box opens while another modal window has the owner disabled.
  HWND owner = make_owner();
  EnableWindow(owner, FALSE);
  Script script{MESSAGE_BOX_CLASS, {[](HWND w) { post_key(w, VK_RETURN); }}};
  with_script(script, [&] { return message_box(owner, false, "Inner.", {"OK"}, 0, 0); });
  EXPECT_FALSE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

TEST_F(MessageBoxRun, ALongTextGrowsTheWindowByItsWrappedHeight) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "words that wrap ";
  const std::int32_t height = measure_text_height(text, MESSAGE_TEXT_WIDTH);
  ASSERT_GT(height, MESSAGE_MIN_TEXT_HEIGHT);
  RECT outer{};
  std::uint32_t dpi = 0;
  Script script{MESSAGE_BOX_CLASS, {[&](HWND w) {
                  dpi = window_dpi(w);
                  GetWindowRect(w, &outer);
                  post_key(w, VK_RETURN);
                }}};
  with_script(script, [&] { return message_box(nullptr, false, text, {"OK"}, 0, 0); });
  EXPECT_EQ(outer.bottom - outer.top, scale_for_dpi(height + 112, dpi));
}

// A quit that arrives inside a modal loop must still end the program's loop.
TEST_F(ModalLoop, AQuitTakenInsideIsPostedAgain) {
  PostQuitMessage(7);
  EXPECT_EQ(message_box(nullptr, false, "Never answered.", {"Yes", "No"}, 0, 2), 2u);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(find_thread_window(MESSAGE_BOX_CLASS), nullptr);

  PostQuitMessage(9);
  const PromptSpec spec{.title = "Nimbol", .labels = {"Password:"}, .ok_text = "Unlock", .cancel_text = "Cancel"};
  EXPECT_EQ(password_prompt(nullptr, spec, nullptr, nullptr), PromptResult::Cancelled);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 9u);
}

TEST_F(ModalLoop, AWindowDestroyedFromOutsideEndsTheLoop) {
  HWND owner = make_owner();
  Script script{MESSAGE_BOX_CLASS, {[&](HWND) { DestroyWindow(owner); }}};
  // Destroying the owner takes the box with it; the call must come back.
  EXPECT_EQ(with_script(script, [&] { return message_box(owner, false, "Gone.", {"OK", "Cancel"}, 0, 1); }), 1u);
}

// ---- prompt ----

struct Attempts {
  std::vector<std::vector<std::string>> seen;
  std::string accept;  // the first field's text that is accepted
};

Result<void> check_password(void* context, std::span<const SecureBuffer> texts) {
  auto* attempts = static_cast<Attempts*>(context);
  std::vector<std::string> copy;
  for (const SecureBuffer& t : texts) copy.emplace_back(t.view());
  attempts->seen.push_back(copy);
  if (!texts.empty() && texts[0].view() == attempts->accept) return {};
  return fail("That is not the password.");
}

TEST_F(PromptRun, AnErrorKeepsThePromptShowsTheMessageAndEmptiesEveryField) {
  HWND owner = make_owner();
  Attempts attempts{.accept = "right"};
  std::wstring error_after_wrong, first_after_wrong, second_after_wrong;
  bool owner_enabled_inside = true;
  Script script{PASSWORD_PROMPT_CLASS,
                {[&](HWND w) {
                   owner_enabled_inside = IsWindowEnabled(owner);
                   type_into(w, 4000, "wrong");
                   type_into(w, 4001, "second");
                 },
                 [&](HWND w) { post_key(w, VK_RETURN); },
                 [&](HWND w) {
                   error_after_wrong = text_of(w, 4010);
                   first_after_wrong = text_of(w, 4000);
                   second_after_wrong = text_of(w, 4001);
                   type_into(w, 4000, "right");
                   type_into(w, 4001, "again");
                 },
                 [&](HWND w) { mouse_click(w, 4011); }}};
  const PromptSpec spec{
      .title = "Set Password", .labels = {"New password:", "Repeat it:"}, .ok_text = "Set", .cancel_text = "Cancel"};
  const PromptResult result =
      with_script(script, [&] { return password_prompt(owner, spec, &attempts, check_password); });
  EXPECT_EQ(result, PromptResult::Accepted);
  EXPECT_FALSE(owner_enabled_inside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(error_after_wrong, L"That is not the password.");
  EXPECT_EQ(first_after_wrong, L"");
  EXPECT_EQ(second_after_wrong, L"");
  const std::vector<std::vector<std::string>> expected = {{"wrong", "second"}, {"right", "again"}};
  EXPECT_EQ(attempts.seen, expected);
  EXPECT_EQ(find_thread_window(PASSWORD_PROMPT_CLASS), nullptr);
  DestroyWindow(owner);
}

TEST_F(PromptRun, CancelExtraEscAndTheCloseBoxEndWithoutTheValidator) {
  struct Case {
    const char* what;
    std::function<void(HWND)> answer;
    PromptResult expected;
  };
  const Case cases[] = {
      {"cancel button", [](HWND w) { mouse_click(w, 2); }, PromptResult::Cancelled},
      {"extra button", [](HWND w) { mouse_click(w, 4012); }, PromptResult::Extra},
      {"Esc", [](HWND w) { post_key(w, VK_ESCAPE); }, PromptResult::Cancelled},
      {"close box", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, PromptResult::Cancelled},
  };
  const PromptSpec spec{.title = "Nimbol",
                        .labels = {"Password:"},
                        .ok_text = "Unlock",
                        .cancel_text = "Exit",
                        .extra_text = "Forgot It..."};
  for (const Case& c : cases) {
    Attempts attempts{.accept = "x"};
    Script script{PASSWORD_PROMPT_CLASS, {[](HWND w) { type_into(w, 4000, "x"); }, c.answer}};
    EXPECT_EQ(with_script(script, [&] { return password_prompt(nullptr, spec, &attempts, check_password); }),
              c.expected)
        << c.what;
    EXPECT_TRUE(attempts.seen.empty()) << c.what;
  }
}

TEST_F(PromptRun, NumericFieldTakesOnlyNineDigitsAndPasswordFieldsTwoHundred) {
  Attempts attempts{.accept = "123456789"};
  std::wstring shown;
  LRESULT numeric_limit = 0;
  Script numeric{PASSWORD_PROMPT_CLASS,
                 {[&](HWND w) {
                    numeric_limit = SendMessageW(GetDlgItem(w, 4000), EM_GETLIMITTEXT, 0, 0);
                    type_into(w, 4000, "1a2-3 45678.9012");
                  },
                  [&](HWND w) {
                    shown = text_of(w, 4000);
                    post_key(w, VK_RETURN);
                  }}};
  const PromptSpec go_to{
      .title = "Go To Line", .labels = {"Line number:"}, .ok_text = "Go To", .cancel_text = "Cancel", .numeric = true};
  EXPECT_EQ(with_script(numeric, [&] { return password_prompt(nullptr, go_to, &attempts, check_password); }),
            PromptResult::Accepted);
  EXPECT_EQ(numeric_limit, 9);
  EXPECT_EQ(shown, L"123456789");

  LRESULT password_limit = 0;
  LONG_PTR password_style = 0;
  Script password{PASSWORD_PROMPT_CLASS, {[&](HWND w) {
                    password_limit = SendMessageW(GetDlgItem(w, 4000), EM_GETLIMITTEXT, 0, 0);
                    password_style = GetWindowLongPtrW(GetDlgItem(w, 4000), GWL_STYLE);
                    post_key(w, VK_ESCAPE);
                  }}};
  const PromptSpec unlock{.title = "Nimbol", .labels = {"Password:"}, .ok_text = "Unlock", .cancel_text = "Cancel"};
  with_script(password, [&] { return password_prompt(nullptr, unlock, &attempts, check_password); });
  EXPECT_EQ(password_limit, 200);
  EXPECT_TRUE(password_style & ES_PASSWORD);
}

// ---- the machinery ----

LRESULT CALLBACK plain_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

struct TestDialog {
  HWND window = nullptr;
  TestDialog() {
    auto created = create_dialog_window(L"NimbolTestWnd", "Test", plain_dialog_proc, nullptr, 400, 300);
    EXPECT_TRUE(created.has_value());
    window = created.value_or(nullptr);
  }
  ~TestDialog() {
    if (window) DestroyWindow(window);
  }
};

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

TEST_F(DialogControls, EveryKindIsCreatedAsItsControlInListOrder) {
  TestDialog dialog;
  ASSERT_NE(dialog.window, nullptr);
  const std::vector<ControlSpec> specs = {
      {.kind = ControlKind::Label, .text = L"label", .id = 10, .x = 10, .y = 10, .width = 100, .height = 20},
      {.kind = ControlKind::Heading, .text = L"heading", .id = 11, .x = 10, .y = 30, .width = 100, .height = 30},
      {.kind = ControlKind::PathLabel, .text = L"C:\\a\\b", .id = 12, .x = 10, .y = 60, .width = 100, .height = 20},
      {.kind = ControlKind::CheckBox, .text = L"check", .id = 13, .x = 10, .y = 80, .width = 100, .height = 20},
      {.kind = ControlKind::Radio,
       .flag = true,
       .text = L"radio",
       .id = 14,
       .x = 10,
       .y = 100,
       .width = 100,
       .height = 20},
      {.kind = ControlKind::ShortEdit,
       .limit = 3,
       .text = L"ab",
       .id = 15,
       .x = 10,
       .y = 120,
       .width = 100,
       .height = 20},
      {.kind = ControlKind::Edit,
       .limit = 50,
       .text = L"edit",
       .id = 16,
       .x = 10,
       .y = 140,
       .width = 100,
       .height = 20},
      {.kind = ControlKind::PasswordEdit, .limit = 5, .id = 17, .x = 10, .y = 160, .width = 100, .height = 20},
      {.kind = ControlKind::TextView, .text = L"view", .id = 18, .x = 150, .y = 10, .width = 200, .height = 100},
      {.kind = ControlKind::Link, .text = L"link", .id = 19, .x = 150, .y = 120, .width = 100, .height = 20},
      {.kind = ControlKind::Button, .text = L"OK", .id = 20, .x = 150, .y = 150, .width = 80, .height = 26},
  };
  const std::vector<HWND> handles = create_controls(dialog.window, specs);
  ASSERT_EQ(handles.size(), specs.size());

  struct Expect {
    const wchar_t* cls;
    DWORD style_bits;  // must all be set
    DWORD ex_style_bits;
  };
  const Expect expected[] = {
      {L"Static", SS_LEFT, 0},
      {L"Static", SS_LEFT, 0},
      {L"Static", SS_PATHELLIPSIS | SS_NOPREFIX, 0},
      {L"Button", WS_TABSTOP | BS_AUTOCHECKBOX, 0},
      {L"Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0},
      {L"Edit", WS_TABSTOP | ES_AUTOHSCROLL | ES_UPPERCASE, WS_EX_CLIENTEDGE},
      {L"Edit", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
      {L"Edit", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
      {L"Edit", WS_VSCROLL | ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE, WS_EX_CLIENTEDGE},
      {L"Button", WS_TABSTOP | BS_OWNERDRAW, 0},
      {L"Button", WS_TABSTOP | BS_OWNERDRAW, 0},
  };
  const std::uint32_t dpi = window_dpi(dialog.window);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    HWND h = handles[i];
    ASSERT_NE(h, nullptr) << i;
    EXPECT_EQ(_wcsicmp(class_of(h).c_str(), expected[i].cls), 0) << i << " " << to_utf8(class_of(h));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << i;
    EXPECT_EQ(style & expected[i].style_bits, expected[i].style_bits) << i;
    EXPECT_EQ(ex_style & expected[i].ex_style_bits, expected[i].ex_style_bits) << i;
    EXPECT_EQ(GetDlgCtrlID(h), specs[i].id) << i;
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, dialog.window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, scale_for_dpi(specs[i].x, dpi)) << i;
    EXPECT_EQ(r.top, scale_for_dpi(specs[i].y, dpi)) << i;
    EXPECT_EQ(r.right - r.left, scale_for_dpi(specs[i].width, dpi)) << i;
    // Tab order is creation order.
    if (i > 0) EXPECT_EQ(GetWindow(handles[i - 1], GW_HWNDNEXT), h) << i;
  }
  EXPECT_EQ(SendMessageW(handles[5], EM_GETLIMITTEXT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(handles[6], EM_GETLIMITTEXT, 0, 0), 50);
  EXPECT_EQ(SendMessageW(handles[7], EM_GETLIMITTEXT, 0, 0), 200);  // the field keeps its own limit
  EXPECT_GT(SendMessageW(handles[8], EM_GETLIMITTEXT, 0, 0), 100000);
  EXPECT_EQ(text_of(dialog.window, 18), L"view");
  EXPECT_EQ(GetWindowLongPtrW(handles[9], GWLP_USERDATA), LINK_MARKER);
  EXPECT_NE(GetWindowLongPtrW(handles[10], GWLP_USERDATA), LINK_MARKER);

  // Fonts: 16 pixels, the heading 22, the link underlined.
  auto font_of = [](HWND h) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
  };
  EXPECT_EQ(font_of(handles[0]).lfHeight, scale_for_dpi(16, dpi));
  EXPECT_EQ(font_of(handles[1]).lfHeight, scale_for_dpi(22, dpi));
  EXPECT_TRUE(font_of(handles[9]).lfUnderline);
  EXPECT_FALSE(font_of(handles[10]).lfUnderline);
  EXPECT_EQ(std::wstring(font_of(handles[10]).lfFaceName), L"Segoe UI");
  EXPECT_EQ(font_of(handles[10]).lfQuality, CLEARTYPE_QUALITY);
  // One cached font per (dpi, size, underline), shared by every control.
  EXPECT_EQ(SendMessageW(handles[10], WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(dialog_font(dpi, 16, false)));
  EXPECT_EQ(SendMessageW(handles[0], WM_GETFONT, 0, 0), SendMessageW(handles[10], WM_GETFONT, 0, 0));
}

TEST_F(DialogControls, TextIsMeasuredInTheDialogFont) {
  EXPECT_EQ(measure_text_height("", 306), 0);
  EXPECT_EQ(measure_text_width(""), 0);
  const std::int32_t line = measure_text_height("One line.", 306);
  EXPECT_GT(line, 0);
  EXPECT_LT(line, MESSAGE_MIN_TEXT_HEIGHT);
  EXPECT_GE(measure_text_height("One line.\n\nThird line.", 306), 3 * line);
  EXPECT_GT(measure_text_width("Homepage: and more"), measure_text_width("Homepage:"));
  // Wrapping at a narrower width takes more lines.
  const std::string paragraph = "A notepad that hides its text while you are not using it, and more words.";
  EXPECT_GT(measure_text_height(paragraph, 120), measure_text_height(paragraph, 600));
}

TEST_F(DialogControls, TextHelpersReadAtMost255Characters) {
  TestDialog dialog;
  const std::vector<ControlSpec> specs = {
      {.kind = ControlKind::Edit, .limit = 1000, .id = 30, .width = 100, .height = 20}};
  create_controls(dialog.window, specs);
  set_control_text(dialog.window, 30, "caf\xC3\xA9");
  EXPECT_EQ(get_control_text(dialog.window, 30), "caf\xC3\xA9");
  EXPECT_EQ(get_control_secret(dialog.window, 30).view(), "caf\xC3\xA9");
  set_control_text(dialog.window, 30, std::string(300, 'x'));
  EXPECT_EQ(get_control_text(dialog.window, 30), std::string(255, 'x'));
  EXPECT_EQ(get_control_secret(dialog.window, 30).size(), 255u);
}

TEST_F(DialogControls, FocusComesBackToTheControlThatHadIt) {
  TestDialog dialog;
  const std::vector<ControlSpec> specs = {
      {.kind = ControlKind::Edit, .id = 40, .width = 100, .height = 20},
      {.kind = ControlKind::Edit, .id = 41, .y = 30, .width = 100, .height = 20},
  };
  create_controls(dialog.window, specs);
  ShowWindow(dialog.window, SW_SHOW);
  SetForegroundWindow(dialog.window);
  HWND second = GetDlgItem(dialog.window, 41);

  remember_focus(dialog.window, WA_ACTIVE, 40);  // nothing stored yet: the default
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog.window, 40));
  SetFocus(second);
  remember_focus(dialog.window, WA_INACTIVE, 40);
  SetFocus(GetDlgItem(dialog.window, 40));
  remember_focus(dialog.window, WA_ACTIVE, 40);
  EXPECT_EQ(GetFocus(), second);
}

COLORREF rgb(Rgb c) { return RGB(c.r, c.g, c.b); }

// Paints through dialog_base_proc into a memory bitmap and reads pixels.
class Canvas {
 public:
  Canvas(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST_F(DialogControls, BackgroundsButtonsAndLinksArePaintedInThePalette) {
  TestDialog dialog;
  const std::vector<ControlSpec> specs = {
      {.kind = ControlKind::Button, .text = L"OK", .id = 50, .width = 80, .height = 26},
      {.kind = ControlKind::Link, .text = L"link", .id = 51, .y = 40, .width = 80, .height = 20},
  };
  const std::vector<HWND> handles = create_controls(dialog.window, specs);
  for (bool dark : {false, true}) {
    set_dark_mode(dark);
    const ThemeColors colors = palette();
    Canvas canvas(100, 60);
    EXPECT_EQ(dialog_base_proc(dialog.window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0), 1);
    EXPECT_EQ(canvas.at(5, 5), colors.window_color) << dark;

    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 50;
    item.hwndItem = handles[0];
    item.hDC = canvas.dc();
    item.rcItem = {10, 10, 90, 36};
    EXPECT_EQ(dialog_base_proc(dialog.window, WM_DRAWITEM, 50, reinterpret_cast<LPARAM>(&item)), TRUE);
    const PaletteValues& values = palette_values(dark);
    EXPECT_EQ(canvas.at(10, 10), rgb(values.border_brush)) << "frame, dark=" << dark;
    EXPECT_EQ(canvas.at(12, 12), rgb(values.button_brush)) << "face, dark=" << dark;
    EXPECT_EQ(canvas.at(9, 9), colors.window_color) << "outside untouched, dark=" << dark;

    item.hwndItem = handles[1];
    item.CtlID = 51;
    item.rcItem = {10, 40, 90, 60};
    dialog_base_proc(dialog.window, WM_DRAWITEM, 51, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(canvas.at(10, 40), colors.window_color) << "a link has no frame, dark=" << dark;
    EXPECT_EQ(canvas.at(89, 59), colors.window_color) << dark;

    HDC dc = canvas.dc();
    EXPECT_EQ(dialog_base_proc(dialog.window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0),
              reinterpret_cast<LRESULT>(colors.window_brush));
    EXPECT_EQ(GetTextColor(dc), colors.text_color);
    EXPECT_EQ(GetBkColor(dc), colors.window_color);
    EXPECT_EQ(dialog_base_proc(dialog.window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0),
              reinterpret_cast<LRESULT>(colors.edit_brush));
    EXPECT_EQ(GetBkColor(dc), colors.edit_color);
    EXPECT_FALSE(dialog_base_proc(dialog.window, WM_MOUSEMOVE, 0, 0).has_value());
  }
}

// The first and last columns inside `area` where `canvas` differs from
// `background`: the extent of what was drawn there.
std::pair<int, int> ink_columns(const Canvas& canvas, RECT area, COLORREF background) {
  int first = area.right, last = -1;
  for (int x = area.left; x < area.right; ++x) {
    for (int y = area.top; y < area.bottom; ++y) {
      if (canvas.at(x, y) != background) {
        first = std::min(first, x);
        last = std::max(last, x);
        break;
      }
    }
  }
  return {first, last};
}

TEST_F(DialogControls, AnAmpersandInATextIsShownAsWritten) {
  // A file name in a message, a button caption, an address in a link.
  const wchar_t text[] = L"Tom & Jerry.txt";
  TestDialog dialog;
  const std::vector<ControlSpec> specs = {
      {.kind = ControlKind::Label, .text = text, .id = 60, .width = 300, .height = 24},
      {.kind = ControlKind::Heading, .text = text, .id = 61, .y = 30, .width = 300, .height = 30},
      {.kind = ControlKind::Button, .text = text, .id = 62, .y = 70, .width = 200, .height = 26},
      {.kind = ControlKind::Link, .text = text, .id = 63, .y = 100, .width = 200, .height = 20},
  };
  const std::vector<HWND> handles = create_controls(dialog.window, specs);
  const ThemeColors colors = palette();
  const COLORREF button_face = rgb(palette_values(false).button_brush);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    HWND control = handles[i];
    ASSERT_NE(control, nullptr) << i;
    RECT client{};
    GetClientRect(control, &client);
    const ControlKind kind = specs[i].kind;
    const bool label = kind == ControlKind::Label || kind == ControlKind::Heading;
    const bool button = kind == ControlKind::Button;
    const COLORREF background = button ? button_face : colors.window_color;

    Canvas shown(client.right, client.bottom);
    if (label) {
      SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shown.dc()), PRF_CLIENT | PRF_ERASEBKGND);
    } else {
      DRAWITEMSTRUCT item{};
      item.CtlType = ODT_BUTTON;
      item.CtlID = static_cast<UINT>(specs[i].id);
      item.hwndItem = control;
      item.hDC = shown.dc();
      item.rcItem = client;
      dialog_base_proc(dialog.window, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }

    // The same text drawn as written, in the control's font and place.
    Canvas written(client.right, client.bottom);
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(written.dc(), &client, fill);
    DeleteObject(fill);
    SelectObject(written.dc(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SetBkMode(written.dc(), TRANSPARENT);
    SetTextColor(written.dc(), colors.text_color);
    RECT area = client;
    const UINT layout = label    ? DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS
                        : button ? DT_CENTER | DT_VCENTER | DT_SINGLELINE
                                 : DT_SINGLELINE;
    DrawTextW(written.dc(), text, -1, &area, layout | DT_NOPREFIX);

    // Inside a button's frame only.
    const RECT inside = button ? RECT{2, 2, client.right - 2, client.bottom - 2} : client;
    const auto [shown_first, shown_last] = ink_columns(shown, inside, background);
    const auto [first, last] = ink_columns(written, inside, background);
    ASSERT_LT(first, last) << i;
    EXPECT_NEAR(shown_first, first, 1) << "kind " << static_cast<int>(kind);
    EXPECT_NEAR(shown_last, last, 1) << "kind " << static_cast<int>(kind);
  }
  EXPECT_GT(measure_text_width("A&B"), measure_text_width("AB")) << "measured as written too";
}

}  // namespace
