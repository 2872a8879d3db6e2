// Any vault.json must read without a crash; whatever reads as a vault must
// be written back in the one exact form, which reads as the same vault.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/vault_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto vault = parse_vault_file(text);
  if (!vault) return 0;
  const std::string written = serialize_vault_file(*vault);
  const auto again = parse_vault_file(written);
  if (!again || *again != *vault) std::abort();
  if (serialize_vault_file(*again) != written) std::abort();
  return 0;
}
