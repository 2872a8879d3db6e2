// What a user of Nimbol feels, timed from outside the way the user sees it,
// each beside the bare program (bare_richedit.exe) doing the same job in the
// same Wine prefix and the same run: start-up until the window is painted,
// opening a large file until its text is in the editor (and the memory that
// took), saving it, and a keystroke in a large document beside one in an
// empty one, with the stores that follow it; and Replace All over every
// line of a file of short lines, beside opening that file.
//
// Nothing here reaches into nimbol.exe: the driver starts it with a file
// argument and watches what any other program could see (windows shown,
// update regions, the editor's text length, the process's memory counters,
// the files it writes) and how long the window takes to answer a message.
//
// Prints one line per measurement, "sample <figure> <value>", in
// milliseconds or MiB; scripts/bench.sh takes the medians.

#include <windows.h>

#include <psapi.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/sample_text.h"
#include "bench/win/bench_messages.h"
#include "bench/win/bench_report.h"
#include "e2e/driver.h"
#include "ui/command_ids.h"

namespace {

using bench::now_ms;
using bench::report;

using e2e::App;
using e2e::StartOptions;
using e2e::Window;

void problem(const std::string& what) {
  std::printf("problem %s\n", what.c_str());
  std::fflush(stdout);
}

struct Program {
  const char* name;
  const wchar_t* exe;  // empty: nimbol.exe
  const wchar_t* frame_class;
  // The message that saves the open file; sent to the frame, it returns
  // once the file is written.
  UINT save_message;
  WPARAM save_wparam;
};

const Program nimbol{"nimbol", L"", L"NimbolFrame", WM_COMMAND, CMD_SAVE};
const Program bare{"bare", L"bare_richedit.exe", BARE_FRAME_CLASS, WM_APP_BENCH_SAVE, 0};

std::string figure(const char* what, const Program& program) { return std::string(what) + "." + program.name; }

// Polls `done` until it holds; `pause_ms` 0 only yields the processor.
bool wait_until(const std::function<bool()>& done, double timeout_ms, DWORD pause_ms) {
  const double deadline = now_ms() + timeout_ms;
  while (!done()) {
    if (now_ms() > deadline) return false;
    if (pause_ms == 0) {
      SwitchToThread();
    } else {
      Sleep(pause_ms);
    }
  }
  return true;
}

// Sends a message and waits as long as it takes (a save of 100 MiB under
// Wine is slow); the answer, or nothing when the window did not answer.
std::optional<LRESULT> send_and_wait(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0,
                                     UINT timeout_ms = 30 * 60 * 1000) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, timeout_ms, &result)) return std::nullopt;
  return static_cast<LRESULT>(result);
}

Window shown_frame(const App& app, const Program& program) {
  for (const Window& window : app.top_level_windows(program.frame_class)) {
    if (window.visible()) return window;
  }
  return {};
}

// Whether the window or any of its shown descendants still waits for a
// paint. Update regions are kept by the window system, so another process
// can ask without disturbing the program.
bool paint_pending(const Window& top) {
  if (GetUpdateRect(top.hwnd(), nullptr, FALSE)) return true;
  for (const Window& child : top.children({})) {
    if (child.visible() && GetUpdateRect(child.hwnd(), nullptr, FALSE)) return true;
  }
  return false;
}

Window shown_editor(const Window& frame) {
  for (const Window& editor : frame.children(L"RICHEDIT50W")) {
    if (editor.visible()) return editor;
  }
  return {};
}

// Text length in UTF-16 units with CR LF paragraph ends; no pointers, so it
// works across processes.
LRESULT text_length(const Window& editor) { return send_and_wait(editor.hwnd(), WM_GETTEXTLENGTH).value_or(-1); }

// The frame is shown, the program's start-up code has returned to its
// message loop (it answered a sent message) and nothing waits for a paint.
bool settle(const App& app, const Program& program, Window& frame, double timeout_ms) {
  if (!wait_until([&] { return static_cast<bool>(frame = shown_frame(app, program)); }, timeout_ms, 1)) return false;
  if (!send_and_wait(frame.hwnd(), WM_NULL)) return false;
  return wait_until([&] { return !paint_pending(frame); }, timeout_ms, 1);
}

