#pragma once
// The list of released versions that the update server publishes, and the
// rule that turns it into what a check found.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "base/result.h"
#include "update/version.h"

struct Build {
  Version version;
  Date released;
  Date license_date;
  bool security = false;
  bool operator==(const Build&) const = default;
};

// A longer answer is not a list of versions; reading stops past this.
inline constexpr std::size_t FEED_BYTE_LIMIT = 262144;

// The builds of the list. The whole list is unreadable when the bytes are
// more than the limit or not UTF-8, when they are not one JSON object with
// "product" "nimbol" and "builds", or when a build lacks a member or has one
// of the wrong JSON type. A build whose version or dates are strings that do
// not parse is left out; the others still count.
[[nodiscard]] Result<std::vector<Build>> read_feed(std::string_view body);

// What a check yields.
struct UpToDate {
  bool operator==(const UpToDate&) const = default;
};
struct Available {
  Version version;        // the newest one above ours
  bool security = false;  // any build above ours fixes security problems
  bool operator==(const Available&) const = default;
};
struct Unreachable {
  std::uint32_t error = 0;  // the failure as an HRESULT
  bool operator==(const Unreachable&) const = default;
};
struct HttpStatus {
  std::uint32_t status = 0;
  bool operator==(const HttpStatus&) const = default;
};
struct BadFeed {
  bool operator==(const BadFeed&) const = default;
};
using UpdateOutcome = std::variant<UpToDate, Available, Unreachable, HttpStatus, BadFeed>;

// Up to date unless some build is newer than `own`.
UpdateOutcome outcome_for(std::span<const Build> builds, const Version& own);
