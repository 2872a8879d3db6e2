// Saving as a user meets it: Ctrl+S on a file tab writes the file in the
// encoding and line ends it was opened with, the close question's "Save"
// writes before closing, a lossy file asks first, a failed save says why,
// and an untitled tab asks where through the system's Save As dialog.

#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/driver.h"

namespace {

using namespace e2e;

bool has_temporary_file(const std::wstring& folder) {
  const std::vector<std::wstring> names = list_folder(folder);
  return std::any_of(names.begin(), names.end(),
                     [](const std::wstring& name) { return name.size() > 12 && name.ends_with(L".nimbol-save"); });
}

bool shows_text(const Window& window, const std::wstring& text) {
  const std::vector<std::wstring> texts = window.child_texts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The file-name field of the system's file dialog (an edit box or a combo
// box, depending on the dialog's style).
Window file_name_field(const Window& dialog) {
  for (const int id : {1152 /* edt1 */, 1148 /* cmb13 */}) {
    if (HWND field = GetDlgItem(dialog.hwnd(), id)) return Window(field);
  }
  return {};
}

// Opens `path` from the command line and waits until its tab is active.
void open_at_end(App& app, const std::wstring& name) {
  ASSERT_TRUE(eventually([&] { return app.title() == name + L" - Nimbol"; }));
  app.press(VK_END, ctrl);
}

TEST(Saving, CtrlSWritesTheFileInTheEncodingAndLineEndsItCameWith) {
  struct Case {
    const wchar_t* name;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {L"bom-lf.txt",
       "\xEF\xBB\xBF"
       "first\nsecond\n",
       "\xEF\xBB\xBF"
       "first\nsecond\nthird\n"},
      {L"utf16.txt",
       std::string("\xFF\xFE"
                   "a\0\r\0\n\0",
                   8),
       std::string("\xFF\xFE"
                   "a\0\r\0\n\0t\0h\0i\0r\0d\0\r\0\n\0",
                   22)},
      {L"mac.txt", "first\rsecond\r", "first\rsecond\rthird\r"},
  };
  for (const Case& c : cases) {
    TempDir files;
    const std::wstring path = files / c.name;
    write_file(path, c.before);
    App app({.args = {path}});
    open_at_end(app, c.name);
    app.type(L"third\n");
    app.press('S', ctrl);
    EXPECT_TRUE(eventually([&] { return read_file(path) == c.after; })) << utf8(c.name);
    ASSERT_TRUE(app.sync()) << utf8(c.name);
    EXPECT_FALSE(has_temporary_file(files.path())) << utf8(c.name);
    EXPECT_TRUE(app.top_level_windows(L"NimbolMessageWnd").empty()) << utf8(c.name);

    // The tab is clean again: closing it asks nothing and ends the program.
    app.press('W', ctrl);
    EXPECT_EQ(app.wait_exit(), 0u) << utf8(c.name);
  }
}

TEST(Saving, AnsiTextThatTheCodePageCannotHoldIsSavedAsUtf8FromThenOn) {
  TempDir files;
  const std::wstring path = files / L"ansi.txt";
  write_file(path, "caf\xE9");
  App app({.args = {path}});
  open_at_end(app, L"ansi.txt");
  app.type(L" \u0101");
  app.press('S', ctrl);
  EXPECT_TRUE(eventually([&] { return read_file(path) == "caf\xC3\xA9 \xC4\x81"; }));

  // Without the character again, the tab still saves as UTF-8.
  app.press(VK_BACK);
  app.press(VK_BACK);
  app.press('S', ctrl);
  EXPECT_TRUE(eventually([&] { return read_file(path) == "caf\xC3\xA9"; }));
}

TEST(Saving, ChoosingSaveWhenClosingWritesTheFileFirst) {
  TempDir files;
  const std::wstring path = files / L"close.txt";
  write_file(path, "draft");
  App app({.args = {path}});
  open_at_end(app, L"close.txt");
  app.type(L" done");
  app.press('W', ctrl);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  EXPECT_TRUE(shows_text(box, L"Do you want to save changes to close.txt?"));
  app.choose(box, L"Save");
  EXPECT_EQ(app.wait_exit(), 0u);
  EXPECT_EQ(read_file(path), "draft done");
}

TEST(Saving, ALossyFileAsksBeforeItIsOverwritten) {
  TempDir files;
  const std::wstring path = files / L"odd.txt";
  // A byte-order mark, then a byte that is not UTF-8: shown as U+FFFD.
  write_file(path, "\xEF\xBB\xBFok\xFF");
  App app({.args = {path}});
  open_at_end(app, L"odd.txt");
  app.type(L"!");

  app.press('S', ctrl);
  Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  const std::vector<std::wstring> texts = box.child_texts();
  const bool asked = std::any_of(texts.begin(), texts.end(), [](const std::wstring& t) {
    return t.starts_with(L"odd.txt has bytes that could not be read as text.") && t.ends_with(L"Save anyway?");
  });
  EXPECT_TRUE(asked);
  app.choose(box, L"Cancel");
  EXPECT_TRUE(eventually([&] { return !box; }));
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(read_file(path), "\xEF\xBB\xBFok\xFF");

  app.press('S', ctrl);
  box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  app.choose(box, L"Save");
  EXPECT_TRUE(eventually([&] { return read_file(path) == "\xEF\xBB\xBFok\xEF\xBF\xBD!"; }));

  // The file now holds what the tab shows: saving again asks nothing.
  app.type(L"?");
  app.press('S', ctrl);
  EXPECT_TRUE(eventually([&] { return read_file(path) == "\xEF\xBB\xBFok\xEF\xBF\xBD!?"; }));
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(app.top_level_windows(L"NimbolMessageWnd").empty());
}

TEST(Saving, AFileThatCannotBeWrittenSaysWhyAndKeepsItsContents) {
  TempDir files;
  const std::wstring path = files / L"locked.txt";
  write_file(path, "keep");
  App app({.args = {path}});
  open_at_end(app, L"locked.txt");
  app.type(L" me");
  // Another program holds the file open without sharing it.
  HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);

  app.press('S', ctrl);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  const std::vector<std::wstring> texts = box.child_texts();
  const std::wstring prefix = path + L" could not be saved.";
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::wstring& t) {
    return t.starts_with(prefix) && t.size() > prefix.size() + 4;
  }));
  app.choose(box, L"OK");
  CloseHandle(other);
  EXPECT_TRUE(eventually([&] { return !box; }));
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(read_file(path), "keep");
  EXPECT_FALSE(has_temporary_file(files.path()));

  // The tab is still modified: closing it asks.
  app.press('W', ctrl);
  const Window question = app.wait_for_message_box();
  ASSERT_TRUE(question);
  EXPECT_TRUE(shows_text(question, L"Do you want to save changes to locked.txt?"));
  app.choose(question, L"Cancel");
}

