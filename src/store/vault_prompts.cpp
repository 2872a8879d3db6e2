// The password prompts decide, before they close, whether an answer is
// good: a password opens the vault, a new password is not empty and was
// typed the same twice. Kept apart from the windows so that the order of
// the checks and what an accepted answer leaves behind can be tested on any
// machine. Every secret a validator keeps is a SecureBuffer of its own; the
// prompt wipes the texts it passed in.

#include "store/vault_prompts.h"

#include "store/vault.h"

namespace {

// The prompt always passes one text per label; anything else is treated as
// a wrong answer rather than read out of range.
bool has_fields(std::span<const SecureBuffer> texts, std::size_t count) { return texts.size() >= count; }

}  // namespace

PromptSpec start_unlock_prompt() {
  return {.title = "Nimbol",
          .labels = {"Password:"},
          .ok_text = "Unlock",
          .cancel_text = "Exit",
          .extra_text = "Forgot It..."};
}

PromptSpec relock_prompt() {
  return {.title = "Nimbol",
          .labels = {"Password:"},
          .ok_text = "Unlock",
          .cancel_text = "Cancel",
          .extra_text = std::nullopt};
}

PromptSpec set_password_prompt() {
  return {.title = "Set Password",
          .labels = {"New password:", "Repeat it:"},
          .ok_text = "Set",
          .cancel_text = "Cancel",
          .extra_text = std::nullopt};
}

PromptSpec change_password_prompt() {
  return {.title = "Change Password",
          .labels = {"Current password:", "New password:", "Repeat it:"},
          .ok_text = "Change",
          .cancel_text = "Cancel",
          .extra_text = std::nullopt};
}

PromptSpec remove_password_prompt() {
  return {.title = "Remove Password",
          .labels = {"Current password:"},
          .ok_text = "Remove",
          .cancel_text = "Cancel",
          .extra_text = std::nullopt};
}

Result<void> validate_unlock(void* context, std::span<const SecureBuffer> texts) {
  auto& answer = *static_cast<UnlockAnswer*>(context);
  answer.master.reset();
  if (!has_fields(texts, 1) || !answer.open) return fail(std::string(msg_not_the_password));
  auto master = answer.open(answer.data_folder, texts[0].span());
  // Whatever the opener says, the user reads one message: a damaged vault
  // cannot be told from a wrong password.
  if (!master) return fail(std::string(msg_not_the_password));
  answer.master = std::move(*master);
  return {};
}

Result<void> validate_new_password(void* context, std::span<const SecureBuffer> texts) {
  auto& answer = *static_cast<NewPasswordAnswer*>(context);
  answer.password.reset();
  if (!has_fields(texts, 2)) return fail(std::string(msg_password_empty));
  if (auto checked = check_new_password(texts[0].span(), texts[1].span()); !checked) return checked;
  answer.password = texts[0].clone();
  return {};
}

Result<void> validate_password_change(void* context, std::span<const SecureBuffer> texts) {
  auto& answer = *static_cast<ChangeAnswer*>(context);
  answer.master.reset();
  answer.new_password.reset();
  if (!has_fields(texts, 3) || !answer.open) return fail(std::string(msg_not_the_current_password));
  auto master = answer.open(answer.data_folder, texts[0].span());
  if (!master) return fail(std::string(msg_not_the_current_password));
  // A rejected new password leaves nothing behind: `master` is wiped here.
  if (auto checked = check_new_password(texts[1].span(), texts[2].span()); !checked) return checked;
  answer.master = std::move(*master);
  answer.new_password = texts[1].clone();
  return {};
}