StartOptions options_for(const Program& program, std::vector<std::wstring> args = {}) {
  StartOptions options;
  options.args = std::move(args);
  options.wait_for_frame = false;
  options.program = program.exe;
  return options;
}

// ---- start-up ----

std::optional<double> time_start(const Program& program) {
  const double start = now_ms();
  App app(options_for(program));
  Window frame;
  if (!settle(app, program, frame, 60000)) return std::nullopt;
  return now_ms() - start;
}

void bench_start(int rounds) {
  // The first start in a prefix loads what every later one finds ready.
  static_cast<void>(time_start(nimbol));
  static_cast<void>(time_start(bare));
  for (int i = 0; i < rounds; ++i) {
    for (const Program* program : {&nimbol, &bare}) {
      if (auto ms = time_start(*program)) {
        report(figure("start", *program).c_str(), *ms);
      } else {
        problem(figure("start", *program) + " never showed a painted window");
      }
    }
  }
}

// ---- opening, memory and saving ----

std::size_t units_of(const std::string& utf8) {
  return static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0));
}

double peak_working_set_mib(const App& app) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, app.process_id());
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  const BOOL ok = process && GetProcessMemoryInfo(process, &counters, sizeof counters);
  if (process) CloseHandle(process);
  return ok ? static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0) : -1;
}

// A program started with the file; returns once its text is in the
// editor and the window is painted.
struct OpenedFile {
  std::unique_ptr<App> app;
  Window frame;
  Window editor;
  double ms = 0;
};

std::optional<OpenedFile> open_file(const Program& program, const std::wstring& path, std::size_t units) {
  OpenedFile opened;
  const double start = now_ms();
  opened.app = std::make_unique<App>(options_for(program, {path}));
  const double timeout = 30 * 60 * 1000;
  if (!settle(*opened.app, program, opened.frame, timeout)) {
    problem(figure("open", program) + " never showed its window");
    return std::nullopt;
  }
  opened.editor = shown_editor(opened.frame);
  // Both programs put the text in before they show the window; a length of
  // zero here would be a program that shows first and loads later.
  if (!wait_until([&] { return text_length(opened.editor) > 0; }, timeout, 1) ||
      !wait_until([&] { return !paint_pending(opened.frame); }, timeout, 1)) {
    problem(figure("open", program) + " never showed the text");
    return std::nullopt;
  }
  opened.ms = now_ms() - start;
  if (const LRESULT length = text_length(opened.editor); length != static_cast<LRESULT>(units)) {
    problem(figure("open", program) + " holds " + std::to_string(length) + " units, not " + std::to_string(units));
  }
  return opened;
}

void bench_open_and_save(int rounds, int saves, std::size_t size) {
  const e2e::TempDir folder;
  const std::string text = bench::whole_lines(size);
  const std::size_t units = units_of(text);
  for (int i = 0; i < rounds; ++i) {
    for (const Program* program : {&nimbol, &bare}) {
      const std::wstring path = folder / (e2e::wide(program->name) + L".txt");
      e2e::write_file(path, text);
      std::optional<OpenedFile> opened = open_file(*program, path, units);
      if (!opened) continue;
      report(figure("open", *program).c_str(), opened->ms);
      report(figure("peak", *program).c_str(), peak_working_set_mib(*opened->app));
      for (int s = 0; s < saves; ++s) {
        const double start = now_ms();
        const std::optional<LRESULT> saved =
            send_and_wait(opened->frame.hwnd(), program->save_message, program->save_wparam);
        const double ms = now_ms() - start;
        if (!saved) {
          problem(figure("save", *program) + " did not answer");
          break;
        }
        report(figure("save", *program).c_str(), ms);
      }
      if (e2e::read_file(path) != text) problem(figure("save", *program) + " did not write the same bytes back");
    }
  }
}

// ---- typing ----

