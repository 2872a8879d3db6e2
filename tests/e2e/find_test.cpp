// Find, replace and go to line as a user meets them: the keys, the find
// bar's fields and buttons, the editor's selection and text afterwards.

#include <windows.h>

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>
#include <utility>

#include "e2e/driver.h"

namespace {

using namespace e2e;

constexpr int find_field_id = 5001;
constexpr int match_case_id = 5004;
constexpr int result_id = 5005;
constexpr int replace_row_ids[] = {5006, 5007, 5008, 5009};
constexpr int replace_field_id = 5007;
constexpr int replace_all_id = 5009;

Window find_bar(const App& app) { return app.frame().child(L"NimbolFindBar"); }

Window control(const Window& parent, int id) { return Window(GetDlgItem(parent.hwnd(), id)); }

std::pair<int, int> selection(const Window& edit) {
  const auto packed = static_cast<DWORD>(edit.send(EM_GETSEL));
  return {LOWORD(packed), HIWORD(packed)};
}

// The window that has the keyboard focus in the program.
HWND focus_of(const App& app) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(app.frame().hwnd(), nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The top of a child in the frame's client area.
int top_in_frame(const App& app, const Window& child) {
  RECT r = child.window_rect();
  MapWindowPoints(HWND_DESKTOP, app.frame().hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return r.top;
}

// A one-file start whose text the editor holds with CR paragraph ends.
struct Opened {
  TempDir files;
  App app;
  explicit Opened(std::string_view text, const std::wstring& name = L"text.txt")
      : app((write_file(files / name, text), StartOptions{.args = {files / name}})) {
    EXPECT_TRUE(eventually([&] { return app.active_editor() && !app.editor_text(app.active_editor()).empty(); }));
  }
};

TEST(FindBar, CtrlFFillsTheFieldFromAOneLineSelectionOfAtMost1000Characters) {
  // "abc def", then 1001 y's on the second line.
  Opened o("abc def\r\n" + std::string(1001, 'y') + "\r\n");
  const App& app = o.app;
  const Window editor = app.active_editor();
  struct Case {
    const char* what;
    int from, to;
    std::wstring field;
  };
  const Case cases[] = {
      {"one line", 0, 3, L"abc"},
      {"over a line end", 5, 10, L"abc"},
      {"1001 characters", 8, 1009, L"abc"},
      {"1000 characters", 8, 1008, std::wstring(1000, L'y')},
      {"nothing selected", 4, 4, std::wstring(1000, L'y')},
  };
  for (const Case& c : cases) {
    editor.send(EM_SETSEL, c.from, c.to);
    app.press('F', ctrl);
    // Opening is one step: once the bar shows, the field is filled or not.
    ASSERT_TRUE(eventually([&] { return find_bar(app).visible(); })) << c.what;
    EXPECT_EQ(control(find_bar(app), find_field_id).text(), c.field) << c.what;
    EXPECT_EQ(focus_of(app), control(find_bar(app), find_field_id).hwnd()) << c.what;
    EXPECT_EQ(selection(control(find_bar(app), find_field_id)), std::make_pair(0, static_cast<int>(c.field.size())))
        << c.what;
    app.press(VK_ESCAPE);
    ASSERT_TRUE(eventually([&] { return !find_bar(app).visible(); })) << c.what;
    EXPECT_TRUE(eventually([&] { return focus_of(app) == editor.hwnd(); })) << c.what;
  }
}

TEST(FindBar, EnterShiftEnterF3AndShiftF3WrapAroundAndNotFoundIsSaid) {
  // "ab" at 0, 6 and 12.
  Opened o("ab xx ab xx ab");
  const App& app = o.app;
  const Window editor = app.active_editor();
  editor.send(EM_SETSEL, 0, 0);
  app.press('F', ctrl);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == control(find_bar(app), find_field_id).hwnd(); }));
  app.type(L"ab");
  const Window field = control(find_bar(app), find_field_id);
  ASSERT_TRUE(eventually([&] { return field.text() == L"ab"; }));

  struct Step {
    WORD key;
    unsigned modifiers;
    std::pair<int, int> selected;
  };
  // Each step selects a match other than the one before, so each is seen.
  const Step steps[] = {
      {VK_RETURN, none, {0, 2}}, {VK_RETURN, none, {6, 8}},    {VK_RETURN, none, {12, 14}},
      {VK_RETURN, none, {0, 2}}, {VK_RETURN, shift, {12, 14}}, {VK_RETURN, shift, {6, 8}},
      {VK_F3, none, {12, 14}},   {VK_F3, none, {0, 2}},        {VK_F3, shift, {12, 14}},
  };
  for (const Step& s : steps) {
    app.press(s.key, s.modifiers);
    EXPECT_TRUE(eventually([&] { return selection(editor) == s.selected; }))
        << s.key << " " << s.modifiers << " wanted " << s.selected.first;
  }
  EXPECT_EQ(control(find_bar(app), result_id).text(), L"");
  EXPECT_EQ(app.editor_text(editor), L"ab xx ab xx ab");

