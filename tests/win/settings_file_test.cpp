// The settings file on a real file system: where it lives, folders created
// on the way, the file's exact bytes, and the files that are not ours.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "store/settings.h"
#include "support.h"

namespace {

using namespace wintest;

class SettingsFileTest : public GuiThreadTest {
 protected:
  TempFolder folder_{"settings"};
  const std::string dir_ = folder_.path();
};

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
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", to_wide(dir_ + "\\Roaming\\deeper").c_str()));
  EXPECT_EQ(load_config(), Config{});  // no file yet

  Config config;
  config.theme = Theme::Dark;
  config.font_face = "Caf\xC3\xA9 Mono";
  config.window = WindowPos{10, 20, 810, 620, true};
  config.reveal_key = RevealKey{false, true, false, 75};
  config.idle_seconds = 90;
  save_config(config);

  const std::string path = dir_ + "\\Roaming\\deeper\\Nimbol\\config.json";
  EXPECT_EQ(read_file(path), serialize_config(config));
  EXPECT_FALSE(path_exists(path + ".tmp"));
  EXPECT_EQ(load_config(), config);
}

TEST_F(SettingsFileTest, AFileThatIsNotOursLoadsAsDefaultsAndIsReplacedAtTheNextSave) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", to_wide(dir_).c_str()));
  ASSERT_TRUE(CreateDirectoryW(to_wide(dir_ + "\\Nimbol").c_str(), nullptr));
  const std::string path = dir_ + "\\Nimbol\\config.json";
  for (const std::string_view content : {"\xEF\xBB\xBF{\"zoom\": 150}", "{\"zoom\": 150", "{\"zoom\": \"150\"}"}) {
    write_file(path, content);
    EXPECT_EQ(load_config(), Config{}) << content;
  }
  write_file(path, "{\"zoom\": 150}");
  Config expected;
  expected.zoom = 150;
  EXPECT_EQ(load_config(), expected);

  save_config(Config{});
  EXPECT_EQ(read_file(path), serialize_config(Config{}));
}

TEST_F(SettingsFileTest, AFileLargerThanTheCapIsNotReadAndGivesTheDefaults) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", to_wide(dir_).c_str()));
  ASSERT_TRUE(CreateDirectoryW(to_wide(dir_ + "\\Nimbol").c_str(), nullptr));
  const std::string path = dir_ + "\\Nimbol\\config.json";
  // Valid settings padded with spaces to the cap, then one byte more.
  const std::string settings = "{\"zoom\": 150}";
  std::string at_cap = settings;
  at_cap.insert(at_cap.size() - 1, MAX_CONFIG_FILE_SIZE - settings.size(), ' ');
  write_file(path, at_cap);
  Config expected;
  expected.zoom = 150;
  EXPECT_EQ(load_config(), expected);
  write_file(path, at_cap + "\n");
  EXPECT_EQ(load_config(), Config{});
}

TEST_F(SettingsFileTest, WithoutAppdataNothingIsWritten) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", nullptr));
  Config config;
  config.zoom = 150;
  save_config(config);
  EXPECT_EQ(load_config(), Config{});
  EXPECT_FALSE(path_exists(dir_ + "\\Nimbol"));
}

}  // namespace
