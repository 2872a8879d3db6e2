// The password form of stored data. It is the same sealed blob as the
// wrapped master key, behind a four-byte mark so that reading can tell it
// from the data-protection form without trying both.

#include "store/protect.h"

#include <algorithm>

#include "store/crypto.h"

bool is_sealed_form(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= sealed_form_magic.size() &&
         std::equal(sealed_form_magic.begin(), sealed_form_magic.end(), bytes.begin());
}

Result<std::vector<std::uint8_t>> seal_protected(std::span<const std::uint8_t> key,
                                                 std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> out(sealed_form_magic.begin(), sealed_form_magic.end());
  if (auto sealed = seal_into(out, key, bytes); !sealed) return fail(sealed.error());
  return out;
}

Result<SecureBuffer> open_protected(std::span<const std::uint8_t> key, std::span<const std::uint8_t> bytes) {
  if (!is_sealed_form(bytes)) return fail("The data is not in the password form.");
  return open_sealed(key, bytes.subspan(sealed_form_magic.size()));
}
