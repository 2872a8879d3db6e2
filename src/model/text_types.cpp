// Names of encodings and line ends: display names for the status bar and
// dialogs, variant names for the session index.

#include "model/text_types.h"

#include <array>

namespace {

struct EncodingName {
  Encoding value;
  std::string_view display;
  std::string_view serialised;
};
constexpr std::array<EncodingName, 5> encoding_names = {{
    {Encoding::Utf8, "UTF-8", "Utf8"},
    {Encoding::Utf8Bom, "UTF-8 with BOM", "Utf8Bom"},
    {Encoding::Utf16Le, "UTF-16 LE", "Utf16Le"},
    {Encoding::Utf16Be, "UTF-16 BE", "Utf16Be"},
    {Encoding::Ansi, "ANSI", "Ansi"},
}};

struct EolName {
  Eol value;
  std::string_view display;
  std::string_view serialised;
};
constexpr std::array<EolName, 3> eol_names = {{
    {Eol::CrLf, "Windows (CRLF)", "CrLf"},
    {Eol::Lf, "Unix (LF)", "Lf"},
    {Eol::Cr, "Macintosh (CR)", "Cr"},
}};

}  // namespace

std::string_view display_name(Encoding encoding) { return encoding_names[static_cast<std::size_t>(encoding)].display; }
std::string_view display_name(Eol eol) { return eol_names[static_cast<std::size_t>(eol)].display; }
std::string_view serialised_name(Encoding encoding) {
  return encoding_names[static_cast<std::size_t>(encoding)].serialised;
}
std::string_view serialised_name(Eol eol) { return eol_names[static_cast<std::size_t>(eol)].serialised; }

std::optional<Encoding> encoding_from_name(std::string_view name) {
  for (const auto& entry : encoding_names) {
    if (entry.serialised == name) return entry.value;
  }
  return std::nullopt;
}

std::optional<Eol> eol_from_name(std::string_view name) {
  for (const auto& entry : eol_names) {
    if (entry.serialised == name) return entry.value;
  }
  return std::nullopt;
}
