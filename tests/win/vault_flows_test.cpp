// The password flows run for real under Wine: APPDATA points at a
// temporary folder, a hidden frame holds a store with real tabs, and every
// prompt and message box is answered from inside its own modal loop the way
// a user would (typing, Enter, Esc, clicks). What the flows leave on disk is
// read back independently: vault.json with open_vault, the stored tabs with
// open_sealed or unprotect_data.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "base/utf.h"
#include "editor/editor.h"
#include "editor/tabs.h"
#include "model/app_state.h"
#include "store/crypto.h"
#include "store/protect.h"
#include "store/random.h"
#include "store/session_index.h"
#include "store/session_store.h"
#include "store/vault.h"
#include "store/vault_flows.h"
#include "store/vault_prompts.h"
#include "support.h"
#include "ui/message_box.h"
#include "ui/password_prompt.h"

namespace {

using namespace wintest;

constexpr int first_field = 4000;
constexpr int error_line = 4010;
constexpr int ok_button = 4011;
constexpr int extra_button = 4012;
constexpr int cancel_button = 2;
constexpr int first_box_button = 5000;

// Types one text per field, in order.
Step fill(std::vector<std::string> fields) {
  return {PASSWORD_PROMPT_CLASS, [fields](HWND w) {
            for (std::size_t i = 0; i < fields.size(); ++i) type_into(w, first_field + static_cast<int>(i), fields[i]);
          }};
}
Step press(const wchar_t* class_name, WPARAM key) {
  return {class_name, [key](HWND w) { post_key(w, key); }};
}
Step press_button(const wchar_t* class_name, int id) {
  return {class_name, [id](HWND w) { click_button(w, id); }};
}
Step submit() { return press(PASSWORD_PROMPT_CLASS, VK_RETURN); }

// Records what the prompt's error line says and whether every field was
// emptied, after a refused answer.
struct Refusals {
  std::vector<std::wstring> errors;
  bool fields_emptied = true;
};
Step note_refusal(Refusals& refusals, int fields) {
  return {PASSWORD_PROMPT_CLASS, [&refusals, fields](HWND w) {
            refusals.errors.push_back(text_of(w, error_line));
            for (int i = 0; i < fields; ++i) refusals.fields_emptied &= text_of(w, first_field + i).empty();
          }};
}

// ---- the fixture ----

class VaultFlows : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    frame_ = create_test_window(L"NimbolFlowsTestFrame", DefWindowProcW);
    ASSERT_NE(frame_, nullptr);
  }

  // A running program: the store (under `key`, if any) with one stored tab
  // per text.
  void start(const std::optional<SecureBuffer>& key, const std::vector<std::string>& texts) {
    AppState state;
    state.frame = frame_;
    state.store = open_store(key ? std::optional(key->clone()) : std::nullopt);
    ASSERT_TRUE(state.store.has_value());
    install_app_state(std::move(state));
    for (const std::string& text : texts) add_text_tab(text, true, true);
    ASSERT_TRUE(store_session());
  }

  // A program whose tabs are stored under `password`: the vault and the
  // store share one master key, which is returned.
  SecureBuffer start_with_password(std::string_view password, const std::vector<std::string>& texts) {
    SecureBuffer master = random_bytes(master_key_size);
    CreateDirectoryW(to_wide(root_ + "\\AppData").c_str(), nullptr);
    CreateDirectoryW(to_wide(data_dir_).c_str(), nullptr);
    EXPECT_TRUE(create_vault(data_dir_, master.span(), bytes_of(password)).has_value());
    start(std::optional(master.clone()), texts);
    return master;
  }

  std::optional<Bytes> store_key() {
    auto state = app_state().borrow();
    if (!state->store || !state->store->vault_key) return std::nullopt;
    return bytes_of(*state->store->vault_key);
  }

  std::string vault_path() const { return data_dir_ + "\\vault.json"; }
  std::string index_path() const { return data_dir_ + "\\session.dat"; }

  // Every file the store wrote: the index and the tab files.
  std::vector<std::string> stored_files() const {
    std::vector<std::string> files{index_path()};
    for (const std::string& name : names_in(data_dir_ + "\\tabs")) files.push_back(data_dir_ + "\\tabs\\" + name);
    return files;
  }

  std::map<std::string, Bytes> snapshot() const {
    std::map<std::string, Bytes> files;
    for (const std::string& path : stored_files()) files[path] = read_file_bytes(path).value_or(Bytes{});
    if (auto vault = read_file_bytes(vault_path())) files[vault_path()] = *vault;
    return files;
  }

  // The tab texts and whether the index opened, read with `key` (or the
  // system protection).
  std::vector<std::string> readable_texts(const std::optional<SecureBuffer>& key, bool* index_opens = nullptr) {
    std::vector<std::string> texts;
    for (const std::string& path : stored_files()) {
      auto bytes = read_file_bytes(path);
      if (!bytes) continue;
      auto plain = unprotect_data(*bytes, key);
      if (path == index_path()) {
        if (index_opens) *index_opens = plain && parse_index(plain->view()).has_value();
      } else if (plain) {
        texts.emplace_back(plain->view());
      }
    }
    std::sort(texts.begin(), texts.end());
    return texts;
  }

  HWND frame_ = nullptr;
};

