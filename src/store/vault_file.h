#pragma once
// vault.json: the Argon2 salt and the master key sealed under the key that
// the password derives, both as hexadecimal text.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

struct VaultFile {
  std::vector<std::uint8_t> salt;
  std::vector<std::uint8_t> key;  // the sealed master key
  bool operator==(const VaultFile&) const = default;
};

// Lower-case digits, two per byte.
std::string to_hex(std::span<const std::uint8_t> bytes);

// Either case; an odd number of digits or any other character is an error.
[[nodiscard]] Result<std::vector<std::uint8_t>> from_hex(std::string_view digits);

// The file's exact bytes: two-space indentation, "salt" then "key", no
// final line break.
std::string serialize_vault_file(const VaultFile& vault);

// Both keys required, each at most once, both hexadecimal strings; other
// keys are skipped, and the array form ["salt", "key"] is read as well.
[[nodiscard]] Result<VaultFile> parse_vault_file(std::string_view text);
