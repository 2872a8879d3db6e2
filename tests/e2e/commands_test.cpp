// Commands and their shortcuts, observed through what the user sees and
// what the program keeps in its settings file.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <nlohmann/json.hpp>

#include "e2e/driver.h"

namespace {

using namespace e2e;

nlohmann::json stored_settings(const App& app) {
  const auto text = read_file(app.data_folder() + L"\\config.json");
  if (!text) return nullptr;
  return nlohmann::json::parse(*text, nullptr, false);
}

std::optional<int> stored_zoom(const App& app) {
  const nlohmann::json settings = stored_settings(app);
  if (!settings.is_object() || !settings.contains("zoom")) return std::nullopt;
  return settings["zoom"].get<int>();
}

TEST(Commands, CtrlTabWrapsToTheFirstTabAndCtrlShiftTabToTheLast) {
  App app;
  app.press('N', ctrl);
  app.press('N', ctrl);
  ASSERT_TRUE(eventually([&] { return app.title() == L"Untitled 3 - Nimbol"; }));
  app.press(VK_TAB, ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled - Nimbol"; }));
  app.press(VK_TAB, ctrl | shift);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 3 - Nimbol"; }));
}

TEST(Commands, WithOneTabNextAndPreviousKeepIt) {
  App app;
  app.press(VK_TAB, ctrl);
  app.press(VK_TAB, ctrl | shift);
  // A typed key is handled after both chords: once it is in the text, they are done.
  app.type(L"x");
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"x"; }));
  EXPECT_EQ(app.title(), L"Untitled - Nimbol");
  EXPECT_EQ(app.editors().size(), 1u);
}

TEST(Commands, ZoomStopsAt500And20AndCtrlZeroRestores100) {
  App app({.config = R"({"zoom": 480})"});
  app.press(VK_OEM_PLUS, ctrl);
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 490; }));
  app.press(VK_ADD, ctrl);
  app.press(VK_ADD, ctrl);
  app.press(VK_ADD, ctrl);
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 500; }));
  // From here one step back lands on 490 only if the steps up stopped at 500.
  app.press(VK_OEM_MINUS, ctrl);
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 490; }));

  app.press('0', ctrl);
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 100; }));
  for (int i = 0; i < 10; ++i) app.press(VK_OEM_MINUS, ctrl);
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 20; }));
  app.press(VK_SUBTRACT, ctrl);
  // Likewise, after 20 was seen, one step up lands on 30 only if the last
  // steps down stopped at 20.
  app.press(VK_OEM_PLUS, ctrl);
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 30; }));
}

TEST(Commands, AStoredOddZoomIsTheStartOfTheNextStep) {
  App app({.config = R"({"zoom": 15})"});
  app.command(122);  // Zoom In
  EXPECT_TRUE(eventually([&] { return stored_zoom(app) == 25; }));
}

