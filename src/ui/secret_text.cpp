// The conversion of secrets read from controls. The general conversion in
// base returns a std::string, whose buffer is freed unwiped; this one writes
// straight into a SecureBuffer.

#include "ui/secret_text.h"

#include <array>
#include <cstdint>

namespace {

constexpr char32_t replacement = 0xFFFD;

// Encodes one scalar value; returns the number of bytes written.
std::size_t encode(char32_t cp, std::array<std::uint8_t, 4>& out) {
  if (cp < 0x80) {
    out[0] = static_cast<std::uint8_t>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<std::uint8_t>(0xC0 | (cp >> 6));
    out[1] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<std::uint8_t>(0xE0 | (cp >> 12));
    out[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<std::uint8_t>(0xF0 | (cp >> 18));
  out[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
  return 4;
}

bool is_high(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

SecureBuffer secure_utf8_from_utf16(std::wstring_view utf16) {
  // Sized for the worst case up front (3 bytes per unit; a pair gives 4 for
  // 2), so the buffer never has to grow and leave a copy behind.
  SecureBuffer out(utf16.size() * 3);
  std::size_t used = 0;
  std::array<std::uint8_t, 4> bytes{};
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    // On the host wchar_t is 32 bits wide but still holds one UTF-16 unit.
    char32_t cp = static_cast<char32_t>(utf16[i]) & 0xFFFF;
    if (is_high(cp) && i + 1 < utf16.size() && is_low(static_cast<char32_t>(utf16[i + 1]) & 0xFFFF)) {
      const char32_t low = static_cast<char32_t>(utf16[i + 1]) & 0xFFFF;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    } else if (is_high(cp) || is_low(cp)) {
      cp = replacement;
    }
    const std::size_t n = encode(cp, bytes);
    for (std::size_t k = 0; k < n; ++k) out.data()[used + k] = bytes[k];
    used += n;
  }
  secure_wipe(bytes.data(), bytes.size());
  SecureBuffer exact(out.data(), used);
  return exact;
}