TEST(Saving, AnUntitledTabAsksWhereAndCancellingWritesNothing) {
  App app;
  app.type(L"draft");
  app.press('S', ctrl);
  const Window dialog = app.wait_for_window(L"#32770");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(eventually([&] { return file_name_field(dialog).text() == L"Untitled"; }));
  dialog.post(WM_COMMAND, IDCANCEL);
  EXPECT_TRUE(eventually([&] { return !dialog; }));
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(app.title(), L"Untitled - Nimbol");
  EXPECT_TRUE(list_folder(app.work_folder()).empty());
  EXPECT_EQ(app.editor_text(app.active_editor()), L"draft");
}

TEST(Saving, SaveAsOnAFileTabProposesItsBareName) {
  TempDir files;
  const std::wstring path = files / L"named.txt";
  write_file(path, "named");
  App app({.args = {path}});
  ASSERT_TRUE(eventually([&] { return app.title() == L"named.txt - Nimbol"; }));
  app.press('S', ctrl | shift);
  const Window dialog = app.wait_for_window(L"#32770");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(eventually([&] { return file_name_field(dialog).text() == L"named.txt"; }));
  dialog.post(WM_COMMAND, IDCANCEL);
  EXPECT_TRUE(eventually([&] { return !dialog; }));
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(read_file(path), "named");
  EXPECT_EQ(list_folder(files.path()).size(), 1u);
}

TEST(Saving, CtrlOOpensTheChosenFile) {
  TempDir files;
  const std::wstring path = files / L"chosen.txt";
  write_file(path, "chosen text");
  App app;
  app.press('O', ctrl);
  const Window dialog = app.wait_for_window(L"#32770");
  ASSERT_TRUE(dialog);
  // The dialog window exists a moment before its controls do.
  ASSERT_TRUE(eventually([&] { return file_name_field(dialog).visible(); }));
  file_name_field(dialog).send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ASSERT_EQ(file_name_field(dialog).text(), path);
  dialog.post(WM_COMMAND, IDOK);
  EXPECT_TRUE(eventually([&] { return app.title() == L"chosen.txt - Nimbol"; }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"chosen text");
}

}  // namespace
