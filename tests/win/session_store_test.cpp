// The session store against real files, real data protection and real
// editors under Wine: a hidden frame holds the tab list, APPDATA points at a
// temporary folder, and what the store wrote is read back with
// unprotect_data and open_sealed rather than through the store's own
// reading path.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/session_restore.h"
#include "base/utf.h"
#include "editor/tabs.h"
#include "model/app_state.h"
#include "store/crypto.h"
#include "store/protect.h"
#include "store/random.h"
#include "store/session_index.h"
#include "store/session_plan.h"
#include "store/session_store.h"
#include "support.h"
#include "text/editor_text.h"
#include "ui/message_box.h"

namespace {

using namespace wintest;

std::string text_of(const SecureBuffer& buffer) { return std::string(buffer.view()); }

// The text as it would sit on disk in the clear: UTF-8 or UTF-16.
bool holds_plain_text(const Bytes& file, std::string_view text) {
  const std::wstring wide = to_wide(text);
  const auto* units = reinterpret_cast<const std::uint8_t*>(wide.data());
  return contains(file, bytes_of(text)) || contains(file, Bytes(units, units + wide.size() * 2));
}

// Each message box that opens while `run` runs is read and answered with
// the button of that text.
Script answering_with(std::wstring button, const std::function<void()>& run) {
  Script boxes = answer_every(MESSAGE_BOX_CLASS, [button](HWND box) { click_named(box, button); });
  with_script(boxes, run);
  return boxes;
}

// ---- the fixture ----

std::vector<WPARAM> frame_timers;

LRESULT CALLBACK test_frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_TIMER) {
    frame_timers.push_back(wparam);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

struct TabView {
  HWND editor;
  std::uint64_t id;
  std::optional<std::string> path;
  std::uint32_t untitled;
  bool dirty;
  bool store_pending;
  Encoding encoding;
  Eol eol;
  bool lossy;
  std::string text;
  CHARRANGE sel;
};

class SessionStoreTest : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    frame_ = create_test_window(L"NimbolStoreTestFrame", test_frame_proc);
    ASSERT_NE(frame_, nullptr);
    frame_timers.clear();
  }

  // A fresh state for `frame`, with a store unless told otherwise.
  void start(bool with_store = true, std::optional<SecureBuffer> key = std::nullopt, HWND frame = nullptr) {
    AppState state;
    state.frame = frame ? frame : frame_;
    if (with_store) {
      state.store = open_store(std::move(key));
      ASSERT_TRUE(state.store.has_value());
    }
    install_app_state(std::move(state));
  }

  // A run that ends: its editors go with its frame, and a new frame comes.
  void restart(std::optional<SecureBuffer> key = std::nullopt) {
    app_state().reset();
    DestroyWindow(frame_);
    frame_ = create_test_window(L"NimbolStoreTestFrame", test_frame_proc);
    start(true, std::move(key));
  }

  std::size_t add_tab(std::string_view text, bool dirty, bool pending, std::optional<std::string> path = {}) {
    return add_text_tab(text, dirty, pending, std::move(path));
  }

  std::vector<TabView> tabs() {
    std::vector<Tab> copy;
    {
      auto state = app_state().borrow();
      copy = state->tabs;
    }
    std::vector<TabView> views;
    for (const Tab& t : copy) {
      views.push_back({t.editor, t.id, t.path, t.untitled, t.dirty, t.store_pending, t.encoding, t.eol, t.lossy,
                       get_editor_text(t.editor), get_selection(t.editor)});
    }
    return views;
  }

  std::uint64_t next_id() { return app_state().borrow()->next_id; }
  std::size_t active() { return app_state().borrow()->active; }

  std::string tab_file(std::string_view name) const { return data_dir_ + "\\tabs\\" + std::string(name); }
  std::string index_file() const { return data_dir_ + "\\session.dat"; }

  void write_protected(const std::string& path, std::string_view plain, const std::optional<SecureBuffer>& key = {}) {
    auto sealed = protect_data(bytes_of(plain), key);
    ASSERT_TRUE(sealed.has_value());
    write_file(path, *sealed);
  }

  void write_index(const Index& index) {
    auto json = serialize_index(index);
    ASSERT_TRUE(json.has_value());
    write_protected(index_file(), *json);
  }

  std::optional<std::string> read_protected(const std::string& path, const std::optional<SecureBuffer>& key = {}) {
    auto bytes = read_file_bytes(path);
    if (!bytes) return std::nullopt;
    auto plain = unprotect_data(*bytes, key);
    if (!plain) return std::nullopt;
    return text_of(*plain);
  }

  std::optional<Index> stored_index(const std::optional<SecureBuffer>& key = {}) {
    auto json = read_protected(index_file(), key);
    if (!json) return std::nullopt;
    auto index = parse_index(*json);
    if (!index) return std::nullopt;
    return *index;
  }

  HWND frame_ = nullptr;
};

