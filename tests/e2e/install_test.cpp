// The install and uninstall switches and the menu command, run as a user
// runs them. Wine (8.0) cannot name the user's program-files folder, so
// here installing and uninstalling can only fail: these tests hold the
// failure paths, the exit codes and what is (and is not) shown; the work on
// real folders is tested in the Win32-layer tests.
//
// Every message of the switches is a modal box that waits for an answer,
// so a quiet run that ends by itself, with its exit code, has shown none.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using namespace e2e;

const std::wstring uninstall_key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvex.Nimbol";

bool uninstall_entry_exists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, uninstall_key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool shows(const Window& box, std::wstring_view text) {
  for (const std::wstring& shown : box.child_texts()) {
    if (shown == text) return true;
  }
  return false;
}

TEST(InstallSwitches, QuietFailuresEndWithExitCodeOneAndShowNothing) {
  RegDeleteTreeW(HKEY_CURRENT_USER, uninstall_key.c_str());
  const App running;
  struct Case {
    const char* what;
    std::vector<std::wstring> args;
    bool beside_running_instance;
  };
  const Case cases[] = {
      {"install", {L"--install", L"--quiet"}, false},
      {"install, quiet last", {L"--install", L"a.txt", L"--quiet"}, false},
      {"uninstall while an instance runs", {L"--uninstall", L"--quiet"}, true},
  };
  for (const Case& c : cases) {
    const TempDir elsewhere;
    const std::wstring app_data = c.beside_running_instance ? running.app_data() : elsewhere / L"AppData";
    CreateDirectoryW(app_data.c_str(), nullptr);
    EXPECT_EQ(run_to_exit(c.args, app_data), 1u) << c.what;
    EXPECT_FALSE(uninstall_entry_exists()) << c.what;
  }
  EXPECT_TRUE(running.running()) << "the running instance is left alone";
  EXPECT_EQ(running.top_level_windows(L"NimbolFrame").size(), 1u);
}

TEST(InstallSwitches, WithoutQuietEachFailureSaysWhy) {
  struct Case {
    const char* what;
    std::vector<std::wstring> args;
    bool beside_running_instance;
    const wchar_t* question_answer;  // the settings question comes first
    std::wstring message;
  };
  const Case cases[] = {
      {"install",
       {L"--install"},
       false,
       nullptr,
       L"Nimbol could not be installed.\n\nThe Windows program folders could not be found."},
      {"uninstall while an instance runs",
       {L"--uninstall"},
       true,
       nullptr,
       L"Close Nimbol first, then uninstall it again."},
      {"uninstall",
       {L"--uninstall"},
       false,
       L"Keep Them",
       L"Nimbol could not be uninstalled.\n\nThe Windows program folders could not be found."},
  };
  for (const Case& c : cases) {
    std::optional<App> first;
    if (c.beside_running_instance) first.emplace();
    const App app = first ? App(*first, {.args = c.args, .wait_for_frame = false})
                          : App(StartOptions{.args = c.args, .wait_for_frame = false});
    if (c.question_answer) {
      const Window question = app.wait_for_message_box();
      ASSERT_TRUE(question) << c.what;
      EXPECT_TRUE(shows(question,
                        L"Also remove Nimbol's settings and its saved tabs?\n\nText in tabs that was never "
                        L"saved as a file is lost if you remove them."))
          << c.what;
      app.choose(question, c.question_answer);
      ASSERT_TRUE(eventually([&] { return !question; })) << c.what;
    }
    const Window box = app.wait_for_message_box();
    ASSERT_TRUE(box) << c.what;
    EXPECT_TRUE(shows(box, c.message)) << c.what;
    EXPECT_TRUE(app.top_level_windows(L"NimbolFrame").empty()) << c.what << ": no program window";
    app.choose(box, L"OK");
    EXPECT_EQ(app.wait_exit(), 1u) << c.what;
  }
}

TEST(InstallCommand, SaysWhyItCannotInstallAndTheProgramGoesOn) {
  App app;
  app.command(162);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  EXPECT_EQ(GetWindow(box.hwnd(), GW_OWNER), app.frame().hwnd());
  EXPECT_TRUE(shows(box, L"Nimbol could not be installed.\n\nThe Windows program folders could not be found."));
  app.choose(box, L"OK");
  EXPECT_TRUE(eventually([&] { return !box; }));
  EXPECT_TRUE(app.running());
  EXPECT_FALSE(uninstall_entry_exists());
}

}  // namespace
