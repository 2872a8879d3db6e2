#pragma once
// Strict reading of the program's own JSON files (settings, session index,
// vault file). They share one set of rules: the text is one object or array
// and nothing but white space after it; a record may be written as an object
// or as an array of its values in key order; a key of the record may appear
// only once; values must have exactly the expected type and range. Unknown
// keys are skipped, so files from newer versions still read.
//
// Reading stops at the first problem; callers usually drop the whole file
// then, so the messages are for tests and fuzzing, not for users.

#include <concepts>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/result.h"

// A parsed JSON text that remembers which keys an object repeated (the first
// value is kept). Whether a repeat matters is the reader's decision: a repeat
// inside a skipped value does not.
class JsonDocument {
 public:
  // The whole of `text` must be one JSON object or array, optionally
  // surrounded by JSON white space. A byte-order mark is not white space.
  static Result<JsonDocument> parse(std::string_view text);

  const nlohmann::json& root() const { return root_; }
  bool key_repeated(const nlohmann::json& object, std::string_view key) const;

 private:
  friend class JsonDomBuilder;
  nlohmann::json root_;
  std::unordered_map<const nlohmann::json::object_t*, std::vector<std::string>> repeated_;
};

// A stored enumeration value and its exact spelling on disk.
template <class E>
struct JsonName {
  E value;
  std::string_view name;
};

// One record of a document, read by key. Every read notes the first problem
// instead of returning it, so a reader is a plain list of reads followed by
// one check of ok().
class JsonRecord {
 public:
  enum class Form { Object, ObjectOrArray };
  enum class Need { Optional, Required };

  // `value` must be an object (or, when `form` allows, an array of at most
  // keys.size() values in key order, where a null or a missing trailing
  // element counts as absent). The record must not repeat one of `keys`.
  // `document` and `keys` must outlive the record.
  JsonRecord(const JsonDocument& document, const nlohmann::json& value, std::span<const std::string_view> keys,
             Form form);

  bool ok() const { return !error_; }
  const std::optional<std::string>& error() const { return error_; }

  // The value under `key`, or nullptr when it is absent. In the object form
  // an explicit null is returned as a value.
  const nlohmann::json* find(std::string_view key) const;

  // Each read leaves `out` untouched when the key is absent (an error when it
  // is required) and notes an error when the value has the wrong type.
  void read(std::string_view key, bool& out, Need need = Need::Optional);
  void read(std::string_view key, std::string& out, Need need = Need::Optional);
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  void read(std::string_view key, T& out, Need need = Need::Optional) {
    if (const nlohmann::json* value = present(key, need)) {
      if (auto number = json_integer<T>(*value)) {
        out = *number;
      } else {
        note(key, "an integer in range");
      }
    }
  }
  template <class E>
  void read(std::string_view key, E& out, std::span<const JsonName<E>> names, Need need = Need::Optional) {
    if (const nlohmann::json* value = present(key, need)) {
      if (value->is_string()) {
        const auto& text = value->get_ref<const std::string&>();
        for (const auto& entry : names) {
          if (entry.name == text) {
            out = entry.value;
            return;
          }
        }
      }
      note(key, "one of its names");
    }
  }

  // Notes a problem found by the caller (a nested record, say).
  void note(std::string_view key, std::string_view expected);

  template <std::integral T>
    requires(!std::same_as<T, bool>)
  static std::optional<T> json_integer(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
      const auto number = value.get<std::uint64_t>();
      if (std::in_range<T>(number)) return static_cast<T>(number);
    } else if (value.is_number_integer()) {
      const auto number = value.get<std::int64_t>();
      if (std::in_range<T>(number)) return static_cast<T>(number);
    }
    return std::nullopt;
  }

 private:
  const nlohmann::json* present(std::string_view key, Need need);

  std::span<const std::string_view> keys_;
  std::vector<const nlohmann::json*> members_;
  std::optional<std::string> error_;
};