Entry entry(std::uint64_t id, std::optional<std::string> path, std::uint32_t untitled, bool dirty) {
  Entry e;
  e.id = id;
  e.path = std::move(path);
  e.untitled = untitled;
  e.dirty = dirty;
  return e;
}

// ---- writing ----

TEST_F(SessionStoreTest, WritesOnlyPendingTabsAndRemovesTheTextOfCleanOrEmptyOnes) {
  const std::string secret = "meet me at the old mill \xC3\xA9 at nine";
  for (const bool with_password : {false, true}) {
    SCOPED_TRACE(with_password ? "with a password" : "without a password");
    remove_tree(data_dir_);
    const std::optional<SecureBuffer> key = with_password ? std::optional(random_bytes(32)) : std::nullopt;
    start(true, key ? std::optional(key->clone()) : std::nullopt);

    const std::size_t typed = add_tab(secret, true, true);
    const std::size_t unchanged = add_tab("already stored", true, false);
    const std::size_t emptied = add_tab("", true, true);
    const std::size_t saved = add_tab("saved text", false, true, root_ + "\\notes.txt");
    auto views = tabs();
    // Texts left by earlier runs; only the current one stays.
    for (const std::size_t i : {unchanged, emptied, saved}) {
      write_file(tab_file(tab_file_name(views[i].id)), bytes_of("earlier"));
    }
    set_selection(views[typed].editor, {4, 9});
    app_state().borrow()->active = typed;

    EXPECT_TRUE(store_session());

    const auto typed_file = read_file_bytes(tab_file(tab_file_name(views[typed].id)));
    ASSERT_TRUE(typed_file.has_value());
    EXPECT_EQ(is_sealed_form(*typed_file), with_password);
    if (key) {
      // The sealed form opens with the key alone, independently of the store.
      auto plain = open_sealed(key->span(), std::span(*typed_file).subspan(4));
      ASSERT_TRUE(plain.has_value());
      EXPECT_EQ(text_of(*plain), secret);
    }
    EXPECT_EQ(read_protected(tab_file(tab_file_name(views[typed].id)), key), secret);
    EXPECT_EQ(read_file_bytes(tab_file(tab_file_name(views[unchanged].id))), bytes_of("earlier"));
    EXPECT_FALSE(path_exists(tab_file(tab_file_name(views[emptied].id))));
    EXPECT_FALSE(path_exists(tab_file(tab_file_name(views[saved].id))));
    for (const TabView& tab : tabs()) EXPECT_FALSE(tab.store_pending) << tab.id;

    const auto index = stored_index(key);
    ASSERT_TRUE(index.has_value());
    EXPECT_EQ(index->active, typed);
    ASSERT_EQ(index->tabs.size(), 4u);
    for (std::size_t i = 0; i < views.size(); ++i) {
      EXPECT_EQ(index->tabs[i].id, views[i].id);
      EXPECT_EQ(index->tabs[i].path, views[i].path);
      EXPECT_EQ(index->tabs[i].untitled, views[i].untitled);
      // An emptied tab has no text to restore: it comes back unmodified.
      EXPECT_EQ(index->tabs[i].dirty, views[i].dirty && i != emptied);
    }
    EXPECT_EQ(index->tabs[typed].sel, (std::array<std::int32_t, 2>{4, 9}));

    // Nothing the store wrote holds a tab's text in the clear, not even the
    // index or a temporary file.
    const std::vector<std::string> files = files_under(data_dir_);
    EXPECT_GE(files.size(), 2u);
    for (const std::string& file : files) {
      EXPECT_FALSE(file.ends_with(".tmp")) << file;
      const auto bytes = read_file_bytes(file);
      ASSERT_TRUE(bytes.has_value()) << file;
      EXPECT_FALSE(holds_plain_text(*bytes, secret)) << file;
      EXPECT_FALSE(holds_plain_text(*bytes, "mill")) << file;
      if (with_password) EXPECT_TRUE(is_sealed_form(*bytes) || *bytes == bytes_of("earlier")) << file;
    }
  }
}

