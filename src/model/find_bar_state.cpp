// The GUI thread's find bar state.

#include "model/find_bar_state.h"

FindBarState& find_bar_state() {
  static thread_local FindBarState state;
  return state;
}
