// Time/Date and Print as a user meets them: F5 types the time and date into
// the text; Ctrl+P brings up the print dialog, and cancelling it changes
// nothing. (Wine has no printer to print on: the pages themselves are
// checked against metafiles in the Win32-layer tests.)

#include <windows.h>

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>

#include "e2e/driver.h"

namespace {

using namespace e2e;

// The stamp as the user's locale writes `when`: the time without seconds
// and the short date.
std::wstring stamp_at(const SYSTEMTIME& when) {
  wchar_t time[64] = {};
  wchar_t date[64] = {};
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &when, nullptr, time, 64);
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, 64, nullptr);
  return std::wstring(time) + L" " + date;
}

SYSTEMTIME now() {
  SYSTEMTIME when{};
  GetLocalTime(&when);
  return when;
}

// The stamp for a key press between `before` and `after`: a minute may
// turn in between.
bool is_stamp(const std::wstring& text, const SYSTEMTIME& before, const SYSTEMTIME& after) {
  return text == stamp_at(before) || text == stamp_at(after);
}

TEST(TimeDate, F5TypesTheTimeAndDateAtTheCaretAndReplacesASelectionUndoably) {
  App app;
  app.type(L"ab");
  const Window editor = app.active_editor();
  ASSERT_TRUE(eventually([&] { return app.editor_text(editor) == L"ab"; }));

  editor.post(EM_SETSEL, 1, 1);
  const SYSTEMTIME before = now();
  app.press(VK_F5);
  ASSERT_TRUE(eventually([&] { return app.editor_text(editor).size() > 2; }));
  const SYSTEMTIME after = now();
  const std::wstring text = app.editor_text(editor);
  ASSERT_TRUE(text.starts_with(L"a") && text.ends_with(L"b")) << utf8(text);
  const std::wstring stamp = text.substr(1, text.size() - 2);
  EXPECT_TRUE(is_stamp(stamp, before, after)) << utf8(stamp);
  EXPECT_NE(stamp.find(std::to_wstring(before.wYear % 100)), std::wstring::npos) << "the year is in it";

  editor.post(EM_SETSEL, 0, -1);
  const SYSTEMTIME again_before = now();
  app.press(VK_F5);
  ASSERT_TRUE(eventually([&] { return !app.editor_text(editor).ends_with(L"b"); }));
  EXPECT_TRUE(is_stamp(app.editor_text(editor), again_before, now())) << "the selection is replaced";

  app.press('Z', ctrl);
  EXPECT_TRUE(eventually([&] { return app.editor_text(editor) == text; })) << "one undo gives the selection back";
}

TEST(Printing, CtrlPOpensThePrintDialogAndCancellingItLeavesNothingBehind) {
  // Dark: the dialog then goes through the program's styling hook.
  App app({.config = R"({"theme": "dark"})"});
  app.type(L"to print");
  const Window editor = app.active_editor();
  ASSERT_TRUE(eventually([&] { return app.editor_text(editor) == L"to print"; }));
  const std::wstring title = app.title();

  app.press('P', ctrl);
  // Wine has no printer: the dialog, still hidden, tells so in a message
  // box of its own, and ends when that is closed.
  const Window shown = app.wait_for_window(L"#32770");
  ASSERT_TRUE(shown);
  HWND owner = GetWindow(shown.hwnd(), GW_OWNER);
  if (Window(owner).class_name() == L"#32770") owner = GetWindow(owner, GW_OWNER);
  EXPECT_EQ(owner, app.frame().hwnd()) << "the print dialog belongs to the frame";
  ASSERT_TRUE(eventually([&] {
    for (const Window& dialog : app.top_level_windows(L"#32770")) {
      if (dialog.visible()) dialog.post(WM_COMMAND, IDCANCEL);
    }
    return app.top_level_windows(L"#32770").empty();
  }));
  // Anything printing showed after the dialog would be up before this
  // returns: the program's own box runs a loop that answers it too.
  ASSERT_TRUE(app.sync());

  EXPECT_TRUE(app.top_level_windows(L"NimbolMessageWnd").empty());
  EXPECT_EQ(app.editors().size(), 1u) << "no layout control is left in the frame";
  EXPECT_EQ(app.editor_text(editor), L"to print");
  EXPECT_EQ(app.title(), title);
  // Still taking keys, in the editor.
  app.type(L"!");
  EXPECT_TRUE(eventually([&] { return app.editor_text(editor) == L"to print!"; }));
}

}  // namespace