TEST_F(SessionStoreTest, AFailedWriteIsReportedAndTriedAgain) {
  start();
  const std::size_t a = add_tab("first text", true, true);
  const std::size_t b = add_tab("second text", true, true);
  const auto views = tabs();
  // A folder where the tab file belongs makes only that write fail.
  const std::string blocked = tab_file(tab_file_name(views[a].id));
  ASSERT_TRUE(CreateDirectoryW(to_wide(blocked).c_str(), nullptr));

  EXPECT_FALSE(store_session());
  auto after = tabs();
  EXPECT_TRUE(after[a].store_pending);
  EXPECT_FALSE(after[b].store_pending);
  EXPECT_EQ(read_protected(tab_file(tab_file_name(views[b].id))), "second text");
  ASSERT_TRUE(stored_index().has_value());
  EXPECT_EQ(stored_index()->tabs.size(), 2u);

  ASSERT_TRUE(RemoveDirectoryW(to_wide(blocked).c_str()));
  EXPECT_TRUE(store_session());
  EXPECT_EQ(read_protected(blocked), "first text");
  EXPECT_FALSE(tabs()[a].store_pending);
}

TEST_F(SessionStoreTest, APathThatIsNotUnicodeFailsTheIndexButNotTheTexts) {
  start();
  add_tab("kept anyway", true, true, std::string("C:\\bad\xFF.txt"));
  const std::uint64_t id = tabs()[0].id;
  EXPECT_FALSE(store_session());
  EXPECT_FALSE(path_exists(index_file()));
  EXPECT_EQ(read_protected(tab_file(tab_file_name(id))), "kept anyway");
}

TEST_F(SessionStoreTest, WithoutAStoreNothingIsWrittenAndStoringFails) {
  start(false);
  add_tab("nowhere to go", true, true);
  EXPECT_FALSE(store_session());
  EXPECT_FALSE(path_exists(data_dir_));
  // Nothing to rewrite either; the vault must stay.
  EXPECT_FALSE(rekey_store(random_bytes(32)));
}

TEST_F(SessionStoreTest, TheStoreIsUnavailableWhenItsFolderCannotBeMade) {
  // APPDATA is a file, so nothing can be made below it.
  write_file(root_ + "\\AppData", bytes_of("a file"));
  EXPECT_FALSE(open_store(std::nullopt).has_value());
  SetEnvironmentVariableW(L"APPDATA", nullptr);
  EXPECT_FALSE(open_store(std::nullopt).has_value());
}

// ---- restoring ----

struct Expected {
  std::optional<std::uint64_t> id;  // none: a fresh id, named by no file
  std::optional<std::string> path;
  std::string text;
  bool dirty;
  std::uint32_t untitled;  // 0: any
};

