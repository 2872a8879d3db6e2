// The main menu as a user reaches it: Alt, F10 or the strip's menu button,
// walked with the arrow keys.

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "e2e/driver.h"

namespace {

using namespace e2e;

// Pop-up menus are windows of this system class while they are open.
constexpr wchar_t MENU_CLASS[] = L"#32768";

Window open_menu(const App& app) {
  for (const Window& menu : app.top_level_windows(MENU_CLASS)) {
    if (menu.visible()) return menu;
  }
  return {};
}

bool menu_open(const App& app) { return static_cast<bool>(open_menu(app)); }

std::optional<bool> stored_word_wrap(const App& app) {
  const auto text = read_file(app.data_folder() + L"\\config.json");
  if (!text) return std::nullopt;
  const nlohmann::json settings = nlohmann::json::parse(*text, nullptr, false);
  if (!settings.is_object() || !settings.contains("word_wrap")) return std::nullopt;
  return settings["word_wrap"].get<bool>();
}

TEST(Menu, AltAloneOpensTheMainMenuAndEscapeClosesIt) {
  App app;
  app.press(VK_MENU);
  ASSERT_TRUE(eventually([&] { return menu_open(app); }));
  app.press(VK_ESCAPE);
  EXPECT_TRUE(eventually([&] { return !menu_open(app); }));
  // F10 opens the same menu.
  app.press(VK_F10);
  ASSERT_TRUE(eventually([&] { return menu_open(app); }));
  app.press(VK_ESCAPE);
  EXPECT_TRUE(eventually([&] { return !menu_open(app); }));
}

TEST(Menu, TheMenuButtonOpensTheMenuBelowIt) {
  App app;
  const Window strip = app.tab_strip();
  // The button is at the strip's left end.
  app.click(strip, {17, 17});
  ASSERT_TRUE(eventually([&] { return menu_open(app); }));
  POINT below{0, strip.client_size().cy};
  ClientToScreen(strip.hwnd(), &below);
  const RECT menu = open_menu(app).window_rect();
  EXPECT_NEAR(menu.left, below.x, 2);
  EXPECT_NEAR(menu.top, below.y, 2);
  app.press(VK_ESCAPE);
  EXPECT_TRUE(eventually([&] { return !menu_open(app); }));
}

TEST(Menu, ChoosingWordWrapFromTheViewMenuTurnsItOffAndSavesIt) {
  App app;
  app.press(VK_MENU);
  ASSERT_TRUE(eventually([&] { return menu_open(app); }));
  // File, Edit, View; the View submenu opens on its first item, Word Wrap.
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}) app.press(key);
  EXPECT_TRUE(eventually([&] { return stored_word_wrap(app) == false; }));
  EXPECT_TRUE(eventually([&] { return !menu_open(app); }));
}

TEST(Menu, AltWhileTheTextIsVeiledOpensNoMenu) {
  App app;
  app.frame().post(WM_WTSSESSION_CHANGE, 7 /* WTS_SESSION_LOCK */);
  ASSERT_TRUE(eventually([&] { return app.veil().visible(); }));
  app.press(VK_MENU);
  // Space reveals the text, but only once the Alt before it was handled: had
  // Alt opened a menu, the menu would have taken the Space.
  app.press(VK_SPACE);
  ASSERT_TRUE(eventually([&] { return !app.veil().visible(); }));
  EXPECT_FALSE(menu_open(app));
}

TEST(Menu, AnOpenMenuEndsWhenIdlingCoversTheText) {
  App app({.config = R"({"idle_seconds": 2})"});
  app.type(L"x");
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"x"; }));
  struct Opener {
    const char* what;
    std::function<void()> open;
  } openers[] = {
      {"the main menu", [&] { app.press(VK_MENU); }},
      {"the editor's context menu",
       [&] {
         app.frame().post(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(app.active_editor().hwnd()), MAKELPARAM(-1, -1));
       }},
  };
  for (const Opener& o : openers) {
    o.open();
    ASSERT_TRUE(eventually([&] { return menu_open(app); })) << o.what;
    EXPECT_TRUE(eventually([&] { return app.veil().visible() && !menu_open(app); })) << o.what;
    // Nothing of the menu is left to choose from: Enter meets the veil and
    // reveals (a menu would have taken it and run its first item).
    app.press(VK_RETURN);
    ASSERT_TRUE(eventually([&] { return !app.veil().visible() && app.active_editor(); })) << o.what;
    EXPECT_EQ(app.editor_text(app.active_editor()), L"x") << o.what;
    EXPECT_EQ(app.editors().size(), 1u) << o.what;
  }
}

}  // namespace
