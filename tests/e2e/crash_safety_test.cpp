// A crash at any moment leaves the stored tabs whole. nimbol.exe is killed
// again and again at random moments while text goes into several tabs and
// the tabs are stored over and over; after each kill every stored file
// opens with a reader of the test's own, no tab that had been stored is
// missing, and every stored text is one its tab really had (the one of the
// last completed store or a later one, never a mixture). The next start
// must then bring back exactly those texts.
//
// The text is posted to the editors as WM_CHAR, and a store is forced by
// posting the store timer's WM_TIMER: posted messages are handled in order,
// so the test knows every state each tab passes through and which of them a
// store can have seen. Where the kill lands is left to chance (seeded,
// printed; NIMBOL_CRASH_SEED repeats a run's choices), but no check depends
// on where it lands.

#include <windows.h>

#include <dpapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "e2e/driver.h"
#include "store/crypto.h"
#include "store/vault.h"

namespace {

using namespace e2e;

constexpr WORD cmd_new_tab = 100;
constexpr WORD cmd_set_password = 140;
constexpr WPARAM timer_store = 1;
constexpr std::size_t max_tabs = 5;
constexpr wchar_t password[] = L"crash \u00e9 safe";

// Every tab's text starts with its own marker, which no other typed
// character can be, so a stored text names the tab it belongs to.
constexpr std::wstring_view markers = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::wstring_view alphabet =
    L"abcdefghijklmnopqrstuvwxyz0123456789 .,\u00e9\u00fc\u00df\u03a9\u0436\u4e2d\u6587\u2713";

int total_kills = 0;

class KillCount : public testing::Environment {
 public:
  void TearDown() override {
    if (total_kills > 0) std::cout << "CrashSafety: " << total_kills << " kills" << std::endl;
  }
};
[[maybe_unused]] testing::Environment* const kill_count = testing::AddGlobalTestEnvironment(new KillCount);

// ---- the independent reader ----

std::optional<std::string> unprotect(const std::string& bytes, const std::optional<SecureBuffer>& key) {
  if (key) {
    // Under a password every stored file has the password form.
    if (bytes.size() < 4 || bytes.compare(0, 4, "DFV1") != 0) return std::nullopt;
    const auto blob = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()).subspan(4);
    auto plain = open_sealed(key->span(), blob);
    if (!plain) return std::nullopt;
    return std::string(plain->view());
  }
  DATA_BLOB in{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  std::string plain(reinterpret_cast<const char*>(out.pbData), out.cbData);
  LocalFree(out.pbData);
  return plain;
}

// What the data folder holds.
struct Stored {
  std::optional<std::vector<std::uint64_t>> index;  // the ids of session.dat, in strip order
  std::map<std::uint64_t, std::wstring> texts;      // tabs\<id>.dat
  bool in_index(std::uint64_t id) const { return index && std::ranges::find(*index, id) != index->end(); }
};

std::optional<std::vector<std::uint64_t>> parse_index(const std::string& text) {
  const auto root = nlohmann::json::parse(text, nullptr, false);
  if (!root.is_object() || !root.contains("tabs") || !root["tabs"].is_array()) return std::nullopt;
  std::vector<std::uint64_t> ids;
  for (const auto& entry : root["tabs"]) {
    if (!entry.is_object() || !entry.contains("id") || !entry["id"].is_number_unsigned()) return std::nullopt;
    ids.push_back(entry["id"].get<std::uint64_t>());
  }
  return ids;
}

// Reads everything stored; each file that does not open is a failure.
Stored read_stored(const std::wstring& data_folder, const std::optional<SecureBuffer>& key) {
  Stored stored;
  if (const auto bytes = read_file(data_folder + L"\\session.dat")) {
    const auto plain = unprotect(*bytes, key);
    if (plain) stored.index = parse_index(*plain);
    EXPECT_TRUE(plain) << "session.dat does not open";
    EXPECT_TRUE(stored.index) << "session.dat opens but is not an index";
  }
  const std::wstring tabs = data_folder + L"\\tabs";
  for (const std::wstring& name : list_folder(tabs)) {
    // A write that the kill cut short; the program never reads it.
    if (name.ends_with(L".tmp")) continue;
    const std::size_t digits = name.find_first_not_of(L"0123456789");
    if (digits == 0 || name.substr(digits) != L".dat") {
      ADD_FAILURE() << "unexpected file tabs\\" << utf8(name);
      continue;
    }
    const auto bytes = read_file(tabs + L"\\" + name);
    const auto plain = bytes ? unprotect(*bytes, key) : std::nullopt;
    if (!plain) {
      ADD_FAILURE() << "tabs\\" << utf8(name) << " does not open";
      continue;
    }
    stored.texts[std::stoull(name.substr(0, digits))] = wide(*plain);
  }
  return stored;
}

// ---- what the test knows about each tab ----

struct TabModel {
  HWND editor = nullptr;
  wchar_t marker = 0;                // set with the first character typed
  std::vector<std::wstring> states;  // every text it had in this run, in order
  std::size_t floor = 0;             // a completed store holds this state or a later one
  bool in_index = false;             // the index of a completed store lists it
};

class CrashRun {
 public:
  CrashRun(bool with_password, unsigned seed) : with_password_(with_password), random_(seed) {}