TEST_F(SessionStoreTest, RestoresEveryKindOfStoredTab) {
  const std::string file_five = root_ + "\\five.txt";
  const std::string file_ten = root_ + "\\ten.txt";
  write_file(file_five, bytes_of("file five"));
  write_file(file_ten, bytes_of("file ten"));
  const Bytes garbage = bytes_of("not protected at all");
  auto sealed_elsewhere = protect_data(bytes_of("under a password"), random_bytes(32));
  ASSERT_TRUE(sealed_elsewhere.has_value());

  struct Case {
    const char* what;
    std::function<void()> setup;
    std::vector<Expected> tabs;
    std::uint64_t next_id;
    std::size_t active;
    std::vector<std::string> untouched;  // tab files that must stay byte for byte
  };
  const Case cases[] = {
      {"no index: the texts come back as untitled modified tabs",
       [&] {
         write_protected(tab_file("3.dat"), "three");
         write_protected(tab_file("9.dat"), "nine");
         for (const char* name : {"a.dat", "7.txt", "-7.dat"}) write_protected(tab_file(name), "not a tab");
       },
       {{3, {}, "three", true, 1}, {9, {}, "nine", true, 2}},
       10,
       0,
       {"a.dat", "7.txt", "-7.dat"}},
      {"an unreadable index is no index; unreadable texts stay",
       [&] {
         write_file(index_file(), garbage);
         write_protected(tab_file("007.dat"), "seven");
         write_file(tab_file("12.dat"), garbage);
       },
       {{7, {}, "seven", true, 1}},
       13,
       0,
       {"12.dat"}},
      {"every kind of entry",
       [&] {
         Index index;
         Entry stored = entry(4, {}, 3, true);
         stored.sel = {2, 5};
         stored.encoding = Encoding::Utf16Le;
         stored.eol = Eol::Lf;
         stored.lossy = true;
         index.tabs = {stored,
                       entry(5, file_five, 1, true),
                       entry(6, root_ + "\\gone.txt", 4, false),
                       entry(8, {}, 2, true),
                       entry(10, file_ten, 6, true),
                       entry(11, {}, 5, true)};
         index.active = 5;
         write_index(index);
         write_protected(tab_file("4.dat"), "stored four");
         write_file(tab_file("5.dat"), garbage);
         write_protected(tab_file("10.dat"), "edited ten");
         write_file(tab_file("11.dat"), *sealed_elsewhere);
         write_protected(tab_file("20.dat"), "orphan");
         write_file(tab_file("21.dat"), garbage);
       },
       {{4, {}, "stored four", true, 3},
        // Its stored text is unreadable, so the file is loaded instead,
        // under an id that cannot touch the stored text.
        {{}, file_five, "file five", false, 0},
        {8, {}, "", false, 2},
        {10, file_ten, "edited ten", true, 0},
        {{}, {}, "", false, 5},
        {20, {}, "orphan", true, 1}},
       24,
       4,
       {"5.dat", "11.dat", "21.dat"}},
      {"the active tab is limited to the last one",
       [&] {
         Index index;
         index.tabs = {entry(1, file_five, 1, false), entry(2, file_ten, 2, false)};
         index.active = 7;
         write_index(index);
       },
       {{1, file_five, "file five", false, 0}, {2, file_ten, "file ten", false, 0}},
       3,
       1,
       {}},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    remove_tree(data_dir_);
    start();
    c.setup();
    std::map<std::string, Bytes> before;
    for (const std::string& name : c.untouched) before[name] = read_file_bytes(tab_file(name)).value_or(Bytes{});

    restore_session();

    const auto restored = tabs();
    ASSERT_EQ(restored.size(), c.tabs.size());
    for (std::size_t i = 0; i < restored.size(); ++i) {
      SCOPED_TRACE(i);
      const Expected& want = c.tabs[i];
      if (want.id) {
        EXPECT_EQ(restored[i].id, *want.id);
      } else {
        EXPECT_FALSE(path_exists(tab_file(tab_file_name(restored[i].id))));
      }
      EXPECT_EQ(restored[i].path, want.path);
      EXPECT_EQ(restored[i].text, want.text);
      EXPECT_EQ(restored[i].dirty, want.dirty);
      EXPECT_FALSE(restored[i].store_pending);
      if (want.untitled) EXPECT_EQ(restored[i].untitled, want.untitled);
    }
    EXPECT_EQ(next_id(), c.next_id);
    EXPECT_EQ(active(), c.active);
    if (std::string(c.what) == "every kind of entry") {
      EXPECT_EQ(restored[0].encoding, Encoding::Utf16Le);
      EXPECT_EQ(restored[0].eol, Eol::Lf);
      EXPECT_TRUE(restored[0].lossy);
      EXPECT_EQ(restored[0].sel.cpMin, 2);
      EXPECT_EQ(restored[0].sel.cpMax, 5);
    }

    // Storing and closing the restored tabs leaves the texts that could not
    // be read exactly as they were.
    EXPECT_TRUE(store_session());
    while (!tabs().empty()) discard_tab(0);
    for (const auto& [name, bytes] : before) EXPECT_EQ(read_file_bytes(tab_file(name)), bytes) << name;
  }
}

TEST_F(SessionStoreTest, ClosingOrStoringATabLoadedInsteadOfItsUnreadableTextKeepsThatText) {
  const std::string path = root_ + "\\notes.txt";
  write_file(path, bytes_of("from the file"));
  start();
  Index index;
  index.tabs = {entry(5, path, 1, true), entry(6, {}, 2, false)};
  write_index(index);
  const Bytes unreadable = bytes_of("damaged");
  write_file(tab_file("5.dat"), unreadable);

  restore_session();
  ASSERT_EQ(tabs().size(), 2u);
  EXPECT_EQ(tabs()[0].text, "from the file");
  EXPECT_EQ(tabs()[0].path, path);
  // Edited, stored, then closed: each of these deletes or writes the
  // tab's own stored text, which must not be the unreadable one.
  SendMessageW(tabs()[0].editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"more "));
  mark_modified(tabs()[0].editor);
  EXPECT_TRUE(store_session());
  EXPECT_EQ(read_file_bytes(tab_file("5.dat")), unreadable);
  const Script asked = answering_with(L"Don't Save", [] { close_tab(0); });
  EXPECT_EQ(asked.dialogs.size(), 1u);
  ASSERT_EQ(tabs().size(), 1u);
  EXPECT_EQ(read_file_bytes(tab_file("5.dat")), unreadable);
}

