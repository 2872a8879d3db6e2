#pragma once
// The keyboard shortcuts that are the frame's own (the editor handles undo,
// clipboard and selection keys itself). Order matters to nobody but is kept
// stable so the table reads like the menu.

#include <array>
#include <cstdint>

struct AcceleratorEntry {
  std::uint16_t key;  // virtual-key code
  bool ctrl;
  bool shift;
  std::uint16_t command;
};

// Virtual-key codes used below, spelled out so the core needs no Windows header.
namespace vk {
inline constexpr std::uint16_t tab = 0x09, f3 = 0x72, f5 = 0x74, add = 0x6B, subtract = 0x6D, oem_plus = 0xBB,
                               oem_minus = 0xBD;
}

extern const std::array<AcceleratorEntry, 21> accelerator_table;
