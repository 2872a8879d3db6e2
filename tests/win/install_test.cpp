// Installing and uninstalling for real, on folders the test chooses: Wine
// (8.0) cannot resolve the user's program-files folder, so the tests stand
// in for it (and for the Start menu folder) with temporary folders, while
// the uninstall entry goes to the real key in the test's own Wine prefix.
// What the operations leave is read back with plain Win32 calls: the file's
// bytes, the shortcut through the shell's link object, the registry values
// with their types.

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/file_io.h"
#include "base/utf.h"
#include "install/install_flows.h"
#include "install/installer.h"
#include "model/maker_site.h"
#include "support.h"
#include "ui/message_box.h"

namespace {

using namespace wintest;

const std::wstring uninstall_key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvex.Nimbol";
const std::wstring program_key = L"Software\\Quorvex\\nimbol";

bool key_exists(const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

struct StoredValue {
  DWORD type = REG_NONE;
  std::vector<std::uint8_t> bytes;
};

std::optional<StoredValue> stored_value(const std::wstring& name) {
  StoredValue value;
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, uninstall_key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                   nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.bytes.resize(size);
  if (RegGetValueW(HKEY_CURRENT_USER, uninstall_key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                   value.bytes.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.bytes.resize(size);
  return value;
}

// A string as REG_SZ stores it: UTF-16 with its terminating zero.
std::vector<std::uint8_t> sz_bytes(const std::string& text) {
  const std::wstring wide = to_wide(text);
  const auto* p = reinterpret_cast<const std::uint8_t*>(wide.c_str());
  return {p, p + (wide.size() + 1) * sizeof(wchar_t)};
}

std::vector<std::uint8_t> dword_bytes(DWORD number) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&number);
  return {p, p + sizeof number};
}

// What the shell reads back from a shortcut file.
struct Link {
  std::wstring target, folder, description, icon;
  int icon_index = -1;
};

std::optional<Link> read_link(const std::string& path) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::optional<Link> out;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(to_wide(path).c_str(), STGM_READ))) {
    wchar_t text[MAX_PATH]{};
    Link got;
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) got.target = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) got.folder = text;
    if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) got.description = text;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &got.icon_index))) got.icon = text;
    out = got;
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return out;
}

std::optional<BY_HANDLE_FILE_INFORMATION> identity(const std::string& path) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return info;
}

// The folder and those above it.
void make_folders(const std::string& path) {
  const int result = SHCreateDirectoryExW(nullptr, to_wide(path).c_str(), nullptr);
  ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS) << path;
}

bool same_file(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

class Install : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    RegDeleteTreeW(HKEY_CURRENT_USER, uninstall_key.c_str());
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, uninstall_key.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, program_key.c_str());
    DataFolderTest::TearDown();
  }

  TempFolder folders_{"install"};
  const InstallPaths paths_ = install_paths_in(folders_.file("Programs"), folders_.file("Start Menu\\Programs"));
  const std::string own_ = own_program_path();
  PathsSource source() const {
    return [paths = paths_](bool) -> Result<InstallPaths> { return paths; };
  }
};