  void run(int kills);
  int cut_short() const { return cut_short_; }

 private:
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

  void start_first();
  void restart();
  void unlock();
  void model_restored_tabs();
  void live();
  void type_into(TabModel& tab, std::size_t count);
  void delete_from(TabModel& tab);
  void new_tab();
  void post_store();
  void sync_and_check();
  void kill_and_check();

  bool with_password_;
  std::mt19937 random_;
  std::unique_ptr<App> app_;
  std::optional<SecureBuffer> key_;
  std::vector<TabModel> tabs_;
  std::size_t next_marker_ = 0;
  // The id each tab's text has been stored under; it never changes.
  std::map<wchar_t, std::uint64_t> ids_;
  // Per tab, the state the last posted store sees (empty: none posted
  // since the last sync).
  std::vector<std::size_t> pending_store_;
  std::chrono::milliseconds kill_window_{50};
  Stored last_stored_;
  // Kills that left a write half done, as the temporary file it leaves.
  ULONGLONG run_started_ = 0;
  int cut_short_ = 0;
};

ULONGLONG now_as_file_time() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart;
}

// Whether the program is writing one of its files, or was when it ended:
// the atomic write's temporary file, written after `since`, is there.
bool write_under_way(const std::wstring& data_folder, ULONGLONG since) {
  for (const std::wstring& folder : {data_folder, data_folder + L"\\tabs"}) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder + L"\\*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) continue;
    bool fresh = false;
    do {
      const ULARGE_INTEGER written{{found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime}};
      fresh = fresh || written.QuadPart > since;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    if (fresh) return true;
  }
  return false;
}

void CrashRun::start_first() {
  app_ = std::make_unique<App>();
  ASSERT_EQ(app_->editors().size(), 1u);
  if (with_password_) {
    app_->command(cmd_set_password);
    const Window prompt = app_->wait_for_window(L"NimbolPasswordWnd");
    ASSERT_TRUE(prompt);
    const std::vector<Window> edits = prompt.children(L"Edit");
    ASSERT_GE(edits.size(), 2u);
    for (const Window& edit : edits) edit.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password));
    app_->choose(prompt, L"Set");
    ASSERT_TRUE(eventually([&] { return !prompt && file_exists(app_->data_folder() + L"\\vault.json"); }));
    const auto vault = read_file(app_->data_folder() + L"\\vault.json");
    ASSERT_TRUE(vault);
    const std::string secret = utf8(password);
    auto key = unlock_vault(*vault, std::span(reinterpret_cast<const std::uint8_t*>(secret.data()), secret.size()));
    ASSERT_TRUE(key) << "vault.json does not open with the password";
    key_ = std::move(*key);
  }
  tabs_.push_back({app_->editors().front().hwnd(), 0, {L""}, 0, false});
  ASSERT_TRUE(app_->sync());

  // How long a store takes here decides where the kills land.
  const auto before = std::chrono::steady_clock::now();
  app_->frame().post(WM_TIMER, timer_store);
  ASSERT_TRUE(app_->sync());
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
  kill_window_ = std::clamp(took * 3, std::chrono::milliseconds(30), std::chrono::milliseconds(400));
}

