#pragma once
// The face-name and point-size rules of the font dialog, kept apart from the
// dialog so that they can be checked anywhere.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// LOGFONTW's face-name field: UTF-16 units, the last always NUL.
inline constexpr std::size_t FACE_FIELD_UNITS = 32;
using FaceField = std::array<wchar_t, FACE_FIELD_UNITS>;

// The face as the dialog starts with it: its first 31 UTF-16 units, then NUL
// (the rest of the field is NUL too).
FaceField face_field(std::string_view face);

// The face the dialog returned: the units up to the first NUL, or all of
// them when there is none; an unpaired surrogate becomes U+FFFD.
std::string face_from_field(const FaceField& field);

// The whole points of the dialog's size in tenths of a point, truncated
// toward zero; a size below 2 points is stored as 1.
std::int32_t points_from_tenths(std::int32_t tenths);
