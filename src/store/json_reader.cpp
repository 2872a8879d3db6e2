// The strict JSON reader behind every file the program keeps. nlohmann/json
// does the lexing; a SAX handler of our own builds the tree so that repeated
// keys are seen (the library's own tree silently keeps the last one).

#include "store/json_reader.h"

#include <algorithm>
#include <exception>

namespace {

bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

// Builds the tree without recursion (nesting depth is the file's choice, not
// ours). The value of a repeated key is skipped, not built: the first value
// stays, and no object is ever freed while the document is being read.
class JsonDomBuilder final : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit JsonDomBuilder(JsonDocument& document) : document_(document) {}

  bool null() override { return put(nullptr); }
  bool boolean(bool value) override { return put(value); }
  bool number_integer(number_integer_t value) override { return put(value); }
  bool number_unsigned(number_unsigned_t value) override { return put(value); }
  bool number_float(number_float_t value, const string_t&) override { return put(value); }
  bool string(string_t& value) override { return put(std::move(value)); }
  bool binary(binary_t&) override { return false; }

  bool start_object(std::size_t) override { return open(nlohmann::json::value_t::object); }
  bool start_array(std::size_t) override { return open(nlohmann::json::value_t::array); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }

  bool key(string_t& key) override {
    if (skip_depth_ > 0) return true;
    auto& object = stack_.back()->get_ref<nlohmann::json::object_t&>();
    auto [slot, inserted] = object.try_emplace(std::move(key));
    if (inserted) {
      pending_ = &slot->second;
    } else {
      document_.repeated_[&object].push_back(slot->first);
      pending_ = nullptr;
      skip_next_ = true;
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
    message_ = error.what();
    return false;
  }

  const std::string& message() const { return message_; }

 private:
  // Where the next value goes: the root, an array's new element, or the
  // slot of the key just read.
  nlohmann::json* target() {
    if (stack_.empty()) return &document_.root_;
    nlohmann::json& top = *stack_.back();
    if (top.is_array()) {
      auto& array = top.get_ref<nlohmann::json::array_t&>();
      array.emplace_back();
      return &array.back();
    }
    return std::exchange(pending_, nullptr);
  }

  bool put(nlohmann::json value) {
    if (skip_depth_ > 0) return true;
    if (std::exchange(skip_next_, false)) return true;
    *target() = std::move(value);
    return true;
  }

  bool open(nlohmann::json::value_t type) {
    if (skip_depth_ > 0 || std::exchange(skip_next_, false)) {
      ++skip_depth_;
      return true;
    }
    nlohmann::json* slot = target();
    *slot = nlohmann::json(type);
    stack_.push_back(slot);
    return true;
  }

  bool close() {
    if (skip_depth_ > 0) {
      --skip_depth_;
      return true;
    }
    stack_.pop_back();
    return true;
  }

  JsonDocument& document_;
  std::vector<nlohmann::json*> stack_;
  nlohmann::json* pending_ = nullptr;
  bool skip_next_ = false;
  std::size_t skip_depth_ = 0;
  std::string message_;
};

Result<JsonDocument> JsonDocument::parse(std::string_view text) {
  // The library would quietly step over a byte-order mark; ours are written
  // without one, so a file that has one was not written by us.
  const auto first = std::find_if_not(text.begin(), text.end(), is_json_space);
  if (first == text.end() || (*first != '{' && *first != '[')) return fail("expected an object or an array");

  JsonDocument document;
  try {
    JsonDomBuilder builder(document);
    if (!nlohmann::json::sax_parse(text.begin(), text.end(), &builder)) {
      return fail(builder.message().empty() ? std::string("invalid JSON") : builder.message());
    }
  } catch (const std::exception& error) {
    return fail(error.what());
  }
  return document;
}

bool JsonDocument::key_repeated(const nlohmann::json& object, std::string_view key) const {
  if (!object.is_object()) return false;
  const auto found = repeated_.find(&object.get_ref<const nlohmann::json::object_t&>());
  if (found == repeated_.end()) return false;
  return std::find(found->second.begin(), found->second.end(), key) != found->second.end();
}

JsonRecord::JsonRecord(const JsonDocument& document, const nlohmann::json& value,
                       std::span<const std::string_view> keys, Form form)
    : keys_(keys), members_(keys.size(), nullptr) {
  if (value.is_object()) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (document.key_repeated(value, keys[i])) {
        note(keys[i], "to appear once");
        return;
      }
      const auto found = value.find(keys[i]);
      if (found != value.end()) members_[i] = &*found;
    }
  } else if (value.is_array() && form == Form::ObjectOrArray) {
    if (value.size() > keys.size()) {
      error_ = "too many values for the record";
      return;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (!value[i].is_null()) members_[i] = &value[i];
    }
  } else {
    error_ = form == Form::Object ? "expected an object" : "expected an object or an array";
  }
}

const nlohmann::json* JsonRecord::find(std::string_view key) const {
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == key) return members_[i];
  }
  return nullptr;
}

void JsonRecord::note(std::string_view key, std::string_view expected) {
  if (error_) return;
  error_ = std::string(key) + ": expected " + std::string(expected);
}

const nlohmann::json* JsonRecord::present(std::string_view key, Need need) {
  if (error_) return nullptr;
  const nlohmann::json* value = find(key);
  if (!value && need == Need::Required) note(key, "a value");
  return value;
}

void JsonRecord::read(std::string_view key, bool& out, Need need) {
  if (const nlohmann::json* value = present(key, need)) {
    if (value->is_boolean()) {
      out = value->get<bool>();
    } else {
      note(key, "true or false");
    }
  }
}

void JsonRecord::read(std::string_view key, std::string& out, Need need) {
  if (const nlohmann::json* value = present(key, need)) {
    if (value->is_string()) {
      out = value->get_ref<const std::string&>();
    } else {
      note(key, "a string");
    }
  }
}
