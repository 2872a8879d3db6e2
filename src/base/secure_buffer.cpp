// Wiping that survives optimisation: the stores go through a volatile
// pointer, and a compiler barrier keeps them from being sunk past the free.

#include "base/secure_buffer.h"

void secure_wipe(void* data, std::size_t size) noexcept {
  if (data == nullptr) return;
  volatile auto* p = static_cast<volatile std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
  asm volatile("" ::: "memory");
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
