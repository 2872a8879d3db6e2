#pragma once
// The Unicode lower-case mapping of a single character, which case-blind
// matching compares. A character's lower case can be more than one character
// (U+0130 becomes i and a combining dot above) and can need more or fewer
// UTF-8 bytes than the character itself (U+212A KELVIN SIGN becomes k), so
// matching works on code points and never on bytes.

#include <array>
#include <cstdint>
#include <string_view>

struct LowerCase {
  std::array<char32_t, 3> characters{};
  std::uint8_t size = 0;

  std::u32string_view view() const { return {characters.data(), size}; }
  bool operator==(const LowerCase& other) const { return view() == other.view(); }
};

// The full, context-free mapping: one to three characters. A character
// without a lower case maps to itself.
LowerCase lower_case(char32_t character);
