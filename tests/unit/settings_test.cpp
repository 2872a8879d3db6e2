#include "store/settings.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

// The example file: the defaults after the frame has been closed once.
constexpr std::string_view example_file = R"({
  "theme": "system",
  "word_wrap": true,
  "always_on_top": false,
  "font_face": "Consolas",
  "font_size": 11,
  "zoom": 100,
  "print_labels": true,
  "window": {
    "left": 200,
    "top": 120,
    "right": 1100,
    "bottom": 720,
    "maximized": false
  },
  "hide_text": true,
  "reveal": "Focus",
  "reveal_key": {
    "ctrl": true,
    "alt": false,
    "shift": false,
    "key": 85
  },
  "mask": "Bars",
  "idle_seconds": 0,
  "hide_from_capture": false,
  "password_relock": false,
  "relock_minutes": 5,
  "clipboard_clear_seconds": 0
})";

Config example_config() {
  Config config;
  config.window = WindowPos{.left = 200, .top = 120, .right = 1100, .bottom = 720, .maximized = false};
  return config;
}

// Every field away from its default, with values that differ from each
// other, so a field read into the wrong place shows.
Config unusual_config() {
  Config config;
  config.theme = Theme::Dark;
  config.word_wrap = false;
  config.always_on_top = true;
  config.font_face = "Cascadia Mono";
  config.font_size = 14;
  config.zoom = 175;
  config.print_labels = false;
  config.window = WindowPos{.left = -8, .top = 4, .right = 1930, .bottom = 1050, .maximized = true};
  config.hide_text = false;
  config.reveal = Reveal::Key;
  config.reveal_key = RevealKey{.ctrl = false, .alt = true, .shift = true, .key = 75};
  config.mask = Mask::Blank;
  config.idle_seconds = 600;
  config.hide_from_capture = true;
  config.password_relock = true;
  config.relock_minutes = 30;
  config.clipboard_clear_seconds = 45;
  return config;
}

struct AcceptCase {
  const char* name;
  std::string_view text;
  void (*expect)(Config&);
};

TEST(SettingsReader, AcceptsWhatTheRulesAllow) {
  const AcceptCase cases[] = {
      {"empty object", "{}", [](Config&) {}},
      {"one key", R"({"zoom": 150})", [](Config& c) { c.zoom = 150; }},
      {"white space around", " \t\r\n{\"zoom\":150}\r\n\t ", [](Config& c) { c.zoom = 150; }},
      {"null window", R"({"window": null, "zoom": 150})", [](Config& c) { c.zoom = 150; }},
      {"window", R"({"window": {"maximized": true, "bottom": 4, "right": 3, "top": 2, "left": 1}})",
       [](Config& c) {
         c.window = WindowPos{1, 2, 3, 4, true};
       }},
      {"window extremes",
       R"({"window": {"left": -2147483648, "top": 2147483647, "right": 0, "bottom": -1, "maximized": false}})",
       [](Config& c) {
         c.window = WindowPos{INT32_MIN, INT32_MAX, 0, -1, false};
       }},
      {"reveal key alone", R"({"reveal_key": {"key": 75}})", [](Config& c) { c.reveal_key.key = 75; }},
      {"reveal key without ctrl", R"({"reveal_key": {"ctrl": false, "key": 75}})",
       [](Config& c) {
         c.reveal_key = RevealKey{false, false, false, 75};
       }},
      {"empty reveal key", R"({"reveal_key": {}, "zoom": 150})", [](Config& c) { c.zoom = 150; }},
      {"unknown keys skipped", R"({"later": {"a": [1, {"b": null}]}, "zoom": 150, "more": 1.5})",
       [](Config& c) { c.zoom = 150; }},
      {"repeats inside a skipped value", R"({"later": {"a": 1, "a": 2}, "zoom": 150})",
       [](Config& c) { c.zoom = 150; }},
      {"unknown key inside a record", R"({"reveal_key": {"win": true, "key": 75}})",
       [](Config& c) { c.reveal_key.key = 75; }},
      {"range limits",
       R"({"idle_seconds": 4294967295, "relock_minutes": 0, "font_size": -2147483648, "zoom": 2147483647,
           "reveal_key": {"key": 255}})",
       [](Config& c) {
         c.idle_seconds = UINT32_MAX;
         c.relock_minutes = 0;
         c.font_size = INT32_MIN;
         c.zoom = INT32_MAX;
         c.reveal_key.key = 255;
       }},
      {"values are not clamped", R"({"zoom": 5, "idle_seconds": 99999})",
       [](Config& c) {
         c.zoom = 5;
         c.idle_seconds = 99999;
       }},
      {"every enumeration spelling", R"({"theme": "light", "reveal": "Click", "mask": "Blank"})",
       [](Config& c) {
         c.theme = Theme::Light;
         c.reveal = Reveal::Click;
         c.mask = Mask::Blank;
       }},
      {"escaped and raw UTF-8 font name", R"({"font_face": "Caf\u00e9 \"Mono\" \u65e5本"})",
       [](Config& c) { c.font_face = "Café \"Mono\" 日本"; }},
      {"array form", R"(["dark", false])",
       [](Config& c) {
         c.theme = Theme::Dark;
         c.word_wrap = false;
       }},
      {"array form with nulls for absent values", R"([null, null, true, null, 9])",
       [](Config& c) {
         c.always_on_top = true;
         c.font_size = 9;
       }},
      {"empty array", "[]", [](Config&) {}},
      // A file written before the clipboard could be cleared has no such
      // key: clearing stays off.
      {"no clipboard clearing key", R"({"relock_minutes": 5, "zoom": 150})", [](Config& c) { c.zoom = 150; }},
      {"clipboard clearing", R"({"clipboard_clear_seconds": 30})", [](Config& c) { c.clipboard_clear_seconds = 30; }},
      {"clipboard clearing at its range limit", R"({"clipboard_clear_seconds": 4294967295})",
       [](Config& c) { c.clipboard_clear_seconds = UINT32_MAX; }},
      {"full array form",
       R"(["dark", false, true, "Cascadia Mono", 14, 175, false,
           {"left": -8, "top": 4, "right": 1930, "bottom": 1050, "maximized": true},
           false, "Key", {"ctrl": false, "alt": true, "shift": true, "key": 75}, "Blank", 600, true, true, 30, 45])",
       [](Config& c) { c = unusual_config(); }},
  };
  for (const auto& c : cases) {
    Config expected;
    c.expect(expected);
    EXPECT_EQ(parse_config(c.text), expected) << c.name;
  }
}

