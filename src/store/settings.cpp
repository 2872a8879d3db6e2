// The settings file's format. Reading is all or nothing: a file that breaks
// any rule gives the complete defaults, never a mixture of its values and
// ours, because a half-understood file is more likely damaged than meant.
// Writing is byte for byte the same for the same settings, so the file
// changes only when a setting does.

#include "store/settings.h"

#include <array>
#include <functional>
#include <optional>
#include <span>

#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "store/strict_json.h"

namespace {

template <class E>
struct StoredName {
  E value;
  std::string_view name;
};

constexpr std::array<StoredName<Theme>, 3> theme_names = {{
    {Theme::System, "system"},
    {Theme::Light, "light"},
    {Theme::Dark, "dark"},
}};
constexpr std::array<StoredName<Reveal>, 3> reveal_names = {{
    {Reveal::Focus, "Focus"},
    {Reveal::Click, "Click"},
    {Reveal::Key, "Key"},
}};
constexpr std::array<StoredName<Mask>, 2> mask_names = {{
    {Mask::Bars, "Bars"},
    {Mask::Blank, "Blank"},
}};

// Deep enough for the nested records; anything deeper can only be inside a
// key we skip.
constexpr std::size_t max_depth = 8;

template <class E, std::size_t N>
std::string_view name_of(E value, const std::array<StoredName<E>, N>& names) {
  for (const auto& entry : names) {
    if (entry.value == value) return entry.name;
  }
  return names[0].name;
}

using FieldReader = std::function<Result<void>(const JsonValue&)>;

// A reader that stores what `read` gives into `out`.
template <class T, class Read>
FieldReader into(T& out, Read read) {
  return [&out, read](const JsonValue& value) -> Result<void> {
    auto result = read(value);
    if (!result) return fail(result.error());
    out = static_cast<T>(*result);
    return {};
  };
}

FieldReader into(bool& out) { return into(out, read_bool); }
FieldReader into(std::string& out) { return into(out, read_string); }
FieldReader into(std::int32_t& out) { return into(out, read_i32); }
FieldReader into(std::uint32_t& out) { return into(out, read_u32); }
FieldReader into(std::uint8_t& out) {
  return into(out, [](const JsonValue& value) -> Result<std::uint8_t> {
    auto number = read_u64(value);
    if (!number) return fail(number.error());
    if (*number > 0xFF) return fail("A value is out of range.");
    return static_cast<std::uint8_t>(*number);
  });
}

// Enumerations are stored under their exact names; another spelling is not
// a guess we make.
template <class E, std::size_t N>
FieldReader into(E& out, const std::array<StoredName<E>, N>& names) {
  return into(out, [&names](const JsonValue& value) -> Result<E> {
    auto text = read_string(value);
    if (!text) return fail(text.error());
    for (const auto& entry : names) {
      if (entry.name == *text) return entry.value;
    }
    return fail("A value is not one of its names.");
  });
}

Result<void> read_window(const JsonValue& value, std::optional<WindowPos>& out) {
  if (value.kind == JsonValue::Kind::Null) {
    out.reset();
    return {};
  }
  if (value.kind != JsonValue::Kind::Object) return fail("The window position is not an object.");
  WindowPos window;
  const JsonField fields[] = {
      {"left", true, into(window.left)},           {"top", true, into(window.top)},
      {"right", true, into(window.right)},         {"bottom", true, into(window.bottom)},
      {"maximized", true, into(window.maximized)},
  };
  if (auto read = read_record(value, fields); !read) return read;
  out = window;
  return {};
}

// A member missing here keeps the default chord's member, so a file that
// names only the key still means Ctrl with that key.
Result<void> read_reveal_key(const JsonValue& value, RevealKey& out) {
  if (value.kind != JsonValue::Kind::Object) return fail("The key chord is not an object.");
  RevealKey chord;
  const JsonField fields[] = {
      {"ctrl", false, into(chord.ctrl)},
      {"alt", false, into(chord.alt)},
      {"shift", false, into(chord.shift)},
      {"key", false, into(chord.key)},
  };
  if (auto read = read_record(value, fields); !read) return read;
  out = chord;
  return {};
}

}  // namespace

