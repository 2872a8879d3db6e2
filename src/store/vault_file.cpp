// The vault file is the one place the password leaves a trace on disk, and
// it holds nothing that tells a right password from a wrong one except the
// tag of the sealed master key. Reading it is strict: anything the program
// would not have written is a damaged file.

#include "store/vault_file.h"

#include <array>

#include "store/strict_json.h"

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string to_hex(std::span<const std::uint8_t> bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 0x0F]);
  }
  return out;
}

Result<std::vector<std::uint8_t>> from_hex(std::string_view digits) {
  if (digits.size() % 2 != 0) return fail("An odd number of hexadecimal digits.");
  std::vector<std::uint8_t> bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const int high = hex_value(digits[i]);
    const int low = hex_value(digits[i + 1]);
    if (high < 0 || low < 0) return fail("Not a hexadecimal digit.");
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return bytes;
}

std::string serialize_vault_file(const VaultFile& vault) {
  return "{\n  \"salt\": \"" + to_hex(vault.salt) + "\",\n  \"key\": \"" + to_hex(vault.key) + "\"\n}";
}

Result<VaultFile> parse_vault_file(std::string_view text) {
  auto root = parse_json_strict(text, 1);
  if (!root) return fail(root.error());
  VaultFile vault;
  auto hex_into = [](std::vector<std::uint8_t>& target) {
    return [&target](const JsonValue& value) -> Result<void> {
      auto digits = read_string(value);
      if (!digits) return fail(digits.error());
      auto bytes = from_hex(*digits);
      if (!bytes) return fail(bytes.error());
      target = std::move(*bytes);
      return {};
    };
  };
  const std::array<JsonField, 2> fields = {{
      {"salt", true, hex_into(vault.salt)},
      {"key", true, hex_into(vault.key)},
  }};
  if (auto read = read_record(*root, fields); !read) return fail(read.error());
  return vault;
}
