#pragma once
// The stored form of the tab list, session.dat (before protection): which
// tab was active and, per tab in strip order, what is needed to rebuild it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "model/text_types.h"

struct Entry {
  std::uint64_t id = 0;
  std::optional<std::string> path;  // UTF-8; none for an untitled tab
  std::uint32_t untitled = 0;
  Encoding encoding = Encoding::Utf8;
  Eol eol = Eol::CrLf;
  bool dirty = false;
  std::array<std::int32_t, 2> sel = {0, 0};  // cpMin, cpMax
  bool lossy = false;
  bool operator==(const Entry&) const = default;
};

struct Index {
  std::uint64_t active = 0;
  std::vector<Entry> tabs;
  bool operator==(const Index&) const = default;
};

// Compact JSON, keys in the order of the records above. Fails only for a
// path that is not valid UTF-8.
[[nodiscard]] Result<std::string> serialize_index(const Index& index);

// Any JSON whitespace; unknown keys skipped; each record also as an array of
// its values in key order; `path` may be missing or null and `lossy`
// missing; every other key is required, none may repeat. Any error makes
// the whole index unreadable.
[[nodiscard]] Result<Index> parse_index(std::string_view text);