  field.send(EM_SETSEL, 0, -1);
  app.type(L"zz");
  ASSERT_TRUE(eventually([&] { return field.text() == L"zz"; }));
  app.press(VK_RETURN);
  EXPECT_TRUE(eventually([&] { return control(find_bar(app), result_id).text() == L"Not found"; }));
  EXPECT_EQ(selection(editor), std::make_pair(12, 14));
}

TEST(FindBar, ReplaceRowMnemonicsEnterReplacesAMatchingSelectionAndMatchCaseIsHonoured) {
  Opened o("ABC abc ABC");
  const App& app = o.app;
  const Window editor = app.active_editor();
  app.press('H', ctrl);
  const Window bar = find_bar(app);
  ASSERT_TRUE(eventually([&] { return bar.visible(); }));
  for (const int id : replace_row_ids) EXPECT_TRUE(control(bar, id).visible()) << id;
  // The bar shows before the frame is laid out again.
  EXPECT_TRUE(eventually([&] {
    const RECT r = bar.window_rect();
    return top_in_frame(app, editor) == top_in_frame(app, bar) + (r.bottom - r.top) && r.bottom > r.top;
  }));

  const Window find = control(bar, find_field_id);
  const Window replace = control(bar, replace_field_id);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == find.hwnd(); }));
  app.type(L"abc");
  ASSERT_TRUE(eventually([&] { return find.text() == L"abc"; }));
  // Alt with the underlined letter of a label goes to its field.
  app.press('E', alt);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == replace.hwnd(); }));
  app.type(L"X");
  ASSERT_TRUE(eventually([&] { return replace.text() == L"X"; }));
  app.press('F', alt);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == find.hwnd(); }));
  EXPECT_EQ(selection(find), std::make_pair(0, 3)) << "the field's whole text is selected";
  EXPECT_EQ(find.text(), L"abc") << "the mnemonic typed nothing into the field";
  app.press('E', alt);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == replace.hwnd(); }));

  // "ABC" is "abc" when case does not matter: replaced, and the next match
  // selected after it.
  editor.send(EM_SETSEL, 0, 3);
  app.press(VK_RETURN);
  EXPECT_TRUE(eventually([&] { return app.editor_text(editor) == L"X abc ABC"; }));
  EXPECT_TRUE(eventually([&] { return selection(editor) == std::make_pair(2, 5); }));

  app.press(VK_RETURN);
  EXPECT_TRUE(eventually([&] { return app.editor_text(editor) == L"X X ABC"; }));
  EXPECT_TRUE(eventually([&] { return selection(editor) == std::make_pair(4, 7); }));

  // With Match Case the selected "ABC" is not the text sought: nothing is
  // replaced, and no "abc" is left to find.
  control(bar, match_case_id).post(BM_CLICK);
  ASSERT_TRUE(eventually([&] { return control(bar, match_case_id).send(BM_GETCHECK) == BST_CHECKED; }));
  EXPECT_TRUE(eventually([&] { return focus_of(app) == find.hwnd(); })) << "Match Case hands the focus to the field";
  app.press('E', alt);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == replace.hwnd(); }));
  app.press(VK_RETURN);
  ASSERT_TRUE(eventually([&] { return control(bar, result_id).text() == L"Not found"; }));
  EXPECT_EQ(app.editor_text(editor), L"X X ABC");
  EXPECT_EQ(selection(editor), std::make_pair(4, 7));
}