// Each text would change `zoom` if the reader took it in part, so a reader
// that keeps some values of a broken file fails here.
TEST(SettingsReader, AnyBrokenRuleGivesTheCompleteDefaults) {
  const std::string_view cases[] = {
      // Types and spellings.
      R"({"zoom": 150, "theme": null})",
      R"({"zoom": 150, "theme": "Dark"})",
      R"({"zoom": 150, "reveal": "focus"})",
      R"({"zoom": 150, "mask": "bars"})",
      R"({"zoom": 150, "theme": 1})",
      R"({"zoom": 150, "font_size": "11"})",
      R"({"zoom": 150, "word_wrap": "true"})",
      R"({"zoom": 150, "word_wrap": 1})",
      R"({"zoom": 150, "font_face": null})",
      R"({"zoom": 150, "font_face": 12})",
      R"({"zoom": 150, "hide_text": null})",
      // Numbers must be integers within the type's range.
      R"({"zoom": 150, "idle_seconds": -5})",
      R"({"zoom": 150, "idle_seconds": -1})",
      R"({"zoom": 150, "idle_seconds": 4294967296})",
      R"({"zoom": 150, "relock_minutes": 18446744073709551616})",
      R"({"zoom": 150, "font_size": 2147483648})",
      R"({"zoom": 150, "font_size": -2147483649})",
      R"({"zoom": 150, "font_size": 11.0})",
      R"({"zoom": 150, "font_size": 1e1})",
      R"({"zoom": 150, "reveal_key": {"key": 256}})",
      R"({"zoom": 150, "reveal_key": {"key": -1}})",
      R"({"zoom": 150, "clipboard_clear_seconds": -1})",
      R"({"zoom": 150, "clipboard_clear_seconds": 4294967296})",
      R"({"zoom": 150, "clipboard_clear_seconds": "30"})",
      R"({"zoom": 150, "clipboard_clear_seconds": null})",
      R"({"zoom": 150, "clipboard_clear_seconds": 30, "clipboard_clear_seconds": 30})",
      // Each key once, also inside the nested records.
      R"({"zoom": 150, "zoom": 150})",
      R"({"zoom": 150, "theme": "dark", "theme": "dark"})",
      R"({"zoom": 150, "reveal_key": {"key": 75, "key": 75}})",
      R"({"zoom": 150, "window": {"left": 0, "left": 0, "top": 0, "right": 8, "bottom": 8, "maximized": false}})",
      // The window position is null or complete.
      R"({"zoom": 150, "window": {"left": 0, "top": 0, "right": 800}})",
      R"({"zoom": 150, "window": {"left": 0, "top": 0, "right": 8, "bottom": null, "maximized": false}})",
      R"({"zoom": 150, "window": {"left": 0, "top": 0, "right": 8, "bottom": 8, "maximized": 0}})",
      R"({"zoom": 150, "window": [0, 0, 800, 600, false]})",
      R"({"zoom": 150, "window": true})",
      // The key chord is an object whose members have their types.
      R"({"zoom": 150, "reveal_key": null})",
      R"({"zoom": 150, "reveal_key": 85})",
      R"({"zoom": 150, "reveal_key": [true, false, false, 75]})",
      R"({"zoom": 150, "reveal_key": {"ctrl": null}})",
      // The array form: types hold there too, and no more values than keys.
      R"([null, null, null, null, null, 150, "yes"])",
      R"([null, null, null, null, null, 150, null, null, null, null, null, null, null, null, null, null, null, null])",
      // Only an object or an array, and nothing but white space after it.
      "\xEF\xBB\xBF{\"zoom\": 150}",
      R"({"zoom": 150} x)",
      R"({"zoom": 150}{})",
      R"({"zoom": 150},)",
      std::string_view("{\"zoom\": 150}\0", 14),
      R"({"zoom": 150)",
      R"({"zoom": 150 /* comment */})",
      R"({"zoom": 150,})",
      "\"zoom\"",
      "150",
      "null",
      "",
      " \r\n",
      // Text that is not valid UTF-8, inside a string or out of one.
      "{\"zoom\": 150, \"font_face\": \"\xFF\"}",
      "{\"zoom\": 150}\xC0",
      R"({"zoom": 150, "font_face": "\ud800"})",
  };
  for (const auto text : cases) {
    EXPECT_EQ(parse_config(text), Config{}) << text;
  }
}

