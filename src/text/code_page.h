#pragma once
// The system's ANSI code page, reduced to the two conversions the text codec
// needs. Windows answers them with its own tables; the host build answers
// with Windows-1252, which is what Wine and most Western systems use, so the
// codec's ANSI paths can be tested anywhere.
//
// Strings of `wchar_t` hold UTF-16 code units here, as in base/utf.h.

#include <optional>
#include <string>
#include <string_view>

// Bytes of the ANSI code page as UTF-16. With `strict`, a byte sequence the
// code page does not define fails the whole conversion; without it, such a
// sequence becomes the code page's substitute character. Nothing when the
// conversion fails.
std::optional<std::wstring> ansi_to_utf16(std::string_view bytes, bool strict);

// UTF-16 in the ANSI code page, only when every character has an exact form
// there. A look-alike ("best fit") or the default character would silently
// change the text, so then the answer is nothing.
std::optional<std::string> utf16_to_ansi(std::wstring_view text);
