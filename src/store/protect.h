#pragma once
// The protection every stored tab text and the session index pass through.
// With a password: "DFV1" followed by a blob sealed under the vault's master
// key. Without: the Windows data-protection API of the current user.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/result.h"
#include "base/secure_buffer.h"

inline constexpr std::array<std::uint8_t, 4> sealed_form_magic = {'D', 'F', 'V', '1'};

// Whether `bytes` carry the password form (they start with "DFV1").
bool is_sealed_form(std::span<const std::uint8_t> bytes);

// "DFV1" + seal(key, bytes): n + 32 bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> seal_protected(std::span<const std::uint8_t> key,
                                                               std::span<const std::uint8_t> bytes);

// The inverse of seal_protected; fails without the prefix or on a tag mismatch.
[[nodiscard]] Result<SecureBuffer> open_protected(std::span<const std::uint8_t> key,
                                                  std::span<const std::uint8_t> bytes);

// Windows layer. With a vault key the password form, without one
// CryptProtectData for the current user.
[[nodiscard]] Result<std::vector<std::uint8_t>> protect_data(std::span<const std::uint8_t> bytes,
                                                             const std::optional<SecureBuffer>& vault_key);

// "DFV1" data opens only with the vault key; anything else goes to
// CryptUnprotectData, which fails for data of another account or computer.
[[nodiscard]] Result<SecureBuffer> unprotect_data(std::span<const std::uint8_t> bytes,
                                                  const std::optional<SecureBuffer>& vault_key);
