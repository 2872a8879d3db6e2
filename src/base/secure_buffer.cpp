// Wiping that survives optimisation: an ordinary memset, which runs at the
// speed of memory (a byte-by-byte volatile loop took 10 ms per 10 MiB of a
// tab's text, on every save and store), followed by a compiler barrier that
// takes the pointer and may read any memory, so the zeros cannot be dropped
// or sunk past the free as dead stores.

#include "base/secure_buffer.h"

#include <cstring>

void secure_wipe(void* data, std::size_t size) noexcept {
  if (data == nullptr) return;
  std::memset(data, 0, size);
  asm volatile("" : : "r"(data) : "memory");
}

void SecureBuffer::append(std::span<const std::uint8_t> more) {
  if (bytes_.size() + more.size() <= bytes_.capacity()) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return;
  }
  std::vector<std::uint8_t> grown;
  grown.reserve((bytes_.size() + more.size()) * 2);
  grown.insert(grown.end(), bytes_.begin(), bytes_.end());
  grown.insert(grown.end(), more.begin(), more.end());
  wipe();
  bytes_ = std::move(grown);
}
