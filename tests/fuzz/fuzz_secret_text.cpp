// Whatever a password field holds, the wiped conversion must give exactly
// the bytes of the program's ordinary UTF-16 to UTF-8 conversion, so a
// password typed at one prompt matches the same password typed at another.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/utf.h"
#include "ui/secret_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring units;
  for (std::size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  const SecureBuffer secret = secure_utf8_from_utf16(units);
  if (secret.view() != to_utf8(units)) std::abort();
  return 0;
}
