// The stored files are written by this program, so anything that does not
// look exactly like what it writes (a repeated key, a float where a count
// belongs, a stray byte order mark) is treated as damage rather than guessed
// at. nlohmann's parser does the lexing; its SAX interface lets us see
// repeated keys, which its own tree would silently merge.

#include "store/strict_json.h"

#include <nlohmann/json.hpp>

#include <limits>

namespace {

JsonValue of(JsonValue::Kind kind) {
  JsonValue value;
  value.kind = kind;
  return value;
}

class TreeBuilder {
 public:
  explicit TreeBuilder(std::size_t max_depth) : max_depth_(max_depth) {}

  JsonValue take_root() { return std::move(root_); }

  bool null() { return scalar(of(JsonValue::Kind::Null)); }
  bool boolean(bool value) {
    JsonValue v = of(JsonValue::Kind::Bool);
    v.boolean = value;
    return scalar(std::move(v));
  }
  bool number_integer(nlohmann::json::number_integer_t value) {
    if (value >= 0) return number_unsigned(static_cast<std::uint64_t>(value));
    JsonValue v = of(JsonValue::Kind::Negative);
    v.negative = value;
    return scalar(std::move(v));
  }
  bool number_unsigned(nlohmann::json::number_unsigned_t value) {
    JsonValue v = of(JsonValue::Kind::Unsigned);
    v.unsigned_value = value;
    return scalar(std::move(v));
  }
  bool number_float(nlohmann::json::number_float_t, const std::string&) { return scalar(of(JsonValue::Kind::Float)); }
  bool string(std::string& value) {
    JsonValue v = of(JsonValue::Kind::String);
    v.text = std::move(value);
    return scalar(std::move(v));
  }
  bool binary(nlohmann::json::binary_t&) { return false; }  // not produced by text JSON

  bool start_object(std::size_t) { return open(JsonValue::Kind::Object); }
  bool start_array(std::size_t) { return open(JsonValue::Kind::Array); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(std::string& value) {
    if (skipping_ == 0) pending_key_ = std::move(value);
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

 private:
  // The current container stays put while it is open: its parent's vector
  // only grows once it has been closed again.
  JsonValue* place(JsonValue value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    JsonValue& parent = *open_.back();
    if (parent.kind == JsonValue::Kind::Array) {
      parent.items.push_back(std::move(value));
      return &parent.items.back();
    }
    parent.members.push_back({std::move(pending_key_), std::move(value)});
    return &parent.members.back().value;
  }

  bool scalar(JsonValue value) {
    if (skipping_ == 0) place(std::move(value));
    return true;
  }

  bool open(JsonValue::Kind kind) {
    if (skipping_ > 0) {
      ++skipping_;
    } else if (open_.size() >= max_depth_) {
      place(of(JsonValue::Kind::TooDeep));
      skipping_ = 1;
    } else {
      open_.push_back(place(of(kind)));
    }
    return true;
  }

  bool close() {
    if (skipping_ > 0) {
      --skipping_;
    } else {
      open_.pop_back();
    }
    return true;
  }

  std::size_t max_depth_;
  JsonValue root_;
  std::vector<JsonValue*> open_;
  std::string pending_key_;
  std::size_t skipping_ = 0;
};

bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

Result<JsonValue> parse_json_strict(std::string_view text, std::size_t max_depth) {
  // nlohmann quietly skips a UTF-8 byte order mark and accepts a bare
  // scalar; neither is a file of ours.
  std::size_t first = 0;
  while (first < text.size() && is_json_space(text[first])) ++first;
  if (first == text.size() || (text[first] != '{' && text[first] != '[')) {
    return fail("The file does not hold a JSON object.");
  }
  TreeBuilder builder(max_depth == 0 ? 1 : max_depth);
  bool parsed = false;
  try {
    parsed = nlohmann::json::sax_parse(text.begin(), text.end(), &builder, nlohmann::json::input_format_t::json, true,
                                       false);
  } catch (const std::exception&) {
    parsed = false;
  }
  if (!parsed) return fail("The file is not valid JSON.");
  return builder.take_root();
}

Result<void> read_record(const JsonValue& value, std::span<const JsonField> fields) {
  if (value.kind == JsonValue::Kind::Array) {
    if (value.items.size() > fields.size()) return fail("A record has too many values.");
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i < value.items.size()) {
        if (auto read = fields[i].read(value.items[i]); !read) return read;
      } else if (fields[i].required) {
        return fail("A record lacks \"" + std::string(fields[i].key) + "\".");
      }
    }
    return {};
  }
  if (value.kind != JsonValue::Kind::Object) return fail("A record is neither an object nor an array.");
  std::vector<bool> seen(fields.size(), false);
  for (const auto& [key, member] : value.members) {
    std::size_t i = 0;
    while (i < fields.size() && fields[i].key != key) ++i;
    if (i == fields.size()) continue;
    if (seen[i]) return fail("The key \"" + key + "\" is repeated.");
    seen[i] = true;
    if (auto read = fields[i].read(member); !read) return read;
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].required && !seen[i]) return fail("A record lacks \"" + std::string(fields[i].key) + "\".");
  }
  return {};
}

Result<bool> read_bool(const JsonValue& value) {
  if (value.kind != JsonValue::Kind::Bool) return fail("A value is not true or false.");
  return value.boolean;
}

Result<std::string> read_string(const JsonValue& value) {
  if (value.kind != JsonValue::Kind::String) return fail("A value is not a string.");
  return value.text;
}

Result<std::uint64_t> read_u64(const JsonValue& value) {
  if (value.kind != JsonValue::Kind::Unsigned) return fail("A value is not an unsigned integer.");
  return value.unsigned_value;
}

Result<std::uint32_t> read_u32(const JsonValue& value) {
  auto wide = read_u64(value);
  if (!wide) return fail(wide.error());
  if (*wide > std::numeric_limits<std::uint32_t>::max()) return fail("A value is out of range.");
  return static_cast<std::uint32_t>(*wide);
}

Result<std::int32_t> read_i32(const JsonValue& value) {
  if (value.kind == JsonValue::Kind::Unsigned) {
    if (value.unsigned_value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      return fail("A value is out of range.");
    }
    return static_cast<std::int32_t>(value.unsigned_value);
  }
  if (value.kind == JsonValue::Kind::Negative) {
    if (value.negative < std::numeric_limits<std::int32_t>::min()) return fail("A value is out of range.");
    return static_cast<std::int32_t>(value.negative);
  }
  return fail("A value is not an integer.");
}