void CrashRun::unlock() {
  const Window prompt = app_->wait_for_window(L"NimbolPasswordWnd");
  ASSERT_TRUE(prompt) << "no password prompt at the start";
  const std::vector<Window> edits = prompt.children(L"Edit");
  ASSERT_FALSE(edits.empty());
  edits.front().send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password));
  app_->choose(prompt, L"Unlock");
  ASSERT_TRUE(eventually([&] {
    const std::vector<Window> frames = app_->top_level_windows(L"NimbolFrame");
    return !frames.empty() && frames.front().visible();
  }));
}

void CrashRun::restart() {
  app_ = std::make_unique<App>(*app_, StartOptions{});
  if (with_password_) {
    unlock();
    if (testing::Test::HasFatalFailure()) return;
  }
  // The tabs that come back are the stored texts, plus an empty tab for
  // each listed tab without text; with nothing at all, one empty tab.
  std::vector<std::wstring> expected;
  for (const auto& [id, text] : last_stored_.texts) expected.push_back(text);
  if (last_stored_.index) {
    for (const std::uint64_t id : *last_stored_.index) {
      if (!last_stored_.texts.contains(id)) expected.emplace_back();
    }
  }
  if (expected.empty()) expected.emplace_back();
  std::ranges::sort(expected);
  std::vector<std::wstring> shown;
  const bool same = eventually(
      [&] {
        shown.clear();
        for (const Window& editor : app_->editors()) shown.push_back(app_->editor_text(editor));
        std::ranges::sort(shown);
        return shown == expected;
      },
      5s);
  ASSERT_TRUE(same) << "the start brought back " << shown.size() << " tabs, the store held " << expected.size();
  model_restored_tabs();
}

void CrashRun::model_restored_tabs() {
  tabs_.clear();
  // The store posted before the kill belongs to the previous run.
  pending_store_.clear();
  for (const Window& editor : app_->editors()) {
    TabModel tab{editor.hwnd(), 0, {app_->editor_text(editor)}, 0, false};
    if (!tab.states.front().empty()) {
      tab.marker = tab.states.front().front();
      for (const auto& [id, text] : last_stored_.texts) {
        if (text.front() == tab.marker) tab.in_index = last_stored_.in_index(id);
      }
    } else {
      tab.in_index = last_stored_.index.has_value();
    }
    // Text goes in at the end, where the test's record of states expects it.
    const auto end = static_cast<WPARAM>(tab.states.front().size());
    editor.send(EM_SETSEL, end, static_cast<LPARAM>(end));
    tabs_.push_back(std::move(tab));
  }
}

void CrashRun::type_into(TabModel& tab, std::size_t count) {
  const Window editor(tab.editor);
  if (tab.marker == 0) {
    if (next_marker_ == markers.size()) return;
    tab.marker = markers[next_marker_++];
    editor.post(WM_CHAR, tab.marker, 1);
    tab.states.push_back(std::wstring(1, tab.marker));
  }
  for (std::size_t i = 0; i < count; ++i) {
    const wchar_t c = alphabet[pick(alphabet.size())];
    editor.post(WM_CHAR, c, 1);
    tab.states.push_back(tab.states.back() + c);
  }
}

// Removes a few characters at the end in one step (the marker stays), so
// that a tab's texts are not simply each other's beginnings.
void CrashRun::delete_from(TabModel& tab) {
  const std::wstring& text = tab.states.back();
  if (text.size() < 2) return;
  const std::size_t count = 1 + pick(std::min<std::size_t>(text.size() - 1, 6));
  const Window editor(tab.editor);
  editor.post(EM_SETSEL, text.size() - count, static_cast<LPARAM>(text.size()));
  editor.post(WM_CLEAR);
  tab.states.push_back(text.substr(0, text.size() - count));
}

