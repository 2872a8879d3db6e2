// The system ANSI code page on Windows, through the system's own converters,
// so the unit tests that run under Windows meet the real code page rather
// than the host's Windows-1252 table.

#include <windows.h>

#include <climits>

#include "text/code_page.h"

std::optional<std::wstring> ansi_to_utf16(std::string_view bytes, bool strict) {
  if (bytes.empty()) return std::wstring();
  // The system converters count in int; a larger input is not a text we
  // could show anyway.
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int length = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(CP_ACP, flags, bytes.data(), length, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring out(static_cast<std::size_t>(units), L'\0');
  const int written = MultiByteToWideChar(CP_ACP, flags, bytes.data(), length, out.data(), units);
  if (written <= 0) return std::nullopt;
  out.resize(static_cast<std::size_t>(written));
  return out;
}

std::optional<std::string> utf16_to_ansi(std::wstring_view text) {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const int length = static_cast<int>(text.size());
  // Without best fit, a character the code page lacks becomes the default
  // character and is reported, instead of turning into a look-alike.
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  BOOL used_default = FALSE;
  const int written =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), size, nullptr, &used_default);
  if (written <= 0 || used_default) return std::nullopt;
  out.resize(static_cast<std::size_t>(written));
  return out;
}
