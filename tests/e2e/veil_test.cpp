// The veil as a user meets it: the text is covered whenever the window is
// not in use, and comes back only on the reveal action the user chose.

#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace {

using namespace e2e;

bool covered(const App& app) {
  return app.veil().visible() && !app.tab_strip().visible() && !app.status_bar().visible() && !app.active_editor() &&
         app.title() == L"Nimbol";
}

bool shown(const App& app) {
  return !app.veil().visible() && app.tab_strip().visible() && app.status_bar().visible() && app.active_editor() &&
         app.title() != L"Nimbol";
}

TEST(Veil, LosingActivationToAnotherProgramCoversAndSwitchingBackReveals) {
  App app;
  app.type(L"secret");
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"secret"; }));
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
  for (const WPARAM change : {1 /* WTS_CONSOLE_CONNECT */, 3 /* WTS_REMOTE_CONNECT */, 5 /* WTS_SESSION_LOGON */,
                              8 /* WTS_SESSION_UNLOCK */}) {
    app.frame().post(WM_WTSSESSION_CHANGE, change);
  }
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(shown(app));
}

TEST(Veil, WithFocusRevealModifierKeysAloneDoNotRevealButSpaceDoes) {
  App app;
  app.frame().post(WM_WTSSESSION_CHANGE, 7);
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  app.press(VK_SHIFT);
  app.press(VK_LWIN);
  app.press(VK_CONTROL);
  app.press(VK_SPACE);
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  // The key that revealed is swallowed, not typed. Keys are handled in
  // order, so the empty text also proves that no modifier revealed before
  // it: the space would have been typed.
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
  // Input is handled in order: a click that finds the veil and reveals
  // proves that none of the keys before it revealed, opened a tab or a
  // dialog (a modal one would have kept the click from the veil), and a
  // key typed after a reveal would be in the text.
  app.type(L"z");
  app.click(app.veil(), {200, 200});
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"");
  EXPECT_EQ(app.editors().size(), 1u);
  EXPECT_TRUE(app.top_level_windows(L"#32770").empty());
}

TEST(Veil, WithAKeyChordOnlyThatExactChordReveals) {
  App app({.config = R"({"reveal": "Key", "reveal_key": {"ctrl": true, "alt": false, "shift": true, "key": 75}})"});
  EXPECT_TRUE(eventually([&] { return covered(app); }));
  app.press('K', ctrl);
  app.press('K', ctrl | alt | shift);
  app.press('K');
  app.click(app.veil(), {200, 200});
  // Had anything above revealed, this key would be typed into the editor.
  app.type(L"z");
  app.press('K', ctrl | shift);
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"");
}

TEST(Veil, WithHidingOffNothingEverCovers) {
  App app({.config = R"({"hide_text": false, "reveal": "Click"})"});
  EXPECT_TRUE(shown(app));
  OtherProgram other;
  other.activate();
  app.frame().post(WM_WTSSESSION_CHANGE, 7);
  ShowWindow(app.frame().hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(app.sync());
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
  // The click is handled after every key above; the one reveal it makes
  // proves they all met the veil (a key after a reveal would be typed).
  app.type(L"z");
  app.click(app.veil(), {200, 200});
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(app.editors().size(), 1u);
  for (const Window& editor : app.editors()) EXPECT_EQ(app.editor_text(editor), L"");
}

}  // namespace
