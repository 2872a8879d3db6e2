#pragma once
// What the password prompts of the vault ask, and the validators that check
// their answers before a prompt may close. Plain data and functions over
// values: the vault is reached through an opener passed in, so the rules
// (which message comes first, what an accepted answer hands back) can be
// tested without a window or a file.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/secure_buffer.h"
#include "ui/prompt_spec.h"

// Said when the vault stays because not every stored tab could be rewritten
// without the password.
inline constexpr std::string_view msg_password_not_removed =
    "The password could not be removed: not every stored tab could be "
    "rewritten without it.\n\n"
    "The password is still set.";

// Said once when stored tabs that setting the password could not rewrite
// still could not be put under it at the next store.
inline constexpr std::string_view msg_tabs_not_under_password =
    "Not every stored tab could be put under the password. Until that "
    "works, some are protected only by your Windows user account.\n\n"
    "Nimbol tries again each time it stores the tabs.";

// The buttons of the forgotten-password question; "No" is the default and
// what Esc and the close box give.
inline constexpr std::size_t forgotten_yes = 0;
inline constexpr std::size_t forgotten_no = 1;

PromptSpec start_unlock_prompt();
// Asked before covered text comes back once the re-lock applies.
PromptSpec relock_prompt();
PromptSpec set_password_prompt();
PromptSpec change_password_prompt();
PromptSpec remove_password_prompt();

// The master key that the vault in `data_folder` holds for `password`
// (the Windows build passes open_vault).
using VaultOpener = Result<SecureBuffer> (*)(const std::string& data_folder, std::span<const std::uint8_t> password);

// Context of validate_unlock: where the vault is and how to open it; the
// master key once a password opened it.
struct UnlockAnswer {
  std::string data_folder;
  VaultOpener open = nullptr;
  std::optional<SecureBuffer> master;
};

// Context of validate_new_password: the accepted password.
struct NewPasswordAnswer {
  std::optional<SecureBuffer> password;
};

// Context of validate_password_change: the master key the current password
// opened and the accepted new password, both set only on acceptance.
struct ChangeAnswer {
  std::string data_folder;
  VaultOpener open = nullptr;
  std::optional<SecureBuffer> master;
  std::optional<SecureBuffer> new_password;
};

// One field, the password: it must open the vault.
[[nodiscard]] Result<void> validate_unlock(void* context, std::span<const SecureBuffer> texts);

// Two fields, new and repeated: not empty, and the same bytes.
[[nodiscard]] Result<void> validate_new_password(void* context, std::span<const SecureBuffer> texts);

// Three fields, current, new and repeated: the current one must open the
// vault before the new one is looked at.
[[nodiscard]] Result<void> validate_password_change(void* context, std::span<const SecureBuffer> texts);
