#include "store/vault.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/crypto.h"
#include "store/vault_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

Bytes master_key() {
  Bytes key(32);
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(0xC0 ^ i);
  return key;
}

TEST(Vault, OpensWithItsPasswordOnlyAndGivesTheMasterKeyBack) {
  const Bytes master = master_key();
  auto text = seal_vault(master, bytes_of("open sesame"));
  ASSERT_TRUE(text.has_value()) << text.error();

  // The stored form: a 16-byte salt and the 60-byte sealed master key.
  auto file = parse_vault_file(*text);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->salt.size(), 16u);
  EXPECT_EQ(file->key.size(), 60u);

  auto opened = unlock_vault(*text, bytes_of("open sesame"));
  ASSERT_TRUE(opened.has_value()) << opened.error();
  EXPECT_EQ(Bytes(opened->span().begin(), opened->span().end()), master);

  for (const char* wrong : {"open sesame ", "Open sesame", "", "x"}) {
    auto refused = unlock_vault(*text, bytes_of(wrong));
    ASSERT_FALSE(refused.has_value()) << wrong;
    EXPECT_EQ(refused.error(), "That is not the password.");
  }
}

TEST(Vault, AnEditedDigitLocksEveryPasswordOut) {
  auto text = seal_vault(master_key(), bytes_of("pw"));
  ASSERT_TRUE(text.has_value());
  const std::size_t key_start = text->find("\"key\": \"") + 8;
  const std::size_t salt_start = text->find("\"salt\": \"") + 9;
  // First and last digit of the wrapped key (nonce and tag), one in the
  // middle (the ciphertext), and one of the salt.
  for (const std::size_t at : {key_start, key_start + 119, key_start + 50, salt_start + 5}) {
    std::string edited = *text;
    edited[at] = edited[at] == '0' ? '1' : '0';
    auto refused = unlock_vault(edited, bytes_of("pw"));
    ASSERT_FALSE(refused.has_value()) << "digit at " << at;
    EXPECT_EQ(refused.error(), "That is not the password.");
  }
}

TEST(Vault, DamagedFilesReadAsAWrongPassword) {
  const Bytes master = master_key();
  auto text = seal_vault(master, bytes_of("pw"));
  ASSERT_TRUE(text.has_value());
  auto file = parse_vault_file(*text);
  ASSERT_TRUE(file.has_value());

  // A wrapped key that opens but does not hold 32 bytes is no master key.
  auto derived = derive_key(bytes_of("pw"), file->salt);
  ASSERT_TRUE(derived.has_value());
  auto short_master = seal(derived->span(), Bytes(31, 1));
  ASSERT_TRUE(short_master.has_value());
  const std::string texts[] = {
      "",
      "{}",
      serialize_vault_file({.salt = file->salt, .key = *short_master}),
      serialize_vault_file({.salt = Bytes(7, 0), .key = file->key}),    // salt too short for Argon2
      serialize_vault_file({.salt = file->salt, .key = Bytes(27, 0)}),  // too short to be sealed
      text->substr(0, text->size() - 1),
  };
  for (const auto& damaged : texts) {
    auto refused = unlock_vault(damaged, bytes_of("pw"));
    ASSERT_FALSE(refused.has_value()) << damaged;
    EXPECT_EQ(refused.error(), "That is not the password.") << damaged;
  }
}

TEST(Vault, NewPasswordChecksComeInTheOrderTheUserMeetsThem) {
  struct Case {
    std::string password;
    std::string repeated;
    std::string message;  // empty: accepted
  };
  const Case cases[] = {
      {"", "", "The password is empty."},
      {"", "filled", "The password is empty."},
      {"a", "", "The two passwords differ."},
      {"secret", "Secret", "The two passwords differ."},
      {"secret", "secret ", "The two passwords differ."},
      {"caf\xc3\xa9", "cafe\xcc\x81", "The two passwords differ."},  // same look, other bytes
      {" ", " ", ""},
      {"secret", "secret", ""},
  };
  for (const auto& c : cases) {
    auto checked = check_new_password(bytes_of(c.password), bytes_of(c.repeated));
    if (c.message.empty()) {
      EXPECT_TRUE(checked.has_value()) << c.password;
    } else {
      ASSERT_FALSE(checked.has_value()) << c.password;
      EXPECT_EQ(checked.error(), c.message) << c.password;
    }
  }
}

TEST(Vault, ForgottenDataIsSetAsideUnderTheSecondsOfOneMoment) {
  struct Case {
    std::uint64_t file_time;
    std::uint64_t seconds;
  };
  const Case cases[] = {
      {0, 0},
      {116444736000000000ull - 1, 0},
      {116444736000000000ull, 0},
      {116444736000000000ull + 9999999, 0},
      {116444736000000000ull + 10000000, 1},
      {133797024000000000ull, 1735228800},  // 2024-12-26 16:00:00 UTC
      {0xFFFFFFFFFFFFFFFFull, (0xFFFFFFFFFFFFFFFFull - 116444736000000000ull) / 10000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unix_seconds_from_file_time(c.file_time), c.seconds) << c.file_time;
  }
  EXPECT_EQ(backup_name("session.dat", 1767225600), "session.dat.1767225600.bak");
  EXPECT_EQ(backup_name("tabs", 0), "tabs.0.bak");
}

}  // namespace
