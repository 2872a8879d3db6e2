// Opening files into tabs when something goes wrong: an editor the system
// will not create, an editor that takes only part of a file, a file handed
// over while a tab is being saved under a new name, no state at all. Every
// message the program shows is answered from inside its loop and recorded.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/utf.h"
#include "editor/saving.h"
#include "editor/tabs.h"
#include "support.h"
#include "text/editor_text.h"
#include "ui/message_box.h"

namespace {

using namespace wintest;

bool is_editor(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return _wcsicmp(name, MSFTEDIT_CLASS) == 0;
}

// While it lives, the system refuses to create any editor on this thread.
class EditorsRefused {
 public:
  EditorsRefused() : hook_(SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId())) {
    EXPECT_NE(hook_, nullptr);
  }
  ~EditorsRefused() { UnhookWindowsHookEx(hook_); }
  EditorsRefused(const EditorsRefused&) = delete;
  EditorsRefused& operator=(const EditorsRefused&) = delete;

 private:
  static LRESULT CALLBACK refuse(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && is_editor(reinterpret_cast<HWND>(wparam))) return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  HHOOK hook_;
};

// While it lives, every editor made on this thread takes only `keep` units.
class SmallEditors {
 public:
  explicit SmallEditors(std::size_t keep) : hook_(SetWindowsHookExW(WH_CBT, shrink, nullptr, GetCurrentThreadId())) {
    keep_ = keep;
    EXPECT_NE(hook_, nullptr);
  }
  ~SmallEditors() { UnhookWindowsHookEx(hook_); }
  SmallEditors(const SmallEditors&) = delete;
  SmallEditors& operator=(const SmallEditors&) = delete;

 private:
  static LRESULT CALLBACK shrink(int code, WPARAM wparam, LPARAM lparam) {
    auto window = reinterpret_cast<HWND>(wparam);
    if (code == HCBT_CREATEWND && is_editor(window)) SetWindowSubclass(window, takes_only_part, 3, keep_);
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  static inline std::size_t keep_ = 0;
  HHOOK hook_;
};

// The file-name field of the system's Save As dialog, whichever control it is.
HWND file_name_field(HWND dialog) {
  for (const int id : {1152 /* edt1 */, 1148 /* cmb13 */}) {
    if (HWND field = GetDlgItem(dialog, id)) return field;
  }
  return nullptr;
}

// The text of a message box: its first control.
std::string message_of(const SeenWindow& box) { return box.texts.empty() ? "" : to_utf8(box.texts.front()); }

bool starts_with(const std::string& text, const std::string& start) { return text.starts_with(start); }

class Tabs : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    frame_ = create_frame({0, 0, 600, 400});
    ASSERT_NE(frame_, nullptr);
    AppState state;
    state.frame = frame_;
    install_app_state(std::move(state));
  }

  std::vector<Tab> tabs() { return app_state().borrow()->tabs; }

  // A clean, empty untitled tab, made active.
  std::size_t add_untitled() {
    const std::size_t index = create_tab().value();
    activate_tab(index);
    return index;
  }

  // Runs `run` and answers every message box with its one button; returns
  // what the boxes said.
  template <class Run>
  std::vector<SeenWindow> answering_boxes(Run&& run) {
    Script script = answer_every(MESSAGE_BOX_CLASS, [](HWND box) { post_key(box, VK_RETURN); });
    with_script(script, run);
    return script.dialogs;
  }

  HWND frame_ = nullptr;
  const TempFolder files_{"tabs"};
};

TEST_F(Tabs, ATabWhoseEditorCannotBeMadeIsNeverAdded) {
  const std::string file = files_.file("notes.txt");
  write_file(file, "kept on disk");
  const EditorsRefused refused;

  std::size_t index = 0;
  const std::vector<SeenWindow> new_tab_boxes = answering_boxes([&] { index = new_tab(); });
  EXPECT_TRUE(tabs().empty());
  EXPECT_EQ(index, 0u) << "no tab: one past the end of the list";
  ASSERT_EQ(new_tab_boxes.size(), 1u);
  EXPECT_PRED2(starts_with, message_of(new_tab_boxes[0]), "A new tab could not be opened.\n\n");

  const std::vector<SeenWindow> open_boxes = answering_boxes([&] { open_path(file); });
  EXPECT_TRUE(tabs().empty());
  ASSERT_EQ(open_boxes.size(), 1u);
  EXPECT_PRED2(starts_with, message_of(open_boxes[0]), file + " could not be opened.\n\n");
  EXPECT_EQ(read_file(file), "kept on disk");
}

