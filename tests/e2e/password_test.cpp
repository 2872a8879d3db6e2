// A password over the stored tabs, as a user sets it, is asked for at the
// next start, and guards the text on disk.

#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace {

using namespace e2e;

// Fills the prompt's edit fields in order and presses `button`.
void answer_prompt(const App& app, const Window& prompt, const std::vector<std::wstring>& fields,
                   std::wstring_view button) {
  // The window is found as soon as it exists, which is before its fields do.
  std::vector<Window> edits;
  eventually([&] { return (edits = prompt.children(L"Edit")).size() >= fields.size(); });
  ASSERT_GE(edits.size(), fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    edits[i].send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fields[i].c_str()));
  }
  app.choose(prompt, button);
}

bool file_holds(const std::wstring& path, std::string_view text) {
  const auto bytes = read_file(path);
  return bytes && bytes->find(text) != std::string::npos;
}

TEST(Password, SetPasswordIsAskedAtTheNextStartAndGuardsTheText) {
  App first;
  first.type(L"a diary entry");
  // The command is posted and would overtake the keys.
  ASSERT_TRUE(eventually([&] { return first.editor_text(first.active_editor()) == L"a diary entry"; }));
  first.command(140);  // Set Password...
  const Window set = first.wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(set);
  answer_prompt(first, set, {L"hunter2 \u00e9", L"hunter2 \u00e9"}, L"Set");
  ASSERT_TRUE(eventually([&] { return file_exists(first.data_folder() + L"\\vault.json"); }));
  first.close();
  ASSERT_EQ(first.wait_exit(), 0u);

  // Everything stored is sealed under the password now: no plain text, and
  // every file in the sealed form.
  const std::wstring tabs = first.data_folder() + L"\\tabs";
  const std::vector<std::wstring> names = list_folder(tabs);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_FALSE(file_holds(tabs + L"\\" + names[0], "diary"));
  EXPECT_EQ(read_file(tabs + L"\\" + names[0])->substr(0, 4), "DFV1");
  EXPECT_EQ(read_file(first.data_folder() + L"\\session.dat")->substr(0, 4), "DFV1");

  App second(first, {});
  const Window unlock = second.wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(unlock);
  EXPECT_EQ(unlock.text(), L"Nimbol");
  EXPECT_TRUE(second.top_level_windows(L"NimbolFrame").empty());
  answer_prompt(second, unlock, {L"wrong"}, L"Unlock");
  const auto texts = [&] { return unlock.child_texts(); };
  EXPECT_TRUE(eventually([&] {
    const auto t = texts();
    return std::find(t.begin(), t.end(), L"That is not the password.") != t.end();
  }));
  answer_prompt(second, unlock, {L"hunter2 \u00e9"}, L"Unlock");
  EXPECT_TRUE(eventually([&] {
    const Window editor = second.active_editor();
    return editor && second.editor_text(editor) == L"a diary entry";
  }));
}

TEST(Password, ExitAtTheStartPromptEndsTheProgramAndKeepsTheVault) {
  App first;
  first.command(140);
  const Window set = first.wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(set);
  answer_prompt(first, set, {L"pw", L"pw"}, L"Set");
  ASSERT_TRUE(eventually([&] { return file_exists(first.data_folder() + L"\\vault.json"); }));
  first.close();
  ASSERT_EQ(first.wait_exit(), 0u);

  App second(first, {});
  const Window unlock = second.wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(unlock);
  second.choose(unlock, L"Exit");
  EXPECT_EQ(second.wait_exit(), 0u);
  EXPECT_TRUE(file_exists(first.data_folder() + L"\\vault.json"));
}

}  // namespace
