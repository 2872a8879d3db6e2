#pragma once
// Passwords, keys and decrypted bytes live in a SecureBuffer: it is wiped
// before its memory goes back to the allocator, and it cannot be copied by
// accident (copies are the usual way secrets end up lingering in memory).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

// Zeroes memory in a way the optimiser may not remove.
void secure_wipe(void* data, std::size_t size) noexcept;

// Wipes a string or vector that held a tab's text, up to its capacity (what
// lies past the size was text too, before it shrank), so that it is not
// just freed.
template <class Container>
void wipe_contents(Container& text) noexcept {
  secure_wipe(text.data(), text.capacity() * sizeof(typename Container::value_type));
}

// Owns a string or vector that holds a tab's text (or text taken from it)
// and wipes it when it goes, whichever way its scope is left: a copy made on
// a path that can fail half-way, as when memory runs out, is never freed
// unwiped.
template <class Container>
class Wiped {
 public:
  Wiped() = default;
  explicit Wiped(Container value) noexcept : value_(std::move(value)) {}
  Wiped(const Wiped&) = delete;
  Wiped& operator=(const Wiped&) = delete;
  ~Wiped() { wipe_contents(value_); }

  Container& operator*() noexcept { return value_; }
  const Container& operator*() const noexcept { return value_; }
  Container* operator->() noexcept { return &value_; }
  const Container* operator->() const noexcept { return &value_; }

 private:
  Container value_;
};

class SecureBuffer {
 public:
  SecureBuffer() = default;
  explicit SecureBuffer(std::size_t size) : bytes_(size) {}
  SecureBuffer(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}
  explicit SecureBuffer(std::span<const std::uint8_t> data) : bytes_(data.begin(), data.end()) {}
  explicit SecureBuffer(std::string_view text)
      : bytes_(reinterpret_cast<const std::uint8_t*>(text.data()),
               reinterpret_cast<const std::uint8_t*>(text.data()) + text.size()) {}

  SecureBuffer(const SecureBuffer&) = delete;
  SecureBuffer& operator=(const SecureBuffer&) = delete;
  SecureBuffer(SecureBuffer&& other) noexcept : bytes_(std::move(other.bytes_)) { other.bytes_.clear(); }
  SecureBuffer& operator=(SecureBuffer&& other) noexcept {
    if (this != &other) {
      wipe();
      bytes_ = std::move(other.bytes_);
      other.bytes_.clear();
    }
    return *this;
  }
  ~SecureBuffer() { wipe(); }

  // An explicit copy, for the few places that really need two.
  [[nodiscard]] SecureBuffer clone() const { return SecureBuffer(std::span<const std::uint8_t>(bytes_)); }

  std::uint8_t* data() noexcept { return bytes_.data(); }
  const std::uint8_t* data() const noexcept { return bytes_.data(); }
  std::size_t size() const noexcept { return bytes_.size(); }
  bool empty() const noexcept { return bytes_.empty(); }
  std::span<const std::uint8_t> span() const noexcept { return bytes_; }
  std::span<std::uint8_t> span() noexcept { return bytes_; }
  std::string_view view() const noexcept { return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()}; }

  // Growing would move the secret and leave the old copy unwiped, so the
  // buffer grows only through here, which wipes what it leaves behind.
  void append(std::span<const std::uint8_t> more);
  void append(std::string_view more) { append({reinterpret_cast<const std::uint8_t*>(more.data()), more.size()}); }

  void wipe() noexcept {
    secure_wipe(bytes_.data(), bytes_.capacity());
    bytes_.clear();
  }

 private:
  std::vector<std::uint8_t> bytes_;
};
