#include "store/vault_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sequence(std::size_t size) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * 17 + 3);
  return out;
}

const std::string salt_hex = "00112233445566778899aabbccddeeff";
const std::string key_hex(120, 'a');

std::string file_with(std::string_view members) { return "{" + std::string(members) + "}"; }

TEST(VaultFile, WritesTwoIndentedMembersWithoutFinalLineBreak) {
  const VaultFile vault{.salt = {0x00, 0x0f, 0xa0, 0xff}, .key = {0x12, 0xab}};
  EXPECT_EQ(serialize_vault_file(vault), "{\n  \"salt\": \"000fa0ff\",\n  \"key\": \"12ab\"\n}");
}

TEST(VaultFile, ReadsWhatItWrites) {
  const VaultFile vault{.salt = sequence(16), .key = sequence(60)};
  const std::string text = serialize_vault_file(vault);
  EXPECT_EQ(text.size(), 2 + 12 + 32 + 3 + 10 + 120 + 2);
  auto read = parse_vault_file(text);
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, vault);
}

TEST(VaultFile, HexDigitsReadInEitherCaseAndOnlyInPairs) {
  struct Case {
    std::string digits;
    std::optional<Bytes> expected;
  };
  const Case cases[] = {
      {"", Bytes{}},
      {"00ff", Bytes{0x00, 0xff}},
      {"ABcdEf", Bytes{0xab, 0xcd, 0xef}},
      {"0123456789", Bytes{0x01, 0x23, 0x45, 0x67, 0x89}},
      {"abc", std::nullopt},
      {"0", std::nullopt},
      {"0g", std::nullopt},
      {"g0", std::nullopt},
      {" 0", std::nullopt},
      {"0x12", std::nullopt},
      {"+1", std::nullopt},
  };
  for (const auto& c : cases) {
    auto bytes = from_hex(c.digits);
    if (c.expected) {
      ASSERT_TRUE(bytes.has_value()) << c.digits;
      EXPECT_EQ(*bytes, *c.expected) << c.digits;
    } else {
      EXPECT_FALSE(bytes.has_value()) << c.digits;
    }
  }
  EXPECT_EQ(to_hex(Bytes{0xab, 0x01}), "ab01");
}

TEST(VaultFile, AcceptsEveryFormThatHoldsBothKeys) {
  const std::string texts[] = {
      file_with("\"salt\":\"" + salt_hex + "\",\"key\":\"" + key_hex + "\""),
      file_with("\"key\":\"" + key_hex + "\",\"salt\":\"" + salt_hex + "\""),
      " \t\r\n" + file_with("\"salt\" : \"" + salt_hex + "\" ,\n\"key\":\"" + key_hex + "\"") + "\r\n\t ",
      file_with("\"note\":{\"a\":[1,2,{\"b\":null}]},\"salt\":\"" + salt_hex + "\",\"key\":\"" + key_hex +
                "\",\"extra\":1.5"),
      // Unknown keys may repeat; only the vault's own may not.
      file_with("\"x\":1,\"x\":2,\"salt\":\"" + salt_hex + "\",\"key\":\"" + key_hex + "\""),
      "[\"" + salt_hex + "\",\"" + key_hex + "\"]",
      file_with("\"salt\":\"" + std::string("00112233445566778899AABBCCDDEEFF") + "\",\"key\":\"" +
                std::string(120, 'A') + "\""),
  };
  for (const auto& text : texts) {
    auto vault = parse_vault_file(text);
    ASSERT_TRUE(vault.has_value()) << text << ": " << vault.error();
    EXPECT_EQ(to_hex(vault->salt), salt_hex) << text;
    EXPECT_EQ(to_hex(vault->key), key_hex) << text;
  }
}

TEST(VaultFile, RejectsAnythingElse) {
  const std::string salt = "\"salt\":\"" + salt_hex + "\"";
  const std::string key = "\"key\":\"" + key_hex + "\"";
  const std::string texts[] = {
      "",
      "   ",
      file_with(salt),
      file_with(key),
      file_with(salt + "," + key + "," + salt),
      file_with(salt + "," + key + "," + key),
      file_with("\"salt\":null," + key),
      file_with("\"salt\":12," + key),
      file_with("\"salt\":[\"" + salt_hex + "\"]," + key),
      file_with("\"salt\":\"" + salt_hex + "0\"," + key),   // odd length
      file_with("\"salt\":\"" + salt_hex + "zz\"," + key),  // not hex
      file_with("\"SALT\":\"" + salt_hex + "\"," + key),    // keys are case-sensitive
      "\xEF\xBB\xBF" + file_with(salt + "," + key),         // byte order mark
      file_with(salt + "," + key) + "x",
      file_with(salt + "," + key) + "{}",
      file_with(salt + "," + key + ","),
      file_with(salt + "," + key + " // comment"),
      "\"" + salt_hex + "\"",
      "null",
      "[\"" + salt_hex + "\"]",
      "[\"" + salt_hex + "\",\"" + key_hex + "\",\"\"]",
      file_with(salt + "," + key).substr(0, 40),
  };
  for (const auto& text : texts) {
    EXPECT_FALSE(parse_vault_file(text).has_value()) << text;
  }
}

}  // namespace
