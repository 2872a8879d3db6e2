#include <windows.h>

#include "privacy/relock.h"

#include <utility>

#include "model/app_state.h"
#include "model/veil_state.h"
#include "privacy/relock_rules.h"
#include "privacy/veil.h"
#include "store/vault.h"
#include "store/vault_prompts.h"
#include "ui/password_prompt.h"

bool relock_required() {
  RelockFacts facts;
  {
    auto state = app_state().borrow();
    if (!state) return false;
    facts.store_in_use = state->store.has_value();
    facts.key_held = facts.store_in_use && state->store->vault_key.has_value();
    facts.relock_on = state->config.password_relock;
    facts.relock_minutes = state->config.relock_minutes;
  }
  facts.hidden_at = veil_state().hidden_at;
  facts.locked_by_user = locked_by_user();
  facts.now = std::chrono::steady_clock::now();
  return password_needed(facts);
}

bool password_confirmed(HWND owner) {
  std::string folder;
  {
    auto state = app_state().borrow();
    if (!state || !state->store) return false;
    folder = state->store->dir;
  }
  // While this prompt is up the frame may still be enabled (another window
  // owns the prompt): a click on the veil must not open a second one.
  VeilState& veil = veil_state();
  const bool was_open = std::exchange(veil.unlock_prompt_open, true);
  // The entered password only has to open the vault: the master key it
  // yields is wiped with the answer, and the held key stays as it is.
  UnlockAnswer answer{folder, open_vault, std::nullopt};
  const PromptResult result = password_prompt(owner, relock_prompt(), &answer, validate_unlock);
  veil.unlock_prompt_open = was_open;
  return result == PromptResult::Accepted;
}

void on_unlock_request() {
  if (veil_state().unlock_prompt_open) return;
  if (password_confirmed(frame_window())) {
    uncover();
  } else {
    veil_state().unlock_prompt_dismissed = true;
  }
}

void request_reveal(bool by_user) {
  const VeilState& veil = veil_state();
  if (!veil.veiled || veil.in_transition) return;
  if (!relock_required()) {
    uncover();
    return;
  }
  if (prompt_wanted(veil.unlock_prompt_open, veil.unlock_prompt_dismissed, by_user)) {
    PostMessageW(frame_window(), WM_APP_UNLOCK, 0, 0);
  }
}