TEST(SettingsWriter, WritesTheExampleFileByteForByte) {
  EXPECT_EQ(serialize_config(example_config()), example_file);
  EXPECT_EQ(parse_config(example_file), example_config());
}

TEST(SettingsWriter, WritesAMissingWindowAsNull) {
  const std::string text = serialize_config(Config{});
  EXPECT_NE(text.find("\n  \"print_labels\": true,\n  \"window\": null,\n  \"hide_text\": true,\n"), std::string::npos)
      << text;
  EXPECT_EQ(text.back(), '}');
}

TEST(SettingsWriter, RoundTripsEveryField) {
  Config extremes;
  extremes.font_size = INT32_MIN;
  extremes.zoom = INT32_MAX;
  extremes.idle_seconds = UINT32_MAX;
  extremes.relock_minutes = 0;
  extremes.clipboard_clear_seconds = UINT32_MAX;
  extremes.reveal_key.key = 255;
  extremes.window = WindowPos{INT32_MIN, INT32_MAX, -1, 0, false};
  for (const Config& config : {Config{}, example_config(), unusual_config(), extremes}) {
    const std::string text = serialize_config(config);
    EXPECT_EQ(parse_config(text), config) << text;
    EXPECT_EQ(serialize_config(parse_config(text)), text);
  }
}

TEST(SettingsWriter, EscapesTheFontNameLikeStandardJson) {
  Config config;
  config.font_face = std::string("a\"b\\c/\n\t\x01\x1F\x7F", 11) + "é😀";
  const std::string text = serialize_config(config);
  EXPECT_NE(text.find("\"font_face\": \"a\\\"b\\\\c/\\n\\t\\u0001\\u001f\x7F"
                      "é😀\","),
            std::string::npos)
      << text;
  EXPECT_EQ(parse_config(text).font_face, config.font_face);
}

// What the program wrote is plain JSON that another reader understands the
// same way, with the keys in the documented order.
TEST(SettingsWriter, OutputReadsBackWithAnIndependentParser) {
  const auto json = nlohmann::ordered_json::parse(serialize_config(unusual_config()));
  std::vector<std::string> keys;
  for (const auto& item : json.items()) keys.push_back(item.key());
  const std::vector<std::string> expected_keys = {"theme",
                                                  "word_wrap",
                                                  "always_on_top",
                                                  "font_face",
                                                  "font_size",
                                                  "zoom",
                                                  "print_labels",
                                                  "window",
                                                  "hide_text",
                                                  "reveal",
                                                  "reveal_key",
                                                  "mask",
                                                  "idle_seconds",
                                                  "hide_from_capture",
                                                  "password_relock",
                                                  "relock_minutes",
                                                  "clipboard_clear_seconds"};
  EXPECT_EQ(keys, expected_keys);
  EXPECT_EQ(json["clipboard_clear_seconds"], 45);
  EXPECT_EQ(json["theme"], "dark");
  EXPECT_EQ(json["reveal"], "Key");
  EXPECT_EQ(json["mask"], "Blank");
  EXPECT_EQ(json["window"]["left"], -8);
  EXPECT_EQ(json["reveal_key"]["key"], 75);
  EXPECT_EQ(json["reveal_key"].dump(), R"({"ctrl":false,"alt":true,"shift":true,"key":75})");
}

}  // namespace
