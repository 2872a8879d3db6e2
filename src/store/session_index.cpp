// The session index is rewritten two seconds after every burst of typing,
// so the writer is small and exact. The reader is strict because the index
// decides which stored texts come back as which tabs: an index that is not
// entirely what the program wrote is better ignored (the tab files then
// come back on their own) than half-believed.

#include "store/session_index.h"

#include <nlohmann/json.hpp>

#include "store/strict_json.h"

namespace {

// root object, the tabs array, one entry, its selection
constexpr std::size_t index_depth = 4;

template <class T>
auto into(T& target, Result<T> (*reader)(const JsonValue&)) {
  return [&target, reader](const JsonValue& value) -> Result<void> {
    auto read = reader(value);
    if (!read) return fail(read.error());
    target = std::move(*read);
    return {};
  };
}

Result<void> read_selection(const JsonValue& value, std::array<std::int32_t, 2>& sel) {
  if (value.kind != JsonValue::Kind::Array || value.items.size() != 2) {
    return fail("A selection is not two numbers.");
  }
  for (std::size_t i = 0; i < 2; ++i) {
    auto position = read_i32(value.items[i]);
    if (!position) return fail(position.error());
    sel[i] = *position;
  }
  return {};
}

Result<Entry> read_entry(const JsonValue& value) {
  Entry entry;
  const JsonField fields[] = {
      {"id", true, into(entry.id, read_u64)},
      {"path", false,
       [&](const JsonValue& v) -> Result<void> {
         if (v.kind == JsonValue::Kind::Null) {
           entry.path.reset();
           return {};
         }
         auto path = read_string(v);
         if (!path) return fail(path.error());
         entry.path = std::move(*path);
         return {};
       }},
      {"untitled", true, into(entry.untitled, read_u32)},
      {"encoding", true,
       [&](const JsonValue& v) -> Result<void> {
         const auto encoding = v.kind == JsonValue::Kind::String ? encoding_from_name(v.text) : std::nullopt;
         if (!encoding) return fail("An encoding is not known.");
         entry.encoding = *encoding;
         return {};
       }},
      {"eol", true,
       [&](const JsonValue& v) -> Result<void> {
         const auto eol = v.kind == JsonValue::Kind::String ? eol_from_name(v.text) : std::nullopt;
         if (!eol) return fail("A line end is not known.");
         entry.eol = *eol;
         return {};
       }},
      {"dirty", true, into(entry.dirty, read_bool)},
      {"sel", true, [&](const JsonValue& v) { return read_selection(v, entry.sel); }},
      {"lossy", false, into(entry.lossy, read_bool)},
  };
  if (auto read = read_record(value, fields); !read) return fail(read.error());
  return entry;
}

}  // namespace

Result<std::string> serialize_index(const Index& index) {
  using nlohmann::ordered_json;
  ordered_json tabs = ordered_json::array();
  for (const Entry& entry : index.tabs) {
    ordered_json item = ordered_json::object();
    item["id"] = entry.id;
    item["path"] = entry.path ? ordered_json(*entry.path) : ordered_json(nullptr);
    item["untitled"] = entry.untitled;
    item["encoding"] = serialised_name(entry.encoding);
    item["eol"] = serialised_name(entry.eol);
    item["dirty"] = entry.dirty;
    item["sel"] = {entry.sel[0], entry.sel[1]};
    item["lossy"] = entry.lossy;
    tabs.push_back(std::move(item));
  }
  ordered_json root = ordered_json::object();
  root["active"] = index.active;
  root["tabs"] = std::move(tabs);
  try {
    return root.dump();
  } catch (const nlohmann::json::exception&) {
    // dump() refuses to write a string that is not UTF-8.
    return fail("path contains invalid UTF-8 characters");
  }
}

Result<Index> parse_index(std::string_view text) {
  auto root = parse_json_strict(text, index_depth);
  if (!root) return fail(root.error());
  Index index;
  const JsonField fields[] = {
      {"active", true, into(index.active, read_u64)},
      {"tabs", true,
       [&](const JsonValue& v) -> Result<void> {
         if (v.kind != JsonValue::Kind::Array) return fail("The tabs are not a list.");
         index.tabs.clear();
         index.tabs.reserve(v.items.size());
         for (const JsonValue& item : v.items) {
           auto entry = read_entry(item);
           if (!entry) return fail(entry.error());
           index.tabs.push_back(std::move(*entry));
         }
         return {};
       }},
  };
  if (auto read = read_record(*root, fields); !read) return fail(read.error());
  return index;
}
