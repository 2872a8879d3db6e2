// The helpers every Win32-layer test leans on, in one place so that they
// behave the same everywhere: above all the reset of the GUI thread between
// tests, since the veil, the theme and the application state belong to the
// thread and would otherwise carry one test's leftovers into the next.

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "support.h"

#include <algorithm>
#include <utility>

#include "app/frame.h"
#include "base/utf.h"
#include "editor/tabs.h"
#include "model/find_bar_state.h"
#include "model/suppress_change.h"
#include "model/veil_state.h"
#include "privacy/veil_layout.h"
#include "text/editor_text.h"
#include "ui/message_box.h"
#include "ui/password_prompt.h"
#include "ui/theme.h"
#include "ui/window_classes.h"
#include "ui/window_slots.h"

namespace wintest {

// ---- bytes and files ----

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

Bytes bytes_of(const SecureBuffer& buffer) { return {buffer.span().begin(), buffer.span().end()}; }

bool contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

std::string temp_path() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  return to_utf8(std::wstring_view(buffer, length));
}

namespace {

template <class Out>
std::optional<Out> read_into(const std::string& path) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  Out out;
  typename Out::value_type chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) out.insert(out.end(), chunk, chunk + got);
  CloseHandle(file);
  return out;
}

}  // namespace

std::optional<std::string> read_file(const std::string& path) { return read_into<std::string>(path); }

std::optional<Bytes> read_file_bytes(const std::string& path) { return read_into<Bytes>(path); }

void write_file(const std::string& path, std::span<const std::uint8_t> bytes) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(wrote) << path;
}

