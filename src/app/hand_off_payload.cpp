// The hand-off payload as pure functions, so both ends are tested without
// a second process.

#include "app/hand_off_payload.h"

#include "base/utf.h"

std::wstring encode_hand_off(const std::vector<std::wstring>& paths) {
  std::wstring payload;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) payload.push_back(L'\n');
    // Round-tripping through UTF-8 turns any unpaired surrogate into U+FFFD.
    payload += to_wide(to_utf8(paths[i]));
  }
  return payload;
}

std::vector<std::string> decode_hand_off(std::span<const std::uint8_t> bytes) {
  std::wstring units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start <= units.size()) {
    std::size_t end = units.find(L'\n', start);
    if (end == std::wstring::npos) end = units.size();
    if (end > start) paths.push_back(to_utf8(std::wstring_view(units).substr(start, end - start)));
    start = end + 1;
  }
  return paths;
}