TEST_F(Tabs, AFileTheEditorDoesNotTakeWholeIsRefused) {
  const std::string file = files_.file("long.txt");
  write_file(file, "0123456789\r\nabcdefghij\r\n");  // 22 characters in the editor
  struct Case {
    const char* what;
    bool active_tab_modified;  // else a clean untitled tab is reused
    std::size_t editors_take;
    bool opened;
  };
  const Case cases[] = {
      {"into the clean untitled tab, whole", false, 24, true},
      {"into the clean untitled tab, a character short", false, 21, false},
      {"into a new tab, whole", true, 24, true},
      {"into a new tab, cut short", true, 10, false},
  };
  for (const Case& c : cases) {
    reset_gui_thread();
    frame_ = create_frame({0, 0, 600, 400});
    AppState state;
    state.frame = frame_;
    install_app_state(std::move(state));
    const SmallEditors small(c.editors_take);
    add_untitled();
    if (c.active_tab_modified) app_state().borrow()->tabs[0].dirty = true;

    const std::vector<SeenWindow> boxes = answering_boxes([&] { open_path(file); });
    const std::vector<Tab> now = tabs();
    if (c.opened) {
      EXPECT_TRUE(boxes.empty()) << c.what;
      ASSERT_EQ(now.size(), c.active_tab_modified ? 2u : 1u) << c.what;
      EXPECT_EQ(now.back().path, file) << c.what;
      EXPECT_EQ(get_editor_text(now.back().editor), "0123456789\rabcdefghij\r") << c.what;
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_EQ(message_of(boxes[0]), file +
                                        " could not be opened.\n\nThe editor could not hold all of the text: "
                                        "it is too large, or memory ran out.")
        << c.what;
    // Nothing of the file is in a tab: no part of it can be saved over it.
    ASSERT_EQ(now.size(), 1u) << c.what;
    EXPECT_FALSE(now[0].path.has_value()) << c.what;
    EXPECT_EQ(now[0].dirty, c.active_tab_modified) << c.what;
    EXPECT_EQ(get_editor_text(now[0].editor), "") << c.what;
    EXPECT_EQ(read_file(file), "0123456789\r\nabcdefghij\r\n") << c.what;
  }
}

TEST_F(Tabs, AFileOpenedDuringSaveAsNeverLandsInTheTabBeingSaved) {
  const std::string handed = files_.file("handed.txt");
  write_file(handed, "handed over");
  const std::size_t saved = add_untitled();

  // The file arrives while the Save As dialog waits for a name, the way a
  // hand-off from a second start does.
  Script script = answer_every(SYSTEM_DIALOG_CLASS, [&](HWND dialog) {
    open_path(handed);
    SetWindowTextW(file_name_field(dialog), to_wide(files_.file("chosen")).c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(with_script(script, [&] { return save_tab(saved, true); }));

  const std::vector<Tab> now = tabs();
  ASSERT_EQ(now.size(), 2u);
  EXPECT_EQ(now[0].path, files_.file("chosen.txt"));
  EXPECT_EQ(now[1].path, handed);
  EXPECT_EQ(get_editor_text(now[1].editor), "handed over");
  EXPECT_EQ(read_file(files_.file("chosen.txt")), "") << "the saved tab's own (empty) text";
  EXPECT_EQ(read_file(handed), "handed over");

  // Once the save is over, the rule for a clean untitled tab holds again.
  const std::string later = files_.file("later.txt");
  write_file(later, "later");
  add_untitled();
  open_path(later);
  EXPECT_EQ(tabs().size(), 3u);
  EXPECT_EQ(tabs()[2].path, later);
}

TEST_F(Tabs, WithoutTheStateTabCallsChangeNothing) {
  const std::string file = files_.file("some.txt");
  write_file(file, "text");
  app_state().reset();
  EXPECT_FALSE(create_tab().has_value());
  std::size_t index = 1;
  const std::vector<SeenWindow> boxes = answering_boxes([&] { index = new_tab(); });
  EXPECT_EQ(index, 0u);
  EXPECT_EQ(boxes.size(), 1u);
  close_tab(0);
  activate_tab(0);
  EXPECT_FALSE(load_file_into_tab(0, file).has_value());
  open_path(file);
  EXPECT_FALSE(app_state().exists());
  HWND editor = FindWindowExW(frame_, nullptr, MSFTEDIT_CLASS, nullptr);
  EXPECT_EQ(editor, nullptr) << "no editor was left behind";
}

}  // namespace
