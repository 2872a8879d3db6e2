#pragma once
// What the Win32-layer tests share, so that each test file keeps only what
// it tests: a fixture that hands every test the GUI thread as a fresh process
// would have it, temporary folders and APPDATA, files read and written with
// plain Win32 calls rather than the code under test, and a user who answers
// the program's modal windows from inside their own loops.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/secure_buffer.h"
#include "model/app_state.h"

namespace wintest {

using Bytes = std::vector<std::uint8_t>;

// ---- bytes and files, through plain Win32 calls ----

Bytes bytes_of(std::string_view text);
Bytes bytes_of(const SecureBuffer& buffer);
bool contains(const Bytes& haystack, const Bytes& needle);

// The system's temporary folder, ending in a backslash.
std::string temp_path();

std::optional<std::string> read_file(const std::string& path);
std::optional<Bytes> read_file_bytes(const std::string& path);
// Creates or replaces the file; a failure fails the test.
void write_file(const std::string& path, std::string_view bytes);
void write_file(const std::string& path, std::span<const std::uint8_t> bytes);
bool path_exists(const std::string& path);
// The names in `folder`, without "." and "..", sorted.
std::vector<std::string> names_in(const std::string& folder);
// Every file below `folder`, with its path.
std::vector<std::string> files_under(const std::string& folder);
// The folder and everything in it, read-only files included.
void remove_tree(const std::string& folder);

// A folder of the test's own under the temporary folder, gone with
// everything in it when the owner goes. `tag` becomes part of its name.
class TempFolder {
 public:
  explicit TempFolder(std::string_view tag);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "\\" + std::string(name); }

 private:
  std::string path_;
};

// ---- the GUI thread ----

// Puts the thread's state back as a fresh process has it: no application
// state, no veil, the default theme, every window slot empty, no window of
// a Nimbol class, and nothing left waiting in the message queue (a quit
// posted by a destroyed frame included).
void reset_gui_thread();

// The base of every test here. The GUI-thread state outlives a test in the
// one process that runs them all, so each test gets a fresh one at set-up
// and leaves none behind; APPDATA is put back as it was.
class GuiThreadTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  std::optional<std::wstring> saved_appdata_;
};

// A test whose program keeps its data under a temporary APPDATA:
// root_\AppData, with the data folder data_dir_ below it. Neither exists
// until something makes it.
class DataFolderTest : public GuiThreadTest {
 protected:
  void SetUp() override;

  TempFolder temp_{"data"};
  const std::string root_ = temp_.path();
  const std::string data_dir_ = root_ + "\\AppData\\Nimbol";
};

// Makes `state` the application state, replacing any there was.
void install_app_state(AppState state);

// Adds a tab the way the program does (create_tab) and gives it `text` and
// these flags. Returns its index.
std::size_t add_text_tab(std::string_view text, bool dirty, bool pending, std::optional<std::string> path = {});

struct Placement {
  int x = 20;
  int y = 20;
  int width = 500;
  int height = 300;
};

// A top-level window of `class_name`, registered here with `procedure`
// (one procedure per class name). Hidden unless `style` says otherwise.
HWND create_test_window(const wchar_t* class_name, WNDPROC procedure, DWORD style = WS_OVERLAPPEDWINDOW,
                        Placement place = {});
// A hidden window of the program's own frame class, running the real
// frame_proc.
HWND create_frame(Placement place = {});

// A subclass procedure (SetWindowSubclass, `keep` as its reference data) for
// an editor that takes only the first `keep` units of a text streamed into
// it, as a control at its limit or out of memory does. (Under Wine the
// control's own limit does not cut a text set whole, so the cut is made
// here, between the program's stream and the control.)
LRESULT CALLBACK takes_only_part(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR keep);

// ---- the program's modal windows, answered from inside their loops ----

inline constexpr wchar_t SYSTEM_DIALOG_CLASS[] = L"#32770";

// The first visible window of this class on this thread.
HWND find_thread_window(const wchar_t* class_name);
std::vector<std::wstring> child_texts(HWND window);
HWND child_with_text(HWND window, std::wstring_view text);
std::wstring text_of(HWND window, int id);
std::string window_text(HWND window);

// A modal window as it looked when it first showed.
struct SeenWindow {
  HWND window;
  std::wstring title;
  HWND owner;
  std::vector<std::wstring> texts;  // every child, in creation order
};

SeenWindow look_at(HWND window);
bool shows(const SeenWindow& seen, std::string_view text);
bool any_shows(const std::vector<SeenWindow>& seen, std::string_view text);

// What a user does, posted so that the window handles it in its own loop.
void type_into(HWND window, int id, std::string_view text);
void post_key(HWND window, WPARAM key);
void click_button(HWND window, int id);
// The button labelled `text`; a window without one fails the test and is
// destroyed, so that the call waiting on it comes back.
void click_named(HWND window, std::wstring_view text);
// A real press and release of the mouse over the control.
void mouse_click(HWND window, int id);

// One answer: wait for a window of this class, then act on it.
struct Step {
  const wchar_t* class_name;
  std::function<void(HWND)> act;
};

// What the user does while a call runs its modal loops. The steps run in
// order, one per timer tick: a timer message comes only when nothing posted
// is waiting, so what a step posted (and whatever it set off) is done before
// the next step looks. After the steps, `every` (if set) answers each new
// window of its class, however many come. Every message box, prompt and
// system dialog that shows is recorded in `dialogs`, once as it first looked
// (again if it comes back after another). One left open for seconds with
// nothing to do is destroyed and fails the test, so that a flow that asks
// more than expected fails instead of hanging.
struct Script {
  Script() = default;
  // Not explicit: a script is written as the list of its steps.
  Script(std::vector<Step> in_order);
  // Steps on windows of one class.
  Script(const wchar_t* class_name, std::vector<std::function<void(HWND)>> acts);

  std::vector<Step> steps;
  std::optional<Step> every;
  std::vector<SeenWindow> dialogs;
  std::size_t next = 0;
  int idle_ticks = 0;
  HWND answered = nullptr;
};

// No steps: `act` answers each window of the class that comes.
Script answer_every(const wchar_t* class_name, std::function<void(HWND)> act);

// Runs `script` on a thread timer for as long as it lives.
class ScriptRun {
 public:
  explicit ScriptRun(Script& script);
  ~ScriptRun();
  ScriptRun(const ScriptRun&) = delete;
  ScriptRun& operator=(const ScriptRun&) = delete;

  // Stops the script; every step must have run.
  void finish();

 private:
  Script* script_;
  UINT_PTR timer_ = 0;
};

// Runs `run` while `script` answers the windows it opens; returns what
// `run` returned.
template <class Run>
auto with_script(Script& script, Run&& run) {
  ScriptRun running(script);
  if constexpr (std::is_void_v<std::invoke_result_t<Run&>>) {
    run();
    running.finish();
  } else {
    auto result = run();
    running.finish();
    return result;
  }
}

}  // namespace wintest