void CrashRun::new_tab() {
  app_->command(cmd_new_tab);
  // Its editor is known once the command has been handled.
  sync_and_check();
  if (testing::Test::HasFatalFailure()) return;
  for (const Window& editor : app_->editors()) {
    if (std::ranges::none_of(tabs_, [&](const TabModel& t) { return t.editor == editor.hwnd(); })) {
      tabs_.push_back({editor.hwnd(), 0, {L""}, 0, false});
      return;
    }
  }
  FAIL() << "a new tab opened no editor";
}

void CrashRun::post_store() {
  app_->frame().post(WM_TIMER, timer_store);
  pending_store_.clear();
  for (const TabModel& tab : tabs_) pending_store_.push_back(tab.states.size() - 1);
}

// Everything posted so far has been handled: the last posted store is
// complete, and every editor holds what the test typed.
void CrashRun::sync_and_check() {
  ASSERT_TRUE(app_->sync());
  for (std::size_t i = 0; i < pending_store_.size() && i < tabs_.size(); ++i) {
    tabs_[i].floor = std::max(tabs_[i].floor, pending_store_[i]);
    tabs_[i].in_index = true;
  }
  pending_store_.clear();
  for (const TabModel& tab : tabs_) {
    ASSERT_EQ(utf8(app_->editor_text(Window(tab.editor))), utf8(tab.states.back())) << "typing went astray";
  }
}

void CrashRun::live() {
  const std::size_t steps = 2 + pick(6);
  for (std::size_t step = 0; step < steps; ++step) {
    const std::size_t what = pick(10);
    if (what == 0 && tabs_.size() < max_tabs && next_marker_ < markers.size()) {
      new_tab();
    } else if (what <= 3) {
      post_store();
      if (chance(0.5)) sync_and_check();
    } else {
      TabModel& tab = tabs_[pick(tabs_.size())];
      if (chance(0.25)) {
        delete_from(tab);
      } else {
        type_into(tab, 1 + pick(12));
      }
    }
    if (testing::Test::HasFatalFailure()) return;
  }
  // The kill: a store on its way, typing behind it, and the process ends
  // somewhere in or around that store, or, every other time, as soon as
  // one of its writes is seen under way (the index is always written).
  type_into(tabs_[pick(tabs_.size())], pick(8));
  post_store();
  type_into(tabs_[pick(tabs_.size())], pick(6));
  if (chance(0.5)) {
    const auto give_up = std::chrono::steady_clock::now() + 1s;
    while (!write_under_way(app_->data_folder(), run_started_) && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::yield();
    }
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(pick(static_cast<std::size_t>(kill_window_.count()) + 1)));
  }
}

void CrashRun::kill_and_check() {
  app_->kill();
  ASSERT_FALSE(app_->running());
  ++total_kills;
  if (write_under_way(app_->data_folder(), run_started_)) ++cut_short_;
  last_stored_ = read_stored(app_->data_folder(), key_);
  const Stored& stored = last_stored_;

  const auto listed = std::ranges::count_if(tabs_, [](const TabModel& t) { return t.in_index; });
  if (listed > 0) {
    ASSERT_TRUE(stored.index) << "session.dat is gone";
    EXPECT_GE(stored.index->size(), static_cast<std::size_t>(listed)) << "the index lost tabs";
  }
  std::vector<wchar_t> seen;
  for (const auto& [id, text] : stored.texts) {
    ASSERT_FALSE(text.empty()) << id << ".dat is empty";
    const auto tab = std::ranges::find(tabs_, text.front(), &TabModel::marker);
    ASSERT_NE(tab, tabs_.end()) << id << ".dat holds a text no tab had: " << utf8(text);
    EXPECT_EQ(std::ranges::count(seen, tab->marker), 0) << "two stored texts for one tab";
    seen.push_back(tab->marker);
    const auto [known, first_time] = ids_.try_emplace(tab->marker, id);
    EXPECT_EQ(known->second, id) << "the text of the tab in " << known->second << ".dat moved to " << id << ".dat";
    const auto since = tab->states.begin() + static_cast<std::ptrdiff_t>(tab->floor);
    EXPECT_NE(std::find(since, tab->states.end(), text), tab->states.end())
        << id << ".dat holds \"" << utf8(text) << "\", which its tab never had or which a completed store "
        << "had replaced by \"" << utf8(tab->states[tab->floor]) << "\"";
    if (tab->in_index) EXPECT_TRUE(stored.in_index(id)) << id << ".dat is missing from the index";
  }
  for (const TabModel& tab : tabs_) {
    if (!tab.states[tab.floor].empty()) {
      EXPECT_EQ(std::ranges::count(seen, tab.marker), 1)
          << "the stored text of a tab is missing: \"" << utf8(tab.states[tab.floor]) << "\"";
    }
  }
}

