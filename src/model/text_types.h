#pragma once
// How a document is stored on disk: its encoding and its line ends. Both are
// one byte, stored under their variant names and shown under display names.

#include <cstdint>
#include <optional>
#include <string_view>

enum class Encoding : std::uint8_t { Utf8 = 0, Utf8Bom = 1, Utf16Le = 2, Utf16Be = 3, Ansi = 4 };
enum class Eol : std::uint8_t { CrLf = 0, Lf = 1, Cr = 2 };

std::string_view display_name(Encoding encoding);
std::string_view display_name(Eol eol);
std::string_view serialised_name(Encoding encoding);
std::string_view serialised_name(Eol eol);
std::optional<Encoding> encoding_from_name(std::string_view name);
std::optional<Eol> eol_from_name(std::string_view name);
