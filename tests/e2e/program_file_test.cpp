// nimbol.exe as users get it: one file they put anywhere, a Downloads
// folder included, beside whatever else lies there.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "e2e/driver.h"

namespace {

using namespace e2e;

std::wstring own_path() {
  wchar_t path[MAX_PATH]{};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring program_path() {
  const std::wstring own = own_path();
  return own.substr(0, own.find_last_of(L"\\/")) + L"\\" + wide(NIMBOL_EXE_NAME);
}

// The text a misused state cell reports in the test programs before it
// aborts.
constexpr char checked_cell_report[] = "while the state is borrowed";

TEST(ProgramFile, CarriesNoCheckThatWouldAbortIt) {
  const std::optional<std::string> tests = read_file(own_path());
  ASSERT_TRUE(tests.has_value());
  ASSERT_NE(tests->find(checked_cell_report), std::string::npos) << "the test programs are checked";
  const std::optional<std::string> program = read_file(program_path());
  ASSERT_TRUE(program.has_value());
  EXPECT_EQ(program->find(checked_cell_report), std::string::npos) << "the program holds the checked report";
}

// A copy of the program started in a folder of its own, with APPDATA
// inside it too; ended with the test.
class CopiedProgram {
 public:
  explicit CopiedProgram(const TempDir& folder) {
    const std::wstring exe = folder / L"nimbol.exe";
    EXPECT_TRUE(CopyFileW(program_path().c_str(), exe.c_str(), FALSE));
    const std::wstring app_data = folder / L"AppData";
    CreateDirectoryW(app_data.c_str(), nullptr);
    std::wstring environment;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
      if (_wcsnicmp(p, L"APPDATA=", 8) != 0) environment.append(p).push_back(L'\0');
    }
    FreeEnvironmentStringsW(strings);
    environment.append(L"APPDATA=" + app_data).append(2, L'\0');
    std::wstring command_line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    EXPECT_TRUE(CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                               environment.data(), folder.path().c_str(), &startup, &info));
    if (info.hThread) CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
  ~CopiedProgram() {
    if (!process_) return;
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
  }
  CopiedProgram(const CopiedProgram&) = delete;
  CopiedProgram& operator=(const CopiedProgram&) = delete;

  void command(WORD id) const { window(L"NimbolFrame").post(WM_COMMAND, id, 0); }
  std::optional<DWORD> wait_exit() const {
    if (WaitForSingleObject(process_, 15000) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

  // A shown top-level window of the process with that class, or null.
  Window window(const wchar_t* class_name) const {
    struct Search {
      DWORD id;
      const wchar_t* class_name;
      HWND found;
    } search{id_, class_name, nullptr};
    EnumWindows(
        [](HWND w, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD id = 0;
          GetWindowThreadProcessId(w, &id);
          if (id != s->id || !IsWindowVisible(w) || Window(w).class_name() != s->class_name) return TRUE;
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return Window(search.found);
  }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Opens a window of the program and waits for it, then closes it the way
// `close` says and waits until it is gone.
void open_and_close(const CopiedProgram& program, WORD command, const wchar_t* class_name,
                    const std::function<void(const Window&)>& close) {
  program.command(command);
  Window shown;
  ASSERT_TRUE(eventually([&] { return static_cast<bool>(shown = program.window(class_name)); })) << class_name;
  close(shown);
  EXPECT_TRUE(eventually([&] { return !program.window(class_name); })) << class_name;
}

TEST(ProgramFile, ALibraryLyingBesideItIsNotLoaded) {
  TempDir folder;
  // Every library the program uses that Windows does not always take from
  // its own folder, each as a file that is not a library at all: loading
  // one by its bare name would stop the start, or fail or crash the window
  // that needs it. Left out are the ones Wine's own libraries load from
  // beside the program whatever the program does, which Windows does not:
  // version.dll (user32) and msimg32.dll (the common controls' drawing).
  const wchar_t* const planted[] = {L"Msftedit.dll", L"comctl32.dll", L"dwmapi.dll",  L"uxtheme.dll",
                                    L"wtsapi32.dll", L"oleacc.dll",   L"crypt32.dll", L"bcrypt.dll",
                                    L"winhttp.dll",  L"winspool.drv", L"netapi32.dll"};
  for (const wchar_t* name : planted) write_file(folder / name, std::string(1024, 'x'));
  const CopiedProgram program(folder);
  Window frame;
  ASSERT_TRUE(eventually([&] { return static_cast<bool>(frame = program.window(L"NimbolFrame")); }));
  const Window editor = frame.child(L"RICHEDIT50W");
  EXPECT_TRUE(editor) << "the system's Rich Edit gives the tab its editor";
  EXPECT_EQ(frame.text(), L"Untitled - Nimbol");

  // The windows that bring in the common controls, the theme library and
  // the common dialogs.
  open_and_close(program, 128 /* Privacy Settings */, L"NimbolSettingsWnd",
                 [](const Window& settings) { settings.post(WM_CLOSE); });
  open_and_close(program, 121 /* Font */, L"#32770", [](const Window& dialog) { dialog.post(WM_COMMAND, IDCANCEL); });
  editor.post(WM_CHAR, 'x');
  ASSERT_TRUE(eventually([&] { return editor.send(WM_GETTEXTLENGTH) == 1; }));
  open_and_close(program, 104 /* Close Tab: save the change? */, L"NimbolMessageWnd", [](const Window& box) {
    Window cancel;
    ASSERT_TRUE(eventually([&] { return static_cast<bool>(cancel = box.child_with_text(L"Cancel")); }));
    cancel.post(BM_CLICK);
  });

  frame.post(WM_CLOSE);
  EXPECT_EQ(program.wait_exit(), 0u) << "ended normally";
}

}  // namespace
