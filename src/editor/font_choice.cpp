// What goes into the font dialog's face-name field and what comes back out
// of it, and the whole-point size the settings keep. The field is a fixed
// array that the dialog need not terminate, so reading it must not assume
// a NUL.

#include "editor/font_choice.h"

#include <algorithm>

#include "base/utf.h"

FaceField face_field(std::string_view face) {
  FaceField field{};
  const std::wstring wide = to_wide(face);
  const std::size_t count = std::min(wide.size(), FACE_FIELD_UNITS - 1);
  std::copy_n(wide.begin(), count, field.begin());
  return field;
}

std::string face_from_field(const FaceField& field) {
  const auto end = std::find(field.begin(), field.end(), L'\0');
  return to_utf8(std::wstring_view(field.data(), static_cast<std::size_t>(end - field.begin())));
}

std::int32_t points_from_tenths(std::int32_t tenths) {
  const std::int32_t points = tenths / 10;
  return points < 2 ? 1 : points;
}
