// The vault's files in a real data folder: creating, opening and changing
// vault.json, setting the old data aside when the password is forgotten,
// and removing the vault.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"
#include "store/vault.h"
#include "store/vault_file.h"
#include "support.h"

namespace {

using namespace wintest;

// A name outside ASCII, as many users' profile folders have.
class VaultFolder : public GuiThreadTest {
 protected:
  TempFolder root_{"vault-\xC3\xA9"};
  const std::string folder = root_.path();
};

TEST_F(VaultFolder, CreatedVaultOpensWithItsPasswordOnly) {
  EXPECT_FALSE(vault_exists(folder));
  const Bytes master(32, 0x5a);
  ASSERT_TRUE(create_vault(folder, master, bytes_of("first")).has_value());
  EXPECT_TRUE(vault_exists(folder));
  EXPECT_EQ(names_in(folder), (std::vector<std::string>{"vault.json"}));  // no temporary left

  const auto text = read_file(folder + "\\vault.json");
  ASSERT_TRUE(text.has_value());
  auto file = parse_vault_file(*text);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(*text, serialize_vault_file(*file));
  EXPECT_EQ(file->salt.size(), 16u);
  EXPECT_EQ(file->key.size(), 60u);

  auto opened = open_vault(folder, bytes_of("first"));
  ASSERT_TRUE(opened.has_value()) << opened.error();
  EXPECT_EQ(Bytes(opened->span().begin(), opened->span().end()), master);
  auto refused = open_vault(folder, bytes_of("First"));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), "That is not the password.");
}

TEST_F(VaultFolder, ChangingThePasswordRewrapsTheSameMasterKey) {
  const Bytes master(32, 0x17);
  ASSERT_TRUE(create_vault(folder, master, bytes_of("old")).has_value());
  const auto before = read_file(folder + "\\vault.json");
  ASSERT_TRUE(create_vault(folder, master, bytes_of("new")).has_value());
  const auto after = read_file(folder + "\\vault.json");
  ASSERT_TRUE(before && after);
  const auto old_file = parse_vault_file(*before);
  const auto new_file = parse_vault_file(*after);
  ASSERT_TRUE(old_file && new_file);
  EXPECT_NE(old_file->salt, new_file->salt);
  EXPECT_NE(old_file->key, new_file->key);
  EXPECT_FALSE(open_vault(folder, bytes_of("old")).has_value());
  auto opened = open_vault(folder, bytes_of("new"));
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(Bytes(opened->span().begin(), opened->span().end()), master);
}

TEST_F(VaultFolder, MissingOrDamagedVaultReadsAsAWrongPassword) {
  for (const char* content : {static_cast<const char*>(nullptr), "", "{\"salt\":\"00\",\"key\":\"00\"}", "\xff\xfe"}) {
    if (content != nullptr) write_file(folder + "\\vault.json", content);
    auto refused = open_vault(folder, bytes_of("pw"));
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error(), "That is not the password.");
  }
}

TEST_F(VaultFolder, AFailedWriteKeepsThePreviousVault) {
  const Bytes master(32, 1);
  ASSERT_TRUE(create_vault(folder, master, bytes_of("kept")).has_value());
  const auto before = read_file(folder + "\\vault.json");
  // A folder squatting on the temporary name makes the atomic write fail.
  ASSERT_TRUE(CreateDirectoryW(to_wide(folder + "\\vault.json.tmp").c_str(), nullptr));
  EXPECT_FALSE(create_vault(folder, Bytes(32, 2), bytes_of("lost")).has_value());
  EXPECT_EQ(read_file(folder + "\\vault.json"), before);
  EXPECT_TRUE(open_vault(folder, bytes_of("kept")).has_value());
  EXPECT_FALSE(create_vault(folder + "\\no such folder", master, bytes_of("x")).has_value());
}

TEST_F(VaultFolder, ForgettingSetsEverythingAsideUnderOneTime) {
  ASSERT_TRUE(create_vault(folder, Bytes(32, 3), bytes_of("pw")).has_value());
  write_file(folder + "\\session.dat", "index");
  ASSERT_TRUE(CreateDirectoryW(to_wide(folder + "\\tabs").c_str(), nullptr));
  write_file(folder + "\\tabs\\1.dat", "text");
  write_file(folder + "\\config.json", "{}");

  FILETIME start{};
  GetSystemTimePreciseAsFileTime(&start);
  const std::uint64_t before =
      unix_seconds_from_file_time((static_cast<std::uint64_t>(start.dwHighDateTime) << 32) | start.dwLowDateTime);
  EXPECT_TRUE(forget_vault(folder));
  EXPECT_FALSE(vault_exists(folder));

  const auto names = names_in(folder);
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], "config.json");
  // session.dat.T.bak, tabs.T.bak, vault.json.T.bak with one T.
  const std::string suffix = names[1].substr(std::string("session.dat").size());
  EXPECT_EQ(names[1], "session.dat" + suffix);
  EXPECT_EQ(names[2], "tabs" + suffix);
  EXPECT_EQ(names[3], "vault.json" + suffix);
  ASSERT_TRUE(suffix.starts_with(".") && suffix.ends_with(".bak"));
  const std::uint64_t seconds = std::stoull(suffix.substr(1, suffix.size() - 5));
  EXPECT_GE(seconds, before);
  EXPECT_LE(seconds, before + 5);
  EXPECT_EQ(read_file(folder + "\\tabs" + suffix + "\\1.dat"), "text");
  EXPECT_EQ(read_file(folder + "\\session.dat" + suffix), "index");
}

TEST_F(VaultFolder, ARenameThatFailsDoesNotStopTheOthers) {
  ASSERT_TRUE(create_vault(folder, Bytes(32, 5), bytes_of("pw")).has_value());
  write_file(folder + "\\session.dat", "index");
  ASSERT_TRUE(CreateDirectoryW(to_wide(folder + "\\tabs").c_str(), nullptr));
  // Held open without delete sharing, session.dat cannot be renamed.
  HANDLE held = CreateFileW(to_wide(folder + "\\session.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(forget_vault(folder));
  CloseHandle(held);
  const auto names = names_in(folder);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "session.dat");
  EXPECT_TRUE(names[1].starts_with("tabs.") && names[1].ends_with(".bak")) << names[1];
  EXPECT_TRUE(names[2].starts_with("vault.json.") && names[2].ends_with(".bak")) << names[2];
}

TEST_F(VaultFolder, DeletingTheVaultLeavesNoPassword) {
  ASSERT_TRUE(create_vault(folder, Bytes(32, 4), bytes_of("pw")).has_value());
  EXPECT_TRUE(delete_vault(folder).has_value());
  EXPECT_FALSE(vault_exists(folder));
  EXPECT_TRUE(delete_vault(folder).has_value());  // nothing to delete is no failure
}

}  // namespace
