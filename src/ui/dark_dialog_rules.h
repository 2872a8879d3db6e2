#pragma once
// Which controls of a system dialog get which dark treatment, decided from
// the class name and style alone.

#include <cstdint>
#include <string_view>

// The controls whose disabled look the program paints itself.
enum class DarkKind : std::uint8_t { DarkText = 0, DarkCheck = 1, DarkRadio = 2 };

enum class ChildStyling : std::uint8_t {
  None,
  ExplorerTheme,  // the dark visual style of edits, lists, scroll bars, push buttons
  ComboTheme,     // the dark style of combo boxes
  ThemeOff,       // classic drawing, coloured by WM_CTLCOLOR*
  SubclassCheck,  // ThemeOff, and disabled painting of our own
  SubclassRadio,
  SubclassText,  // disabled painting of our own; the theme stays
};

// `class_name` as GetClassNameW gives it (at most 32 characters, UTF-8);
// letters A-Z match either case.
ChildStyling dialog_child_styling(std::string_view class_name, std::uint32_t style);
