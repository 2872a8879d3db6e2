#pragma once
// The open-source components inside nimbol.exe and the text the licences
// viewer shows for them.

#include <span>
#include <string>
#include <string_view>

struct LicensedComponent {
  std::string_view name;     // as the viewer's list names it
  std::string_view version;  // as the library's headers state it
  std::string_view license;  // in a few words
  std::string_view notice;   // file in the licenses folder: copyright and licence notices
};

// Every component the static link of nimbol.exe takes code from.
std::span<const LicensedComponent> licensed_components();

// Where the kit to relink the program with a changed LGPL library is.
std::string relinking_note();

// The viewer's text: the list of components, each one's notices, then the
// full texts of the licences they refer to; lines end in CR LF, as the
// edit control that shows it needs.
std::string licenses_text();
