// The GUI thread's veil state.

#include "model/veil_state.h"

VeilState& veil_state() {
  static thread_local VeilState state;
  return state;
}
