#pragma once
// Which commands wait for the text to be shown. While the veil is up a
// command can still arrive (an item chosen just before the cover, a posted
// message); one that reads, shows, changes or writes a tab's text must then
// do nothing, or it would hand the covered text to whoever sits at the
// window without the password.

#include <cstdint>

// True for a command that must not run while the text is covered. Commands
// that hide, close the program, open a new tab or a file, or change only
// settings, the theme, the view or the password stay usable.
bool needs_text_shown(std::uint16_t command);
