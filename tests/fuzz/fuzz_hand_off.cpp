// Whatever bytes arrive from a second start must read without a crash, and
// as the paths they hold: sent on again, those paths are the payload itself
// with broken surrogates replaced and empty lines gone, and that payload
// reads as the very same paths.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/hand_off_payload.h"
#include "base/utf.h"

namespace {

std::vector<std::uint8_t> bytes_of(const std::wstring& units) {
  std::vector<std::uint8_t> bytes;
  for (const wchar_t unit : units) {
    if (static_cast<std::uint32_t>(unit) > 0xFFFF) std::abort();
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> paths = decode_hand_off(std::span(data, size));
  std::vector<std::wstring> wide;
  for (const std::string& path : paths) {
    if (path.empty() || path.find('\n') != std::string::npos || !is_valid_utf8(path)) std::abort();
    wide.push_back(to_wide(path));
  }

  // The whole payload converted at once: a line break never belongs to a
  // surrogate pair, so this replaces exactly what line by line would.
  std::wstring units;
  for (std::size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  std::wstring expected;
  for (const wchar_t unit : to_wide(to_utf8(units))) {
    if (unit == L'\n' && (expected.empty() || expected.back() == L'\n')) continue;
    expected.push_back(unit);
  }
  if (!expected.empty() && expected.back() == L'\n') expected.pop_back();

  const std::wstring payload = encode_hand_off(wide);
  if (payload != expected) std::abort();
  if (decode_hand_off(bytes_of(payload)) != paths) std::abort();
  return 0;
}