TEST_F(SessionStoreTest, TabsComeBackAsTheyWereLeft) {
  for (const bool with_password : {false, true}) {
    SCOPED_TRACE(with_password ? "with a password" : "without a password");
    remove_tree(data_dir_);
    const std::optional<SecureBuffer> key = with_password ? std::optional(random_bytes(32)) : std::nullopt;
    auto copy = [&] { return key ? std::optional(key->clone()) : std::nullopt; };
    start(true, copy());
    add_tab("first \xE2\x82\xAC line\rsecond", true, true);
    add_tab("", false, false);
    add_tab("third", true, true);
    set_selection(tabs()[2].editor, {1, 3});
    app_state().borrow()->active = 2;
    ASSERT_TRUE(store_session());
    const auto before = tabs();

    restart(copy());
    restore_session();
    const auto after = tabs();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].id, before[i].id);
      EXPECT_EQ(after[i].text, before[i].text);
      EXPECT_EQ(after[i].dirty, before[i].dirty);
      EXPECT_EQ(after[i].untitled, before[i].untitled);
    }
    EXPECT_EQ(after[2].sel.cpMin, 1);
    EXPECT_EQ(after[2].sel.cpMax, 3);
    EXPECT_EQ(active(), 2u);
    EXPECT_EQ(next_id(), before.back().id + 1);

    // Under the other protection nothing can be read: no tabs, files kept.
    restart(with_password ? std::nullopt : std::optional(random_bytes(32)));
    restore_session();
    if (with_password) EXPECT_TRUE(tabs().empty());
    EXPECT_TRUE(path_exists(tab_file(tab_file_name(before[0].id))));
  }
}

// ---- texts that are no longer needed ----

// Saving, loading a file and closing give up a tab's stored text, but the
// index on disk still refers to it until the next store: a crash in
// between must bring the tab back with its text, not empty.
TEST_F(SessionStoreTest, AStoredTextGoesOnlyAfterAnIndexWithoutItIsWritten) {
  const std::string saved_to = root_ + "\\saved.txt";
  struct Case {
    const char* what;
    std::function<void()> give_up;    // on the first of two stored tabs
    std::optional<Entry> afterwards;  // the first entry once stored; none: the tab is gone
  };
  const Case cases[] = {
      {"saved",
       [&] {
         write_file(saved_to, bytes_of("draft"));
         std::uint64_t id = 0;
         {
           auto state = app_state().borrow();
           Tab& tab = state->tabs[0];
           tab.path = saved_to;
           tab.dirty = false;
           id = tab.id;
         }
         delete_tab_file(id);
       },
       entry(1, saved_to, 1, false)},
      {"closed", [] { answering_with(L"Don't Save", [] { close_tab(0); }); }, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool crash : {true, false}) {
      SCOPED_TRACE(crash ? "a crash before the next store" : "the next store");
      remove_tree(data_dir_);
      start();
      add_tab("draft", true, true);
      add_tab("other", true, true);
      ASSERT_TRUE(store_session());
      const std::string text_file = tab_file(tab_file_name(1));
      ASSERT_TRUE(path_exists(text_file));

      c.give_up();
      EXPECT_TRUE(path_exists(text_file));
      if (crash) {
        restart();
        restore_session();
        const auto back = tabs();
        ASSERT_EQ(back.size(), 2u);
        EXPECT_EQ(back[0].id, 1u);
        EXPECT_EQ(back[0].text, "draft");
        EXPECT_TRUE(back[0].dirty);
        continue;
      }
      ASSERT_TRUE(store_session());
      EXPECT_FALSE(path_exists(text_file));
      const auto index = stored_index();
      ASSERT_TRUE(index.has_value());
      if (c.afterwards) {
        ASSERT_EQ(index->tabs.size(), 2u);
        EXPECT_EQ(index->tabs[0].path, c.afterwards->path);
        EXPECT_EQ(index->tabs[0].dirty, c.afterwards->dirty);
      } else {
        ASSERT_EQ(index->tabs.size(), 1u);
        EXPECT_EQ(index->tabs[0].id, 2u);
      }
    }
  }
}

