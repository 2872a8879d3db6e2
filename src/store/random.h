#pragma once
// Fresh randomness from the operating system, for salts, nonces and master
// keys. There is no way on without it: when the system source fails, the
// process ends rather than sealing anything under a predictable nonce.

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/secure_buffer.h"

// Fills `out` from the system random source; ends the process on failure.
void fill_random(std::span<std::uint8_t> out) noexcept;

// `size` fresh random bytes, held as a secret.
inline SecureBuffer random_bytes(std::size_t size) {
  SecureBuffer bytes(size);
  fill_random(bytes.span());
  return bytes;
}
