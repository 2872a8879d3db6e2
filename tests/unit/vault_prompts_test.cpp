#include "store/vault_prompts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/vault.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }
Bytes bytes_of(const SecureBuffer& buffer) { return {buffer.span().begin(), buffer.span().end()}; }

const Bytes the_master(32, 0xAB);

// A vault in "the folder" that opens with "right" only, and says so in
// words of its own, which the prompts must not pass on.
std::vector<std::string> opened_in;
Result<SecureBuffer> fake_open(const std::string& folder, std::span<const std::uint8_t> password) {
  opened_in.push_back(folder);
  if (std::string_view(reinterpret_cast<const char*>(password.data()), password.size()) != "right") {
    return fail("opener's own wording");
  }
  return SecureBuffer(std::span<const std::uint8_t>(the_master));
}

std::vector<SecureBuffer> texts(std::initializer_list<std::string_view> fields) {
  std::vector<SecureBuffer> out;
  for (std::string_view field : fields) out.emplace_back(field);
  return out;
}

std::string verdict(const Result<void>& result) { return result ? "accepted" : result.error(); }

TEST(VaultPrompts, UnlockAcceptsOnlyAPasswordThatOpensTheVault) {
  struct Case {
    const char* password;
    std::string expected;
  };
  const Case cases[] = {
      {"right", "accepted"},
      {"wrong", std::string(msg_not_the_password)},
      {"", std::string(msg_not_the_password)},
      {"right ", std::string(msg_not_the_password)},
  };
  for (const Case& c : cases) {
    opened_in.clear();
    UnlockAnswer answer{"C:\\data\\Nimbol", fake_open, std::nullopt};
    const auto entered = texts({c.password});
    EXPECT_EQ(verdict(validate_unlock(&answer, entered)), c.expected) << c.password;
    EXPECT_EQ(opened_in, std::vector<std::string>{"C:\\data\\Nimbol"}) << c.password;
    EXPECT_EQ(answer.master.has_value(), c.expected == "accepted") << c.password;
    if (answer.master) EXPECT_EQ(bytes_of(*answer.master), the_master);
  }

  // A key left by an earlier accepted answer does not survive a wrong one.
  UnlockAnswer answer{"folder", fake_open, SecureBuffer(std::span<const std::uint8_t>(the_master))};
  EXPECT_FALSE(validate_unlock(&answer, texts({"wrong"})).has_value());
  EXPECT_FALSE(answer.master.has_value());
}

TEST(VaultPrompts, ANewPasswordMustBeFilledAndTypedTheSameTwice) {
  struct Case {
    const char* first;
    const char* second;
    std::string expected;
  };
  const Case cases[] = {
      {"", "", std::string(msg_password_empty)},
      {"", "filled", std::string(msg_password_empty)},
      {"secret", "", std::string(msg_passwords_differ)},
      {"secret", "Secret", std::string(msg_passwords_differ)},
      {"secret", "secret ", std::string(msg_passwords_differ)},
      {"s\xC3\xA9"
       "cret",
       "s\xC3\xA9"
       "cret",
       "accepted"},
      // No strength rules: any non-empty text will do.
      {" ", " ", "accepted"},
  };
  for (const Case& c : cases) {
    NewPasswordAnswer answer;
    EXPECT_EQ(verdict(validate_new_password(&answer, texts({c.first, c.second}))), c.expected) << c.first;
    EXPECT_EQ(answer.password.has_value(), c.expected == "accepted") << c.first;
    if (answer.password) EXPECT_EQ(answer.password->view(), c.first);
  }
}

TEST(VaultPrompts, AChangeChecksTheCurrentPasswordBeforeTheNewOne) {
  struct Case {
    const char* current;
    const char* fresh;
    const char* repeated;
    std::string expected;
  };
  const Case cases[] = {
      // The current password is looked at first, whatever the other fields
      // hold.
      {"wrong", "", "", std::string(msg_not_the_current_password)},
      {"wrong", "new", "other", std::string(msg_not_the_current_password)},
      {"wrong", "new", "new", std::string(msg_not_the_current_password)},
      {"right", "", "new", std::string(msg_password_empty)},
      {"right", "new", "New", std::string(msg_passwords_differ)},
      {"right", "new", "new", "accepted"},
      // Keeping the same password is a change like any other.
      {"right", "right", "right", "accepted"},
  };
  for (const Case& c : cases) {
    opened_in.clear();
    ChangeAnswer answer{"folder", fake_open, std::nullopt, std::nullopt};
    EXPECT_EQ(verdict(validate_password_change(&answer, texts({c.current, c.fresh, c.repeated}))), c.expected)
        << c.current << " / " << c.fresh << " / " << c.repeated;
    EXPECT_EQ(opened_in.size(), 1u);
    const bool accepted = c.expected == "accepted";
    // Nothing of a refused answer is kept: no master key, no new password.
    EXPECT_EQ(answer.master.has_value(), accepted);
    EXPECT_EQ(answer.new_password.has_value(), accepted);
    if (accepted) {
      EXPECT_EQ(bytes_of(*answer.master), the_master);
      EXPECT_EQ(answer.new_password->view(), c.fresh);
    }
  }
}

TEST(VaultPrompts, MissingFieldsAreRefusedNotRead) {
  UnlockAnswer unlock{"folder", fake_open, std::nullopt};
  EXPECT_EQ(verdict(validate_unlock(&unlock, {})), msg_not_the_password);
  NewPasswordAnswer fresh;
  EXPECT_FALSE(validate_new_password(&fresh, texts({"only one"})).has_value());
  ChangeAnswer change{"folder", fake_open, std::nullopt, std::nullopt};
  EXPECT_EQ(verdict(validate_password_change(&change, texts({"right", "new"}))), msg_not_the_current_password);
  EXPECT_FALSE(change.master.has_value());
}

}  // namespace