std::optional<Bytes> opens_with(const std::string& dir, std::string_view password) {
  auto master = open_vault(dir, bytes_of(password));
  if (!master) return std::nullopt;
  return bytes_of(*master);
}

// ---- the prompt at start ----

TEST_F(VaultFlows, StartAsksNothingWithoutAVault) {
  for (const bool with_appdata : {true, false}) {
    if (!with_appdata) SetEnvironmentVariableW(L"APPDATA", nullptr);
    CreateDirectoryW(to_wide(root_ + "\\AppData").c_str(), nullptr);
    CreateDirectoryW(to_wide(data_dir_).c_str(), nullptr);
    Script script;
    const StartUnlock outcome = with_script(script, [] { return run_start_unlock(); });
    EXPECT_TRUE(std::holds_alternative<NoPassword>(outcome)) << with_appdata;
    EXPECT_TRUE(script.dialogs.empty()) << with_appdata;
  }
}

TEST_F(VaultFlows, StartGivesTheMasterKeyForTheRightPasswordOnly) {
  const SecureBuffer master = start_with_password("open sesame", {"a note"});
  app_state().reset();

  Refusals refusals;
  bool owner_was_none = false;
  Script script{{{PASSWORD_PROMPT_CLASS,
                  [&](HWND w) {
                    owner_was_none = GetWindow(w, GW_OWNER) == nullptr;
                    type_into(w, first_field, "open says me");
                  }},
                 submit(),
                 note_refusal(refusals, 1),
                 fill({"open sesame"}),
                 submit()}};
  StartUnlock outcome = with_script(script, [] { return run_start_unlock(); });

  ASSERT_TRUE(std::holds_alternative<SecureBuffer>(outcome));
  EXPECT_EQ(bytes_of(std::get<SecureBuffer>(outcome)), bytes_of(master));
  EXPECT_TRUE(owner_was_none);
  EXPECT_EQ(refusals.errors, std::vector<std::wstring>{L"That is not the password."});
  EXPECT_TRUE(refusals.fields_emptied);
  ASSERT_EQ(script.dialogs.size(), 1u) << "one prompt, kept open after the wrong password";
  const SeenWindow& prompt = script.dialogs[0];
  EXPECT_EQ(prompt.title, L"Nimbol");
  for (const char* text : {"Password:", "Unlock", "Exit", "Forgot It..."}) EXPECT_TRUE(shows(prompt, text)) << text;
  EXPECT_TRUE(path_exists(vault_path()));
}

