#pragma once
// Text typed into a password field, turned into UTF-8 without leaving an
// unwiped copy anywhere on the way.

#include <string_view>

#include "base/secure_buffer.h"

// UTF-16 code units (in wchar_t, as Windows hands them out) to UTF-8 in a
// SecureBuffer; an unpaired surrogate becomes U+FFFD, as everywhere else in
// the program.
SecureBuffer secure_utf8_from_utf16(std::wstring_view utf16);
