// The veil as a user meets it: the text is covered whenever the window is
// not in use, and comes back only on the reveal action the user chose.

#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace {

using namespace e2e;

bool covered(const App& app) {
  return app.veil().visible() && !app.tab_strip().visible() && !app.status_bar().visible() &&
         !app.active_editor() && app.title() == L"Nimbol";
}

bool shown(const App& app) {
  return !app.veil().visible() && app.tab_strip().visible() && app.status_bar().visible() &&
         app.active_editor() && app.title() != L"Nimbol";
}

TEST(Veil, LosingActivationToAnotherProgramCoversAndSwitchingBackReveals) {
  App app;
  app.type(L"secret");
  ASSERT_TRUE(shown(app));
  OtherProgram other;
  other.activate();
  EXPECT_TRUE(eventually([&] { return covered(app); }));
  app.switch_back();
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"secret");
}

TEST(Veil, MinimisingAndLockingTheSessionCover) {
  App app;
  ShowWindow(app.frame().hwnd(), SW_MINIMIZE);
  EXPECT_TRUE(eventually([&] { return covered(app); }));
  // Restoring leaves the text covered until a reveal.
  ShowWindow(app.frame().hwnd(), SW_RESTORE);
  app.press(VK_SPACE);
  EXPECT_TRUE(eventually([&] { return shown(app); }));

  app.frame().post(WM_WTSSESSION_CHANGE, 7 /* WTS_SESSION_LOCK */);
  EXPECT_TRUE(eventually([&] { return covered(app); }));
}

TEST(Veil, OtherSessionChangesDoNotCover) {
  App app;
  app.frame().post(WM_WTSSESSION_CHANGE, 8 /* WTS_SESSION_UNLOCK */);
  settle();
  EXPECT_TRUE(shown(app));
}

TEST(Veil, WithFocusRevealModifierKeysAloneDoNotRevealButSpaceDoes) {
  App app;
  app.frame().post(WM_WTSSESSION_CHANGE, 7);
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  app.press(VK_SHIFT);
  app.press(VK_LWIN);
  app.press(VK_CONTROL);
  settle();
  EXPECT_TRUE(covered(app));
  app.press(VK_SPACE);
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  // The key that revealed is swallowed, not typed.
  EXPECT_EQ(app.editor_text(app.active_editor()), L"");
}

TEST(Veil, WithClickRevealTheProgramStartsCoveredKeysAreSwallowedAndAClickReveals) {
  App app({.config = R"({"reveal": "Click"})"});
  EXPECT_TRUE(eventually([&] { return covered(app); }));
  // Switching to the window is not the reveal action the user chose.
  OtherProgram other;
  other.activate();
  app.switch_back();
  EXPECT_TRUE(covered(app));
  app.type(L"abc");
  app.press(VK_SPACE);
  app.press('N', ctrl);
  app.press('S', ctrl);
  settle();
  EXPECT_TRUE(covered(app));
  EXPECT_EQ(app.editors().size(), 1u);
  app.click(app.veil(), {200, 200});
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"");
}

TEST(Veil, WithAKeyChordOnlyThatExactChordReveals) {
  App app({.config = R"({"reveal": "Key", "reveal_key": {"ctrl": true, "alt": false, "shift": true, "key": 75}})"});
  EXPECT_TRUE(eventually([&] { return covered(app); }));
  app.press('K', ctrl);
  app.press('K', ctrl | alt | shift);
  app.press('K');
  app.click(app.veil(), {200, 200});
  settle();
  EXPECT_TRUE(covered(app));
  app.press('K', ctrl | shift);
  EXPECT_TRUE(eventually([&] { return shown(app); }));
}

TEST(Veil, WithHidingOffNothingEverCovers) {
  App app({.config = R"({"hide_text": false, "reveal": "Click"})"});
  EXPECT_TRUE(shown(app));
  OtherProgram other;
  other.activate();
  app.frame().post(WM_WTSSESSION_CHANGE, 7);
  ShowWindow(app.frame().hwnd(), SW_MINIMIZE);
  settle();
  EXPECT_FALSE(app.veil().visible());
  ShowWindow(app.frame().hwnd(), SW_RESTORE);
  EXPECT_TRUE(eventually([&] { return shown(app); }));
}

TEST(Veil, WhileCoveredTypingReachesNoEditorAndShortcutsDoNothing) {
  App app({.config = R"({"reveal": "Click"})"});
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  app.type(L"typed blind");
  app.press('N', ctrl);
  app.press('W', ctrl);
  app.press(VK_TAB, ctrl);
  settle();
  EXPECT_EQ(app.editors().size(), 1u);
  EXPECT_TRUE(covered(app));
  for (const Window& editor : app.editors()) EXPECT_EQ(app.editor_text(editor), L"");
}

}  // namespace
