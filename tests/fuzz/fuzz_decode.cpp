// Any bytes must open without a crash as valid UTF-8 text, and what opened
// without loss must save back to the very same bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "text/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const DecodedBytes decoded = decode_bytes(bytes);
  if (!is_valid_utf8(decoded.text)) std::abort();

  if (!decoded.lossy) {
    const EncodedText saved = encode_text(decoded.text, decoded.encoding);
    if (saved.encoding != decoded.encoding) std::abort();
    if (!std::equal(saved.bytes.begin(), saved.bytes.end(), bytes.begin(), bytes.end())) std::abort();
  }

  for (const Eol eol : {Eol::CrLf, Eol::Lf, Eol::Cr}) {
    const std::string converted = convert_line_ends(decoded.text, eol);
    if (converted.find_first_of("\r\n") != std::string::npos && detect_eol(converted) != eol) std::abort();
    if (convert_line_ends(converted, eol) != converted) std::abort();
  }

  const auto opened = decode_contents("fuzz.txt", bytes);
  if (opened.has_value() == (decoded.text.find('\0') != std::string::npos)) std::abort();
  return 0;
}
