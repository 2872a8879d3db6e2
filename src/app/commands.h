#pragma once
// Every numbered command, from menus, accelerators and the tab strip.

#include <cstdint>

#include "model/config.h"

void dispatch_command(std::uint16_t id);

// The user's choice of theme: saved in the settings, then shown everywhere.
void set_theme(Theme choice);
