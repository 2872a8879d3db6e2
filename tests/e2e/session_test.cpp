// Tabs outlive the program: text typed and never saved comes back at the
// next start, after a close and after the process was killed, and it never
// sits on disk in the clear. When the data folder is unusable the user is
// told once and asked before closing would lose text.

#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/driver.h"

namespace {

using namespace e2e;

// Every file below `folder`, with its path.
std::vector<std::wstring> files_below(const std::wstring& folder) {
  std::vector<std::wstring> files;
  for (const std::wstring& name : list_folder(folder)) {
    const std::wstring path = folder + L"\\" + name;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      const auto inner = files_below(path);
      files.insert(files.end(), inner.begin(), inner.end());
    } else {
      files.push_back(path);
    }
  }
  return files;
}

bool has_tab_file(const App& app) { return !list_folder(app.data_folder() + L"\\tabs").empty(); }

// Whether `text` appears in any file of the data folder, as UTF-8 or UTF-16.
bool in_the_clear(const App& app, std::wstring_view text) {
  const std::string narrow = utf8(text);
  const std::string wide(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  for (const std::wstring& file : files_below(app.data_folder())) {
    const auto bytes = read_file(file);
    if (bytes && (bytes->find(narrow) != std::string::npos || bytes->find(wide) != std::string::npos)) return true;
  }
  return false;
}

std::vector<std::wstring> editor_texts(const App& app) {
  std::vector<std::wstring> texts;
  for (const Window& editor : app.editors()) texts.push_back(app.editor_text(editor));
  std::sort(texts.begin(), texts.end());
  return texts;
}

TEST(Session, TypedTextIsStoredProtectedAndSurvivesAKill) {
  App first;
  const std::wstring secret = L"the combination is 4711";
  first.type(secret);
  ASSERT_TRUE(eventually([&] { return first.editor_text(first.active_editor()) == secret; }));
  // Two seconds after the last key the store writes the tab.
  ASSERT_TRUE(eventually([&] { return has_tab_file(first) && file_exists(first.data_folder() + L"\\session.dat"); }));
  EXPECT_FALSE(in_the_clear(first, secret));
  EXPECT_FALSE(in_the_clear(first, L"combination"));
  first.kill();

  App second(first, {});
  EXPECT_TRUE(eventually([&] { return second.title() == L"Untitled - Nimbol"; }));
  ASSERT_EQ(second.editors().size(), 1u);
  EXPECT_EQ(second.editor_text(second.active_editor()), secret);
  // Still unsaved: closing the tab asks.
  second.press('W', ctrl);
  const Window box = second.wait_for_message_box();
  ASSERT_TRUE(box);
  second.choose(box, L"Cancel");
}

TEST(Session, ClosingStoresEveryTabAndTheNextStartRestoresThem) {
  TempDir files;
  write_file(files / L"saved.txt", "from the file");
  App first({.args = {files / L"saved.txt"}});
  ASSERT_TRUE(eventually([&] { return first.title() == L"saved.txt - Nimbol"; }));
  first.press('N', ctrl);
  ASSERT_TRUE(eventually([&] { return first.title() == L"Untitled - Nimbol"; }));
  first.type(L"never saved");
  ASSERT_TRUE(eventually([&] { return first.editor_text(first.active_editor()) == L"never saved"; }));
  // No time for the timer: closing stores.
  first.close();
  ASSERT_EQ(first.wait_exit(), 0u);
  EXPECT_FALSE(in_the_clear(first, L"never saved"));

  App second(first, {});
  EXPECT_TRUE(eventually([&] { return second.editors().size() == 2u; }));
  EXPECT_EQ(second.title(), L"Untitled - Nimbol");
  EXPECT_EQ(editor_texts(second), (std::vector<std::wstring>{L"from the file", L"never saved"}));
}

TEST(Session, AnUnusableDataFolderWarnsOnceAndAsksOnlyWhenTextWouldBeLost) {
  App setup;
  setup.close();
  ASSERT_EQ(setup.wait_exit(), 0u);
  // A file where the data folder belongs: nothing can be stored.
  ASSERT_TRUE(MoveFileW(setup.data_folder().c_str(), (setup.data_folder() + L".old").c_str()));
  write_file(setup.data_folder(), "in the way");
  const std::wstring warning =
      L"Nimbol cannot store its tabs in its data folder:\n\n" + setup.data_folder() +
      L"\n\nUntil that works again, text that is not saved as a file is lost when Nimbol closes. Nimbol asks "
      L"before closing.";
  const std::wstring question =
      L"Nimbol could not store its tabs, so the text that is not saved as a file would be lost.\n\nClose anyway?";
  auto shows = [](const Window& box, const std::wstring& text) {
    const auto texts = box.child_texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };

  {
    App app(setup, {});
    Window box = app.wait_for_message_box();
    ASSERT_TRUE(box);
    EXPECT_TRUE(shows(box, warning));
    app.choose(box, L"OK");
    ASSERT_TRUE(eventually([&] { return app.top_level_windows(L"NimbolMessageWnd").empty(); }));
    // Nothing typed: closing asks nothing.
    app.close();
    EXPECT_EQ(app.wait_exit(), 0u);
  }

  App app(setup, {});
  Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  app.choose(box, L"OK");
  ASSERT_TRUE(eventually([&] { return app.top_level_windows(L"NimbolMessageWnd").empty(); }));
  app.bring_to_front();
  app.type(L"only here");
  ASSERT_TRUE(eventually([&] { return app.editor_text(app.active_editor()) == L"only here"; }));
  // Storing fails after each change, but the warning came once. The store
  // timer is made to fire twice more (a posted WM_TIMER is what the timer
  // delivers); a second warning would be open once they are handled.
  for (int i = 0; i < 2; ++i) app.frame().post(WM_TIMER, 1 /* TIMER_STORE */);
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(app.top_level_windows(L"NimbolMessageWnd").empty());

  app.close();
  box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  EXPECT_TRUE(shows(box, question));
  app.choose(box, L"Cancel");
  ASSERT_TRUE(eventually([&] { return !box; }));
  // Closing would have destroyed the frame and its editors: then no sync.
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(app.running());

  app.close();
  box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  app.choose(box, L"Close Anyway");
  EXPECT_EQ(app.wait_exit(), 0u);
}

}  // namespace