TEST_F(Install, CopiesTheProgramAndWritesTheShortcutAndEveryValueWithItsType) {
  const Result<std::string> installed = install_to(paths_, own_);
  ASSERT_TRUE(installed.has_value()) << installed.error();
  EXPECT_EQ(*installed, paths_.program_file);
  EXPECT_EQ(paths_.program_file, folders_.file("Programs\\Nimbol\\nimbol.exe"));

  const std::optional<Bytes> program = read_file_bytes(paths_.program_file);
  ASSERT_TRUE(program.has_value());
  EXPECT_TRUE(*program == read_file_bytes(own_)) << "byte for byte the running program";

  const std::optional<Link> link = read_link(paths_.shortcut);
  ASSERT_TRUE(link.has_value()) << "a shortcut the shell can load";
  EXPECT_EQ(link->target, to_wide(paths_.program_file));
  EXPECT_EQ(link->folder, to_wide(paths_.program_folder));
  EXPECT_EQ(link->description, L"Nimbol");
  EXPECT_EQ(link->icon, to_wide(paths_.program_file));
  EXPECT_EQ(link->icon_index, 0);

  const std::string file = paths_.program_file;
  const DWORD kib = static_cast<DWORD>((program->size() + 1023) / 1024);
  const std::vector<std::pair<std::wstring, StoredValue>> expected = {
      {L"DisplayName", {REG_SZ, sz_bytes("Nimbol")}},
      {L"DisplayVersion", {REG_SZ, sz_bytes("2027.0.0")}},
      {L"Publisher", {REG_SZ, sz_bytes("Quorvex")}},
      {L"DisplayIcon", {REG_SZ, sz_bytes(file + ",0")}},
      {L"InstallLocation", {REG_SZ, sz_bytes(paths_.program_folder)}},
      {L"UninstallString", {REG_SZ, sz_bytes("\"" + file + "\" --uninstall")}},
      {L"QuietUninstallString", {REG_SZ, sz_bytes("\"" + file + "\" --uninstall --quiet")}},
      {L"URLInfoAbout", {REG_SZ, sz_bytes(std::string(HOMEPAGE_URL))}},
      {L"EstimatedSize", {REG_DWORD, dword_bytes(kib)}},
      {L"NoModify", {REG_DWORD, dword_bytes(1)}},
      {L"NoRepair", {REG_DWORD, dword_bytes(1)}},
  };
  for (const auto& [name, want] : expected) {
    const std::optional<StoredValue> got = stored_value(name);
    ASSERT_TRUE(got.has_value()) << to_utf8(name);
    EXPECT_EQ(got->type, want.type) << to_utf8(name);
    EXPECT_EQ(got->bytes, want.bytes) << to_utf8(name);
  }
}

TEST_F(Install, FromTheInstalledCopyOnlyTheShortcutAndTheValuesAreWrittenAgain) {
  ASSERT_TRUE(install_to(paths_, own_).has_value());
  // A program file that is not this program: a copy made now would show.
  const std::string marker(3000, 'm');
  write_file(paths_.program_file, marker);
  ASSERT_EQ(DeleteFileW(to_wide(paths_.shortcut).c_str()), TRUE);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, uninstall_key.c_str(), L"DisplayName");

  const Result<std::string> again = install_to(paths_, paths_.program_file);
  ASSERT_TRUE(again.has_value()) << again.error();
  EXPECT_EQ(read_file(paths_.program_file), marker) << "the installed file was not replaced";
  EXPECT_TRUE(read_link(paths_.shortcut).has_value());
  EXPECT_TRUE(stored_value(L"DisplayName").has_value());
  EXPECT_EQ(stored_value(L"EstimatedSize")->bytes, dword_bytes(3)) << "3000 bytes are 3 KiB, rounded up";
}

TEST_F(Install, ARunningInstalledCopyIsRenamedAndTheNextStartDeletesIt) {
  make_folders(paths_.program_folder);
  ASSERT_TRUE(CopyFileW(to_wide(own_).c_str(), to_wide(paths_.program_file).c_str(), FALSE));
  const std::optional<BY_HANDLE_FILE_INFORMATION> old_file = identity(paths_.program_file);
  ASSERT_TRUE(old_file.has_value());

  // Started and held before its first instruction: its image is mapped,
  // which is what keeps a running program file from being deleted.
  std::wstring command = L"\"" + to_wide(paths_.program_file) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION running{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                             &startup, &running));

  const Result<std::string> installed = install_to(paths_, own_);
  TerminateProcess(running.hProcess, 0);
  WaitForSingleObject(running.hProcess, 10000);
  CloseHandle(running.hThread);
  CloseHandle(running.hProcess);

  ASSERT_TRUE(installed.has_value()) << installed.error();
  const std::optional<BY_HANDLE_FILE_INFORMATION> set_aside = identity(paths_.previous_copy);
  ASSERT_TRUE(set_aside.has_value()) << "nimbol.exe.old";
  EXPECT_TRUE(same_file(*set_aside, *old_file)) << "the running file was renamed, not copied";
  EXPECT_FALSE(same_file(*identity(paths_.program_file), *old_file)) << "a new program file took its place";

  delete_previous_copy(source());
  EXPECT_FALSE(path_exists(paths_.previous_copy));
  EXPECT_TRUE(path_exists(paths_.program_file));
}

