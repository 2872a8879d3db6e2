// The Font command. The system's dialog does the choosing; this file starts
// it on the font the editors show and turns its answer into the settings'
// face and whole-point size, from which the shared editor font is made anew.

#include <windows.h>

#include <commdlg.h>

#include "editor/font_dialog.h"

#include <algorithm>

#include "editor/editor.h"
#include "editor/font_choice.h"
#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "store/settings_change.h"
#include "ui/dark_dialog.h"
#include "ui/dpi.h"
#include "ui/theme.h"
#include "ui/window_dpi.h"

namespace {

constexpr DWORD font_dialog_flags = CF_SCREENFONTS | CF_ENABLEHOOK | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
static_assert(font_dialog_flags == 0x01000049);
static_assert(sizeof(CHOOSEFONTW) == 104);
static_assert(sizeof(LOGFONTW::lfFaceName) / sizeof(wchar_t) == FACE_FIELD_UNITS);

}  // namespace

LOGFONTW font_dialog_logfont(std::string_view face, std::int32_t points, UINT dpi) {
  LOGFONTW logfont{};
  logfont.lfHeight = font_height_for(points, dpi);
  const FaceField field = face_field(face);
  std::copy(field.begin(), field.end(), logfont.lfFaceName);
  return logfont;
}

CHOOSEFONTW font_dialog_request(HWND owner, LOGFONTW& logfont) {
  CHOOSEFONTW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.hDC = nullptr;
  request.lpLogFont = &logfont;
  request.iPointSize = 0;
  request.Flags = font_dialog_flags;
  request.rgbColors = palette().text_color;
  request.lCustData = 0;
  // The dialog knows no dark mode; the hook colours it (and does nothing in
  // the light palette).
  request.lpfnHook = dark_dialog_hook;
  request.lpTemplateName = nullptr;
  request.hInstance = nullptr;
  request.lpszStyle = nullptr;
  request.nSizeMin = 0;
  request.nSizeMax = 0;
  return request;
}

std::optional<ChosenFont> font_dialog(HWND owner, std::string_view face, std::int32_t points, UINT dpi) {
  LOGFONTW logfont = font_dialog_logfont(face, points, dpi);
  CHOOSEFONTW request = font_dialog_request(owner, logfont);
  if (!ChooseFontW(&request)) return std::nullopt;
  FaceField chosen{};
  std::copy(std::begin(logfont.lfFaceName), std::end(logfont.lfFaceName), chosen.begin());
  return ChosenFont{face_from_field(chosen), points_from_tenths(request.iPointSize)};
}

void choose_editor_font(HWND frame) {
  std::string face;
  std::int32_t points = 0;
  {
    auto state = app_state().borrow();
    if (!state) return;
    face = state->config.font_face;
    points = state->config.font_size;
  }
  const std::optional<ChosenFont> chosen = font_dialog(frame, face, points, window_dpi(frame));
  if (!chosen) return;

  if (!change_settings([&](Config& config) {
        config.font_face = chosen->face;
        config.font_size = chosen->points;
      })) {
    return;
  }
  apply_editor_font(create_editor_font(chosen->face, chosen->points, window_dpi(frame)));
}
