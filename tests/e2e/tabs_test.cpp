// Tabs as a user meets them: opening files, new tabs, switching, closing
// with and without the save question, reordering with the mouse.

#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace {

using namespace e2e;

// Where the strip puts tab `index` of `count` at 96 DPI: after the 40-pixel
// menu button, sharing what the 36-pixel plus button leaves, at most 190 each.
POINT tab_centre(const App& app, int index, int count) {
  const int width = app.tab_strip().client_size().cx;
  const int tab = std::min(190, std::max(0, width - 36 - 40) / count);
  return {40 + index * tab + tab / 3, 17};
}

TEST(Tabs, FilesOnTheCommandLineOpenInTabsTheFirstIntoTheStartUpTab) {
  TempDir files;
  write_file(files / L"one.txt", "first file");
  write_file(files / L"two.txt", "second file");
  App app({.args = {files / L"one.txt", files / L"two.txt"}});
  EXPECT_TRUE(eventually([&] { return app.title() == L"two.txt - Nimbol"; }));
  ASSERT_EQ(app.editors().size(), 2u);
  EXPECT_EQ(app.editor_text(app.active_editor()), L"second file");
  app.press(VK_TAB, ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"one.txt - Nimbol"; }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"first file");
}

TEST(Tabs, RelativeArgumentsAreResolvedInTheStartingDirectory) {
  TempDir files;
  write_file(files / L"notes.txt", "relative");
  App app({.args = {L"notes.txt"}, .working_dir = files.path()});
  EXPECT_TRUE(eventually([&] { return app.title() == L"notes.txt - Nimbol"; }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"relative");
}

TEST(Tabs, TheSamePathInAnotherCaseOnlyActivatesItsTab) {
  TempDir files;
  write_file(files / L"Mixed.txt", "mixed");
  App app({.args = {files / L"Mixed.txt"}});
  app.press('N', ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled - Nimbol"; }));

  std::wstring other_case = files / L"mIXED.TXT";
  App second(app, {.args = {other_case}, .wait_for_frame = false});
  EXPECT_EQ(second.wait_exit(), 0u);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Mixed.txt - Nimbol"; }));
  EXPECT_EQ(app.editors().size(), 2u);
}

TEST(Tabs, CtrlNAndCtrlTOpenNumberedUntitledTabs) {
  App app;
  EXPECT_EQ(app.title(), L"Untitled - Nimbol");
  app.press('N', ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 2 - Nimbol"; }));
  app.press('T', ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 3 - Nimbol"; }));
  EXPECT_EQ(app.editors().size(), 3u);
  // Only the active tab's editor is shown.
  int shown = 0;
  for (const Window& editor : app.editors()) shown += editor.visible() ? 1 : 0;
  EXPECT_EQ(shown, 1);
}

TEST(Tabs, ClosingAModifiedTabAsksAndDontSaveCloses) {
  App app;
  app.press('N', ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 2 - Nimbol"; }));
  app.type(L"some words");
  EXPECT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"some words"; }));

  app.press('W', ctrl);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  const auto texts = box.child_texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"Do you want to save changes to Untitled 2?"), texts.end());
  app.choose(box, L"Don't Save");
  EXPECT_TRUE(eventually([&] { return app.editors().size() == 1u; }));
  EXPECT_EQ(app.title(), L"Untitled - Nimbol");
}

TEST(Tabs, CancelKeepsTheModifiedTabAndItsText) {
  App app;
  app.type(L"keep me");
  app.press('W', ctrl);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  app.choose(box, L"Cancel");
  EXPECT_TRUE(eventually([&] { return !box; }));
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(app.editors().size(), 1u);
  EXPECT_EQ(app.editor_text(app.active_editor()), L"keep me");
  EXPECT_TRUE(app.running());
}

TEST(Tabs, AnUntitledTabEmptiedAgainClosesWithoutAQuestion) {
  App app;
  app.press('N', ctrl);
  app.type(L"ab");
  ASSERT_TRUE(eventually([&] { return app.editors().size() == 2u && app.editor_text(app.active_editor()) == L"ab"; }));
  app.press(VK_BACK);
  app.press(VK_BACK);
  EXPECT_TRUE(eventually([&] { return app.editor_text(app.active_editor()).empty(); }));
  app.press('W', ctrl);
  EXPECT_TRUE(eventually([&] { return app.editors().size() == 1u; }));
  EXPECT_TRUE(app.top_level_windows(L"NimbolMessageWnd").empty());
}

TEST(Tabs, AMiddleClickClosesATab) {
  App app;
  app.press('N', ctrl);
  EXPECT_TRUE(eventually([&] { return app.editors().size() == 2u; }));
  app.click(app.tab_strip(), tab_centre(app, 0, 2), /*middle=*/true);
  EXPECT_TRUE(eventually([&] { return app.editors().size() == 1u; }));
  EXPECT_EQ(app.title(), L"Untitled 2 - Nimbol");
}

TEST(Tabs, DraggingTheActiveThirdTabOntoTheFirstMovesItAndKeepsItActive) {
  App app;
  app.press('N', ctrl);
  app.press('N', ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 3 - Nimbol"; }));
  app.drag(app.tab_strip(), tab_centre(app, 2, 3), tab_centre(app, 0, 3));
  EXPECT_EQ(app.title(), L"Untitled 3 - Nimbol");
  // The first tab is now "Untitled 3": moving right from it reaches the old first.
  app.press(VK_TAB, ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled - Nimbol"; }));
  app.press(VK_TAB, ctrl | shift);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 3 - Nimbol"; }));
}

TEST(Tabs, ClickingATabActivatesIt) {
  App app;
  app.press('N', ctrl);
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled 2 - Nimbol"; }));
  app.click(app.tab_strip(), tab_centre(app, 0, 2));
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled - Nimbol"; }));
}

TEST(Tabs, ClosingTheLastTabEndsTheProgram) {
  App app;
  app.press('W', ctrl);
  EXPECT_EQ(app.wait_exit(), 0u);
}

TEST(Tabs, AFileThatIsNotTextIsRefusedAndAddsNoTab) {
  TempDir files;
  const std::wstring path = files / L"image.bin";
  write_file(path, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  App app({.args = {path}});
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  const auto texts = box.child_texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), path + L" is not a text file."), texts.end());
  app.choose(box, L"OK");
  EXPECT_TRUE(eventually([&] { return app.title() == L"Untitled - Nimbol"; }));
  EXPECT_EQ(app.editors().size(), 1u);
}

}  // namespace