void bring_to_front(const Window& frame) {
  if (GetForegroundWindow() == frame.hwnd()) return;
  SetForegroundWindow(frame.hwnd());
  wait_until([&] { return GetForegroundWindow() == frame.hwnd(); }, 2000, 1);
}

// A key typed the way a user types it: through the system's input queue,
// to the window with the focus.
void type_key(wchar_t character, WORD virtual_key) {
  INPUT keys[2]{};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtual_key;
    key.ki.wScan = virtual_key ? 0 : character;
    key.ki.dwFlags = virtual_key ? 0 : KEYEVENTF_UNICODE;
  }
  keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

FILETIME last_written(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return data.ftLastWriteTime;
}

bool same_time(FILETIME a, FILETIME b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The longest the window took to answer while the store that follows the
// last change ran: the time the store held up the GUI thread, during which
// keys would wait. The store writes the index last, so it is over once the
// index has changed and the window answers again.
std::optional<double> store_stall(const App& app, const Window& frame) {
  const std::wstring index = app.data_folder() + L"\\session.dat";
  const FILETIME before = last_written(index);
  double longest = 0;
  const double deadline = now_ms() + 10 * 60 * 1000;
  bool stored = false;
  while (now_ms() < deadline) {
    const double start = now_ms();
    if (!send_and_wait(frame.hwnd(), WM_NULL)) return std::nullopt;
    longest = std::max(longest, now_ms() - start);
    if (stored) return longest;
    stored = !same_time(last_written(index), before);
    Sleep(1);
  }
  return std::nullopt;
}

// One character typed at the end of the document, until it is in the
// editor and painted; then it is taken back, and the store that follows
// is timed on its own.
void bench_keys(const Program& program, const char* document, int rounds, const std::vector<std::wstring>& args) {
  std::optional<OpenedFile> opened;
  if (args.empty()) {
    opened.emplace();
    opened->app = std::make_unique<App>(options_for(program));
    if (!settle(*opened->app, program, opened->frame, 60000)) return problem(std::string("keys.") + document);
    opened->editor = shown_editor(opened->frame);
  } else {
    const std::string text = e2e::read_file(args.front()).value_or("");
    opened = open_file(program, args.front(), units_of(text));
    if (!opened) return;
  }
  const App& app = *opened->app;
  const Window& editor = opened->editor;
  send_and_wait(editor.hwnd(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
  send_and_wait(editor.hwnd(), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  send_and_wait(editor.hwnd(), EM_SCROLLCARET);
  wait_until([&] { return !paint_pending(opened->frame); }, 60000, 1);
  const std::string key_figure = std::string("key.") + document;
  const std::string store_figure = std::string("store.") + document;
  // The first round makes the document modified and is not counted.
  for (int i = 0; i <= rounds; ++i) {
    bring_to_front(opened->frame);
    const LRESULT before = text_length(editor);
    const double start = now_ms();
    type_key(L'x', 0);
    const bool typed = wait_until([&] { return text_length(editor) == before + 1; }, 60000, 0) &&
                       wait_until([&] { return !paint_pending(opened->frame); }, 60000, 0);
    const double ms = now_ms() - start;
    if (!typed) return problem(key_figure + " was not typed");
    type_key(0, VK_BACK);
    if (!wait_until([&] { return text_length(editor) == before; }, 60000, 0)) {
      return problem(key_figure + " was not taken back");
    }
    // The bare program stores nothing; it only shows what the control
    // itself costs for the same keystroke.
    std::optional<double> stall;
    if (&program == &nimbol) {
      stall = store_stall(app, opened->frame);
      if (!stall) return problem(store_figure + " never came");
    }
    if (i == 0) continue;
    report(key_figure.c_str(), ms);
    if (stall) report(store_figure.c_str(), *stall);
  }
}

void bench_typing(int rounds, std::size_t size) {
  const e2e::TempDir folder;
  const std::wstring path = folder / L"large.txt";
  e2e::write_file(path, bench::whole_lines(size));
  bench_keys(nimbol, "empty", rounds, {});
  bench_keys(nimbol, "large", rounds, {path});
  bench_keys(bare, "large.bare", rounds, {path});
}

// ---- Replace All ----

// The find bar's controls, as the frame makes them.
constexpr int find_field_id = 5001;
constexpr int replace_field_id = 5007;
constexpr int replace_all_id = 5009;
constexpr int result_id = 5005;

// Opens the file, then replaces a word that every few lines hold by one of
// another length (the text changes size, so the control cannot keep a line
// as it was) and times the click until the new text is in and painted.
// Opening the same file in the same run is the reference: both put a
// whole text into Wine's Rich Edit.
void bench_replace_all(int rounds, std::size_t size_mib) {
  const e2e::TempDir folder;
  const std::wstring path = folder / L"replace.txt";
  const std::string text = bench::whole_lines(size_mib << 20);
  e2e::write_file(path, text);
  const std::string suffix = "." + std::to_string(size_mib) + "mib";
  for (int i = 0; i < rounds; ++i) {
    std::optional<OpenedFile> opened = open_file(nimbol, path, units_of(text));
    if (!opened) return;
    report(("replace.open" + suffix).c_str(), opened->ms);
    const HWND frame = opened->frame.hwnd();
    send_and_wait(frame, WM_COMMAND, CMD_REPLACE);
    const Window bar = opened->frame.child(L"NimbolFindBar");
    const HWND find = GetDlgItem(bar.hwnd(), find_field_id);
    const HWND replacement = GetDlgItem(bar.hwnd(), replace_field_id);
    if (!find || !replacement) return problem("replace" + suffix + ": no find bar");
    send_and_wait(find, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"the"));
    send_and_wait(replacement, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"a"));
    const double start = now_ms();
    // Under Wine the control takes the old text out in time that grows with
    // the square of its size: hours at 5 MiB.
    constexpr UINT hours = 4 * 60 * 60 * 1000;
    const std::optional<LRESULT> done =
        send_and_wait(bar.hwnd(), WM_COMMAND, MAKEWPARAM(replace_all_id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(bar.hwnd(), replace_all_id)), hours);
    const bool painted = done && wait_until([&] { return !paint_pending(opened->frame); }, 30 * 60 * 1000, 1);
    const double ms = now_ms() - start;
    wchar_t label[64] = {};
    GetWindowTextW(GetDlgItem(bar.hwnd(), result_id), label, 64);
    if (!painted || std::wcsncmp(label, L"Replaced ", 9) != 0 || std::wcscmp(label, L"Replaced 0") == 0) {
      return problem("replace" + suffix + " did not replace (" + std::to_string(ms) + " ms)");
    }
    report(("replace" + suffix).c_str(), ms);
  }
}

int arg_or(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wcscmp(argv[i], name) == 0) return _wtoi(argv[i + 1]);
  }
  return fallback;
}

