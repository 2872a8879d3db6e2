// Idle hiding, the password re-lock and the privacy settings window, as a
// user meets them: real settings, real waits on the program's own clock.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "e2e/driver.h"

namespace {

using namespace e2e;
using nlohmann::json;

constexpr wchar_t settings_class[] = L"NimbolSettingsWnd";
constexpr wchar_t prompt_class[] = L"NimbolPasswordWnd";
constexpr WORD cmd_privacy_settings = 128;
constexpr WORD cmd_set_password = 140;

bool covered(const App& app) { return app.veil().visible() && !app.active_editor(); }
bool shown(const App& app) { return !app.veil().visible() && app.active_editor(); }

json settings_on_disk(const App& app) {
  const auto text = read_file(app.data_folder() + L"\\config.json");
  return text ? json::parse(*text, nullptr, false) : json();
}

HWND item(const Window& window, int id) { return GetDlgItem(window.hwnd(), id); }

void set_text(const Window& window, int id, std::wstring_view text) {
  const std::wstring copy(text);
  SendMessageW(item(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void set_check(const Window& window, int id, bool on) {
  SendMessageW(item(window, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool is_checked(const Window& window, int id) {
  return SendMessageW(item(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Clicks a button of the window, the way a mouse click reaches its parent.
void press(const Window& window, int id) { PostMessageW(item(window, id), BM_CLICK, 0, 0); }

Window open_settings(const App& app) {
  app.command(cmd_privacy_settings);
  return app.wait_for_window(settings_class);
}

// Saves the settings window with these idle seconds.
void save_idle_seconds(const App& app, std::wstring_view seconds) {
  const Window settings = open_settings(app);
  ASSERT_TRUE(settings);
  set_text(settings, 3012, seconds);
  press(settings, 3020);
  ASSERT_TRUE(eventually([&] { return !settings; }));
}

bool prompt_shows(const Window& prompt, std::wstring_view text) {
  const auto texts = prompt.child_texts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void answer(const App& app, const Window& prompt, std::wstring_view password, std::wstring_view button) {
  Window field;
  ASSERT_TRUE(eventually([&] { return static_cast<bool>(field = prompt.child(L"Edit")); }));
  const std::wstring copy(password);
  field.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
  app.choose(prompt, button);
}

void set_password(const App& app, std::wstring_view password) {
  app.command(cmd_set_password);
  const Window set = app.wait_for_window(prompt_class);
  ASSERT_TRUE(set);
  const auto edits = [&] { return set.children(L"Edit"); };
  ASSERT_TRUE(eventually([&] { return edits().size() == 2; }));
  for (const Window& e : edits()) {
    const std::wstring copy(password);
    e.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
  }
  app.choose(set, L"Set");
  ASSERT_TRUE(eventually([&] { return file_exists(app.data_folder() + L"\\vault.json") && !set; }, 30s));
}

// ---- idle hiding ----

TEST(IdleHiding, WithTheFrameInFrontIdlingCoversAtTheLimit) {
  App app({.config = R"({"idle_seconds": 2})"});
  app.type(L"x");  // the last input
  const auto typed = std::chrono::steady_clock::now();
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  const auto after = std::chrono::steady_clock::now() - typed;
  EXPECT_GE(after, 1900ms);  // never before the limit
  EXPECT_LE(after, 4500ms);  // the next tick after it, with room for a slow machine
}

TEST(IdleHiding, AWindowOfTheProgramInFrontKeepsTheTextAndZeroStopsTheTimer) {
  App app({.config = R"({"idle_seconds": 1})"});
  app.type(L"x");
  // A message box of the program in front (the settings window's refusal).
  const Window settings = open_settings(app);
  ASSERT_TRUE(settings);
  set_text(settings, 3007, L"+");
  press(settings, 3020);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  std::this_thread::sleep_for(3s);  // three ticks past the limit
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(shown(app));
  // The frame back in front: the same idling covers now, so the ticks ran.
  app.choose(box, L"OK");
  press(settings, 2);
  ASSERT_TRUE(eventually([&] { return !settings; }));
  app.bring_to_front();
  ASSERT_TRUE(eventually([&] { return covered(app); }));

  // Idle hiding switched off in the settings: no tick covers any more.
  app.switch_back();
  ASSERT_TRUE(eventually([&] { return shown(app); }));
  save_idle_seconds(app, L"0");
  EXPECT_EQ(settings_on_disk(app)["idle_seconds"], 0);
  app.bring_to_front();
  std::this_thread::sleep_for(3s);
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(shown(app));
  // And on again.
  save_idle_seconds(app, L"1");
  app.bring_to_front();
  EXPECT_TRUE(eventually([&] { return covered(app); }));
}

// ---- the re-lock ----

TEST(Relock, WithMinutesZeroEveryRevealAsksAndOnlyTheRightPasswordShowsTheText) {
  App app({.config = R"({"password_relock": true, "relock_minutes": 0})"});
  app.type(L"secret");
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"secret"; }));
  set_password(app, L"pw one");
  OtherProgram other;

  other.activate();
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  app.switch_back();
  Window prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt.text(), L"Nimbol");
  EXPECT_TRUE(prompt_shows(prompt, L"Password:") && prompt_shows(prompt, L"Unlock") && prompt_shows(prompt, L"Cancel"));
  EXPECT_EQ(app.top_level_windows(prompt_class).size(), 1u);

  answer(app, prompt, L"wrong", L"Unlock");
  EXPECT_TRUE(eventually([&] { return prompt_shows(prompt, L"That is not the password."); }, 30s));
  EXPECT_EQ(prompt.child(L"Edit").text(), L"");
  EXPECT_TRUE(covered(app));

  // Cancel keeps it covered; activation alone then does not ask again.
  app.choose(prompt, L"Cancel");
  ASSERT_TRUE(eventually([&] { return !prompt; }));
  app.switch_back();
  EXPECT_TRUE(app.top_level_windows(prompt_class).empty());
  EXPECT_TRUE(covered(app));
  // A click on the veil does.
  app.click(app.veil(), {50, 50});
  prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  answer(app, prompt, L"pw one", L"Unlock");
  ASSERT_TRUE(eventually([&] { return shown(app); }, 30s));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"secret");

  // Leaving the program and coming back asks again, even after a cancel.
  other.activate();
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  app.switch_back();
  prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  app.choose(prompt, L"Cancel");
  ASSERT_TRUE(eventually([&] { return !prompt; }));
  // The text stays covered, so only a round trip through the program's queue
  // shows that it has seen the switch away before it sees the way back.
  other.activate();
  ASSERT_TRUE(app.sync());
  app.switch_back();
  prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  app.choose(prompt, L"Cancel");
  ASSERT_TRUE(eventually([&] { return !prompt; }));

  // Switching hiding off does not show the text without the password either.
  const Window settings = open_settings(app);
  ASSERT_TRUE(settings);
  press(settings, 3000);
  press(settings, 3020);
  prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  EXPECT_TRUE(covered(app));
  answer(app, prompt, L"pw one", L"Unlock");
  EXPECT_TRUE(eventually([&] { return shown(app); }, 30s));
}

TEST(Relock, WithTheReLockOffOrAShortCoverTheTextComesBackAtOnce) {
  for (const char* config :
       {R"({"password_relock": false, "relock_minutes": 0})", R"({"password_relock": true, "relock_minutes": 5})"}) {
    App app({.config = config});
    set_password(app, L"pw");
    OtherProgram other;
    other.activate();
    ASSERT_TRUE(eventually([&] { return covered(app); })) << config;
    app.switch_back();
    EXPECT_TRUE(eventually([&] { return shown(app); })) << config;
    EXPECT_TRUE(app.top_level_windows(prompt_class).empty()) << config;
  }
}

// ---- Hide Now ----

TEST(HideNow, CtrlLCoversAtOnceAndWithAPasswordOnlyThePasswordShowsTheText) {
  // Hiding off and the re-lock off: Hide Now covers and locks all the same.
  App app({.config = R"({"hide_text": false, "password_relock": false})"});
  app.type(L"secret");
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"secret"; }));
  ASSERT_TRUE(app.sync());
  const auto settings_before = read_file(app.data_folder() + L"\\config.json");

  app.press('L', ctrl);
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  EXPECT_EQ(app.title(), L"Nimbol");
  // The window never stopped being active: a click is what brings it back.
  app.click(app.veil(), {50, 50});
  ASSERT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(read_file(app.data_folder() + L"\\config.json"), settings_before) << "Hide Now is not a setting";

  set_password(app, L"pw");
  app.command(129);  // the menu's Hide Now
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  app.click(app.veil(), {50, 50});
  Window prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  app.choose(prompt, L"Cancel");
  ASSERT_TRUE(eventually([&] { return !prompt; }));
  EXPECT_TRUE(covered(app));
  app.click(app.veil(), {50, 50});
  prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  answer(app, prompt, L"pw", L"Unlock");
  ASSERT_TRUE(eventually([&] { return shown(app); }, 30s));
  EXPECT_EQ(app.editor_text(app.active_editor()), L"secret");
}

// ---- the settings window ----

struct Control {
  int id;
  std::wstring_view text;
  bool follows_hiding;  // greyed while "hide the text" is off
};

const Control controls[] = {
    {3000, L"Hide the Text When the Window Is Not in Use", false},
    {3001, L"Switching to the Window", true},
    {3002, L"A Click in the Window", true},
    {3003, L"A Key Press:", true},
    {3004, L"Ctrl", true},
    {3005, L"Alt", true},
    {3006, L"Shift", true},
    {3007, L"U", true},
    {3010, L"Redaction Bars", true},
    {3011, L"Blank", true},
    {3012, L"0", true},
    {3013, L"With a password set, ask for it again when", true},
    {3014, L"5", true},
    {3015, L"Hide the Window from Screen Capture", false},
    {3020, L"Save", false},
    {2, L"Cancel", false},
};

TEST(PrivacySettings, ControlsAreFilledFromTheSettingsAndGreyWithHidingOff) {
  App app;
  const Window settings = open_settings(app);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings.text(), L"Privacy Settings");
  for (const Control& c : controls) {
    EXPECT_EQ(Window(item(settings, c.id)).text(), c.text) << c.id;
    EXPECT_TRUE(IsWindowEnabled(item(settings, c.id))) << c.id;
  }
  EXPECT_TRUE(is_checked(settings, 3000) && is_checked(settings, 3001) && is_checked(settings, 3004));
  EXPECT_TRUE(is_checked(settings, 3010) && !is_checked(settings, 3013) && !is_checked(settings, 3015));

  press(settings, 3000);
  // One handler greys them in table order: the last one shows it is done.
  ASSERT_TRUE(eventually([&] { return !IsWindowEnabled(item(settings, 3014)); }));
  for (const Control& c : controls)
    EXPECT_EQ(IsWindowEnabled(item(settings, c.id)) != FALSE, !c.follows_hiding) << c.id;

  // A second open brings the same window to the front.
  SetForegroundWindow(app.frame().hwnd());
  app.command(cmd_privacy_settings);
  EXPECT_TRUE(eventually([&] { return GetForegroundWindow() == settings.hwnd(); }));
  EXPECT_EQ(app.top_level_windows(settings_class).size(), 1u);
}

TEST(PrivacySettings, SaveWritesTheEightValuesAfterTheRevealKeyIsChecked) {
  App app;
  ASSERT_TRUE(app.sync());
  const std::wstring config_path = app.data_folder() + L"\\config.json";
  app.close();  // a config.json to compare with
  ASSERT_EQ(app.wait_exit(), 0u);
  App again(app, {});
  const json before = settings_on_disk(again);

  const Window settings = open_settings(again);
  ASSERT_TRUE(settings);
  for (std::wstring_view bad : {L"+", L" ", L"", L"\u00e9"}) {
    set_text(settings, 3007, bad);
    press(settings, 3020);
    const Window box = again.wait_for_message_box();
    ASSERT_TRUE(box);
    EXPECT_TRUE(prompt_shows(box, L"The reveal key must be a single letter (A-Z) or digit (0-9)."));
    again.choose(box, L"OK");
    ASSERT_TRUE(eventually([&] { return !box; }));
    EXPECT_TRUE(settings);
    EXPECT_EQ(settings_on_disk(again), before);
  }

  press(settings, 3003);  // reveal by a key
  set_check(settings, 3005, true);
  set_text(settings, 3007, L" k ");
  press(settings, 3011);  // blank
  set_text(settings, 3012, L"9999");
  set_check(settings, 3013, true);
  set_text(settings, 3014, L"");
  set_check(settings, 3015, true);
  press(settings, 3020);
  ASSERT_TRUE(eventually([&] { return !settings; }));

  json expected = before;
  expected["reveal"] = "Key";
  expected["reveal_key"] = {{"ctrl", true}, {"alt", true}, {"shift", false}, {"key", 75}};
  expected["mask"] = "Blank";
  expected["idle_seconds"] = 3600;
  expected["password_relock"] = true;
  expected["relock_minutes"] = 0;
  expected["hide_from_capture"] = true;
  EXPECT_EQ(settings_on_disk(again), expected);
}

TEST(PrivacySettings, SwitchingHidingOffWhileCoveredShowsTheText) {
  App app;
  app.type(L"x");
  // Typed keys wait behind a posted command: the "x" must be in the editor
  // before a window opens that would take it instead.
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"x"; }));
  const Window settings = open_settings(app);
  ASSERT_TRUE(settings);
  OtherProgram other;
  other.activate();
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  SetForegroundWindow(settings.hwnd());
  press(settings, 3000);
  press(settings, 3020);
  ASSERT_TRUE(eventually([&] { return !settings; }));
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_EQ(settings_on_disk(app)["hide_text"], false);
}

