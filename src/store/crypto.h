#pragma once
// The vault's two primitives: Argon2id to turn a password into a key, and
// AES-256-GCM to seal bytes under a key. Both sit on libgcrypt.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/result.h"
#include "base/secure_buffer.h"

inline constexpr std::size_t key_size = 32;
inline constexpr std::size_t nonce_size = 12;
inline constexpr std::size_t tag_size = 16;
inline constexpr std::size_t sealing_overhead = nonce_size + tag_size;
inline constexpr std::size_t min_salt_size = 8;

// Argon2id parameters of every derivation.
inline constexpr unsigned long argon2_memory_kib = 19456;
inline constexpr unsigned long argon2_iterations = 2;
inline constexpr unsigned long argon2_lanes = 1;

// The most GCM can encrypt under one nonce before its 32-bit block counter
// would wrap: 2^32 - 2 blocks of 16 bytes.
inline constexpr std::uint64_t max_sealed_plaintext = (std::uint64_t{1} << 36) - 32;

// Argon2id (version 0x13) of the password's bytes and the salt: 32 bytes.
// Fails for a salt shorter than 8 bytes, a password of 2^32 bytes or more,
// and an empty password (which no vault can have).
[[nodiscard]] Result<SecureBuffer> derive_key(std::span<const std::uint8_t> password,
                                              std::span<const std::uint8_t> salt);

// nonce (12, fresh) | ciphertext | tag (16). `key` must be 32 bytes.
[[nodiscard]] Result<std::vector<std::uint8_t>> seal(std::span<const std::uint8_t> key,
                                                     std::span<const std::uint8_t> plaintext);
// The same blob appended to `out`, behind what it holds already (a mark),
// so that a large text is not copied once more to go behind it. On failure
// `out` is as it was.
[[nodiscard]] Result<void> seal_into(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> key,
                                     std::span<const std::uint8_t> plaintext);

// The plaintext of a sealed blob, or failure when the blob is too short to
// hold a nonce and a tag or its tag does not match.
[[nodiscard]] Result<SecureBuffer> open_sealed(std::span<const std::uint8_t> key, std::span<const std::uint8_t> blob);
