// The GUI thread's slots of open modeless windows.

#include <windows.h>

#include "ui/window_slots.h"

WindowSlots& window_slots() {
  static WindowSlots slots;
  return slots;
}
