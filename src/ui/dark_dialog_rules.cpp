// The class table of dark dialog styling. Check boxes and radio buttons lose
// their visual style so that their text takes the dialog's colours, and are
// subclassed because the system draws their disabled text grey on grey;
// plain labels keep their look and only get the disabled painting.

#include "ui/dark_dialog_rules.h"

#include <string>

namespace {

std::string fold_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

ChildStyling button_styling(std::uint32_t style) {
  switch (style & 0xF) {
    case 0x0:  // BS_PUSHBUTTON
    case 0x1:  // BS_DEFPUSHBUTTON
      return ChildStyling::ExplorerTheme;
    case 0x2:  // BS_CHECKBOX
    case 0x3:  // BS_AUTOCHECKBOX
    case 0x5:  // BS_3STATE
    case 0x6:  // BS_AUTO3STATE
      return ChildStyling::SubclassCheck;
    case 0x4:  // BS_RADIOBUTTON
    case 0x9:  // BS_AUTORADIOBUTTON
      return ChildStyling::SubclassRadio;
    default:  // group boxes and the rest
      return ChildStyling::ThemeOff;
  }
}

ChildStyling static_styling(std::uint32_t style) {
  switch (style & 0x1F) {
    case 0x0:  // SS_LEFT
    case 0x1:  // SS_CENTER
    case 0x2:  // SS_RIGHT
    case 0xC:  // SS_LEFTNOWORDWRAP
      return ChildStyling::SubclassText;
    default:
      return ChildStyling::None;
  }
}

}  // namespace

ChildStyling dialog_child_styling(std::string_view class_name, std::uint32_t style) {
  const std::string name = fold_ascii(class_name);
  if (name == "edit" || name == "listbox" || name == "scrollbar" || name == "msctls_updown32") {
    return ChildStyling::ExplorerTheme;
  }
  if (name == "combobox") return ChildStyling::ComboTheme;
  if (name == "button") return button_styling(style);
  if (name == "static") return static_styling(style);
  return ChildStyling::None;
}