// A text the user deleted stays deleted, also when its file cannot go at
// once (a scanner holding it without delete sharing): it is not restored,
// and it goes as soon as it can.
TEST_F(SessionStoreTest, AnEmptiedTabsTextThatCannotBeRemovedYetIsNeverRestored) {
  for (const bool crash : {true, false}) {
    SCOPED_TRACE(crash ? "a crash while it is held" : "held until the next store");
    remove_tree(data_dir_);
    start();
    add_tab("the words to take back", true, true);
    ASSERT_TRUE(store_session());
    const std::string text_file = tab_file(tab_file_name(1));
    ASSERT_TRUE(path_exists(text_file));

    HWND editor = tabs()[0].editor;
    SendMessageW(editor, EM_SETSEL, 0, -1);
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    mark_modified(editor);
    HANDLE held = CreateFileW(to_wide(text_file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(store_session());
    ASSERT_TRUE(path_exists(text_file)) << "the hold did not keep the file";
    const auto index = stored_index();
    ASSERT_TRUE(index.has_value());
    ASSERT_EQ(index->tabs.size(), 1u);
    EXPECT_FALSE(index->tabs[0].dirty);

    if (crash) {
      restart();
      restore_session();
      const auto back = tabs();
      ASSERT_EQ(back.size(), 1u);
      EXPECT_EQ(back[0].text, "");
      EXPECT_FALSE(back[0].dirty);
    }
    CloseHandle(held);
    ASSERT_TRUE(store_session());
    EXPECT_FALSE(path_exists(text_file));
  }
}

// Files larger than anything the program writes are not read whole: they
// count as unreadable, like damaged ones.
TEST_F(SessionStoreTest, StoredFilesBeyondTheirCapAreNotRead) {
  start();
  struct Case {
    StoredFile kind;
    std::uint64_t size;  // a sparse file
    bool read;
  };
  const Case cases[] = {
      {StoredFile::Index, MAX_INDEX_FILE_BYTES, true},
      {StoredFile::Index, MAX_INDEX_FILE_BYTES + 1, false},
      {StoredFile::Tab, MAX_TAB_FILE_BYTES + 1, false},
  };
  const std::string file = tab_file("sized");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    HANDLE handle = CreateFileW(to_wide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(c.size);
    EXPECT_TRUE(SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle));
    CloseHandle(handle);
    const auto bytes = read_stored_file(file, c.kind);
    if (c.read) {
      ASSERT_TRUE(bytes.has_value()) << bytes.error();
      EXPECT_EQ(bytes->size(), c.size);
    } else {
      ASSERT_FALSE(bytes.has_value());
      EXPECT_EQ(bytes.error(), static_cast<std::uint32_t>(ERROR_FILE_TOO_LARGE));
    }
  }
}

// A text restored from another spelling of its id ("007.dat") is written
// back under the tab's own name; the old name must go once nothing needs
// it, or a tab the user closed comes back at every start.
TEST_F(SessionStoreTest, AnOldSpellingOfATabFileGoesOnceTheIndexNoLongerNeedsIt) {
  const std::string saved_to = root_ + "\\seven.txt";
  struct Case {
    const char* what;
    std::function<void()> then;  // on tab 7, the first tab
    std::vector<std::string> files_left;
    std::vector<std::string> texts_after_restart;
  };
  const Case cases[] = {
      {"closed", [] { answering_with(L"Don't Save", [] { close_tab(0); }); }, {"8.dat"}, {"eight"}},
      {"edited",
       [this] {
         HWND editor = tabs()[0].editor;
         SendMessageW(editor, EM_SETSEL, 6, 6);
         SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L" more"));
         mark_modified(editor);
       },
       {"7.dat", "8.dat"},
       {"padded more", "eight"}},
      {"saved",
       [&] {
         write_file(saved_to, bytes_of("padded"));
         {
           auto state = app_state().borrow();
           state->tabs[0].path = saved_to;
           state->tabs[0].dirty = false;
         }
         delete_tab_file(7);
       },
       {"8.dat"},
       {"padded", "eight"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    remove_tree(data_dir_);
    start();
    Index index;
    index.tabs = {entry(7, {}, 1, true), entry(8, {}, 2, true)};
    write_index(index);
    write_protected(tab_file("007.dat"), "padded");
    write_protected(tab_file("8.dat"), "eight");
    restore_session();
    ASSERT_EQ(tabs().size(), 2u);
    ASSERT_EQ(tabs()[0].id, 7u);

    c.then();
    ASSERT_TRUE(store_session());
    EXPECT_EQ(names_in(data_dir_ + "\\tabs"), c.files_left);

    restart();
    restore_session();
    std::vector<std::string> texts;
    for (const TabView& tab : tabs()) texts.push_back(tab.text);
    EXPECT_EQ(texts, c.texts_after_restart);
  }
}

// Tab ids come from a counter. Whatever numbers the tabs folder holds, the
// ids handed out after a restore must not run into ids already in use.
TEST_F(SessionStoreTest, NewTabsNeverShareAnIdWhateverTheFolderHolds) {
  start();
  write_protected(tab_file("1.dat"), "one");
  write_file(tab_file("18446744073709551614.dat"), Bytes{});
  write_protected(tab_file("18446744073709551615.dat"), "last");
  restore_session();
  for (int i = 0; i < 3; ++i) new_tab();

  std::set<std::uint64_t> ids;
  for (const TabView& tab : tabs()) ids.insert(tab.id);
  EXPECT_EQ(ids.size(), 5u);
  EXPECT_FALSE(ids.contains(18446744073709551614ull));
  EXPECT_TRUE(ids.contains(18446744073709551615ull));
  EXPECT_TRUE(ids.contains(1));
  // Storing the new tabs' texts leaves every file that was there alone.
  const std::size_t last = tabs().size() - 1;
  SendMessageW(tabs()[last].editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"new"));
  mark_modified(tabs()[last].editor);
  ASSERT_TRUE(store_session());
  EXPECT_EQ(read_protected(tab_file("1.dat")), "one");
  EXPECT_EQ(read_file_bytes(tab_file("18446744073709551614.dat")), Bytes{});
}

