// The session store of one modified 10 MiB tab, with the system's data
// protection and under a password, beside the atomic write of the same
// number of bytes alone: how much of a store is the store's own work. It
// runs under Wine because the store is Windows code (DPAPI, the editor the
// text comes from, the file calls); the frame is a plain hidden window.
//
// Prints "sample <figure> <milliseconds>" lines for scripts/bench.sh.

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/utf.h"
#include "bench/sample_text.h"
#include "bench/win/bench_report.h"
#include "editor/tabs.h"
#include "model/app_state.h"
#include "store/protect.h"
#include "store/random.h"
#include "store/session_store.h"
#include "text/editor_text.h"

namespace {

using bench::now_ms;
using bench::report;

template <class F>
double timed(F&& run) {
  const double start = now_ms();
  run();
  return now_ms() - start;
}

HWND make_frame() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NimbolStoreBenchFrame";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

void mark_pending(std::size_t index) {
  auto state = app_state().borrow();
  state->tabs[index].dirty = true;
  state->tabs[index].store_pending = true;
}

// One protection: the store of the tab, and what it is made of alone (the
// text taken out of the editor, its protection, the atomic write of as
// many bytes), in turns, so that a busy machine slows all of them alike.
bool bench_protection(const char* name, HWND frame, const std::string& text, std::optional<SecureBuffer> key,
                      int rounds) {
  AppState state;
  state.frame = frame;
  state.store = open_store(key ? std::optional<SecureBuffer>(key->clone()) : std::nullopt);
  if (!state.store) return false;
  const std::string reference_path = state.store->dir + "\\reference.dat";
  app_state().emplace(std::move(state));
  const auto index = create_tab();
  if (!index) return false;
  HWND editor = app_state().borrow()->tabs[*index].editor;
  // The frame's layout would give the editor its place; at width 0 the
  // control would wrap after every character.
  MoveWindow(editor, 0, 0, 780, 560, FALSE);
  if (!set_editor_text(editor, text)) return false;
  const std::string stored = get_editor_text(editor);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
  for (int i = 0; i < rounds; ++i) {
    mark_pending(*index);
    bool ok = true;
    report(std::string("store.") + name, timed([&] { ok = store_session(); }));
    if (!ok) return false;
    report(std::string("text.") + name, timed([&] { ok = get_editor_text(editor).size() == stored.size(); }));
    report(std::string("protect.") + name, timed([&] { ok = ok && protect_data(bytes, key).has_value(); }));
    report(std::string("atomic.") + name,
           timed([&] { ok = ok && write_file_atomic(reference_path, bytes).has_value(); }));
    if (!ok) return false;
  }
  app_state().reset();
  DestroyWindow(editor);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? _wtoi(argv[1]) : 7;
  wchar_t temp[MAX_PATH]{};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring app_data = std::wstring(temp) + L"nimbol-store-bench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(app_data.c_str(), nullptr);
  SetEnvironmentVariableW(L"APPDATA", app_data.c_str());
  LoadLibraryExW(L"Msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  HWND frame = make_frame();

  const std::string text = bench::whole_lines((argc > 2 ? _wtoi(argv[2]) : 10) << 20);
  int status = 0;
  if (!bench_protection("dpapi", frame, text, std::nullopt, rounds)) status = 1;
  if (!bench_protection("password", frame, text, random_bytes(32), rounds)) status = 1;
  if (status) std::printf("problem the store failed\n");
  DestroyWindow(frame);
  return status;
}
