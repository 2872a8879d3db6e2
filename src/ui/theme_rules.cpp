// Theme choice arithmetic: which palette a choice means, and when a change in
// Windows' app mode has to reach the program's windows.

#include "ui/theme_rules.h"

bool dark_for_choice(Theme choice, bool system_dark) {
  switch (choice) {
    case Theme::Dark:
      return true;
    case Theme::Light:
      return false;
    case Theme::System:
      break;
  }
  return system_dark;
}

std::optional<bool> dark_after_system_change(Theme choice, bool current_dark, bool system_dark) {
  if (choice != Theme::System) return std::nullopt;
  if (system_dark == current_dark) return std::nullopt;
  return system_dark;
}