// A write a crash ended leaves "<id>.dat.tmp" beside a whole "<id>.dat":
// the next start removes it and restores the whole file; a name that is not
// the program's is left alone.
TEST_F(SessionStoreTest, WritesThatACrashEndedAreClearedAwayAtTheNextStart) {
  start();
  write_protected(tab_file("3.dat"), "whole");
  write_file(tab_file("3.dat.tmp"), bytes_of("half a wri"));
  write_file(tab_file("9.dat.tmp"), bytes_of("a new tab"));
  write_file(tab_file("notes.tmp"), bytes_of("not ours"));
  restore_session();
  EXPECT_EQ(names_in(data_dir_ + "\\tabs"), (std::vector<std::string>{"3.dat", "notes.tmp"}));
  ASSERT_EQ(tabs().size(), 1u);
  EXPECT_EQ(get_editor_text(tabs()[0].editor), "whole");
}

// With a password set, a file still in the system's form (a rewrite under
// the password did not reach it before the program ended) is put under
// the password by the next store.
TEST_F(SessionStoreTest, FilesOutsideThePasswordAreSealedByTheNextStore) {
  const SecureBuffer key = random_bytes(32);
  start(true, key.clone());
  Index index;
  index.tabs = {entry(5, {}, 1, true)};
  write_index(index);
  write_protected(tab_file("5.dat"), "left behind");
  write_protected(tab_file("6.dat"), "an orphan");
  restore_session();
  ASSERT_EQ(tabs().size(), 2u);

  ASSERT_TRUE(store_session());
  for (const std::string& file : {tab_file("5.dat"), tab_file("6.dat"), index_file()}) {
    const auto bytes = read_file_bytes(file);
    ASSERT_TRUE(bytes.has_value()) << file;
    EXPECT_TRUE(is_sealed_form(*bytes)) << file;
  }
  EXPECT_EQ(read_protected(tab_file("5.dat"), std::optional(key.clone())), "left behind");
  EXPECT_EQ(read_protected(tab_file("6.dat"), std::optional(key.clone())), "an orphan");
}

// ---- rekeying ----

TEST_F(SessionStoreTest, RekeyingRewritesEverythingUnderTheNewProtection) {
  start();
  add_tab("alpha text", true, true);
  add_tab("beta text", true, true);
  ASSERT_TRUE(store_session());
  const Bytes unreadable = bytes_of("damaged beyond reading");
  write_file(tab_file("30.dat"), unreadable);
  std::vector<std::string> names;
  for (const TabView& tab : tabs()) names.push_back(tab_file(tab_file_name(tab.id)));
  names.push_back(index_file());

  const SecureBuffer key = random_bytes(32);
  ASSERT_TRUE(rekey_store(key.clone()));
  for (const std::string& name : names) {
    const auto bytes = read_file_bytes(name);
    ASSERT_TRUE(bytes.has_value()) << name;
    EXPECT_TRUE(is_sealed_form(*bytes)) << name;
    auto plain = open_sealed(key.span(), std::span(*bytes).subspan(4));
    EXPECT_TRUE(plain.has_value()) << name;
  }
  EXPECT_EQ(read_protected(names[0], std::optional(key.clone())), "alpha text");
  EXPECT_TRUE(app_state().borrow()->store->vault_key.has_value());

  ASSERT_TRUE(rekey_store(std::nullopt));
  for (const std::string& name : names) {
    const auto bytes = read_file_bytes(name);
    ASSERT_TRUE(bytes.has_value()) << name;
    EXPECT_FALSE(is_sealed_form(*bytes)) << name;
  }
  EXPECT_EQ(read_protected(names[1]), "beta text");
  EXPECT_TRUE(stored_index().has_value());
  EXPECT_FALSE(app_state().borrow()->store->vault_key.has_value());
  EXPECT_EQ(read_file_bytes(tab_file("30.dat")), unreadable);
}

