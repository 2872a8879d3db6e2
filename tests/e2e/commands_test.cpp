// Commands and their shortcuts, observed through what the user sees and
// what the program keeps in its settings file.

#include <gtest/gtest.h>

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

}  // namespace
