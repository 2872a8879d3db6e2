#include <windows.h>

#include "privacy/idle.h"

#include "model/app_state.h"
#include "model/veil_state.h"
#include "privacy/idle_time.h"
#include "privacy/veil.h"

namespace {

struct IdleSetting {
  HWND frame = nullptr;
  std::uint32_t seconds = 0;
};

IdleSetting idle_setting() {
  auto state = app_state().borrow();
  if (!state) return {};
  return {state->frame, state->config.idle_seconds};
}

}  // namespace

void arm_idle_timer() {
  const IdleSetting idle = idle_setting();
  if (!idle.frame) return;
  if (idle.seconds != 0) {
    SetTimer(idle.frame, TIMER_IDLE, TIMER_IDLE_MS, nullptr);
  } else {
    KillTimer(idle.frame, TIMER_IDLE);
  }
}

void idle_check() {
  const IdleSetting idle = idle_setting();
  if (idle.seconds == 0 || veiled()) return;
  // A dialog of the program or another program in front leaves the text
  // alone; leaving for another program covers it anyway.
  if (!idle.frame || GetForegroundWindow() != idle.frame) return;
  LASTINPUTINFO input{};
  input.cbSize = sizeof input;
  if (!GetLastInputInfo(&input)) return;
  if (idle_limit_reached(GetTickCount(), input.dwTime, idle.seconds)) cover();
}
