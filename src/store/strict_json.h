#pragma once
// A strict reader for the program's small JSON files (session index, vault
// file): the document must be an object or an array, a repeated known key
// is an error, unknown keys are skipped, and a record may also be written as
// an array of its values in key order. The whole document is read into a
// small tree first; the typed readers below then walk it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

struct JsonMember;

struct JsonValue {
  enum class Kind : std::uint8_t { Null, Bool, Negative, Unsigned, Float, String, Array, Object, TooDeep };
  Kind kind = Kind::Null;
  bool boolean = false;
  std::int64_t negative = 0;         // an integer token below zero
  std::uint64_t unsigned_value = 0;  // an integer token of zero or more
  std::string text;
  std::vector<JsonValue> items;
  std::vector<JsonMember> members;  // in file order, repeats kept
};

struct JsonMember {
  std::string key;
  JsonValue value;
};

// Parses a whole document: JSON whitespace around it, nothing else after
// it, and an object or an array at the top (so no byte order mark). Arrays
// and objects nested deeper than `max_depth` are checked for syntax but
// kept only as a TooDeep placeholder, which no typed reader accepts.
[[nodiscard]] Result<JsonValue> parse_json_strict(std::string_view text, std::size_t max_depth);

// One member of a record: its key, whether it must be present, and what
// to do with its value.
struct JsonField {
  std::string_view key;
  bool required;
  std::function<Result<void>(const JsonValue&)> read;
};

// Reads an object (members by key, unknown keys skipped, each known key at
// most once) or an array (values in field order; missing trailing values
// count as absent, extra values are an error) into `fields`.
[[nodiscard]] Result<void> read_record(const JsonValue& value, std::span<const JsonField> fields);

[[nodiscard]] Result<bool> read_bool(const JsonValue& value);
[[nodiscard]] Result<std::string> read_string(const JsonValue& value);
[[nodiscard]] Result<std::uint64_t> read_u64(const JsonValue& value);
[[nodiscard]] Result<std::uint32_t> read_u32(const JsonValue& value);
[[nodiscard]] Result<std::int32_t> read_i32(const JsonValue& value);
