// Any answer of the update server must read without a crash. Whatever reads
// as a list holds only versions and dates that write back to text and read
// again as themselves, and the outcome names one of the listed versions.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "update/update_feed.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const auto builds = read_feed(body);
  if (!builds) return 0;
  for (const Build& build : *builds) {
    if (parse_version(format_version(build.version)) != build.version) std::abort();
    if (parse_date(format_date(build.released)) != build.released) std::abort();
    if (parse_date(format_date(build.license_date)) != build.license_date) std::abort();
  }
  const UpdateOutcome outcome = outcome_for(*builds, own_version());
  if (const auto* available = std::get_if<Available>(&outcome)) {
    const bool listed =
        std::any_of(builds->begin(), builds->end(), [&](const Build& b) { return b.version == available->version; });
    if (!listed || available->version <= own_version()) std::abort();
  } else if (!std::holds_alternative<UpToDate>(outcome)) {
    std::abort();
  }
  return 0;
}
