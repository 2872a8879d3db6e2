#pragma once
// Every numbered command, from menus, accelerators and the tab strip.

#include <cstdint>

void dispatch_command(std::uint16_t id);