TEST_F(SessionStoreTest, AFailedRewriteKeepsTheKeyThatOpensEverything) {
  const SecureBuffer key = random_bytes(32);
  start(true, key.clone());
  add_tab("under the password", true, true);
  ASSERT_TRUE(store_session());
  // A stored text that cannot be replaced.
  write_protected(tab_file("40.dat"), "stuck", std::optional(key.clone()));
  // A folder where its temporary file would go makes the rewrite fail.
  ASSERT_TRUE(CreateDirectoryW(to_wide(tab_file("40.dat.tmp")).c_str(), nullptr));

  EXPECT_FALSE(rekey_store(std::nullopt));
  {
    auto state = app_state().borrow();
    ASSERT_TRUE(state->store.has_value());
    ASSERT_TRUE(state->store->vault_key.has_value());
    EXPECT_TRUE(std::ranges::equal(state->store->vault_key->span(), key.span()));
  }
  // Whatever was or was not rewritten still opens with the key kept.
  const std::vector<std::string> files = files_under(data_dir_);
  for (const std::string& file : files) {
    if (file.ends_with("config.json")) continue;
    EXPECT_TRUE(read_protected(file, std::optional(key.clone())).has_value()) << file;
  }
  EXPECT_EQ(read_protected(tab_file("40.dat"), std::optional(key.clone())), "stuck");
}

// ---- the timer and the warning ----

// The only test that lets the warning out: it comes once per process.
TEST_F(SessionStoreTest, AFailingTimerTriesAgainAndWarnsOnce) {
  start();
  const std::size_t a = add_tab("text", true, true);
  const std::string blocked = tab_file(tab_file_name(tabs()[a].id));
  ASSERT_TRUE(CreateDirectoryW(to_wide(blocked).c_str(), nullptr));

  const Script first = answering_with(L"OK", [] { on_store_timer(); });
  ASSERT_EQ(first.dialogs.size(), 1u);
  EXPECT_TRUE(any_shows(first.dialogs, "Nimbol cannot store its tabs in its data folder:\n\n" + data_dir_ +
                                           "\n\nUntil that works again, text that is not saved as a file is lost "
                                           "when Nimbol closes. Nimbol asks before closing."));
  // The retry is the frame's store timer, running again.
  MSG msg;
  bool retried = false;
  for (int i = 0; i < 100 && !retried; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    retried = std::find(frame_timers.begin(), frame_timers.end(), TIMER_STORE) != frame_timers.end();
    if (!retried) Sleep(50);
  }
  EXPECT_TRUE(retried);

  const Script again = answering_with(L"OK", [] { on_store_timer(); });
  EXPECT_TRUE(again.dialogs.empty());
  start(false);
  const Script without_store = answering_with(L"OK", [] { on_store_timer(); });
  EXPECT_TRUE(without_store.dialogs.empty());
}

// ---- closing ----

TEST_F(SessionStoreTest, ClosingAsksOnlyWhenUnstoredTextWouldBeLost) {
  struct Case {
    const char* what;
    bool store;
    std::vector<std::pair<std::string, bool>> tabs;  // text, dirty
    const wchar_t* answer;
    bool asked;
    bool closed;
  };
  const Case cases[] = {
      {"stored: no question", true, {{"typed", true}}, L"Cancel", false, true},
      {"clean tabs only", false, {{"from a file", false}}, L"Cancel", false, true},
      {"modified but empty", false, {{"", true}, {"clean", false}}, L"Cancel", false, true},
      {"Cancel keeps the window", false, {{"", true}, {"would be lost", true}}, L"Cancel", true, false},
      {"Close Anyway closes", false, {{"would be lost", true}}, L"Close Anyway", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND frame = create_frame();
    ASSERT_NE(frame, nullptr);
    start(c.store, std::nullopt, frame);
    for (const auto& [text, dirty] : c.tabs) add_tab(text, dirty, dirty);

    const Script boxes = answering_with(c.answer, [&] { SendMessageW(frame, WM_CLOSE, 0, 0); });
    EXPECT_EQ(!boxes.dialogs.empty(), c.asked);
    if (c.asked) {
      EXPECT_TRUE(any_shows(boxes.dialogs,
                            "Nimbol could not store its tabs, so the text that is not saved as a file would be "
                            "lost.\n\nClose anyway?"));
    }
    EXPECT_EQ(!IsWindow(frame), c.closed);
    if (c.store) EXPECT_EQ(read_protected(tab_file(tab_file_name(tabs()[0].id))), "typed");
    if (IsWindow(frame)) DestroyWindow(frame);
    // The frame ends the message loop when it goes; the test goes on.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    app_state().reset();
  }
}

}  // namespace
