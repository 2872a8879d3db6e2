#pragma once
// The user's settings: one record, loaded once at start and written back
// whole after every change. Member order is the order of the keys on disk.

#include <cstdint>
#include <optional>
#include <string>

enum class Theme : std::uint8_t { System = 0, Light = 1, Dark = 2 };
enum class Reveal : std::uint8_t { Focus = 0, Click = 1, Key = 2 };
enum class Mask : std::uint8_t { Bars = 0, Blank = 1 };

struct WindowPos {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool maximized = false;
  bool operator==(const WindowPos&) const = default;
};

struct RevealKey {
  bool ctrl = true;
  bool alt = false;
  bool shift = false;
  std::uint8_t key = 85;  // 'U'
  bool operator==(const RevealKey&) const = default;
};

struct Config {
  Theme theme = Theme::System;
  bool word_wrap = true;
  bool always_on_top = false;
  std::string font_face = "Consolas";
  std::int32_t font_size = 11;
  std::int32_t zoom = 100;
  bool print_labels = true;
  std::optional<WindowPos> window;
  bool hide_text = true;
  Reveal reveal = Reveal::Focus;
  RevealKey reveal_key;
  Mask mask = Mask::Bars;
  std::uint32_t idle_seconds = 0;
  bool hide_from_capture = false;
  bool password_relock = false;
  std::uint32_t relock_minutes = 5;
  // Seconds after which a private copy still on the clipboard is taken off
  // it; 0 = never.
  std::uint32_t clipboard_clear_seconds = 0;
  bool operator==(const Config&) const = default;
};
