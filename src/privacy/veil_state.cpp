// The GUI thread's veiled flag.

#include "privacy/veil_state.h"

namespace {
thread_local bool veiled_flag = false;
}

bool veiled() { return veiled_flag; }
void set_veiled(bool value) { veiled_flag = value; }