TEST_F(VaultFlows, ExitEscOrTheCloseBoxAtStartEndTheProgramAndKeepTheVault) {
  static_cast<void>(start_with_password("pw", {}));
  app_state().reset();
  const Bytes vault = read_file_bytes(vault_path()).value();
  const Step answers[] = {
      press_button(PASSWORD_PROMPT_CLASS, cancel_button),
      press(PASSWORD_PROMPT_CLASS, VK_ESCAPE),
      {PASSWORD_PROMPT_CLASS, [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
  };
  for (const Step& answer : answers) {
    Script script{{fill({"pw"}), answer}};
    const StartUnlock outcome = with_script(script, [] { return run_start_unlock(); });
    EXPECT_TRUE(std::holds_alternative<ExitRequested>(outcome));
    EXPECT_EQ(read_file_bytes(vault_path()), vault);
  }
}

TEST_F(VaultFlows, ForgotItAsksFirstThenSetsTheOldDataAsideUnderOneTime) {
  static_cast<void>(start_with_password("lost", {"first note", "second note"}));
  app_state().reset();
  const auto before = snapshot();
  ASSERT_EQ(before.size(), 4u);  // vault, index, two tabs

  Script script{{press_button(PASSWORD_PROMPT_CLASS, extra_button),
                 // Esc and Enter on the question both mean "No": back to the prompt.
                 press(MESSAGE_BOX_CLASS, VK_ESCAPE), press_button(PASSWORD_PROMPT_CLASS, extra_button),
                 press(MESSAGE_BOX_CLASS, VK_RETURN), press_button(PASSWORD_PROMPT_CLASS, extra_button),
                 press_button(MESSAGE_BOX_CLASS, first_box_button)}};
  const StartUnlock outcome = with_script(script, [] { return run_start_unlock(); });

  EXPECT_TRUE(std::holds_alternative<PasswordForgotten>(outcome));
  ASSERT_EQ(script.dialogs.size(), 6u) << "prompt, question, prompt, question, prompt, question";
  for (std::size_t i = 1; i < script.dialogs.size(); i += 2) {
    const SeenWindow& question = script.dialogs[i];
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_TRUE(shows(question, forgotten_password_question));
    EXPECT_TRUE(shows(question, "Yes"));
    EXPECT_TRUE(shows(question, "No"));
  }
  EXPECT_EQ(script.dialogs[2].title, L"Nimbol") << "the prompt came back after No";

  // Everything moved aside, nothing deleted, all under the same second.
  const std::vector<std::string> left = names_in(data_dir_);
  ASSERT_EQ(left.size(), 3u);
  std::set<std::string> stamps;
  for (const std::string_view original : {"vault.json", "session.dat", "tabs"}) {
    const auto moved = std::find_if(left.begin(), left.end(), [&](const std::string& name) {
      return name.starts_with(std::string(original) + ".") && name.ends_with(".bak");
    });
    ASSERT_NE(moved, left.end()) << original;
    const std::string stamp = moved->substr(original.size() + 1, moved->size() - original.size() - 5);
    EXPECT_FALSE(stamp.empty()) << *moved;
    EXPECT_TRUE(std::all_of(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; })) << *moved;
    stamps.insert(stamp);
  }
  ASSERT_EQ(stamps.size(), 1u);
  const std::string suffix = "." + *stamps.begin() + ".bak";
  EXPECT_EQ(read_file_bytes(data_dir_ + "\\vault.json" + suffix), before.at(vault_path()));
  EXPECT_EQ(read_file_bytes(data_dir_ + "\\session.dat" + suffix), before.at(index_path()));
  EXPECT_EQ(names_in(data_dir_ + "\\tabs" + suffix).size(), 2u);
  EXPECT_FALSE(vault_exists(data_dir_));
}

// ---- the password commands ----

TEST_F(VaultFlows, SetSealsEveryStoredTabUnderANewMasterKey) {
  start(std::nullopt, {"shopping list", "diary \xC3\xA9t\xC3\xA9"});
  Refusals refusals;
  bool frame_disabled = false;
  Script script{{{PASSWORD_PROMPT_CLASS,
                  [&](HWND w) {
                    frame_disabled = !IsWindowEnabled(frame_);
                    type_into(w, first_field + 1, "filled");
                  }},
                 submit(),
                 note_refusal(refusals, 2),
                 fill({"pass word", "pass wort"}),
                 submit(),
                 note_refusal(refusals, 2),
                 fill({"pass word", "pass word"}),
                 submit()}};
  with_script(script, [&] { set_password_command(frame_); });

  EXPECT_TRUE(frame_disabled);
  EXPECT_TRUE(IsWindowEnabled(frame_));
  ASSERT_EQ(script.dialogs.size(), 1u);
  EXPECT_EQ(script.dialogs[0].title, L"Set Password");
  EXPECT_EQ(script.dialogs[0].owner, frame_);
  for (const char* text : {"New password:", "Repeat it:", "Set", "Cancel"}) {
    EXPECT_TRUE(shows(script.dialogs[0], text)) << text;
  }
  EXPECT_EQ(refusals.errors, (std::vector<std::wstring>{L"The password is empty.", L"The two passwords differ."}));
  EXPECT_TRUE(refusals.fields_emptied);

  const auto master = opens_with(data_dir_, "pass word");
  ASSERT_TRUE(master.has_value());
  EXPECT_EQ(store_key(), master);
  const SecureBuffer key{std::span<const std::uint8_t>(*master)};
  for (const std::string& path : stored_files()) {
    const Bytes bytes = read_file_bytes(path).value();
    ASSERT_TRUE(is_sealed_form(bytes)) << path;
    EXPECT_TRUE(open_sealed(key.span(), std::span(bytes).subspan(4)).has_value()) << path;
  }
  bool index_opens = false;
  EXPECT_EQ(readable_texts(std::optional(key.clone()), &index_opens),
            (std::vector<std::string>{"diary \xC3\xA9t\xC3\xA9", "shopping list"}));
  EXPECT_TRUE(index_opens);
}

// A tab file that cannot be rewritten when the password is set stays in
// the system's form for the moment; the next store tries again, and only
// when that fails too is the user told, once.
TEST_F(VaultFlows, SetTriesAgainWhatItCouldNotSealAndTellsOnce) {
  start(std::nullopt, {"movable", "stuck"});
  std::string stuck;
  for (const std::string& path : stored_files()) {
    if (path == index_path()) continue;
    auto plain = unprotect_data(read_file_bytes(path).value(), std::nullopt);
    if (plain && plain->view() == "stuck") stuck = path;
  }
  ASSERT_FALSE(stuck.empty());
  // Held open without leave to replace it, as a virus scanner might.
  HANDLE lock = CreateFileW(to_wide(stuck).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  Script set{{fill({"pw", "pw"}), submit()}};
  with_script(set, [&] { set_password_command(frame_); });
  EXPECT_EQ(set.dialogs.size(), 1u) << "nothing said yet";
  const auto master = opens_with(data_dir_, "pw");
  ASSERT_TRUE(master.has_value());
  EXPECT_EQ(store_key(), master);
  EXPECT_FALSE(is_sealed_form(read_file_bytes(stuck).value()));

  Script first{{press(MESSAGE_BOX_CLASS, VK_RETURN)}};
  with_script(first, [] { on_store_timer(); });
  ASSERT_EQ(first.dialogs.size(), 1u);
  EXPECT_EQ(first.dialogs[0].owner, frame_);
  EXPECT_TRUE(shows(first.dialogs[0], msg_tabs_not_under_password));
  Script again;
  with_script(again, [] { on_store_timer(); });
  EXPECT_TRUE(again.dialogs.empty()) << "told once";

  CloseHandle(lock);
  Script later;
  with_script(later, [] { on_store_timer(); });
  EXPECT_TRUE(later.dialogs.empty());
  const SecureBuffer key{std::span<const std::uint8_t>(*master)};
  for (const std::string& path : stored_files()) {
    const Bytes bytes = read_file_bytes(path).value();
    EXPECT_TRUE(is_sealed_form(bytes)) << path;
  }
  EXPECT_EQ(readable_texts(std::optional(key.clone())), (std::vector<std::string>{"movable", "stuck"}));
}

// The command is not in the menu while a password is set, but a posted
// command id still reaches it: it must not write a new vault over the one
// the stored tabs need.
TEST_F(VaultFlows, SetDoesNothingWhileAPasswordIsSet) {
  for (const bool key_held : {true, false}) {
    SCOPED_TRACE(key_held ? "the key is held" : "only the vault is there");
    std::optional<SecureBuffer> master;
    if (key_held) {
      master = start_with_password("pw", {"text"});
    } else {
      CreateDirectoryW(to_wide(root_ + "\\AppData").c_str(), nullptr);
      CreateDirectoryW(to_wide(data_dir_).c_str(), nullptr);
      ASSERT_TRUE(create_vault(data_dir_, random_bytes(master_key_size).span(), bytes_of("pw")).has_value());
      start(std::nullopt, {"text"});
    }
    const auto before = snapshot();
    Script none;
    with_script(none, [&] { set_password_command(frame_); });
    EXPECT_TRUE(none.dialogs.empty());
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(store_key(), master ? std::optional(bytes_of(*master)) : std::nullopt);
    app_state().reset();
    remove_tree(data_dir_);
  }
}

TEST_F(VaultFlows, ChangeRewrapsTheSameMasterKeyAndLeavesTheTabsAlone) {
  const SecureBuffer master = start_with_password("old one", {"kept as it is"});
  const auto before = snapshot();

  Refusals refusals;
  Script script{{fill({"old two", "new one", "new one"}), submit(), note_refusal(refusals, 3),
                 fill({"old one", "new one", "new two"}), submit(), note_refusal(refusals, 3),
                 fill({"old one", "new one", "new one"}), submit()}};
  with_script(script, [&] { change_password_command(frame_); });

  ASSERT_EQ(script.dialogs.size(), 1u);
  EXPECT_EQ(script.dialogs[0].title, L"Change Password");
  EXPECT_EQ(script.dialogs[0].owner, frame_);
  for (const char* text : {"Current password:", "New password:", "Repeat it:", "Change", "Cancel"}) {
    EXPECT_TRUE(shows(script.dialogs[0], text)) << text;
  }
  EXPECT_EQ(refusals.errors,
            (std::vector<std::wstring>{L"That is not the current password.", L"The two passwords differ."}));
  EXPECT_TRUE(refusals.fields_emptied);

  const auto after = snapshot();
  for (const std::string& path : stored_files()) EXPECT_EQ(after.at(path), before.at(path)) << path;
  EXPECT_NE(after.at(vault_path()), before.at(vault_path()));
  EXPECT_FALSE(opens_with(data_dir_, "old one").has_value());
  EXPECT_EQ(opens_with(data_dir_, "new one"), bytes_of(master));
  EXPECT_EQ(store_key(), bytes_of(master));
}

TEST_F(VaultFlows, RemoveGoesBackToTheSystemProtectionAndDeletesTheVault) {
  static_cast<void>(start_with_password("remove me", {"one", "two"}));
  Refusals refusals;
  Script script{{fill({"remove you"}), submit(), note_refusal(refusals, 1), fill({"remove me"}), submit()}};
  with_script(script, [&] { remove_password_command(frame_); });

  ASSERT_EQ(script.dialogs.size(), 1u) << "no message after a removal that worked";
  EXPECT_EQ(script.dialogs[0].title, L"Remove Password");
  EXPECT_EQ(script.dialogs[0].owner, frame_);
  for (const char* text : {"Current password:", "Remove", "Cancel"})
    EXPECT_TRUE(shows(script.dialogs[0], text)) << text;
  EXPECT_EQ(refusals.errors, std::vector<std::wstring>{L"That is not the password."});

  EXPECT_FALSE(path_exists(vault_path()));
  EXPECT_FALSE(store_key().has_value());
  for (const std::string& path : stored_files()) EXPECT_FALSE(is_sealed_form(read_file_bytes(path).value())) << path;
  bool index_opens = false;
  EXPECT_EQ(readable_texts(std::nullopt, &index_opens), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(index_opens);
}

TEST_F(VaultFlows, RemoveKeepsThePasswordWhenATabCannotBeRewritten) {
  const SecureBuffer master = start_with_password("pw", {"movable", "stuck"});
  const Bytes vault = read_file_bytes(vault_path()).value();
  // Held open without leave to replace it, as a virus scanner or a backup
  // program might.
  std::string stuck;
  for (const std::string& path : stored_files()) {
    if (path == index_path()) continue;
    auto plain = unprotect_data(read_file_bytes(path).value(), std::optional(master.clone()));
    if (plain && plain->view() == "stuck") stuck = path;
  }
  ASSERT_FALSE(stuck.empty());
  HANDLE lock = CreateFileW(to_wide(stuck).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  Script script{{fill({"pw"}), submit(), press(MESSAGE_BOX_CLASS, VK_RETURN)}};
  with_script(script, [&] { remove_password_command(frame_); });
  CloseHandle(lock);

  ASSERT_EQ(script.dialogs.size(), 2u);
  EXPECT_EQ(script.dialogs[1].owner, frame_);
  EXPECT_TRUE(shows(script.dialogs[1], msg_password_not_removed));
  EXPECT_TRUE(shows(script.dialogs[1], "OK"));

  // The vault and the key stay, and everything stored still opens with it.
  EXPECT_EQ(read_file_bytes(vault_path()), vault);
  EXPECT_EQ(opens_with(data_dir_, "pw"), bytes_of(master));
  EXPECT_EQ(store_key(), bytes_of(master));
  EXPECT_TRUE(is_sealed_form(read_file_bytes(stuck).value()));
  bool index_opens = false;
  EXPECT_EQ(readable_texts(std::optional(master.clone()), &index_opens),
            (std::vector<std::string>{"movable", "stuck"}));
  EXPECT_TRUE(index_opens);
}

TEST_F(VaultFlows, AVaultThatCannotBeWrittenIsReportedAndChangesNothing) {
  struct Case {
    const char* what;
    bool with_password;
    std::function<void(HWND)> command;
    std::vector<std::string> answer;
    std::string message;
  };
  const Case cases[] = {
      {"set", false, set_password_command, {"new", "new"}, std::string(msg_password_not_set)},
      {"change", true, change_password_command, {"pw", "new", "new"}, std::string(msg_password_not_changed)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<SecureBuffer> master;
    if (c.with_password) {
      master = start_with_password("pw", {"text"});
    } else {
      start(std::nullopt, {"text"});
    }
    // The atomic write's temporary name is taken by a folder.
    ASSERT_TRUE(CreateDirectoryW(to_wide(vault_path() + ".tmp").c_str(), nullptr));
    const auto before = snapshot();

    Script script{{fill(c.answer), submit(), press(MESSAGE_BOX_CLASS, VK_RETURN)}};
    with_script(script, [&] { c.command(frame_); });

    ASSERT_EQ(script.dialogs.size(), 2u);
    EXPECT_EQ(script.dialogs[1].owner, frame_);
    EXPECT_TRUE(shows(script.dialogs[1], c.message));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(store_key(), master ? std::optional(bytes_of(*master)) : std::nullopt);
    if (master) EXPECT_EQ(opens_with(data_dir_, "pw"), bytes_of(*master));

    app_state().reset();
    remove_tree(data_dir_);
  }
}

TEST_F(VaultFlows, CancelOrNoAppDataLeavesEverythingAsItWas) {
  const std::function<void(HWND)> commands[] = {set_password_command, change_password_command, remove_password_command};
  // Set is there to cancel only without a password, the others with one.
  for (const bool with_password : {false, true}) {
    SCOPED_TRACE(with_password ? "with a password" : "without a password");
    std::optional<SecureBuffer> master;
    if (with_password) {
      master = start_with_password("pw", {"text"});
    } else {
      start(std::nullopt, {"text"});
    }
    const auto before = snapshot();
    const std::vector<std::function<void(HWND)>> offered =
        with_password ? std::vector<std::function<void(HWND)>>{change_password_command, remove_password_command}
                      : std::vector<std::function<void(HWND)>>{set_password_command};
    for (const auto& command : offered) {
      Script cancelled{{fill({"pw"}), press_button(PASSWORD_PROMPT_CLASS, cancel_button)}};
      with_script(cancelled, [&] { command(frame_); });
      Script escaped{{fill({"pw"}), press(PASSWORD_PROMPT_CLASS, VK_ESCAPE)}};
      with_script(escaped, [&] { command(frame_); });
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(store_key(), master ? std::optional(bytes_of(*master)) : std::nullopt);
    app_state().reset();
    remove_tree(data_dir_);
  }

  static_cast<void>(start_with_password("pw", {"text"}));
  const auto before = snapshot();
  SetEnvironmentVariableW(L"APPDATA", nullptr);
  for (const auto& command : commands) {
    Script none;
    with_script(none, [&] { command(frame_); });
    EXPECT_TRUE(none.dialogs.empty());
  }
  EXPECT_EQ(snapshot(), before);
}

}  // namespace