void CrashRun::run(int kills) {
  start_first();
  for (int kill = 0; kill < kills && !testing::Test::HasFailure(); ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill + 1));
    if (kill > 0) restart();
    if (testing::Test::HasFatalFailure()) return;
    run_started_ = now_as_file_time();
    live();
    if (testing::Test::HasFatalFailure()) return;
    kill_and_check();
  }
}

unsigned seed_for(unsigned fallback) {
  const char* chosen = std::getenv("NIMBOL_CRASH_SEED");
  return chosen ? static_cast<unsigned>(std::strtoul(chosen, nullptr, 10)) : fallback;
}

void run_kills(bool with_password, unsigned default_seed, int kills) {
  const unsigned seed = seed_for(default_seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  const int before = total_kills;
  CrashRun run(with_password, seed);
  run.run(kills);
  std::cout << "CrashSafety: " << total_kills - before << " kills " << (with_password ? "with" : "without")
            << " a password (seed " << seed << "), " << run.cut_short() << " of them in the middle of a write"
            << std::endl;
}

TEST(CrashSafety, KillsWithoutAPasswordLeaveEveryStoredTabWhole) { run_kills(false, 20271, 30); }

TEST(CrashSafety, KillsUnderAPasswordLeaveEveryStoredTabWhole) { run_kills(true, 20272, 25); }

// Ctrl+S, and the program ends the moment the file has its new bytes: the
// next start shows what the file holds. A stored text older than the file
// must not come back (a second Ctrl+S would write it over the newer file).
TEST(CrashSafety, AKillRightAfterASaveBringsBackWhatTheFileHolds) {
  TempDir files;
  const std::wstring path = files / L"notes.txt";
  std::string on_disk = "first words";
  write_file(path, on_disk);
  auto app = std::make_unique<App>(StartOptions{.args = {path}});
  const auto shows = [&](const std::string& text) {
    return eventually(
        [&] {
          const std::vector<Window> editors = app->editors();
          return editors.size() == 1 && utf8(app->editor_text(editors.front())) == text;
        },
        10s);
  };
  // The store holds `text` for the tab: a text older than the next save.
  const auto stored = [&](const std::string& text) {
    return eventually(
        [&] {
          const std::wstring tabs = app->data_folder() + L"\\tabs";
          for (const std::wstring& name : list_folder(tabs)) {
            if (!name.ends_with(L".dat")) continue;
            const auto bytes = read_file(tabs + L"\\" + name);
            if (bytes && unprotect(*bytes, std::nullopt) == text) return true;
          }
          return false;
        },
        10s);
  };
  for (int round = 1; round <= 4; ++round) {
    SCOPED_TRACE("save " + std::to_string(round));
    ASSERT_TRUE(shows(on_disk)) << "the start did not bring back the file's text";
    app->press(VK_END, ctrl);
    app->type(L" stored");
    ASSERT_TRUE(stored(on_disk + " stored"));
    app->type(L" then saved");
    ASSERT_TRUE(shows(on_disk + " stored then saved"));
    app->press('S', ctrl);
    std::optional<std::string> now;
    const auto give_up = std::chrono::steady_clock::now() + 10s;
    do {
      now = read_file(path);
    } while ((!now || *now == on_disk) && std::chrono::steady_clock::now() < give_up);
    app->kill();
    ++total_kills;
    ASSERT_TRUE(now && *now != on_disk) << "the save did not reach the file";
    on_disk = *read_file(path);
    ASSERT_TRUE(on_disk.ends_with(" stored then saved")) << on_disk;
    app = std::make_unique<App>(*app, StartOptions{});
  }
  EXPECT_TRUE(shows(on_disk));
}

}  // namespace