Config parse_config(std::string_view text) {
  // The JSON lexer takes a NUL byte for the end of the text and would ignore
  // whatever follows it; no valid file holds one.
  if (text.find('\0') != std::string_view::npos || !is_valid_utf8(text)) return Config{};
  const auto root = parse_json_strict(text, max_depth);
  if (!root) return Config{};

  Config config;
  // In the array form a null element stands for a value left out; in the
  // object form null is a value, and only the window position takes it.
  const bool array_form = root->kind == JsonValue::Kind::Array;
  auto optional = [array_form](std::string_view key, FieldReader read) {
    return JsonField{key, false, [array_form, read = std::move(read)](const JsonValue& value) -> Result<void> {
                       if (array_form && value.kind == JsonValue::Kind::Null) return {};
                       return read(value);
                     }};
  };
  const JsonField fields[] = {
      optional("theme", into(config.theme, theme_names)),
      optional("word_wrap", into(config.word_wrap)),
      optional("always_on_top", into(config.always_on_top)),
      optional("font_face", into(config.font_face)),
      optional("font_size", into(config.font_size)),
      optional("zoom", into(config.zoom)),
      optional("print_labels", into(config.print_labels)),
      optional("window", [&config](const JsonValue& value) { return read_window(value, config.window); }),
      optional("hide_text", into(config.hide_text)),
      optional("reveal", into(config.reveal, reveal_names)),
      optional("reveal_key", [&config](const JsonValue& value) { return read_reveal_key(value, config.reveal_key); }),
      optional("mask", into(config.mask, mask_names)),
      optional("idle_seconds", into(config.idle_seconds)),
      optional("hide_from_capture", into(config.hide_from_capture)),
      optional("password_relock", into(config.password_relock)),
      optional("relock_minutes", into(config.relock_minutes)),
      optional("clipboard_clear_seconds", into(config.clipboard_clear_seconds)),
  };
  // Values are used as read, not clamped: the windows that change them keep
  // their own limits.
  if (!read_record(*root, fields)) return Config{};
  return config;
}

std::string serialize_config(const Config& config) {
  nlohmann::ordered_json out;
  out["theme"] = name_of(config.theme, theme_names);
  out["word_wrap"] = config.word_wrap;
  out["always_on_top"] = config.always_on_top;
  out["font_face"] = config.font_face;
  out["font_size"] = config.font_size;
  out["zoom"] = config.zoom;
  out["print_labels"] = config.print_labels;
  if (config.window) {
    const WindowPos& window = *config.window;
    nlohmann::ordered_json position;
    position["left"] = window.left;
    position["top"] = window.top;
    position["right"] = window.right;
    position["bottom"] = window.bottom;
    position["maximized"] = window.maximized;
    out["window"] = std::move(position);
  } else {
    out["window"] = nullptr;
  }
  out["hide_text"] = config.hide_text;
  out["reveal"] = name_of(config.reveal, reveal_names);
  nlohmann::ordered_json chord;
  chord["ctrl"] = config.reveal_key.ctrl;
  chord["alt"] = config.reveal_key.alt;
  chord["shift"] = config.reveal_key.shift;
  chord["key"] = static_cast<unsigned>(config.reveal_key.key);
  out["reveal_key"] = std::move(chord);
  out["mask"] = name_of(config.mask, mask_names);
  out["idle_seconds"] = config.idle_seconds;
  out["hide_from_capture"] = config.hide_from_capture;
  out["password_relock"] = config.password_relock;
  out["relock_minutes"] = config.relock_minutes;
  out["clipboard_clear_seconds"] = config.clipboard_clear_seconds;
  // A font name that is not valid UTF-8 cannot come from Windows; should one
  // appear anyway, it is written with U+FFFD rather than not at all.
  return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