TEST(FindBar, ReplaceAllIsUndoneByOneCtrlZAndEscapeGivesTheEditorBack) {
  Opened o("one two one two one");
  const App& app = o.app;
  const Window editor = app.active_editor();
  app.press('H', ctrl);
  const Window bar = find_bar(app);
  ASSERT_TRUE(eventually([&] { return focus_of(app) == control(bar, find_field_id).hwnd(); }));
  app.type(L"ONE");
  app.press('E', alt);
  app.type(L"1");
  ASSERT_TRUE(eventually([&] { return control(bar, replace_field_id).text() == L"1"; }));
  app.press('A', alt);
  EXPECT_TRUE(eventually([&] { return app.editor_text(editor) == L"1 two 1 two 1"; }));
  EXPECT_TRUE(eventually([&] { return control(bar, result_id).text() == L"Replaced 3"; }));

  const int bar_bottom = top_in_frame(app, editor);
  app.press(VK_ESCAPE);
  ASSERT_TRUE(eventually([&] { return !bar.visible(); }));
  EXPECT_TRUE(eventually([&] { return focus_of(app) == editor.hwnd(); }));
  EXPECT_EQ(top_in_frame(app, editor), top_in_frame(app, bar)) << "the editor takes the bar's rows back";
  EXPECT_LT(top_in_frame(app, editor), bar_bottom);

  app.press('Z', ctrl);
  EXPECT_TRUE(eventually([&] { return app.editor_text(editor) == L"one two one two one"; }));
}

// The display's DPI as Wine reads it when a program starts, put back as it
// was when the test ends.
class DisplayDpi {
 public:
  DisplayDpi() : saved_(registry_dword(key, value)) {}
  ~DisplayDpi() {
    if (saved_) {
      set_registry_dword(key, value, *saved_);
    } else {
      delete_registry_value(key, value);
    }
  }
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;
  void set(DWORD dpi) { set_registry_dword(key, value, dpi); }

 private:
  static constexpr wchar_t key[] = L"Control Panel\\Desktop";
  static constexpr wchar_t value[] = L"LogPixels";
  std::optional<DWORD> saved_;
};

TEST(FindBar, RowsAreScaledWithTheDisplay) {
  DisplayDpi display;
  for (const DWORD dpi : {96u, 144u}) {
    display.set(dpi);
    App app;
    const auto S = [dpi](int value) { return static_cast<int>((value * dpi + 48) / 96); };
    const Window editor = app.active_editor();
    const int strip = top_in_frame(app, editor);
    ASSERT_EQ(strip, S(34)) << "the program runs at " << dpi << " DPI";
    for (const auto& [key, rows] : {std::pair{'F', 34}, std::pair{'H', 64}, std::pair{'F', 34}}) {
      app.press(key, ctrl);
      EXPECT_TRUE(eventually([&] { return top_in_frame(app, editor) == strip + S(rows); }))
          << dpi << " DPI, " << rows << " rows: editor at " << top_in_frame(app, editor);
      const RECT bar = find_bar(app).window_rect();
      EXPECT_EQ(bar.bottom - bar.top, S(rows)) << dpi;
      const RECT field = control(find_bar(app), find_field_id).window_rect();
      EXPECT_EQ(field.bottom - field.top, S(22)) << dpi;
    }
  }
}

TEST(GoToLine, ABadNumberKeepsThePromptWithItsMessageAndAGoodOneMovesTheCaret) {
  Opened o("l1\r\nl2\r\nl3\r\nl4");
  const App& app = o.app;
  const Window editor = app.active_editor();
  editor.send(EM_SETSEL, 1, 1);
  app.press('G', ctrl);
  const Window prompt = app.wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt.text(), L"Go To Line");
  for (const wchar_t* text : {L"Line number:", L"Go To", L"Cancel"}) {
    EXPECT_TRUE(prompt.child_with_text(text)) << utf8(text);
  }
  const Window error = control(prompt, 4010);
  const Window number = control(prompt, 4000);
  EXPECT_TRUE(eventually([&] { return focus_of(app) == number.hwnd(); }));

  // The field takes only digits from the keyboard, but anything pasted. Each
  // answer's message differs from the one before, so each is seen.
  struct Answer {
    const wchar_t* entered;
    const wchar_t* message;
  };
  for (const Answer& a : {Answer{L"12a", L"Type a line number."}, Answer{L"5", L"There is no such line."},
                          Answer{L"", L"Type a line number."}, Answer{L"0", L"There is no such line."}}) {
    number.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.entered));
    app.choose(prompt, L"Go To");
    EXPECT_TRUE(eventually([&] { return error.text() == a.message; })) << utf8(a.entered);
    EXPECT_TRUE(prompt.visible()) << utf8(a.entered);
    EXPECT_EQ(number.text(), L"") << "the field is emptied for another try";
    EXPECT_EQ(selection(editor), std::make_pair(1, 1)) << utf8(a.entered);
  }
  number.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L" 3 "));
  app.choose(prompt, L"Go To");
  EXPECT_TRUE(eventually([&] { return !prompt; }));
  // "l1", CR, "l2", CR: the third line starts at 6.
  EXPECT_TRUE(eventually([&] { return selection(editor) == std::make_pair(6, 6); }));
}

}  // namespace
