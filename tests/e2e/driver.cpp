// The end-to-end driver: everything a test needs to use nimbol.exe from
// outside its process, as a user at the keyboard and mouse would.

#include <windows.h>

#include "e2e/driver.h"

#include <richedit.h>

#include <thread>

namespace e2e {

namespace {

// Class names are case-insensitive; Wine spells Rich Edit's differently.
bool same_class(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && _wcsnicmp(a.data(), b.data(), a.size()) == 0;
}

std::wstring module_folder() {
  wchar_t path[MAX_PATH]{};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring program_path(const std::wstring& program) {
  return module_folder() + L"\\" + (program.empty() ? wide(NIMBOL_EXE_NAME) : program);
}

std::wstring quote_argument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      out.append(backslashes * 2 + 1, L'\\');
    else
      out.append(backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

// The driver's own environment with APPDATA pointing elsewhere.
std::wstring environment_with_app_data(const std::wstring& app_data) {
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
    const std::wstring entry = p;
    if (_wcsnicmp(entry.c_str(), L"APPDATA=", 8) == 0) continue;
    block += entry;
    block.push_back(L'\0');
  }
  FreeEnvironmentStringsW(strings);
  block += L"APPDATA=" + app_data;
  block.push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
};

Process start_process(const std::vector<std::wstring>& args, const std::wstring& app_data,
                      const std::wstring& working_dir, const std::wstring& program = {}) {
  std::wstring command_line = quote_argument(program_path(program));
  for (const std::wstring& arg : args) command_line += L" " + quote_argument(arg);
  std::wstring environment = environment_with_app_data(app_data);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.data(), working_dir.empty() ? nullptr : working_dir.c_str(), &startup, &info)) {
    return {};
  }
  CloseHandle(info.hThread);
  // Lets the started program take the foreground when it asks for it.
  AllowSetForegroundWindow(info.dwProcessId);
  return {info.hProcess, info.dwProcessId};
}

void remove_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

void send_inputs(std::vector<INPUT>& inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT key_input(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

INPUT mouse_input(DWORD flags, POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return input;
}

// Whether the foreground window belongs to that process and its thread has
// given a window the keyboard focus.
bool owns_focus(DWORD process_id) {
  const HWND foreground = GetForegroundWindow();
  DWORD owner = 0;
  const DWORD thread = foreground ? GetWindowThreadProcessId(foreground, &owner) : 0;
  if (owner != process_id) return false;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr;
}

void collect_descendants(HWND parent, std::wstring_view class_name, std::vector<Window>& out) {
  struct Search {
    std::wstring_view class_name;
    std::vector<Window>* out;
  } search{class_name, &out};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        if (s->class_name.empty() || same_class(Window(child).class_name(), s->class_name)) {
          s->out->emplace_back(child);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
}

}  // namespace

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring wide(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool eventually(const std::function<bool()>& condition, Duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
}

// ---- files ----

TempDir::TempDir() {
  static unsigned counter = 0;
  wchar_t base[MAX_PATH]{};
  GetTempPathW(MAX_PATH, base);
  for (;;) {
    path_ = std::wstring(base) + L"nimbol-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
}

TempDir::~TempDir() { remove_tree(path_); }

std::wstring TempDir::operator/(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

void write_file(const std::wstring& path, std::string_view bytes) {
  // Create the parent folders the way a user's tools would have.
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::optional<std::string> read_file(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> list_folder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

// ---- windows ----

std::wstring Window::class_name() const {
  wchar_t name[256]{};
  if (hwnd_) GetClassNameW(hwnd_, name, 256);
  return name;
}

std::wstring Window::text() const {
  if (!hwnd_) return {};
  const LRESULT length = SendMessageW(hwnd_, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(hwnd_, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

bool Window::visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

RECT Window::window_rect() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return r;
}

SIZE Window::client_size() const {
  RECT r{};
  if (hwnd_) GetClientRect(hwnd_, &r);
  return {r.right - r.left, r.bottom - r.top};
}

Window Window::child(std::wstring_view class_name) const {
  std::vector<Window> found = children(class_name);
  return found.empty() ? Window() : found.front();
}

std::vector<Window> Window::children(std::wstring_view class_name) const {
  std::vector<Window> found;
  if (hwnd_) collect_descendants(hwnd_, class_name, found);
  return found;
}

std::vector<Window> Window::direct_children() const {
  std::vector<Window> found;
  for (HWND child = hwnd_ ? GetWindow(hwnd_, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
    found.emplace_back(child);
  }
  return found;
}

Window Window::child_with_text(std::wstring_view text) const {
  for (const Window& w : children({})) {
    if (w.text() == text) return w;
  }
  return {};
}

std::vector<std::wstring> Window::child_texts() const {
  std::vector<std::wstring> texts;
  for (const Window& w : children({})) texts.push_back(w.text());
  return texts;
}

LRESULT Window::send(UINT message, WPARAM wparam, LPARAM lparam) const {
  DWORD_PTR result = 0;
  if (hwnd_) SendMessageTimeoutW(hwnd_, message, wparam, lparam, SMTO_NORMAL, 10000, &result);
  return static_cast<LRESULT>(result);
}

void Window::post(UINT message, WPARAM wparam, LPARAM lparam) const {
  if (hwnd_) PostMessageW(hwnd_, message, wparam, lparam);
}

// ---- the program ----

App::App(StartOptions options) : home_(std::make_shared<TempDir>()) { launch(std::move(options)); }

App::App(const App& first_instance, StartOptions options) : home_(first_instance.home_) { launch(std::move(options)); }

void App::launch(StartOptions options) {
  // The pointer stays where the last test clicked. Under Wine a menu that
  // opens beneath a resting pointer takes it for a hover and opens the
  // submenu there, so every program starts with the pointer out of its way.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  app_data_ = home_->path() + L"\\AppData";
  CreateDirectoryW(app_data().c_str(), nullptr);
  CreateDirectoryW(work_folder().c_str(), nullptr);
  if (options.config) write_file(data_folder() + L"\\config.json", *options.config);
  if (options.update_check) {
    set_registry_string(update_key, L"UpdateCheck", *options.update_check);
  } else {
    delete_registry_value(update_key, L"UpdateCheck");
  }
  const std::wstring cwd = options.working_dir.empty() ? work_folder() : options.working_dir;
  const Process process = start_process(options.args, app_data(), cwd, options.program);
  process_ = process.handle;
  process_id_ = process.id;
  if (options.wait_for_frame) {
    // Start-up is over when the frame is shown, or when it stopped to ask
    // or tell the user something first.
    eventually([&] {
      const std::vector<Window> frames = top_level_windows(L"NimbolFrame");
      return (!frames.empty() && frames.front().visible()) || !top_level_windows(L"NimbolMessageWnd").empty() ||
             !top_level_windows(L"NimbolPasswordWnd").empty();
    });
    // The frame is shown before it takes the foreground and the focus;
    // keys sent before that would go elsewhere.
    eventually([&] { return owns_focus(process_id_); }, 5s);
  }
}

App::~App() {
  if (!process_) return;
  if (running()) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

const std::wstring& App::app_data() const { return app_data_; }

std::wstring App::data_folder() const { return app_data() + L"\\Nimbol"; }
std::wstring App::work_folder() const { return home_->path() + L"\\work"; }

std::vector<Window> App::top_level_windows(std::wstring_view class_name) const {
  struct Search {
    DWORD pid;
    std::wstring_view class_name;
    std::vector<Window> found;
  } search{process_id_, class_name, {}};
  EnumWindows(
      [](HWND window, LPARAM lparam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lparam);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == s->pid && (s->class_name.empty() || same_class(Window(window).class_name(), s->class_name))) {
          s->found.emplace_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Window App::wait_for_window(std::wstring_view class_name, Duration timeout) const {
  Window found;
  eventually(
      [&] {
        // A window is shown once its controls exist.
        for (const Window& window : top_level_windows(class_name)) {
          if (!window.visible()) continue;
          found = window;
          return true;
        }
        return false;
      },
      timeout);
  return found;
}

Window App::frame() const { return wait_for_window(L"NimbolFrame"); }

Window App::active_editor() const {
  for (const Window& editor : editors()) {
    if (editor.visible()) return editor;
  }
  return {};
}

void App::command(WORD id) const { frame().post(WM_COMMAND, id, 0); }

void App::choose(const Window& dialog, std::wstring_view button) const {
  Window target;
  eventually([&] { return static_cast<bool>(target = dialog.child_with_text(button)); });
  target.post(BM_CLICK);
}

void App::close() const { frame().post(WM_CLOSE); }

void App::bring_to_front() const {
  const Window f = frame();
  if (GetForegroundWindow() == f.hwnd()) return;
  SetForegroundWindow(f.hwnd());
  eventually([&] { return GetForegroundWindow() == f.hwnd(); }, 2s);
}

void App::switch_back() const {
  bring_to_front();
  // Wine gives the window the foreground again without the WM_ACTIVATE that
  // Windows sends when a user switches back to a program, so the driver
  // delivers that message itself.
  frame().post(WM_ACTIVATE, WA_ACTIVE, 0);
  static_cast<void>(sync());
}

void App::press(WORD virtual_key, unsigned modifiers) const {
  bring_to_front();
  std::vector<INPUT> inputs;
  if (modifiers & ctrl) inputs.push_back(key_input(VK_CONTROL, false));
  if (modifiers & shift) inputs.push_back(key_input(VK_SHIFT, false));
  if (modifiers & alt) inputs.push_back(key_input(VK_MENU, false));
  inputs.push_back(key_input(virtual_key, false));
  inputs.push_back(key_input(virtual_key, true));
  if (modifiers & alt) inputs.push_back(key_input(VK_MENU, true));
  if (modifiers & shift) inputs.push_back(key_input(VK_SHIFT, true));
  if (modifiers & ctrl) inputs.push_back(key_input(VK_CONTROL, true));
  send_inputs(inputs);
}

void App::type(std::wstring_view text) const {
  bring_to_front();
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    if (c == L'\r' || c == L'\n') {
      inputs.push_back(key_input(VK_RETURN, false));
      inputs.push_back(key_input(VK_RETURN, true));
      continue;
    }
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wScan = c;
    down.ki.dwFlags = KEYEVENTF_UNICODE;
    INPUT up = down;
    up.ki.dwFlags |= KEYEVENTF_KEYUP;
    inputs.push_back(down);
    inputs.push_back(up);
  }
  send_inputs(inputs);
}

void App::click(const Window& window, POINT point, bool middle, bool twice) const {
  bring_to_front();
  ClientToScreen(window.hwnd(), &point);
  const DWORD down = middle ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = middle ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_LEFTUP;
  std::vector<INPUT> inputs = {mouse_input(0, point), mouse_input(down, point), mouse_input(up, point)};
  if (twice) {
    inputs.push_back(mouse_input(down, point));
    inputs.push_back(mouse_input(up, point));
  }
  send_inputs(inputs);
}

void App::drag(const Window& window, POINT from, POINT to) const {
  bring_to_front();
  ClientToScreen(window.hwnd(), &from);
  ClientToScreen(window.hwnd(), &to);
  // Input is handled in the order it was sent, so the whole drag goes at once.
  std::vector<INPUT> inputs = {mouse_input(0, from), mouse_input(MOUSEEVENTF_LEFTDOWN, from)};
  constexpr int steps = 8;
  for (int i = 1; i <= steps; ++i) {
    inputs.push_back(mouse_input(0, {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps}));
  }
  inputs.push_back(mouse_input(MOUSEEVENTF_LEFTUP, to));
  send_inputs(inputs);
}

std::wstring App::editor_text(const Window& editor) const {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id_);
  if (!process) return {};
  std::wstring text;
  const SIZE_T header = 64;
  const SIZE_T capacity = 1 << 22;  // 4 Mi characters is plenty for a test document
  auto* remote = static_cast<std::uint8_t*>(
      VirtualAllocEx(process, nullptr, header + capacity * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    GETTEXTLENGTHEX length_query{GTL_PRECISE | GTL_NUMCHARS, 1200};
    WriteProcessMemory(process, remote, &length_query, sizeof length_query, nullptr);
    const LRESULT length = editor.send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(remote), 0);
    const SIZE_T n = length < 0 ? 0 : std::min<SIZE_T>(static_cast<SIZE_T>(length), capacity - 1);
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>((n + 1) * sizeof(wchar_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;
    WriteProcessMemory(process, remote, &query, sizeof query, nullptr);
    const LRESULT got =
        editor.send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(remote), reinterpret_cast<LPARAM>(remote + header));
    text.resize(got < 0 ? 0 : std::min<SIZE_T>(static_cast<SIZE_T>(got), n));
    ReadProcessMemory(process, remote + header, text.data(), text.size() * sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

bool App::sync() const {
  for (int round = 0; round < 2; ++round) {
    const std::vector<Window> all = editors();
    if (all.empty()) return false;
    const Window& editor = all.front();
    const LRESULT limit = editor.send(EM_GETLIMITTEXT);
    if (limit <= 1) return false;
    // The mark differs from the program's own limit in the lowest bit only;
    // nothing the program does depends on that while it lasts.
    const LRESULT mark = limit ^ 1;
    editor.post(EM_EXLIMITTEXT, 0, mark);
    const bool seen = eventually([&] { return editor.send(EM_GETLIMITTEXT) == mark; });
    editor.send(EM_EXLIMITTEXT, 0, limit);
    if (!seen) return false;
  }
  return true;
}

void App::kill() const {
  if (!process_) return;
  TerminateProcess(process_, 0xDEAD);
  WaitForSingleObject(process_, 10000);
}

bool App::running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> App::wait_exit(Duration timeout) const {
  if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

OtherProgram::OtherProgram() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NimbolTestOtherProgram";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassExW(&wc);
  window_ = CreateWindowExW(0, wc.lpszClassName, L"Another program", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                            nullptr, wc.hInstance, nullptr);
}

OtherProgram::~OtherProgram() {
  if (window_) DestroyWindow(window_);
}

void OtherProgram::activate() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  // Our own window needs its messages handled to become active.
  eventually(
      [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return GetForegroundWindow() == window_;
      },
      3s);
}

std::optional<DWORD> run_to_exit(const std::vector<std::wstring>& args, const std::wstring& app_data,
                                 Duration timeout) {
  const Process process = start_process(args, app_data, {});
  if (!process.handle) return std::nullopt;
  std::optional<DWORD> code;
  if (WaitForSingleObject(process.handle, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0) {
    DWORD value = 0;
    GetExitCodeProcess(process.handle, &value);
    code = value;
  } else {
    TerminateProcess(process.handle, 0xDEAD);
  }
  CloseHandle(process.handle);
  return code;
}

// ---- registry ----

void set_registry_dword(std::wstring_view key, std::wstring_view value, DWORD data) {
  RegSetKeyValueW(HKEY_CURRENT_USER, std::wstring(key).c_str(), std::wstring(value).c_str(), REG_DWORD, &data,
                  sizeof data);
}

std::optional<DWORD> registry_dword(std::wstring_view key, std::wstring_view value) {
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CURRENT_USER, std::wstring(key).c_str(), std::wstring(value).c_str(), RRF_RT_REG_DWORD, nullptr,
                   &data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return data;
}

void delete_registry_value(std::wstring_view key, std::wstring_view value) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, std::wstring(key).c_str(), std::wstring(value).c_str());
}

void set_registry_string(std::wstring_view key, std::wstring_view value, std::wstring_view data) {
  const std::wstring text(data);
  RegSetKeyValueW(HKEY_CURRENT_USER, std::wstring(key).c_str(), std::wstring(value).c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> registry_string(std::wstring_view key, std::wstring_view value) {
  wchar_t data[512]{};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CURRENT_USER, std::wstring(key).c_str(), std::wstring(value).c_str(), RRF_RT_REG_SZ, nullptr,
                   data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(data);
}

}  // namespace e2e
