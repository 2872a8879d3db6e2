// The settings file's format. Reading is all or nothing: a file that breaks
// any rule gives the complete defaults, never a mixture of its values and
// ours, because a half-understood file is more likely damaged than meant.
// Writing is byte for byte the same for the same settings, so the file
// changes only when a setting does.

#include "store/settings.h"

#include <array>

#include <nlohmann/json.hpp>

#include "base/utf.h"
#include "store/json_reader.h"

namespace {

constexpr std::array<std::string_view, 16> config_keys = {
    "theme",  "word_wrap",  "always_on_top", "font_face", "font_size",    "zoom",
    "print_labels", "window", "hide_text",   "reveal",    "reveal_key",   "mask",
    "idle_seconds", "hide_from_capture", "password_relock", "relock_minutes",
};
constexpr std::array<std::string_view, 5> window_keys = {"left", "top", "right", "bottom", "maximized"};
constexpr std::array<std::string_view, 4> reveal_key_keys = {"ctrl", "alt", "shift", "key"};

constexpr std::array<JsonName<Theme>, 3> theme_names = {{
    {Theme::System, "system"},
    {Theme::Light, "light"},
    {Theme::Dark, "dark"},
}};
constexpr std::array<JsonName<Reveal>, 3> reveal_names = {{
    {Reveal::Focus, "Focus"},
    {Reveal::Click, "Click"},
    {Reveal::Key, "Key"},
}};
constexpr std::array<JsonName<Mask>, 2> mask_names = {{
    {Mask::Bars, "Bars"},
    {Mask::Blank, "Blank"},
}};

template <class E, std::size_t N>
std::string_view name_of(E value, const std::array<JsonName<E>, N>& names) {
  for (const auto& entry : names) {
    if (entry.value == value) return entry.name;
  }
  return names[0].name;
}

bool is_valid_utf8(std::string_view text) {
  while (!text.empty()) {
    const Decoded d = decode_utf8_at(text);
    if (!d.valid) return false;
    text.remove_prefix(d.length);
  }
  return true;
}

std::optional<WindowPos> read_window(const JsonDocument& document, JsonRecord& config) {
  const nlohmann::json* value = config.find("window");
  if (!value || value->is_null()) return std::nullopt;
  JsonRecord record(document, *value, window_keys, JsonRecord::Form::Object);
  WindowPos window;
  record.read("left", window.left, JsonRecord::Need::Required);
  record.read("top", window.top, JsonRecord::Need::Required);
  record.read("right", window.right, JsonRecord::Need::Required);
  record.read("bottom", window.bottom, JsonRecord::Need::Required);
  record.read("maximized", window.maximized, JsonRecord::Need::Required);
  if (!record.ok()) config.note("window", "a complete window position");
  return window;
}

RevealKey read_reveal_key(const JsonDocument& document, JsonRecord& config) {
  RevealKey chord;
  const nlohmann::json* value = config.find("reveal_key");
  if (!value) return chord;
  // Each member missing here is the default chord's member, so a file that
  // names only the key keeps Ctrl.
  JsonRecord record(document, *value, reveal_key_keys, JsonRecord::Form::Object);
  record.read("ctrl", chord.ctrl);
  record.read("alt", chord.alt);
  record.read("shift", chord.shift);
  record.read("key", chord.key);
  if (!record.ok()) config.note("reveal_key", "a key chord");
  return chord;
}

}  // namespace

Config parse_config(std::string_view text) {
  if (!is_valid_utf8(text)) return Config{};
  auto document = JsonDocument::parse(text);
  if (!document) return Config{};

  JsonRecord record(*document, document->root(), config_keys, JsonRecord::Form::ObjectOrArray);
  Config config;
  record.read("theme", config.theme, std::span(theme_names));
  record.read("word_wrap", config.word_wrap);
  record.read("always_on_top", config.always_on_top);
  record.read("font_face", config.font_face);
  record.read("font_size", config.font_size);
  record.read("zoom", config.zoom);
  record.read("print_labels", config.print_labels);
  config.window = read_window(*document, record);
  record.read("hide_text", config.hide_text);
  record.read("reveal", config.reveal, std::span(reveal_names));
  config.reveal_key = read_reveal_key(*document, record);
  record.read("mask", config.mask, std::span(mask_names));
  record.read("idle_seconds", config.idle_seconds);
  record.read("hide_from_capture", config.hide_from_capture);
  record.read("password_relock", config.password_relock);
  record.read("relock_minutes", config.relock_minutes);
  if (!record.ok()) return Config{};
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
  // A font name that is not valid UTF-8 cannot come from Windows; should one
  // appear anyway, it is written with U+FFFD rather than not at all.
  return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
