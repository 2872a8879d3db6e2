// One place that asks Windows to describe an error, so that every failure
// message of the program reads the same way, in the user's own language.

#include <windows.h>

#include "base/system_error.h"

#include <array>

#include "base/utf.h"

std::string system_error_text(unsigned long code) {
  std::array<wchar_t, 2048> buffer{};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
  // The system's texts end with a line break (and sometimes a space), which
  // would split the sentence the text is put into.
  while (length > 0 && (buffer[length - 1] == L'\n' || buffer[length - 1] == L'\r' || buffer[length - 1] == L' ')) {
    --length;
  }
  if (length == 0) return "Unknown error";
  return to_utf8(std::wstring_view(buffer.data(), length));
}