TEST(PrivacySettings, WhileTheReLockAppliesAWeakerSaveAsksForThePasswordFirst) {
  App app({.config = R"({"password_relock": true, "relock_minutes": 0})"});
  app.type(L"x");
  // Typed keys wait behind a posted command: the "x" must be in the editor
  // before a window opens that would take it instead.
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"x"; }));
  set_password(app, L"pw");
  const Window settings = open_settings(app);
  ASSERT_TRUE(settings);
  OtherProgram other;
  other.activate();
  ASSERT_TRUE(eventually([&] { return covered(app); }));
  ASSERT_TRUE(app.sync());
  const json before = settings_on_disk(app);
  ASSERT_EQ(before["password_relock"], true);

  // Back at the settings window, the re-lock switched off.
  SetForegroundWindow(settings.hwnd());
  set_check(settings, 3013, false);
  press(settings, 3020);
  Window prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  answer(app, prompt, L"wrong", L"Unlock");
  EXPECT_TRUE(eventually([&] { return prompt_shows(prompt, L"That is not the password."); }, 30s));
  app.choose(prompt, L"Cancel");
  ASSERT_TRUE(eventually([&] { return !prompt; }));
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(settings) << "the window stays open";
  EXPECT_EQ(settings_on_disk(app), before);
  EXPECT_TRUE(covered(app));

  // With the password the change is saved, and the frame, active again once
  // the window has closed, shows the text without asking.
  press(settings, 3020);
  prompt = app.wait_for_window(prompt_class);
  ASSERT_TRUE(prompt);
  answer(app, prompt, L"pw", L"Unlock");
  ASSERT_TRUE(eventually([&] { return !settings; }, 30s));
  EXPECT_EQ(settings_on_disk(app)["password_relock"], false);
  app.switch_back();
  EXPECT_TRUE(eventually([&] { return shown(app); }));
  EXPECT_TRUE(app.top_level_windows(prompt_class).empty());
}

}  // namespace
