// The password flows: the prompt at start and the Set, Change and Remove
// commands, each a prompt whose validator opens or checks, followed by the
// vault and store operations in an order that never leaves stored text
// behind a key the user can no longer produce. Passwords and master keys
// are held only in SecureBuffers, wiped when a flow ends.

#include <windows.h>

#include "store/vault_flows.h"

#include <optional>
#include <string>
#include <utility>

#include "store/random.h"
#include "store/session_store.h"
#include "store/settings.h"
#include "store/vault.h"
#include "store/vault_prompts.h"
#include "ui/message_box.h"
#include "ui/password_prompt.h"

namespace {

void tell(HWND frame, std::string_view text) { message_box(frame, false, text, {"OK"}, 0, 0); }

bool forgotten_confirmed() {
  return message_box(nullptr, false, forgotten_password_question, {"Yes", "No"}, forgotten_no, forgotten_no) ==
         forgotten_yes;
}

}  // namespace

StartUnlock run_start_unlock() {
  const std::optional<std::string> folder = data_folder();
  if (!folder || !vault_exists(*folder)) return NoPassword{};
  const PromptSpec spec = start_unlock_prompt();
  for (;;) {
    UnlockAnswer answer{*folder, open_vault, std::nullopt};
    switch (password_prompt(nullptr, spec, &answer, validate_unlock)) {
      case PromptResult::Accepted:
        if (answer.master) return std::move(*answer.master);
        continue;
      case PromptResult::Cancelled:
        return ExitRequested{};
      case PromptResult::Extra:
        break;
    }
    if (forgotten_confirmed()) {
      // A rename that fails leaves that entry where it is; it is unreadable
      // without the password either way, so the start goes on.
      static_cast<void>(forget_vault(*folder));
      return PasswordForgotten{};
    }
  }
}

void set_password_command(HWND frame) {
  const std::optional<std::string> folder = data_folder();
  if (!folder) return;
  // A password is set already (or a vault is there whose key this run does
  // not hold): a new vault.json would replace the only wrapping of the key
  // the stored tabs are sealed with. The menu does not offer the command
  // then, but a posted command id gets here all the same.
  if (store_has_vault_key() || vault_exists(*folder)) return;
  NewPasswordAnswer answer;
  if (password_prompt(frame, set_password_prompt(), &answer, validate_new_password) != PromptResult::Accepted ||
      !answer.password) {
    return;
  }
  SecureBuffer master = random_bytes(master_key_size);
  if (!create_vault(*folder, master.span(), answer.password->span())) {
    tell(frame, msg_password_not_set);
    return;
  }
  answer.password.reset();
  // Whatever could not be rewritten stays in the system-protected form for
  // now, which the store opens with its key as well; the next store tries
  // it again, and says so once if it still fails.
  if (!rekey_store(std::move(master))) schedule_store();
}

void change_password_command(HWND frame) {
  const std::optional<std::string> folder = data_folder();
  if (!folder) return;
  ChangeAnswer answer{*folder, open_vault, std::nullopt, std::nullopt};
  if (password_prompt(frame, change_password_prompt(), &answer, validate_password_change) != PromptResult::Accepted ||
      !answer.master || !answer.new_password) {
    return;
  }
  // The same master key under a new wrapping: the stored tabs stay as they
  // are, and a failed write leaves the old vault.json in place.
  if (!create_vault(*folder, answer.master->span(), answer.new_password->span())) {
    tell(frame, msg_password_not_changed);
  }
}

void remove_password_command(HWND frame) {
  const std::optional<std::string> folder = data_folder();
  if (!folder) return;
  {
    UnlockAnswer answer{*folder, open_vault, std::nullopt};
    if (password_prompt(frame, remove_password_prompt(), &answer, validate_unlock) != PromptResult::Accepted ||
        !answer.master) {
      return;
    }
    // The master key was only the proof; the store holds its own copy.
  }
  // The vault goes only when nothing needs its key any more. After a partial
  // rewrite some files are still sealed under the master key, which the
  // store keeps; deleting vault.json then would lose them at the next start.
  if (!rekey_store(std::nullopt)) {
    tell(frame, msg_password_not_removed);
    return;
  }
  static_cast<void>(delete_vault(*folder));
}
