// The settings file and the atomic write on a real file system: folders
// created on the way, the file's exact bytes, and what a failed write leaves.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "store/settings.h"

namespace {

std::wstring temp_root() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, length);
}

void remove_tree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

bool exists(const std::string& path) { return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Read with plain Win32 calls, not with anything under test.
std::optional<std::string> read_all(const std::string& path) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(file);
  return out;
}

void write_all(const std::string& path, std::string_view bytes) {
  HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
}

std::span<const std::uint8_t> as_bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::optional<std::wstring> get_env(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_appdata_ = get_env(L"APPDATA");
    folder_ = temp_root() + L"nimbol-settings-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    dir_ = to_utf8(folder_);
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"APPDATA", saved_appdata_ ? saved_appdata_->c_str() : nullptr);
    remove_tree(folder_);
  }

  std::wstring folder_;
  std::string dir_;
  std::optional<std::wstring> saved_appdata_;
};

TEST_F(SettingsFileTest, AtomicWriteReplacesTheFileAndLeavesNoTemporary) {
  const std::string target = dir_ + "\\state.dat";
  for (const std::string_view content : {"first version", "second, longer version of the file", "", "x"}) {
    ASSERT_TRUE(write_file_atomic(target, as_bytes(content)));
    EXPECT_EQ(read_all(target), std::string(content));
    EXPECT_FALSE(exists(target + ".tmp"));
  }
}

TEST_F(SettingsFileTest, FailedReplaceKeepsTheOldFileAndRemovesTheTemporary) {
  const std::string target = dir_ + "\\config.json";
  write_all(target, "old settings");
  // Another program holding the file open without sharing it stops the
  // replacement, after the temporary file has been written.
  HANDLE holder = CreateFileW(to_wide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const auto result = write_file_atomic(target, as_bytes("new settings"));
  CloseHandle(holder);
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().find("(os error "), std::string::npos) << result.error();
  EXPECT_EQ(read_all(target), "old settings");
  EXPECT_FALSE(exists(target + ".tmp"));
}

TEST_F(SettingsFileTest, FailedTemporaryWriteKeepsTheOldFile) {
  const std::string target = dir_ + "\\config.json";
  write_all(target, "old settings");
  // A folder in the temporary file's place: the write cannot even start.
  ASSERT_TRUE(CreateDirectoryW(to_wide(target + ".tmp").c_str(), nullptr));
  EXPECT_FALSE(write_file_atomic(target, as_bytes("new settings")));
  EXPECT_EQ(read_all(target), "old settings");

  EXPECT_FALSE(write_file_atomic(dir_ + "\\missing\\config.json", as_bytes("x")));
  EXPECT_FALSE(exists(dir_ + "\\missing"));
}

TEST_F(SettingsFileTest, PathsFollowAppdata) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", nullptr));
  EXPECT_EQ(data_folder(), std::nullopt);
  EXPECT_EQ(config_path(), std::nullopt);
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", L""));
  EXPECT_EQ(config_path(), std::nullopt);
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\Ann\\AppData\\Roaming"));
  EXPECT_EQ(data_folder(), "C:\\Users\\Ann\\AppData\\Roaming\\Nimbol");
  EXPECT_EQ(config_path(), "C:\\Users\\Ann\\AppData\\Roaming\\Nimbol\\config.json");
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", L"D:\\Profiles\\Jos\u00e9\\"));
  EXPECT_EQ(config_path(), "D:\\Profiles\\Jos\xC3\xA9\\Nimbol\\config.json");
}

TEST_F(SettingsFileTest, SaveCreatesTheFoldersAndLoadReadsTheSettingsBack) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", (folder_ + L"\\Roaming\\deeper").c_str()));
  EXPECT_EQ(load_config(), Config{});  // no file yet

  Config config;
  config.theme = Theme::Dark;
  config.font_face = "Caf\xC3\xA9 Mono";
  config.window = WindowPos{10, 20, 810, 620, true};
  config.reveal_key = RevealKey{false, true, false, 75};
  config.idle_seconds = 90;
  save_config(config);

  const std::string path = dir_ + "\\Roaming\\deeper\\Nimbol\\config.json";
  EXPECT_EQ(read_all(path), serialize_config(config));
  EXPECT_FALSE(exists(path + ".tmp"));
  EXPECT_EQ(load_config(), config);
}

TEST_F(SettingsFileTest, AFileThatIsNotOursLoadsAsDefaultsAndIsReplacedAtTheNextSave) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", folder_.c_str()));
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\Nimbol").c_str(), nullptr));
  const std::string path = dir_ + "\\Nimbol\\config.json";
  for (const std::string_view content : {"\xEF\xBB\xBF{\"zoom\": 150}", "{\"zoom\": 150", "{\"zoom\": \"150\"}"}) {
    write_all(path, content);
    EXPECT_EQ(load_config(), Config{}) << content;
  }
  write_all(path, "{\"zoom\": 150}");
  Config expected;
  expected.zoom = 150;
  EXPECT_EQ(load_config(), expected);

  save_config(Config{});
  EXPECT_EQ(read_all(path), serialize_config(Config{}));
}

TEST_F(SettingsFileTest, WithoutAppdataNothingIsWritten) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", nullptr));
  Config config;
  config.zoom = 150;
  save_config(config);
  EXPECT_EQ(load_config(), Config{});
  EXPECT_FALSE(exists(dir_ + "\\Nimbol"));
}

}  // namespace
