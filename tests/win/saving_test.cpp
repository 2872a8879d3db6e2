// Saving tabs to real files under Wine: a real editor holds the text, the
// tab list is the application state, and the dialogs that saving opens (the
// lossy question, the failure message, the Save As dialog) are answered from
// inside their own modal loops, the way a user would answer them.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/file_dialog.h"
#include "editor/saving.h"
#include "ui/message_box.h"

namespace {

// ---- answering a modal window from inside its loop ----

struct Found {
  const wchar_t* class_name;
  HWND window;
};

HWND find_thread_window(const wchar_t* class_name) {
  Found found{class_name, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* f = reinterpret_cast<Found*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (!IsWindowVisible(window) || wcscmp(name, f->class_name) != 0) return TRUE;
        f->window = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

std::vector<std::wstring> child_texts(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        wchar_t text[4096] = {};
        GetWindowTextW(child, text, 4096);
        reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

HWND child_with_text(HWND window, std::wstring_view text) {
  std::pair<std::wstring_view, HWND> search{text, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<std::pair<std::wstring_view, HWND>*>(param);
        wchar_t buffer[256] = {};
        GetWindowTextW(child, buffer, 256);
        if (s->first != buffer) return TRUE;
        s->second = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// What a user does each time a window of `class_name` opens: look at it,
// then answer it. A window still open a while after its answer is
// destroyed, so that a broken dialog fails the test instead of hanging it.
struct Answer {
  const wchar_t* class_name = MESSAGE_BOX_CLASS;
  std::function<void(HWND)> act;
  std::vector<std::wstring> seen;
  int shown = 0;
  HWND last = nullptr;
  int idle_ticks = 0;
};

Answer* pending = nullptr;

void CALLBACK answer_tick(HWND, UINT, UINT_PTR, DWORD) {
  Answer& a = *pending;
  HWND window = find_thread_window(a.class_name);
  if (!window) return;
  if (window != a.last) {
    a.last = window;
    a.idle_ticks = 0;
    ++a.shown;
    a.seen = child_texts(window);
    a.act(window);
  } else if (++a.idle_ticks > 100) {
    ADD_FAILURE() << "the window stayed open after its answer";
    DestroyWindow(window);
  }
}

// Runs `save` while `answer` stands by for the window it may open.
bool with_answer(Answer& answer, const std::function<bool()>& save) {
  pending = &answer;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, answer_tick);
  const bool result = save();
  KillTimer(nullptr, timer);
  pending = nullptr;
  return result;
}

void press(HWND window, std::wstring_view button) {
  HWND target = child_with_text(window, button);
  ASSERT_NE(target, nullptr) << to_utf8(button);
  PostMessageW(target, BM_CLICK, 0, 0);
}

bool seen_text(const Answer& answer, const std::string& text) {
  const std::wstring wanted = to_wide(text);
  for (const std::wstring& seen : answer.seen) {
    if (seen == wanted) return true;
  }
  return false;
}

// ---- files ----

std::optional<std::string> read_bytes(const std::string& path) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void write_bytes(const std::string& path, std::string_view bytes) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool exists(const std::string& path) { return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string window_text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return to_utf8(text);
}

// ---- the fixture: a frame with tabs, each with a real editor ----

class SavingTab : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadLibraryW(L"Msftedit.dll");
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    folder_ = to_utf8(std::wstring_view(temp, length)) + "nimbol-saving-" + std::to_string(GetCurrentProcessId()) +
              "-" + std::to_string(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(to_wide(folder_).c_str(), nullptr));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NimbolSavingTestFrame";
    RegisterClassExW(&wc);
    frame_ = CreateWindowExW(0, wc.lpszClassName, L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500, 300,
                             nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(frame_, nullptr);
    AppState state;
    state.frame = frame_;
    app_state().emplace(std::move(state));
  }

  void TearDown() override {
    if (app_state().exists()) app_state().reset();
    DestroyWindow(frame_);
    // Everything the tests made, including any temporary file left behind.
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(to_wide(folder_ + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring path = to_wide(folder_) + L"\\" + entry.cFileName;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    RemoveDirectoryW(to_wide(folder_).c_str());
  }

  std::string path(std::string_view name) const { return folder_ + "\\" + std::string(name); }

  // Adds a tab holding `text` and makes it the active one.
  std::size_t add_tab(std::string_view text, Tab tab) {
    HWND editor = create_editor(frame_, nullptr, true, 100);
    EXPECT_NE(editor, nullptr);
    set_editor_text(editor, text);
    auto state = app_state().borrow();
    tab.editor = editor;
    tab.id = state->next_id++;
    state->tabs.push_back(std::move(tab));
    state->active = state->tabs.size() - 1;
    return state->active;
  }

  Tab tab_at(std::size_t index) {
    auto state = app_state().borrow();
    return state->tabs.at(index);
  }

  bool no_temporary_files() const {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(to_wide(folder_ + "\\*.nimbol-save").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return true;
    FindClose(find);
    return false;
  }

  std::string folder_;
  HWND frame_ = nullptr;
};

Tab file_tab(std::string path, Encoding encoding = Encoding::Utf8, Eol eol = Eol::CrLf, bool lossy = false) {
  Tab tab;
  tab.path = std::move(path);
  tab.encoding = encoding;
  tab.eol = eol;
  tab.lossy = lossy;
  tab.dirty = true;
  tab.store_pending = true;
  return tab;
}

TEST_F(SavingTab, WritesTheBytesOfEachEncodingAndLineEnd) {
  // The editor keeps paragraph ends as CR whatever it was given.
  const std::string text = "one\r\ntwo\nthr\xC3\xA9\xC3\xA9\rfour";
  struct Case {
    const char* name;
    Encoding encoding;
    Eol eol;
    std::string expected;
  };
  const Case cases[] = {
      {"utf8-crlf.txt", Encoding::Utf8, Eol::CrLf, "one\r\ntwo\r\nthr\xC3\xA9\xC3\xA9\r\nfour"},
      {"utf8-lf.txt", Encoding::Utf8, Eol::Lf, "one\ntwo\nthr\xC3\xA9\xC3\xA9\nfour"},
      {"utf8-cr.txt", Encoding::Utf8, Eol::Cr, "one\rtwo\rthr\xC3\xA9\xC3\xA9\rfour"},
      {"bom.txt", Encoding::Utf8Bom, Eol::CrLf, "\xEF\xBB\xBFone\r\ntwo\r\nthr\xC3\xA9\xC3\xA9\r\nfour"},
      {"le.txt", Encoding::Utf16Le, Eol::Lf,
       std::string("\xFF\xFEo\0n\0e\0\n\0t\0w\0o\0\n\0t\0h\0r\0\xE9\0\xE9\0\n\0f\0o\0u\0r\0", 38)},
      {"be.txt", Encoding::Utf16Be, Eol::CrLf,
       std::string("\xFE\xFF\0o\0n\0e\0\r\0\n\0t\0w\0o\0\r\0\n\0t\0h\0r\0\xE9\0\xE9\0\r\0\n\0f\0o\0u\0r", 44)},
      {"ansi.txt", Encoding::Ansi, Eol::CrLf, "one\r\ntwo\r\nthr\xE9\xE9\r\nfour"},
  };
  for (const Case& c : cases) {
    const std::size_t index = add_tab(text, file_tab(path(c.name), c.encoding, c.eol));
    EXPECT_TRUE(save_tab(index, false)) << c.name;
    EXPECT_EQ(read_bytes(path(c.name)), c.expected) << c.name;
    const Tab saved = tab_at(index);
    EXPECT_FALSE(saved.dirty) << c.name;
    EXPECT_FALSE(saved.store_pending) << c.name;
    EXPECT_EQ(saved.encoding, c.encoding) << c.name;
    EXPECT_EQ(saved.eol, c.eol) << c.name;
    EXPECT_EQ(window_text(frame_), std::string(c.name) + " - Nimbol") << c.name;
  }
  EXPECT_TRUE(no_temporary_files());
}

TEST_F(SavingTab, ReplacesAnExistingFileWhole) {
  const std::string target = path("notes.txt");
  write_bytes(target, "the old contents, longer than the new ones\r\n");
  const std::size_t index = add_tab("new", file_tab(target));
  // A stray temporary file from an earlier crash is simply overwritten.
  write_bytes(target + ".nimbol-save", "stray bytes from a crash");
  EXPECT_TRUE(save_tab(index, false));
  EXPECT_EQ(read_bytes(target), "new");
  EXPECT_TRUE(no_temporary_files());
  EXPECT_FALSE(tab_at(index).dirty);
}

TEST_F(SavingTab, ATargetThatCannotBeWrittenFailsWithTheSystemsReason) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> guard;
  };
  HANDLE locked = INVALID_HANDLE_VALUE;
  const Case cases[] = {
      {"read-only", [](const std::string& p) { SetFileAttributesW(to_wide(p).c_str(), FILE_ATTRIBUTE_READONLY); }},
      {"open in another program",
       [&](const std::string& p) {
         locked = CreateFileW(to_wide(p).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         ASSERT_NE(locked, INVALID_HANDLE_VALUE);
       }},
  };
  for (const Case& c : cases) {
    const std::string target = path(std::string(c.what) + ".txt");
    write_bytes(target, "keep me");
    c.guard(target);
    const std::size_t index = add_tab("lost?", file_tab(target));

    Answer answer{.act = [](HWND box) { press(box, L"OK"); }};
    EXPECT_FALSE(with_answer(answer, [&] { return save_tab(index, false); })) << c.what;
    if (locked != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(locked, INVALID_HANDLE_VALUE));

    ASSERT_EQ(answer.shown, 1) << c.what << ": the failure is shown once";
    const std::string prefix = target + " could not be saved.\n\n";
    std::string message;
    for (const std::wstring& seen : answer.seen) {
      if (to_utf8(seen).starts_with(prefix)) message = to_utf8(seen);
    }
    ASSERT_FALSE(message.empty()) << c.what;
    const std::string reason = message.substr(prefix.size());
    EXPECT_FALSE(reason.empty()) << c.what;
    EXPECT_NE(reason, "Unknown error") << c.what;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << c.what << ": the system's line break is trimmed";

    EXPECT_EQ(read_bytes(target), "keep me") << c.what;
    EXPECT_TRUE(no_temporary_files()) << c.what;
    const Tab kept = tab_at(index);
    EXPECT_TRUE(kept.dirty) << c.what;
    EXPECT_TRUE(kept.store_pending) << c.what;
    EXPECT_EQ(kept.path, target) << c.what;
  }
}

TEST_F(SavingTab, AFolderThatDoesNotExistFailsAndWritesNothing) {
  const std::string target = path("missing\\notes.txt");
  const std::size_t index = add_tab("text", file_tab(target));
  Answer answer{.act = [](HWND box) { press(box, L"OK"); }};
  EXPECT_FALSE(with_answer(answer, [&] { return save_tab(index, false); }));
  EXPECT_EQ(answer.shown, 1);
  EXPECT_FALSE(exists(target));
  EXPECT_TRUE(tab_at(index).dirty);
}

TEST_F(SavingTab, AnsiTextOutsideTheCodePageIsSavedAsUtf8) {
  const std::string target = path("ansi.txt");
  const std::size_t index = add_tab("caf\xC3\xA9 \xC4\x81", file_tab(target, Encoding::Ansi));
  EXPECT_TRUE(save_tab(index, false));
  EXPECT_EQ(read_bytes(target), "caf\xC3\xA9 \xC4\x81");
  EXPECT_EQ(tab_at(index).encoding, Encoding::Utf8);
}

TEST_F(SavingTab, OverwritingALossyFileAsksFirst) {
  struct Case {
    const char* what;
    const wchar_t* button;
    bool saved;
  };
  const Case cases[] = {
      {"Cancel keeps the file and the tab", L"Cancel", false},
      {"Save writes the text as shown", L"Save", true},
  };
  for (const Case& c : cases) {
    // Bytes that 1252 cannot decode made this tab lossy; its text now holds
    // U+0101, which 1252 cannot encode either.
    const std::string target = path(std::string(c.what) + ".txt");
    write_bytes(target, "ab\x81");
    const std::size_t index = add_tab("ab\xC4\x81", file_tab(target, Encoding::Ansi, Eol::CrLf, true));

    Answer answer{.act = [&](HWND box) { press(box, c.button); }};
    EXPECT_EQ(with_answer(answer, [&] { return save_tab(index, false); }), c.saved) << c.what;
    EXPECT_EQ(answer.shown, 1) << c.what;
    EXPECT_TRUE(seen_text(answer, std::string(c.what) +
                                      ".txt has bytes that could not be read as text. Saving writes the text as "
                                      "shown, which replaces those bytes.\n\nSave anyway?"))
        << c.what;

    const Tab tab = tab_at(index);
    if (c.saved) {
      EXPECT_EQ(read_bytes(target), "ab\xC4\x81") << c.what;
      EXPECT_EQ(tab.encoding, Encoding::Utf8) << c.what;
      EXPECT_FALSE(tab.lossy) << c.what;
      EXPECT_FALSE(tab.dirty) << c.what;
    } else {
      EXPECT_EQ(read_bytes(target), "ab\x81") << c.what;
      EXPECT_EQ(tab.encoding, Encoding::Ansi) << c.what;
      EXPECT_TRUE(tab.lossy) << c.what;
      EXPECT_TRUE(tab.dirty) << c.what;
    }
    EXPECT_TRUE(no_temporary_files()) << c.what;
  }
}

// ---- the Save As dialog ----

// The file-name field of the system's dialog, whichever control it is.
HWND file_name_field(HWND dialog) {
  for (const int id : {1152 /* edt1 */, 1148 /* cmb13 */}) {
    if (HWND field = GetDlgItem(dialog, id)) return field;
  }
  return nullptr;
}

TEST_F(SavingTab, AnUntitledTabAsksWhereAndACancelledDialogWritesNothing) {
  Tab untitled;
  untitled.untitled = 2;
  untitled.dirty = true;
  const std::size_t index = add_tab("draft", untitled);
  std::string proposed;
  Answer answer{.class_name = L"#32770", .act = [&](HWND dialog) {
                  proposed = window_text(file_name_field(dialog));
                  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                }};
  EXPECT_FALSE(with_answer(answer, [&] { return save_tab(index, false); }));
  EXPECT_EQ(answer.shown, 1);
  EXPECT_EQ(proposed, "Untitled 2");
  const Tab tab = tab_at(index);
  EXPECT_FALSE(tab.path.has_value());
  EXPECT_TRUE(tab.dirty);
  EXPECT_TRUE(no_temporary_files());
}

TEST_F(SavingTab, SaveAsWritesTheChosenFileWithTheDefaultExtension) {
  const std::string original = path("first.txt");
  write_bytes(original, "first");
  const std::size_t index = add_tab("second", file_tab(original));
  std::string proposed;
  Answer answer{.class_name = L"#32770", .act = [&](HWND dialog) {
                  HWND field = file_name_field(dialog);
                  proposed = window_text(field);
                  SetWindowTextW(field, to_wide(path("second")).c_str());
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                }};
  EXPECT_TRUE(with_answer(answer, [&] { return save_tab(index, true); }));
  // A file tab proposes its bare name, not its folder.
  EXPECT_EQ(proposed, "first.txt");
  EXPECT_EQ(read_bytes(path("second.txt")), "second");
  EXPECT_EQ(read_bytes(original), "first");
  EXPECT_EQ(tab_at(index).path, path("second.txt"));
  EXPECT_EQ(window_text(frame_), "second.txt - Nimbol");
}

TEST(FileDialog, TheOpenDialogGivesTheChosenPathOrNothing) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  const std::string existing = to_utf8(std::wstring_view(temp, length)) + "nimbol-open-" +
                               std::to_string(GetCurrentProcessId()) + ".txt";
  write_bytes(existing, "x");

  Answer cancel{.class_name = L"#32770", .act = [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }};
  std::optional<std::string> chosen = std::string("not asked");
  with_answer(cancel, [&] {
    chosen = file_dialog(nullptr, "", false);
    return true;
  });
  EXPECT_EQ(cancel.shown, 1);
  EXPECT_EQ(chosen, std::nullopt);

  Answer accept{.class_name = L"#32770", .act = [&](HWND dialog) {
                  SetWindowTextW(file_name_field(dialog), to_wide(existing).c_str());
                  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                }};
  with_answer(accept, [&] {
    chosen = file_dialog(nullptr, "", false);
    return true;
  });
  EXPECT_EQ(chosen, existing);
  DeleteFileW(to_wide(existing).c_str());
}

}  // namespace
