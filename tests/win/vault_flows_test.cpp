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

#include "app/app_state.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/tabs.h"
#include "store/crypto.h"
#include "store/protect.h"
#include "store/random.h"
#include "store/session_index.h"
#include "store/session_store.h"
#include "store/vault.h"
#include "store/vault_flows.h"
#include "store/vault_prompts.h"
#include "ui/message_box.h"
#include "ui/password_prompt.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }
Bytes bytes_of(const SecureBuffer& buffer) { return {buffer.span().begin(), buffer.span().end()}; }

// ---- files ----

std::optional<Bytes> read_bytes(const std::string& path) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  Bytes bytes;
  std::uint8_t chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  CloseHandle(file);
  return bytes;
}

void write_bytes(const std::string& path, const Bytes& bytes) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool exists(const std::string& path) { return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names in `folder`, without "." and "..".
std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(to_wide(folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(to_utf8(name));
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

void remove_tree(const std::string& folder) {
  for (const std::string& name : names_in(folder)) {
    const std::string path = folder + "\\" + name;
    const DWORD attributes = GetFileAttributesW(to_wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      remove_tree(path);
    } else {
      DeleteFileW(to_wide(path).c_str());
    }
  }
  RemoveDirectoryW(to_wide(folder).c_str());
}

// ---- answering the dialogs from inside their modal loops ----

struct Seen {
  HWND window;
  std::wstring title;
  HWND owner;
  std::vector<std::wstring> texts;  // every child, in creation order
};

Seen look_at(HWND window) {
  Seen seen{window, {}, GetWindow(window, GW_OWNER), {}};
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  seen.title = title;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        wchar_t text[4096] = {};
        GetWindowTextW(child, text, 4096);
        reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen.texts));
  return seen;
}

bool shows(const Seen& seen, std::string_view text) {
  return std::find(seen.texts.begin(), seen.texts.end(), to_wide(text)) != seen.texts.end();
}

HWND visible_thread_window(const wchar_t* class_name) {
  std::pair<const wchar_t*, HWND> search{class_name, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (!IsWindowVisible(window) || wcscmp(name, s->first) != 0) return TRUE;
        s->second = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// One answer: wait for a dialog of this class, then act on it.
struct Step {
  const wchar_t* class_name;
  std::function<void(HWND)> act;
};

// Steps run one per timer tick. A timer message comes only when nothing
// posted is waiting, so what a step posted (and the validation it set off)
// is done before the next step looks. Every dialog that shows up is
// recorded; one still open long after the last step is destroyed, so a
// flow that asks more than expected fails instead of hanging.
struct Script {
  std::vector<Step> steps;
  std::size_t next = 0;
  int idle_ticks = 0;
  std::vector<Seen> dialogs;
};

Script* running = nullptr;

// Each dialog once, as it first looked; a dialog that comes back after
// another one counts again.
void record(HWND window) {
  if (!window || (!running->dialogs.empty() && running->dialogs.back().window == window)) return;
  running->dialogs.push_back(look_at(window));
}

void CALLBACK script_tick(HWND, UINT, UINT_PTR, DWORD) {
  Script& s = *running;
  HWND prompt = visible_thread_window(PASSWORD_PROMPT_CLASS);
  HWND box = visible_thread_window(MESSAGE_BOX_CLASS);
  record(prompt);
  record(box);
  if (s.next < s.steps.size()) {
    const Step& step = s.steps[s.next];
    if (HWND window = visible_thread_window(step.class_name)) {
      ++s.next;
      s.idle_ticks = 0;
      step.act(window);
      return;
    }
  }
  if ((prompt || box) && ++s.idle_ticks > 300) {
    ADD_FAILURE() << "a dialog stayed open that the script did not expect";
    s.idle_ticks = 0;
    DestroyWindow(prompt ? prompt : box);
  }
}

template <class Run>
auto with_script(Script& script, Run run) {
  running = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 15, script_tick);
  auto result = run();
  KillTimer(nullptr, timer);
  running = nullptr;
  EXPECT_EQ(script.next, script.steps.size()) << "not every step ran";
  return result;
}

void run_script(Script& script, const std::function<void()>& run) {
  with_script(script, [&] {
    run();
    return 0;
  });
}

void type_into(HWND window, int id, std::string_view text) {
  HWND field = GetDlgItem(window, id);
  ASSERT_NE(field, nullptr) << id;
  for (wchar_t c : to_wide(text)) PostMessageW(field, WM_CHAR, c, 1);
}

void post_key(HWND window, WPARAM key) {
  HWND focus = GetFocus();
  HWND target = focus && IsChild(window, focus) ? focus : window;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

void click(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  ASSERT_NE(control, nullptr) << id;
  PostMessageW(control, BM_CLICK, 0, 0);
}

std::wstring text_of(HWND window, int id) {
  wchar_t buffer[512] = {};
  GetWindowTextW(GetDlgItem(window, id), buffer, 512);
  return buffer;
}

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
  return {class_name, [id](HWND w) { click(w, id); }};
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

LRESULT CALLBACK plain_frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  return DefWindowProcW(window, message, wparam, lparam);
}

class VaultFlows : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadLibraryW(L"Msftedit.dll");
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    root_ = to_utf8(std::wstring_view(temp, length)) + "nimbol-flows-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(to_wide(root_).c_str(), nullptr));
    ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", to_wide(root_ + "\\AppData").c_str()));
    dir_ = root_ + "\\AppData\\Nimbol";

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = plain_frame_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NimbolFlowsTestFrame";
    RegisterClassExW(&wc);
    frame_ = CreateWindowExW(0, wc.lpszClassName, L"frame", WS_OVERLAPPEDWINDOW, 20, 20, 500, 300, nullptr, nullptr,
                             wc.hInstance, nullptr);
    ASSERT_NE(frame_, nullptr);
  }

  void TearDown() override {
    if (app_state().exists()) app_state().reset();
    if (IsWindow(frame_)) DestroyWindow(frame_);
    remove_tree(root_);
  }

  // A running program: the store (under `key`, if any) with one stored tab
  // per text.
  void start(const std::optional<SecureBuffer>& key, const std::vector<std::string>& texts) {
    AppState state;
    state.frame = frame_;
    state.store = open_store(key ? std::optional(key->clone()) : std::nullopt);
    ASSERT_TRUE(state.store.has_value());
    app_state().emplace(std::move(state));
    for (const std::string& text : texts) {
      const std::size_t index = new_tab();
      auto borrowed = app_state().borrow();
      Tab& tab = borrowed->tabs[index];
      set_editor_text(tab.editor, text);
      tab.dirty = true;
      tab.store_pending = true;
    }
    ASSERT_TRUE(store_session());
  }

  // A program whose tabs are stored under `password`: the vault and the
  // store share one master key, which is returned.
  SecureBuffer start_with_password(std::string_view password, const std::vector<std::string>& texts) {
    SecureBuffer master = random_bytes(master_key_size);
    CreateDirectoryW(to_wide(root_ + "\\AppData").c_str(), nullptr);
    CreateDirectoryW(to_wide(dir_).c_str(), nullptr);
    EXPECT_TRUE(create_vault(dir_, master.span(), bytes_of(password)).has_value());
    start(std::optional(master.clone()), texts);
    return master;
  }

  std::optional<Bytes> store_key() {
    auto state = app_state().borrow();
    if (!state->store || !state->store->vault_key) return std::nullopt;
    return bytes_of(*state->store->vault_key);
  }

  std::string vault_path() const { return dir_ + "\\vault.json"; }
  std::string index_path() const { return dir_ + "\\session.dat"; }

  // Every file the store wrote: the index and the tab files.
  std::vector<std::string> stored_files() const {
    std::vector<std::string> files{index_path()};
    for (const std::string& name : names_in(dir_ + "\\tabs")) files.push_back(dir_ + "\\tabs\\" + name);
    return files;
  }

  std::map<std::string, Bytes> snapshot() const {
    std::map<std::string, Bytes> files;
    for (const std::string& path : stored_files()) files[path] = read_bytes(path).value_or(Bytes{});
    if (auto vault = read_bytes(vault_path())) files[vault_path()] = *vault;
    return files;
  }

  // The tab texts and whether the index opened, read with `key` (or the
  // system protection).
  std::vector<std::string> readable_texts(const std::optional<SecureBuffer>& key, bool* index_opens = nullptr) {
    std::vector<std::string> texts;
    for (const std::string& path : stored_files()) {
      auto bytes = read_bytes(path);
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

  std::string root_;
  std::string dir_;
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
    CreateDirectoryW(to_wide(dir_).c_str(), nullptr);
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
  const Seen& prompt = script.dialogs[0];
  EXPECT_EQ(prompt.title, L"Nimbol");
  for (const char* text : {"Password:", "Unlock", "Exit", "Forgot It..."}) EXPECT_TRUE(shows(prompt, text)) << text;
  EXPECT_TRUE(exists(vault_path()));
}

TEST_F(VaultFlows, ExitEscOrTheCloseBoxAtStartEndTheProgramAndKeepTheVault) {
  static_cast<void>(start_with_password("pw", {}));
  app_state().reset();
  const Bytes vault = read_bytes(vault_path()).value();
  const Step answers[] = {
      press_button(PASSWORD_PROMPT_CLASS, cancel_button),
      press(PASSWORD_PROMPT_CLASS, VK_ESCAPE),
      {PASSWORD_PROMPT_CLASS, [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
  };
  for (const Step& answer : answers) {
    Script script{{fill({"pw"}), answer}};
    const StartUnlock outcome = with_script(script, [] { return run_start_unlock(); });
    EXPECT_TRUE(std::holds_alternative<ExitRequested>(outcome));
    EXPECT_EQ(read_bytes(vault_path()), vault);
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
    const Seen& question = script.dialogs[i];
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_TRUE(shows(question, forgotten_password_question));
    EXPECT_TRUE(shows(question, "Yes"));
    EXPECT_TRUE(shows(question, "No"));
  }
  EXPECT_EQ(script.dialogs[2].title, L"Nimbol") << "the prompt came back after No";

  // Everything moved aside, nothing deleted, all under the same second.
  const std::vector<std::string> left = names_in(dir_);
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
  EXPECT_EQ(read_bytes(dir_ + "\\vault.json" + suffix), before.at(vault_path()));
  EXPECT_EQ(read_bytes(dir_ + "\\session.dat" + suffix), before.at(index_path()));
  EXPECT_EQ(names_in(dir_ + "\\tabs" + suffix).size(), 2u);
  EXPECT_FALSE(vault_exists(dir_));
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
  run_script(script, [&] { set_password_command(frame_); });

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

  const auto master = opens_with(dir_, "pass word");
  ASSERT_TRUE(master.has_value());
  EXPECT_EQ(store_key(), master);
  const SecureBuffer key{std::span<const std::uint8_t>(*master)};
  for (const std::string& path : stored_files()) {
    const Bytes bytes = read_bytes(path).value();
    ASSERT_TRUE(is_sealed_form(bytes)) << path;
    EXPECT_TRUE(open_sealed(key.span(), std::span(bytes).subspan(4)).has_value()) << path;
  }
  bool index_opens = false;
  EXPECT_EQ(readable_texts(std::optional(key.clone()), &index_opens),
            (std::vector<std::string>{"diary \xC3\xA9t\xC3\xA9", "shopping list"}));
  EXPECT_TRUE(index_opens);
}

TEST_F(VaultFlows, ChangeRewrapsTheSameMasterKeyAndLeavesTheTabsAlone) {
  const SecureBuffer master = start_with_password("old one", {"kept as it is"});
  const auto before = snapshot();

  Refusals refusals;
  Script script{{fill({"old two", "new one", "new one"}), submit(), note_refusal(refusals, 3),
                 fill({"old one", "new one", "new two"}), submit(), note_refusal(refusals, 3),
                 fill({"old one", "new one", "new one"}), submit()}};
  run_script(script, [&] { change_password_command(frame_); });

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
  EXPECT_FALSE(opens_with(dir_, "old one").has_value());
  EXPECT_EQ(opens_with(dir_, "new one"), bytes_of(master));
  EXPECT_EQ(store_key(), bytes_of(master));
}

TEST_F(VaultFlows, RemoveGoesBackToTheSystemProtectionAndDeletesTheVault) {
  static_cast<void>(start_with_password("remove me", {"one", "two"}));
  Refusals refusals;
  Script script{{fill({"remove you"}), submit(), note_refusal(refusals, 1), fill({"remove me"}), submit()}};
  run_script(script, [&] { remove_password_command(frame_); });

  ASSERT_EQ(script.dialogs.size(), 1u) << "no message after a removal that worked";
  EXPECT_EQ(script.dialogs[0].title, L"Remove Password");
  EXPECT_EQ(script.dialogs[0].owner, frame_);
  for (const char* text : {"Current password:", "Remove", "Cancel"})
    EXPECT_TRUE(shows(script.dialogs[0], text)) << text;
  EXPECT_EQ(refusals.errors, std::vector<std::wstring>{L"That is not the password."});

  EXPECT_FALSE(exists(vault_path()));
  EXPECT_FALSE(store_key().has_value());
  for (const std::string& path : stored_files()) EXPECT_FALSE(is_sealed_form(read_bytes(path).value())) << path;
  bool index_opens = false;
  EXPECT_EQ(readable_texts(std::nullopt, &index_opens), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(index_opens);
}

TEST_F(VaultFlows, RemoveKeepsThePasswordWhenATabCannotBeRewritten) {
  const SecureBuffer master = start_with_password("pw", {"movable", "stuck"});
  const Bytes vault = read_bytes(vault_path()).value();
  // Held open without leave to replace it, as a virus scanner or a backup
  // program might.
  std::string stuck;
  for (const std::string& path : stored_files()) {
    if (path == index_path()) continue;
    auto plain = unprotect_data(read_bytes(path).value(), std::optional(master.clone()));
    if (plain && plain->view() == "stuck") stuck = path;
  }
  ASSERT_FALSE(stuck.empty());
  HANDLE lock = CreateFileW(to_wide(stuck).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  Script script{{fill({"pw"}), submit(), press(MESSAGE_BOX_CLASS, VK_RETURN)}};
  run_script(script, [&] { remove_password_command(frame_); });
  CloseHandle(lock);

  ASSERT_EQ(script.dialogs.size(), 2u);
  EXPECT_EQ(script.dialogs[1].owner, frame_);
  EXPECT_TRUE(shows(script.dialogs[1], msg_password_not_removed));
  EXPECT_TRUE(shows(script.dialogs[1], "OK"));

  // The vault and the key stay, and everything stored still opens with it.
  EXPECT_EQ(read_bytes(vault_path()), vault);
  EXPECT_EQ(opens_with(dir_, "pw"), bytes_of(master));
  EXPECT_EQ(store_key(), bytes_of(master));
  EXPECT_TRUE(is_sealed_form(read_bytes(stuck).value()));
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
    run_script(script, [&] { c.command(frame_); });

    ASSERT_EQ(script.dialogs.size(), 2u);
    EXPECT_EQ(script.dialogs[1].owner, frame_);
    EXPECT_TRUE(shows(script.dialogs[1], c.message));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(store_key(), master ? std::optional(bytes_of(*master)) : std::nullopt);
    if (master) EXPECT_EQ(opens_with(dir_, "pw"), bytes_of(*master));

    app_state().reset();
    remove_tree(dir_);
  }
}

TEST_F(VaultFlows, CancelOrNoAppDataLeavesEverythingAsItWas) {
  const SecureBuffer master = start_with_password("pw", {"text"});
  const auto before = snapshot();
  const std::function<void(HWND)> commands[] = {set_password_command, change_password_command, remove_password_command};
  for (const auto& command : commands) {
    Script cancelled{{fill({"pw"}), press_button(PASSWORD_PROMPT_CLASS, cancel_button)}};
    run_script(cancelled, [&] { command(frame_); });
    Script escaped{{fill({"pw"}), press(PASSWORD_PROMPT_CLASS, VK_ESCAPE)}};
    run_script(escaped, [&] { command(frame_); });
  }
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(store_key(), bytes_of(master));

  SetEnvironmentVariableW(L"APPDATA", nullptr);
  for (const auto& command : commands) {
    Script none;
    run_script(none, [&] { command(frame_); });
    EXPECT_TRUE(none.dialogs.empty());
  }
  EXPECT_EQ(snapshot(), before);
}

}  // namespace
