#pragma once
// The decisions of the theme switch, as functions of plain values, so the
// Win32 layer only gathers the inputs (the setting, the registry) and applies
// the answer.

#include <optional>

#include "model/config.h"

// Whether a choice means the dark palette, given what Windows prefers for
// apps right now.
bool dark_for_choice(Theme choice, bool system_dark);

// What a change of the Windows app colour mode means for the program: the new
// dark flag when the program must switch, nothing when it must stay as it is
// (a fixed choice ignores Windows; the same mode needs no repaint).
std::optional<bool> dark_after_system_change(Theme choice, bool current_dark, bool system_dark);
