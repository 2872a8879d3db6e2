#pragma once
// Drives the real nimbol.exe from outside, the way a user would: start it
// with its own data folder, find its windows, type, click, send commands,
// read what it shows and what it stored, close it and start it again.
//
//   TEST(Tabs, CtrlNOpensAnUntitledTab) {
//     e2e::App app;
//     app.press('N', e2e::ctrl);
//     EXPECT_TRUE(e2e::eventually([&] { return app.title() == L"Untitled 2 - Nimbol"; }));
//   }

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// Polls `condition` until it holds or `timeout` passes; true when it held.
// A check that something does NOT happen never waits for a while instead:
// it waits for a later input or message whose effect shows that the program
// has handled everything before it (App::sync, or a sentinel key).
bool eventually(const std::function<bool()>& condition, Duration timeout = 10s);

// A temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring operator/(std::wstring_view name) const;

 private:
  std::wstring path_;
};

// Whole-file helpers (paths as Windows sees them).
void write_file(const std::wstring& path, std::string_view bytes);
std::optional<std::string> read_file(const std::wstring& path);
bool file_exists(const std::wstring& path);
std::vector<std::wstring> list_folder(const std::wstring& folder);

// A window of the program under test. Every call is safe on a null window.
class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}
  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr && IsWindow(hwnd_); }

  std::wstring class_name() const;
  std::wstring text() const;
  bool visible() const;
  RECT window_rect() const;
  SIZE client_size() const;
  // The first descendant of that class, or a null window.
  Window child(std::wstring_view class_name) const;
  std::vector<Window> children(std::wstring_view class_name) const;
  std::vector<Window> direct_children() const;
  // The first descendant whose text is exactly `text` (a button, a label).
  Window child_with_text(std::wstring_view text) const;
  // The texts of all descendants, in window order.
  std::vector<std::wstring> child_texts() const;

  LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
  void post(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;

 private:
  HWND hwnd_ = nullptr;
};

// Modifier keys for press().
enum Modifiers : unsigned { none = 0, ctrl = 1, shift = 2, alt = 4 };

struct StartOptions {
  std::vector<std::wstring> args;
  // Written to %APPDATA%\Nimbol\config.json before the start.
  std::optional<std::string> config;
  // Defaults to the test's temporary folder.
  std::wstring working_dir;
  // Wait until the frame exists (off for starts expected to end at once).
  bool wait_for_frame = true;
  // Another program beside the driver to start instead of nimbol.exe (the
  // benchmarks' bare program); it has no frame to wait for.
  std::wstring program;
  // The stored answer to the program's first-run question about update
  // checks (nothing: not answered yet). "off" keeps the question away.
  std::optional<std::wstring> update_check = L"off";
};

// One nimbol.exe process with its own APPDATA. Ending the test object ends
// the process if it still runs.
class App {
 public:
  App() : App(StartOptions{}) {}
  explicit App(StartOptions options);
  // A second start in the same data folder (the single-instance case).
  App(const App& first_instance, StartOptions options);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  DWORD process_id() const { return process_id_; }
  // %APPDATA% for this process, and the program's data folder inside it.
  const std::wstring& app_data() const;
  std::wstring data_folder() const;
  std::wstring work_folder() const;

  // The frame, waited for until it is shown; and other top-level windows of
  // the process.
  Window frame() const;
  Window wait_for_window(std::wstring_view class_name, Duration timeout = 10s) const;
  std::vector<Window> top_level_windows(std::wstring_view class_name = {}) const;
  std::wstring title() const { return frame().text(); }

  // The parts of the frame.
  Window tab_strip() const { return frame().child(L"NimbolTabStrip"); }
  Window veil() const { return frame().child(L"NimbolVeil"); }
  Window status_bar() const { return frame().child(L"NimbolStatusBar"); }
  std::vector<Window> editors() const { return frame().children(L"RICHEDIT50W"); }
  // The editor that is shown (the active tab's), or a null window.
  Window active_editor() const;

  // The program's message box, when one opens within `timeout`.
  Window wait_for_message_box(Duration timeout = 10s) const { return wait_for_window(L"NimbolMessageWnd", timeout); }
  // Presses the button with that text in a dialog window.
  void choose(const Window& dialog, std::wstring_view button) const;

  // What a user does.
  void command(WORD id) const;
  void close() const;
  void bring_to_front() const;
  // The user switches back to the program from another one.
  void switch_back() const;
  void press(WORD virtual_key, unsigned modifiers = none) const;
  void type(std::wstring_view text) const;
  void click(const Window& window, POINT client_point, bool middle = false, bool twice = false) const;
  void drag(const Window& window, POINT from, POINT to) const;

  // The exact text of an editor (paragraph ends as CR), read in the
  // program's own address space.
  std::wstring editor_text(const Window& editor) const;

  // True once the program has handled every message posted to it before
  // the call, and the messages those posted in turn. Posted messages are
  // handled in order, so the driver posts one of its own that leaves a mark
  // (an editor's text limit, toggled and put back) and waits for the mark.
  // Keys and clicks from SendInput are taken only after the posted
  // messages, so they need a later key or click with a visible effect.
  [[nodiscard]] bool sync() const;

  // Ends the process at once, the way a crash would.
  void kill() const;

  bool running() const;
  // The exit code once the process has ended within `timeout`.
  std::optional<DWORD> wait_exit(Duration timeout = 15s) const;

 private:
  void launch(StartOptions options);

  std::shared_ptr<TempDir> home_;
  std::wstring app_data_;
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
};

// A window of the test itself: bringing it to the front makes the program
// under test lose activation to "another program".
class OtherProgram {
 public:
  OtherProgram();
  ~OtherProgram();
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;
  void activate();

 private:
  HWND window_ = nullptr;
};

// Runs nimbol.exe to its end with these arguments and environment
// (APPDATA set to `app_data`), returning its exit code.
std::optional<DWORD> run_to_exit(const std::vector<std::wstring>& args, const std::wstring& app_data,
                                 Duration timeout = 30s);

// Registry helpers under HKEY_CURRENT_USER.
void set_registry_dword(std::wstring_view key, std::wstring_view value, DWORD data);
std::optional<DWORD> registry_dword(std::wstring_view key, std::wstring_view value);
void delete_registry_value(std::wstring_view key, std::wstring_view value);
void set_registry_string(std::wstring_view key, std::wstring_view value, std::wstring_view data);
std::optional<std::wstring> registry_string(std::wstring_view key, std::wstring_view value);

// The program's update values in the registry.
inline constexpr wchar_t update_key[] = L"Software\\Quorvex\\nimbol";

// UTF-16 <-> UTF-8 for the test's own strings.
std::string utf8(std::wstring_view text);
std::wstring wide(std::string_view text);

}  // namespace e2e
