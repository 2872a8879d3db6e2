// The vault's decisions without the file system: the file text is built
// and opened here, so that wrong passwords, edited files and the exact
// messages can be tested on any machine; vault_win.cpp only moves bytes.

#include "store/vault.h"

#include <algorithm>

#include "store/crypto.h"
#include "store/random.h"
#include "store/vault_file.h"

namespace {

// 1601-01-01 to 1970-01-01 in 100-nanosecond steps.
constexpr std::uint64_t unix_epoch_file_time = 116444736000000000ull;
constexpr std::uint64_t file_time_per_second = 10000000ull;

}  // namespace

Result<std::string> seal_vault(std::span<const std::uint8_t> master_key, std::span<const std::uint8_t> password) {
  if (master_key.size() != master_key_size) return fail("The master key has the wrong size.");
  const SecureBuffer salt = random_bytes(vault_salt_size);
  auto key = derive_key(password, salt.span());
  if (!key) return fail(key.error());
  auto wrapped = seal(key->span(), master_key);
  if (!wrapped) return fail(wrapped.error());
  const VaultFile vault{.salt = {salt.span().begin(), salt.span().end()}, .key = std::move(*wrapped)};
  return serialize_vault_file(vault);
}

Result<SecureBuffer> unlock_vault(std::string_view vault_text, std::span<const std::uint8_t> password) {
  const auto wrong = [] { return fail(std::string(msg_not_the_password)); };
  auto vault = parse_vault_file(vault_text);
  if (!vault) return wrong();
  auto key = derive_key(password, vault->salt);
  if (!key) return wrong();
  auto master = open_sealed(key->span(), vault->key);
  if (!master || master->size() != master_key_size) return wrong();
  return std::move(*master);
}

Result<void> check_new_password(std::span<const std::uint8_t> password, std::span<const std::uint8_t> repeated) {
  if (password.empty()) return fail(std::string(msg_password_empty));
  if (!std::ranges::equal(password, repeated)) return fail(std::string(msg_passwords_differ));
  return {};
}

std::uint64_t unix_seconds_from_file_time(std::uint64_t file_time) {
  if (file_time < unix_epoch_file_time) return 0;
  return (file_time - unix_epoch_file_time) / file_time_per_second;
}

std::string backup_name(std::string_view name, std::uint64_t unix_seconds) {
  return std::string(name) + "." + std::to_string(unix_seconds) + ".bak";
}
