// Saving tabs to real files under Wine: a real editor holds the text, the
// tab list is the application state, and the dialogs that saving opens (the
// lossy question, the failure message, the Save As dialog) are answered from
// inside their own modal loops, the way a user would answer them.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/file_dialog.h"
#include "editor/saving.h"
#include "model/app_state.h"
#include "support.h"
#include "text/editor_text.h"
#include "text/text_codec.h"
#include "ui/message_box.h"

namespace {

using namespace wintest;

// ---- the fixture: a frame with tabs, each with a real editor ----

class SavingTab : public GuiThreadTest {
 protected:
  void SetUp() override {
    GuiThreadTest::SetUp();
    frame_ = create_test_window(L"NimbolSavingTestFrame", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_NE(frame_, nullptr);
    AppState state;
    state.frame = frame_;
    install_app_state(std::move(state));
  }

  std::string path(std::string_view name) const { return folder_.file(name); }

  // Adds a tab holding `text` and makes it the active one.
  std::size_t add_tab(std::string_view text, Tab tab) {
    HWND editor = create_editor(frame_, nullptr, true, 100);
    EXPECT_NE(editor, nullptr);
    EXPECT_TRUE(set_editor_text(editor, text));
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

  // The names of the save's temporary files in the folder, sorted.
  std::vector<std::string> temporary_files() const {
    std::vector<std::string> names;
    for (std::string& name : names_in(folder_.path())) {
      if (name.ends_with(".nimbol-save")) names.push_back(std::move(name));
    }
    return names;
  }

  bool no_temporary_files() const {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(to_wide(folder_.path() + "\\*.nimbol-save").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return true;
    FindClose(find);
    return false;
  }

  TempFolder folder_{"saving"};
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
    EXPECT_EQ(read_file(path(c.name)), c.expected) << c.name;
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
  write_file(target, "the old contents, longer than the new ones\r\n");
  const std::size_t index = add_tab("new", file_tab(target));
  // A temporary file an earlier save left (it may hold the only copy of a
  // text) is neither reused nor removed.
  for (const std::string& stray : {target + ".nimbol-save", path("~0000000000000000.nimbol-save")}) {
    write_file(stray, "left by an earlier save");
  }
  const std::vector<std::string> strays = temporary_files();
  EXPECT_TRUE(save_tab(index, false));
  EXPECT_EQ(read_file(target), "new");
  EXPECT_EQ(temporary_files(), strays);
  for (const std::string& stray : strays) EXPECT_EQ(read_file(path(stray)), "left by an earlier save") << stray;
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
    write_file(target, "keep me");
    c.guard(target);
    const std::size_t index = add_tab("lost?", file_tab(target));

    Script answer = answer_every(MESSAGE_BOX_CLASS, [](HWND box) { click_named(box, L"OK"); });
    EXPECT_FALSE(with_script(answer, [&] { return save_tab(index, false); })) << c.what;
    if (locked != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(locked, INVALID_HANDLE_VALUE));

    ASSERT_EQ(answer.dialogs.size(), 1u) << c.what << ": the failure is shown once";
    const std::string prefix = target + " could not be saved.\n\n";
    std::string message;
    for (const std::wstring& seen : answer.dialogs[0].texts) {
      if (to_utf8(seen).starts_with(prefix)) message = to_utf8(seen);
    }
    ASSERT_FALSE(message.empty()) << c.what;
    const std::string reason = message.substr(prefix.size());
    EXPECT_FALSE(reason.empty()) << c.what;
    EXPECT_NE(reason, "Unknown error") << c.what;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << c.what << ": the system's line break is trimmed";

    EXPECT_EQ(read_file(target), "keep me") << c.what;
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
  Script answer = answer_every(MESSAGE_BOX_CLASS, [](HWND box) { click_named(box, L"OK"); });
  EXPECT_FALSE(with_script(answer, [&] { return save_tab(index, false); }));
  EXPECT_EQ(answer.dialogs.size(), 1u);
  EXPECT_FALSE(path_exists(target));
  EXPECT_TRUE(tab_at(index).dirty);
}

// ---- what the file system seldom does on demand, played through hooks ----

class HooksInstalled {
 public:
  explicit HooksInstalled(const FileCallHooks& hooks) { set_file_call_hooks(hooks); }
  ~HooksInstalled() { set_file_call_hooks({}); }
  HooksInstalled(const HooksInstalled&) = delete;
  HooksInstalled& operator=(const HooksInstalled&) = delete;
};

// What ReplaceFileW does when it cannot rename the replacement into place
// and was given no backup name: the file it replaces is gone already.
int replacement_not_moved(const wchar_t* target, const wchar_t*) {
  DeleteFileW(target);
  SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
  return FALSE;
}

int replacement_refused(const wchar_t*, const wchar_t*) {
  SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
  return FALSE;
}

int move_refused(const wchar_t*, const wchar_t*) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

int disk_full(void*, const void*, std::uint32_t, std::uint32_t*) {
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

TEST_F(SavingTab, WhenTheReplacementAndTheMoveBothFailTheTextIsKept) {
  struct Case {
    const char* what;
    decltype(FileCallHooks::replace) replace;
    DWORD error;
    bool target_gone;
  };
  const Case cases[] = {
      {"the replacement took the old file away", replacement_not_moved, ERROR_UNABLE_TO_MOVE_REPLACEMENT, true},
      {"the old file is still there", replacement_refused, ERROR_UNABLE_TO_REMOVE_REPLACED, false},
  };
  for (const Case& c : cases) {
    const std::string target = path(std::string(c.what) + ".txt");
    write_file(target, "old text");
    const std::size_t index = add_tab("new text", file_tab(target));
    const std::vector<std::string> before = temporary_files();

    Script answer = answer_every(MESSAGE_BOX_CLASS, [](HWND box) { click_named(box, L"OK"); });
    {
      const HooksInstalled hooks({.replace = c.replace, .move = move_refused});
      EXPECT_FALSE(with_script(answer, [&] { return save_tab(index, false); })) << c.what;
    }
    ASSERT_EQ(answer.dialogs.size(), 1u) << c.what;
    std::string message = target + " could not be saved.\n\n" + system_error_text(c.error);
    const std::vector<std::string> left = temporary_files();
    if (c.target_gone) {
      std::vector<std::string> kept;
      std::ranges::set_difference(left, before, std::back_inserter(kept));
      ASSERT_EQ(kept.size(), 1u) << c.what;
      const std::string temporary = folder_.file(kept.front());
      message += "\n\nThe old file is gone; the text is now in:\n" + temporary;
      EXPECT_FALSE(path_exists(target)) << c.what;
      EXPECT_EQ(read_file(temporary), "new text") << c.what;

      // Saving again while the disk is full fails too, and must not take
      // the one copy there is with it.
      Script again = answer_every(MESSAGE_BOX_CLASS, [](HWND box) { click_named(box, L"OK"); });
      {
        const HooksInstalled hooks({.write = disk_full});
        EXPECT_FALSE(with_script(again, [&] { return save_tab(index, false); })) << c.what;
      }
      EXPECT_EQ(read_file(temporary), "new text") << c.what << ": the retry lost the earlier copy";
      EXPECT_EQ(temporary_files(), left) << c.what;
    } else {
      EXPECT_EQ(read_file(target), "old text") << c.what;
      EXPECT_EQ(left, before) << c.what;
    }
    EXPECT_TRUE(any_shows(answer.dialogs, message)) << c.what << "\n" << to_utf8(answer.dialogs[0].texts.back());
    EXPECT_TRUE(tab_at(index).dirty) << c.what;
  }
}

// The paths the last replacement or move was handed, passed on to the real
// calls.
std::vector<std::wstring> handed_paths;

int recorded_replace(const wchar_t* target, const wchar_t* replacement) {
  handed_paths = {target, replacement};
  return ReplaceFileW(target, replacement, nullptr, 0, nullptr, nullptr);
}

int recorded_move(const wchar_t* from, const wchar_t* to) {
  handed_paths = {from, to};
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

std::wstring literal(const std::string& path) { return L"\\\\?\\" + to_wide(path); }

std::optional<std::string> read_literal(const std::string& path) {
  HANDLE file = CreateFileW(literal(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  char buffer[256];
  DWORD got = 0;
  const BOOL read = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(file);
  if (!read) return std::nullopt;
  return std::string(buffer, got);
}

TEST_F(SavingTab, AFileWithA255UnitPathOpensAndSaves) {
  // The temporary name adds 12 units, past the 260 that plain paths may have.
  const std::string folder = path(std::string(100, 'd'));
  ASSERT_TRUE(CreateDirectoryW(to_wide(folder).c_str(), nullptr));
  const auto named = [&](char fill) {
    const std::string start = folder + "\\";
    return start + std::string(255 - start.size() - 4, fill) + ".txt";
  };
  struct Case {
    const char* what;
    std::string target;
    bool exists;
  };
  const Case cases[] = {{"an opened file", named('o'), true}, {"a new file", named('n'), false}};
  for (const Case& c : cases) {
    ASSERT_EQ(to_wide(c.target).size(), 255u);
    std::string text = "new text";
    if (c.exists) {
      const HANDLE file = CreateFileW(literal(c.target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE) << c.what;
      DWORD written = 0;
      WriteFile(file, "opened text", 11, &written, nullptr);
      CloseHandle(file);
      const auto opened = decode_file(c.target);
      ASSERT_TRUE(opened) << c.what << ": " << opened.error();
      text = opened->text + ", saved";
    }
    const std::size_t index = add_tab(text, file_tab(c.target));
    handed_paths.clear();
    {
      const HooksInstalled hooks({.replace = recorded_replace, .move = recorded_move});
      EXPECT_TRUE(save_tab(index, false)) << c.what;
    }
    EXPECT_EQ(read_literal(c.target), text) << c.what;
    EXPECT_FALSE(tab_at(index).dirty) << c.what;
    // Windows takes such paths only in their literal form, unless the
    // machine allows long paths to every program.
    ASSERT_EQ(handed_paths.size(), 2u) << c.what;
    EXPECT_TRUE(std::ranges::count(handed_paths, literal(c.target)) == 1) << c.what;
    DeleteFileW(literal(c.target).c_str());
  }
  EXPECT_TRUE(names_in(folder).empty());
}

// The temporary name must fit however long the file's own name is: one of
// 250 units leaves no room for anything appended to it.
TEST_F(SavingTab, AFileWithA250UnitNameSaves) {
  const std::string target = path(std::string(246, 'n') + ".txt");
  const HANDLE file = CreateFileW(literal(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  const std::size_t index = add_tab("saved text", file_tab(target));
  Script answer = answer_every(MESSAGE_BOX_CLASS, [](HWND box) { click_named(box, L"OK"); });
  EXPECT_TRUE(with_script(answer, [&] { return save_tab(index, false); }));
  EXPECT_EQ(read_literal(target), "saved text");
  EXPECT_TRUE(temporary_files().empty());
}

TEST_F(SavingTab, AnsiTextOutsideTheCodePageIsSavedAsUtf8) {
  const std::string target = path("ansi.txt");
  const std::size_t index = add_tab("caf\xC3\xA9 \xC4\x81", file_tab(target, Encoding::Ansi));
  EXPECT_TRUE(save_tab(index, false));
  EXPECT_EQ(read_file(target), "caf\xC3\xA9 \xC4\x81");
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
    write_file(target, "ab\x81");
    const std::size_t index = add_tab("ab\xC4\x81", file_tab(target, Encoding::Ansi, Eol::CrLf, true));

    Script answer = answer_every(MESSAGE_BOX_CLASS, [&](HWND box) { click_named(box, c.button); });
    EXPECT_EQ(with_script(answer, [&] { return save_tab(index, false); }), c.saved) << c.what;
    EXPECT_EQ(answer.dialogs.size(), 1u) << c.what;
    EXPECT_TRUE(any_shows(answer.dialogs, std::string(c.what) +
                                              ".txt has bytes that could not be read as text. Saving writes the "
                                              "text as shown, which replaces those bytes.\n\nSave anyway?"))
        << c.what;

    const Tab tab = tab_at(index);
    if (c.saved) {
      EXPECT_EQ(read_file(target), "ab\xC4\x81") << c.what;
      EXPECT_EQ(tab.encoding, Encoding::Utf8) << c.what;
      EXPECT_FALSE(tab.lossy) << c.what;
      EXPECT_FALSE(tab.dirty) << c.what;
    } else {
      EXPECT_EQ(read_file(target), "ab\x81") << c.what;
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
  Script answer = answer_every(SYSTEM_DIALOG_CLASS, [&](HWND dialog) {
    proposed = window_text(file_name_field(dialog));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_FALSE(with_script(answer, [&] { return save_tab(index, false); }));
  EXPECT_EQ(answer.dialogs.size(), 1u);
  EXPECT_EQ(proposed, "Untitled 2");
  const Tab tab = tab_at(index);
  EXPECT_FALSE(tab.path.has_value());
  EXPECT_TRUE(tab.dirty);
  EXPECT_TRUE(no_temporary_files());
}

TEST_F(SavingTab, SaveAsWritesTheChosenFileWithTheDefaultExtension) {
  const std::string original = path("first.txt");
  write_file(original, "first");
  const std::size_t index = add_tab("second", file_tab(original));
  std::string proposed;
  Script answer = answer_every(SYSTEM_DIALOG_CLASS, [&](HWND dialog) {
    HWND field = file_name_field(dialog);
    proposed = window_text(field);
    SetWindowTextW(field, to_wide(path("second")).c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(with_script(answer, [&] { return save_tab(index, true); }));
  // A file tab proposes its bare name, not its folder.
  EXPECT_EQ(proposed, "first.txt");
  EXPECT_EQ(read_file(path("second.txt")), "second");
  EXPECT_EQ(read_file(original), "first");
  EXPECT_EQ(tab_at(index).path, path("second.txt"));
  EXPECT_EQ(window_text(frame_), "second.txt - Nimbol");
}

class FileDialog : public GuiThreadTest {};

TEST_F(FileDialog, TheOpenDialogGivesTheChosenPathOrNothing) {
  const TempFolder folder("open");
  const std::string existing = folder.file("existing.txt");
  write_file(existing, "x");

  Script cancel = answer_every(SYSTEM_DIALOG_CLASS, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  std::optional<std::string> chosen = std::string("not asked");
  with_script(cancel, [&] { chosen = file_dialog(nullptr, "", false); });
  EXPECT_EQ(cancel.dialogs.size(), 1u);
  EXPECT_EQ(chosen, std::nullopt);

  Script accept = answer_every(SYSTEM_DIALOG_CLASS, [&](HWND dialog) {
    SetWindowTextW(file_name_field(dialog), to_wide(existing).c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  with_script(accept, [&] { chosen = file_dialog(nullptr, "", false); });
  EXPECT_EQ(chosen, existing);
}

}  // namespace
