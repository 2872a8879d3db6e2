// Any settings file must read without a crash, and whatever it reads as must
// survive a save and a load unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/settings.h"

namespace {

// Equal settings save to equal bytes (the writer is a function of the
// settings alone), so reading back what was saved is the whole check.
void check_round_trip(const Config& config) {
  if (parse_config(serialize_config(config)) != config) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Nearly every input is no settings file and reads as the defaults, whose
  // round trip is the same every time: checked once, it no longer costs each
  // input a save and a load of the whole file.
  static const bool defaults_round_trip = (check_round_trip(Config{}), true);
  static_cast<void>(defaults_round_trip);

  const Config config = parse_config(std::string_view(reinterpret_cast<const char*>(data), size));
  if (config != Config{}) check_round_trip(config);
  return 0;
}