TEST_F(Install, EachFailingStepSaysWhichOneFailed) {
  struct Case {
    const char* what;
    std::function<void(const InstallPaths&)> arrange;
    const char* message_start;
  };
  const Case cases[] = {
      {"a file where the program folder goes",
       [this](const InstallPaths& p) {
         make_folders(folders_.file("Programs"));
         write_file(p.program_folder, "x");
       },
       "The program folder could not be created: "},
      {"a start menu folder that is a file",
       [this](const InstallPaths& p) {
         write_file(folders_.file("Start Menu"), "x");
         (void)p;
       },
       "The Start menu entry could not be created: "},
  };
  for (const Case& c : cases) {
    c.arrange(paths_);
    const Result<std::string> installed = install_to(paths_, own_);
    ASSERT_FALSE(installed.has_value()) << c.what;
    EXPECT_TRUE(installed.error().starts_with(c.message_start)) << c.what << ": " << installed.error();
    EXPECT_GT(installed.error().size(), std::string(c.message_start).size()) << c.what << ": the system's reason";
    DeleteFileW(to_wide(paths_.program_folder).c_str());
  }

  // Held open without sharing: neither deleted nor renamed.
  make_folders(paths_.program_folder);
  write_file(paths_.program_file, "old");
  HANDLE held = CreateFileW(to_wide(paths_.program_file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Result<std::string> in_use = install_to(paths_, own_);
  CloseHandle(held);
  ASSERT_FALSE(in_use.has_value());
  EXPECT_TRUE(in_use.error().starts_with("The installed copy is in use: ")) << in_use.error();
  EXPECT_EQ(read_file(paths_.program_file), "old");
}

TEST_F(Install, UninstallRemovesTheInstallationAndTheDataOnlyWhenAsked) {
  struct Case {
    const char* what;
    bool quiet;
    const wchar_t* answer;  // the button chosen at the question
    bool data_removed;
  };
  const Case cases[] = {
      {"keep them", false, L"Keep Them", false},
      {"remove them", false, L"Remove Them", true},
      {"quiet", true, nullptr, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(install_to(paths_, own_).has_value()) << c.what;
    make_folders(data_dir_);
    write_file(data_dir_ + "\\config.json", "{}");
    RegSetKeyValueW(HKEY_CURRENT_USER, program_key.c_str(), L"UpdateCheck", REG_SZ, L"on", 6);

    Script script;
    if (c.answer) {
      const std::wstring answer = c.answer;
      script = Script{MESSAGE_BOX_CLASS,
                      {[answer](HWND w) { click_named(w, answer); }, [](HWND w) { click_named(w, L"OK"); }}};
    }
    const int code = with_script(script, [&] { return run_uninstall_switch(c.quiet, source()); });
    EXPECT_EQ(code, 0) << c.what;
    if (c.answer) {
      ASSERT_EQ(script.dialogs.size(), 2u) << c.what;
      EXPECT_TRUE(shows(script.dialogs[0],
                        "Also remove Nimbol's settings and its saved tabs?\n\nText in tabs that was "
                        "never saved as a file is lost if you remove them."))
          << c.what;
      EXPECT_TRUE(shows(script.dialogs[1], "Nimbol is uninstalled.")) << c.what;
    } else {
      EXPECT_TRUE(script.dialogs.empty()) << c.what;
    }
    EXPECT_FALSE(path_exists(paths_.program_file)) << c.what;
    EXPECT_FALSE(path_exists(paths_.shortcut)) << c.what;
    EXPECT_FALSE(path_exists(paths_.program_folder)) << c.what << ": the emptied folder";
    EXPECT_FALSE(key_exists(uninstall_key)) << c.what;
    EXPECT_EQ(path_exists(data_dir_ + "\\config.json"), !c.data_removed) << c.what;
    EXPECT_EQ(path_exists(data_dir_), !c.data_removed) << c.what;
    EXPECT_EQ(key_exists(program_key), !c.data_removed) << c.what;
  }
}

// ---- failures in the middle, played through the file-call hooks ----

class HooksInstalled {
 public:
  explicit HooksInstalled(const FileCallHooks& hooks) { set_file_call_hooks(hooks); }
  ~HooksInstalled() { set_file_call_hooks({}); }
  HooksInstalled(const HooksInstalled&) = delete;
  HooksInstalled& operator=(const HooksInstalled&) = delete;
};

int copy_disk_full(const wchar_t*, const wchar_t*) {
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

// Moves as the system makes them, except where a test says otherwise.
std::function<DWORD(std::wstring_view from, std::wstring_view to)> refuse_move;
int move_unless_refused(const wchar_t* from, const wchar_t* to) {
  if (const DWORD error = refuse_move ? refuse_move(from, to) : 0; error != 0) {
    SetLastError(error);
    return FALSE;
  }
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// Updating an installed copy never leaves the folder without one: a copy
// that fails on the way leaves the old program file as it was.
TEST_F(Install, AFailedCopyLeavesTheInstalledCopyAsItWas) {
  struct Case {
    const char* what;
    FileCallHooks hooks;
    std::function<DWORD(std::wstring_view, std::wstring_view)> refuse;
  };
  const Case cases[] = {
      {"the copy fails", {.copy = copy_disk_full}, nullptr},
      {"the complete copy cannot take the program's name",
       {.move = move_unless_refused},
       [](std::wstring_view from, std::wstring_view) -> DWORD {
         return from.ends_with(L"nimbol.exe.new") ? ERROR_ACCESS_DENIED : 0;
       }},
  };
  for (const Case& c : cases) {
    make_folders(paths_.program_folder);
    write_file(paths_.program_file, "the installed copy");
    refuse_move = c.refuse;
    Result<std::string> installed;
    {
      const HooksInstalled hooks(c.hooks);
      installed = install_to(paths_, own_);
    }
    refuse_move = nullptr;
    ASSERT_FALSE(installed.has_value()) << c.what;
    EXPECT_TRUE(installed.error().starts_with("Nimbol could not be copied: ")) << c.what << ": " << installed.error();
    EXPECT_TRUE(installed.error().ends_with("\n\nThe installed copy was left as it was.")) << installed.error();
    EXPECT_EQ(read_file(paths_.program_file), "the installed copy") << c.what;
    EXPECT_EQ(names_in(paths_.program_folder), std::vector<std::string>{"nimbol.exe"}) << c.what;
  }
}

// Uninstalling puts the program file out of the way first, on its own
// volume (a running program file can be renamed, not deleted, and not
// moved to another volume), and only then removes the shortcut and the
// entry; a failure on the way leaves the installation as it was.
TEST_F(Install, UninstallingSetsTheProgramAsideOnItsOwnVolumeOrChangesNothing) {
  // This test's folders stand for the program's volume; the temporary
  // folder is on another one.
  const std::wstring volume = to_wide(folders_.path()) + L"\\";
  const auto elsewhere = [volume](std::wstring_view, std::wstring_view to) -> DWORD {
    return to.starts_with(volume) ? 0 : ERROR_NOT_SAME_DEVICE;
  };
  const auto everywhere = [](std::wstring_view, std::wstring_view) -> DWORD { return ERROR_ACCESS_DENIED; };
  struct Case {
    const char* what;
    std::function<DWORD(std::wstring_view, std::wstring_view)> refuse;
    bool hold_shortcut;
    const char* failure;  // none: uninstalled
  };
  const Case cases[] = {
      {"the temporary folder is on another volume", elsewhere, false, nullptr},
      {"the program file cannot be moved", everywhere, false, "The program file could not be removed: "},
      {"the shortcut cannot be removed", elsewhere, true, "The Start menu entry could not be removed: "},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(install_to(paths_, own_).has_value()) << c.what;
    const std::optional<BY_HANDLE_FILE_INFORMATION> installed = identity(paths_.program_file);
    ASSERT_TRUE(installed.has_value());

    // Started and held before its first instruction, as in the update test:
    // the installed copy is the running program.
    std::wstring command = L"\"" + to_wide(paths_.program_file) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION running{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &running));
    HANDLE shortcut = c.hold_shortcut ? CreateFileW(to_wide(paths_.shortcut).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                    nullptr, OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
    refuse_move = c.refuse;
    Result<void> removed;
    {
      const HooksInstalled hooks({.move = move_unless_refused});
      removed = uninstall_from(paths_, running.dwProcessId);
    }
    refuse_move = nullptr;
    if (shortcut != INVALID_HANDLE_VALUE) CloseHandle(shortcut);
    const std::string set_aside = folders_.file("Programs\\" + moved_aside_name(running.dwProcessId));

    if (!c.failure) {
      ASSERT_TRUE(removed.has_value()) << c.what << ": " << removed.error();
      const std::optional<BY_HANDLE_FILE_INFORMATION> moved = identity(set_aside);
      ASSERT_TRUE(moved.has_value()) << c.what << ": set aside beside the program folder";
      EXPECT_TRUE(same_file(*moved, *installed)) << c.what;
      EXPECT_FALSE(path_exists(paths_.program_folder)) << c.what;
      EXPECT_FALSE(path_exists(paths_.shortcut)) << c.what;
      EXPECT_FALSE(key_exists(uninstall_key)) << c.what;
    } else {
      ASSERT_FALSE(removed.has_value()) << c.what;
      EXPECT_TRUE(removed.error().starts_with(c.failure)) << c.what << ": " << removed.error();
      const std::optional<BY_HANDLE_FILE_INFORMATION> still = identity(paths_.program_file);
      ASSERT_TRUE(still.has_value()) << c.what;
      EXPECT_TRUE(same_file(*still, *installed)) << c.what;
      EXPECT_FALSE(path_exists(set_aside)) << c.what;
      EXPECT_TRUE(path_exists(paths_.shortcut)) << c.what;
      EXPECT_TRUE(stored_value(L"UninstallString").has_value()) << c.what;
    }
    TerminateProcess(running.hProcess, 0);
    WaitForSingleObject(running.hProcess, 10000);
    CloseHandle(running.hThread);
    CloseHandle(running.hProcess);

    // The next start of any copy clears away what was set aside, and only that.
    write_file(folders_.file("Programs\\Nimbol-uninstalled-notes.txt"), "not ours");
    delete_previous_copy(source());
    EXPECT_FALSE(path_exists(set_aside)) << c.what;
    EXPECT_TRUE(path_exists(folders_.file("Programs\\Nimbol-uninstalled-notes.txt"))) << c.what;
    remove_tree(folders_.file("Programs"));
    DeleteFileW(to_wide(paths_.shortcut).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, uninstall_key.c_str());
  }
}

TEST_F(Install, TheMenuKnowsWhetherThisIsTheInstalledCopy) {
  const auto from = [](InstallPaths paths) {
    return PathsSource([paths](bool) -> Result<InstallPaths> { return paths; });
  };
  InstallPaths here = paths_;
  here.program_file = own_;
  struct Case {
    const char* what;
    PathsSource source;
    bool install;
    bool running_installed, exists;
  };
  const Case cases[] = {
      {"nothing installed", source(), false, false, false},
      {"installed elsewhere", source(), true, false, true},
      {"this is the installed file", from(here), false, true, true},
      {"no folders", [](bool) -> Result<InstallPaths> { return fail("none"); }, false, false, false},
  };
  for (const Case& c : cases) {
    if (c.install) ASSERT_TRUE(install_to(paths_, own_).has_value());
    const InstalledCopy copy = installed_copy(c.source);
    EXPECT_EQ(copy.running_installed_copy, c.running_installed) << c.what;
    EXPECT_EQ(copy.installed_copy_exists, c.exists) << c.what;
  }
}

TEST_F(Install, TheMenuCommandAsksThenInstallsOrUpdates) {
  struct Case {
    const char* what;
    const wchar_t* answer;
    const char* question_start;
    bool installed_after;
  };
  const Case cases[] = {
      {"cancelled", L"Cancel", "Install Nimbol for your Windows account?", false},
      {"installed", L"Install", "Install Nimbol for your Windows account?", true},
      {"updated", L"Update", "Update the installed Nimbol in\n", true},
  };
  HWND owner = create_test_window(L"NimbolTestOwner", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  for (const Case& c : cases) {
    const std::wstring answer = c.answer;
    std::vector<Step> steps = {{MESSAGE_BOX_CLASS, [answer](HWND w) { click_named(w, answer); }}};
    if (c.installed_after) steps.push_back({MESSAGE_BOX_CLASS, [](HWND w) { click_named(w, L"OK"); }});
    Script script(steps);
    with_script(script, [&] { install_command(owner, source()); });
    ASSERT_GE(script.dialogs.size(), 1u) << c.what;
    const std::string question = to_utf8(script.dialogs[0].texts.empty() ? L"" : script.dialogs[0].texts[0]);
    EXPECT_TRUE(question.starts_with(c.question_start)) << c.what << ": " << question;
    EXPECT_NE(question.find(paths_.program_folder), std::string::npos) << c.what;
    EXPECT_EQ(script.dialogs[0].owner, owner) << c.what;
    EXPECT_EQ(path_exists(paths_.program_file), c.installed_after) << c.what;
    if (c.installed_after) {
      ASSERT_EQ(script.dialogs.size(), 2u) << c.what;
      EXPECT_TRUE(shows(script.dialogs[1],
                        "Done. From now on, start Nimbol from the Start menu. This copy can be "
                        "deleted once you have closed it."))
          << c.what;
    }
  }
  DestroyWindow(owner);
}

}  // namespace
