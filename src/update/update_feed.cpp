// The list of versions comes from the network, so it is read strictly: a
// member of the wrong kind makes the whole list unreadable rather than
// half-believed. Only a version or date that is a string but not one the
// program understands costs just its build, so that a later format of
// version numbers cannot stop older copies from seeing the builds they can.

#include "update/update_feed.h"

#include <optional>

#include "base/utf.h"
#include "store/strict_json.h"

namespace {

// The object, its list of builds, one build.
constexpr std::size_t feed_depth = 3;

Result<void> read_string_into(const JsonValue& value, std::string& out) {
  auto text = read_string(value);
  if (!text) return fail(text.error());
  out = std::move(*text);
  return {};
}

// Members are read as a record; a record written as an array is something
// the server never sends.
Result<void> read_object(const JsonValue& value, std::span<const JsonField> fields) {
  if (value.kind != JsonValue::Kind::Object) return fail("A record of the list is not an object.");
  return read_record(value, fields);
}

// Nothing when the build is well formed but one of its values does not parse.
Result<std::optional<Build>> read_build(const JsonValue& value) {
  std::string version, released, license_date;
  bool security = false;
  const JsonField fields[] = {
      {"version", true, [&](const JsonValue& v) { return read_string_into(v, version); }},
      {"released", true, [&](const JsonValue& v) { return read_string_into(v, released); }},
      {"license_date", true, [&](const JsonValue& v) { return read_string_into(v, license_date); }},
      {"security", true,
       [&](const JsonValue& v) -> Result<void> {
         auto flag = read_bool(v);
         if (!flag) return fail(flag.error());
         security = *flag;
         return {};
       }},
  };
  if (auto read = read_object(value, fields); !read) return fail(read.error());
  const auto parsed_version = parse_version(version);
  const auto parsed_released = parse_date(released);
  const auto parsed_license_date = parse_date(license_date);
  if (!parsed_version || !parsed_released || !parsed_license_date) return std::optional<Build>{};
  return std::optional<Build>{Build{*parsed_version, *parsed_released, *parsed_license_date, security}};
}

}  // namespace

Result<std::vector<Build>> read_feed(std::string_view body) {
  if (body.size() > FEED_BYTE_LIMIT) return fail("The list of versions is too long.");
  if (!is_valid_utf8(body)) return fail("The list of versions is not UTF-8.");
  auto root = parse_json_strict(body, feed_depth);
  if (!root) return fail(root.error());

  std::string product;
  std::vector<Build> builds;
  const JsonField fields[] = {
      {"product", true, [&](const JsonValue& v) { return read_string_into(v, product); }},
      {"builds", true,
       [&](const JsonValue& v) -> Result<void> {
         if (v.kind != JsonValue::Kind::Array) return fail("The builds are not a list.");
         for (const JsonValue& item : v.items) {
           auto build = read_build(item);
           if (!build) return fail(build.error());
           if (*build) builds.push_back(**build);
         }
         return {};
       }},
  };
  if (auto read = read_object(*root, fields); !read) return fail(read.error());
  if (product != "nimbol") return fail("The list of versions is for another product.");
  return builds;
}

UpdateOutcome outcome_for(std::span<const Build> builds, const Version& own) {
  std::optional<Available> newest;
  bool security = false;
  for (const Build& build : builds) {
    if (build.version <= own) continue;
    security = security || build.security;
    if (!newest || build.version > newest->version) newest = Available{build.version, false};
  }
  if (!newest) return UpToDate{};
  newest->security = security;
  return *newest;
}
