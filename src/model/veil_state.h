#pragma once
// The veil's state on the GUI thread. It lives outside AppState so that it
// can be read and changed while a handler holds AppState.

#include <chrono>
#include <optional>

struct VeilState {
  bool veiled = false;
  // When the veil last went up; kept after uncovering for the re-lock check.
  std::optional<std::chrono::steady_clock::time_point> hidden_at;
  // True while cover or uncover runs: ShowWindow and SetFocus re-enter the
  // frame synchronously, and a cover requested then must wait its turn.
  bool in_transition = false;
  bool unlock_prompt_open = false;
  bool unlock_prompt_dismissed = false;
};

VeilState& veil_state();

inline bool veiled() { return veil_state().veiled; }