bool wanted(int argc, wchar_t** argv, const wchar_t* group) {
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--only") == 0) return i + 1 < argc && std::wcscmp(argv[i + 1], group) == 0;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  constexpr std::size_t mib = 1 << 20;
  if (wanted(argc, argv, L"start")) bench_start(arg_or(argc, argv, L"--start-rounds", 7));
  if (wanted(argc, argv, L"typing")) {
    bench_typing(arg_or(argc, argv, L"--key-rounds", 5), arg_or(argc, argv, L"--typing-mib", 50) * mib);
  }
  if (wanted(argc, argv, L"open")) {
    bench_open_and_save(arg_or(argc, argv, L"--open-rounds", 3), arg_or(argc, argv, L"--saves", 2),
                        arg_or(argc, argv, L"--open-mib", 100) * mib);
  }
  if (wanted(argc, argv, L"replace")) {
    const int rounds = arg_or(argc, argv, L"--replace-rounds", 1);
    bench_replace_all(rounds, 1);
    // Under Wine the larger size costs hours (the 1 MiB figure grows with the
    // square of the size), so it runs only when asked for.
    if (const int larger = arg_or(argc, argv, L"--replace-mib", 0); larger > 1) {
      bench_replace_all(rounds, static_cast<std::size_t>(larger));
    }
  }
  return 0;
}
