#pragma once
// What a second start hands to the running instance: its file paths, one
// per line, as UTF-16 little-endian without terminator or byte-order mark.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr std::uint64_t HANDOFF_TAG = 0x64666F63;

// The payload's UTF-16 units (an empty list gives an empty payload).
std::wstring encode_hand_off(const std::vector<std::wstring>& paths);

// The paths in a received payload: an odd last byte is dropped, unpaired
// surrogates become U+FFFD, empty lines are skipped, nothing is trimmed.
std::vector<std::string> decode_hand_off(std::span<const std::uint8_t> bytes);
