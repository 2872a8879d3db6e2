// Any settings file must read without a crash, and whatever it reads as must
// survive a save and a load unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Config config = parse_config(text);
  const std::string saved = serialize_config(config);
  if (parse_config(saved) != config) std::abort();
  if (serialize_config(parse_config(saved)) != saved) std::abort();
  return 0;
}
