#pragma once
// A dialog window's controls as a list of plain records: what to create,
// where (in 96-DPI client units) and with which id. The list order is the
// creation order and therefore the tab order.

#include <cstddef>
#include <cstdint>

enum class ControlKind : std::uint8_t {
  Label = 0,
  Heading = 1,
  PathLabel = 2,
  CheckBox = 3,
  Radio = 4,
  ShortEdit = 5,
  Edit = 6,
  PasswordEdit = 7,
  TextView = 8,
  Link = 9,
  Button = 10,
};

struct ControlSpec {
  ControlKind kind = ControlKind::Label;
  // Variant switch: a Radio that starts a group, a ShortEdit that takes
  // digits (else it upper-cases what is typed).
  bool flag = false;
  // Character limit of a ShortEdit or Edit.
  std::size_t limit = 0;
  // Caption or initial text; borrowed, must outlive the creation call.
  const wchar_t* text = L"";
  std::int32_t id = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The GWLP_USERDATA of a Link control: the letters "LINK". It tells the
// shared painting and cursor code that a button is drawn as a link.
inline constexpr std::intptr_t LINK_MARKER = 0x4C494E4B;

// Password fields take this many characters, whatever a spec's limit says.
inline constexpr std::size_t PASSWORD_LIMIT = 200;

// Control texts are read through a buffer of this many characters, the last
// of which holds the terminator.
inline constexpr std::size_t CONTROL_TEXT_BUFFER = 256;
