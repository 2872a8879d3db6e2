// The copy guard on the GUI thread.

#include "model/copy_guard.h"

namespace {

void (*installed)(HWND__*) = nullptr;

}  // namespace

void set_copy_guard(void (*guard)(HWND__* control)) { installed = guard; }

void guard_copies(HWND__* control) {
  if (installed && control) installed(control);
}