void write_file(const std::string& path, std::string_view bytes) {
  write_file(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool path_exists(const std::string& path) {
  return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

struct Entry {
  std::string name;
  bool folder;
};

std::vector<Entry> entries_in(const std::string& folder) {
  std::vector<Entry> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(to_wide(folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({to_utf8(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

void collect_files(const std::string& folder, std::vector<std::string>& out) {
  for (const Entry& entry : entries_in(folder)) {
    const std::string path = folder + "\\" + entry.name;
    if (entry.folder) {
      collect_files(path, out);
    } else {
      out.push_back(path);
    }
  }
}

}  // namespace

std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> names;
  for (Entry& entry : entries_in(folder)) names.push_back(std::move(entry.name));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> files_under(const std::string& folder) {
  std::vector<std::string> files;
  collect_files(folder, files);
  return files;
}

void remove_tree(const std::string& folder) {
  for (const Entry& entry : entries_in(folder)) {
    const std::string path = folder + "\\" + entry.name;
    SetFileAttributesW(to_wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (entry.folder) {
      remove_tree(path);
    } else {
      DeleteFileW(to_wide(path).c_str());
    }
  }
  RemoveDirectoryW(to_wide(folder).c_str());
}

TempFolder::TempFolder(std::string_view tag) {
  // The tick alone can repeat between two quick tests; the count cannot.
  static unsigned made = 0;
  path_ = temp_path() + "nimbol-" + std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(GetTickCount64()) + "-" + std::to_string(++made);
  remove_tree(path_);
  EXPECT_TRUE(CreateDirectoryW(to_wide(path_).c_str(), nullptr)) << path_;
}

TempFolder::~TempFolder() { remove_tree(path_); }

// ---- the GUI thread ----

namespace {

std::optional<std::wstring> environment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

BOOL CALLBACK collect_ours(HWND window, LPARAM param) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring_view(name).starts_with(L"Nimbol")) reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

// Only windows of our classes: the system keeps hidden windows of its own
// on the thread (COM, the input method) that must live on.
void destroy_our_windows() {
  std::vector<HWND> ours;
  EnumThreadWindows(GetCurrentThreadId(), collect_ours, reinterpret_cast<LPARAM>(&ours));
  for (HWND window : ours) {
    if (IsWindow(window)) DestroyWindow(window);
  }
}

// What is still posted goes where it was meant to go, except a quit, which
// would end the next test's first modal loop.
void drain_queue() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
}

}  // namespace

void reset_gui_thread() {
  // Without the state the frame procedure is DefWindowProcW, so destroying
  // a frame below neither stores nor posts a quit.
  if (app_state().borrowed()) {
    ADD_FAILURE() << "the application state is still borrowed";
  } else if (app_state().exists()) {
    app_state().reset();
  }
  destroy_our_windows();
  drain_queue();
  veil_state() = VeilState{};
  find_bar_state() = FindBarState{};
  // The real frame's layout and title, whatever window a test uses as frame.
  install_frame_hooks();
  store_veil_layout(VeilLayout{});
  window_slots() = WindowSlots{};
  set_theme_choice(Theme::System);
  if (is_dark()) set_dark_mode(false);
  EXPECT_FALSE(change_suppressed()) << "editor changes are still suppressed";
}

void GuiThreadTest::SetUp() {
  // Rich Edit registers its class when loaded; the editors need it.
  static const bool rich_edit_loaded = LoadLibraryW(L"Msftedit.dll") != nullptr;
  ASSERT_TRUE(rich_edit_loaded);
  saved_appdata_ = environment(L"APPDATA");
  reset_gui_thread();
}

void GuiThreadTest::TearDown() {
  reset_gui_thread();
  SetEnvironmentVariableW(L"APPDATA", saved_appdata_ ? saved_appdata_->c_str() : nullptr);
}

void DataFolderTest::SetUp() {
  GuiThreadTest::SetUp();
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", to_wide(root_ + "\\AppData").c_str()));
}

void install_app_state(AppState state) {
  if (app_state().exists()) app_state().reset();
  app_state().emplace(std::move(state));
}

std::size_t add_text_tab(std::string_view text, bool dirty, bool pending, std::optional<std::string> path) {
  // A tab that cannot be made ends the test here, with the system's reason.
  const std::size_t index = create_tab().value();
  HWND editor = app_state().borrow()->tabs[index].editor;
  EXPECT_TRUE(set_editor_text(editor, text).has_value());
  auto state = app_state().borrow();
  Tab& tab = state->tabs[index];
  tab.dirty = dirty;
  tab.store_pending = pending;
  tab.path = std::move(path);
  return index;
}

HWND create_test_window(const wchar_t* class_name, WNDPROC procedure, DWORD style, Placement place) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = class_name;
  // Registering a class that exists fails harmlessly.
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, class_name, L"frame", style, place.x, place.y, place.width, place.height, nullptr,
                                nullptr, wc.hInstance, nullptr);
  EXPECT_NE(window, nullptr) << to_utf8(class_name);
  return window;
}

HWND create_frame(Placement place) {
  register_window_class({FRAME_CLASS, 0, frame_proc, true, true});
  HWND frame = CreateWindowExW(0, FRAME_CLASS, L"Nimbol", WS_OVERLAPPEDWINDOW, place.x, place.y, place.width,
                               place.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_NE(frame, nullptr);
  return frame;
}

namespace {

struct PartialStream {
  EDITSTREAM outer;
  std::size_t left;
};

DWORD CALLBACK read_part(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  auto& part = *reinterpret_cast<PartialStream*>(cookie);
  const DWORD error = part.outer.pfnCallback(part.outer.dwCookie, buffer, size, written);
  const auto units = std::min<std::size_t>(static_cast<std::size_t>(*written) / sizeof(wchar_t), part.left);
  part.left -= units;
  *written = static_cast<LONG>(units * sizeof(wchar_t));
  return error;
}

}  // namespace

LRESULT CALLBACK takes_only_part(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR keep) {
  if (message == EM_STREAMIN && lparam != 0) {
    auto* outer = reinterpret_cast<EDITSTREAM*>(lparam);
    PartialStream part{*outer, keep};
    EDITSTREAM inner{reinterpret_cast<DWORD_PTR>(&part), 0, read_part};
    const LRESULT result = DefSubclassProc(window, message, wparam, reinterpret_cast<LPARAM>(&inner));
    outer->dwError = inner.dwError;
    return result;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

// ---- the program's modal windows ----

HWND find_thread_window(const wchar_t* class_name) {
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

std::wstring text_of(HWND window, int id) {
  wchar_t buffer[512] = {};
  GetWindowTextW(GetDlgItem(window, id), buffer, 512);
  return buffer;
}

std::string window_text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return to_utf8(text);
}

SeenWindow look_at(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return {window, title, GetWindow(window, GW_OWNER), child_texts(window)};
}

bool shows(const SeenWindow& seen, std::string_view text) {
  return std::find(seen.texts.begin(), seen.texts.end(), to_wide(text)) != seen.texts.end();
}

bool any_shows(const std::vector<SeenWindow>& seen, std::string_view text) {
  return std::any_of(seen.begin(), seen.end(), [&](const SeenWindow& window) { return shows(window, text); });
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

void click_button(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  ASSERT_NE(control, nullptr) << id;
  PostMessageW(control, BM_CLICK, 0, 0);
}

void click_named(HWND window, std::wstring_view text) {
  if (HWND button = child_with_text(window, text)) {
    PostMessageW(button, BM_CLICK, 0, 0);
    return;
  }
  ADD_FAILURE() << "no button " << to_utf8(text);
  DestroyWindow(window);
}

void mouse_click(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  ASSERT_NE(control, nullptr) << id;
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

Script::Script(std::vector<Step> in_order) : steps(std::move(in_order)) {}

Script::Script(const wchar_t* class_name, std::vector<std::function<void(HWND)>> acts) {
  for (auto& act : acts) steps.push_back({class_name, std::move(act)});
}

Script answer_every(const wchar_t* class_name, std::function<void(HWND)> act) {
  Script script;
  script.every = Step{class_name, std::move(act)};
  return script;
}

namespace {

constexpr UINT tick_ms = 15;
// Seconds of a window open with nothing to do for it.
constexpr int give_up_ticks = 5000 / tick_ms;

Script* running_script = nullptr;

void record(Script& script, HWND window) {
  if (!window || (!script.dialogs.empty() && script.dialogs.back().window == window)) return;
  script.dialogs.push_back(look_at(window));
}

void CALLBACK script_tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!running_script) return;
  Script& s = *running_script;
  const HWND open[] = {find_thread_window(PASSWORD_PROMPT_CLASS), find_thread_window(MESSAGE_BOX_CLASS),
                       find_thread_window(SYSTEM_DIALOG_CLASS)};
  for (HWND window : open) record(s, window);
  if (s.next < s.steps.size()) {
    const Step& step = s.steps[s.next];
    if (HWND window = find_thread_window(step.class_name)) {
      ++s.next;
      s.idle_ticks = 0;
      step.act(window);
      return;
    }
  } else if (s.every) {
    HWND window = find_thread_window(s.every->class_name);
    if (window && window != s.answered) {
      s.answered = window;
      s.idle_ticks = 0;
      s.every->act(window);
      return;
    }
  }
  const auto stuck = std::find_if(std::begin(open), std::end(open), [](HWND window) { return window != nullptr; });
  if (stuck != std::end(open) && ++s.idle_ticks > give_up_ticks) {
    ADD_FAILURE() << "a dialog stayed open that the script did not expect: " << window_text(*stuck);
    s.idle_ticks = 0;
    DestroyWindow(*stuck);
  }
}

}  // namespace

ScriptRun::ScriptRun(Script& script) : script_(&script) {
  EXPECT_EQ(running_script, nullptr) << "one script at a time";
  running_script = script_;
  timer_ = SetTimer(nullptr, 0, tick_ms, script_tick);
  EXPECT_NE(timer_, 0u);
}

ScriptRun::~ScriptRun() {
  if (timer_) KillTimer(nullptr, timer_);
  if (running_script == script_) running_script = nullptr;
}

void ScriptRun::finish() {
  if (timer_) KillTimer(nullptr, std::exchange(timer_, 0));
  if (running_script == script_) running_script = nullptr;
  EXPECT_EQ(script_->next, script_->steps.size()) << "not every step ran";
}

}  // namespace wintest