TEST(Commands, TogglesAreSavedAtOnce) {
  App app;
  app.command(120);  // Word Wrap
  EXPECT_TRUE(eventually([&] {
    const auto s = stored_settings(app);
    return s.is_object() && s["word_wrap"] == false;
  }));
  app.command(126);  // Always on Top
  EXPECT_TRUE(eventually([&] { return (GetWindowLongW(app.frame().hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  EXPECT_EQ(stored_settings(app)["always_on_top"], true);
  app.command(107);  // Print File Name and Page Number
  EXPECT_TRUE(eventually([&] { return stored_settings(app)["print_labels"] == false; }));
}

TEST(Commands, NumbersOutsideTheSetDoNothing) {
  App app;
  app.command(108);
  app.command(163);
  app.command(99);
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(app.running());
  EXPECT_EQ(app.editors().size(), 1u);
  EXPECT_EQ(app.title(), L"Untitled - Nimbol");
}

TEST(Commands, ExitClosesLikeTheCloseBox) {
  App app;
  app.command(105);
  EXPECT_EQ(app.wait_exit(), 0u);
}

// ---- while the text is covered ----

bool open_clipboard() {
  return eventually([] { return OpenClipboard(nullptr) != FALSE; }, 5s);
}

std::wstring clipboard_text() {
  std::wstring text;
  if (!open_clipboard()) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void put_on_clipboard(std::wstring_view text) {
  ASSERT_TRUE(open_clipboard());
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* p = static_cast<wchar_t*>(GlobalLock(block));
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = 0;
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

std::pair<int, int> selection(const Window& editor) {
  const auto packed = static_cast<DWORD>(editor.send(EM_GETSEL));
  return {LOWORD(packed), HIWORD(packed)};
}

// Any dialog, prompt or message box of the program that is open.
bool a_dialog_is_open(const App& app) {
  for (const wchar_t* name : {L"#32770", L"NimbolPasswordWnd", L"NimbolMessageWnd"}) {
    if (!app.top_level_windows(name).empty()) return true;
  }
  return false;
}

TEST(Commands, WhileTheTextIsCoveredNoCommandReadsOrChangesIt) {
  TempDir dir;
  const std::wstring path = dir / L"note.txt";
  write_file(path, "on disk");
  App app({.args = {path}});
  ASSERT_TRUE(eventually([&] { return app.title() == L"note.txt - Nimbol"; }));
  const Window editor = app.active_editor();
  app.press(VK_END, ctrl);
  app.type(L" typed");
  ASSERT_TRUE(eventually([&] { return app.editor_text(editor) == L"on disk typed"; }));
  editor.post(EM_SETSEL, 3, 7);
  ASSERT_TRUE(eventually([&] { return selection(editor) == std::pair(3, 7); }));
  put_on_clipboard(L"before");

  app.frame().post(WM_WTSSESSION_CHANGE, 7 /* WTS_SESSION_LOCK */);
  ASSERT_TRUE(eventually([&] { return app.veil().visible(); }));
  for (const WORD command : {102, 103, 104, 106, 110, 111, 112, 113, 114, 115, 116, 117, 150, 151, 152, 153, 154}) {
    app.command(command);
  }
  ASSERT_TRUE(app.sync());
  EXPECT_FALSE(a_dialog_is_open(app)) << "no Save As, print, go-to-line or close question";
  EXPECT_EQ(clipboard_text(), L"before");
  EXPECT_EQ(read_file(path), "on disk");

  app.press(VK_SPACE);
  ASSERT_TRUE(eventually([&] { return !app.veil().visible(); }));
  EXPECT_EQ(app.editors().size(), 1u);
  EXPECT_EQ(app.editor_text(editor), L"on disk typed");
  EXPECT_EQ(selection(editor), std::pair(3, 7));
  EXPECT_FALSE(app.frame().child(L"NimbolFindBar").visible());
  EXPECT_EQ(app.title(), L"note.txt - Nimbol");
}

// With "A Click in the Window" activation does not reveal, so a dialog that
// closes over covered text leaves it covered.
TEST(Commands, ADialogAnsweredAfterTheTextGotCoveredDoesNotGoOnWithIt) {
  TempDir dir;
  const std::wstring lines = dir / L"lines.txt";
  write_file(lines, "one\r\ntwo\r\n");
  App app({.args = {lines}, .config = R"({"reveal": "Click"})"});
  ASSERT_TRUE(eventually([&] { return app.title() == L"Nimbol" && app.veil().visible(); }));
  app.click(app.veil(), {200, 200});
  ASSERT_TRUE(eventually([&] { return app.title() == L"lines.txt - Nimbol"; }));
  const Window editor = app.active_editor();
  const auto cover = [&] {
    app.frame().post(WM_WTSSESSION_CHANGE, 7 /* WTS_SESSION_LOCK */);
    return eventually([&] { return app.veil().visible(); });
  };

  // Save As, answered with a new name.
  const std::wstring target = dir / L"copy.txt";
  app.press('S', ctrl | shift);
  const Window dialog = app.wait_for_window(L"#32770");
  ASSERT_TRUE(dialog);
  Window field;
  ASSERT_TRUE(eventually([&] {
    for (const int id : {1152 /* edt1 */, 1148 /* cmb13 */}) {
      if (HWND found = GetDlgItem(dialog.hwnd(), id)) field = Window(found);
    }
    return field.visible();
  }));
  field.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
  ASSERT_TRUE(cover());
  dialog.post(WM_COMMAND, IDOK);
  ASSERT_TRUE(eventually([&] { return !dialog; }));
  ASSERT_TRUE(app.sync());
  EXPECT_FALSE(file_exists(target));
  EXPECT_FALSE(a_dialog_is_open(app));

  // Go To Line, answered with the second line.
  app.click(app.veil(), {200, 200});
  ASSERT_TRUE(eventually([&] { return !app.veil().visible(); }));
  ASSERT_EQ(selection(editor), std::pair(0, 0));
  app.press('G', ctrl);
  const Window prompt = app.wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(prompt);
  ASSERT_TRUE(cover());
  Window number;
  ASSERT_TRUE(eventually([&] { return static_cast<bool>(number = prompt.child(L"Edit")); }));
  number.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
  app.choose(prompt, L"Go To");
  ASSERT_TRUE(eventually([&] { return !prompt; }));
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(selection(editor), std::pair(0, 0)) << "the caret stayed on the first line";

  // The close question of a changed tab, answered "Don't Save".
  app.click(app.veil(), {200, 200});
  ASSERT_TRUE(eventually([&] { return !app.veil().visible(); }));
  app.type(L"new ");
  ASSERT_TRUE(eventually([&] { return app.editor_text(editor) == L"new one\rtwo\r"; }));
  app.press('W', ctrl);
  const Window question = app.wait_for_message_box();
  ASSERT_TRUE(question);
  ASSERT_TRUE(cover());
  app.choose(question, L"Don't Save");
  ASSERT_TRUE(eventually([&] { return !question; }));
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(editor) << "the tab was not closed";
  EXPECT_EQ(app.editor_text(editor), L"new one\rtwo\r");
}

}  // namespace
